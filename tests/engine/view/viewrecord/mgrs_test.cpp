#include "engine/view/viewrecord/mgrs.h"
#include "engine/view/projection/utm_series.h"
#include "tests/engine/view/projection/fixture_table.h"
#include "tests/engine/view/viewrecord/view_support.h"

#include <climits>
#include <cmath>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

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

// PROJ's UTM points on WGS-84 within the zones' width (the table's points
// reach 20 degrees from the central meridian; the grid's use of a zone ends
// at its edges, a little farther in the Norway and Svalbard zones).
TEST(Mgrs, ReferencesOfProjsPointsParseBackToThem)
{
    int compared = 0;
    for (const char *table : {"national_grids.txt", "tm_random.txt"}) {
        for (const GridRow &r : ReadGridTable(table)) {
            if (r.grid.rfind("UTM_", 0) != 0)
                continue;
            const int zone = std::stoi(r.grid.substr(4));
            const double offMeridian = std::remainder(r.longitude - utm::CentralMeridianDegrees(zone), 360.0);
            if (std::fabs(offMeridian) > 3.0 ||
                (r.latitude >= 72.0 && (zone == 32 || zone == 34 || zone == 36)))
                continue;
            ++compared;
            const int signedZone = r.latitude < 0 ? -zone : zone;
            const std::string ref = Format(r.latitude, signedZone, r.easting, r.northing, 5);
            ASSERT_EQ(MGRS_IsValidString(&ref), 1) << r.grid << " " << r.latitude << " " << ref;
            double lat, lon, n, e;
            int z = 0;
            EXPECT_EQ(MGRS_to_UTM(&ref, &lat, &lon, &n, &e, &z), 1) << ref << " " << r.latitude;
            EXPECT_EQ(z, zone);
            // Five digits keep whole metres of the point (here rounded to
            // whole metres first), cut not rounded.
            EXPECT_EQ(e, std::round(r.easting)) << ref;
            EXPECT_EQ(n, std::round(r.northing)) << ref;
            EXPECT_NEAR(lat / kDeg, r.latitude, 2e-5) << ref; // within a metre or two
        }
    }
    EXPECT_GE(compared, 30);
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
    // Zone 31 band V: an easting of 500,000 lies in the column east of the
    // 500 km line, as everywhere else.
    EXPECT_EQ(Format(60.0, 31, 500000, 6651411, 5), "31VEG0000051411");
    EXPECT_EQ(Format(60.0, 31, 499999, 6651411, 5), "31VDG9999951411");
    // Set 3 easting 800,000..899,999 is column Z; rows repeat every 2,000 km.
    EXPECT_EQ(Format(10.0, 3, 850000, 1100000, 1)[3], 'Z');
    EXPECT_EQ(Format(19.0, 1, 500000, 2100000, 1).substr(4, 1),
              Format(0.9, 1, 500000, 100000, 1).substr(4, 1));
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
    // 601938.68 m: the point lies in the metre square from 601938 m.
    UTM_to_MGRS(v.get(), 60193868, 534032248, 33, 5, &out);
    EXPECT_EQ(out, "33UXP0193840322");
    UTM_to_MGRS(v.get(), 81656203, 624081878, -33, 3, &out); // southern hemisphere
    EXPECT_EQ(out.substr(0, 3), "33H");
    v->projection.baseUnit = 99;
    UTM_to_MGRS(v.get(), 60193868, 534032248, 33, 5, &out);
    EXPECT_EQ(out, "");
    UTM_to_MGRS(nullptr, 0, 0, 33, 5, &out);
    EXPECT_EQ(out, "");
}

namespace {

struct GeoConvertRow {
    double latitude, longitude;
    int zone; // negative in the south
    double easting, northing;
    std::string reference;
};

// The rows of a table under tests/data/projection that `read` takes from
// its lines; comment lines are skipped.
template <typename Row, typename Reader>
std::vector<Row> ReadTable(const char *name, Reader read)
{
    std::vector<Row> rows;
    std::ifstream in(std::string(MAP_TEST_DATA_DIR) + "/projection/" + name);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        Row r;
        if (!line.empty() && line[0] != '#' && read(ls, r))
            rows.push_back(r);
    }
    return rows;
}

