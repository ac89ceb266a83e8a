#include "engine/editing/polygon_painters.h"

#include "engine/editing/display_mode.h"
#include "engine/kernel/buffer.h"
#include "engine/kernel/graph_services.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "engine/view/clipping/object_points.h"
#include "engine/view/linestyle/line_style.h"
#include "engine/view/text/pres_ranges_style.h"
#include "engine/view/text/text_object.h" // BitmapDraw
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/alpha_fill.h"
#include "platform/bitblt.h"
#include "platform/dc.h"
#include "platform/region.h"
#include "platform/system_colors.h"
#include "platform/window_dc.h" // GetDC

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The window record's scratch buffers the painters fill.
constexpr int kWindowPointsBuffer = 0;
constexpr int kWorkBuffer = 1;
constexpr int kPartsBuffer = 2;

// Marker images, in the order of the engine's marker bitmaps.
constexpr int kMarkSquare = 0;
constexpr int kMarkCircle = 1;
constexpr int kMarkTriangle = 2;

constexpr uint8_t kWidthInMapUnits = 0x01;
constexpr uint8_t kRendererFlags = 0x06; // rounded corners, rounded ends

bool isDisplay(HDC dc) { return GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY; }

// The window points and parts of one conversion, read out of the buffers.
struct WindowShape {
    std::vector<POINT> points;
    std::vector<std::pair<int32_t, int32_t>> parts; // first index, count
    int firstVisible = 0, lastVisible = 0, clipped = 0;
};

// Copies n items of the buffer into out (reusing its room); false when the
// buffer holds fewer.
template <typename T>
bool readItems(Buffer *b, size_t n, std::vector<T> &out)
{
    out.clear();
    if (!n)
        return true;
    if (BufferGetSize(b) < n)
        return false;
    const bool locked = BufferGetPointer(b) != nullptr;
    const auto *p = static_cast<const T *>(locked ? BufferGetPointer(b) : BufferLock(b));
    if (!p)
        return false;
    out.assign(p, p + n);
    if (!locked)
        BufferUnLock(b);
    return true;
}

// The conversion of the object in hand; one per thread, its room reused
// from object to object.
const WindowShape *convert(HWND window, _WNDRES *rec, OBJHANDLE object, bool bridges)
{
    Buffer *points = rec->drawBuffers[kWindowPointsBuffer];
    Buffer *work = rec->drawBuffers[kWorkBuffer];
    Buffer *parts = rec->drawBuffers[kPartsBuffer];
    if (!points || !work || !parts)
        return nullptr;
    for (Buffer *b : {points, work, parts}) {
        BufferSetItemPosWrite(b, 0);
        BufferSetValidNumber(b, 0);
    }
    thread_local WindowShape s;
    thread_local std::vector<int32_t> pairs;
    s.points.clear();
    s.parts.clear();
    s.firstVisible = s.lastVisible = s.clipped = 0;
    const int32_t n = ObjectPointsToWindow(window, object, points, work, parts, &s.firstVisible,
                                           &s.lastVisible, &s.clipped, bridges ? 1 : 0);
    if (n <= 0)
        return &s;
    if (!readItems(points, size_t(n), s.points) ||
        !readItems(parts, size_t(BufferGetValidNumber(parts)) * 2, pairs)) {
        s.points.clear();
        return &s;
    }
    for (size_t k = 0; k + 1 < pairs.size(); k += 2) {
        const int64_t first = pairs[k], count = pairs[k + 1];
        if (first >= 0 && count > 0 && first + count <= n)
            s.parts.emplace_back(int32_t(first), int32_t(count));
    }
    return &s;
}

