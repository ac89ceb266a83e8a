// Graphical objects: the class ids of the class table, the graphical head
// that starts the fixed data of every drawable and list class, the
// point-set record, the root records, the drawing attribute record, the
// graphical messages (GRM_) and the procedures of this family.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
// MAPN_LISTCHANGED: a list changed or an object was invalidated.
#include "engine/kernel/map_notify_codes.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Class ids, in the order of the class table (the order gives the class
// indices stored in object heads and map files).
inline constexpr uint16_t CLASS_ALLOBJECTS = 0x4020;
inline constexpr uint16_t CLASS_UNDO = 0x8FFE;
inline constexpr uint16_t CLASS_SELLIST = 0x400E;
inline constexpr uint16_t CLASS_IDSLIST = 0x400F;
inline constexpr uint16_t CLASS_LAYERS = 0x5001;
inline constexpr uint16_t CLASS_LAYER = 0x5002;
inline constexpr uint16_t CLASS_GROUPS = 0x6003;
inline constexpr uint16_t CLASS_ASPECT = 0x6004;
inline constexpr uint16_t CLASS_GROUP = 0x6005;
inline constexpr uint16_t CLASS_DISTRICT = 0x6006;
inline constexpr uint16_t CLASS_POLYGON = 0x0008;
inline constexpr uint16_t CLASS_POLYLINE = 0x0009;
inline constexpr uint16_t CLASS_ID = 0x4010;
inline constexpr uint16_t CLASS_TEXT = 0x000B;
inline constexpr uint16_t CLASS_LEGEND = 0x000D;
inline constexpr uint16_t CLASS_POINTS = 0x0011;
inline constexpr uint16_t CLASS_BITMAP = 0x0012;
inline constexpr uint16_t CLASS_GISLIST = 0x4013;
inline constexpr uint16_t CLASS_GIS = 0x4014;
inline constexpr uint16_t CLASS_BLOCKLIST = 0x4015;
inline constexpr uint16_t CLASS_PAGE = 0x0016;
inline constexpr uint16_t CLASS_ZOBJ = 0x0019;
inline constexpr uint16_t CLASS_EXTRA = 0x0017;
inline constexpr uint16_t CLASS_NAIL = 0x0040;
inline constexpr uint16_t CLASS_PRESENT = 0x0041;
inline constexpr uint16_t CLASS_PRESLIST = 0x4042;
inline constexpr uint16_t CLASS_PRESDESCR = 0x4043;
inline constexpr uint16_t CLASS_PRESDESCRCOL = 0x4044;

inline constexpr int GRAPH_CLASS_COUNT = 28;

// Class id bits tested throughout the engine.
inline constexpr uint16_t CLASSBIT_LIST = 0x4000;        // holds members
inline constexpr uint16_t CLASSBIT_LAYERTREE = 0x1000;   // Layers, Layer
inline constexpr uint16_t CLASSBIT_GROUPTREE = 0x2000;   // Groups, Aspect, Group, District
inline constexpr uint16_t CLASS_DRAWABLE_LIMIT = 0x0100; // ids below are drawable

// ---------------------------------------------------------------------------
// GraphObjectHead: the first bytes of the fixed data of every class whose
// procedure is DefGraphOBjectProc or passes messages to it. Fields inside
// object blocks are reached through LoadField/StoreField at these offsets.
struct GraphObjectHead {
    _COORDRECT bound; // map coordinates; empty as set by InitBoundRect
    uint16_t flags;   // graph flags
    uint16_t zero;
    _COORDPT selected;     // empty: both 0x7FFFFFFF
    int32_t selectedSlot;  // list classes only: selected member, -1 none
    uint32_t maxDataSpace; // list classes only: largest data space in the subtree
};
static_assert(sizeof(GraphObjectHead) == 36);
static_assert(offsetof(GraphObjectHead, flags) == 16 && offsetof(GraphObjectHead, selected) == 20 &&
              offsetof(GraphObjectHead, selectedSlot) == 28 && offsetof(GraphObjectHead, maxDataSpace) == 32);

inline constexpr size_t GOH_BOUND = offsetof(GraphObjectHead, bound);
inline constexpr size_t GOH_FLAGS = offsetof(GraphObjectHead, flags);
inline constexpr size_t GOH_SELPOINT = offsetof(GraphObjectHead, selected);
inline constexpr size_t GOH_SELSLOT = offsetof(GraphObjectHead, selectedSlot);
inline constexpr size_t GOH_MAXDATA = offsetof(GraphObjectHead, maxDataSpace);
// Bytes of fixed data the head needs: every graphical class, and lists.
inline constexpr uint32_t GOH_SIZE = 28;
inline constexpr uint32_t GOH_LIST_SIZE = 36;

