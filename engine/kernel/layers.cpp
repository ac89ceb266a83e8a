#include "engine/kernel/layers.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers_support.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "platform/collation.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace docmodel;

namespace {

char *layerLock(OBJectKernel *kernel, OBJHANDLE layer)
{
    if (!IsClass(kernel, layer, CLASS_LAYER))
        return nullptr;
    return GraphHeadLock(kernel, layer, LAYER_FIXED_SIZE);
}

char *layersLock(OBJectKernel *kernel, OBJHANDLE root)
{
    if (!IsClass(kernel, root, CLASS_LAYERS))
        return nullptr;
    return GraphHeadLock(kernel, root, LAYERS_FIXED_SIZE);
}

int32_t layerNumber(const char *p) { return LoadField<int32_t>(p, offsetof(Layer, number)); }

// The stored name, bounded by its field even when a file left no zero in it.
void layerName(const char *p, char out[LAYER_NAME_SIZE])
{
    std::memcpy(out, p + offsetof(Layer, name), LAYER_NAME_SIZE);
    out[LAYER_NAME_SIZE - 1] = 0;
}

void storeLayerName(char *p, const char *name)
{
    char field[LAYER_NAME_SIZE] = {};
    if (name)
        std::strncpy(field, name, LAYER_NAME_SIZE - 1);
    std::memcpy(p + offsetof(Layer, name), field, LAYER_NAME_SIZE);
}

bool isPageRecord(const char *p)
{
    char name[LAYER_NAME_SIZE];
    layerName(p, name);
    return layerNumber(p) == PAGE_LAYER_NUMBER && std::strcmp(name, PAGE_LAYER_NAME) == 0;
}

std::vector<OBJHANDLE> layersOf(OBJectKernel *kernel, OBJHANDLE root)
{
    if (!IsClass(kernel, root, CLASS_LAYERS))
        return {};
    return RefTargets(kernel, root, REF_LAYER_MEMBER);
}

// Whether a layer of the list other than `except` holds the number.
bool numberHeld(OBJectKernel *kernel, const std::vector<OBJHANDLE> &layers, int64_t number,
                OBJHANDLE except = 0)
{
    for (OBJHANDLE l : layers)
        if (const char *p = layerLock(kernel, l); l != except && p && layerNumber(p) == number)
            return true;
    return false;
}

int32_t activeSlot(OBJectKernel *kernel, OBJHANDLE root)
{
    const char *p = layersLock(kernel, root);
    return p ? LoadField<int32_t>(p, offsetof(Layers, activeSlot)) : -1;
}

void setActiveSlot(OBJectKernel *kernel, OBJHANDLE root, int32_t slot)
{
    if (char *p = layersLock(kernel, root))
        StoreField(p, offsetof(Layers, activeSlot), slot);
}

// The layer's GraphDispl answer, before merging with the caller's record.
GraphDispl layerAttributes(const char *p)
{
    GraphDispl d{};
    d.mask = LoadField<uint16_t>(p, offsetof(Layer, attrMask));
    d.lineColor = LoadField<COLORREF>(p, offsetof(Layer, lineColor));
    d.lineStyle = LoadField<uint8_t>(p, offsetof(Layer, lineStyle));
    d.lineWidth = LoadField<uint32_t>(p, offsetof(Layer, lineWidth));
    d.lineOptions = LoadField<uint8_t>(p, offsetof(Layer, lineOptions));
    const uint32_t fill = LoadField<uint32_t>(p, offsetof(Layer, fill));
    if (fill == LAYER_NO_FILL) {
        d.fillColor = LAYER_NO_FILL;
        d.fillPattern = 0xFFFF;
    } else {
        d.fillColor = fill & 0x00FFFFFF;
        const uint32_t code = fill >> 24;
        d.fillPattern = (code >= 1 && code <= 6) ? uint16_t(code - 1) : uint16_t(0xFFFF);
        d.mask |= GD_FILLCOLOR;
    }
    return d;
}

// The active slot follows its layer, so a removal elsewhere never makes
// another layer (or a non-layer slot) active.
void followActiveSlot(OBJectKernel *kernel, OBJHANDLE root, uint16_t message, LPARAM slot)
{
    if (GetOBJectFlag(kernel, root, OBJF_UNDOCOPY))
        return;
    const int32_t active = activeSlot(kernel, root);
    const int32_t next = FollowedActiveSlot(active, HeldCount(kernel, root), message, slot);
    if (next != active)
        setActiveSlot(kernel, root, next);
}

} // namespace

