#include "engine/editing/display_pass.h"

#include "engine/editing/tools/nail.h"
#include "engine/editing/set_geometry.h"

#include "engine/editing/polygon_painters.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/page.h"
#include "platform/dc.h"
#include "platform/event.h"
#include "platform/window_dc.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Which threads run a pass on which record.

struct Running {
    std::mutex mutex;
    std::condition_variable idle;
    std::unordered_map<const _WNDRES *, std::vector<std::thread::id>> passes;
};

Running &running()
{
    static Running r;
    return r;
}

class RunningMark {
public:
    explicit RunningMark(const _WNDRES *rec) : rec_(rec)
    {
        Running &r = running();
        std::lock_guard lock(r.mutex);
        r.passes[rec_].push_back(std::this_thread::get_id());
    }
    ~RunningMark()
    {
        Running &r = running();
        {
            std::lock_guard lock(r.mutex);
            auto it = r.passes.find(rec_);
            if (it != r.passes.end()) {
                auto &ids = it->second;
                ids.erase(std::find(ids.begin(), ids.end(), std::this_thread::get_id()));
                if (ids.empty())
                    r.passes.erase(it);
            }
        }
        r.idle.notify_all();
    }
    RunningMark(const RunningMark &) = delete;
    RunningMark &operator=(const RunningMark &) = delete;

private:
    const _WNDRES *rec_;
};

// ---------------------------------------------------------------------------

constexpr int kMarkSelected = GF_DRAWNSELECTED;
constexpr uint16_t kLinkedLayerBit = 0x0001;

bool stopSignalled(const _WNDRES *rec)
{
    return rec->stopEvent && WaitForSingleObject(rec->stopEvent, 0) != WAIT_TIMEOUT;
}

constexpr int kPlotterTechnology = 0;

bool printLike(HDC dc)
{
    if (!dc) // the painters draw on the window's own context
        return false;
    const int t = GetDeviceCaps(dc, TECHNOLOGY);
    return t == DT_RASPRINTER || t == kPlotterTechnology;
}

bool meets(const _COORDRECT &a, const MAP_COORDRECT &b)
{
    return a.x1 <= b.x2 && b.x1 <= a.x2 && a.y1 <= b.y2 && b.y1 <= a.y2;
}

// The bounding rectangle every graphical object keeps at the start of its
// head; empty for an object without a head.
_COORDRECT boundOf(OBJectKernel *kernel, OBJHANDLE object)
{
    const char *p = GraphHeadLock(kernel, object, GOH_SIZE);
    return p ? LoadField<_COORDRECT>(p, GOH_BOUND)
             : _COORDRECT{2147483647, 2147483647, -2147483647, -2147483647};
}

// The transparency of a layer in percent, 0..100 (a damaged file may hold
// more); 0 for a handle that is not a layer.
int layerTransparency(OBJectKernel *kernel, OBJHANDLE layer)
{
    if (!IsLayer(kernel, layer))
        return 0;
    return std::clamp(LayerTrnsparencyGet(kernel, layer), 0, 100);
}

bool layerInPreview(OBJectKernel *kernel, OBJHANDLE layer)
{
    const char *p = OBJectLock(kernel, layer);
    return p && (LoadField<uint16_t>(p, offsetof(Layer, display)) & LAYER_DISPLAY_PREVIEW);
}

// The selected point an object keeps in its graphical head.
_COORDPT selectedPoint(OBJectKernel *kernel, OBJHANDLE object)
{
    const char *p = GraphHeadLock(kernel, object, GOH_SIZE);
    return p ? LoadField<_COORDPT>(p, GOH_SELPOINT) : _COORDPT{2147483647, 2147483647};
}

// What one walk is: the set, its member reference, and how an element's
// attributes meet the inherited ones.
struct Walk {
    _WNDRES *rec;
    HDC dc;
    uint16_t mode;
    const GraphDispl *inherited; // null: none
    bool inheritedWins;          // group and selection walks
    bool selectionWalk;
    bool layerWalk;
    OBJHANDLE drawnLayer; // layer walk
    uint8_t lineFlags;    // layer walk: the drawn layer's
    int layerTransparencyPercent;
    int wholeRaster;
    int preview;
    bool clip;
    MAP_COORDRECT clipRect;
    int depth;
};

int walkSet(_WNDRES *rec, HDC dc, OBJHANDLE set, uint16_t mode, const GraphDispl *inherited, int wholeRaster,
            int preview, int depth);

