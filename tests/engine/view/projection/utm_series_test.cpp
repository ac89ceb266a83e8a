// The engine's UTM series and the modules' Transverse Mercator against
// PROJ's tables (tests/data/projection/make_fixtures.sh).
#include "engine/view/projection/utm_series.h"
#include "modules/tm_math/transverse_mercator.h"
#include "tests/engine/view/projection/fixture_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {
constexpr double kDeg = M_PI / 180.0;
constexpr double kMm = 0.001;
} // namespace

TEST(UtmSeries, AgreesWithProjToAMillimetre)
{
    const auto rows = ReadGridTable("utm_international.txt");
    ASSERT_GE(rows.size(), 20u);
    for (const GridRow &r : rows) {
        const int zone = std::stoi(r.grid);
        double e, n;
        utm::Forward(r.latitude * kDeg, r.longitude * kDeg, zone, &e, &n, utm::kInternational);
        EXPECT_NEAR(e, r.easting, kMm) << r.grid << " " << r.latitude << " " << r.longitude;
        EXPECT_NEAR(n, r.northing, kMm) << r.grid << " " << r.latitude << " " << r.longitude;
        double lat, lon;
        utm::Inverse(r.easting, r.northing, zone, r.latitude < 0, &lat, &lon, utm::kInternational);
        // A millimetre is about 1e-8 degrees of latitude.
        EXPECT_NEAR(lat / kDeg, r.latitude, 1e-8) << r.grid << " " << r.latitude;
        EXPECT_NEAR((lon / kDeg - r.longitude) * std::cos(r.latitude * kDeg), 0.0, 1e-8)
            << r.grid << " " << r.longitude;
    }
}

// On WGS-84, the ellipsoid of grid references: PROJ's UTM points, and the
// latitudes GeoConvert gives for the UTM points of the grid-reference table
// (across whole zones, out to the Norway and Svalbard zones' edges).
TEST(UtmSeries, AgreesOnWgs84WithProjAndGeoConvert)
{
    int proj = 0;
    for (const GridRow &r : ReadGridTable("national_grids.txt")) {
        if (r.grid.rfind("UTM_", 0) != 0)
            continue;
        ++proj;
        const int zone = std::stoi(r.grid.substr(4));
        double e, n;
        utm::Forward(r.latitude * kDeg, r.longitude * kDeg, zone, &e, &n, utm::kWgs84);
        EXPECT_NEAR(e, r.easting, kMm) << r.grid << " " << r.latitude << " " << r.longitude;
        EXPECT_NEAR(n, r.northing, kMm) << r.grid << " " << r.latitude << " " << r.longitude;
    }
    EXPECT_EQ(proj, 4);

    std::ifstream in(std::string(MAP_TEST_DATA_DIR) + "/projection/mgrs_edges.txt");
    std::string line;
    int geoConvert = 0;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        int zone;
        double e, n, latitude;
        if (line.empty() || line[0] == '#' || !(ls >> zone >> e >> n >> latitude))
            continue;
        ++geoConvert;
        double lat, lon;
        utm::Inverse(e, n, std::abs(zone), zone < 0, &lat, &lon, utm::kWgs84);
        EXPECT_NEAR(lat / kDeg, latitude, 1e-8) << zone << " " << e << " " << n;
    }
    EXPECT_GT(geoConvert, 5000);
}

TEST(TransverseMercator, AgreesWithProjOnUtmAndNationalGrids)
{
    auto check = [](const tmerc::Grid &grid, const GridRow &r) {
        const tmerc::Projection p(grid);
        double e, n;
        p.Forward(r.latitude, r.longitude, &e, &n);
        EXPECT_NEAR(e, r.easting, kMm) << r.grid << " " << r.latitude << " " << r.longitude;
        EXPECT_NEAR(n, r.northing, kMm) << r.grid << " " << r.latitude << " " << r.longitude;
        double lat, lon;
        p.Inverse(r.easting, r.northing, &lat, &lon);
        EXPECT_NEAR(lat, r.latitude, 1e-8) << r.grid;
        EXPECT_NEAR((lon - r.longitude) * std::cos(r.latitude * kDeg), 0.0, 1e-8) << r.grid;
    };
    int bng = 0, itm = 0;
    for (const GridRow &r : ReadGridTable("national_grids.txt")) {
        if (r.grid == "BNG") {
            check(tmerc::BritishNationalGrid(), r);
            ++bng;
        } else if (r.grid == "ITM") {
            check(tmerc::IrishTransverseMercator(), r);
            ++itm;
        } else {
            const int zone = std::stoi(r.grid.substr(4));
            check(tmerc::UtmGrid(tmerc::kWgs84, zone, r.grid.back() == 'S'), r);
        }
    }
    EXPECT_GE(bng, 5);
    EXPECT_GE(itm, 5);
    for (const GridRow &r : ReadGridTable("utm_international.txt")) {
        const int zone = std::stoi(r.grid);
        check(tmerc::UtmGrid(tmerc::kInternational, zone, r.latitude < 0), r);
    }
}