// The object's map points, as stored (a polygon's ring open).
std::vector<MAP_COORDPT> mapPoints(OBJectKernel *kernel, OBJHANDLE object)
{
    std::vector<MAP_COORDPT> out;
    char *fixed = OBJectLock(kernel, object);
    if (!fixed)
        return out;
    const bool heights = LoadField<uint16_t>(fixed, PS_ZFLAGS) & 1;
    const uint32_t stride = heights ? 12 : 8;
    const uint32_t held = DataSpaceSize(kernel, object) / stride;
    const uint32_t count = std::min(LoadField<uint32_t>(fixed, PS_COUNT), held);
    const char *data = DataSpaceBegin(fixed);
    out.resize(count);
    for (uint32_t i = 0; i < count; ++i)
        std::memcpy(&out[i], data + size_t(i) * stride, sizeof(MAP_COORDPT));
    return out;
}

// The selected device context, given or the window's own, released at the
// end; the drawing state the painters change is put back by the painters.
class PaintContext {
public:
    PaintContext(HWND window, HDC dc) : window_(window), dc_(dc)
    {
        if (!dc_) {
            dc_ = GetDC(window);
            own_ = dc_ != 0;
        }
    }
    ~PaintContext()
    {
        if (own_)
            ReleaseDC(window_, dc_);
    }
    PaintContext(const PaintContext &) = delete;
    PaintContext &operator=(const PaintContext &) = delete;
    HDC dc() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
    bool own_ = false;
};

void drawMark(HDC dc, int image, const POINT &p)
{
    const HBITMAP bitmap = MarkerBitmap(image);
    if (bitmap)
        BitmapDraw(dc, bitmap, SELECTION_MARK_SIZE, SELECTION_MARK_SIZE, p.x - 3, p.y - 3, SRCINVERT);
}

bool sameMapPoint(const MAP_COORDPT &a, const MAP_COORDPT &b) { return a.x == b.x && a.y == b.y; }
bool samePoint(const POINT &a, const POINT &b) { return a.x == b.x && a.y == b.y; }

// The integer middle of two map points, in 64 bits.
MAP_COORDPT median(const MAP_COORDPT &a, const MAP_COORDPT &b)
{
    return {int32_t((int64_t(a.x) + b.x) / 2), int32_t((int64_t(a.y) + b.y) / 2)};
}

// The midpoint marks of the edges next to the selected vertex; wrap: a
// polygon's ring closes, a polyline's end vertex has one neighbour.
void markEdgeMidpoints(HWND window, _WNDRES *rec, HDC dc, OBJHANDLE object, int32_t selX, int32_t selY,
                       bool wrap)
{
    const bool display = isDisplay(dc);
    std::vector<MAP_COORDPT> pts = mapPoints(rec->kernel, object);
    if (wrap && pts.size() > 1 && sameMapPoint(pts.front(), pts.back()))
        pts.pop_back();
    const MAP_COORDPT selected{selX, selY};
    _COORDRECT bound{};
    SendOBJectMessage(rec->kernel, 0, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&bound));
    const bool inBound = selX >= bound.x1 && selX <= bound.x2 && selY >= bound.y1 && selY <= bound.y2;
    size_t index = pts.size();
    if (inBound)
        for (size_t i = 0; i < pts.size(); ++i)
            if (sameMapPoint(pts[i], selected)) {
                index = i;
                break;
            }
    if (index == pts.size()) {
        if (display)
            PointsMoveMarked(window, nullptr, nullptr);
        return;
    }
    const size_t n = pts.size();
    const size_t prev = index > 0 ? index - 1 : (wrap ? n - 1 : index);
    const size_t next = index + 1 < n ? index + 1 : (wrap ? 0 : index);
    std::optional<MAP_COORDPT> found[2];
    int k = 0;
    for (size_t other : {prev, next}) {
        if (other == index) {
            ++k;
            continue;
        }
        const MAP_COORDPT mid = median(pts[index], pts[other]);
        found[k++] = mid;
        if (PM_PointInClipRect(rec->displayView, &mid)) {
            POINT w{};
            PM_MapToWindow(rec->displayView, &mid, &w, 1);
            drawMark(dc, kMarkSquare, w);
        }
    }
    // The selection list remembers the midpoints before and after the
    // vertex (a missing one as none), which snapping finds like vertices.
    if (display)
        PointsMoveMarked(window, found[0] ? &*found[0] : nullptr, found[1] ? &*found[1] : nullptr);
}

