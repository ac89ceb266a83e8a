// Command: the one entry through which the host selects the control's tools
// and runs its one-shot map commands, with the tool changes it reports and
// the view and selection helpers the commands share.
#include "control/map_ctrl.h"
#include "control/pending_engine.h"
#include "engine/polygon/arcs/circle_dialog.h"
#include "engine/polygon/buffer/buffer_commands.h"
#include "engine/polygon/cutting/cutting_tools.h"
#include "engine/view/raster/raster_object.h"
#include "engine/window/dialogs/layers_dialog.h"
#include "engine/window/printing/print_map.h"

#include "engine/editing/operations/line_length.h"
#include "engine/editing/operations/polygon_boolean.h"
#include "engine/editing/operations/polygon_building.h"
#include "engine/editing/operations/reducing_dialog.h"
#include "engine/editing/tools/grouping.h"
#include "engine/editing/tools/map_expert_dialog.h"
#include "engine/editing/tools/transform.h"
#include "engine/editing/tools/transformation_dialog.h"
#include "engine/kernel/dialogs/object_browser.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/view/dialogs/projections_dialog.h"
#include "engine/view/dialogs/text_dialogs.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/page.h"
#include "engine/window/page_setup/page_set.h"
#include "engine/window/dialogs/identifier_dialog.h"
#include "engine/window/undo_window.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_selection.h"
#include "platform/key_state.h"
#include "platform/resources.h"
#include "platform/window.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

// The tools whose change from one to another is reported.
constexpr int32_t kToolTable[] = {422, 401, 402, 403, 404, 467, 423, 475, 474, 416, 408, 405, 406, 407,
                                  455, 425, 424, 450, 451, 452, 458, 409, 410, 411, 470, 472, 476};

bool InToolTable(int32_t id)
{
    return std::find(std::begin(kToolTable), std::end(kToolTable), id) != std::end(kToolTable);
}

} // namespace

// --- Tool state --------------------------------------------------------------

void CMapCtrl::UpdateToolState(int32_t id)
{
    if (InToolTable(m_nCurrentTool) && InToolTable(id))
        FireCommandStateChanged(m_nCurrentTool, mc_CommandFlagNotActive);
    FireCommandStateChanged(id, mc_CommandFlagActive);
}

void CMapCtrl::FireCommandNotActive(int32_t id) { FireCommandStateChanged(id, mc_CommandFlagNotActive); }

int32_t CMapCtrl::EndTool(int32_t force)
{
    if (force == 0 && GetEndsAfterOneOperation(m_nCurrentTool) != 1)
        return 0;
    FireCommandStateChanged(m_nCurrentTool, mc_CommandFlagNotActive);
    m_nCurrentTool = mCmdDeselect;
    SetToolCursor();
    return 1;
}

int32_t CMapCtrl::CancelOperation(WPARAM, POINT)
{
    // The tool's own part (control/tools/) erases what the operation drew
    // and lets the mouse go.
    CancelToolOperation();
    m_nOperationState = 0;
    EndTool(0);
    return 0;
}

void CMapCtrl::SetToolCursor()
{
    int n = -1;
    switch (m_nCurrentTool) {
    case 400:
    case 409:
        n = 1;
        break;
    case 401:
        n = 4;
        break;
    case 402:
        n = 5;
        break;
    case 403:
    case 404:
    case 467:
        n = 6;
        break;
    case 405:
    case 406:
    case 407:
    case 410:
    case 411:
    case 455:
        n = 15;
        break;
    case 408:
        n = m_nOperationState == 0 ? 1 : 8;
        break;
    case 416:
        n = (m_nOperationState == 6 || m_nOperationState == 13) ? 14 : 1;
        break;
    case 422:
        n = m_nOperationState == 0 ? 19 : 20;
        break;
    case 423:
    case 424:
        n = 9;
        break;
    case 425:
        n = 10;
        break;
    case 450:
    case 451:
    case 458:
        n = 16;
        break;
    case 470:
        n = 17;
        break;
    case 474:
        n = m_nOperationState == 2 ? 22 : 21;
        break;
    case 475:
        n = 18;
        break;
    default:
        return;
    }
    ShowEngineCursor(n);
}

