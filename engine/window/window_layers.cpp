#include "engine/window/window_layers.h"

#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/window/window_access.h"
#include "engine/window/window_children.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

// Layer flag bits 1, 2 and 4 and the attribute mask bits each one sets.
constexpr uint16_t kLayerFlagBits = 0x07;
constexpr uint16_t kMaskOfFlag[3] = {32, 128, 64};
constexpr uint16_t kMaskColour = GD_LINECOLOR;
constexpr uint16_t kMaskFill = GD_FILLCOLOR;
constexpr uint16_t kLayerGraphFlag4 = 4;

struct LayerLook {
    COLORREF colour;
    int32_t fill;
    int32_t lineStyle;
    int32_t width;
    uint16_t displayFlags;
    uint16_t layerFlags;
};

std::vector<OBJHANDLE> layersInOrder(OBJectKernel *kernel, OBJHANDLE root)
{
    std::vector<OBJHANDLE> out;
    int32_t pos = -1;
    while (OBJHANDLE l = GetReference(kernel, root, REF_LAYER_MEMBER, &pos))
        out.push_back(l);
    return out;
}

void applyLook(OBJectKernel *kernel, OBJHANDLE layer, const LayerLook &look)
{
    char *p = OBJectLock(kernel, layer);
    if (!p)
        return;
    uint16_t mask = LoadField<uint16_t>(p, offsetof(Layer, attrMask));
    if (look.layerFlags != LAYER_FLAGS_KEEP) {
        uint8_t flags = LoadField<uint8_t>(p, offsetof(Layer, lineOptions));
        flags = uint8_t((flags & ~kLayerFlagBits) | (look.layerFlags & kLayerFlagBits));
        for (int bit = 0; bit < 3; ++bit)
            if (look.layerFlags & (1u << bit))
                mask |= kMaskOfFlag[bit];
        StoreField(p, offsetof(Layer, lineOptions), flags);
    }
    if (!(look.displayFlags & LDF_KEEP_VISIBLE))
        StoreField<uint8_t>(p, offsetof(Layer, visible), (look.displayFlags & LDF_VISIBLE) ? 1 : 0);
    if (!(look.displayFlags & LDF_KEEP_SELECTABLE))
        StoreField<uint8_t>(p, offsetof(Layer, selectable), (look.displayFlags & LDF_SELECTABLE) ? 1 : 0);
    uint16_t display = LoadField<uint16_t>(p, offsetof(Layer, display));
    display = (look.displayFlags & LDF_PREVIEW) ? uint16_t(display | LAYER_DISPLAY_PREVIEW)
                                                : uint16_t(display & ~LAYER_DISPLAY_PREVIEW);
    StoreField(p, offsetof(Layer, display), display);
    if (look.colour != 0xFFFFFFFFu) {
        StoreField(p, offsetof(Layer, lineColor), look.colour);
        mask |= kMaskColour;
    }
    if (look.lineStyle >= 0)
        StoreField(p, offsetof(Layer, lineStyle), uint8_t(look.lineStyle));
    if (look.width != -1)
        StoreField(p, offsetof(Layer, lineWidth), uint32_t(look.width));
    if (look.displayFlags & LDF_NO_FILL) {
        StoreField(p, offsetof(Layer, fill), LAYER_NO_FILL);
    } else if (look.fill != -1) {
        StoreField(p, offsetof(Layer, fill), uint32_t(look.fill));
        mask |= kMaskFill;
    }
    StoreField(p, offsetof(Layer, attrMask), mask);
}

