#include "engine/window/window_view.h"

#include "engine/kernel/graph_rect.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/page.h"
#include "engine/window/window_access.h"
#include "platform/global_memory.h"
#include "platform/window.h"

#include <QFile>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

_WNDRES *recordOf(HWND window) { return window ? GetWndRes(window) : nullptr; }

// Interface bit -> stored bit of the display options.
constexpr uint32_t kOptionMap[6][2] = {{0x01, 0x02}, {0x02, 0x10}, {0x04, 0x20},
                                       {0x08, 0x01}, {0x10, 0x04}, {0x20, 0x08}};

// Copies the text cut to size - 2 characters when it does not fit; false
// when it had to be cut.
bool copyOrCut(char *out, int32_t size, const char *text)
{
    const size_t length = std::strlen(text);
    if (!out)
        return true;
    if (size > 0 && size_t(size) > length) {
        std::memcpy(out, text, length + 1);
        return true;
    }
    if (size > 0) {
        const size_t n = size >= 2 ? size_t(size - 2) : 0;
        std::memcpy(out, text, n);
        out[n] = '\0';
    }
    return false;
}

void storeCut(char *field, size_t fieldSize, const char *text)
{
    std::memset(field, 0, fieldSize);
    if (text)
        std::memcpy(field, text, strnlen(text, fieldSize - 1));
}

// A lock of the window's page set-up block for one call.
class SetupLock {
public:
    explicit SetupLock(const _WNDRES *rec) : block(rec ? rec->pageSetup : 0)
    {
        if (block && GlobalSize(block) >= sizeof(VPSetup))
            setup = static_cast<VPSetup *>(GlobalLock(block));
    }
    ~SetupLock()
    {
        if (setup)
            GlobalUnlock(block);
    }
    SetupLock(const SetupLock &) = delete;
    SetupLock &operator=(const SetupLock &) = delete;
    HGLOBAL block;
    VPSetup *setup = nullptr;
};

bool fits32(double v) { return std::isfinite(v) && v >= INT32_MIN && v <= INT32_MAX; }

} // namespace