int32_t CMapCtrl::SelectionCount()
{
    int32_t count = 0;
    map_selection_Get(m_hWnd, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, 0);
    return count;
}

// --- Command -------------------------------------------------------------------

int32_t CMapCtrl::Command(int32_t id)
{
    if (m_nOperationState != 0) {
        if (id == mCmdDeselect) {
            CancelOperation(0, POINT{0, 0});
            return 1;
        }
        // Any other command ends the operation first, as the loss of the
        // focus does: a tool chosen while a figure is drawn must not leave the
        // figure's tool running under the new one.
        if ((id > mCmdDeselect && id <= mCmdPastePage) || id == mCmdRastersManagement || id == mCmdCentrePage)
            FinishOperation();
        else
            return 1;
    }
    if (id == mCmdRastersManagement) {
        RastersManagement(m_pWndRes, 1);
        return 1;
    }
    if (id == mCmdCentrePage) {
        UpdateToolState(id);
        CentrePageOnView();
        FireCommandNotActive(id);
        return 1;
    }
    if (id < mCmdDeselect || id > mCmdPastePage)
        return 0;

    auto tool = [&](bool cursor) {
        UpdateToolState(id);
        m_nCurrentTool = id;
        if (cursor)
            SetToolCursor();
    };
    auto oneShot = [&](auto &&run) {
        UpdateToolState(id);
        run();
        FireCommandNotActive(id);
    };
    auto count = [&] { FireSelectionChanged(SelectionCount()); };
    auto clearSelection = [&] {
        SetWaitCursor(true);
        StopDrawingThread();
        if (map_selection_Clear(m_hWnd, 0))
            FireSelectionChanged(0);
        SetWaitCursor(false);
    };
    // A command that runs at once when the selection allows, and otherwise
    // becomes the tool for the next click.
    auto selectionOrTool = [&](int result) {
        if (result == 0) {
            m_nCurrentTool = id;
            SetToolCursor();
        } else {
            count();
            FireCommandNotActive(id);
        }
    };

    switch (id) {
    case mCmdDeselect:
        UpdateToolState(id);
        m_nCurrentTool = mCmdDeselect;
        SetToolCursor();
        clearSelection();
        FireCommandNotActive(id);
        return 1;
    case mCmdZoomIn:
    case mCmdZoomOut:
    case mCmdPolyline:
    case mCmdPolygon:
    case mCmdNail:
    case mCmdRectangle:
    case mCmdExtended1:
    case mCmdPasteHere:
    case mCmdArrow:
        tool(true);
        return 1;
    case mCmdNodeDrag:
    case mCmdNodePlane:
    case mCmdObjectMove:
        tool(false);
        return 1;
    case mCmdPolygonUnion:
    case mCmdPolygonIntersection:
    case mCmdPolygonComplement:
    case mCmdPolygonXOR:
        UpdateToolState(id);
        StopDrawingThread();
        selectionOrTool(SelectedPolygonsLogicalOper(m_hWnd, id));
        return 1;
    case mCmdNodeCut: {
        UpdateToolState(id);
        StopDrawingThread();
        const int result = PerformMultiselectCut(m_hWnd);
        if (result != 0)
            ToolMultiselectCut(m_hWnd);
        selectionOrTool(result);
        return 1;
    }
    case mCmdNodeJoin: {
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        UpdateToolState(id);
        StopDrawingThread();
        selectionOrTool(shift ? SelectedPolylinesJoinExt(m_hWnd) : SelectedPolylinesJoin(m_hWnd));
        return 1;
    }
    case mCmdMultiselectionGroup:
        oneShot([&] { GroupSelection(); });
        return 1;
    case mCmdMultiselectionUngroup:
        oneShot([&] { UngroupSelection(); });
        return 1;
    case mCmdMultiselectionMoveToLayer:
        oneShot([&] {
            StopDrawingThread();
            MoveSelectionToLayer();
            map_UndoReset(m_hWnd);
        });
        return 1;
    case mCmdObjectCopy:
        oneShot([&] { pending::DstrEditCopy(m_hWnd, 202); });
        return 1;
    case mCmdObjectIdentification:
        oneShot([&] { IdDlgSettings(m_hWnd); });
        return 1;
    case mCmdObjectDiscard:
        oneShot([&] {
            DeleteSelection();
            FireSelectionChanged(0);
        });
        return 1;
    case mCmdSelectEnclosed:
        oneShot([&] {
            StopDrawingThread();
            map_select_enclosed(m_hWnd);
        });
        return 1;
    case mCmdSelectNeighbours:
        oneShot([&] {
            StopDrawingThread();
            map_select_neighbours(m_hWnd);
        });
        return 1;
    case mCmdPan:
        UpdateToolState(id);
        m_nCurrentTool = id;
        PointsClear(m_hWnd);
        SetToolCursor();
        return 1;
    case mCmdText:
        StopDrawingThread();
        if (ReDefTextObj(m_hWnd))
            return 1;
        tool(true);
        return 1;
    case mCmdLegend:
        StopDrawingThread();
        if (pending::ReDefLegend(m_hWnd))
            return 1;
        tool(true);
        return 1;
    case mCmdCircle:
        StopDrawingThread();
        if (::ReDefCircle(m_hWnd))
            return 1;
        tool(true);
        return 1;
    case mCmdTransformation:
        oneShot([&] {
            StopDrawingThread();
            Transformation(m_hWnd);
        });
        return 1;
    case mCmdReducing:
        StopDrawingThread();
        ReduceDlg(m_hWnd);
        return 1;
    case mCmdLayersSetup:
        oneShot([&] { LayersSetup(); });
        return 1;
    case mCmdPageSetup:
        oneShot([&] {
            StopDrawingThread();
            PageSetupShowDlg(m_hWnd, 0);
        });
        return 1;
    case mCmdPrinterSetup:
        oneShot([&] { PrinterSetup(m_hWnd); });
        return 1;
    case mCmdProjectionSetup:
        oneShot([&] {
            StopDrawingThread();
            if (m_pView && (ProjMan_SelectProjection(&m_pView->projection, m_hWnd) & 1))
                ViewAllObjects(1);
            if (m_pView)
                PM_ScaleWordToDisplayUpdate(m_pView, m_hWnd);
            FireDisplayScaleChanged();
        });
        return 1;
    case mCmdViewAllObjects:
        oneShot([&] { ViewAllObjects(0); });
        return 1;
    case mCmdViewPage:
        oneShot([&] { ViewPage(); });
        return 1;
    case mCmdViewSelectedObjects:
        oneShot([&] { ViewSelectedObjects(); });
        return 1;
    case mCmdViewRefresh:
        oneShot([&] { ViewRefresh(); });
        return 1;
    case mCmdObjectBrowser:
        oneShot([&] {
            StopDrawingThread();
            if (m_pWndRes && m_pWndRes->kernel)
                OBJectWalk(m_pWndRes->kernel, m_hWnd, GetRootOBJect(m_hWnd, 0x4020));
        });
        return 1;
    case mCmdPresentation:
        oneShot([&] {
            StopDrawingThread();
            pending::PresentationWizard(m_hWnd);
        });
        return 1;
    case mCmdPrint:
        oneShot([&] {
            StopDrawingThread();
            PrintMap(m_hWnd, 1);
        });
        return 1;
    case mCmdSettingsDialog:
        oneShot([&] {
            StopDrawingThread();
            DoGormDefaultSettings(m_pWndRes);
        });
        return 1;
    case mCmdObjectCut:
        oneShot([&] {
            StopDrawingThread();
            pending::DstrEditCopy(m_hWnd, 201);
        });
        return 1;
    case mCmdObjectCopyAll:
        oneShot([&] { pending::DstrEditCopy(m_hWnd, 203); });
        return 1;
    case mCmdCopyAllSecondMode:
        oneShot([&] { pending::DstrEditCopy(m_hWnd, 210); });
        return 1;
    case mCmdObjectPaste:
        oneShot([&] {
            StopDrawingThread();
            pending::DstrEditPaste(m_hWnd);
        });
        return 1;
    case mCmdPasteSpecial: {
        StopDrawingThread();
        const int choice = pending::DstrEditPasteSpecial(m_hWnd);
        const int32_t tools[] = {0, mCmdPasteText, mCmdPasteBitmap, mCmdPasteHere};
        if (choice >= 1 && choice <= 3) {
            UpdateToolState(tools[choice]);
            m_nCurrentTool = tools[choice];
            SetToolCursor();
        }
        return 1;
    }
    case mCmdUndo:
        oneShot([&] {
            StopDrawingThread();
            map_Undo(m_hWnd);
            count();
        });
        return 1;
    case mCmdUndoList:
        oneShot([&] {
            StopDrawingThread();
            Undo_UndoShowStepsList(m_hWnd);
            count();
        });
        return 1;
    case mCmdRedo:
        oneShot([&] {
            StopDrawingThread();
            map_Redo(m_hWnd);
            count();
        });
        return 1;
    case mCmdRedoList:
        oneShot([&] {
            StopDrawingThread();
            Undo_RedoShowStepsList(m_hWnd);
            count();
        });
        return 1;
    case mCmdBuffering:
        oneShot([&] {
            StopDrawingThread();
            ::map_create_buffer(m_hWnd);
        });
        return 1;
    case mCmdTestDataSheet:
        oneShot([&] { pending::genCSVfile(m_hWnd); });
        return 1;
    case mCmdMapExpert:
        UpdateToolState(id);
        StopDrawingThread();
        MapExpert(m_hWnd);
        FireCommandNotActive(id);
        RastersManagement(m_pWndRes, 1);
        return 1;
    case mCmdConvertPolygon:
        oneShot([&] {
            StopDrawingThread();
            ClosePolygons(m_hWnd);
        });
        return 1;
    case mCmdFitPage:
        oneShot([&] { FitPageToSelection(); });
        return 1;
    case mCmdDeselectObjects:
        oneShot([&] { clearSelection(); });
        return 1;
    case mCmdDeselectTool:
        if (m_nCurrentTool != mCmdDeselect) {
            UpdateToolState(id);
            m_nCurrentTool = mCmdDeselect;
            SetToolCursor();
        } else {
            clearSelection();
        }
        FireCommandNotActive(id);
        return 1;
    case mCmdPastePage:
        StopDrawingThread();
        pending::PastePage(m_hWnd);
        FireSelectionChanged(0);
        return 1;
    default:
        // 417, 437 to 440, 442, 443, 450 to 454, 456, 457, 468: not commands.
        return 0;
    }
}

