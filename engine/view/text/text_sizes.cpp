#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/text/text_internal.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/page.h"
#include "platform/global_memory.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr size_t kPaperWidthOffset = 64; // in the window's page-setup block

// Units of the screen view's world coordinates in one metre.
double worldUnitFactor(const _WNDRES *rec)
{
    if (!rec->displayView)
        return 1.0;
    const tagUnitInfo *unit = FindUnitInfo(rec->displayView->projection.transformedUnit);
    return unit && unit->factor > 0 ? unit->factor : 1.0;
}

int32_t paperWidth(const _WNDRES *rec)
{
    if (!rec->pageSetup || GlobalSize(rec->pageSetup) < kPaperWidthOffset + sizeof(int32_t))
        return 0;
    const void *p = GlobalLock(rec->pageSetup);
    if (!p)
        return 0;
    const int32_t w = LoadField<int32_t>(p, kPaperWidthOffset);
    GlobalUnlock(rec->pageSetup);
    return w;
}

// The window y of a map point (0, v) below that of (0, 0): v map units in
// pixels.
int32_t mapToPixels(const _WNDRES *rec, int32_t v)
{
    if (!rec->displayView)
        return 0;
    const MAP_COORDPT map[2] = {{0, 0}, {0, v}};
    POINT window[2]{};
    PM_MapToWindow(rec->displayView, map, window, 2);
    return textobj::Clamp32(int64_t(window[0].y) - window[1].y);
}

} // namespace

double PageZoomFactorGet(HWND window)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec)
        return 0;
    const int32_t w = paperWidth(rec);
    if (w <= 0)
        return 0;
    MAP_COORDPT origin{}, extent{};
    // A page without width would divide by zero: no page scale then.
    if (!PageGetOrgExtInWindow(window, &origin, &extent) || extent.x <= 0)
        return 0;
    return w / ((10000.0 / worldUnitFactor(rec)) * extent.x);
}

namespace textobj {

std::string_view RecordText(const char *record)
{
    const OBJectHead *head = OBJectSpaceBegin(const_cast<char *>(record));
    if (!head)
        return {};
    // An empty data space still gives a pointer into the block: callers copy
    // from it, and a copy from null is undefined even for no bytes.
    if (head->size <= head->dataOffset)
        return std::string_view(reinterpret_cast<const char *>(head) + std::min(head->dataOffset, head->size),
                                0);
    const uint32_t space = head->size - head->dataOffset;
    const uint32_t length = LoadField<uint32_t>(record, offsetof(TextObjectData, textLength));
    const char *text = reinterpret_cast<const char *>(head) + head->dataOffset;
    return std::string_view(text, std::min(length, space));
}

int32_t PointsToMap(HWND window, int32_t points)
{
    const _WNDRES *rec = GetWndRes(window);
    const double z = PageZoomFactorGet(window);
    if (!rec || z == 0)
        return 0;
    return Trunc32(points / (z * TEXT_POINTS_PER_METRE) * worldUnitFactor(rec));
}

int32_t TextHeightInMap(HWND window, TextObjectData &d)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec)
        return 0;
    if (d.flags & TEXT_LOCK_SCREEN) {
        if (!rec->displayView)
            return 0;
        const POINT pixels[2] = {{0, 0}, {0, d.size}};
        MAP_COORDPT map[2]{};
        PM_WindowToMap(rec->displayView, pixels, map, 2);
        return Clamp32(std::llabs(int64_t(map[0].y) - map[1].y));
    }
    if (d.flags & TEXT_LOCK_MAP) {
        if (d.mapHeight == 0)
            d.mapHeight = PointsToMap(window, d.size);
        // The size shown in points follows the page scale.
        const double z = PageZoomFactorGet(window);
        d.size = Clamp16(Trunc32(z * TEXT_POINTS_PER_METRE / worldUnitFactor(rec) * d.mapHeight + 0.5));
        return d.mapHeight;
    }
    return PointsToMap(window, d.size);
}

} // namespace textobj

int32_t TextHeightToWindow(HWND window, int32_t value, uint32_t unitFlags)
{
    if (!(unitFlags & (TEXT_UNITS_POINTS_TO_MAP | TEXT_UNITS_POINTS_TO_PIXELS | TEXT_UNITS_MAP_TO_PIXELS)))
        return value;
    const _WNDRES *rec = GetWndRes(window);
    if (unitFlags & TEXT_UNITS_POINTS_TO_MAP)
        return textobj::PointsToMap(window, value);
    if (!rec)
        return 0;
    if (unitFlags & TEXT_UNITS_POINTS_TO_PIXELS) {
        if (PageZoomFactorGet(window) == 0)
            return 0;
        return mapToPixels(rec, textobj::PointsToMap(window, value));
    }
    return mapToPixels(rec, value);
}

int32_t PointSizeToMap(HWND window, int32_t points) { return textobj::PointsToMap(window, points); }
