#include "control/automation/krt_selection.h"

#include "control/automation/krt_line_style.h"
#include "control/automation/krt_objects.h"
#include "control/automation/library_objects.h"
#include "control/automation/model_members.h"
#include "control/automation/object_ids.h"
#include "control/krt_geometry.h"
#include "control/krtmap_module.h"
#include "control/map_ctrl.h"
#include "control/variant_values.h"
#include "engine/editing/point_set.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/window/undo_window.h"
#include "platform/window.h"

#include <algorithm>
#include <cmath>

using namespace model;

namespace {

// Undo codes of a vertex moved by dragging it.
constexpr uint16_t kMoveVertexOfPolygon = 220;
constexpr uint16_t kMoveVertexOfPolyline = 222;
constexpr int32_t kMaxSelectionRadius = 20;

OBJHANDLE SelectionList(CMapCtrl *ctl) { return ctl ? GetRootOBJect(ctl->hwnd(), CLASS_SELLIST) : 0; }

} // namespace

// --- KrtSelection --------------------------------------------------------------

std::shared_ptr<const MemberTable> KrtSelection::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtSelection",
        .progId = "KrtLib.KrtSelection",
        .clsid = kKrtSelectionClsid,
        .dispatchIid = kIKrtSelectionIid,
        .interfaceName = "IKrtSelection",
        .members = {
            {.name = "Objects",
             .kind = MemberKind::Property,
             .type = VT_DISPATCH,
             .get =
                 [](O &o, C &c) {
                     CMapCtrl *ctl = Self<KrtSelection>(o).control();
                     c.SetDispatch(ctl ? new KrtObjects(ctl, KrtObjects::kSelection) : nullptr);
                 },
             .readOnly = true,
             .dispid = 1},
            Id(2, Prop(
                      "Style", VT_VARIANT,
                      [](O &o, C &c) {
                          CMapCtrl *ctl = Self<KrtSelection>(o).control();
                          if (!ctl) {
                              c.SetDispatch(nullptr);
                              return;
                          }
                          const _WNDRES *rec = ctl->wndRes();
                          auto *look = new KrtLineStyle;
                          look->color = rec->selLineColor;
                          look->style = rec->selLineStyle;
                          look->width = rec->selLineWidth;
                          look->flags = rec->selLineFlags;
                          c.SetDispatch(look);
                      },
                      [](O &o, C &c) {
                          CMapCtrl *ctl = Self<KrtSelection>(o).control();
                          KrtLineStyle *look = LibraryObjectAs<KrtLineStyle>(ObjectOf(c.value()));
                          if (!ctl || !look)
                              return;
                          _WNDRES *rec = ctl->wndRes();
                          rec->selLineColor = look->color;
                          rec->selLineStyle = look->style;
                          rec->selLineWidth = look->width;
                          rec->selLineFlags = uint8_t(look->flags);
                      })),
            Id(3, Prop(
                "SelectedPoint", VT_VARIANT,
                [](O &o, C &c) {
                    const auto point = Self<KrtSelection>(o).SelectedPoint();
                    if (!point) {
                        c.SetDispatch(nullptr);
                        return;
                    }
                    auto *p = new KrtPoint;
                    p->x = point->x;
                    p->y = point->y;
                    c.SetDispatch(p);
                },
                [](O &o, C &c) {
                    if (KrtPoint *p = AsKrtPoint(ObjectOf(c.value())))
                        Self<KrtSelection>(o).MoveSelectedPoint({p->x, p->y});
                })),
            Id(4, Prop(
                "Length", VT_R8,
                [](O &o, C &c) {
                    CMapCtrl *ctl = Self<KrtSelection>(o).control();
                    c.SetDouble(ctl ? ctl->GetObjectLength(0) : 0.0);
                },
                [](O &o, C &c) {
                    if (CMapCtrl *ctl = Self<KrtSelection>(o).control())
                        ctl->wndRes()->selLength = c.value().dblVal;
                })),
            Id(5, ReadOnly("Area", VT_R8,
                     [](O &o, C &c) {
                         CMapCtrl *ctl = Self<KrtSelection>(o).control();
                         c.SetDouble(ctl ? ctl->GetObjectArea(0) : 0.0);
                     })),
            Id(6, Prop(
                "Radius", VT_I4,
                [](O &o, C &c) {
                    CMapCtrl *ctl = Self<KrtSelection>(o).control();
                    c.SetLong(ctl && ctl->wndRes()->gui ? ctl->wndRes()->gui->pickRadius : 0);
                },
                [](O &o, C &c) {
                    CMapCtrl *ctl = Self<KrtSelection>(o).control();
                    if (ctl && ctl->wndRes()->gui)
                        ctl->wndRes()->gui->pickRadius = std::clamp(c.value().lVal, 0, kMaxSelectionRadius);
                })),
            Id(7, ReadOnly("BoundingRectangle", VT_DISPATCH,
                     [](O &o, C &c) {
                         CMapCtrl *ctl = Self<KrtSelection>(o).control();
                         const OBJHANDLE list = SelectionList(ctl);
                         if (!list) {
                             c.SetDispatch(nullptr);
                             return;
                         }
                         MAP_COORDRECT r{2147483647, 2147483647, -2147483647, -2147483647};
                         SendOBJectMessage(ctl->wndRes()->kernel, 0, list, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
                         auto *rect = new KrtRect;
                         rect->left = r.x1;
                         rect->top = r.y1;
                         rect->right = r.x2;
                         rect->bottom = r.y2;
                         c.SetDispatch(rect);
                     })),
            Id(8, ReadOnly("Angle", VT_I4, [](O &o, C &c) { c.SetLong(Self<KrtSelection>(o).Angle()); })),
            Id(9, Method("Save", VT_I4, {VT_VARIANT},
                   [](O &o, C &c) {
                       CMapCtrl *ctl = Self<KrtSelection>(o).control();
                       std::string name;
                       if (!ctl || !VariantGetString(c.arg(0), &name)) {
                           c.SetLong(0);
                           return;
                       }
                       ctl->StopDrawingThread();
                       c.SetLong(MapSaveSelection(ctl->hwnd(), name.c_str()));
                   })),
        },
    });
    return table;
}

