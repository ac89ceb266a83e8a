// The main window's rules that need no window: the command line, the
// settings upgrade, the status bar's texts, the unit codes, the enabled
// state of the main window's own commands and the most-recently-used order
// of the tool tabs. Texts are Windows-1252.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the command line names: a map document and the start-up identifier.
struct TStartupParms {
    std::string FileName;
    std::string Identifier;
    bool HasFile() const { return !FileName.empty(); }
};

// The arguments after the program's own name. An argument whose lower-case
// form has its first ".mpd" at its very end names the document (the last
// such argument wins); one beginning with "id=" in any case gives the
// identifier: the text after "id=", at most 99 characters.
TStartupParms ParseStartupParms(const std::vector<std::string> &arguments);

// The version a stored "Version" value ("Version 5.45") names, times 100 and
// rounded; 0 when the value holds no number where the version belongs.
int StoredVersionNumber(const std::string &value);
// Tool bars stored before this version are dropped at start.
inline constexpr int kFirstKeptToolbarsVersion = 546;
inline constexpr const char *kVersionText = "Version 5.61";

// A number in fixed notation with the given decimals; when its integer part
// has more than precision digits, exponent form with precision significant
// digits.
std::string FormatFixedPrecision(double value, int precision, int decimals);

// Status panel 6: the distance in metres and the bearing from the reference
// point to the pointer ("3.0 m : 90\xB0"), empty at a distance of 0 or of
// 1000000 map units and more.
std::string DistanceBearingText(int32_t x, int32_t y, int32_t referenceX, int32_t referenceY);
// The bearing in whole degrees clockwise from north of a step (dx, dy).
int BearingDegrees(double dx, double dy);
// Status panel 3 without latitude and longitude: grid name, a blank,
// "easting : northing" in metres.
std::string PointerGridText(const std::string &gridName, int32_t x, int32_t y);

// The unit menu: tool ids 38..42 choose the length unit (control kind 3),
// 43..48 the area unit (kind 4).
inline constexpr int32_t kLengthUnitKind = 3;
inline constexpr int32_t kAreaUnitKind = 4;
inline constexpr int32_t kDefaultUnits = 7428; // metres and hectares
// The control's unit code of a unit tool id; none for other ids.
std::optional<int32_t> UnitCodeOfTool(uint8_t id);
bool IsLengthUnitTool(uint8_t id);
// The stored "Units" value: length + area * 256.
inline int32_t StoredUnits(int32_t length, int32_t area) { return length + area * 256; }

// How the main window decides whether a tool id is enabled.
enum class TEnableRule {
    Never,
    Always,
    MapWritable,   // a current map that is not read-only
    MapExists,     // a current map
    LayerStates,   // the current map has saved layer states
    UserManual,    // the user manual is found
    UpdateChecker, // an update checker is configured
    AskTools,      // the tool manager answers
};
// The rule of an id whose command is built (IsToolBuilt decides first).
TEnableRule EnableRuleOf(uint8_t id);

// The user manual that ships with the program, in the common data folder
// (or the program's own): the file name the application key's value
// "UserManual" gives, else this one.
inline constexpr const char *kUserManualFile = "User Manual.html";
// The application key's value that names the update checker program.
inline constexpr const char *kUpdateProgramValue = "Update Program";

// The tool tabs' orders after tab "chosen" is shown. orders are the tool
// tabs' order numbers in page order (page 1 first); fixed tabs (order 0)
// come first. The chosen tab gets the lowest order after the fixed ones,
// every more recent tab moves one place down. Returns the index of the tab
// that became active, or none when no tab has that order; visible tells
// which tabs stay shown under maxTabs.
struct TTabOrderResult {
    std::optional<size_t> Active;
    std::vector<bool> Visible;
};
TTabOrderResult ReorderToolTabs(std::vector<int> &orders, int chosen, int maxTabs);
inline constexpr int kNewTabOrder = 99;
inline constexpr int kDefaultMaxTabs = 4;

// The keypad keys that move the view: the arrow key a keypad digit becomes,
// or none.
std::optional<int> KeypadArrowKey(int virtualKey);
inline constexpr int VK_NUMPAD5_KEY = 101;