std::vector<GeoConvertRow> ReadGeoConvertTable()
{
    return ReadTable<GeoConvertRow>("mgrs_geoconvert.txt", [](std::istringstream &ls, GeoConvertRow &r) {
        return bool(ls >> r.latitude >> r.longitude >> r.zone >> r.easting >> r.northing >> r.reference);
    });
}

struct Parsed {
    int result;
    double latitude, longitude, northing, easting;
    int zone;
};

Parsed Parse(const std::string &text)
{
    Parsed p{};
    p.result = MGRS_to_UTM(&text, &p.latitude, &p.longitude, &p.northing, &p.easting, &p.zone);
    return p;
}

// A view with the utm module in reach, for the reference tables.
class MgrsTable : public testing::Test {
protected:
    ModuleSandbox sandbox;
    ScopedView v;
};

} // namespace

TEST_F(MgrsTable, WritesWhatGeoConvertWritesAndReadsItBack)
{
    v->projection.baseUnit = 4; // metres
    const auto rows = ReadGeoConvertTable();
    ASSERT_GE(rows.size(), 300u);
    int compared = 0;
    for (const GeoConvertRow &r : rows) {
        // GeoConvert cuts its metres; whole metres round to themselves here.
        // (A value printed as .000 may have been cut from .9995 or more:
        // such rows are left out.)
        const double e = std::floor(r.easting), n = std::floor(r.northing);
        const auto nearWhole = [](double v) {
            return v - std::floor(v) > 0.999 || v - std::floor(v) < 0.001;
        };
        if (nearWhole(r.easting) || nearWhole(r.northing))
            continue;
        ++compared;
        const MAP_COORDPT point{int32_t(e), int32_t(n)};
        std::string out;
        UTM_to_MGRS_with_LongLat(r.latitude * kDeg, r.longitude * kDeg, &r.zone, &point, 5, &out);
        EXPECT_EQ(out, r.reference) << r.latitude << " " << r.longitude;
        // Through the map point and the utm module's latitude alike.
        UTM_to_MGRS(v.get(), point.x, point.y, r.zone, 5, &out);
        EXPECT_EQ(out, r.reference) << r.latitude << " " << r.longitude;
        const Parsed p = Parse(r.reference);
        EXPECT_EQ(p.result, 1) << r.reference;
        EXPECT_EQ(p.zone, std::abs(r.zone));
        EXPECT_EQ(p.easting, e) << r.reference;
        EXPECT_EQ(p.northing, n) << r.reference;
    }
    EXPECT_GE(compared, 290);
}

// Points near the band edges and the grid's outer limits, in every zone and
// with every digit count: a point of the grid always gets a reference, one
// outside it never, and every reference reads back to its own square.
TEST(Mgrs, EveryReferenceWrittenReadsBackIntoItsSquare)
{
    ModuleSandbox sandbox;
    ScopedView v;
    v->projection.baseUnit = 4;
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> zoneOf(1, 60), digitsOf(1, 5), edgeOf(0, 20);
    std::uniform_real_distribution<double> offsetOf(-3000.0, 3000.0), longitudeOf(-3.5, 3.5);
    int written = 0;
    for (int i = 0; i < 3000; ++i) {
        const int zone = zoneOf(random), digits = digitsOf(random);
        const int edge = edgeOf(random); // 0: 80 S ... 19: 72 N, 20: 84 N
        const double edgeLatitude = edge == 20 ? 84.0 : edge * 8.0 - 80.0;
        const double lambda = (utm::CentralMeridianDegrees(zone) + longitudeOf(random)) * kDeg;
        double e, n;
        utm::Forward(edgeLatitude * kDeg, lambda, zone, &e, &n, utm::kWgs84);
        const double offset = offsetOf(random);
        bool southern = edgeLatitude < 0;
        if (edgeLatitude == 0) {
            southern = offset < 0;
            n = southern ? 10000000.0 + offset : offset;
        } else {
            n += offset;
        }
        const int signedZone = southern ? -zone : zone;
        const MAP_COORDPT point{int32_t(std::lround(e)), int32_t(std::lround(n))};
        double latitude, longitude;
        utm::Inverse(point.x, point.y, zone, southern, &latitude, &longitude, utm::kWgs84);
        const double latitudeDegrees = latitude / kDeg;
        const bool inGrid = latitudeDegrees >= -80.0 && latitudeDegrees <= 84.0 &&
                            !(latitudeDegrees >= 72.0 && (zone == 32 || zone == 34 || zone == 36));

        std::string out;
        UTM_to_MGRS(v.get(), point.x, point.y, signedZone, digits, &out);
        ASSERT_EQ(!out.empty(), inGrid) << signedZone << " " << latitudeDegrees << " " << point.x << " "
                                        << point.y << " " << digits << " " << out;
        if (out.empty())
            continue;
        ++written;
        const Parsed p = Parse(out);
        ASSERT_EQ(p.result, 1) << out << " " << latitudeDegrees;
        EXPECT_EQ(p.zone, zone);
        const double size = std::pow(10.0, 5 - digits);
        EXPECT_TRUE(p.easting <= point.x && point.x < p.easting + size) << out << " " << point.x;
        EXPECT_TRUE(p.northing <= point.y && point.y < p.northing + size) << out << " " << point.y;
    }
    EXPECT_GE(written, 2500);
}