KrtSelection::KrtSelection() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtSelection::KrtSelection(CMapCtrl *control) : KrtSelection() { map_ = MapLink(control); }
KrtSelection::~KrtSelection() = default;

std::optional<MAP_COORDPT> KrtSelection::SelectedPoint() const
{
    CMapCtrl *ctl = control();
    const OBJHANDLE list = SelectionList(ctl);
    if (!list)
        return std::nullopt;
    _COORDPT p{};
    SendOBJectMessage(ctl->wndRes()->kernel, list, list, 0, GRM_GETSELECTED, 0, LPARAM(&p));
    return MAP_COORDPT{p.x, p.y};
}

bool KrtSelection::MoveSelectedPoint(MAP_COORDPT to)
{
    CMapCtrl *ctl = control();
    const OBJHANDLE list = SelectionList(ctl);
    if (!list)
        return false;
    _WNDRES *rec = ctl->wndRes();
    OBJectKernel *kernel = rec->kernel;
    _COORDPT old{};
    const LRESULT current = SendOBJectMessage(kernel, list, list, 0, GRM_GETSELECTED, 0, LPARAM(&old));
    const OBJHANDLE object = current > 0 ? OBJHANDLE(current) : 0;
    const uint16_t classId = object ? GetOBJectClassID(kernel, object) : 0;
    if (!object || !IsPointSetClass(classId))
        return false;
    const MAP_COORDPT from{old.x, old.y};
    const int32_t index = SetOfLinesegmentOwnsPoint(kernel, object, &from);
    if (index < 0)
        return false;

    ctl->StopDrawingThread();
    _COORDRECT before{2147483647, 2147483647, -2147483647, -2147483647};
    SendOBJectMessage(kernel, 0, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&before));
    // Recorded as the node drag records it: the old object, then one step.
    Undo_ChangeObject(kernel, object);
    if (!ObjectSetPoint(kernel, object, &to, index, classId))
        return false;
    Undo_SetNewStep(ctl->hwnd(), kernel,
                    classId == CLASS_POLYGON ? kMoveVertexOfPolygon : kMoveVertexOfPolyline);
    rec->flags |= WNDRES_MODIFIED;
    SendOBJectMessage(kernel, 0, object, 0, GRM_CALCBOUNDRECT, 0, 0);
    _COORDRECT after{2147483647, 2147483647, -2147483647, -2147483647};
    SendOBJectMessage(kernel, 0, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&after));
    SumBoundRect(&before, &after);

    double length = 0.0, area = 0.0;
    SendOBJectMessage(kernel, 0, list, 0xC001, GRM_SUMMEASURE, SUMMEASURE_ALL | SUMMEASURE_LENGTH,
                      LPARAM(&length));
    SendOBJectMessage(kernel, 0, list, 0xC001, GRM_SUMMEASURE, SUMMEASURE_ALL | SUMMEASURE_AREA,
                      LPARAM(&area));
    rec->selLength = length;
    rec->selArea = area;

    const _COORDPT now{to.x, to.y};
    SendOBJectMessage(kernel, list, list, 0, GRM_SETSELECTED, WPARAM(object), LPARAM(&now));
    InvalidateGraphRect(ctl->hwnd(), &before, 1);
    UpdateWindow(ctl->hwnd());
    const Variant mouse[] = {VariantFromLong(to.x), VariantFromLong(to.y), VariantFromLong(514),
                             VariantFromLong(0)};
    ctl->FireEvent(EVENT_MOUSEEVENT, mouse);
    ctl->FireSelectionChanged(1);
    return true;
}

