// The members of IMap that the control runs itself: opening and saving,
// properties, coordinate conversion, units, zoom, import and export.
#include "control/automation/krt_projection.h"
#include "control/krt_geometry.h"
#include "control/map_ctrl.h"
#include "control/pending_engine.h"
#include "engine/editing/tools/undo_helpers.h"
#include "engine/polygon/buffer/buffer_commands.h"
#include "engine/window/converters/converter_service.h"
#include "control/variant_values.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_store.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/mgrs.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/wndres.h"
#include "platform/module.h"
#include "platform/window.h"

#include <algorithm>
#include <cstring>

namespace {

MAP_COORDRECT MapRectOf(const KrtRect &r) { return {r.left, r.top, r.right, r.bottom}; }
RECT WindowRectOf(const KrtRect &r) { return {r.left, r.top, r.right, r.bottom}; }
void Store(KrtRect &r, int32_t a, int32_t b, int32_t c, int32_t d)
{
    r.left = a;
    r.top = b;
    r.right = c;
    r.bottom = d;
}

// A document's record name: the engine keeps at most 127 characters.
void CopyRecordName(_WNDRES *rec, const std::string &name)
{
    const size_t n = std::min(name.size(), sizeof rec->fileName - 1);
    std::memcpy(rec->fileName, name.data(), n);
    rec->fileName[n] = 0;
}

using Mpd4FileOpen = int (*)(HWND, const char *, OBJHANDLE *, int);

} // namespace

// --- Opening and saving -----------------------------------------------------

bool CMapCtrl::ReadDocument(const std::string &name)
{
    // The engine reads into a store of its own and installs it only when the
    // whole document was read: until then the open document stays.
    OBJectKernel *const previous = m_pWndRes->kernel;
    OBJHANDLE root = 0;
    OBJectKernel *kernel = nullptr;
    if (!ReadMapToKern(m_hWnd, name.c_str(), &root, &kernel, 1) || !kernel)
        return false;
    if (previous && previous != m_pWndRes->kernel)
        KernelDelete(previous);
    m_pWndRes->hWnd = 0;
    AttachWndRes(0);
    return true;
}

int32_t CMapCtrl::Open(const VARIANT &fileName)
{
    if (!m_pWndRes)
        return 0;
    StopDrawingThread();
    SetWaitCursor(true);
    struct EndWait {
        CMapCtrl *c;
        ~EndWait() { c->SetWaitCursor(false); }
    } endWait{this};

    std::string name;
    if (!VariantGetString(fileName, &name) || name.empty()) {
        name.clear();
        if (!GetMapFileNameDlg(m_hWnd, 1, &name, nullptr) || name.empty())
            return 0;
    }

    bool read = ReadDocument(name);
    // Only a file that does not begin as a document of this version can be
    // an older document: a damaged document or a file that cannot be read
    // is simply not opened.
    if (!read && MapFileLastError() == MAPFILE_NOT_A_DOCUMENT) {
        // The reader of older documents, beside this program or the engine.
        HMODULE converter = LoadLibraryA("mpd4.cnv");
        if (!converter) {
            char engine[256] = {};
            const DWORD length = GetMapDllFileName(engine, sizeof engine);
            std::string path(engine, length);
            const size_t slash = path.find_last_of("/\\");
            if (slash != std::string::npos)
                converter = LoadLibraryA((path.substr(0, slash + 1) + "mpd4.cnv").c_str());
        }
        // Without that reader the file is not opened; the caller, who knows
        // what the user asked for, says why.
        if (!converter)
            return -1;
        if (auto open = reinterpret_cast<Mpd4FileOpen>(GetProcAddress(converter, "MPD4FileOpen"))) {
            // It reads into an empty store, which replaces the document only
            // when it succeeds.
            OBJectKernel *const previous = m_pWndRes->kernel;
            const OBJHANDLE previousRoot = m_pWndRes->rootObject;
            OBJectKernel *fresh = KernelNew();
            OBJHANDLE root =
                fresh ? CreateRootOBJects(fresh, m_hWnd, nullptr, nullptr, nullptr, nullptr, nullptr) : 0;
            if (fresh && root) {
                m_pWndRes->kernel = fresh;
                m_pWndRes->rootObject = root;
                if (open(m_hWnd, name.c_str(), &m_pWndRes->rootObject, 0)) {
                    KernelDelete(previous);
                    m_pWndRes->hWnd = 0;
                    AttachWndRes(0);
                    read = true;
                } else {
                    m_pWndRes->kernel = previous;
                    m_pWndRes->rootObject = previousRoot;
                }
            }
            if (!read && fresh)
                KernelDelete(fresh);
        }
        FreeLibrary(converter);
    }
    if (!read)
        return 0;
    m_strDocumentName = name;
    CopyRecordName(m_pWndRes, name);
    // A document keeps its selection: the running measures start from it.
    RecomputeSelectionMeasures(m_hWnd);
    ViewAllObjects(0);
    ResetLayerGroups(m_pWndRes);
    FullRepaint();
    return 1;
}

