// The Transverse Mercator module through the projection manager: agreement
// with PROJ on seeded random points, datum shifts, and what it refuses.
#include "engine/view/projection/projection_manager.h"
#include "tests/engine/view/projection/fixture_table.h"
#include "tests/engine/view/projection/module_sandbox.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr int kThousandthSecond = 8, kMillimetre = 2, kCentimetre = 3, kMetre = 4;
constexpr int kNoDatum = 0, kOsgb36 = 87, kWgs84 = 116;
constexpr double kPerDegree = 3600000.0; // thousandths of a second

// "UTM_33N" as the table names a grid, "UTM 33N" as the module's text.
std::string ParameterText(const std::string &grid)
{
    std::string text = grid;
    const size_t underscore = text.find('_');
    if (underscore != std::string::npos)
        text[underscore] = ' ';
    return text;
}

MAP_COORDPT Geographic(double latitude, double longitude)
{
    return {int32_t(std::lround(longitude * kPerDegree)), int32_t(std::lround(latitude * kPerDegree))};
}

class TmModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        sandbox.Register("tm", "tm.so");
        ProjMan_InitProjection(&tag);
        ProjMan_SetDefaultUnits(&tag);
        ASSERT_EQ(ProjMan_LoadProjection("tm.so", &tag), 1);
    }
    void TearDown() override { ProjMan_FreeProjection(&tag); }

    // Geographic coordinates in one unit and datum, grid coordinates in
    // another; the grid is the stored (base) system when gridIsBase, which
    // makes the manager exchange the module's directions.
    void Configure(const std::string &text, int geoUnit, int geoDatum, int gridUnit, int gridDatum,
                   bool gridIsBase = false)
    {
        if (gridIsBase) {
            tag.baseKind = CS_CARTESIAN, tag.baseUnit = gridUnit, tag.baseDatum = gridDatum;
            tag.transformedKind = CS_SPHERIC, tag.transformedUnit = geoUnit, tag.transformedDatum = geoDatum;
        } else {
            tag.baseKind = CS_SPHERIC, tag.baseUnit = geoUnit, tag.baseDatum = geoDatum;
            tag.transformedKind = CS_CARTESIAN, tag.transformedUnit = gridUnit,
            tag.transformedDatum = gridDatum;
        }
        ProjMan_UpdateScales(&tag, ProjMan_SetBackwardAndForwardFunctions(&tag));
        ASSERT_EQ(tag.StringBasedSetup(tag.hInstanceData, text.c_str()), 1) << text;
    }
    // The view's directions: map (base) to world (transformed) and back.
    bool ToWorld(MAP_COORDPT in, MAP_COORDPT *out)
    {
        return tag.Forward(tag.hInstanceData, &in, out, 1) == 1;
    }
    bool ToMap(MAP_COORDPT in, MAP_COORDPT *out) { return tag.Backward(tag.hInstanceData, &in, out, 1) == 1; }
    std::string Text()
    {
        tagProjInfo info{};
        ProjMan_GetProjInfo(&tag, &info);
        return info.text;
    }

    ModuleSandbox sandbox;
    ProjectionTag tag{};
};

} // namespace

TEST_F(TmModule, AgreesWithProjOnRandomPointsToTheMillimetre)
{
    const auto rows = ReadGridTable("tm_random.txt");
    ASSERT_GE(rows.size(), 300u);
    for (const GridRow &r : rows) {
        Configure(ParameterText(r.grid), kThousandthSecond, kNoDatum, kCentimetre, kNoDatum);
        const MAP_COORDPT geo = Geographic(r.latitude, r.longitude);
        MAP_COORDPT grid{}, back{};
        ASSERT_TRUE(ToWorld(geo, &grid)) << r.grid << " " << r.latitude << " " << r.longitude;
        // PROJ's value has four decimals of a metre; ours is rounded to the cm.
        EXPECT_LE(std::fabs(grid.x - r.easting * 100), 0.51)
            << r.grid << " " << r.latitude << " " << r.longitude;
        EXPECT_LE(std::fabs(grid.y - r.northing * 100), 0.51)
            << r.grid << " " << r.latitude << " " << r.longitude;
        ASSERT_TRUE(ToMap(grid, &back)) << r.grid;
        // Half a centimetre of the grid is a sixth of a thousandth of a second;
        // the longitude may come back one turn apart.
        EXPECT_LE(std::abs(back.y - geo.y), 1) << r.grid << " " << r.latitude;
        const int64_t dx = (int64_t(back.x) - geo.x) % int64_t(360 * kPerDegree);
        EXPECT_LE(std::abs(dx), 1) << r.grid << " " << r.longitude;
        EXPECT_LE(std::abs(back.x), 180 * kPerDegree);
    }
}