// --- View and selection helpers ----------------------------------------------------

void CMapCtrl::ViewRefresh() { FullRepaint(); }

// Half the widest pen of the visible layers, in pixels and in map units (a
// layer's width counts in map units when its line option bit 0 is set).
CMapCtrl::PenMargins CMapCtrl::WidestPens() const
{
    PenMargins half;
    if (!m_pWndRes || !m_pWndRes->kernel)
        return half;
    OBJectKernel *kernel = m_pWndRes->kernel;
    const OBJHANDLE root = GetRootOBJect(m_hWnd, CLASS_LAYERS);
    int32_t pos = -1;
    for (OBJHANDLE layer = root ? FirstReference(kernel, root, REF_LAYER_MEMBER, &pos) : 0; layer;
         layer = GetReference(kernel, root, REF_LAYER_MEMBER, &pos)) {
        int32_t width = 0;
        uint16_t display = 0, options = 0;
        map_layer_Get(m_hWnd, layer, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                      &width, &display, &options);
        if (!(display & LDF_VISIBLE) || width <= 0)
            continue;
        int32_t &kind = (options & 1) ? half.mapUnits : half.pixels;
        kind = std::max(kind, std::min(width, 1 << 20) / 2 + 1);
    }
    return half;
}

// Shows the map rectangle (sides of no length widened by 2 units), as the
// view's whole extent too when asked, then the scroll bars, the picture and
// the scale event follow. The rectangle shows wholly, with the widest pen
// and the selection marks inside the window: a margin of pixels stays free
// on every side. When the scroll bars come or go the client area changes,
// and the rectangle is fitted again to what remains.
void CMapCtrl::ShowMapRect(MAP_COORDRECT rect, bool asAllObjects, bool fitPage)
{
    constexpr int kMarkPixels = 6; // vertex and end marks, arrow heads
    StopDrawingThread();
    if (rect.x1 == rect.x2)
        WorldRectInflate(&rect, 2, 0);
    if (rect.y1 == rect.y2)
        WorldRectInflate(&rect, 0, 2);
    if (asAllObjects)
        PM_SetAllObjectsRect(m_pView, m_hWnd, &rect);
    const PenMargins pens = WidestPens();
    for (int attempt = 0; attempt < 3; ++attempt) {
        PM_SetWorldRectWithin(m_pView, m_hWnd, &rect, kMarkPixels + pens.pixels, pens.mapUnits);
        const RECT fitted = m_pView->displayRect;
        SyncScrollBars();
        if (std::memcmp(&fitted, &m_pView->displayRect, sizeof fitted) == 0)
            break;
    }
    if (fitPage)
        PageFitToAllObjects(m_hWnd);
    ViewRefresh();
    FireDisplayScaleChanged();
}