int32_t CMapCtrl::OpenFile(const std::string &name)
{
    const Variant v = VariantFromString(name);
    const int32_t result = Open(v);
    // A failed open keeps the document and its name.
    m_strFileName = m_strDocumentName;
    if (result == 0)
        InvalidateRect(m_hWnd, nullptr, TRUE);
    SetModifiedFlag();
    if (m_events)
        m_events->PropertyChanged(DISPID_MAP_FILENAME);
    return result;
}

std::string CMapCtrl::GetFileName()
{
    m_strFileName = m_strDocumentName;
    return m_strFileName;
}

void CMapCtrl::SetFileName(const std::string &name) { OpenFile(name); }

int32_t CMapCtrl::Save(const VARIANT &fileName)
{
    std::string name;
    VariantGetString(fileName, &name);
    if (!m_pWndRes)
        return 0;
    StopDrawingThread();
    return MapSave(m_hWnd, name.c_str());
}

// --- Properties ---------------------------------------------------------------

void CMapCtrl::SetOffscreenDrawing(bool on)
{
    if ((m_bOffscreenDrawing != 0) == on)
        return;
    m_bOffscreenDrawing = on ? 1 : 0;
    if (m_events)
        m_events->PropertyChanged(DISPID_MAP_OFFSCREENDRAWING);
    SetModifiedFlag();
}

bool CMapCtrl::GetIsModified() const { return m_pWndRes && (m_pWndRes->flags & WNDRES_MODIFIED); }

void CMapCtrl::SetIsModified(bool modified)
{
    if (!m_pWndRes)
        return;
    if (modified)
        m_pWndRes->flags |= WNDRES_MODIFIED;
    else
        m_pWndRes->flags &= uint16_t(~WNDRES_MODIFIED);
    SetModifiedFlag();
    if (m_events)
        m_events->PropertyChanged(DISPID_MAP_ISMODIFIED);
}

double CMapCtrl::GetMapScale()
{
    m_dMapScale = m_pView ? m_pView->scaleDenominator : 0.0;
    return m_dMapScale;
}

void CMapCtrl::SetMapScale(double scale)
{
    if (!m_pView)
        return;
    StopDrawingThread();
    PM_ScaleWordToDisplaySet(m_pView, m_hWnd, scale);
    FireDisplayScaleChanged();
    FullRepaint();
    m_dMapScale = m_pView->scaleDenominator;
    SetModifiedFlag();
    if (m_events)
        m_events->PropertyChanged(DISPID_MAP_MAPSCALE);
}

int32_t CMapCtrl::OriginReferenceX(const MAP_COORDRECT &world) const
{
    switch (m_nOriginAlignment) {
    case 3:
    case 4:
    case 5:
        return int32_t((int64_t(world.x1) + world.x2) / 2);
    case 6:
    case 7:
    case 8:
        return world.x2;
    default:
        return world.x1;
    }
}

int32_t CMapCtrl::OriginReferenceY(const MAP_COORDRECT &world) const
{
    switch (m_nOriginAlignment) {
    case 1:
    case 4:
    case 7:
        return int32_t((int64_t(world.y1) + world.y2) / 2);
    case 2:
    case 5:
    case 8:
        return world.y1;
    default:
        return world.y2;
    }
}

int32_t CMapCtrl::GetOriginX()
{
    if (m_pView)
        m_lOriginX = OriginReferenceX(m_pView->worldRect);
    return m_lOriginX;
}

