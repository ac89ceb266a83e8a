// What the automation objects that stand for engine objects ask of the
// control: identifier texts, type and layer, lengths and areas in the view's
// units, and scrolling an object into view.
#include "control/map_ctrl.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/window_record.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/undo.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/window_children.h"
#include "engine/window/window_identifiers.h"
#include "engine/window/window_objects.h"

std::string CMapCtrl::GetObjectID(OBJHANDLE object, bool primary)
{
    if (object == 0 || object == OBJHANDLE(-1))
        return {};
    char buffer[64] = {};
    if (primary)
        map_object_id_Get(m_hWnd, object, buffer, sizeof buffer, nullptr, 0, nullptr, nullptr);
    else
        map_object_id_Get(m_hWnd, object, nullptr, 0, buffer, sizeof buffer, nullptr, nullptr);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

int CMapCtrl::SetObjectID(OBJHANDLE object, bool primary, const std::string &text, int visible)
{
    if (object == 0)
        return 0;
    if (primary)
        return map_object_id_Set(m_hWnd, object, text.c_str(), nullptr, visible, 0, 0);
    return map_object_id_Set(m_hWnd, object, nullptr, text.c_str(), 0, visible, 0);
}

int CMapCtrl::GetObjectType(OBJHANDLE object)
{
    // An object deleted with an undo record stays in the store, hidden, until
    // the history lets it go: to a host it is gone.
    if (object && m_pWndRes && m_pWndRes->kernel &&
        GetOBJectFlag(m_pWndRes->kernel, object, UNDO_HIDDEN_FLAGS))
        return 0;
    return map_object_type_Get(m_hWnd, object);
}

OBJHANDLE CMapCtrl::GetObjectLayer(OBJHANDLE object)
{
    if (object)
        return map_object_layer_Get(m_hWnd, object);
    if (!m_pWndRes || !m_pWndRes->kernel)
        return 0;
    return GetActiveLayer(m_pWndRes->kernel, GetRootOBJect(m_hWnd, CLASS_LAYERS));
}

double CMapCtrl::GetObjectLength(OBJHANDLE object)
{
    if (!m_pWndRes || !m_pView)
        return 0.0;
    double length = 0.0;
    if (object) {
        if (m_pWndRes->kernel)
            SendOBJectMessage(m_pWndRes->kernel, 0, object, 0xC001, GRM_SUMMEASURE,
                              SUMMEASURE_ALL | SUMMEASURE_LENGTH, LPARAM(&length));
    } else if (m_nOperationState == 2 || m_nOperationState == 8 || m_nOperationState == 9) {
        length = figureLength;
    } else {
        length = m_pWndRes->selLength;
    }
    return ValueInUnit(m_pView, m_pView->projection.lengthUnit, length);
}

double CMapCtrl::GetObjectArea(OBJHANDLE object)
{
    if (!m_pWndRes || !m_pView)
        return 0.0;
    double area = 0.0;
    if (object) {
        if (m_pWndRes->kernel)
            SendOBJectMessage(m_pWndRes->kernel, 0, object, 0xC001, GRM_SUMMEASURE,
                              SUMMEASURE_ALL | SUMMEASURE_AREA, LPARAM(&area));
    } else if (m_nOperationState == 2 || m_nOperationState == 8 || m_nOperationState == 9) {
        area = figureArea;
    } else {
        area = m_pWndRes->selArea;
    }
    return ValueInUnit(m_pView, m_pView->projection.areaUnit, area);
}

double CMapCtrl::ValueInUnit(const PresentationManager *view, int unit, double value)
{
    const tagUnitInfo *target = FindUnitInfo(unit);
    if (!target || !view)
        return 0.0;
    const tagUnitInfo *base = FindUnitInfo(view->projection.baseUnit);
    const tagUnitInfo *transformed = FindUnitInfo(view->projection.transformedUnit);
    const bool baseAngular = base && (base->kind & UNIT_ANGLE);
    if (baseAngular && transformed && (transformed->kind & UNIT_ANGLE))
        return value * target->factor;
    const tagUnitInfo *reference = baseAngular ? transformed : base;
    if (!reference || reference->factor == 0.0)
        return 0.0;
    if (target->kind & UNIT_AREA)
        return value / (reference->factor * reference->factor) * target->factor;
    return value / reference->factor * target->factor;
}

int CMapCtrl::LocateObject(OBJHANDLE object)
{
    if (!m_pWndRes || !m_pWndRes->kernel || !m_pView)
        return 1;
    MAP_COORDRECT bound{2147483647, 2147483647, -2147483647, -2147483647};
    SendOBJectMessage(m_pWndRes->kernel, 0, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&bound));
    if (WorldRectIsValid(&bound)) {
        StopDrawingThread();
        const MAP_COORDPT centre{int32_t((int64_t(bound.x1) + bound.x2) / 2),
                                 int32_t((int64_t(bound.y1) + bound.y2) / 2)};
        PM_ScrollWindowToPoint(m_pView, m_hWnd, centre);
        SyncScrollBars();
    }
    return 1;
}