// The vertices of the parts that the bitmap records: interior points of
// parts of more than 2 points, each part's first point when the first point
// lies inside, and the last point when it lies inside (unless equal to a
// first point inside).
const std::vector<POINT> &recordedVertices(const WindowShape &s, bool withLast)
{
    thread_local std::vector<POINT> v;
    v.clear();
    for (const auto &[first, count] : s.parts) {
        if (count > 2)
            v.insert(v.end(), s.points.begin() + first + 1, s.points.begin() + first + count - 1);
        if (s.firstVisible)
            v.push_back(s.points[size_t(first)]);
    }
    if (withLast && s.lastVisible && !s.points.empty() &&
        !(s.firstVisible && samePoint(s.points.front(), s.points.back())))
        v.push_back(s.points.back());
    return v;
}

void recordVertices(HWND window, HDC dc, uint16_t mode, const std::vector<POINT> &v)
{
    if ((mode & DM_INVERT) || !isDisplay(dc) || v.empty())
        return;
    if (mode & DM_INVERT_CLEAR)
        PointsUnset(window, v.data(), int(v.size()));
    else
        PointsSet(window, nullptr, v.data(), int(v.size()));
}

bool qualifiesForPen(const GraphDispl &a)
{
    constexpr uint32_t needed = GD_LINECOLOR | GD_LINEWIDTH | GD_LINESTYLE;
    return (a.mask & needed) == needed && a.lineColor != CLR_INVALID;
}

// A line style the renderer knows, else solid.
int knownStyle(const GraphDispl &a) { return LineStyleIsValid(a.lineStyle) ? int(a.lineStyle) : 0; }

COLORREF penColour(const GraphDispl &a, uint16_t mode)
{
    if (mode & DM_ERASE)
        return GetSysColor(COLOR_WINDOW);
    if (mode & DM_INVERTED)
        return GetSysColor(COLOR_WINDOWTEXT);
    return a.lineColor & 0xFFFFFF;
}

// The pen of an outline, and whether the line renderer strokes it instead.
struct OutlinePen {
    HPEN pen = 0; // 0: the null pen
    COLORREF colour = 0;
    bool styled = false; // the renderer strokes the outline
};

OutlinePen makePen(const GraphDispl &a, uint16_t mode, int pixelWidth, bool simple, bool preview,
                   int maxSolidWidth)
{
    OutlinePen p;
    if (!qualifiesForPen(a))
        return p;
    const bool inverted = (mode & DM_INVERTED) != 0;
    p.colour = penColour(a, mode);
    p.styled = !simple && !preview;
    if (preview) {
        p.pen = CreatePen(PS_SOLID, 1, a.lineColor & 0xFFFFFF);
        return p;
    }
    const int style = knownStyle(a);
    const int penStyle = style <= 4 && simple && !inverted ? style : PS_SOLID;
    const int width =
        inverted ? 1 : (style == 0 && pixelWidth <= maxSolidWidth ? std::max(pixelWidth, 1) : 1);
    p.pen = CreatePen(penStyle, width, p.colour);
    return p;
}

bool simplePolygonOutline(int style, int width)
{
    return (style == 0 && width <= 5) || (style >= 1 && style <= 4 && width == 1);
}
bool simplePolylineOutline(int style, int width)
{
    return (style == 0 && width <= 4) || (style >= 1 && style <= 4 && width == 1);
}

// Strokes one part with the renderer, in pieces the renderer takes.
bool strokeStyled(LineStyleContext *ctx, HDC dc, const POINT *p, int32_t count)
{
    return LineStyleDrawPolyline(ctx, p, count, dc) != 0;
}

