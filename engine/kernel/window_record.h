// The record of one map window: its object store, its two views, settings,
// page set-up, printer handles, selection look, notification target and the
// scratch state of drawing. The control owns the memory of the record; the
// window floor fills it (WndRes_Constructor in engine/window/wndres.h), binds
// it to the window and frees what it holds. Every window-level function finds
// it in the window's user data. The kernel reads and fills it too, so the
// record lives here, below the floors that manage it.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

struct PresentationManager;
struct Buffer;
struct SettingsRegKey;

// Pick radius, display options and cursor flag of a map window.
struct _GUI {
    int32_t pickRadius;
    int32_t displayOptions;
    int32_t noSelectionCursor;
};

// Scratch texts of the default printer while its paper list is read.
struct _STATICS {
    char deviceName[64];
    char portName[64];
    char driverName[64];
    char reserved[64];
};
static_assert(sizeof(_STATICS) == 256);

inline constexpr uint16_t WNDRES_MODIFIED = 0x0001; // flags bit 0

struct _WNDRES {
    HGLOBAL devMode = 0;
    HGLOBAL devNames = 0;
    HGLOBAL pageSetup = 0;
    OBJHANDLE rootObject = 0;
    _GUI *gui = nullptr;
    void *hostDocument = nullptr;
    uint16_t flags = 0;
    int32_t showSelectedNodes = 0;
    uint8_t selLineFlags = 0;
    COLORREF selLineColor = 0;
    int32_t selLineStyle = 0;
    int32_t selLineWidth = 0;
    double selArea = 0;
    double selLength = 0;
    int32_t calcSelArea = 0;
    int32_t calcSelLength = 0;
    int32_t copyCommand = 0;
    HWND notifyWnd = 0;
    UINT notifyMsg = 0;
    HFONT textFont = 0;
    char decimalChar = '.';
    char thousandChar = ' ';
    PresentationManager *displayView = nullptr;
    PresentationManager *printView = nullptr;
    OBJectKernel *kernel = nullptr;
    HWND hWnd = 0;
    HANDLE stopEvent = nullptr;
    RECT clientRect{0, 0, 0, 0};
    uint16_t vertexStride = 0;
    uint32_t vertexSize = 0;
    uint8_t *vertexBits = nullptr;
    Buffer *drawBuffers[5] = {};
    HBRUSH windowBrush = 0;
    SettingsRegKey *settingsKey = nullptr;
    uint32_t menuBar = 0;
    uint32_t menuPopup = 0;
    uint32_t pasteMetafile = 0;
    _STATICS *statics = nullptr;
    void *selCopy = nullptr;
    uint32_t selCopyUndoPos = 0;
    int32_t mgrsDigits = 0;
    int32_t mgrsZone = 0;
    int32_t undoEnabled = 0;
    int32_t rasterLoadMode = 0;
    int32_t rasterLoaded = 0;
    int32_t rasterLimit = 0;
    int32_t rasterKeep = 0;
    int32_t printerOnly = 0;
    // The document's file name (at most 127 characters are kept).
    char fileName[128] = {};
};

// The record attached to a window; null when the handle is not a window or
// carries no record.
_WNDRES *GetWndRes(HWND hwnd);

// The root object of a class (bit 0x1000: the Layers root, 0x2000: the
// Groups root, 0x4020: rootObject itself); 0 when there is none.
OBJHANDLE GetRootOBJKern(OBJectKernel *kernel, OBJHANDLE rootObject, uint16_t classId);

// Registers the client's notification message and its target window with
// the map window's record. Returns the previous pair packed as message x
// 65536 + the low 16 bits of the previous target (0 the first time, and for
// a window without a record).
UINT map_notification_Set(HWND window, HWND target, UINT message);
