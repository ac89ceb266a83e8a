// KrtObject: one engine object of a map, read and written at each call.
#include "control/automation/engine_bridge.h"
#include "control/automation/krt_objects.h"
#include "control/automation/library_objects.h"
#include "control/automation/model_members.h"
#include "control/automation/object_ids.h"
#include "control/krt_geometry.h"
#include "control/krtmap_module.h"
#include "control/map_ctrl.h"
#include "control/variant_values.h"
#include "engine/editing/operations/line_length.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_selection.h"
#include "platform/window.h"

using namespace model;

namespace {

constexpr UINT kSelectedCountMessage = WM_USER + 0x105;

CMapCtrl *Ctl(DispatchObject &o) { return Self<KrtObject>(o).map().control(); }
OBJHANDLE H(DispatchObject &o) { return Self<KrtObject>(o).handle; }

// The seven object-valued properties: the bridge's copy of the engine object
// whatever the property's name, and the bridge's update from the object
// given, which names its own engine object.
MemberInfo TypedCopy(const char *name)
{
    return Prop(
        name, VT_VARIANT,
        [](DispatchObject &o, MemberCall &c) {
            CMapCtrl *ctl = Ctl(o);
            c.SetDispatch(ctl ? KrtObjectReadEngine(*ctl, H(o)) : nullptr);
        },
        [](DispatchObject &o, MemberCall &c) {
            if (CMapCtrl *ctl = Ctl(o))
                KrtObjectUpdateEngine(*ctl, ObjectOf(c.value()));
        });
}

MemberInfo Identifier(const char *name, bool primary)
{
    return Prop(
        name, VT_VARIANT,
        [primary](DispatchObject &o, MemberCall &c) {
            if (CMapCtrl *ctl = Ctl(o))
                static_cast<Variant &>(c.result()) = VariantFromString(ctl->GetObjectID(H(o), primary));
        },
        [primary](DispatchObject &o, MemberCall &c) {
            CMapCtrl *ctl = Ctl(o);
            std::string text;
            if (!ctl || !VariantGetString(c.value(), &text))
                return;
            ctl->StopDrawingThread();
            ctl->SetObjectID(H(o), primary, text, 0);
        });
}

MemberInfo IdentifierEx(const char *name, bool primary)
{
    return Method(name, VT_EMPTY, {VT_BSTR, VT_BOOL}, [primary](DispatchObject &o, MemberCall &c) {
        if (CMapCtrl *ctl = Ctl(o)) {
            ctl->StopDrawingThread();
            ctl->SetObjectID(H(o), primary, c.String(0), c.Bool(1) ? 1 : -1);
        }
    });
}

MemberInfo IdentifierText(const char *name, bool primary)
{
    return Method(name, VT_I4, {}, [primary](DispatchObject &o, MemberCall &c) {
        CMapCtrl *ctl = Ctl(o);
        OBJHANDLE codeText = 0, nameText = 0;
        if (ctl && H(o))
            map_object_id_Get(ctl->hwnd(), H(o), nullptr, 0, nullptr, 0, &codeText, &nameText);
        c.SetLong(int32_t(primary ? codeText : nameText));
    });
}

} // namespace

std::shared_ptr<const MemberTable> KrtObject::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtObject",
        .progId = "KrtLib.KrtObject",
        .clsid = kKrtObjectClsid,
        .dispatchIid = kIKrtObjectIid,
        .interfaceName = "IKrtObject",
        .members = {
            Prop(
                "IsSelected", VT_BOOL,
                [](O &o, C &c) {
                    CMapCtrl *ctl = Ctl(o);
                    c.SetBool(ctl && map_IsInSelection(ctl->wndRes(), H(o)));
                },
                [](O &o, C &c) { Self<KrtObject>(o).SetSelected(c.value().boolVal != VARIANT_FALSE); }),
            Prop(
                "hObject", VT_I4, [](O &o, C &c) { c.SetLong(int32_t(H(o))); },
                [](O &o, C &c) { Self<KrtObject>(o).handle = OBJHANDLE(c.value().lVal); }),
            Prop(
                "hLayer", VT_I4,
                [](O &o, C &c) {
                    CMapCtrl *ctl = Ctl(o);
                    c.SetLong(ctl ? int32_t(ctl->GetObjectLayer(H(o))) : 0);
                },
                [](O &o, C &c) {
                    if (CMapCtrl *ctl = Ctl(o))
                        MoveObjectToLayer(*ctl, H(o), OBJHANDLE(c.value().lVal));
                }),
            TypedCopy("Poly"),
            ReadOnly("ObjectType", VT_I4,
                     [](O &o, C &c) {
                         CMapCtrl *ctl = Ctl(o);
                         c.SetLong(ctl ? ctl->GetObjectType(H(o)) : 0);
                     }),
            TypedCopy("Text"),
            TypedCopy("Layer"),
            TypedCopy("Presentation"),
            Identifier("PrimaryID", true),
            Identifier("SecondaryID", false),
            Prop(
                "Length", VT_R8,
                [](O &o, C &c) {
                    CMapCtrl *ctl = Ctl(o);
                    c.SetDouble(ctl ? ctl->GetObjectLength(H(o)) : 0.0);
                },
                [](O &o, C &c) { Self<KrtObject>(o).SetLength(c.value().dblVal); }),
            ReadOnly("Area", VT_R8,
                     [](O &o, C &c) {
                         CMapCtrl *ctl = Ctl(o);
                         c.SetDouble(ctl ? ctl->GetObjectArea(H(o)) : 0.0);
                     }),
            TypedCopy("Group"),
            Prop(
                "hGroup", VT_I4,
                [](O &o, C &c) {
                    CMapCtrl *ctl = Ctl(o);
                    c.SetLong(ctl ? int32_t(map_object_group_Get(ctl->hwnd(), H(o))) : 0);
                },
                [](O &o, C &c) { Self<KrtObject>(o).SetGroup(OBJHANDLE(c.value().lVal)); }),
            TypedCopy("Legend"),
            ReadOnly("BoundingRectangle", VT_DISPATCH,
                     [](O &o, C &c) { c.SetDispatch(Self<KrtObject>(o).BoundingRectangle()); }),
            TypedCopy("Raster"),
            Method("Repaint", VT_I4, {},
                   [](O &o, C &c) {
                       if (CMapCtrl *ctl = Ctl(o))
                           InvalidateObject(*ctl, H(o));
                       c.SetLong(1);
                   }),
            Method("Move", VT_I4, {VT_I4, VT_I4},
                   [](O &o, C &c) {
                       CMapCtrl *ctl = Ctl(o);
                       c.SetLong(ctl ? KrtObjectMoveEngine(*ctl, H(o), c.Long(0), c.Long(1)) : 0);
                   }),
            Method("Locate", VT_I4, {},
                   [](O &o, C &c) {
                       if (CMapCtrl *ctl = Ctl(o))
                           ctl->LocateObject(H(o));
                       c.SetLong(1);
                   }),
            IdentifierEx("SetPrimaryIDEx", true),
            IdentifierEx("SetSecondaryIDEx", false),
            IdentifierText("GetHPrimaryID", true),
            IdentifierText("GetHSecondaryID", false),
        },
    });
    return table;
}