int32_t KrtSelection::AngleOf(double dx, double dy)
{
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0)
        return -1;
    // A full turn is 6.28 here, not two pi: straight down reads 269.
    double a = std::acos(std::clamp(dx / length, -1.0, 1.0));
    if (dy / length < 0)
        a = 6.28 - a;
    return int32_t(a * 57.324840764331206);
}

int32_t KrtSelection::Angle() const
{
    const CMapCtrl *ctl = control();
    double dx = 0, dy = 0;
    if (!ctl || !ctl->SelectionSegment(&dx, &dy))
        return -1;
    return AngleOf(dx, dy);
}

// --- KrtUndoRedo -----------------------------------------------------------------

std::shared_ptr<const MemberTable> KrtUndoRedo::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtUndoRedo",
        .clsid = kKrtUndoRedoClsid,
        .dispatchIid = kIKrtUndoRedoIid,
        .interfaceName = "IKrtUndoRedo",
        .members =
            {
                ReadOnly("UndoItemsCount", VT_I4,
                         [](O &o, C &c) { c.SetLong(Self<KrtUndoRedo>(o).UndoItemsCount()); }),
                ReadOnly("RedoItemsCount", VT_I4,
                         [](O &o, C &c) { c.SetLong(Self<KrtUndoRedo>(o).RedoItemsCount()); }),
                Method("Undo", VT_EMPTY, {VT_I4}, [](O &o, C &c) { Self<KrtUndoRedo>(o).Undo(c.Long(0)); }),
                Method("Redo", VT_EMPTY, {VT_I4}, [](O &o, C &c) { Self<KrtUndoRedo>(o).Redo(c.Long(0)); }),
                Method("BeginStep", VT_EMPTY, {}, [](O &o, C &) { Self<KrtUndoRedo>(o).BeginStep(); }),
                Method("EndStep", VT_EMPTY, {VT_I2},
                       [](O &o, C &c) { Self<KrtUndoRedo>(o).EndStep(int16_t(c.Long(0))); }),
                Method("Clear", VT_EMPTY, {}, [](O &o, C &) { Self<KrtUndoRedo>(o).Clear(); }),
                ReadOnly("UndoItems", VT_DISPATCH,
                         [](O &o, C &c) { c.SetDispatch(Self<KrtUndoRedo>(o).Item(c.Long(0), true)); },
                         {VT_I4}),
                ReadOnly("RedoItems", VT_DISPATCH,
                         [](O &o, C &c) { c.SetDispatch(Self<KrtUndoRedo>(o).Item(c.Long(0), false)); },
                         {VT_I4}),
            },
    });
    return table;
}

