// The circle dialog: places a circle (a polygon approximating it) by centre,
// radius and number of segments, or changes an existing circle. Radius and
// segments are remembered in the engine's settings. CircleDialogModel holds
// the values and what OK does; DlgCircle builds the dialog over it.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>
#include <string>

struct _WNDRES;

inline constexpr int kCircleDialogTemplate = 0x4349; // the template "CIRCLE_DIALOG"
inline constexpr int kCircleCentreXId = 171;
inline constexpr int kCircleCentreYId = 172;
inline constexpr int kCircleRadiusId = 173;
inline constexpr int kCircleSegmentsId = 178;
inline constexpr int kCircleHelpId = 57670;
// Undo step code of a circle made or changed.
inline constexpr uint16_t UNDO_CODE_CIRCLE = 2;
// More segments than this make no circle (the vertices of a circle are
// whole map units apart at best; this keeps a typing slip from a hang).
inline constexpr int32_t kCircleMaxSegments = 1000000;

inline constexpr const char *kCircleRadiusSetting = "Circle radius";
inline constexpr const char *kCircleSegmentsSetting = "Circle segments";

class CircleDialogModel {
public:
    // The stored radius and segments (a value that cannot be read is
    // written back with its default), the centre given; with a circle, its
    // radius (centre to first vertex) and vertex count instead.
    void Load(HWND window, OBJHANDLE circle, MAP_COORDPT centre);

    // The texts of the four fields as the dialog shows them ("%ld").
    std::string text(int id) const;
    // Reads a field back as atoi does: text that is not a number reads 0.
    void setText(int id, const std::string &text);

    // What OK does: stores radius and segments, and when a circle can be
    // made of them, replaces the old circle (if any) by it in one undo step,
    // selected. True when a circle was made; nothing else changes when not.
    bool Apply(HWND window);

    int32_t centreX = 0, centreY = 0, radius = 100, segments = 10;
    OBJHANDLE circle = 0;

private:
    MAP_COORDRECT oldBound_{};
};

// The engine's circular selection: keeps the window record only.
class CCircularSelection {
public:
    CCircularSelection(_WNDRES *record, _COORDPT centre, long radius, int, int);
    CCircularSelection &operator=(const CCircularSelection &other);
    _WNDRES *record() const { return record_; }

private:
    _WNDRES *record_;
};

extern "C" {

// Runs the circle dialog for a new circle at the centre (circle 0) or for
// an existing circle about its stored centre. 1.
int DlgCircle(HWND window, OBJHANDLE circle, MAP_COORDPT centre);
// Opens the dialog for the first selected object when it is a polygon made
// as a circle (both centre fields non-zero, its vertices still around the
// centre). 1 when the dialog was opened, else 0.
int ReDefCircle(HWND window);

} // extern "C"
