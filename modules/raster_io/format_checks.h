// Checks of image files that Qt's readers let through: a file cut short
// reads as an image with grey or empty rows, so the formats that have an end
// mark are checked for it, and the resolution a file states (Qt cannot tell
// a stated resolution from its own default).
#pragma once

#include <optional>
#include <string>

// A JPEG file holds its end-of-image mark after its last scan.
bool JpegIsComplete(const std::string &path);
// A PNG file holds its IEND chunk.
bool PngIsComplete(const std::string &path);
// A GIF file ends with its trailer byte (0x3B), trailing zero bytes allowed.
bool GifIsComplete(const std::string &path);

// An uncompressed BMP file holds every row its header names.
bool BmpIsComplete(const std::string &path);

// The width and height the file's header states (JPEG, PNG, GIF, BMP), read
// without decoding, for files whose size Qt's reader refuses to tell; none
// for other formats or a header that cannot be read.
struct StatedDimensions {
    long long width;
    long long height;
};
std::optional<StatedDimensions> StatedSize(const std::string &path);

struct DotsPerInch {
    double x;
    double y;
};
// The resolution the file states in its header (JPEG's JFIF density, PNG's
// pHYs chunk, BMP's pixels per metre, TIFF's resolution tags); none when it
// states none or the format has no such field.
std::optional<DotsPerInch> StatedResolution(const std::string &path);