int32_t CMapCtrl::GetOriginY()
{
    if (m_pView)
        m_lOriginY = OriginReferenceY(m_pView->worldRect);
    return m_lOriginY;
}

void CMapCtrl::SetOriginX(int32_t x)
{
    m_lOriginX = x;
    ApplyOrigin();
    SetModifiedFlag();
    if (m_events)
        m_events->PropertyChanged(DISPID_MAP_ORIGINX);
}

void CMapCtrl::SetOriginY(int32_t y)
{
    m_lOriginY = y;
    ApplyOrigin();
    SetModifiedFlag();
    if (m_events)
        m_events->PropertyChanged(DISPID_MAP_ORIGINY);
}

void CMapCtrl::SetOriginAlignment(int16_t alignment)
{
    m_nOriginAlignment = alignment;
    ApplyOrigin();
    SetModifiedFlag();
}

void CMapCtrl::ApplyOrigin()
{
    if (!m_pView)
        return;
    StopDrawingThread();
    const MAP_COORDPT origin{m_lOriginX, m_lOriginY};
    MAP_COORDPT world{};
    PM_MapToWorld(m_pView, &origin, &world, 1);
    MAP_COORDRECT &w = m_pView->worldRect;
    MAP_COORDRECT &c = m_pView->clipRect;
    const int64_t dx = int64_t(world.x) - OriginReferenceX(w);
    const int64_t dy = int64_t(world.y) - OriginReferenceY(w);
    auto shift = [](int32_t &v, int64_t d) { v = int32_t(std::clamp<int64_t>(v + d, INT32_MIN, INT32_MAX)); };
    for (MAP_COORDRECT *r : {&w, &c}) {
        shift(r->x1, dx);
        shift(r->x2, dx);
        shift(r->y1, dy);
        shift(r->y2, dy);
    }
    PM_CalculateScrolls(m_pView, m_hWnd, 1);
    SyncScrollBars();
    FullRepaint();
}

// --- Conversions and view ---------------------------------------------------------

bool CMapCtrl::ShowScrolls(bool visible, bool redraw)
{
    if (!m_pView)
        return false;
    const int result = PM_ScrollsShow(m_pView, m_hWnd, visible ? 1 : 0, redraw ? 1 : 0);
    SyncScrollBars();
    return result != 0;
}

int32_t CMapCtrl::WindowToMap(IDispatch *windowPoint, IDispatch *mapPoint)
{
    KrtPoint *in = AsKrtPoint(windowPoint);
    KrtPoint *out = AsKrtPoint(mapPoint);
    PresentationManager *view = m_pWndRes ? m_pWndRes->displayView : nullptr;
    if (!in || !out || !view)
        return 0;
    const POINT p{in->x, in->y};
    MAP_COORDPT m{};
    PM_WindowToMap(view, &p, &m, 1);
    out->x = m.x;
    out->y = m.y;
    return 1;
}

int32_t CMapCtrl::MapToWindow(IDispatch *mapPoint, IDispatch *windowPoint)
{
    KrtPoint *in = AsKrtPoint(mapPoint);
    KrtPoint *out = AsKrtPoint(windowPoint);
    PresentationManager *view = m_pWndRes ? m_pWndRes->displayView : nullptr;
    if (!in || !out || !view)
        return 0;
    const MAP_COORDPT m{in->x, in->y};
    POINT p{};
    PM_MapToWindow(view, &m, &p, 1);
    out->x = p.x;
    out->y = p.y;
    return 1;
}

int32_t CMapCtrl::MapToWorld(IDispatch *mapPoint, IDispatch *worldPoint)
{
    KrtPoint *in = AsKrtPoint(mapPoint);
    KrtPoint *out = AsKrtPoint(worldPoint);
    PresentationManager *view = m_pWndRes ? m_pWndRes->displayView : nullptr;
    if (!in || !out || !view)
        return 0;
    const MAP_COORDPT m{in->x, in->y};
    MAP_COORDPT w{};
    PM_MapToWorld(view, &m, &w, 1);
    out->x = w.x;
    out->y = w.y;
    return 1;
}