// ---------------------------------------------------------------------------
// Creation and records

Layer *LayerInit(Layer *layer)
{
    if (!layer)
        return nullptr;
    std::memset(layer, 0, sizeof *layer);
    layer->head.bound = kEmptyBoundRect;
    layer->head.flags = GF_INITIAL;
    layer->head.selected = kEmptyPoint;
    layer->head.selectedSlot = -1;
    layer->visible = 1;
    layer->selectable = 1;
    layer->lineWidth = 1;
    layer->fill = LAYER_NO_FILL;
    layer->attrMask = 0x00FF;
    return layer;
}

int IsLayer(OBJectKernel *kernel, OBJHANDLE object)
{
    return kernel && IsClass(kernel, object, CLASS_LAYER) ? 1 : 0;
}

int IsPageLayer(OBJectKernel *kernel, OBJHANDLE object)
{
    const char *p = layerLock(kernel, object);
    return p && isPageRecord(p) ? 1 : 0;
}

OBJHANDLE CreateLayerOBJect(OBJectKernel *kernel, OBJHANDLE root, int32_t number, const char *name)
{
    if (!kernel || (root && !IsClass(kernel, root, CLASS_LAYERS)))
        return 0;
    const std::vector<OBJHANDLE> layers = layersOf(kernel, root);
    // The page layer's number is reserved for it.
    const bool taken = number < 0 ||
                       (number == PAGE_LAYER_NUMBER && std::strcmp(name ? name : "", PAGE_LAYER_NAME) != 0) ||
                       numberHeld(kernel, layers, number);
    if (taken) {
        int64_t highest = -1;
        bool any = false;
        for (OBJHANDLE l : layers)
            if (const char *p = layerLock(kernel, l); p && layerNumber(p) != PAGE_LAYER_NUMBER) {
                highest = any ? std::max<int64_t>(highest, layerNumber(p)) : layerNumber(p);
                any = true;
            }
        int64_t next = any ? highest + 1 : 0;
        // Past the largest ordinary number (or below 0 after a damaged file)
        // take the lowest free one, so the page layer's number stays its own.
        if (next < 0 || next >= PAGE_LAYER_NUMBER) {
            next = 0;
            while (numberHeld(kernel, layers, next))
                ++next;
        }
        number = int32_t(next);
    }

    const OBJHANDLE layer = CreateOBJect(kernel, CLASS_LAYER);
    char *p = layerLock(kernel, layer);
    if (!p) {
        if (layer)
            OBJectDelete(kernel, layer);
        return 0;
    }
    StoreField(p, offsetof(Layer, number), number);
    storeLayerName(p, name);
    if (!root)
        return layer;

    int32_t position = -1;
    if (!isPageRecord(p)) {
        int32_t lastSlot = -1;
        const OBJHANDLE last = LastReference(kernel, root, REF_LAYER_MEMBER, &lastSlot);
        if (last && IsPageLayer(kernel, last))
            position = lastSlot;
    }
    if (InsertRefInPos(kernel, root, REF_LAYER_MEMBER, layer, position, -1) == OBJ_INVALID) {
        OBJectDelete(kernel, layer);
        return 0;
    }
    return layer;
}

OBJHANDLE CreateLayersRoot(OBJectKernel *kernel)
{
    if (!kernel)
        return 0;
    const OBJHANDLE root = CreateOBJect(kernel, CLASS_LAYERS);
    if (!root)
        return 0;
    CreateLayerOBJect(kernel, root, 0, "");
    return root;
}

// ---------------------------------------------------------------------------
// Look-up

int32_t FindMaxLayerNumber(OBJectKernel *kernel, OBJHANDLE root)
{
    int32_t highest = 0;
    for (OBJHANDLE l : layersOf(kernel, root))
        if (const char *p = layerLock(kernel, l); p && p[offsetof(Layer, name)] != '\t')
            highest = std::max(highest, layerNumber(p));
    return highest;
}

OBJHANDLE FindLayer(OBJectKernel *kernel, OBJHANDLE root, int32_t number, const char *name)
{
    if (number < 0 && !name)
        return GetActiveLayer(kernel, root);
    for (OBJHANDLE l : layersOf(kernel, root)) {
        const char *p = layerLock(kernel, l);
        if (!p || (number >= 0 && layerNumber(p) != number))
            continue;
        if (name) {
            char own[LAYER_NAME_SIZE];
            layerName(p, own);
            if (lstrcmpA(own, name) != 0)
                continue;
        }
        return l;
    }
    return 0;
}