// The window's page object and its page rectangle; false without them.
bool CMapCtrl::PageRect(OBJHANDLE *page, MAP_COORDRECT *rect) const
{
    *page = PageGetFromWindow(m_hWnd);
    if (!*page || !m_pView || !m_pWndRes || !m_pWndRes->kernel)
        return false;
    PageRecord record{};
    if (!PageRead(m_pWndRes->kernel, *page, &record))
        return false;
    *rect = record.page;
    return true;
}

void CMapCtrl::ViewAllObjects(int fitPage)
{
    MAP_COORDRECT all{};
    if (!m_pView || !map_object_boundrect_Get(m_hWnd, 0, &all))
        return;
    if (all.x1 > all.x2) {
        ViewPage();
        return;
    }
    ShowMapRect(all, true, fitPage != 0);
}

void CMapCtrl::ViewPage()
{
    OBJHANDLE page = 0;
    MAP_COORDRECT rect{};
    if (PageRect(&page, &rect))
        ShowMapRect(rect, false, false);
}

void CMapCtrl::ViewSelectedObjects()
{
    int32_t count = 0;
    MAP_COORDRECT bounds{};
    map_selection_Get(m_hWnd, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, &bounds, 0);
    if (count > 0 && m_pView)
        ShowMapRect(bounds, true, false);
}

