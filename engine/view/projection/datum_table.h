// The datum table: its row index is the datum number that a coordinate
// system stores and that projection modules receive. Built in and read-only.
#pragma once

#include <cstdint>
#include <string>

struct DatumInfo {
    char name[36];
    char ellipsoid[20];
    double semiMajorAxisShift; // metres, against WGS-84
    double flatteningShift;    // x 10000, against WGS-84
    int32_t dx, dy, dz;        // origin shift to WGS-84, metres
};

inline constexpr int kDatumRowCount = 120;
inline constexpr int kDatumWgs84 = 116;

const DatumInfo *DatumTable();

// Index of the first row named exactly so (case counts); -1 when none.
int DatumIDGet(const char *name);
// 1 with the row's name for 0..119; 0 and nothing changed otherwise.
int DatumNameGet(int index, std::string &name);
// The name cut to fit the buffer with its terminating zero.
int DatumNameGet(int index, char *buffer, int length);