OBJHANDLE GetActiveLayer(OBJectKernel *kernel, OBJHANDLE root)
{
    if (!layersLock(kernel, root))
        return 0;
    const int32_t slot = activeSlot(kernel, root);
    if (slot >= 0 && GetNthReferenceID(kernel, root, slot) == REF_LAYER_MEMBER) {
        const OBJHANDLE layer = GetNthReferenced(kernel, root, slot);
        if (IsLayer(kernel, layer))
            return layer;
    }
    for (OBJHANDLE l : layersOf(kernel, root))
        if (IsLayer(kernel, l) && !IsPageLayer(kernel, l))
            return l;
    return 0;
}

int LayersActiveLayerSet(OBJectKernel *kernel, OBJHANDLE root, OBJHANDLE layer)
{
    if (!layersLock(kernel, root) || !IsLayer(kernel, layer))
        return 0;
    const int32_t slot = FindReference(kernel, root, REF_LAYER_MEMBER, layer);
    if (!SlotFound(slot))
        return 0;
    setActiveSlot(kernel, root, slot);
    return 1;
}

OBJHANDLE GetPageLayer(HWND window)
{
    const DocWindow doc = DocOfWindow(window);
    if (!doc.kernel)
        return 0;
    const OBJHANDLE root = GetRootOBJect(window, CLASS_LAYERS);
    const std::vector<OBJHANDLE> layers = layersOf(doc.kernel, root);
    for (auto it = layers.rbegin(); it != layers.rend(); ++it)
        if (IsPageLayer(doc.kernel, *it))
            return *it;
    return 0;
}

OBJHANDLE GetOBJectLayer(OBJectKernel *kernel, OBJHANDLE object)
{
    if (!kernel || !object)
        return 0;
    const OBJHANDLE layer = FirstTarget(kernel, object, REF_LAYER_BACK);
    return IsLayer(kernel, layer) ? layer : 0;
}

int32_t GetOBJectLayerNumber(OBJectKernel *kernel, OBJHANDLE object)
{
    const OBJHANDLE layer = GetOBJectLayer(kernel, object);
    if (!layer)
        return int32_t(object | 0x8000);
    const char *p = layerLock(kernel, layer);
    return p ? layerNumber(p) : 0x8000;
}

uint32_t InsertLayerRef(OBJectKernel *kernel, OBJHANDLE object, OBJHANDLE layer)
{
    if (!kernel || !object || !IsLayer(kernel, layer))
        return OBJ_INVALID;
    return InsertRefInPos(kernel, layer, REF_LAYER_MEMBER, object, -1, -1);
}

// ---------------------------------------------------------------------------
// Number and name

int32_t LayerNumberNameGet(OBJectKernel *kernel, OBJHANDLE layer, char *name)
{
    const char *p = layerLock(kernel, layer);
    if (name)
        name[0] = 0;
    if (!p)
        return -1;
    char own[LAYER_NAME_SIZE];
    layerName(p, own);
    if (own[0] == '\t')
        return -1;
    if (name)
        std::memcpy(name, own, std::strlen(own) + 1);
    return layerNumber(p);
}

int LayerNumberNameSet(OBJectKernel *kernel, OBJHANDLE layer, int32_t number, const char *name)
{
    if (!layerLock(kernel, layer))
        return -1;
    const OBJHANDLE root = FirstTarget(kernel, layer, REF_LAYER_BACK);
    if (!IsClass(kernel, root, CLASS_LAYERS))
        return -1;
    if (number == PAGE_LAYER_NUMBER && !IsPageLayer(kernel, layer))
        return -1;
    if (number >= 0 && numberHeld(kernel, layersOf(kernel, root), number, layer))
        return -1;
    char *p = layerLock(kernel, layer);
    if (name)
        storeLayerName(p, name);
    if (number >= 0)
        StoreField(p, offsetof(Layer, number), number);
    return 0;
}

// ---------------------------------------------------------------------------
// Drawing order

