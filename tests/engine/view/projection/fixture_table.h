// Reads the whitespace-separated reference tables under tests/data.
#pragma once

#include "test_paths.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct GridRow {
    std::string grid; // zone number or grid name
    double latitude, longitude, easting, northing;
};

inline std::vector<GridRow> ReadGridTable(const std::string &name)
{
    std::vector<GridRow> rows;
    std::ifstream in(std::string(MAP_TEST_DATA_DIR) + "/projection/" + name);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream ls(line);
        GridRow r;
        if (ls >> r.grid >> r.latitude >> r.longitude >> r.easting >> r.northing)
            rows.push_back(r);
    }
    return rows;
}
