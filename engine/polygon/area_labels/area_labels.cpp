#include "engine/polygon/area_labels/area_labels.h"

#include "engine/editing/point_set.h"
#include "engine/kernel/map_obj_arr.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/polygon/cutting/cutting_tools.h"
#include "engine/polygon/cutting/polyline_cut.h"
#include "engine/view/clipping/object_points.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/view_window.h"
#include "engine/window/window_shapes.h"
#include "platform/bitblt.h"
#include "platform/child_window.h"
#include "platform/dc.h"
#include "platform/font.h"
#include "platform/gdi_objects.h"
#include "platform/system_colors.h"
#include "platform/window_dc.h"

#include <array>
#include <memory>
#include <vector>

namespace {

// What a label keeps: the parent's pixels under it.
struct SavedBackground {
    HDC dc = 0;
    HBITMAP bitmap = 0;
    HGDIOBJ previous = 0;
    RECT rect{0, 0, 0, 0};
};

// The label's rectangle with the one extra row and column its background
// covers.
RECT BackgroundRect(HWND label)
{
    RECT r{0, 0, 0, 0};
    GetChildWindowRect(label, &r);
    return {r.left, r.top, r.right + 1, r.bottom + 1};
}

void SaveBackground(HWND label, SavedBackground &saved)
{
    const HWND parent = GetParent(label);
    const HDC parentDc = GetDC(parent);
    if (!parentDc)
        return;
    saved.rect = BackgroundRect(label);
    const int width = int(saved.rect.right - saved.rect.left),
              height = int(saved.rect.bottom - saved.rect.top);
    saved.dc = CreateCompatibleDC(parentDc);
    saved.bitmap = CreateCompatibleBitmap(parentDc, width, height);
    if (saved.dc && saved.bitmap) {
        saved.previous = SelectObject(saved.dc, saved.bitmap);
        BitBlt(saved.dc, 0, 0, width, height, parentDc, int(saved.rect.left), int(saved.rect.top), SRCCOPY);
    }
    ReleaseDC(parent, parentDc);
}

void RestoreBackground(HWND label, SavedBackground &saved)
{
    const HWND parent = GetParent(label);
    if (saved.dc && saved.bitmap) {
        if (const HDC parentDc = GetDC(parent)) {
            BitBlt(parentDc, int(saved.rect.left), int(saved.rect.top),
                   int(saved.rect.right - saved.rect.left), int(saved.rect.bottom - saved.rect.top), saved.dc,
                   0, 0, SRCCOPY);
            ReleaseDC(parent, parentDc);
            InvalidateRect(parent, &saved.rect, FALSE);
        }
        SelectObject(saved.dc, saved.previous);
    }
    if (saved.bitmap)
        DeleteObject(saved.bitmap);
    if (saved.dc)
        DeleteDC(saved.dc);
    saved = {};
}

// The label's text on the parent's surface where the label stands, in the
// tooltip colours, and the same colours for its screen label.
void PaintLabel(HWND label)
{
    const HWND parent = GetParent(label);
    const COLORREF text = GetSysColor(COLOR_INFOTEXT), background = GetSysColor(COLOR_INFOBK);
    SetChildWindowColors(label, text, background);
    RECT r{0, 0, 0, 0};
    GetChildWindowRect(label, &r);
    const HDC dc = GetDC(parent);
    if (!dc)
        return;
    const std::string value = GetChildWindowText(label);
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, text);
    SetBkColor(dc, background);
    TextOutA(dc, int(r.left), int(r.top), value.c_str(), int(value.size()));
    ReleaseDC(parent, dc);
    InvalidateRect(parent, &r, FALSE);
}

LRESULT AreaLabelProc(const std::shared_ptr<SavedBackground> &saved, HWND label, UINT msg)
{
    switch (msg) {
    case WM_CREATE:
        SaveBackground(label, *saved);
        PaintLabel(label);
        return 0;
    case WM_PAINT:
        PaintLabel(label);
        return 0;
    case WM_DESTROY:
        RestoreBackground(label, *saved);
        return 0;
    default:
        return 0;
    }
}