// Draws one element that is not a list; false when the walk must stop.
void drawElement(const Walk &w, OBJHANDLE holder, uint16_t memberRef, OBJHANDLE element)
{
    OBJectKernel *kernel = w.rec->kernel;
    const HWND window = w.rec->hWnd;
    // The clip test first: it is the cheapest and rejects the most.
    if (w.clip && !meets(boundOf(kernel, element), w.clipRect))
        return;
    const bool flagged = SendOBJectMessage(kernel, 0, element, 0, GRM_GETFLAGS, kMarkSelected, 0) != 0;
    if (w.mode & DM_SELECTED_ONLY) {
        if (!flagged)
            return;
    } else if (flagged || !SendOBJectMessage(kernel, holder, element, memberRef, GRM_GETVISIBLE, 0, 0)) {
        return;
    }
    GraphDispl a{};
    SendOBJectMessage(kernel, holder, element, memberRef, GRM_GETATTRIBUTES, 1, LPARAM(&a));
    if (w.inherited) {
        if (w.inheritedWins)
            MergeGraphAttributes(w.inherited, &a, &a);
        else
            MergeGraphAttributes(&a, w.inherited, &a);
    }
    if ((a.mask & 0xFF) == 0)
        return;
    const _COORDPT selected = selectedPoint(kernel, element);
    const uint16_t cls = GetOBJectClassID(kernel, element);
    OBJHANDLE ownLayer = w.drawnLayer;
    if (cls == CLASS_POLYGON || cls == CLASS_POLYLINE) {
        uint8_t flags = 0;
        if (w.layerWalk) {
            flags = w.lineFlags;
        } else if (w.selectionWalk) {
            flags = w.rec->selLineFlags;
        } else {
            ownLayer = GetOBJectLayer(kernel, element);
            flags = uint8_t(SendOBJectMessage(kernel, element, ownLayer, 0, GRM_GETLINEOPTIONS, 0, 0));
        }
        a.lineOptions = uint8_t((a.lineOptions & 0x80) | (flags & 0x7F));
    }
    // The layer walk hands on its layer's transparency; the group and
    // selection walks take the element's own layer's.
    int transparency = 0;
    if (w.layerWalk)
        transparency = w.layerTransparencyPercent;
    else if (w.inheritedWins && cls == CLASS_POLYGON)
        transparency = layerTransparency(kernel, GetOBJectLayer(kernel, element));

    // A context over a window's surface is shared with the window's paint:
    // each element is drawn whole under its lock.
    SurfaceDrawLock surface(w.dc);
    switch (cls) {
    case CLASS_POLYGON:
        PolygonDisplay(window, w.dc, element, w.mode, &a, nullptr, selected.x, selected.y, w.preview,
                       transparency);
        break;
    case CLASS_POLYLINE:
        PolylineDisplay(window, w.dc, element, w.mode, &a, nullptr, selected.x, selected.y, w.preview);
        break;
    case CLASS_TEXT:
        TextObjectDisplay(window, w.dc, element, w.mode, &a, w.layerWalk ? w.layerTransparencyPercent : 0);
        break;
    case CLASS_PAGE:
        if (!printLike(w.dc) && (w.mode & DM_PAGE))
            PageDisplay(window, w.dc, element, w.mode, &a);
        break;
    case CLASS_NAIL:
        NailDisplay(window, w.dc, element, w.mode, 0);
        break;
    case CLASS_BITMAP:
        RasterObjectDisplay(w.wholeRaster, window, w.dc, element, uint16_t(w.mode | RASTER_MODE_FRAME_PASS),
                            &a);
        break;
    // Legends and presentation objects have no painter yet: they are walked
    // and drawn as nothing.
    case CLASS_LEGEND:
    case CLASS_PRESENT:
    default:
        break;
    }
}

// The objects of a layer (or of the layer it shows), in drawing order.
void walkLayer(Walk w, OBJHANDLE layer)
{
    OBJectKernel *kernel = w.rec->kernel;
    OBJHANDLE source = layer;
    if (LayerFlagGet(kernel, layer) & kLinkedLayerBit) {
        int32_t pos = -1;
        source = FirstReference(kernel, layer, REF_LAYER_LINK_BACK, &pos);
        if (!IsLayer(kernel, source))
            return;
    }
    w.layerWalk = true;
    w.drawnLayer = layer;
    w.lineFlags = uint8_t(SendOBJectMessage(kernel, 0, layer, 0, GRM_GETLINEOPTIONS, 0, 0));
    w.layerTransparencyPercent = layerTransparency(kernel, layer);
    int32_t pos = -1;
    for (OBJHANDLE e = FirstReference(kernel, source, REF_LAYER_MEMBER, &pos); e;
         e = GetReference(kernel, source, REF_LAYER_MEMBER, &pos)) {
        if (stopSignalled(w.rec))
            return;
        const uint16_t cls = GetOBJectClassID(kernel, e);
        if (cls & CLASSBIT_LIST)
            walkSet(w.rec, w.dc, e, w.mode, w.inherited, w.wholeRaster, w.preview, w.depth + 1);
        else
            drawElement(w, layer, REF_LAYER_MEMBER, e);
    }
}

