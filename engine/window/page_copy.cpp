#include "engine/window/page_copy.h"

#include "engine/editing/object_finders.h"
#include "engine/editing/operations/polygon_boolean.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/cutting/active_layers.h"
#include "engine/polygon/cutting/cutting_tools.h"
#include "engine/window/clipboard/clipboard_copy.h"
#include "engine/window/clipboard/clipboard_paste.h"
#include "engine/window/page.h"
#include "engine/window/window_identifiers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_points.h"
#include "engine/window/window_selection.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace {

struct CopiedPage {
    MAP_COORDPT origin;
    MAP_COORDPT extension;
};

std::mutex copiedLock;
std::optional<CopiedPage> copied; // set by the first CopyPage

std::optional<CopiedPage> copiedPage()
{
    const std::lock_guard<std::mutex> lock(copiedLock);
    return copied;
}

int32_t sum(int32_t a, int32_t b)
{
    return int32_t(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX));
}

// The page's printable rectangle; false without a page.
bool printableOf(HWND window, MAP_COORDRECT *printable)
{
    const _WNDRES *rec = GetWndRes(window);
    PageRecord page{};
    if (!rec || !rec->kernel || !PageRead(rec->kernel, PageGetFromWindow(window), &page))
        return false;
    *printable = page.printable;
    return true;
}

// The printable area's width and the page's full height from its origin.
MAP_COORDRECT stripOf(const MAP_COORDRECT &printable, const CopiedPage &page)
{
    const int32_t y2 = sum(page.origin.y, page.extension.y);
    return {printable.x1, std::min(page.origin.y, y2), printable.x2, std::max(page.origin.y, y2)};
}

std::vector<OBJHANDLE> found(HWND window, const MAP_COORDRECT &rect, int enclosed, int mode)
{
    const std::unique_ptr<CMapObjArr> objects(GetObjByMap(window, &rect, enclosed, mode));
    std::vector<OBJHANDLE> out;
    for (int32_t i = 0; objects && i < objects->GetSize(); ++i)
        out.push_back(objects->GetAt(i));
    return out;
}

bool contains(const std::vector<OBJHANDLE> &list, OBJHANDLE h)
{
    return std::find(list.begin(), list.end(), h) != list.end();
}

std::vector<OBJHANDLE> selection(HWND window)
{
    int32_t count = 0;
    map_selection_Get(window, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, 0);
    std::vector<OBJHANDLE> out(size_t(std::max(count, 0)));
    if (count > 0)
        map_selection_Get(window, &count, out.data(), count, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, 0);
    out.resize(size_t(std::clamp<int32_t>(count, 0, int32_t(out.size()))));
    return out;
}

void remove(HWND window, OBJHANDLE h) { map_objects_Delete(window, &h, 1, 0); }

bool inside(const MAP_COORDRECT &inner, const MAP_COORDRECT &outer)
{
    return inner.x1 >= outer.x1 && inner.x2 <= outer.x2 && inner.y1 >= outer.y1 && inner.y2 <= outer.y2;
}

// A pasted polyline cut by the frame: the pieces inside the strip stay. A
// line the frame does not cross gives no pieces (the cut answers an
// unlinked copy instead): it stays whole when it lies inside the strip.
void clipPolyline(HWND window, OBJHANDLE frame, OBJHANDLE line, const MAP_COORDRECT &strip)
{
    CMapObjArr pieces;
    PolygonCutPolyline(window, frame, line, &pieces);
    if (pieces.GetSize() == 1 && !map_object_layer_Get(window, pieces[0])) {
        remove(window, pieces[0]);
        MAP_COORDRECT bounds{};
        if (!map_object_boundrect_Get(window, line, &bounds) || !inside(bounds, strip))
            remove(window, line);
        return;
    }
    remove(window, line);
    const std::vector<OBJHANDLE> kept = found(window, strip, 1, FINDER_OBJECTS);
    for (int32_t i = 0; i < pieces.GetSize(); ++i)
        if (pieces[i] && !contains(kept, pieces[i]))
            remove(window, pieces[i]);
}