void DestroyLabels(HWND labels[3])
{
    for (int i = 0; i < 3; ++i) {
        if (labels[i] && IsWindow(labels[i]))
            DestroyWindow(labels[i]);
        labels[i] = 0;
    }
}

} // namespace

HWND AreaLabelCreate(HWND parent, int x, int y, const std::string &text)
{
    SIZE size{0, 0};
    if (const HDC dc = GetDC(parent)) {
        GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
        ReleaseDC(parent, dc);
    }
    RECT r;
    r.left = x - size.cx / 2;
    r.right = r.left + size.cx;
    r.top = y - size.cy / 2;
    r.bottom = r.top + size.cy;
    const auto saved = std::make_shared<SavedBackground>();
    return CreateChildWindow(parent, r, text, [saved](HWND label, UINT msg, WPARAM, LPARAM) -> LRESULT {
        return AreaLabelProc(saved, label, msg);
    });
}

void AreaLabelUpdate(HWND *label, int x, int y, const std::string &text)
{
    if (!label || !IsWindow(*label) || !GetParent(*label))
        return;
    RECT r{0, 0, 0, 0};
    GetChildWindowRect(*label, &r);
    const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    if (inside && GetChildWindowText(*label).size() == text.size()) {
        SetChildWindowText(*label, text.c_str());
        SendMessageA(*label, WM_PAINT, 0, 0);
        return;
    }
    const HWND parent = GetParent(*label);
    DestroyWindow(*label);
    *label = AreaLabelCreate(parent, x, y, text);
}

bool PolygonVisibleCentroid(HWND window, OBJHANDLE polygon, POINT *point)
{
    _WNDRES *rec = GetWndRes(window);
    PointList points;
    if (!rec || !rec->kernel || !rec->displayView || !point ||
        !ReadPointSet(rec->kernel, polygon, CLASS_POLYGON, points) || points.empty())
        return false;
    PointList kept;
    for (const MAP_COORDPT &p : points)
        if (PM_PointInClipRect(rec->displayView, &p))
            kept.push_back(p);
    MAP_COORDPT centre = points.front();
    if (kept.size() >= 3) {
        double sum = 0, sx = 0, sy = 0;
        const double x0 = kept[0].x, y0 = kept[0].y;
        for (size_t k = 1; k + 1 < kept.size(); ++k) {
            const double xk = kept[k].x, yk = kept[k].y, xn = kept[k + 1].x, yn = kept[k + 1].y;
            const double c = (xk - x0) * (yn - y0) - (yk - y0) * (xn - x0);
            sum += c;
            sx += (x0 + xk + xn) * c;
            sy += (y0 + yk + yn) * c;
        }
        if (sum != 0)
            centre = {int32_t(sx / (3 * sum)), int32_t(sy / (3 * sum))};
    }
    return PM_MapToWindow(rec->displayView, &centre, point, 1) != 0;
}

namespace {

bool FeatureOn(_WNDRES *rec)
{
    uint32_t value = 0;
    return rec->settingsKey &&
           rec->settingsKey->GetValue("Settings", "Calculate Parts of Dividing Polygon Area", &value, 0) &&
           value != 0;
}

// The polygon's measuring pieces; the caller deletes them.
CMapObjArr MeasuringPieces(HWND window, OBJHANDLE polygon, OBJHANDLE polyline)
{
    CMapObjArr pieces;
    CutPolygonAlongPolyline(window, polygon, polyline, &pieces);
    return pieces;
}

void DeletePieces(OBJectKernel *kernel, const CMapObjArr &pieces)
{
    for (int32_t i = 0; i < pieces.GetSize(); ++i)
        OBJectDelete(kernel, pieces[i]);
}

std::string AreaText(HWND window, const _WNDRES *rec, double area)
{
    char text[256] = {};
    PM_MeasureToText(window, rec->displayView, rec->displayView->projection.areaUnit, area, text);
    std::string out(text);
    out.erase(0, out.find_first_not_of(' '));
    return out;
}

} // namespace

