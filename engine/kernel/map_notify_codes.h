// Messages the engine sends to a map window (the control's window) to report
// progress, command states, the selection and requests, and the codes of the
// client's own notification message. They are sent synchronously from the
// thread that runs the operation. Every floor of the engine sends them, the
// kernel included, so they are declared here.
#pragma once

#include "platform/window.h"

enum MAP_NOTIFY_MSG : UINT {
    MAPN_PROGRESS = WM_USER + 0x99,
    MAPN_LISTCHANGED = WM_USER + 14,
    MAPN_SHEETCHANGE = WM_USER + 0x100,
    MAPN_UNDOREDOSTATE = WM_USER + 0x101,
    MAPN_PASTESTATE = WM_USER + 0x103,
    MAPN_UNDOREDOCAPTION = WM_USER + 0x104,
    MAPN_SELCOUNT = WM_USER + 0x105,
    MAPN_REPAINT = WM_USER + 0x106,
    MAPN_HELP = WM_USER + 0x107,
    MAPN_GPSREINIT = WM_USER + 0x10C,
    MAPN_GPSSTOP = WM_USER + 0x10D,
};

// MAPN_PROGRESS: wParam is the operation kind, lParam one of these marks or
// a percentage from 0 to 100.
inline constexpr LPARAM MAPN_PROGRESS_START = -1;
inline constexpr LPARAM MAPN_PROGRESS_END = -2;

enum MapProgressKind : WPARAM {
    MAPN_KIND_RUNNING = 1, // percentages of any long operation; reading a document
    MAPN_KIND_WRITING = 2, // writing a document or the clipboard stream
    MAPN_KIND_PRINTING = 5,
    MAPN_KIND_DRAWING = 6, // the control's drawing thread
    MAPN_KIND_BUFFER = 9,  // buffer zones and Boolean polygon tools
    MAPN_KIND_CUTTING = 10,
    MAPN_KIND_POLYGONS = 11, // polylines to polygons, polygon cut by a polyline
};

// MAPN_UNDOREDOSTATE and MAPN_PASTESTATE: wParam enables or disables.
inline constexpr WPARAM MAPN_ENABLE = 1;
inline constexpr WPARAM MAPN_DISABLE = 2;
// MAPN_UNDOREDOSTATE lParam, MAPN_UNDOREDOCAPTION wParam.
inline constexpr UINT MAPN_UNDO = 3;
inline constexpr UINT MAPN_REDO = 4;
// MAPN_PASTESTATE lParam.
inline constexpr LPARAM MAPN_PASTE_ALL = 3;
inline constexpr LPARAM MAPN_PASTE_SPECIAL = 4;

// Codes of the client's registered notification message (wParam); lParam
// carries the whole 32-bit handle of the object or group named.
enum MAP_NOTIFY_CODE : WPARAM {
    MAPNC_PUT_INTO = 1,      // into a layer, or a group into its aspect or parent
    MAPNC_GROUP_CHANGED = 2, // a group gained or lost a member, or an object was taken away
    MAPNC_TAKEN_FROM = 3,    // out of its layer, or a group out of its aspect or parent
    MAPNC_SELECTION = 4,     // an object was selected or deselected
};
