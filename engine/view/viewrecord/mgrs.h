// Military Grid Reference System texts of UTM points, both ways.
#pragma once

#include "engine/kernel/coords.h"

#include <string>

struct PresentationManager;

// Grid references are made on WGS-84. A reference names the square that
// holds the point: its digits are the easting and northing cut, not rounded,
// and a point on a 100 km line belongs to the square east or north of it.

// The grid reference of a map point of a view kept in UTM coordinates, with
// the given zone (negative: southern hemisphere) and digits. The latitude for
// the band letter comes from the "utm" module's GiveLoLa for the point's
// whole metres, and the parts of a metre count. The text stays empty when the
// module, its entry or the view's base unit is missing.
void UTM_to_MGRS(PresentationManager *view, int32_t x, int32_t y, int zone, int digits, std::string *out);

// Formats a UTM point (easting, northing in metres) whose latitude is known
// (radians); the longitude is not used. An empty text when a letter falls
// outside the alphabet or the point has a negative coordinate.
void UTM_to_MGRS_with_LongLat(double latitude, double longitude, const int *zone, const MAP_COORDPT *utm,
                              int digits, std::string *out);

// 1 converted; 0 rejected. Latitude and longitude in radians; the northing is
// the grid northing (with the false northing south of the equator).
int MGRS_to_UTM(const std::string *text, double *latitude, double *longitude, double *northing,
                double *easting, int *zone);

// 1 when the text has the form: two digits, three upper-case letters and an
// even number of digits, 7 to 15 characters in all.
int MGRS_IsValidString(const std::string *text);

// The "utm" module's entry: latitude and longitude (degrees) of a UTM point.
using GiveLoLaProc = void (*)(const MAP_COORDPT *utm, double *latitude, double *longitude, int zone);