// A pasted polygon (or other object) intersected with the frame; the first
// object selected afterwards takes the pasted object's identifier.
void clipOther(HWND window, const char *code, const char *name, bool hasId, bool showCode, bool showName)
{
    if (!SelectedPolygonsLogicalOper(window, 406) || !hasId)
        return;
    const std::vector<OBJHANDLE> selected = selection(window);
    if (!selected.empty())
        map_object_id_Set(window, selected.front(), code, name, showCode ? 1 : 0, showName ? 1 : 0, 0);
}

} // namespace

void ForgetCopiedPage()
{
    const std::lock_guard<std::mutex> lock(copiedLock);
    copied.reset();
}

int CopyPage(HWND window)
{
    const _WNDRES *rec = GetWndRes(window);
    CopiedPage page{};
    MAP_COORDRECT printable{};
    if (!rec || !rec->kernel || !PageGetOrgExtInWindow(window, &page.origin, &page.extension) ||
        !printableOf(window, &printable))
        return 0;
    {
        const std::lock_guard<std::mutex> lock(copiedLock);
        copied = page;
    }
    const std::vector<OBJHANDLE> noted = selection(window);
    map_selection_Clear(window, 0);
    for (const OBJHANDLE h : found(window, stripOf(printable, page), 0, FINDER_OBJECTS_AND_GROUPS)) {
        if (GetOBJectClassID(rec->kernel, h) == CLASS_TEXT) {
            // A text joins only when it overlaps the printable area vertically.
            MAP_COORDRECT b{};
            if (!map_object_boundrect_Get(window, h, &b) || !(b.y1 < printable.y2 && b.y2 > printable.y1))
                continue;
        }
        SetSelection(window, &h, 1, 1, 0);
    }
    DstrEditCopy(window, COPY_SELECTION);
    map_selection_Clear(window, 0);
    if (!noted.empty())
        SetSelection(window, noted.data(), uint32_t(noted.size()), 1, 0);
    return 0;
}

int PastePage(HWND window)
{
    const std::optional<CopiedPage> remembered = copiedPage();
    _WNDRES *rec = GetWndRes(window);
    const OBJHANDLE page = rec && rec->kernel ? PageGetFromWindow(window) : 0;
    if (!remembered || !page)
        return 0; // nothing was copied: the page stays where it is
    MAP_COORDPT origin{}, extension{};
    PageGetOrgExtInWindow(window, &origin, &extension);
    PageMoveOrigin(rec->kernel, page, int32_t(int64_t(remembered->origin.x) - origin.x),
                   int32_t(int64_t(remembered->origin.y) - origin.y));
    MAP_COORDRECT p{};
    if (!printableOf(window, &p))
        return 0;
    const MAP_COORDPT frame[4] = {{p.x1, p.y2}, {p.x2, p.y2}, {p.x2, p.y1}, {p.x1, p.y1}};
    const MAP_COORDRECT strip = stripOf(p, *remembered);

    const std::vector<OBJHANDLE> before = found(window, strip, 0, FINDER_OBJECTS);
    DstrEditPaste(window);
    std::vector<OBJHANDLE> pasted;
    for (const OBJHANDLE h : found(window, strip, 0, FINDER_OBJECTS))
        if (!contains(before, h))
            pasted.push_back(h);

    map_selection_Clear(window, 0);
    for (const OBJHANDLE o : pasted) {
        SetActLayers(nullptr, GetOBJectLayerNumber(rec->kernel, o), 0, window, 0);
        char code[64] = {}, name[64] = {};
        OBJHANDLE codeText = 0, nameText = 0;
        const bool hasId =
            map_object_id_Get(window, o, code, sizeof code, name, sizeof name, &codeText, &nameText);
        OBJHANDLE polygon = 0;
        map_polygon_Create(window, &polygon, frame, 4, 0);
        if (!polygon)
            continue;
        const OBJHANDLE both[2] = {polygon, o};
        SetSelection(window, both, 2, 1, 0);
        if (GetOBJectClassID(rec->kernel, o) == CLASS_POLYLINE)
            clipPolyline(window, polygon, o, strip);
        else
            clipOther(window, code, name, hasId, codeText != 0, nameText != 0);
        map_selection_Clear(window, 0);
        remove(window, polygon);
    }
    return 0;
}