int32_t CMapCtrl::WorldToMap(IDispatch *worldPoint, IDispatch *mapPoint)
{
    KrtPoint *in = AsKrtPoint(worldPoint);
    KrtPoint *out = AsKrtPoint(mapPoint);
    PresentationManager *view = m_pWndRes ? m_pWndRes->displayView : nullptr;
    if (!in || !out || !view)
        return 0;
    const MAP_COORDPT w{in->x, in->y};
    MAP_COORDPT m{};
    PM_WorldToMap(view, &w, &m, 1);
    out->x = m.x;
    out->y = m.y;
    return 1;
}

int32_t CMapCtrl::WindowToMapRect(IDispatch *windowRect, IDispatch *mapRect)
{
    KrtRect *in = AsKrtRect(windowRect);
    KrtRect *out = AsKrtRect(mapRect);
    PresentationManager *view = m_pWndRes ? m_pWndRes->displayView : nullptr;
    if (!in || !out || !view)
        return 0;
    const RECT w = WindowRectOf(*in);
    MAP_COORDRECT m{};
    PM_WindowToMapRect(view, &w, &m);
    Store(*out, m.x1, m.y1, m.x2, m.y2);
    return 1;
}

int32_t CMapCtrl::MapToWindowRect(IDispatch *mapRect, IDispatch *windowRect)
{
    KrtRect *in = AsKrtRect(mapRect);
    KrtRect *out = AsKrtRect(windowRect);
    PresentationManager *view = m_pWndRes ? m_pWndRes->displayView : nullptr;
    if (!in || !out || !view)
        return 0;
    const MAP_COORDRECT m = MapRectOf(*in);
    RECT w{};
    PM_MapToWindowRect(view, &m, &w);
    Store(*out, w.left, w.top, w.right, w.bottom);
    return 1;
}

int32_t CMapCtrl::MapToWorldRect(IDispatch *mapRect, IDispatch *worldRect)
{
    KrtRect *in = AsKrtRect(mapRect);
    KrtRect *out = AsKrtRect(worldRect);
    PresentationManager *view = m_pWndRes ? m_pWndRes->displayView : nullptr;
    if (!in || !out || !view)
        return 0;
    const MAP_COORDRECT m = MapRectOf(*in);
    MAP_COORDRECT w{};
    PM_MapToWorldRect(view, &m, &w);
    Store(*out, w.x1, w.y1, w.x2, w.y2);
    return 1;
}

int32_t CMapCtrl::WorldToMapRect(IDispatch *worldRect, IDispatch *mapRect)
{
    KrtRect *in = AsKrtRect(worldRect);
    KrtRect *out = AsKrtRect(mapRect);
    PresentationManager *view = m_pWndRes ? m_pWndRes->displayView : nullptr;
    if (!in || !out || !view)
        return 0;
    const MAP_COORDRECT w = MapRectOf(*in);
    MAP_COORDRECT m{};
    PM_WorldToMapRect(view, &w, &m);
    Store(*out, m.x1, m.y1, m.x2, m.y2);
    return 1;
}

int32_t CMapCtrl::Zoom(IDispatch *mapRect, bool zoomIn)
{
    if (!m_pView)
        return 0;
    MAP_COORDRECT target{};
    if (KrtRect *r = AsKrtRect(mapRect))
        target = MapRectOf(*r);
    else
        WorldRectInit(&target);
    StopDrawingThread();
    PM_ZoomWorld(m_pView, m_hWnd, &target, zoomIn ? 1 : 0);
    SyncScrollBars();
    FullRepaint();
    FireDisplayScaleChanged();
    return 1;
}

void CMapCtrl::Refresh() { UpdateWindow(m_hWnd); }

// --- Units ---------------------------------------------------------------------

int32_t CMapCtrl::UnitsGet(int32_t which)
{
    if (!m_pView)
        return 0;
    const ProjectionTag &p = m_pView->projection;
    switch (which) {
    case 1:
        return p.baseUnit;
    case 2:
        return p.transformedUnit;
    case 3:
        return p.lengthUnit;
    case 4:
        return p.areaUnit;
    default:
        return 0;
    }
}