TEST(Mgrs, WritesNothingForPointsOutsideTheGrid)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char *what;
        double latitude;
        int zone;
        double easting, northing;
    } cases[] = {
        {"NaN latitude", nan, 33, 601939, 5340322},
        {"infinite latitude", inf, 33, 601939, 5340322},
        {"minus infinite latitude", -inf, 33, 601939, 5340322},
        {"south of 80 S", -80.5, 33, 500000, 1060000},
        {"north of 84 N", 84.5, 33, 500000, 9385000},
        {"beyond band X", 83.9, 33, 500000, 9500000},
        {"latitude of another point", 10.0, 33, 601939, 5340322},
        {"zone 0", 48.207, 0, 601939, 5340322},
        {"zone 61", 48.207, 61, 601939, 5340322},
        {"zone -61", -33.9, -61, 261873, 6243171},
        {"smallest zone", 48.207, INT_MIN, 601939, 5340322},
        {"largest zone", 48.207, INT_MAX, 601939, 5340322},
        {"easting 0", 0.0, 33, 0, 0},
        {"easting 99,999", 45.0, 33, 99999, 5000000},
        {"easting 900,000", 45.0, 33, 900000, 5000000},
        {"negative northing", -0.1, 33, 500000, -11000},
        {"northing 2^31 - 1", 48.0, 33, 500000, 2147483647},
        {"zone 32 band X", 75.0, 32, 500000, 8330000},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Format(c.latitude, c.zone, c.easting, c.northing, 5), "") << c.what;
    }
    ModuleSandbox sandbox;
    ScopedView v;
    v->projection.baseUnit = 4;
    std::string out = "untouched";
    for (int zone : {0, 61, -61, INT_MIN, INT_MAX}) {
        UTM_to_MGRS(v.get(), 601939, 5340322, zone, 5, &out);
        EXPECT_EQ(out, "") << zone;
    }
    UTM_to_MGRS(v.get(), INT_MIN, INT_MAX, 33, 5, &out);
    EXPECT_EQ(out, "");
}

