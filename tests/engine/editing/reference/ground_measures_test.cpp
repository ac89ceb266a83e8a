// Ground lengths and areas against GeographicLib's answers, made by
// tests/data/geometry/make_fixtures.sh (the commands are in that script and
// in each fixture's first line).
#include "engine/editing/set_geometry.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "test_paths.h"
#include "tests/engine/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Row {
    int32_t x1, y1, x2, y2;
    double expected;
};

std::vector<Row> readFixture(const std::string &name)
{
    std::ifstream in(std::string(MAP_TEST_DATA_DIR) + "/geometry/" + name);
    std::vector<Row> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Row r{};
        if (fields >> r.x1 >> r.y1 >> r.x2 >> r.y2 >> r.expected)
            rows.push_back(r);
    }
    return rows;
}

} // namespace

class GroundMeasuresTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        ProjectionTag &p = rec.displayView->projection;
        p.baseKind = UNIT_ANGLE;
        p.baseUnit = 6; // tenths of a second
        p.transformedUnit = 6;
    }
};

TEST_F(GroundMeasuresTest, GreatCircleLengthsAgreeWithGeodSolve)
{
    const std::vector<Row> rows = readFixture("great_circle.txt");
    ASSERT_GE(rows.size(), 10u);
    for (const Row &r : rows) {
        ASSERT_GT(r.expected, 1000.0);
        const double got = SetOfLineLength(window, {r.x1, r.y1}, {r.x2, r.y2});
        EXPECT_NEAR(got / r.expected, 1.0, 1e-6) << r.x1 << " " << r.y1 << " " << r.x2 << " " << r.y2;
    }
}

TEST_F(GroundMeasuresTest, CellAreasAgreeWithPlanimeter)
{
    const std::vector<Row> rows = readFixture("cell_areas.txt");
    ASSERT_GE(rows.size(), 5u);
    for (const Row &r : rows) {
        const OBJHANDLE cell = polygon({{r.x1, r.y1}, {r.x1, r.y2}, {r.x2, r.y2}, {r.x2, r.y1}});
        EXPECT_NEAR(PolygonAreaInUnits(kernel(), cell) / r.expected, 1.0, 1e-3)
            << r.x1 << " " << r.y1 << " " << r.x2 << " " << r.y2;
    }
}