void CMapCtrl::UnitsSet(int32_t which, int32_t unit)
{
    if (!m_pView)
        return;
    StopDrawingThread();
    ProjectionTag &p = m_pView->projection;
    switch (which) {
    case 1:
        p.baseUnit = unit;
        break;
    case 2:
        p.transformedUnit = unit;
        break;
    case 3:
        p.lengthUnit = unit;
        break;
    case 4:
        p.areaUnit = unit;
        break;
    default:
        break;
    }
}

std::string CMapCtrl::UnitStringGet(int32_t unit, int32_t shortString)
{
    char buffer[100] = {};
    ::UnitStringGet(unit, shortString, buffer, sizeof buffer);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

std::string CMapCtrl::PointUTMtoMGRS(int32_t x, int32_t y)
{
    if (!m_pView || !m_pWndRes)
        return {};
    std::string text;
    UTM_to_MGRS(m_pView, x, y, m_pWndRes->mgrsZone, m_pWndRes->mgrsDigits, &text);
    return text;
}

// --- Import, export, clipboard, buffers ---------------------------------------------

int32_t CMapCtrl::Import(int32_t sheetWindow)
{
    StopDrawingThread();
    if (ImportService(m_hWnd, HWND(sheetWindow)))
        FitPageToSelection();
    return 1;
}

int32_t CMapCtrl::Export(int32_t sheetWindow) { return ExportService(m_hWnd, HWND(sheetWindow)); }

int32_t CMapCtrl::ExportEx(const std::string &exportName, const std::string &fileName, bool showDialog)
{
    return ExportServiceEx(m_hWnd, exportName.c_str(), fileName.c_str(), showDialog ? 1 : 0);
}

int32_t CMapCtrl::ImportEx(const std::string &importName, const std::string &fileName, bool showDialog)
{
    std::string upper = importName;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
    StopDrawingThread();
    if (ImportServiceEx(m_hWnd, upper.c_str(), fileName.c_str(), showDialog ? 1 : 0) == 0)
        FitPageToSelection();
    return 1;
}

void CMapCtrl::CopyToClipboard(IDispatch *copyRect, int16_t pixelsX, int16_t pixelsY)
{
    KrtRect *r = AsKrtRect(copyRect);
    if (!r)
        return;
    const int size = std::max(pixelsX, pixelsY);
    StopDrawingThread();
    SetWaitCursor(true);
    const MAP_COORDRECT area = MapRectOf(*r);
    pending::ExClipBitmapPgon(m_hWnd, &area, size);
    SetWaitCursor(false);
}

void CMapCtrl::ExportRasterRect(IDispatch *exportRect, const std::string &fileName, int16_t pixelsY,
                                int16_t pixelsX, int16_t type, IDispatch *parameters)
{
    KrtRect *r = AsKrtRect(exportRect);
    KrtExportParameters *options = AsKrtExportParameters(parameters);
    if (fileName.empty() || !r || !options)
        return;
    int16_t values[4];
    options->ToEngine(values);
    const int size = std::max(pixelsY, pixelsX);
    StopDrawingThread();
    SetWaitCursor(true);
    const MAP_COORDRECT area = MapRectOf(*r);
    pending::DIBFileExportRect(m_hWnd, fileName.c_str(), &area, size, type, values);
    SetWaitCursor(false);
}

bool CMapCtrl::Buffering(int32_t size, int32_t segments, int32_t endings, int32_t corners, int32_t type,
                         int32_t parallelLength, int32_t calculation)
{
    StopDrawingThread();
    return ::map_create_buffer2(m_hWnd, size, segments, endings, corners, type, parallelLength,
                                calculation) != 0;
}

// --- Close ---------------------------------------------------------------------------

int32_t CMapCtrl::Close()
{
    StopDrawingThread();
    DestroyWndRes();
    m_pWndRes = new _WNDRES;
    WndRes_Constructor(m_pWndRes);
    m_pView = m_pWndRes->displayView;
    m_pWndRes->calcSelArea = 1;
    m_pWndRes->calcSelLength = 1;
    AttachWndRes(1);
    m_strDocumentName.clear();
    RECT client{};
    GetClientRect(m_hWnd, &client);
    PM_OnWndSize(m_pView, m_hWnd, int(UINT(-1)), &client);
    FullRepaint();
    return 1;
}