void CMapCtrl::CentrePageOnView()
{
    OBJHANDLE page = 0;
    MAP_COORDRECT rect{};
    if (!PageRect(&page, &rect))
        return;
    StopDrawingThread();
    const MAP_COORDRECT &w = m_pView->worldRect;
    const int64_t dx = (int64_t(w.x1) + w.x2) / 2 - (int64_t(rect.x1) + rect.x2) / 2;
    const int64_t dy = (int64_t(w.y1) + w.y2) / 2 - (int64_t(rect.y1) + rect.y2) / 2;
    PageMoveOrigin(m_pWndRes->kernel, page, int32_t(dx), int32_t(dy));
    ViewPage();
}

void CMapCtrl::FitPageToSelection()
{
    StopDrawingThread();
    const int selectedOnly = SelectionCount() > 0 ? 1 : 0;
    const OBJHANDLE page = PageGetFromWindow(m_hWnd);
    if (!page || !m_pWndRes || !m_pWndRes->kernel)
        return;
    MAP_COORDRECT before{2147483647, 2147483647, -2147483647, -2147483647};
    SendOBJectMessage(m_pWndRes->kernel, 0, page, 0, GRM_GETBOUNDRECT, 0, LPARAM(&before));
    CPageSet set(m_pWndRes, 1, 225, 1);
    if (set.Failed())
        return;
    set.FitToObjects(selectedOnly, 1, 0, 0);
    set.Apply();
    MAP_COORDRECT after = before;
    SendOBJectMessage(m_pWndRes->kernel, 0, page, 0, GRM_GETBOUNDRECT, 0, LPARAM(&after));
    if (WorldRectIsValid(&before))
        InvalidateGraphRect(m_hWnd, &before, 1);
    if (WorldRectIsValid(&after))
        InvalidateGraphRect(m_hWnd, &after, 1);
}

