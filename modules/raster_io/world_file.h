// World files: six numbers beside an image that place it on the map (pixel
// width, two rotation terms, pixel height (negative for north up), and the
// centre of the upper-left pixel).
#pragma once

#include <optional>
#include <string>

struct WorldFile {
    double pixelWidth;  // map units per pixel across
    double pixelHeight; // map units per pixel down (positive)
    double left;        // upper-left corner of the image, not of its first pixel's centre
    double top;
};

// The world file of the image: the image's path with the extension given
// (e.g. "pgw"), then ".wld", in lower or upper case. None when no such file
// exists, it does not hold six numbers, the pixel sizes are zero, or the
// image is rotated.
std::optional<WorldFile> FindWorldFile(const std::string &imagePath, const std::string &extension);
