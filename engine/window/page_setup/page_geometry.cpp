// Where the page lies on the map: origin and extension, the page and
// printable rectangles derived from them and from the paper and margins, the
// scale the page implies, and fitting the page around objects or a
// rectangle.
//
// Every placement is worked out in 64 bits (or doubles) first and stored
// only when the page and printable rectangles fit the 32-bit coordinates;
// otherwise the setter fails and the page stays as it was.

#include "engine/window/page_setup/page_set.h"

#include "engine/kernel/coords.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_selection.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int64_t kMinExtension = 5;
// Widening given to an axis of the objects' rectangle that has no size.
constexpr int64_t kZeroAxisWidening = 3;
// Size of the rectangle fitted to when the view knows no objects.
constexpr int32_t kFallbackSize = 10000;
constexpr double kRadiansPerDegree = 0.017453292519943278;
constexpr double kEarthRadiusMetres = 6378137.0;

bool fits32(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// trunc(v) as a 64-bit integer when v is finite and within the 32-bit
// range; false otherwise.
bool truncTo32(long double v, int64_t *out)
{
    if (!std::isfinite(v))
        return false;
    const long double t = std::trunc(v);
    if (t < std::numeric_limits<int32_t>::min() || t > std::numeric_limits<int32_t>::max())
        return false;
    *out = int64_t(t);
    return true;
}

} // namespace

LONG CPageSet::GetPageXLenght() const { return IsLandscape() ? setup_.paperHeight : setup_.paperWidth; }

LONG CPageSet::GetPageYLenght() const { return IsLandscape() ? setup_.paperWidth : setup_.paperHeight; }

bool CPageSet::PlacePage(int64_t originX, int64_t originY, int64_t extX, int64_t extY)
{
    const double W = GetPageXLenght(), H = GetPageYLenght();
    if (W <= 0 || H <= 0)
        return false;
    int64_t cx = extX, cy = extY;
    // Grow the extension symmetrically to the paper's aspect; an extension
    // without area has nothing to fit and keeps its size.
    if (extX >= 1 && extY >= 1) {
        const double k = std::max(double(extX) / W, double(extY) / H);
        const double dx = std::trunc((W * k + 0.5 - double(extX)) * 0.5);
        const double dy = std::trunc((H * k + 0.5 - double(extY)) * 0.5);
        if (!std::isfinite(dx) || !std::isfinite(dy) || std::fabs(dx) > 1e12 || std::fabs(dy) > 1e12)
            return false;
        cx = extX + 2 * int64_t(dx);
        cy = extY + 2 * int64_t(dy);
    }
    const int64_t x2 = originX + cx, y2 = originY + cy;
    if (!fits32(originX) || !fits32(originY) || !fits32(cx) || !fits32(cy) || !fits32(x2) || !fits32(y2))
        return false;
    auto part = [](double v) { return int64_t(std::trunc(v)); };
    const int64_t px1 = originX + part(setup_.leftMargin / W * double(cx));
    const int64_t py1 = originY + part(setup_.bottomMargin / H * double(cy));
    const int64_t px2 = x2 - part(setup_.rightMargin / W * double(cx));
    const int64_t py2 = y2 - part(setup_.topMargin / H * double(cy));
    if (!fits32(px1) || !fits32(py1) || !fits32(px2) || !fits32(py2))
        return false;
    page_.origin = {int32_t(originX), int32_t(originY)};
    page_.extension = {int32_t(cx), int32_t(cy)};
    page_.page = {int32_t(originX), int32_t(originY), int32_t(x2), int32_t(y2)};
    page_.printable = {int32_t(px1), int32_t(py1), int32_t(px2), int32_t(py2)};
    return true;
}

void CPageSet::UpdatePageObjectCoords()
{
    // A page that cannot be placed (only a damaged document gives one) is
    // left as it is.
    PlacePage(page_.origin.x, page_.origin.y, page_.extension.x, page_.extension.y);
}

bool CPageSet::SetXOrigin(LONG x)
{
    return PlacePage(x, page_.origin.y, page_.extension.x, page_.extension.y);
}

bool CPageSet::SetYOrigin(LONG y)
{
    return PlacePage(page_.origin.x, y, page_.extension.x, page_.extension.y);
}

bool CPageSet::SetXExtension(LONG v)
{
    const double oldX = page_.extension.x, oldY = page_.extension.y;
    // Without an aspect ratio to keep there is no second side to derive.
    if (v < kMinExtension || oldX <= 0 || oldY <= 0)
        return false;
    int64_t y = 0;
    if (!truncTo32(v / (oldX / oldY) + 0.5, &y) || y < kMinExtension)
        return false;
    return PlacePage(page_.origin.x, page_.origin.y, v, y);
}