int CalculatePartsOfPolygonArea(HWND window, OBJHANDLE polyline, HWND labels[3])
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel || !rec->displayView || !labels || !FeatureOn(rec))
        return 0;
    OBJectKernel *kernel = rec->kernel;
    if (!polyline) {
        DestroyLabels(labels);
        return 0;
    }
    if (GetOBJectClassID(kernel, polyline) != CLASS_POLYLINE)
        return 0;

    // The polygon the line divides most: the largest area, a tenth of it
    // where the line only enters.
    std::array<OBJHANDLE, 20> neighbours{};
    int32_t found = 0;
    const int32_t n =
        map_get_Neighbours(window, &polyline, 1, &found, neighbours.data(), int32_t(neighbours.size()));
    OBJHANDLE winner = 0;
    double best = 0;
    for (int32_t i = 0; i < n && i < int32_t(neighbours.size()); ++i) {
        const OBJHANDLE polygon = neighbours[size_t(i)];
        if (GetOBJectClassID(kernel, polygon) != CLASS_POLYGON)
            continue;
        const CMapObjArr pieces = MeasuringPieces(window, polygon, polyline);
        DeletePieces(kernel, pieces);
        if (pieces.IsEmpty())
            continue;
        double weight = PolygonAreaInUnits(kernel, polygon);
        if (pieces.GetSize() == 1)
            weight /= 10;
        if (weight > best) {
            best = weight;
            winner = polygon;
        }
    }
    if (!winner || best <= 0) {
        DestroyLabels(labels);
        return 0;
    }

    const CMapObjArr pieces = MeasuringPieces(window, winner, polyline);
    std::array<double, 3> areas{};
    std::array<OBJHANDLE, 3> parts{};
    for (int32_t i = 0; i < pieces.GetSize(); ++i) {
        const double area = PolygonAreaInUnits(kernel, pieces[i]);
        for (size_t slot = 0; slot < 3; ++slot)
            if (area > areas[slot]) {
                for (size_t k = 2; k > slot; --k) {
                    areas[k] = areas[k - 1];
                    parts[k] = parts[k - 1];
                }
                areas[slot] = area;
                parts[slot] = pieces[i];
                break;
            }
    }
    // The labels stay while each still stands inside its part.
    size_t passed = 0;
    for (; passed < 3; ++passed) {
        if (areas[passed] <= 0) {
            if (labels[passed] && IsWindow(labels[passed]))
                DestroyWindow(labels[passed]);
            labels[passed] = 0;
            continue;
        }
        RECT r{0, 0, 0, 0};
        if (!labels[passed] || !GetChildWindowRect(labels[passed], &r))
            break;
        const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        MAP_COORDPT mapCentre{};
        PM_WindowToMap(rec->displayView, &centre, &mapCentre, 1);
        if (!PM_PointInClipRect(rec->displayView, &mapCentre) ||
            !PolygonContainsPoint(kernel, parts[passed], &mapCentre))
            break;
    }
    if (passed < 3) {
        DestroyLabels(labels);
        for (size_t slot = 0; slot < 3; ++slot) {
            POINT at{0, 0};
            if (areas[slot] > 0 && PolygonVisibleCentroid(window, parts[slot], &at))
                labels[slot] =
                    AreaLabelCreate(window, int(at.x), int(at.y), AreaText(window, rec, areas[slot]));
        }
    }
    for (size_t slot = 0; slot < 3; ++slot) {
        RECT r{0, 0, 0, 0};
        if (areas[slot] > 0 && labels[slot] && GetChildWindowRect(labels[slot], &r))
            AreaLabelUpdate(&labels[slot], int((r.left + r.right) / 2), int((r.top + r.bottom) / 2),
                            AreaText(window, rec, areas[slot]));
    }
    DeletePieces(kernel, pieces);
    return 1;
}
