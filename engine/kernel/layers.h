// Layers: the Layers root and its Layer objects, which give every graphical
// object its place in the drawing order and its default look. The order of
// the root's REF_LAYER_MEMBER references is the drawing order; the page
// layer, when present, stays last.
#pragma once

#include "engine/kernel/graph_object.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

struct _WNDRES;

// ---------------------------------------------------------------------------
// Layer record (class 0x5002, fixed data 208 bytes). Stored byte for byte in
// map files; inside an object block it may be misaligned, so its fields are
// reached with LoadField/StoreField at the offsets of this struct.
struct Layer {
    GraphObjectHead head;
    uint16_t display; // bit 0x4000: preview
    uint8_t unused1[10];
    int32_t number; // unique in the root; 0x7FFFFFFF is the page layer
    char name[48];  // a leading tab marks a system layer
    uint8_t visible;
    uint8_t selectable;
    uint8_t lineOptions; // bit 0 width in map units, 1 rounded corners, 2 square ends
    uint8_t pad1;
    COLORREF lineColor;
    uint8_t lineStyle;
    uint8_t pad2[3];
    uint32_t lineWidth;
    uint32_t fill;         // 0xFFFFFFFF none; else colour in bits 0-23, hatch code above
    uint16_t attrMask;     // GraphDispl mask bits the layer supplies
    uint16_t layerFlags;   // bit 0: linked layer
    uint16_t transparency; // percent
    uint16_t pad3;
    double visibleFrom; // largest scale drawn, 0 no limit
    double visibleTo;   // smallest scale drawn, 0 no limit
    uint8_t reserved[64];
};
static_assert(sizeof(Layer) == 208);
static_assert(offsetof(Layer, display) == 36 && offsetof(Layer, number) == 48 &&
              offsetof(Layer, name) == 52 && offsetof(Layer, visible) == 100 &&
              offsetof(Layer, selectable) == 101 && offsetof(Layer, lineOptions) == 102 &&
              offsetof(Layer, lineColor) == 104 && offsetof(Layer, lineStyle) == 108 &&
              offsetof(Layer, lineWidth) == 112 && offsetof(Layer, fill) == 116 &&
              offsetof(Layer, attrMask) == 120 && offsetof(Layer, layerFlags) == 122 &&
              offsetof(Layer, transparency) == 124 && offsetof(Layer, visibleFrom) == 128 &&
              offsetof(Layer, visibleTo) == 136 && offsetof(Layer, reserved) == 144);

inline constexpr uint32_t LAYER_FIXED_SIZE = 208;
inline constexpr size_t LAYER_NAME_SIZE = 48;
inline constexpr uint16_t LAYER_DISPLAY_PREVIEW = 0x4000;
inline constexpr uint16_t LAYER_FLAG_LINKED = 0x0001;
inline constexpr uint32_t LAYER_NO_FILL = 0xFFFFFFFF;

// The page layer: number 0x7FFFFFFF and a tab followed by "__PAGE__".
inline constexpr int32_t PAGE_LAYER_NUMBER = 0x7FFFFFFF;
inline constexpr const char *PAGE_LAYER_NAME = "\t__PAGE__";

// Layers root record (class 0x5001, fixed data 140 bytes).
struct Layers {
    GraphObjectHead head;
    uint8_t unused1[12];
    int32_t activeSlot;         // slot (among all the root's slots) of the active layer
    int32_t changedFrom;        // the Layers dialog's lowest changed line, 32767 for none
    COLORREF customColours[16]; // the Layers dialog's colour picker
    int32_t clipRect[4];        // left, top, right, bottom, map units
    uint32_t clipFlag;          // 1 while clipRect is valid
};
static_assert(sizeof(Layers) == 140);
static_assert(offsetof(Layers, activeSlot) == 48 && offsetof(Layers, changedFrom) == 52 &&
              offsetof(Layers, customColours) == 56 && offsetof(Layers, clipRect) == 120 &&
              offsetof(Layers, clipFlag) == 136);