// Strokes one part with the selected pen: in one call up to the limit,
// else as a move and lines to each further point.
void strokePlain(HDC dc, const POINT *p, int32_t count)
{
    if (count < 2)
        return;
    if (count <= kMaxPolylinePoints && Polyline(dc, p, count))
        return;
    MoveToEx(dc, p[0].x, p[0].y, nullptr);
    for (int32_t i = 1; i < count; ++i)
        LineTo(dc, p[i].x, p[i].y);
}

} // namespace

int OutlinePixelWidth(HWND window, const GraphDispl &a)
{
    double width = double(a.lineWidth);
    if (a.lineOptions & kWidthInMapUnits) {
        const _WNDRES *rec = GetWndRes(window);
        const double scale = rec && rec->displayView ? rec->displayView->scale : 1.0;
        width = width * scale + 0.5;
    }
    if (!(width >= 0)) // also NaN
        return 0;
    return int(std::min(width, 32767.0));
}

int PolygonDisplay(HWND window, HDC dc, OBJHANDLE polygon, uint16_t mode, GraphDispl *attributes,
                   const void *, int32_t selX, int32_t selY, int preview, int transparency)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView || !polygon ||
        GetOBJectClassID(rec->kernel, polygon) != CLASS_POLYGON)
        return 0;
    GraphDispl a = attributes ? *attributes : GraphDispl{};
    transparency = std::clamp(transparency, 0, 100);
    int width = OutlinePixelWidth(window, a);
    if (preview && width > 1)
        width = 1;
    const bool bridges = width >= 1 && !(mode & (DM_VERTICES | DM_VERTICES_TOO));
    const WindowShape *shape = convert(window, rec, polygon, bridges);
    if (!shape || shape->points.size() < 2)
        return 0;
    const WindowShape &s = *shape;
    PaintContext context(window, dc);
    dc = context.dc();
    if (!dc)
        return 0;

    recordVertices(window, dc, mode, recordedVertices(s, false));
    PresRangesObjectStyle(rec->kernel, polygon, &a);

    const COLORREF windowColour = GetSysColor(COLOR_WINDOW);
    const int32_t n = int32_t(s.points.size());
    if (mode & DM_DRAW) {
        const bool fill = (a.mask & GD_FILLCOLOR) && a.fillColor != CLR_INVALID;
        const bool hatched = fill && (a.mask & GD_FILLPATTERN) && a.fillPattern != 0xFFFF;
        const COLORREF oldBk = GetBkColor(dc);
        const COLORREF oldText = GetTextColor(dc);
        HBRUSH brush = 0;
        if (hatched) {
            SetBkColor(dc, windowColour);
            SetTextColor(dc, (a.mask & GD_LINECOLOR) && a.lineColor != CLR_INVALID ? a.lineColor : 0);
            if (!preview) {
                // An index outside the hatch styles is drawn solid.
                brush = CreateHatchBrush(a.fillPattern, a.fillColor & 0xFFFFFF);
                if (!brush)
                    brush = CreateSolidBrush(a.fillColor & 0xFFFFFF);
            }
        } else if (fill && !preview) {
            brush = CreateSolidBrush(a.fillColor & 0xFFFFFF);
        }
        SetBkMode(dc, TRANSPARENT);
        const HGDIOBJ oldBrush = brush ? SelectObject(dc, brush) : 0;
        const bool inverted = (mode & DM_INVERTED) != 0;
        SetROP2(dc, inverted ? R2_NOTXORPEN : R2_COPYPEN);

        const int style = knownStyle(a);
        const bool simple = simplePolygonOutline(style, width);
        OutlinePen pen = makePen(a, mode, width, simple, preview != 0, 5);
        const HGDIOBJ oldPen = SelectObject(dc, pen.pen ? pen.pen : GetStockObject(NULL_PEN));
        const bool styled = pen.styled && pen.pen;
        LineStyleContext ctx;
        if (styled)
            LineStyleContextInit(&ctx, style, dc, pen.colour, width, a.lineOptions & kRendererFlags);

        const auto strokeParts = [&](bool withRenderer) {
            bool ok = true;
            for (const auto &[first, count] : s.parts) {
                if (withRenderer)
                    ok = strokeStyled(&ctx, dc, s.points.data() + first, count) && ok;
                else
                    strokePlain(dc, s.points.data() + first, count);
            }
            return ok;
        };
        // The renderer's context may hold its own brush selected: the fill
        // selects this polygon's brush for itself.
        const auto fillAll = [&] {
            const HGDIOBJ keepPen = SelectObject(dc, GetStockObject(NULL_PEN));
            const HGDIOBJ keepBrush = SelectObject(dc, brush);
            Polygon(dc, s.points.data(), n);
            SelectObject(dc, keepBrush);
            SelectObject(dc, keepPen);
        };
        bool failed = false;
        if (n <= kMaxPolygonPoints) {
            if (brush && !styled) {
                if (n > 2) {
                    // A solid fill shows the layer's transparency; under an
                    // inverting mode it goes through the brush, so that a
                    // second drawing takes it away again.
                    if (hatched || inverted) {
                        fillAll();
                    } else {
                        const int alpha = int(255.0 - transparency * 2.55);
                        FillPolygonAlpha(dc, s.points.data(), n, a.fillColor & 0xFFFFFF, BYTE(alpha));
                    }
                } else {
                    failed = true;
                }
                if (width != 0 && !failed)
                    strokeParts(false);
            } else if (brush && styled) {
                if (n > 2)
                    fillAll();
                failed = !strokeParts(true);
            } else if (styled) {
                failed = !strokeParts(true);
            } else if (width != 0 && pen.pen) {
                strokeParts(false);
            }
        }
        if (n > kMaxPolygonPoints || failed) {
            bool drawn = false;
            if (!styled && width != 0 && pen.pen) {
                for (const auto &[first, count] : s.parts) {
                    std::vector<POINT> part;
                    for (int32_t i = first; i < first + count; ++i)
                        if (part.empty() || !samePoint(part.back(), s.points[size_t(i)]))
                            part.push_back(s.points[size_t(i)]);
                    for (size_t at = 0; at < part.size(); at += kMaxPolygonPoints) {
                        const int32_t m = int32_t(std::min<size_t>(part.size() - at, kMaxPolygonPoints));
                        if (m >= 3)
                            drawn = Polygon(dc, part.data() + at, m) || drawn;
                        else if (m == 2)
                            drawn = Polyline(dc, part.data() + at, 2) || drawn;
                    }
                }
            } else if (styled) {
                if (brush && n > 2) {
                    fillAll();
                    drawn = true;
                }
                drawn = strokeParts(true) || drawn;
            }
            if (!drawn && brush && n > 2) {
                // Whatever else failed, the area still shows.
                if (const HRGN region = CreatePolygonRgn(s.points.data(), n, WINDING)) {
                    const HGDIOBJ keepBrush = SelectObject(dc, brush);
                    PaintRgn(dc, region);
                    SelectObject(dc, keepBrush);
                    DeleteObject(region);
                }
            }
        }
        if (styled)
            LineStyleContextRelease(&ctx);
        SelectObject(dc, (mode & DM_STOCK_OBJECTS) ? GetStockObject(BLACK_PEN) : oldPen);
        if (pen.pen)
            DeleteObject(pen.pen);
        SetBkColor(dc, oldBk);
        if (brush) {
            SelectObject(dc, (mode & DM_STOCK_OBJECTS) ? GetStockObject(HOLLOW_BRUSH) : oldBrush);
            DeleteObject(brush);
        }
        SetTextColor(dc, oldText);
    }
    SetBkColor(dc, windowColour);
    SetBkMode(dc, TRANSPARENT);
    SetROP2(dc, R2_COPYPEN);

    if (mode & (DM_VERTICES | DM_VERTICES_TOO)) {
        for (const POINT &p : recordedVertices(s, false))
            drawMark(dc, kMarkCircle, p);
    }
    if (mode & DM_EDGE_MIDPOINTS)
        markEdgeMidpoints(window, rec, dc, polygon, selX, selY, true);
    return 1;
}