TEST_F(TmModule, ShiftsFromWgs84ToOsgb36AsProjDoesWithTheSameParameters)
{
    const auto rows = ReadGridTable("osgb36_shift.txt");
    ASSERT_GE(rows.size(), 30u);
    for (const GridRow &r : rows) {
        const MAP_COORDPT geo = Geographic(r.latitude, r.longitude);
        // Stored geographic on WGS-84, shown on the British grid.
        Configure("BNG", kThousandthSecond, kWgs84, kMillimetre, kOsgb36);
        MAP_COORDPT grid{}, back{};
        ASSERT_TRUE(ToWorld(geo, &grid));
        EXPECT_LE(std::fabs(grid.x - r.easting * 1000), 1.0) << r.latitude << " " << r.longitude;
        EXPECT_LE(std::fabs(grid.y - r.northing * 1000), 1.0) << r.latitude << " " << r.longitude;
        ASSERT_TRUE(ToMap(grid, &back));
        EXPECT_LE(std::abs(back.x - geo.x), 1);
        EXPECT_LE(std::abs(back.y - geo.y), 1);

        // Stored on the British grid, shown in WGS-84: the same shift, the
        // directions exchanged.
        Configure("BNG", kThousandthSecond, kWgs84, kMillimetre, kOsgb36, true);
        const MAP_COORDPT stored{int32_t(std::lround(r.easting * 1000)),
                                 int32_t(std::lround(r.northing * 1000))};
        MAP_COORDPT shown{}, storedAgain{};
        ASSERT_TRUE(ToWorld(stored, &shown));
        EXPECT_LE(std::abs(shown.x - geo.x), 1) << r.latitude << " " << r.longitude;
        EXPECT_LE(std::abs(shown.y - geo.y), 1) << r.latitude << " " << r.longitude;
        ASSERT_TRUE(ToMap(geo, &storedAgain));
        EXPECT_LE(std::abs(storedAgain.x - stored.x), 1);
        EXPECT_LE(std::abs(storedAgain.y - stored.y), 1);
    }
}

TEST_F(TmModule, ShiftsOnlyBetweenTwoSetAndDifferentDatums)
{
    const MAP_COORDPT geo = Geographic(51.5, -0.1);
    auto gridOf = [&](int geoDatum, int gridDatum) {
        Configure("BNG", kThousandthSecond, geoDatum, kMetre, gridDatum);
        MAP_COORDPT grid{};
        EXPECT_TRUE(ToWorld(geo, &grid)) << geoDatum << " " << gridDatum;
        return grid;
    };
    const MAP_COORDPT plain = gridOf(kNoDatum, kNoDatum);
    for (const auto &[geoDatum, gridDatum] :
         {std::pair{kNoDatum, kOsgb36}, {kWgs84, kNoDatum}, {kOsgb36, kOsgb36}}) {
        const MAP_COORDPT p = gridOf(geoDatum, gridDatum);
        EXPECT_EQ(p.x, plain.x) << geoDatum << " " << gridDatum;
        EXPECT_EQ(p.y, plain.y) << geoDatum << " " << gridDatum;
    }
    // A GPS position on the British grid moves by about 100 m.
    const MAP_COORDPT shifted = gridOf(kWgs84, kOsgb36);
    EXPECT_GT(std::hypot(shifted.x - plain.x, shifted.y - plain.y), 90.0);
    EXPECT_LT(std::hypot(shifted.x - plain.x, shifted.y - plain.y), 150.0);
    // A row the table does not hold converts nothing.
    for (int bad : {-1, 119, 120, INT_MAX}) {
        Configure("BNG", kThousandthSecond, kWgs84, kMetre, bad);
        MAP_COORDPT out{};
        EXPECT_FALSE(ToWorld(geo, &out)) << bad;
        EXPECT_FALSE(ToMap(plain, &out)) << bad;
    }
}