inline constexpr uint32_t LAYERS_FIXED_SIZE = 140;

// ---------------------------------------------------------------------------
// Creation and records
OBJHANDLE CreateLayersRoot(OBJectKernel *kernel);
OBJHANDLE CreateLayerOBJect(OBJectKernel *kernel, OBJHANDLE root, int32_t number, const char *name);
Layer *LayerInit(Layer *layer);
// 1 when the handle names a Layer (class 0x5002).
int IsLayer(OBJectKernel *kernel, OBJHANDLE object);
// 1 when the object is a Layer with the page layer's number and name.
int IsPageLayer(OBJectKernel *kernel, OBJHANDLE object);

// Look-up
int32_t FindMaxLayerNumber(OBJectKernel *kernel, OBJHANDLE root);
OBJHANDLE FindLayer(OBJectKernel *kernel, OBJHANDLE root, int32_t number, const char *name);
// The active layer: the layer of the root's active slot, else the first
// layer that is not the page layer; 0 when there is none.
OBJHANDLE GetActiveLayer(OBJectKernel *kernel, OBJHANDLE root);
// Makes the layer active: 1, or 0 when it is not one of the root's layers.
int LayersActiveLayerSet(OBJectKernel *kernel, OBJHANDLE root, OBJHANDLE layer);
OBJHANDLE GetPageLayer(HWND window);
OBJHANDLE GetOBJectLayer(OBJectKernel *kernel, OBJHANDLE object);
int32_t GetOBJectLayerNumber(OBJectKernel *kernel, OBJHANDLE object);
uint32_t InsertLayerRef(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE layer);

// Number and name. A name longer than 47 characters is cut.
int32_t LayerNumberNameGet(OBJectKernel *kernel, OBJHANDLE layer, char *name);
int LayerNumberNameSet(OBJectKernel *kernel, OBJHANDLE layer, int32_t number, const char *name);

// Drawing order
int32_t LayerPlaceGet(OBJectKernel *kernel, OBJHANDLE layer, OBJHANDLE start);
int32_t LayerPlaceGet(_WNDRES *window, OBJHANDLE layer);
int LayerPlaceSet(OBJectKernel *kernel, OBJHANDLE layer, int32_t place, OBJHANDLE start, int undo);
int LayerPlaceSet(_WNDRES *window, OBJHANDLE layer, int32_t place, int undo);

// Attributes
int LayerZoomSet(OBJectKernel *kernel, OBJHANDLE layer, double visibleFrom, double visibleTo);
int LayerZoomGet(OBJectKernel *kernel, OBJHANDLE layer, double *visibleFrom, double *visibleTo);
int LayerFlagSet(OBJectKernel *kernel, OBJHANDLE layer, uint16_t flags);
uint16_t LayerFlagGet(OBJectKernel *kernel, OBJHANDLE layer);
int LayerTrnsparencySet(OBJectKernel *kernel, OBJHANDLE layer, int transparency);
int LayerTrnsparencyGet(OBJectKernel *kernel, OBJHANDLE layer);
int GetLayerAttributes(OBJectKernel *kernel, OBJHANDLE object, GraphDispl *record);

// Clip rectangle of a display pass (root 0: the window's Layers root).
int LayersClipRectSet(HWND window, OBJHANDLE root, const MAP_COORDRECT *rect);
int LayersClipRectGet(HWND window, OBJHANDLE root, MAP_COORDRECT *rect);

int IsLayerSclVisible(double visibleFrom, double visibleTo, double scale);
uint32_t ByteToColour(uint8_t index);

// Class procedures
int CompareLayers(OBJectKernel *kernel, uint16_t idA, OBJHANDLE a, uint16_t idB, OBJHANDLE b);
LRESULT LayerProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                  uint16_t message, WPARAM wParam, LPARAM lParam);
LRESULT LayersProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                   uint16_t message, WPARAM wParam, LPARAM lParam);