extern "C" {

int map_rect_Invalidate(HWND window, const MAP_COORDRECT *rect)
{
    if (!recordOf(window))
        return 0;
    InvalidateGraphRect(window, rect, 1);
    return 1;
}

int map_rect_Repaint(HWND window, const MAP_COORDRECT *rect)
{
    if (!recordOf(window))
        return 0;
    if (rect) {
        InvalidateGraphRect(window, rect, 1);
    } else {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
    return 1;
}

int map_rect_Zoom(HWND window, const MAP_COORDRECT *rect)
{
    _WNDRES *rec = recordOf(window);
    if (!rec || !rec->displayView)
        return 0;
    if (rect) {
        MAP_COORDRECT world{};
        PM_MapToWorldRect(rec->displayView, rect, &world);
        PM_ZoomWorld(rec->displayView, window, &world, 1);
    }
    InvalidateRect(window, nullptr, TRUE);
    return 1;
}

int map_rect_Intersect(MAP_COORDRECT *result, const MAP_COORDRECT *a, const MAP_COORDRECT *b)
{
    if (!a || !b) {
        if (result)
            *result = {0, 0, 0, 0};
        return 0;
    }
    const int meet = GraphRectsIntersect(a, b);
    if (result) {
        if (meet)
            *result = {std::max(a->x1, b->x1), std::max(a->y1, b->y1), std::min(a->x2, b->x2),
                       std::min(a->y2, b->y2)};
        else
            *result = {0, 0, 0, 0};
    }
    return meet ? 1 : 0;
}

int map_screen_to_map(HWND window, MAP_COORDPT *map, const POINT *points, int32_t count)
{
    _WNDRES *rec = recordOf(window);
    if (!rec || !rec->displayView || !map || !points || count < 0)
        return 0;
    PM_WindowToMap(rec->displayView, points, map, count);
    return 1;
}

int map_map_to_screen(HWND window, POINT *points, const MAP_COORDPT *map, int32_t count)
{
    _WNDRES *rec = recordOf(window);
    if (!rec || !rec->displayView || !map || !points || count < 0)
        return 0;
    PM_MapToWindow(rec->displayView, map, points, count);
    return 1;
}

int map_projection_Set(HWND window, const char *module, const char *parameters, int32_t sourceKind,
                       int32_t sourceUnit, int32_t targetKind, int32_t targetUnit, int32_t areaUnit,
                       int32_t lengthUnit)
{
    _WNDRES *rec = recordOf(window);
    if (!rec || !rec->displayView)
        return 0;
    PM_InitStructTag init{};
    PM_GetInitStruct(rec->displayView, &init);
    storeCut(init.modulePath, sizeof init.modulePath, module);
    storeCut(init.parameterText, sizeof init.parameterText, parameters);
    init.baseKind = sourceKind;
    init.baseUnit = sourceUnit;
    init.transformedKind = targetKind;
    init.transformedUnit = targetUnit;
    init.areaUnit = areaUnit;
    init.lengthUnit = lengthUnit;
    PM_InitFromInitStruct(rec->displayView, &init);
    return 1;
}

int map_projection_Get(HWND window, char *module, int32_t *moduleLength, int32_t moduleSize, char *parameters,
                       int32_t *parametersLength, int32_t parametersSize, int32_t *sourceKind,
                       int32_t *sourceUnit, int32_t *targetKind, int32_t *targetUnit, int32_t *areaUnit,
                       int32_t *lengthUnit)
{
    _WNDRES *rec = recordOf(window);
    if (!rec || !rec->displayView)
        return 0;
    PM_InitStructTag init{};
    PM_GetInitStruct(rec->displayView, &init);
    init.modulePath[sizeof init.modulePath - 1] = '\0';
    init.parameterText[sizeof init.parameterText - 1] = '\0';
    bool whole = copyOrCut(module, moduleSize, init.modulePath);
    whole = copyOrCut(parameters, parametersSize, init.parameterText) && whole;
    if (moduleLength)
        *moduleLength = int32_t(std::strlen(init.modulePath));
    if (parametersLength)
        *parametersLength = int32_t(std::strlen(init.parameterText));
    if (sourceKind)
        *sourceKind = init.baseKind;
    if (sourceUnit)
        *sourceUnit = init.baseUnit;
    if (targetKind)
        *targetKind = init.transformedKind;
    if (targetUnit)
        *targetUnit = init.transformedUnit;
    if (areaUnit)
        *areaUnit = init.areaUnit;
    if (lengthUnit)
        *lengthUnit = init.lengthUnit;
    return whole ? 1 : 0;
}

int map_page_Set(HWND window, const char *paperName, int32_t paperNumber, int32_t landscape, uint16_t width,
                 uint16_t height, const RECT *margins, const MAP_COORDPT *origin, double scale)
{
    _WNDRES *rec = recordOf(window);
    SetupLock lock(rec);
    VPSetup *s = lock.setup;
    if (!s)
        return 0;
    if (paperName)
        storeCut(s->paperName, sizeof s->paperName, paperName);
    if (paperNumber > 0)
        s->paperNumber = paperNumber;
    if (landscape >= 0)
        s->orientation = landscape ? VP_ORIENT_LANDSCAPE : VP_ORIENT_PORTRAIT;
    if (width)
        s->paperWidth = width;
    if (height)
        s->paperHeight = height;
    if (margins) {
        s->leftMargin = margins->left;
        s->topMargin = margins->top;
        s->rightMargin = margins->right;
        s->bottomMargin = margins->bottom;
    }
    const OBJHANDLE page = PageGetFromWindow(window);
    if (page && rec->kernel) {
        const int32_t paperWidth = s->paperWidth;
        const int32_t paperHeight = s->paperHeight;
        PageRecalcFromSetup(window, page);
        MAP_COORDPT at{};
        if (origin && PageHandlePosition(rec->kernel, page, 6, &at)) {
            const int64_t dx = int64_t(origin->x) - at.x;
            const int64_t dy = int64_t(origin->y) - at.y;
            if (dx >= INT32_MIN && dx <= INT32_MAX && dy >= INT32_MIN && dy <= INT32_MAX)
                PageMoveOrigin(rec->kernel, page, int32_t(dx), int32_t(dy));
        }
        MAP_COORDPT opposite{};
        if (scale > 0 && std::isfinite(scale) && PageHandlePosition(rec->kernel, page, 6, &at) &&
            PageHandlePosition(rec->kernel, page, 2, &opposite)) {
            // Handle 2 goes the paper's size at the scale away from handle 6,
            // on the side where it stands now.
            const double sx = opposite.x >= at.x ? 1.0 : -1.0;
            const double sy = opposite.y >= at.y ? 1.0 : -1.0;
            const double x = double(at.x) + sx * std::trunc(paperWidth / scale);
            const double y = double(at.y) + sy * std::trunc(paperHeight / scale);
            if (fits32(x) && fits32(y))
                PageMoveHandle(rec->kernel, page, 2, MAP_COORDPT{int32_t(x), int32_t(y)}, 1);
        }
    }
    return 1;
}

int map_page_Get(HWND window, char *paperName, int32_t nameSize, int32_t *paperNumber, int32_t *landscape,
                 uint16_t *width, uint16_t *height, RECT *margins, MAP_COORDPT *origin, double *scale)
{
    _WNDRES *rec = recordOf(window);
    SetupLock lock(rec);
    const VPSetup *s = lock.setup;
    if (!s)
        return 0;
    MAP_COORDPT org{0, 0};
    MAP_COORDPT ext{0, 0};
    PageGetOrgExtInWindow(window, &org, &ext);
    if (paperName && nameSize > 0) {
        const size_t n = strnlen(s->paperName, std::min<size_t>(sizeof s->paperName, size_t(nameSize) - 1));
        std::memcpy(paperName, s->paperName, n);
        paperName[n] = '\0';
    }
    if (paperNumber)
        *paperNumber = s->paperNumber;
    if (landscape)
        *landscape = s->orientation == VP_ORIENT_LANDSCAPE  ? 1
                     : s->orientation == VP_ORIENT_PORTRAIT ? 0
                                                            : -1;
    if (width)
        *width = uint16_t(s->paperWidth);
    if (height)
        *height = uint16_t(s->paperHeight);
    if (margins)
        *margins = RECT{s->leftMargin, s->topMargin, s->rightMargin, s->bottomMargin};
    if (origin)
        *origin = org;
    if (scale && rec->displayView) {
        const tagUnitInfo *unit = FindUnitInfo(rec->displayView->projection.transformedUnit);
        if (unit && unit->factor > 0 && s->paperWidth > 0 && ext.x != 0) {
            double f = 10000.0 / unit->factor;
            if (unit->kind & UNIT_IMPERIAL)
                f *= 0.39370078740157477;
            *scale = s->paperWidth / (ext.x * f);
        }
    }
    return 1;
}

int map_presentation_Set(HWND window, uint32_t bits)
{
    _WNDRES *rec = recordOf(window);
    if (!rec || !rec->gui)
        return 0;
    int32_t stored = 0;
    for (const auto &m : kOptionMap)
        if (bits & m[0])
            stored |= int32_t(m[1]);
    rec->gui->displayOptions = stored;
    return 1;
}

int map_presentation_Get(HWND window, uint32_t *bits)
{
    _WNDRES *rec = recordOf(window);
    if (!rec || !rec->gui)
        return 0;
    uint32_t out = 0;
    for (const auto &m : kOptionMap)
        if (uint32_t(rec->gui->displayOptions) & m[1])
            out |= m[0];
    if (bits)
        *bits = out;
    return 1;
}

int TraceGorm(const char *fileName, const char *text)
{
    if (!fileName)
        return 0;
    QFile file(QString::fromLocal8Bit(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return 0;
    if (text)
        file.write(text, qint64(std::strlen(text)));
    return 1;
}

} // extern "C"