int PolylineDisplay(HWND window, HDC dc, OBJHANDLE polyline, uint16_t mode, GraphDispl *attributes,
                    const void *, int32_t selX, int32_t selY, int preview)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView || !polyline ||
        GetOBJectClassID(rec->kernel, polyline) != CLASS_POLYLINE)
        return 0;
    GraphDispl a = attributes ? *attributes : GraphDispl{};
    const WindowShape *shape = convert(window, rec, polyline, false);
    if (!shape || shape->points.empty())
        return 0;
    const WindowShape &s = *shape;
    PaintContext context(window, dc);
    dc = context.dc();
    if (!dc)
        return 0;

    recordVertices(window, dc, mode, recordedVertices(s, true));
    if (s.parts.empty())
        return 0;
    int width = OutlinePixelWidth(window, a);
    if (width == 0)
        return 0;
    if (preview)
        width = 1;
    PresRangesObjectStyle(rec->kernel, polyline, &a);

    const int style = knownStyle(a);
    const bool simple = simplePolylineOutline(style, width);
    OutlinePen pen = makePen(a, mode, width, simple, preview != 0, 4);
    const HGDIOBJ oldPen = SelectObject(dc, pen.pen ? pen.pen : GetStockObject(NULL_PEN));
    SetROP2(dc, (mode & DM_INVERTED) ? R2_NOTXORPEN : R2_COPYPEN);
    const bool styled = pen.styled && pen.pen;
    LineStyleContext ctx;
    if (styled)
        LineStyleContextInit(&ctx, style, dc, pen.colour, width, a.lineOptions & kRendererFlags);
    if ((mode & DM_DRAW) && pen.pen)
        for (const auto &[first, count] : s.parts) {
            if (styled)
                strokeStyled(&ctx, dc, s.points.data() + first, count);
            else
                strokePlain(dc, s.points.data() + first, count);
        }
    if (styled)
        LineStyleContextRelease(&ctx);
    SelectObject(dc, (mode & DM_STOCK_OBJECTS) ? GetStockObject(BLACK_PEN) : oldPen);
    if (pen.pen)
        DeleteObject(pen.pen);
    SetROP2(dc, R2_NOTXORPEN);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));

    const bool marksLoaded = MarkerBitmap(kMarkCircle) && MarkerBitmap(kMarkTriangle);
    const bool lastDistinct = !(s.firstVisible && samePoint(s.points.front(), s.points.back()));
    if ((mode & (DM_VERTICES | DM_VERTICES_TOO)) && marksLoaded) {
        for (const auto &[first, count] : s.parts)
            for (int32_t i = first + 1; i < first + count - 1; ++i)
                drawMark(dc, kMarkCircle, s.points[size_t(i)]);
        if (s.firstVisible)
            drawMark(dc, kMarkTriangle, s.points.front());
        if (s.lastVisible && lastDistinct)
            drawMark(dc, kMarkTriangle, s.points.back());
    }
    if ((mode & DM_END_MARK) && s.lastVisible)
        drawMark(dc, kMarkTriangle, s.points.back());
    if ((mode & DM_START_MARK) && s.firstVisible && marksLoaded) {
        drawMark(dc, kMarkTriangle, s.points.front());
        drawMark(dc, kMarkCircle, s.points.front());
    }
    if (mode & DM_EDGE_MIDPOINTS)
        markEdgeMidpoints(window, rec, dc, polyline, selX, selY, false);
    SetROP2(dc, R2_COPYPEN);
    return 1;
}