int32_t LayerPlaceGet(OBJectKernel *kernel, OBJHANDLE layer, OBJHANDLE start)
{
    if (!kernel)
        return 0;
    const OBJHANDLE root = FindRootOBJect(kernel, start ? start : layer, CLASS_LAYERS);
    if (!root)
        return 0;
    const std::vector<OBJHANDLE> layers = layersOf(kernel, root);
    for (size_t i = 0; i < layers.size(); ++i)
        if (layers[i] == layer)
            return int32_t(i);
    return -1;
}

int32_t LayerPlaceGet(_WNDRES *window, OBJHANDLE layer)
{
    const DocWindow doc = DocOfRecord(window);
    return doc.kernel ? LayerPlaceGet(doc.kernel, layer, doc.all) : 0;
}

int LayerPlaceSet(OBJectKernel *kernel, OBJHANDLE layer, int32_t place, OBJHANDLE start, int undo)
{
    if (!kernel || place < 0 || !IsLayer(kernel, layer))
        return 0;
    const OBJHANDLE root = FindRootOBJect(kernel, start ? start : layer, CLASS_LAYERS);
    if (!root)
        return 0;
    if (undo)
        Undo_ChangeObject(kernel, root);
    if (IsPageLayer(kernel, layer))
        return 0;
    if (!SlotFound(FindReference(kernel, root, REF_LAYER_MEMBER, layer)))
        return 0;

    const OBJHANDLE active = GetActiveLayer(kernel, root);
    if (RemoveReference(kernel, root, REF_LAYER_MEMBER, layer) == OBJ_INVALID)
        return 0;

    int32_t pos = -1;
    int32_t stopSlot = -1;
    int32_t count = 0;
    for (OBJHANDLE l = FirstReference(kernel, root, REF_LAYER_MEMBER, &pos); l;
         l = GetReference(kernel, root, REF_LAYER_MEMBER, &pos), ++count) {
        stopSlot = pos;
        if (count == place)
            break;
    }
    const int32_t insertAt = stopSlot < 0 ? 0 : stopSlot;
    if (InsertRefInPos(kernel, root, REF_LAYER_MEMBER, layer, insertAt, -1) == OBJ_INVALID)
        return 0;
    if (active)
        LayersActiveLayerSet(kernel, root, active);
    return 1;
}

int LayerPlaceSet(_WNDRES *window, OBJHANDLE layer, int32_t place, int undo)
{
    const DocWindow doc = DocOfRecord(window);
    return doc.kernel ? LayerPlaceSet(doc.kernel, layer, place, doc.all, undo) : 0;
}

// ---------------------------------------------------------------------------
// Attributes

int LayerZoomSet(OBJectKernel *kernel, OBJHANDLE layer, double visibleFrom, double visibleTo)
{
    char *p = layerLock(kernel, layer);
    if (!p)
        return 0;
    StoreField(p, offsetof(Layer, visibleFrom), visibleFrom);
    StoreField(p, offsetof(Layer, visibleTo), visibleTo);
    return 1;
}

int LayerZoomGet(OBJectKernel *kernel, OBJHANDLE layer, double *visibleFrom, double *visibleTo)
{
    const char *p = layerLock(kernel, layer);
    if (!p)
        return 0;
    if (visibleFrom)
        *visibleFrom = LoadField<double>(p, offsetof(Layer, visibleFrom));
    if (visibleTo)
        *visibleTo = LoadField<double>(p, offsetof(Layer, visibleTo));
    return 1;
}

int LayerFlagSet(OBJectKernel *kernel, OBJHANDLE layer, uint16_t flags)
{
    char *p = layerLock(kernel, layer);
    if (!p)
        return 0;
    StoreField(p, offsetof(Layer, layerFlags), flags);
    return 1;
}

uint16_t LayerFlagGet(OBJectKernel *kernel, OBJHANDLE layer)
{
    const char *p = layerLock(kernel, layer);
    return p ? LoadField<uint16_t>(p, offsetof(Layer, layerFlags)) : uint16_t(0);
}

int LayerTrnsparencySet(OBJectKernel *kernel, OBJHANDLE layer, int transparency)
{
    char *p = layerLock(kernel, layer);
    if (!p)
        return 0;
    StoreField(p, offsetof(Layer, transparency), uint16_t(transparency & 0xFFFF));
    return 1;
}

int LayerTrnsparencyGet(OBJectKernel *kernel, OBJHANDLE layer)
{
    const char *p = layerLock(kernel, layer);
    return p ? LoadField<uint16_t>(p, offsetof(Layer, transparency)) : 255;
}