bool CPageSet::SetYExtension(LONG v)
{
    const double oldX = page_.extension.x, oldY = page_.extension.y;
    if (v < kMinExtension || oldX <= 0 || oldY <= 0)
        return false;
    int64_t x = 0;
    if (!truncTo32(v * (oldX / oldY) + 0.5, &x) || x < kMinExtension)
        return false;
    return PlacePage(page_.origin.x, page_.origin.y, x, v);
}

// ---------------------------------------------------------------------------
// Scale

bool CPageSet::ViewUnit(double *factor, int32_t *kind) const
{
    if (!window_ || !window_->displayView)
        return false;
    const tagUnitInfo *unit = FindUnitInfo(window_->displayView->projection.transformedUnit);
    if (!unit || !(unit->factor > 0))
        return false;
    *factor = unit->factor;
    *kind = unit->kind;
    return true;
}

bool CPageSet::GetScale(double *scale) const
{
    double factor = 0;
    int32_t kind = 0;
    if (!scale || !ViewUnit(&factor, &kind))
        return false;
    const double W = GetPageXLenght(), H = GetPageYLenght();
    if (kind & (UNIT_METRIC | UNIT_IMPERIAL)) {
        if (W > 0)
            *scale = page_.extension.x * (10000.0 / factor) / W;
        return true;
    }
    if (kind & UNIT_ANGLE) {
        if (H > 0)
            *scale =
                (1.0 / factor) * kRadiansPerDegree * kEarthRadiusMetres * 10000.0 * page_.extension.y / H;
        return true;
    }
    // A view's unit is a length or an angle; any other has no scale.
    return false;
}

bool CPageSet::GetScale(POINT *pair) const
{
    if (!pair)
        return false;
    *pair = POINT{0, 0};
    double s = 0;
    if (!GetScale(&s) || !(s > 0))
        return false;
    int64_t n = 0;
    if (s > 1) {
        if (!truncTo32(s + 0.5, &n))
            return false;
        *pair = POINT{1, LONG(n)};
    } else {
        if (!truncTo32(1.0 / s + 0.5, &n))
            return false;
        *pair = POINT{LONG(n), 1};
    }
    return true;
}

LONG CPageSet::GetScalePaper() const
{
    POINT pair{0, 0};
    return GetScale(&pair) ? pair.x : 0;
}

LONG CPageSet::GetScaleMap() const
{
    POINT pair{0, 0};
    return GetScale(&pair) ? pair.y : 0;
}

bool CPageSet::ScaleSet(long double s)
{
    double factor = 0;
    int32_t kind = 0;
    if (s == 0 || !std::isfinite(s) || !ViewUnit(&factor, &kind))
        return false;
    const long double k = 10000.0L / factor;
    int64_t x = 0, y = 0;
    if (!truncTo32(GetPageXLenght() * s / k + 0.5L, &x) || !truncTo32(GetPageYLenght() * s / k + 0.5L, &y) ||
        x < kMinExtension || y < kMinExtension)
        return false;
    return PlacePage(page_.origin.x, page_.origin.y, x, y);
}

bool CPageSet::ScaleSet(const POINT *pair)
{
    if (!pair || pair->x == 0 || pair->y == 0)
        return false;
    return ScaleSet(static_cast<long double>(pair->y) / pair->x);
}

// ---------------------------------------------------------------------------
// Fitting

int CPageSet::FitPageToRect(RECT rect, int hAlign, int vAlign) { return FitRect(rect, hAlign, vAlign, 0); }

int CPageSet::FitPrintableAreaToRect(RECT rect, int hAlign, int vAlign)
{
    return FitRect(rect, hAlign, vAlign, 1);
}

int CPageSet::FitRect(RECT rect, int hAlign, int vAlign, int printable)
{
    const int64_t x = rect.left, y = rect.top, w = rect.right, h = rect.bottom;
    const double W = GetPageXLenght(), H = GetPageYLenght();
    if (!printable) {
        if (w < kMinExtension || h < kMinExtension)
            return 0;
        const double f = std::max(double(w) / W, double(h) / H);
        int64_t ex = 0, ey = 0;
        if (!truncTo32(W * f + 0.5, &ex) || !truncTo32(H * f + 0.5, &ey))
            return 0;
        const int64_t ox = hAlign == 0 ? w / 2 - ex / 2 + x : hAlign == 2 ? x + w - ex : x;
        const int64_t oy = vAlign == 0 ? h / 2 - ey / 2 + y : vAlign == 1 ? y + h - ey : y;
        return PlacePage(ox, oy, ex, ey) ? 1 : 0;
    }

    // The printable area's share of the paper; margins that leave none
    // cannot be fitted to anything.
    const double pw0 = W - setup_.leftMargin - setup_.rightMargin;
    const double ph0 = H - setup_.topMargin - setup_.bottomMargin;
    if (!(pw0 > 0) || !(ph0 > 0))
        return 0;
    const double f = std::max(double(w) / pw0, double(h) / ph0);
    int64_t ex = 0, ey = 0;
    if (!truncTo32(W * f + 0.5, &ex) || !truncTo32(H * f + 0.5, &ey) || ex < kMinExtension ||
        ey < kMinExtension)
        return 0;
    // The margins in map units of the page placed at (x, y) with that
    // extension.
    const PageRecord saved = page_;
    if (!PlacePage(x, y, ex, ey)) {
        page_ = saved;
        return 0;
    }
    const PageRecord trial = page_;
    page_ = saved;
    const int64_t ml = int64_t(trial.printable.x1) - x, mr = x + ex - trial.printable.x2;
    const int64_t mb = int64_t(trial.printable.y1) - y, mt = y + ey - trial.printable.y2;
    const int64_t pw = ex - ml - mr, ph = ey - mt - mb;
    const int64_t ox = hAlign == 1   ? x - ml
                       : hAlign == 0 ? (w / 2 - pw / 2) - ml + x
                       : hAlign == 2 ? x + w - ex + mr
                                     : x;
    const int64_t oy = vAlign == 2   ? y - mb
                       : vAlign == 0 ? (h / 2 - ph / 2) - mb + y
                       : vAlign == 1 ? y + h - ey + mt
                                     : y;
    return PlacePage(ox, oy, ex, ey) ? 1 : 0;
}