TEST_F(TmModule, RefusesPointsOutsideItsDomain)
{
    Configure("UTM 31N", kThousandthSecond, kNoDatum, kMetre, kNoDatum); // central meridian 3 degrees
    const double over = 1.0 / kPerDegree;
    struct Case {
        double latitude, longitude;
        bool projects;
    } geographic[] = {
        {90.0, 3.0, true},          {-90.0, 3.0, true},         {90.0, 120.0, true},
        {90.0 + over, 3.0, false},  {-90.0 - over, 3.0, false}, {10.0, 3.0 + 29.99, true},
        {10.0, 3.0 + 30.01, false}, {10.0, 3.0 - 30.01, false}, {10.0, 3.0 + 360.0 + 1.0, true},
        {10.0, 3.0 - 360.0, true},  {0.0, 596.0, false},
    };
    for (const Case &c : geographic) {
        MAP_COORDPT out{};
        EXPECT_EQ(ToWorld(Geographic(c.latitude, c.longitude), &out), c.projects)
            << c.latitude << " " << c.longitude;
    }
    MAP_COORDPT pole{};
    ASSERT_TRUE(ToWorld(Geographic(90.0, 3.0), &pole));
    EXPECT_EQ(pole.x, 500000);
    // A metre short of the pole on the meridian (the rounded pole itself
    // may lie just beyond it, on the far meridian).
    MAP_COORDPT nearPole{};
    ASSERT_TRUE(ToMap({pole.x, pole.y - 1}, &nearPole));
    EXPECT_NEAR(nearPole.y, 90.0 * kPerDegree, 40); // a metre is 32 thousandths of a second
    EXPECT_NEAR(nearPole.x, 3.0 * kPerDegree, 1);

    struct GridCase {
        int32_t easting, northing;
        bool projects;
    } grids[] = {
        {500000, 5000000, true},   {21474000, 5000000, false}, {-21474000, 5000000, false},
        {500000, 20000000, false}, {500000, -20000000, false}, {INT_MAX, INT_MAX, false},
        {INT_MIN, INT_MIN, false}, {4500000, 1000000, false},  {2600000, 6900000, false}, // 40 degrees off
    };
    for (const GridCase &g : grids) {
        MAP_COORDPT out{};
        EXPECT_EQ(ToMap({g.easting, g.northing}, &out), g.projects) << g.easting << " " << g.northing;
    }
    // A batch stops at the first point it cannot convert.
    MAP_COORDPT batch[3] = {Geographic(10, 3), Geographic(10, 40), Geographic(10, 3)};
    EXPECT_EQ(tag.Forward(tag.hInstanceData, batch, batch, 3), 1);
}

TEST_F(TmModule, BackwardGivesLongitudesWithinHalfATurn)
{
    Configure("UTM 1N", kThousandthSecond, kNoDatum, kMetre, kNoDatum); // central meridian -177
    MAP_COORDPT grid{}, back{};
    ASSERT_TRUE(ToWorld(Geographic(10.0, 178.0), &grid));
    EXPECT_LT(grid.x, 500000); // west of the meridian
    ASSERT_TRUE(ToMap(grid, &back));
    EXPECT_NEAR(back.x, 178.0 * kPerDegree, 40); // within the metre of the grid
    EXPECT_NEAR(back.y, 10.0 * kPerDegree, 40);
}

TEST_F(TmModule, AcceptsOnlyFinitePositiveScales)
{
    Configure("BNG", kThousandthSecond, kNoDatum, kMetre, kNoDatum);
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {0.0, -1.0, inf, -inf, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(tag.SetForwardScale(tag.hInstanceData, bad, 0), 0) << bad;
        EXPECT_EQ(tag.SetBackwardScale(tag.hInstanceData, bad, 0), 0) << bad;
    }
    MAP_COORDPT out{};
    EXPECT_TRUE(ToWorld(Geographic(51.5, -0.1), &out)); // the scales kept their values
    // A scale so large that no coordinate fits 32 bits converts nothing.
    ASSERT_EQ(tag.SetBackwardScale(tag.hInstanceData, 1e300, 0), 1);
    EXPECT_FALSE(ToWorld(Geographic(51.5, -0.1), &out));
    // A grid unit so small that every grid point lies far beyond the domain.
    ASSERT_EQ(tag.SetBackwardScale(tag.hInstanceData, 1e-300, 0), 1);
    EXPECT_FALSE(ToMap({400000, 100000}, &out));
}

TEST_F(TmModule, ParsesOnlyItsOwnParameterTexts)
{
    for (const char *good : {"UTM 1N", "UTM 60S", "UTM 33N  ", "BNG", "ITM"}) {
        EXPECT_EQ(tag.StringBasedSetup(tag.hInstanceData, good), 1) << good;
    }
    ASSERT_EQ(tag.StringBasedSetup(tag.hInstanceData, "UTM 33N"), 1);
    for (const char *bad :
         {"UTM 0N", "UTM 61N", "UTM 2147483648N", "UTM 99999999999999999999N", "UTM -5N", "UTM +5N", "UTM 5",
          "UTM 5X", "UTM 5NN", "utm 5N", "UTM5N", "UTM  5N", "", "bng"}) {
        EXPECT_EQ(tag.StringBasedSetup(tag.hInstanceData, bad), 0) << bad;
        EXPECT_EQ(Text(), "UTM 33N") << bad; // unchanged
    }
    EXPECT_EQ(tag.StringBasedSetup(tag.hInstanceData, nullptr), 0);
}