// Graph flags.
inline constexpr uint16_t GF_SHOWN = 0x0001;
inline constexpr uint16_t GF_CREATED2 = 0x0002;
inline constexpr uint16_t GF_CREATED4 = 0x0004;
inline constexpr uint16_t GF_SELECTED = 0x0008;
inline constexpr uint16_t GF_HASID = 0x0100;
inline constexpr uint16_t GF_SELLISTCOPY = 0x0400;
inline constexpr uint16_t GF_DRAWNSELECTED = 0x1000;
inline constexpr uint16_t GF_NOBRIDGE = 0x2000;
inline constexpr uint16_t GF_INITIAL = GF_SHOWN | GF_CREATED2 | GF_CREATED4;

// ---------------------------------------------------------------------------
// Point-set record of Polygon and Polyline (fixed data 52 bytes): the head,
// the point count, the height bit and the height range. The data space holds
// the points: 8 bytes (x, y) each, or 12 (x, y, z) with the height bit.
inline constexpr size_t PS_COUNT = 32;  // u32
inline constexpr size_t PS_ZFLAGS = 36; // u16, bit 0: points carry heights
inline constexpr size_t PS_ZRANGE = 40; // Z_BOUNDS
inline constexpr uint32_t PS_FIXED_SIZE = 52;

// AllOBJects record (fixed data 100 bytes).
inline constexpr size_t ALL_WORD0 = 0;  // u32, 0 at creation
inline constexpr size_t ALL_WINDOW = 4; // HWND of the document's map window, 0 none
inline constexpr size_t ALL_KEY = 20;   // zero-terminated text ordering AllOBJects in a BlockList
inline constexpr uint32_t ALL_FIXED_SIZE = 100;

// Undo list record (fixed data 64 bytes): the head, then the selected object
// (a handle, -1 none) at 28, the largest data space at 32 and a second
// rectangle at 48.
inline constexpr size_t UNDO_SELECTED = 28;
inline constexpr size_t UNDO_RECT = 48;

// Selection list: two map points kept for the window.
inline constexpr size_t SELLIST_POINT1 = 48;
inline constexpr size_t SELLIST_POINT2 = 56;

// ---------------------------------------------------------------------------
// GraphDispl: drawing attributes. The mask says which fields are set.
struct GraphDispl {
    uint32_t mask;
    COLORREF lineColor;   // 0x01
    uint16_t lineStyle;   // 0x02
    uint32_t lineWidth;   // 0x04
    COLORREF fillColor;   // 0x08, -1 none
    uint16_t fillPattern; // 0x10
    uint8_t lineOptions;  // width in map units, rounded corners, square ends
};
static_assert(sizeof(GraphDispl) == 24);
static_assert(offsetof(GraphDispl, lineColor) == 4 && offsetof(GraphDispl, lineStyle) == 8 &&
              offsetof(GraphDispl, lineWidth) == 12 && offsetof(GraphDispl, fillColor) == 16 &&
              offsetof(GraphDispl, fillPattern) == 20 && offsetof(GraphDispl, lineOptions) == 22);

inline constexpr uint32_t GD_LINECOLOR = 0x01;
inline constexpr uint32_t GD_LINESTYLE = 0x02;
inline constexpr uint32_t GD_LINEWIDTH = 0x04;
inline constexpr uint32_t GD_FILLCOLOR = 0x08;
inline constexpr uint32_t GD_FILLPATTERN = 0x10;

// c := a over b (fields of a where a's mask has them, else b's, else c's
// own); option bytes or-ed; returns and stores (a.mask | b.mask) & 0xFF.
// c may be a or b.
uint32_t MergeGraphAttributes(const GraphDispl *a, const GraphDispl *b, GraphDispl *c);

// An object's own attributes merged into the caller's record: over it when
// ownFirst is set (the GRM_GETATTRIBUTES wParam), under it otherwise.
inline uint32_t MergeOwnGraphAttributes(const GraphDispl *own, GraphDispl *record, bool ownFirst)
{
    return ownFirst ? MergeGraphAttributes(own, record, record) : MergeGraphAttributes(record, own, record);
}