KrtObject::KrtObject() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtObject::KrtObject(const MapLink &map, OBJHANDLE object) : KrtObject()
{
    map_ = map;
    handle = object;
}
KrtObject::~KrtObject() = default;

KrtObject *AsKrtObject(IDispatch *object) { return dynamic_cast<KrtObject *>(object); }

void KrtObject::SetSelected(bool selected)
{
    CMapCtrl *ctl = map_.control();
    if (!ctl || !handle)
        return;
    _WNDRES *rec = ctl->wndRes();
    if ((map_IsInSelection(rec, handle) != 0) == selected)
        return;
    ctl->StopDrawingThread();
    if (selected)
        map_AddToSel(rec, handle);
    else
        map_RemoveFromSel(rec, handle);
    int32_t count = 0;
    map_selection_Get(ctl->hwnd(), &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, 0);
    SendMessageA(ctl->hwnd(), kSelectedCountMessage, WPARAM(count), 0);
}

void KrtObject::SetGroup(OBJHANDLE group)
{
    CMapCtrl *ctl = map_.control();
    OBJectKernel *kernel = map_.kernel();
    if (!ctl || !kernel || !group || !handle || GetOBJectClassID(kernel, group) != CLASS_GROUP ||
        CheckGroup(kernel, handle, group))
        return;
    const OBJHANDLE old = map_object_group_Get(ctl->hwnd(), handle);
    if (LG_IsLayerGroup(kernel, group)) {
        if (!LG_CheckIfLGTree(kernel, handle))
            return;
        ctl->StopDrawingThread();
        LG_SetGroupTreeAsLG(kernel, handle);
    } else {
        if (LG_IsLayerGroup(kernel, handle))
            return;
        ctl->StopDrawingThread();
    }
    if (old)
        RemoveReference(kernel, old, REF_GROUP_MEMBER, handle);
    map_group_Set(ctl->hwnd(), group, &handle, 1, 0, 0);
    MarkMapModified(*ctl);
}

double KrtObject::LengthToMapUnits(const PresentationManager *view, double value)
{
    if (!view)
        return 0.0;
    const tagUnitInfo *unit = FindUnitInfo(view->projection.lengthUnit);
    const tagUnitInfo *base = FindUnitInfo(view->projection.baseUnit);
    const tagUnitInfo *transformed = FindUnitInfo(view->projection.transformedUnit);
    if (!unit || unit->factor == 0.0)
        return 0.0;
    const bool baseAngular = base && (base->kind & UNIT_ANGLE);
    const bool transformedAngular = transformed && (transformed->kind & UNIT_ANGLE);
    if (baseAngular && transformedAngular)
        return value / unit->factor;
    const tagUnitInfo *reference = baseAngular && !transformedAngular ? transformed : base;
    const double factor = reference ? reference->factor : 0.0;
    if (unit->kind & UNIT_AREA)
        return value / unit->factor * factor * factor;
    return value / unit->factor * factor;
}

void KrtObject::SetLength(double length)
{
    CMapCtrl *ctl = map_.control();
    if (!ctl || !handle)
        return;
    ctl->StopDrawingThread();
    SetLineLength(ctl->hwnd(), handle, LengthToMapUnits(ctl->view(), length), 1);
}

IDispatch *KrtObject::BoundingRectangle() const
{
    OBJectKernel *kernel = map_.kernel();
    if (!kernel)
        return nullptr;
    MAP_COORDRECT r{2147483647, 2147483647, -2147483647, -2147483647};
    SendOBJectMessage(kernel, 0, handle, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    auto *rect = new KrtRect;
    rect->left = r.x1;
    rect->top = r.y1;
    rect->right = r.x2;
    rect->bottom = r.y2;
    return rect;
}