int GetLayerAttributes(OBJectKernel *kernel, OBJHANDLE object, GraphDispl *record)
{
    if (!kernel || !object || !record)
        return 0;
    OBJHANDLE current = object;
    if (IsClass(kernel, object, CLASS_LAYERS)) {
        current = GetActiveLayer(kernel, object);
    } else {
        const uint64_t limit = WalkLimit(kernel);
        for (uint64_t steps = 0; current && !IsLayer(kernel, current); ++steps)
            current = steps < limit ? FirstTarget(kernel, current, REF_LAYER_BACK) : 0;
    }
    if (!IsLayer(kernel, current))
        return 0;
    SendOBJectMessage(kernel, object, current, 0, GRM_GETATTRIBUTES, 1, LPARAM(record));
    return 1;
}

// ---------------------------------------------------------------------------
// Clip rectangle

int LayersClipRectSet(HWND window, OBJHANDLE root, const MAP_COORDRECT *rect)
{
    const DocWindow doc = DocOfWindow(window);
    if (!doc.kernel)
        return 0;
    if (!root)
        root = GetRootOBJect(window, CLASS_LAYERS);
    char *p = layersLock(doc.kernel, root);
    if (!p)
        return 0;
    if (!rect) {
        StoreField<uint32_t>(p, offsetof(Layers, clipFlag), 0);
        return 0;
    }
    const int32_t r[4] = {rect->x1, rect->y1, rect->x2, rect->y2};
    std::memcpy(p + offsetof(Layers, clipRect), r, sizeof r);
    StoreField<uint32_t>(p, offsetof(Layers, clipFlag), 1);
    return 1;
}

int LayersClipRectGet(HWND window, OBJHANDLE root, MAP_COORDRECT *rect)
{
    const DocWindow doc = DocOfWindow(window);
    if (!doc.kernel)
        return 0;
    if (!root)
        root = GetRootOBJect(window, CLASS_LAYERS);
    const char *p = layersLock(doc.kernel, root);
    if (!p)
        return 0;
    const uint32_t flag = LoadField<uint32_t>(p, offsetof(Layers, clipFlag));
    if (flag && rect) {
        int32_t r[4];
        std::memcpy(r, p + offsetof(Layers, clipRect), sizeof r);
        *rect = {r[0], r[1], r[2], r[3]};
    }
    return int(flag);
}

int IsLayerSclVisible(double visibleFrom, double visibleTo, double scale)
{
    return (visibleFrom == 0.0 || scale <= visibleFrom) && (visibleTo == 0.0 || scale >= visibleTo) ? 1 : 0;
}

uint32_t ByteToColour(uint8_t index)
{
    static constexpr uint32_t kPalette[17] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000,  0x800080,
                                              0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00,  0x00FFFF,
                                              0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF, 0xFFFFFFFF};
    return kPalette[index % 17];
}

// ---------------------------------------------------------------------------
// Class procedures

int CompareLayers(OBJectKernel *kernel, uint16_t, OBJHANDLE a, uint16_t, OBJHANDLE b)
{
    const bool aLayer = IsLayer(kernel, a);
    const bool bLayer = IsLayer(kernel, b);
    if (!aLayer) {
        if (bLayer)
            return 1;
        return a > b ? 1 : a < b ? -1 : 0;
    }
    if (!bLayer)
        return -1;
    const char *pa = layerLock(kernel, a);
    if (!pa)
        return -2;
    const int32_t na = layerNumber(pa);
    const char *pb = layerLock(kernel, b);
    if (!pb)
        return 2;
    const int32_t nb = layerNumber(pb);
    if (na < 32000 && nb < 32000 && na != nb)
        return OBJ_COMPARE_EQUALKEYS;
    return na < nb ? -1 : na > nb ? 1 : 0;
}

