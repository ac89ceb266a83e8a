#include "engine/polygon/doctor/polygon_doctor.h"

#include "engine/kernel/object_store.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/window/undo_window.h"
#include "platform/message_box.h"
#include "tests/engine/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Ring = std::vector<MAP_COORDPT>;

class PolygonDoctorTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        rec.undoEnabled = 1;
        SetMessageBoxHook([this](const MessageBoxRequest &r) {
            asked.push_back(r);
            return answer;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        EditingTest::TearDown();
    }
    std::vector<MessageBoxRequest> asked;
    int answer = IDNO;
};

TEST_F(PolygonDoctorTest, RepeatedPointsAndBackLoopsGoWithoutAQuestion)
{
    const Ring square{{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    struct Case {
        const char *name;
        Ring points;
        Ring repaired;
    } cases[] = {
        {"clean", square, square},
        {"repeated point", {{0, 0}, {100, 0}, {100, 0}, {100, 100}, {0, 100}}, square},
        {"point three times", {{0, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 100}, {0, 100}}, square},
        {"spike", {{0, 0}, {100, 0}, {150, 50}, {100, 0}, {100, 100}, {0, 100}}, square},
        {"closing point repeated",
         {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}},
         {{100, 0}, {100, 100}, {0, 100}, {0, 0}}},
    };
    for (const Case &c : cases) {
        OBJHANDLE h = polygon(c.points);
        EXPECT_EQ(PolygonDoctor(&h, window), 1) << c.name;
        EXPECT_NE(h, 0u) << c.name;
        EXPECT_EQ(points(h), c.repaired) << c.name;
    }
    EXPECT_TRUE(asked.empty());
}

TEST_F(PolygonDoctorTest, TooFewPointsAskBeforeDeleting)
{
    struct Case {
        const char *name;
        Ring points;
        int answer;
        const char *textStart;
    } cases[] = {
        {"two points, No",
         {{0, 0}, {100, 0}},
         IDNO,
         "Polygon has only 2 points.\nParameters of object:\nLayer number: "},
        {"spike only, No",
         {{0, 0}, {100, 0}, {0, 0}},
         IDNO,
         "Polygon has 3 points. It is not possible to shrink it to correct\n"},
        {"two points, Yes", {{0, 0}, {100, 0}}, IDYES, "Polygon has only 2 points."},
    };
    for (const Case &c : cases) {
        OBJHANDLE h = polygon(c.points);
        const OBJHANDLE original = h;
        asked.clear();
        answer = c.answer;
        rec.flags &= ~WNDRES_MODIFIED;
        const int steps = Undo_UndoStepsCount(window);
        EXPECT_EQ(PolygonDoctor(&h, window), 1) << c.name;
        ASSERT_EQ(asked.size(), 1u) << c.name;
        EXPECT_EQ(asked[0].caption, "Doctor");
        EXPECT_EQ(asked[0].text.rfind(c.textStart, 0), 0u) << asked[0].text;
        EXPECT_NE(
            asked[0].text.find("Identifires: (none),(none)\nRectangle:\nleft: 0,\ntop: 0,\nright: 100,"),
            std::string::npos)
            << asked[0].text;
        EXPECT_NE(asked[0].text.find("DELETE IT?"), std::string::npos);
        EXPECT_EQ(Undo_UndoStepsCount(window), steps) << c.name;
        if (c.answer == IDYES) {
            EXPECT_EQ(h, 0u);
            EXPECT_EQ(GetOBJectClassID(kernel(), original), 0u);
            EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);
        } else {
            EXPECT_EQ(h, original);
            EXPECT_EQ(points(h).size(), c.points.size() == 2 ? 2u : 3u) << c.name;
            EXPECT_FALSE(rec.flags & WNDRES_MODIFIED);
        }
    }
}

TEST_F(PolygonDoctorTest, BadHandlesAreRefused)
{
    OBJHANDLE none = 0;
    EXPECT_EQ(PolygonDoctor(&none, window), 0);
    EXPECT_EQ(PolygonDoctor(nullptr, window), 0);
    OBJHANDLE line = polyline({{0, 0}, {10, 0}, {10, 0}});
    EXPECT_EQ(PolygonDoctor(&line, window), 0);
    EXPECT_EQ(points(line).size(), 3u);
    OBJHANDLE freed = polygon({{0, 0}, {10, 0}, {10, 10}});
    OBJectDelete(kernel(), freed);
    EXPECT_EQ(PolygonDoctor(&freed, window), 0);
    OBJHANDLE good = polygon({{0, 0}, {10, 0}, {10, 10}});
    EXPECT_EQ(PolygonDoctor(&good, 0), 0);
    EXPECT_TRUE(asked.empty());
}

} // namespace