int walkSet(_WNDRES *rec, HDC dc, OBJHANDLE set, uint16_t mode, const GraphDispl *inherited, int wholeRaster,
            int preview, int depth)
{
    if (depth > kMaxSetDepth) // a group cycle of a damaged file
        return 0;
    OBJectKernel *kernel = rec->kernel;
    const bool printer = printLike(dc);
    // While the window prints, nothing but the printer is drawn on.
    if (rec->printerOnly && GetDeviceCaps(dc, TECHNOLOGY) != DT_RASPRINTER)
        return 1;
    if (stopSignalled(rec))
        return -1;
    const uint16_t cls = GetOBJectClassID(kernel, set);
    if (!cls)
        return 0;
    const bool list = (cls & CLASSBIT_LIST) != 0;
    const uint16_t memberRef = !list                        ? 0
                               : (cls & CLASSBIT_GROUPTREE) ? REF_GROUP_MEMBER
                               : (cls & CLASSBIT_LAYERTREE) ? REF_LAYER_MEMBER
                                                            : REF_SELECTED;
    if (!SendOBJectMessage(kernel, 0, set, 0, GRM_GETVISIBLE, 0, 0))
        return 0;

    if (cls == CLASS_LAYER) {
        double largest = 0, smallest = 0;
        LayerZoomGet(kernel, set, &largest, &smallest);
        double denominator = 0;
        if (printer) {
            denominator = 0; // the page scale decides once printing exists
        } else {
            denominator = rec->displayView ? rec->displayView->scaleDenominator : 0;
            if (layerInPreview(kernel, set))
                preview = 1;
        }
        if (denominator > 0 && !IsLayerSclVisible(largest, smallest, denominator))
            return 0;
    }

    MAP_COORDRECT clipRect{};
    const bool clip = LayersClipRectGet(rec->hWnd, 0, &clipRect) != 0;
    if (clip && !meets(boundOf(kernel, set), clipRect))
        return 0;

    GraphDispl merged{};
    const GraphDispl *setRecord = inherited;
    const bool selectionList = cls == CLASS_SELLIST;
    const bool groupLike = (cls & CLASSBIT_GROUPTREE) != 0;
    if (cls == CLASS_LAYER || groupLike || (selectionList && (mode & DM_EDGE_MIDPOINTS))) {
        GraphDispl fetched{};
        const OBJHANDLE from = cls == CLASS_LAYER ? set : GetPageLayer(rec->hWnd);
        if (from)
            SendOBJectMessage(kernel, 0, from, 0, GRM_GETATTRIBUTES, 1, LPARAM(&fetched));
        if (inherited)
            MergeGraphAttributes(&fetched, inherited, &merged);
        else
            merged = fetched;
        if (groupLike || selectionList)
            merged.fillPattern = fetched.fillPattern;
        setRecord = &merged;
    }

    if (list && !SendOBJectMessage(kernel, 0, set, 0, GRM_GETSELECTABLE, 0, 0))
        mode |= DM_NOT_SELECTABLE;
    if ((mode & (DM_VERTICES | DM_VERTICES_TOO)) && rec->showSelectedNodes == 0)
        mode &= uint16_t(~(DM_VERTICES | DM_VERTICES_TOO));

    Walk w{rec,           dc,      mode, setRecord, groupLike || selectionList,
           selectionList, false,   0,    0,         0,
           wholeRaster,   preview, clip, clipRect,  depth};
    if (cls == CLASS_LAYER) {
        walkLayer(w, set);
        return 1;
    }
    if (!list) {
        if (stopSignalled(rec))
            return -1;
        drawElement(w, set, 0, set);
        return 1;
    }
    int32_t pos = -1;
    for (OBJHANDLE e = FirstReference(kernel, set, memberRef, &pos); e;
         e = GetReference(kernel, set, memberRef, &pos)) {
        if (stopSignalled(rec))
            return -1;
        if (GetOBJectClassID(kernel, e) & CLASSBIT_LIST) {
            const GraphDispl copy = setRecord ? *setRecord : GraphDispl{};
            walkSet(rec, dc, e, mode, setRecord ? &copy : nullptr, wholeRaster, preview, depth + 1);
        } else {
            drawElement(w, set, memberRef, e);
        }
    }
    return 1;
}

} // namespace

int SetOfObjectsDisplay(_WNDRES *rec, HDC dc, OBJHANDLE set, uint16_t mode, const GraphDispl *inherited,
                        const void *, int wholeRaster, int preview)
{
    if (!rec || !rec->kernel || !set)
        return 0;
    RunningMark mark(rec);
    static thread_local int depth = 0;
    struct Depth {
        Depth() { ++depth; }
        ~Depth() { --depth; }
    } nested;
    return walkSet(rec, dc, set, mode, inherited, wholeRaster, preview, depth);
}

int StopAndWaitDrawing(_WNDRES *rec)
{
    if (!rec)
        return 0;
    if (rec->stopEvent)
        SetEvent(rec->stopEvent);
    Running &r = running();
    {
        std::unique_lock lock(r.mutex);
        const auto self = std::this_thread::get_id();
        r.idle.wait(lock, [&] {
            auto it = r.passes.find(rec);
            return it == r.passes.end() ||
                   std::all_of(it->second.begin(), it->second.end(), [&](auto id) { return id == self; });
        });
    }
    if (rec->stopEvent)
        ResetEvent(rec->stopEvent);
    return 1;
}

int DisplayPassesRunning(const _WNDRES *rec)
{
    Running &r = running();
    std::lock_guard lock(r.mutex);
    auto it = r.passes.find(rec);
    return it == r.passes.end() ? 0 : int(it->second.size());
}
