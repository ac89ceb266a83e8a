#include "engine/view/viewrecord/mgrs.h"
#include "tests/engine/view/projection/fixture_table.h"
#include "tests/engine/view/viewrecord/view_support.h"

#include <cmath>

namespace {
constexpr double kDeg = M_PI / 180.0;

std::string Format(double latDeg, int zone, double e, double n, int digits)
{
    const MAP_COORDPT p{int32_t(std::lround(e)), int32_t(std::lround(n))};
    std::string out = "untouched";
    UTM_to_MGRS_with_LongLat(latDeg * kDeg, 0, &zone, &p, digits, &out);
    return out;
}
} // namespace

TEST(Mgrs, ReferencesOfProjsPointsParseBackToThem)
{
    const auto rows = ReadGridTable("utm_international.txt");
    ASSERT_GE(rows.size(), 20u);
    for (const GridRow &r : rows) {
        const int zone = std::stoi(r.grid);
        const std::string ref = Format(r.latitude, zone, r.easting, r.northing, 5);
        ASSERT_EQ(MGRS_IsValidString(&ref), 1) << ref;
        double lat, lon, n, e;
        int z = 0;
        EXPECT_EQ(MGRS_to_UTM(&ref, &lat, &lon, &n, &e, &z), 1) << ref << " " << r.latitude;
        EXPECT_EQ(z, zone);
        // Five digits keep whole metres of the rounded point, cut not rounded.
        const double eRounded = std::round(r.easting), nRounded = std::min(std::round(r.northing), 9999999.0);
        EXPECT_EQ(e, eRounded) << ref;
        EXPECT_EQ(n, nRounded) << ref;
        EXPECT_NEAR(lat / kDeg, r.latitude, 2e-5) << ref; // within a metre or two
    }
}

TEST(Mgrs, WorkedCases)
{
    // 33U: Vienna, zone 33 of set 3 ("S".."Z"), odd set without row offset.
    EXPECT_EQ(Format(48.207, 33, 601938.6785, 5340322.4807, 5), "33UXP0193940322");
    EXPECT_EQ(Format(48.207, 33, 601938.6785, 5340322.4807, 7), "33UXP0193940322");
    EXPECT_EQ(Format(48.207, 33, 601938.6785, 5340322.4807, 2), "33UXP0140");
    EXPECT_EQ(Format(48.207, 33, 601938.6785, 5340322.4807, 0), "33UXPEENN");
    EXPECT_EQ(Format(4.0, 5, 500000, 442000, 1).substr(0, 3), "05N");
    EXPECT_EQ(Format(0.0, 35, 500000, 0, 5).substr(0, 3), "35N");
    // A northing that rounds to 10,000,000 reads as 9,999,999.
    EXPECT_EQ(Format(-0.000001, 35, 500000, 9999999.8, 5), Format(-0.000001, 35, 500000, 9999999, 5));
    // Zone 31 band V: an easting of 500,000 is written as 499,999.
    EXPECT_EQ(Format(60.0, 31, 500000, 6651411, 5), Format(60.0, 31, 499999, 6651411, 5));
    // Set 3 easting 800,000..899,999 is column Z; rows repeat every 2,000 km.
    EXPECT_EQ(Format(10.0, 3, 850000, 1100000, 1)[3], 'Z');
    EXPECT_EQ(Format(10.0, 1, 500000, 2100000, 1)[4], Format(10.0, 1, 500000, 100000, 1)[4]);
    EXPECT_EQ(Format(48.0, 33, -5, 5300000, 5), "");
}

TEST(Mgrs, RejectsMalformedAndExcludedReferences)
{
    double lat = 1, lon = 1, n = 1, e = 1;
    int zone = 0;
    for (const char *bad : {"33UXP01939403221", "33UXP019394032", "33uxp0193940322", "3UXP01", "33UXPAB12"}) {
        const std::string s(bad);
        EXPECT_EQ(MGRS_to_UTM(&s, &lat, &lon, &n, &e, &zone), 0) << bad;
    }
    const std::string excluded = "34XEJ12345678";
    EXPECT_EQ(MGRS_to_UTM(&excluded, &lat, &lon, &n, &e, &zone), 0);
    EXPECT_EQ(zone, 34);
    EXPECT_EQ(lat, 0.0);
    EXPECT_EQ(e, 0.0);
    const std::string svalbard = Format(79.9, 33, 615322.1040, 8876537.9205, 4);
    EXPECT_EQ(svalbard.substr(0, 3), "33X");
    EXPECT_EQ(MGRS_to_UTM(&svalbard, &lat, &lon, &n, &e, &zone), 1);
    EXPECT_EQ(e, 615320.0); // four digits: tens of metres
}

TEST(Mgrs, MapPointThroughTheUtmModule)
{
    ModuleSandbox sandbox;
    ScopedView v;
    v->projection.baseUnit = 3; // centimetres
    std::string out;
    UTM_to_MGRS(v.get(), 60193868, 534032248, 33, 5, &out);
    EXPECT_EQ(out, "33UXP0193940322");
    UTM_to_MGRS(v.get(), 81656203, 624081878, -33, 3, &out); // southern hemisphere
    EXPECT_EQ(out.substr(0, 3), "33H");
    v->projection.baseUnit = 99;
    UTM_to_MGRS(v.get(), 60193868, 534032248, 33, 5, &out);
    EXPECT_EQ(out, "");
    UTM_to_MGRS(nullptr, 0, 0, 33, 5, &out);
    EXPECT_EQ(out, "");
}