// The layer worker behind map_layer_Create and map_layer_Set.
int layerWorker(HWND window, OBJHANDLE *io, const OBJHANDLE *children, int32_t childCount, int32_t number,
                const char *name, const LayerLook &look, int replace)
{
    const MapDoc doc(window);
    const OBJHANDLE root = doc.root(CLASS_LAYERS);
    if (!root)
        return 0;
    OBJHANDLE layer = *io;
    if (layer) {
        LayerNumberNameSet(doc.kernel, layer, number, name);
    } else {
        layer = CreateLayerOBJect(doc.kernel, root, number, name);
        *io = layer;
    }
    if (!layer)
        return 0;
    applyLook(doc.kernel, layer, look);
    if (look.displayFlags & LDF_ACTIVE)
        LayersActiveLayerSet(doc.kernel, root, layer);
    if (children && childCount > 0) {
        SendOBJectMessage(doc.kernel, layer, layer, 0, GRM_SETFLAGS, kLayerGraphFlag4, 0);
        CHILDREN_Add(window, layer, children, childCount, replace, 0);
        SendOBJectMessage(doc.kernel, layer, layer, 0, GRM_SETFLAGS, kLayerGraphFlag4, kLayerGraphFlag4);
    }
    return 1;
}

void copyText(char *out, size_t size, const char *text)
{
    if (!out || size == 0)
        return;
    const size_t n = strnlen(text, size - 1);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

} // namespace