KrtUndoRedo::KrtUndoRedo() : DispatchObject(Table()) {}
KrtUndoRedo::KrtUndoRedo(CMapCtrl *control) : KrtUndoRedo() { map_ = MapLink(control); }
KrtUndoRedo::~KrtUndoRedo() = default;

int32_t KrtUndoRedo::UndoItemsCount() const
{
    CMapCtrl *ctl = map_.control();
    return ctl ? Undo_UndoStepsCount(ctl->hwnd()) : 0;
}

int32_t KrtUndoRedo::RedoItemsCount() const
{
    CMapCtrl *ctl = map_.control();
    return ctl ? Undo_RedoStepsCount(ctl->hwnd()) : 0;
}

void KrtUndoRedo::Undo(int32_t steps)
{
    CMapCtrl *ctl = map_.control();
    // Not while a grouped step is open.
    if (!ctl || ctl->wndRes()->undoEnabled != 1)
        return;
    ctl->StopDrawingThread();
    map_Undo_N_Times(ctl->hwnd(), steps);
}

void KrtUndoRedo::Redo(int32_t steps)
{
    CMapCtrl *ctl = map_.control();
    if (!ctl || ctl->wndRes()->undoEnabled != 1)
        return;
    ctl->StopDrawingThread();
    map_Redo_N_Times(ctl->hwnd(), steps);
}

void KrtUndoRedo::BeginStep()
{
    if (CMapCtrl *ctl = map_.control())
        ctl->wndRes()->undoEnabled = 0;
}

void KrtUndoRedo::EndStep(int16_t code)
{
    CMapCtrl *ctl = map_.control();
    if (!ctl || code < 1 || ctl->wndRes()->undoEnabled != 0)
        return;
    ctl->wndRes()->undoEnabled = 1;
    Undo_SetNewStep(ctl->hwnd(), ctl->wndRes()->kernel, uint16_t(code));
}

void KrtUndoRedo::Clear()
{
    CMapCtrl *ctl = map_.control();
    if (!ctl || !ctl->wndRes()->kernel)
        return;
    ctl->StopDrawingThread();
    OBJectKernel *kernel = ctl->wndRes()->kernel;
    Undo_Reset(kernel);
    Undo_SendState(ctl->hwnd(), MAPN_DISABLE, MAPN_UNDO);
    Undo_SendState(ctl->hwnd(), MAPN_DISABLE, MAPN_REDO);
    Undo_SendCaptions(ctl->hwnd(), kernel);
}

IDispatch *KrtUndoRedo::Item(int32_t index, bool undo) const
{
    CMapCtrl *ctl = map_.control();
    const int64_t count = undo ? UndoItemsCount() : RedoItemsCount();
    if (!ctl || int64_t(index) + 1 > count)
        return nullptr;
    return new KRTUndoRedoItem(ctl, index, undo);
}

// --- KRTUndoRedoItem ---------------------------------------------------------------

std::shared_ptr<const MemberTable> KRTUndoRedoItem::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    static const auto table = LibraryTable(ClassInfo{
        .className = "KRTUndoRedoItem",
        .clsid = kKRTUndoRedoItemClsid,
        .dispatchIid = kIKRTUndoRedoItemIid,
        .interfaceName = "IKRTUndoRedoItem",
        .members =
            {
                ReadOnly("Identifier", VT_I2,
                         [](O &o, C &c) { c.SetShort(Self<KRTUndoRedoItem>(o).identifier); }),
                ReadOnly("Name", VT_BSTR, [](O &o, C &c) { c.SetString(Self<KRTUndoRedoItem>(o).name); }),
            },
    });
    return table;
}

KRTUndoRedoItem::KRTUndoRedoItem() : DispatchObject(Table()) {}

KRTUndoRedoItem::KRTUndoRedoItem(CMapCtrl *control, int32_t index, bool undo) : KRTUndoRedoItem()
{
    identifier = int16_t(Undo_GetStepWithIndex(control->hwnd(), std::max(index, 0), undo ? 1 : 0));
    GiveOperationHumanName(&name, uint16_t(identifier));
}

KRTUndoRedoItem::~KRTUndoRedoItem() = default;
