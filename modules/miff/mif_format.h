// The interchange text format of vector maps: a ".mif" file with a header
// (version, character set, delimiter, coordinate system, columns) and the
// objects after "Data", and a ".mid" file beside it with one row of column
// values per object. Reading checks everything before it gives a document,
// so a damaged file yields an error and no objects.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class MifKind { None, Region, Pline, Point, Text };

struct MifPoint {
    double x;
    double y;
};

struct MifFeature {
    MifKind kind = MifKind::None;
    // Region: its rings; Pline: its sections; Point and Text: one part of one
    // point (the text's lower-left corner).
    std::vector<std::vector<MifPoint>> parts;
    // Text only.
    std::string text;
    std::string face;
    int fontStyle = 0;               // 1 bold, 2 italic
    int fontSize = 0;                // points
    uint32_t fontColour = 0;         // 0xRRGGBB
    double angle = 0;                // degrees, counter-clockwise
    MifPoint textCorner{0, 0};       // the upper-right corner of the text's box
    std::vector<std::string> values; // the object's row of the attribute file
};

struct MifDocument {
    char delimiter = '\t';
    std::vector<std::string> columns; // column names, in order
    std::vector<MifFeature> features;

    // The index of the column of that name (compared ignoring case), -1.
    int Column(const std::string &name) const;
};

// The most points one object may hold; a larger count marks a damaged file.
inline constexpr size_t kMifMaxPoints = 16u * 1024u * 1024u;

// Reads the texts of the two files (mid null: no attribute file). false
// with the reason (and the line) in error.
bool ParseMif(const std::string &mif, const std::string *mid, MifDocument *doc, std::string *error);

// The two files' texts of a document whose objects lie inside the bounds
// (xmin, ymin, xmax, ymax), with the columns given.
struct MifColumnSpec {
    std::string name;
    std::string type; // e.g. "Integer", "Char(32)"
};
std::string WriteMif(const MifDocument &doc, const std::vector<MifColumnSpec> &columns, double xmin,
                     double ymin, double xmax, double ymax);
std::string WriteMid(const MifDocument &doc);
// A number written shortest, so that reading it gives the same double.
std::string MifNumber(double value);