extern "C" {

int map_layer_Create(HWND window, OBJHANDLE *layer, const OBJHANDLE *children, int32_t childCount,
                     int32_t number, const char *name, COLORREF colour, int32_t fill, int32_t lineStyle,
                     int32_t width, uint16_t displayFlags, uint16_t layerFlags, int replace)
{
    if (layer)
        *layer = 0;
    OBJHANDLE made = 0;
    const LayerLook look{colour, fill, lineStyle, width, displayFlags, layerFlags};
    if (!layerWorker(window, &made, children, childCount, number, name, look, replace))
        return 0;
    if (layer)
        *layer = made;
    const MapDoc doc(window);
    OBJHANDLE groupRoot = LG_RootGet(doc.kernel, made);
    if (!groupRoot)
        groupRoot = LG_CreateRoot(doc.kernel, made);
    if (groupRoot)
        map_LG_Set(doc.rec, nullptr, groupRoot, &made, 1, 0);
    return 1;
}

int map_layer_Set(HWND window, OBJHANDLE layer, const OBJHANDLE *children, int32_t childCount, int32_t number,
                  const char *name, COLORREF colour, int32_t fill, int32_t lineStyle, int32_t width,
                  uint16_t displayFlags, uint16_t layerFlags, int replace, int)
{
    const MapDoc doc(window);
    if (!doc)
        return 0;
    if (!layer) {
        const OBJHANDLE root = doc.root(CLASS_LAYERS);
        layer = root ? GetActiveLayer(doc.kernel, root) : 0;
    }
    if (!doc.is(layer, CLASS_LAYER))
        return 0;
    if (displayFlags == LDF_OWN_STATE) {
        const char *p = OBJectLock(doc.kernel, layer);
        displayFlags = uint16_t((LoadField<uint8_t>(p, offsetof(Layer, visible)) ? LDF_VISIBLE : 0) |
                                (LoadField<uint8_t>(p, offsetof(Layer, selectable)) ? LDF_SELECTABLE : 0));
    }
    const LayerLook look{colour, fill, lineStyle, width, displayFlags, layerFlags};
    return layerWorker(window, &layer, children, childCount, number, name, look, replace);
}

int32_t map_layer_Get(HWND window, OBJHANDLE layer, int32_t *childCount, OBJHANDLE *children,
                      int32_t capacity, int32_t *number, char *name, uint16_t nameSize, COLORREF *colour,
                      int32_t *fill, int32_t *lineStyle, int32_t *width, uint16_t *displayFlags,
                      uint16_t *layerFlags)
{
    const MapDoc doc(window);
    if (!doc.is(layer, CLASS_LAYER))
        return 0;
    const int32_t copied = CHILDREN_Get(window, layer, childCount, children, capacity, 0);
    const char *p = OBJectLock(doc.kernel, layer);
    if (number)
        *number = LoadField<int32_t>(p, offsetof(Layer, number));
    if (name && nameSize) {
        char stored[LAYER_NAME_SIZE + 1] = {};
        std::memcpy(stored, p + offsetof(Layer, name), LAYER_NAME_SIZE);
        copyText(name, nameSize, stored);
    }
    if (colour)
        *colour = LoadField<COLORREF>(p, offsetof(Layer, lineColor));
    const uint32_t storedFill = LoadField<uint32_t>(p, offsetof(Layer, fill));
    if (fill)
        *fill = int32_t(storedFill);
    if (lineStyle)
        *lineStyle = LoadField<uint8_t>(p, offsetof(Layer, lineStyle));
    if (width)
        *width = int32_t(LoadField<uint32_t>(p, offsetof(Layer, lineWidth)));
    if (displayFlags) {
        const OBJHANDLE root = doc.root(CLASS_LAYERS);
        uint16_t d = 0;
        if (LoadField<uint8_t>(p, offsetof(Layer, visible)))
            d |= LDF_VISIBLE;
        if (LoadField<uint8_t>(p, offsetof(Layer, selectable)))
            d |= LDF_SELECTABLE;
        if (root && GetActiveLayer(doc.kernel, root) == layer)
            d |= LDF_ACTIVE;
        if (LoadField<uint16_t>(p, offsetof(Layer, display)) & LAYER_DISPLAY_PREVIEW)
            d |= LDF_PREVIEW;
        if (storedFill == LAYER_NO_FILL)
            d |= LDF_NO_FILL;
        *displayFlags = d;
    }
    if (layerFlags)
        *layerFlags = uint16_t(LoadField<uint8_t>(p, offsetof(Layer, lineOptions)) & kLayerFlagBits);
    return copied;
}

OBJHANDLE map_layer_Search(HWND window, int32_t number, const char *name)
{
    const MapDoc doc(window);
    const OBJHANDLE root = doc.root(CLASS_LAYERS);
    return root ? FindLayer(doc.kernel, root, number, name) : 0;
}

int32_t map_layer_predecessor_Set(HWND window, OBJHANDLE layer, OBJHANDLE predecessor)
{
    const MapDoc doc(window);
    const OBJHANDLE root = doc.root(CLASS_LAYERS);
    if (!root)
        return -1;
    OBJectKernel *kernel = doc.kernel;
    const std::vector<OBJHANDLE> order = layersInOrder(kernel, root);
    const auto at = [&](OBJHANDLE h) { return std::find(order.begin(), order.end(), h) - order.begin(); };
    const ptrdiff_t from = at(layer);
    const ptrdiff_t p = at(predecessor);
    if (!predecessor || !layer || p == ptrdiff_t(order.size()) || from == ptrdiff_t(order.size()) ||
        IsPageLayer(kernel, predecessor) || IsPageLayer(kernel, layer))
        return -1;
    if (layer == predecessor)
        return int32_t(from);
    // Right after the predecessor in the order without the layer.
    const int32_t place = int32_t(from < p ? p : p + 1);
    const OBJHANDLE active = GetActiveLayer(kernel, root);
    if (RemoveReference(kernel, root, REF_LAYER_MEMBER, layer) == OBJ_INVALID)
        return -1;
    int32_t slot = -1;
    int32_t pos = -1;
    int32_t index = 0;
    for (OBJHANDLE l = GetReference(kernel, root, REF_LAYER_MEMBER, &pos); l;
         l = GetReference(kernel, root, REF_LAYER_MEMBER, &pos), ++index)
        if (index == place) {
            slot = pos;
            break;
        }
    InsertRefInPos(kernel, root, REF_LAYER_MEMBER, layer, slot, -1);
    if (active)
        LayersActiveLayerSet(kernel, root, active);
    return place;
}

int32_t map_get_MaxLayNumber(HWND window)
{
    const MapDoc doc(window);
    const OBJHANDLE root = doc.root(CLASS_LAYERS);
    if (!root)
        return 0;
    int32_t highest = 0;
    bool any = false;
    for (OBJHANDLE l : layersInOrder(doc.kernel, root)) {
        const char *p = OBJectLock(doc.kernel, l);
        if (!p || p[offsetof(Layer, name)] == '\t')
            continue;
        const int32_t n = LoadField<int32_t>(p, offsetof(Layer, number));
        highest = any ? std::max(highest, n) : n;
        any = true;
    }
    return highest;
}

} // extern "C"