LRESULT LayerProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                  uint16_t message, WPARAM wParam, LPARAM lParam)
{
    char *p = layerLock(kernel, receiver);
    if (!p)
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    switch (message) {
    case OBJM_CREATE: {
        Layer init;
        LayerInit(&init);
        std::memcpy(p, &init, sizeof init);
        break;
    }
    case GRM_SETBOUNDRECT:
        for (OBJHANDLE linked : RefTargets(kernel, receiver, REF_LAYER_LINK))
            if (IsLayer(kernel, linked) && linked != receiver)
                DefGraphOBjectProc(kernel, sender, linked, subCode, message, wParam, lParam);
        break;
    case GRM_SETVISIBLE:
        StoreField<uint8_t>(p, offsetof(Layer, visible), uint8_t(wParam & 0xFF));
        return 1;
    case GRM_SETSELECTABLE:
        StoreField<uint8_t>(p, offsetof(Layer, selectable), uint8_t(wParam & 0xFF));
        return 1;
    case GRM_GETVISIBLE:
        return LoadField<uint8_t>(p, offsetof(Layer, visible));
    case GRM_GETSELECTABLE:
        return LoadField<uint8_t>(p, offsetof(Layer, selectable));
    case GRM_GETATTRIBUTES: {
        auto *record = reinterpret_cast<GraphDispl *>(lParam);
        if (!record)
            return 0;
        const GraphDispl own = layerAttributes(p);
        return MergeOwnGraphAttributes(&own, record, wParam != 0);
    }
    case GRM_SETATTRIBUTES:
        return 0;
    case GRM_GETLINEOPTIONS:
        return LoadField<uint8_t>(p, offsetof(Layer, lineOptions));
    case OBJM_INFOLINE: {
        char name[LAYER_NAME_SIZE];
        layerName(p, name);
        return OwnInfoLines(
            kernel, sender, receiver, subCode, wParam, lParam,
            {"-- <Layer> OBJECT INFORMATIONS -----------",
             InfoText("Layer Number / Name:   %4i / %s", layerNumber(p), name),
             InfoText("Layer Visible / Selectable:    %i / %i",
                      LoadField<uint8_t>(p, offsetof(Layer, visible)),
                      LoadField<uint8_t>(p, offsetof(Layer, selectable))),
             InfoText("Color / L.Style / L.Width :    %3u / %3u /%3u",
                      LoadField<uint32_t>(p, offsetof(Layer, lineColor)),
                      unsigned(LoadField<uint8_t>(p, offsetof(Layer, lineStyle))),
                      LoadField<uint32_t>(p, offsetof(Layer, lineWidth))),
             InfoText("Fill Color/UnitsPixels:  %08X  / %i", LoadField<uint32_t>(p, offsetof(Layer, fill)),
                      LoadField<uint8_t>(p, offsetof(Layer, lineOptions))),
             " "});
    }
    case OBJM_PACKEDCOPY:
        StoreField<int32_t>(p, GOH_SELSLOT, -1);
        break;
    default:
        break;
    }
    return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
}

LRESULT LayersProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                   uint16_t message, WPARAM wParam, LPARAM lParam)
{
    char *p = layersLock(kernel, receiver);
    if (!p)
        return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
    switch (message) {
    case GRM_GETBOUNDRECT:
        if (wParam) {
            auto *out = reinterpret_cast<_COORDRECT *>(lParam);
            if (!out)
                return 0;
            _COORDRECT sum = kEmptyBoundRect;
            for (OBJHANDLE l : layersOf(kernel, receiver)) {
                const char *lp = layerLock(kernel, l);
                if (!lp || lp[offsetof(Layer, name)] == '\t')
                    continue;
                _COORDRECT r = kEmptyBoundRect;
                SendOBJectMessage(kernel, receiver, l, REF_LAYER_MEMBER, GRM_GETBOUNDRECT, 0, LPARAM(&r));
                SumBoundRect(&sum, &r);
            }
            *out = sum;
            return 0;
        }
        break;
    case OBJM_CREATE: {
        Layers init{};
        init.head.bound = kEmptyBoundRect;
        init.head.flags = GF_INITIAL;
        init.head.selected = kEmptyPoint;
        init.head.selectedSlot = -1;
        for (COLORREF &c : init.customColours)
            c = 0x00FFFFFF;
        std::memcpy(p, &init, sizeof init);
        break;
    }
    case OBJM_REFINSERTED:
    case OBJM_REFREMOVED:
        followActiveSlot(kernel, receiver, message, lParam);
        break;
    case OBJM_INFOLINE:
        return OwnInfoLines(
            kernel, sender, receiver, subCode, wParam, lParam,
            {"-- <Layers> OBJECT INFORMATIONS -----------",
             InfoText("Active Layer:  %4i", LoadField<int32_t>(p, offsetof(Layers, activeSlot))), " "});
    case OBJM_PACKEDCOPY:
        StoreField<int32_t>(p, GOH_SELSLOT, -1);
        break;
    default:
        break;
    }
    return DefGraphOBjectProc(kernel, sender, receiver, subCode, message, wParam, lParam);
}