namespace {

// Gives an axis without size a little room on both sides.
void widenZeroAxes(MAP_COORDRECT &r)
{
    auto widen = [](int32_t &a, int32_t &b) {
        if (a == b) {
            a = int32_t(
                std::max<int64_t>(int64_t(a) - kZeroAxisWidening, std::numeric_limits<int32_t>::min()));
            b = int32_t(
                std::min<int64_t>(int64_t(b) + kZeroAxisWidening, std::numeric_limits<int32_t>::max()));
        }
    };
    widen(r.x1, r.x2);
    widen(r.y1, r.y2);
}

// The rectangle as the fits take it: lower-left corner and size; false when
// the size does not fit the 32-bit fields.
bool cornerAndSize(const MAP_COORDRECT &r, RECT *out)
{
    const int64_t w = int64_t(r.x2) - r.x1, h = int64_t(r.y2) - r.y1;
    if (!fits32(w) || !fits32(h))
        return false;
    *out = RECT{r.x1, r.y1, LONG(w), LONG(h)};
    return true;
}

} // namespace

int CPageSet::FitToAllObjects(int printable, int hAlign, int vAlign)
{
    if (!window_ || !window_->displayView)
        return 0;
    const HWND hwnd = window_->hWnd;
    MAP_COORDRECT bounds{};
    if (!map_object_boundrect_Get(hwnd, 0, &bounds))
        return 0;
    PresentationManager *view = window_->displayView;
    // A map without objects has no rectangle to give the view; the page
    // then takes the view's own, or the fallback square when it has none.
    if (bounds.x1 <= bounds.x2) {
        widenZeroAxes(bounds);
        PM_SetAllObjectsRect(view, hwnd, &bounds);
    }
    MAP_COORDRECT world = view->allObjectsRect;
    if (!WorldRectIsValid(&world))
        world = {0, 0, kFallbackSize, kFallbackSize};
    if (world.x1 == world.x2 || world.y1 == world.y2) {
        world.x2 = int32_t(
            std::min<int64_t>(int64_t(world.x1) + kFallbackSize, std::numeric_limits<int32_t>::max()));
        world.y2 = int32_t(
            std::min<int64_t>(int64_t(world.y1) + kFallbackSize, std::numeric_limits<int32_t>::max()));
    }
    RECT r;
    if (!cornerAndSize(world, &r))
        return 0;
    return FitRect(r, hAlign, vAlign, printable) > 0 ? 1 : 0;
}

int CPageSet::FitToSelectedObjects(int printable, int hAlign, int vAlign)
{
    if (!window_ || !window_->displayView)
        return 0;
    int32_t count = 0;
    MAP_COORDRECT bounds = {1, 1, 0, 0};
    map_selection_Get(window_->hWnd, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, &bounds, 0);
    if (count <= 0 || bounds.x1 > bounds.x2 || bounds.y1 > bounds.y2)
        return 0;
    widenZeroAxes(bounds);
    // The selection's rectangle is in map coordinates; the page lies in
    // those of the view.
    MAP_COORDRECT world{};
    if (!PM_MapToWorldRect(window_->displayView, &bounds, &world))
        return 0;
    RECT r;
    if (!cornerAndSize(world, &r) || r.right < kMinExtension || r.bottom < kMinExtension)
        return 0;
    return FitRect(r, hAlign, vAlign, printable) > 0 ? 1 : 0;
}

int CPageSet::FitToObjects(int selected, int printable, int hAlign, int vAlign)
{
    return selected ? FitToSelectedObjects(printable, hAlign, vAlign)
                    : FitToAllObjects(printable, hAlign, vAlign);
}