TEST(Mgrs, ParsesOnlyLettersAndSquaresTheGridHas)
{
    ASSERT_EQ(Parse("33UXP0193940322").result, 1);
    struct Case {
        const char *text, *what;
    } cases[] = {
        {"00UXP0193940322", "zone 0"},
        {"61UXP0193940322", "zone 61"},
        {"99UXP0193940322", "zone 99"},
        {"33AXP0193940322", "band A (polar)"},
        {"33BXP0193940322", "band B (polar)"},
        {"33YXP0193940322", "band Y (polar)"},
        {"33ZXP0193940322", "band Z (polar)"},
        {"33IXP0193940322", "band I"},
        {"33OXP0193940322", "band O"},
        {"33UAP0193940322", "column A outside the zone's S-Z set"},
        {"33UJP0193940322", "column J outside the zone's S-Z set"},
        {"32UXP0193940322", "column X outside the zone's J-R set"},
        {"32UOP0193940322", "column O"},
        {"33UXI0193940322", "row I"},
        {"33UXO0193940322", "row O"},
        {"33UXW0193940322", "row W"},
        {"33UXZ0193940322", "row Z"},
        {"33UXE0193940322", "a square north of band U"},
        {"33UXE01", "a 100 km square north of band U"},
        {"33CXC0193940322", "a square far from band C"},
        {"33uXP0193940322", "lower case"},
        {"33UxP0193940322", "lower case"},
        {"33UXP019394032", "odd digit count"},
        {"33UXP01939403221", "16 characters"},
        {"33UXP", "no digits"},
        {"3UXP0193940322", "one zone digit"},
        {"33UXP01939A0322", "a letter among the digits"},
        {"", "empty"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Parse(c.text).result, 0) << c.text << ": " << c.what;
    }
    EXPECT_EQ(MGRS_to_UTM(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
}

namespace {

// A row of mgrs_edges.txt: a UTM point in centimetres, its latitude and
// GeoConvert's references with 0 to 5 digits.
struct EdgeRow {
    int zone; // negative in the south
    double easting, northing, latitude;
    std::string reference[6];
};

std::vector<EdgeRow> ReadEdgeTable()
{
    return ReadTable<EdgeRow>("mgrs_edges.txt", [](std::istringstream &ls, EdgeRow &r) {
        ls >> r.zone >> r.easting >> r.northing >> r.latitude;
        for (std::string &ref : r.reference)
            ls >> ref;
        return bool(ls);
    });
}

} // namespace

// Points near every band edge, every zone edge (on both sides) and the
// 100 km squares' edges (tests/data/projection/make_mgrs_edges.sh), in a map
// kept in centimetres: every digit count gives GeoConvert's reference (with
// "EE" and "NN" for no digits), and each reads back to the square it names,
// which holds the point.
TEST_F(MgrsTable, ReferencesNearEveryEdgeAreTheStandardOnes)
{
    v->projection.baseUnit = 3; // centimetres
    const auto rows = ReadEdgeTable();
    ASSERT_GT(rows.size(), 5000u);
    for (const EdgeRow &r : rows) {
        const std::string where =
            std::to_string(r.zone) + " " + std::to_string(r.easting) + " " + std::to_string(r.northing);
        const auto x = int32_t(std::lround(r.easting * 100)), y = int32_t(std::lround(r.northing * 100));
        const MAP_COORDPT metres{int32_t(std::floor(r.easting)), int32_t(std::floor(r.northing))};
        for (int digits = 0; digits <= 5; ++digits) {
            const std::string &standard = r.reference[digits];
            const std::string expected = digits ? standard : standard + "EENN";
            std::string out;
            UTM_to_MGRS(v.get(), x, y, r.zone, digits, &out);
            ASSERT_EQ(out, expected) << where << " digits " << digits;
            // Whole metres and the point's own latitude give the same.
            UTM_to_MGRS_with_LongLat(r.latitude * kDeg, 0, &r.zone, &metres, digits, &out);
            ASSERT_EQ(out, expected) << where << " digits " << digits;
            if (digits == 0)
                continue;
            // GeoConvert's text reads back to the square that holds the
            // point; the southern grid's points on the equator belong to the
            // square below it.
            const Parsed p = Parse(standard);
            ASSERT_EQ(p.result, 1) << standard;
            EXPECT_EQ(p.zone, std::abs(r.zone)) << standard;
            const double size = std::pow(10.0, 5 - digits);
            const double northing = r.zone < 0 ? std::min(r.northing, 9999999.99) : r.northing;
            EXPECT_EQ(p.easting, std::floor(r.easting / size) * size) << standard;
            EXPECT_EQ(p.northing, std::floor(northing / size) * size) << standard;
            if (digits == 5) {
                EXPECT_NEAR(p.latitude / kDeg, r.latitude, 2e-5) << standard; // within a metre or two
            }
        }
    }
}