void CMapCtrl::LayersSetup()
{
    StopDrawingThread();
    const OBJHANDLE old = GetRootOBJect(m_hWnd, CLASS_LAYERS);
    const OBJHANDLE root = LayersDlg(m_hWnd, old);
    if (!root || root == old)
        return;
    SetRootOBJect(m_hWnd, root);
    // The dialog records where its changes lie: only that area is redrawn,
    // and nothing when no line changed.
    if (m_pWndRes && m_pWndRes->kernel)
        if (const char *data = OBJectLock(m_pWndRes->kernel, root)) {
            MAP_COORDRECT area;
            std::memcpy(&area, data + offsetof(Layers, clipRect), sizeof area);
            if (LoadField<int32_t>(data, offsetof(Layers, changedFrom)) < 32767 && WorldRectIsValid(&area))
                InvalidateGraphRect(m_hWnd, &area, 1);
        }
    map_UndoReset(m_hWnd);
    if (m_pWndRes)
        m_pWndRes->flags |= WNDRES_MODIFIED;
    ResetLayerGroups(m_pWndRes);
}

void CMapCtrl::DeleteSelection()
{
    if (!m_pWndRes || !m_pWndRes->kernel)
        return;
    SetWaitCursor(true);
    StopDrawingThread();
    OBJectKernel *kernel = m_pWndRes->kernel;
    const OBJHANDLE selection = GetRootOBJect(m_hWnd, CLASS_SELLIST);
    const OBJHANDLE layersRoot = GetRootOBJect(m_hWnd, CLASS_LAYERS);
    MAP_COORDRECT bound{2147483647, 2147483647, -2147483647, -2147483647};
    if (selection)
        SendOBJectMessage(kernel, 0, selection, 0, GRM_GETBOUNDRECT, 0, LPARAM(&bound));
    // Flag 4 is off on every object while the deletion runs.
    auto setFlag4 = [&](LPARAM value) {
        int32_t pos = -1;
        for (OBJHANDLE layer = FirstReference(kernel, layersRoot, REF_LAYER_MEMBER, &pos); layer;
             layer = GetReference(kernel, layersRoot, REF_LAYER_MEMBER, &pos))
            PropagateOBJectMessage(kernel, layer, REF_LAYER_MEMBER, GRM_SETFLAGS, 4, value);
    };
    if (layersRoot)
        setFlag4(0);
    if (selection) {
        Undo_DeleteRootTree(kernel, selection);
        Undo_SetNewStep(m_hWnd, kernel, 100);
    }
    if (layersRoot)
        setFlag4(0xFFFF);
    m_pWndRes->flags |= WNDRES_MODIFIED;
    if (WorldRectIsValid(&bound))
        InvalidateGraphRect(m_hWnd, &bound, 1);
    SetWaitCursor(false);
}

void CMapCtrl::GroupSelection()
{
    SetWaitCursor(true);
    StopDrawingThread();
    m_nCurrentTool = mCmdMultiselectionGroup;
    Tool_Group(m_hWnd, 1);
    m_nCurrentTool = mCmdDeselect;
    SetToolCursor();
    FireSelectionChanged(SelectionCount());
    SetWaitCursor(false);
}

void CMapCtrl::UngroupSelection()
{
    SetWaitCursor(true);
    StopDrawingThread();
    m_nCurrentTool = mCmdMultiselectionUngroup;
    Tool_UnGroup(m_hWnd, 1);
    m_nCurrentTool = mCmdDeselect;
    SetToolCursor();
    FireSelectionChanged(SelectionCount());
    SetWaitCursor(false);
}

void CMapCtrl::MoveSelectionToLayer()
{
    SetWaitCursor(true);
    const OBJHANDLE layer = map_layer_Search(m_hWnd, -1, nullptr);
    int32_t count = 0;
    MAP_COORDRECT bounds{};
    map_selection_Get(m_hWnd, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, &bounds, 1);
    if (layer && count > 0) {
        std::vector<OBJHANDLE> handles(static_cast<size_t>(count));
        int32_t got = 0;
        map_selection_Get(m_hWnd, &got, handles.data(), count, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, 1);
        got = std::clamp(got, 0, count);
        map_layer_Set(m_hWnd, layer, handles.data(), got, -1, nullptr, COLORREF(-1), -1, -1, -1, 7, 0xFFFF, 0,
                      0);
        if (WorldRectIsValid(&bounds))
            InvalidateGraphRect(m_hWnd, &bounds, 1);
        if (m_pWndRes)
            m_pWndRes->flags |= WNDRES_MODIFIED;
    }
    SetWaitCursor(false);
}
