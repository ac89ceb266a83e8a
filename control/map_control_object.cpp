#include "control/map_control_object.h"

#include "control/automation/map_object_getters.h"
#include "control/control_ids.h"
#include "control/krtmap_module.h"

namespace {

CMapCtrl &Ctl(DispatchObject &o)
{
    CMapCtrl *c = static_cast<MapControl &>(o).control();
    if (!c)
        throw AutomationException(E_UNEXPECTED, "The map control's window no longer exists.");
    return *c;
}

MemberInfo Method(const char *name, DISPID id, VARTYPE result, std::vector<VARTYPE> params, MemberHandler get)
{
    return {.name = name,
            .kind = MemberKind::Method,
            .type = result,
            .params = std::move(params),
            .get = std::move(get),
            .dispid = id};
}

MemberInfo Property(const char *name, DISPID id, VARTYPE type, MemberHandler get, MemberHandler put)
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = type,
            .get = std::move(get),
            .put = std::move(put),
            .dispid = id};
}

} // namespace

std::shared_ptr<const MemberTable> MapControl::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    // The object getters (MapObjects, MapLayers, Selection, Page, UndoRedo,
    // MapIDs, MapTexts, MapPolygons, MapPolylines: ids 1-4 and 13-17) are
    // the object model's.
    static const auto table = std::make_shared<const MemberTable>(ClassInfo{
        .className = "Map",
        .progId = kMapCtrlProgId,
        .typeName = kMapCtrlTypeName,
        .clsid = kMapCtrlClsid,
        .dispatchIid = kIMapIid,
        .interfaceName = "IMap",
        .members = WithMapObjectGetters({
            Property(
                "Name", DISPID_MAP_NAME, VT_BSTR, [](O &, C &c) { c.SetString(""); },
                [](O &o, C &) { Ctl(o).SetModifiedFlag(); }),
            Property(
                "FileName", DISPID_MAP_FILENAME, VT_BSTR, [](O &o, C &c) { c.SetString(Ctl(o).GetFileName()); },
                [](O &o, C &c) { Ctl(o).SetFileName(BstrToWindows1252(c.value().bstrVal)); }),
            Property(
                "OffscreenDrawing", DISPID_MAP_OFFSCREENDRAWING, VT_BOOL,
                [](O &o, C &c) { c.SetBool(Ctl(o).GetOffscreenDrawing()); },
                [](O &o, C &c) { Ctl(o).SetOffscreenDrawing(c.value().boolVal != VARIANT_FALSE); }),
            // Whether the window shows the whole map as it stands; reading it
            // stops no drawing.
            MemberInfo{.name = "PictureComplete",
                       .kind = MemberKind::Property,
                       .type = VT_BOOL,
                       .get = [](O &o, C &c) { c.SetBool(Ctl(o).PictureComplete()); },
                       .readOnly = true,
                       .dispid = DISPID_MAP_PICTURECOMPLETE},
            Property(
                "IsModified", DISPID_MAP_ISMODIFIED, VT_BOOL, [](O &o, C &c) { c.SetBool(Ctl(o).GetIsModified()); },
                [](O &o, C &c) { Ctl(o).SetIsModified(c.value().boolVal != VARIANT_FALSE); }),
            Property(
                "MapScale", DISPID_MAP_MAPSCALE, VT_R8, [](O &o, C &c) { c.SetDouble(Ctl(o).GetMapScale()); },
                [](O &o, C &c) { Ctl(o).SetMapScale(c.value().dblVal); }),
            Property(
                "OriginX", DISPID_MAP_ORIGINX, VT_I4, [](O &o, C &c) { c.SetLong(Ctl(o).GetOriginX()); },
                [](O &o, C &c) { Ctl(o).SetOriginX(c.value().lVal); }),
            Property(
                "OriginY", DISPID_MAP_ORIGINY, VT_I4, [](O &o, C &c) { c.SetLong(Ctl(o).GetOriginY()); },
                [](O &o, C &c) { Ctl(o).SetOriginY(c.value().lVal); }),
            Property(
                "OriginAlignment", DISPID_MAP_ORIGINALIGNMENT, VT_I2,
                [](O &o, C &c) { c.SetShort(Ctl(o).GetOriginAlignment()); },
                [](O &o, C &c) { Ctl(o).SetOriginAlignment(c.value().iVal); }),
            Method("Open", DISPID_MAP_OPEN, VT_I4, {VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).Open(c.missing(0) ? Variant() : c.arg(0))); }),
            Method("ShowScrolls", DISPID_MAP_SHOWSCROLLS, VT_BOOL, {VT_BOOL, VT_BOOL},
                   [](O &o, C &c) { c.SetBool(Ctl(o).ShowScrolls(c.Bool(0), c.Bool(1))); }),
            Method("QuerySelection", DISPID_MAP_QUERYSELECTION, VT_I4, {VT_I4},
                   [](O &o, C &c) { c.SetLong(Ctl(o).QuerySelection(c.Long(0))); }),
            Method("QueryAllObjects", DISPID_MAP_QUERYALLOBJECTS, VT_I4, {VT_I4},
                   [](O &o, C &c) { c.SetLong(Ctl(o).QueryAllObjects(c.Long(0))); }),
            Method("QueryByMapPoint", DISPID_MAP_QUERYBYMAPPOINT, VT_I4, {VT_I4, VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).QueryByMapPoint(c.Long(0), c.Dispatch(1))); }),
            Method("WindowToMap", DISPID_MAP_WINDOWTOMAP, VT_I4, {VT_VARIANT, VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).WindowToMap(c.Dispatch(0), c.Dispatch(1))); }),
            Method("MapToWindow", DISPID_MAP_MAPTOWINDOW, VT_I4, {VT_VARIANT, VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).MapToWindow(c.Dispatch(0), c.Dispatch(1))); }),
            Method("QueryByWndPoint", DISPID_MAP_QUERYBYWNDPOINT, VT_I4, {VT_I4, VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).QueryByWndPoint(c.Long(0), c.Dispatch(1))); }),
            Method("WindowToMapRect", DISPID_MAP_WINDOWTOMAPRECT, VT_I4, {VT_VARIANT, VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).WindowToMapRect(c.Dispatch(0), c.Dispatch(1))); }),
            Method("MapToWindowRect", DISPID_MAP_MAPTOWINDOWRECT, VT_I4, {VT_VARIANT, VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).MapToWindowRect(c.Dispatch(0), c.Dispatch(1))); }),
            Method("QueryByMapRect", DISPID_MAP_QUERYBYMAPRECT, VT_I4, {VT_I4, VT_VARIANT, VT_BOOL},
                   [](O &o, C &c) { c.SetLong(Ctl(o).QueryByMapRect(c.Long(0), c.Dispatch(1), c.Bool(2))); }),
            Method("QueryByWndRect", DISPID_MAP_QUERYBYWNDRECT, VT_I4, {VT_I4, VT_VARIANT, VT_BOOL},
                   [](O &o, C &c) { c.SetLong(Ctl(o).QueryByWndRect(c.Long(0), c.Dispatch(1), c.Bool(2))); }),
            Method("Command", DISPID_MAP_COMMAND, VT_I4, {VT_I4},
                   [](O &o, C &c) { c.SetLong(Ctl(o).Command(c.Long(0))); }),
            Method("Close", DISPID_MAP_CLOSE, VT_I4, {}, [](O &o, C &c) { c.SetLong(Ctl(o).Close()); }),
            Method("Import", DISPID_MAP_IMPORT, VT_I4, {VT_I4},
                   [](O &o, C &c) { c.SetLong(Ctl(o).Import(c.Long(0))); }),
            Method("Export", DISPID_MAP_EXPORT, VT_I4, {VT_I4},
                   [](O &o, C &c) { c.SetLong(Ctl(o).Export(c.Long(0))); }),
            Method("UnitsGet", DISPID_MAP_UNITSGET, VT_I4, {VT_I4},
                   [](O &o, C &c) { c.SetLong(Ctl(o).UnitsGet(c.Long(0))); }),
            Method("UnitsSet", DISPID_MAP_UNITSSET, VT_EMPTY, {VT_I4, VT_I4},
                   [](O &o, C &c) { Ctl(o).UnitsSet(c.Long(0), c.Long(1)); }),
            Method("UnitStringGet", DISPID_MAP_UNITSTRINGGET, VT_BSTR, {VT_I4, VT_I4},
                   [](O &o, C &c) { c.SetString(Ctl(o).UnitStringGet(c.Long(0), c.Long(1))); }),
            Method("Refresh", DISPID_REFRESH, VT_EMPTY, {}, [](O &o, C &) { Ctl(o).Refresh(); }),
            Method("Zoom", DISPID_MAP_ZOOM, VT_I4, {VT_VARIANT, VT_BOOL},
                   [](O &o, C &c) { c.SetLong(Ctl(o).Zoom(c.Dispatch(0), c.Bool(1))); }),
            Method("Save", DISPID_MAP_SAVE, VT_I4, {VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).Save(c.arg(0))); }),
            Method("PointUTMtoMGRS", DISPID_MAP_POINTUTMTOMGRS, VT_BSTR, {VT_I4, VT_I4},
                   [](O &o, C &c) { c.SetString(Ctl(o).PointUTMtoMGRS(c.Long(0), c.Long(1))); }),
            Method("CopyToClipboard", DISPID_MAP_COPYTOCLIPBOARD, VT_EMPTY, {VT_VARIANT, VT_I2, VT_I2},
                   [](O &o, C &c) {
                       Ctl(o).CopyToClipboard(c.Dispatch(0), int16_t(c.arg(1).iVal), int16_t(c.arg(2).iVal));
                   }),
            Method("ExportRasterRect", DISPID_MAP_EXPORTRASTERRECT, VT_EMPTY,
                   {VT_VARIANT, VT_BSTR, VT_I2, VT_I2, VT_I2, VT_VARIANT},
                   [](O &o, C &c) {
                       Ctl(o).ExportRasterRect(c.Dispatch(0), c.String(1), c.arg(2).iVal, c.arg(3).iVal,
                                               c.arg(4).iVal, c.Dispatch(5));
                   }),
            Method("Buffering", DISPID_MAP_BUFFERING, VT_BOOL, {VT_I4, VT_I4, VT_I4, VT_I4, VT_I4, VT_I4, VT_I4},
                   [](O &o, C &c) {
                       c.SetBool(Ctl(o).Buffering(c.Long(0), c.Long(1), c.Long(2), c.Long(3), c.Long(4), c.Long(5),
                                                  c.Long(6)));
                   }),
            Method("MapToWorld", DISPID_MAP_MAPTOWORLD, VT_I4, {VT_VARIANT, VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).MapToWorld(c.Dispatch(0), c.Dispatch(1))); }),
            Method("WorldToMap", DISPID_MAP_WORLDTOMAP, VT_I4, {VT_VARIANT, VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).WorldToMap(c.Dispatch(0), c.Dispatch(1))); }),
            Method("MapToWorldRect", DISPID_MAP_MAPTOWORLDRECT, VT_I4, {VT_VARIANT, VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).MapToWorldRect(c.Dispatch(0), c.Dispatch(1))); }),
            Method("WorldToMapRect", DISPID_MAP_WORLDTOMAPRECT, VT_I4, {VT_VARIANT, VT_VARIANT},
                   [](O &o, C &c) { c.SetLong(Ctl(o).WorldToMapRect(c.Dispatch(0), c.Dispatch(1))); }),
            Method("ExportEx", DISPID_MAP_EXPORTEX, VT_I4, {VT_BSTR, VT_BSTR, VT_BOOL},
                   [](O &o, C &c) { c.SetLong(Ctl(o).ExportEx(c.String(0), c.String(1), c.Bool(2))); }),
            Method("ImportEx", DISPID_MAP_IMPORTEX, VT_I4, {VT_BSTR, VT_BSTR, VT_BOOL},
                   [](O &o, C &c) { c.SetLong(Ctl(o).ImportEx(c.String(0), c.String(1), c.Bool(2))); }),
            Method("AboutBox", DISPID_ABOUTBOX, VT_EMPTY, {}, [](O &o, C &) { Ctl(o).AboutBox(); }),
        }),
    });
    return table;
}

MapControl::MapControl() : DispatchObject(Table()), control_(new CMapCtrl), lock_(KrtMapModule())
{
    events_ = &AddConnectionPoint(kIMapEventsIid);
    notices_ = &AddConnectionPoint(IPropertyNotifySink::kIid);
    control_->SetEventTarget(this);
}

MapControl::~MapControl()
{
    if (CMapCtrl *c = control_.data()) {
        c->SetEventTarget(nullptr);
        delete c;
    }
}

void *MapControl::FindInterface(const IID &iid)
{
    if (iid == IControlWidget::kIid)
        return static_cast<IControlWidget *>(this);
    return DispatchObject::FindInterface(iid);
}

void MapControl::FireEvent(DISPID id, std::span<const Variant> args) { events_->FireEvent(id, args); }

void MapControl::PropertyChanged(DISPID id) { notices_->FireOnChanged(id); }