// ---------------------------------------------------------------------------
// Graphical messages.
inline constexpr uint16_t GRM_GETBOUNDRECT = 0x4001;
inline constexpr uint16_t GRM_CALCBOUNDRECT = 0x4002;
inline constexpr uint16_t GRM_CHILDBOUNDRECT = 0x4003;
inline constexpr uint16_t GRM_SETBOUNDRECT = 0x4004;
inline constexpr uint16_t GRM_INVALIDATE = 0x4005;
inline constexpr uint16_t GRM_GETSELECTED = 0x4007;
inline constexpr uint16_t GRM_SETSELECTED = 0x4008;
inline constexpr uint16_t GRM_CLEARSELECTED = 0x4009;
inline constexpr uint16_t GRM_SETSELECTEDREF = 0x400A;
inline constexpr uint16_t GRM_SETVISIBLE = 0x400D;
inline constexpr uint16_t GRM_SETSELECTABLE = 0x400E;
inline constexpr uint16_t GRM_GETVISIBLE = 0x400F;
inline constexpr uint16_t GRM_GETSELECTABLE = 0x4010;
inline constexpr uint16_t GRM_GETFLAGS = 0x4013;
inline constexpr uint16_t GRM_SETFLAGS = 0x4014;
inline constexpr uint16_t GRM_GETATTRIBUTES = 0x4015;
inline constexpr uint16_t GRM_SETATTRIBUTES = 0x4016;
inline constexpr uint16_t GRM_GETVALUE = 0x4017;
inline constexpr uint16_t GRM_SETVALUE = 0x4018;
inline constexpr uint16_t GRM_GETMAXDATASPACE = 0x4019;
inline constexpr uint16_t GRM_CALCMAXDATASPACE = 0x401A;
inline constexpr uint16_t GRM_DATASPACECHANGED = 0x401B;
inline constexpr uint16_t GRM_SETDATASPACE = 0x401C;
inline constexpr uint16_t GRM_DESCRIBE = 0x4020;
inline constexpr uint16_t GRM_GETANCHOR = 0x4021;
inline constexpr uint16_t GRM_REMOVED = 0x4022;
inline constexpr uint16_t GRM_GETLINEOPTIONS = 0x4023;
inline constexpr uint16_t GRM_ZCHANGED = 0x4030;
inline constexpr uint16_t GRM_GETZRANGE = 0x4031;
inline constexpr uint16_t GRM_SETZRANGE = 0x4032;
inline constexpr uint16_t GRM_CALCZBOUNDS = 0x4033;
inline constexpr uint16_t GRM_UPDATEZBOUNDS = 0x4034;
inline constexpr uint16_t GRM_GETZ = 0x4037;
inline constexpr uint16_t GRM_SETZ = 0x4038;
inline constexpr uint16_t GRM_FINDZ = 0x4039;
inline constexpr uint16_t GRM_NAILSETPOINT = 0x4040;
inline constexpr uint16_t GRM_NAILRECALC = 0x4041;
inline constexpr uint16_t GRM_SUMMEASURE = 0x4042;

// GRM_SUMMEASURE: kind in the low byte, class bits above.
inline constexpr uint32_t SUMMEASURE_AREA = 1;
inline constexpr uint32_t SUMMEASURE_LENGTH = 2;
inline constexpr uint32_t SUMMEASURE_ALL = 0x8000;      // every kind of object
inline constexpr uint32_t SUMMEASURE_POLYGONS = 0x4000; // polygons only

// ---------------------------------------------------------------------------
// Procedures of the family.
LRESULT DefGraphOBjectProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                           uint16_t message, WPARAM wParam, LPARAM lParam);
LRESULT AllOBjectsProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                       uint16_t message, WPARAM wParam, LPARAM lParam);
LRESULT UndoOBjectProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                       uint16_t message, WPARAM wParam, LPARAM lParam);
int CompareBlocks(OBJectKernel *kernel, uint16_t idA, OBJHANDLE a, uint16_t idB, OBJHANDLE b);
// Tree-walk callback: marks (user non-zero) or unmarks every non-list node
// as drawn selected. Always 1.
int SetVisible(OBJectKernel *kernel, OBJHANDLE node, uint16_t filter, int32_t *visitWord, void *user,
               int32_t reserved, int32_t siblingIndex, int last);

// The text description of GRM_DESCRIBE, as a moveable global memory block;
// 0 after an allocation failure (shown to the user).
HGLOBAL GraphDescribe(OBJectKernel *kernel, OBJHANDLE object);

// Reading the head of an object: null when the handle is bad or the class's
// fixed data is shorter than need bytes (small classes such as IdsList have
// no room for the head, and writing it would overrun their reference slots).
char *GraphHeadLock(OBJectKernel *kernel, OBJHANDLE object, uint32_t need);
