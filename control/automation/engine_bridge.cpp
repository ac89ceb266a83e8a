#include "control/automation/engine_bridge.h"

#include "control/automation/geometry_class_ids.h"
#include "control/automation/krt_group.h"
#include "control/automation/krt_layer.h"
#include "control/automation/krt_legend.h"
#include "control/automation/krt_poly.h"
#include "control/automation/krt_raster.h"
#include "control/automation/krt_text.h"
#include "control/automation/library_objects.h"
#include "control/map_ctrl.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/window_children.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_points.h"
#include "engine/window/window_rasters.h"
#include "engine/window/window_text.h"
#include "platform/dispatch_exception.h"
#include "platform/message_box.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Undo operation codes of the steps the bridge closes.
constexpr uint16_t kStepCreatePolygon = 2;
constexpr uint16_t kStepCreatePolyline = 3;
constexpr uint16_t kStepCreateText = 4;
constexpr uint16_t kStepCreateLayer = 8;
constexpr uint16_t kStepCreateGroup = 9;
constexpr uint16_t kStepCreateRaster = 11;
constexpr uint16_t kStepDeleteLayer = 102;
constexpr uint16_t kStepChangeLayer = 261;

// The dispatch interface of presentations, which a foreign object may offer.
constexpr IID kIKrtPresentationIid = {
    0xE5B7CB21, 0x0A98, 0x11D2, {0x9C, 0x61, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};

constexpr MAP_COORDRECT kEmptyBound{2147483647, 2147483647, -2147483647, -2147483647};

constexpr const char *kRasterFormats[] = {"DIB", "JPG", "TIFF", "PNG", "GIF"};

const char *RasterFormatName(int32_t format)
{
    return format >= 0 && format < int32_t(std::size(kRasterFormats)) ? kRasterFormats[format] : "";
}

int32_t RasterFormatNumber(const char *name)
{
    for (size_t i = 0; i < std::size(kRasterFormats); ++i)
        if (std::strcmp(name, kRasterFormats[i]) == 0)
            return int32_t(i);
    return -1;
}

int32_t Saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// The engine's raster errors keep their numbers and texts at the automation
// boundary.
template <class F>
auto PassRasterErrors(F &&call)
{
    try {
        return call();
    } catch (const DispatchException &e) {
        throw AutomationException(e.Number(), e.Text());
    }
}

// A poly's point count must fit its kind; checked before anything changes.
void CheckPointCount(const KrtPoly &poly)
{
    const int32_t n = poly.points().count();
    if (poly.isPolyline && n <= 1)
        throw AutomationException(kErrorRefusedGeometry, "Polyline must have more than one point");
    if (!poly.isPolyline && n <= 2)
        throw AutomationException(kErrorRefusedGeometry, "Polygon must have more than two points");
}

MAP_COORDRECT BoundOf(OBJectKernel *kernel, OBJHANDLE object)
{
    MAP_COORDRECT r = kEmptyBound;
    if (kernel && object)
        SendOBJectMessage(kernel, 0, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

void InvalidateRect(CMapCtrl &control, const MAP_COORDRECT &r)
{
    if (r.x1 <= r.x2 && r.y1 <= r.y2)
        InvalidateGraphRect(control.hwnd(), &r, 1);
}

// Records a new object and closes its undo step.
void RecordCreation(CMapCtrl &control, OBJHANDLE object, uint16_t step)
{
    OBJectKernel *kernel = control.wndRes()->kernel;
    Undo_AddNew(kernel, object);
    Undo_SetNewStep(control.hwnd(), kernel, step);
    MarkMapModified(control);
}

// The type-0 path: an object that is not one of the typed classes. Foreign
// objects are told about in a message box; nothing is created.
void RefuseUntyped(CMapCtrl &control, IDispatch *object)
{
    if (!object || IsLibraryObject(object))
        return;
    ComPtr<IDispatch> dispatch;
    if (FAILED(object->QueryInterface(IDispatch::kIid, dispatch.putVoid())) || !dispatch) {
        MessageBoxA(control.hwnd(), "Object does not support IDispatch!", "KrtMap warning", MB_OK);
    } else if (IsLibraryObject(dispatch.get())) {
        return;
    }
    ComPtr<IDispatch> presentation;
    if (FAILED(object->QueryInterface(kIKrtPresentationIid, presentation.putVoid())) || !presentation)
        return;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant value, text;
    std::string name;
    if (SUCCEEDED(presentation->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, none, &value, nullptr, nullptr)) &&
        SUCCEEDED(VariantChangeType(&text, &value, 0, VT_BSTR)) && text.vt == VT_BSTR)
        name = BstrToWindows1252(text.bstrVal);
    MessageBoxA(control.hwnd(), "Object is KrtPresentation - but IUnknown interface is not supported now",
                name.c_str(), MB_OK);
}

OBJHANDLE CreatePoly(CMapCtrl &control, KrtPoly &poly)
{
    CheckPointCount(poly);
    control.StopDrawingThread();
    poly.map = MapLink(&control);
    const std::vector<MAP_COORDPT> &points = poly.points().points();
    OBJHANDLE h = 0;
    if (poly.isPolyline)
        map_polyline_Create(control.hwnd(), &h, points.data(), int32_t(points.size()), 0);
    else
        map_polygon_Create(control.hwnd(), &h, points.data(), int32_t(points.size()), 0);
    if (!h)
        return 0;
    poly.hObject = h;
    poly.hLayer = control.GetObjectLayer(h);
    InvalidateObject(control, h);
    RecordCreation(control, h, poly.isPolyline ? kStepCreatePolyline : kStepCreatePolygon);
    return h;
}

OBJHANDLE CreateText(CMapCtrl &control, KrtText &text)
{
    text.map = MapLink();
    control.StopDrawingThread();
    const int32_t size = text.size != 0 ? text.size : text.font.size;
    const bool ownFace = !text.faceName.empty();
    const std::string &face = ownFace ? text.faceName : text.font.face;
    const int style = ownFace ? text.fontStyle : text.font.style;
    const uint8_t charSet = uint8_t(ownFace ? text.charSet : text.font.charSet);
    const MAP_COORDPT anchor{text.x, text.y};
    OBJHANDLE h = 0;
    map_text_CreateEx(control.hwnd(), &h, text.text.c_str(), &anchor, face.c_str(), size, style, text.color,
                      text.escapement, text.rotation, text.flags, 0, charSet, text.ownColour);
    if (!h)
        return 0;
    text.hObject = h;
    text.map = MapLink(&control);
    text.hLayer = control.GetObjectLayer(h);
    InvalidateObject(control, h);
    RecordCreation(control, h, kStepCreateText);
    return h;
}

bool ReadRasterInto(CMapCtrl &control, OBJHANDLE h, KrtRaster &raster);

OBJHANDLE CreateRaster(CMapCtrl &control, KrtRaster &raster)
{
    control.StopDrawingThread();
    raster.map = MapLink(&control);
    OBJHANDLE h = 0;
    PassRasterErrors([&] {
        return map_raster_Create(
            control.hwnd(), &h, raster.fileName.c_str(), RasterFormatName(raster.fileFormat), raster.originX,
            raster.originY, raster.width, raster.height,
            uint32_t(std::max(0, truncToInt32(raster.rasterScale))), raster.resolutionX, raster.resolutionY,
            raster.frameVisible, raster.imageVisible, raster.clipMode);
    });
    if (!h)
        return 0;
    raster.hObject = h;
    raster.hLayer = control.GetObjectLayer(h);
    // The object describes the placement the engine chose from the image,
    // so that it can be written back as it stands.
    ReadRasterInto(control, h, raster);
    InvalidateObject(control, h);
    RecordCreation(control, h, kStepCreateRaster);
    return h;
}

int32_t FillValue(const KrtLayer &layer)
{
    return int32_t((layer.fillColor & 0x00FFFFFFu) | (uint32_t(layer.fillPattern) << 24));
}

OBJHANDLE CreateLayer(CMapCtrl &control, KrtLayer &layer)
{
    control.StopDrawingThread();
    // The layer belongs to this map from now on, whatever map it was read from.
    layer.map = MapLink(&control);
    const KrtLineStyle &line = layer.lineStyle();
    OBJHANDLE h = 0;
    map_layer_Create(control.hwnd(), &h, nullptr, 0, layer.number, layer.name.c_str(), line.color,
                     FillValue(layer), line.style, line.width, layer.flags, line.flags, 0);
    if (!h)
        return 0;
    _WNDRES *record = control.wndRes();
    if (layer.number < 0) {
        int32_t number = layer.number;
        map_layer_Get(control.hwnd(), h, nullptr, nullptr, 0, &number, nullptr, 0, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr);
        layer.number = number;
        LayerZoomSet(record->kernel, h, layer.visibleFromScale, layer.visibleToScale);
    }
    layer.hObject = h;
    LayerPlaceSet(record, h, layer.order, 0);
    RecordCreation(control, h, kStepCreateLayer);
    return h;
}

OBJHANDLE CreateGroup(CMapCtrl &control, KrtGroup &group)
{
    control.StopDrawingThread();
    group.map = MapLink(&control);
    const OBJHANDLE h = GroupCreate(control.wndRes(), group.name.c_str());
    if (!h)
        return 0;
    group.hObject = h;
    RecordCreation(control, h, kStepCreateGroup);
    return h;
}

OBJHANDLE UpdatePoly(CMapCtrl &control, KrtPoly &poly)
{
    CheckPointCount(poly);
    control.StopDrawingThread();
    poly.map = MapLink(&control);
    OBJHANDLE h = poly.hObject;
    InvalidateObject(control, h);
    const std::vector<MAP_COORDPT> &points = poly.points().points();
    if (!Poly_Set(control.hwnd(), &h, points.data(), int32_t(points.size()), 0,
                  poly.isPolyline ? CLASS_POLYLINE : CLASS_POLYGON))
        return 0;
    if (h) {
        poly.hObject = h;
        poly.hLayer = control.GetObjectLayer(h);
        InvalidateRect(control, poly.points().bound);
        InvalidateObject(control, h);
        MarkMapModified(control);
    }
    return h;
}

OBJHANDLE UpdateText(CMapCtrl &control, KrtText &text)
{
    control.StopDrawingThread();
    InvalidateObject(control, text.hObject);
    const MAP_COORDPT anchor{text.x, text.y};
    if (!map_text_SetEx(control.hwnd(), text.hObject, text.text.c_str(), &anchor, text.font.face.c_str(),
                        text.font.size, text.font.style, text.color, text.escapement, text.rotation,
                        text.flags, 0, uint8_t(text.font.charSet), text.ownColour))
        return 0;
    InvalidateObject(control, text.hObject);
    MarkMapModified(control);
    return text.hObject;
}

OBJHANDLE UpdateRaster(CMapCtrl &control, KrtRaster &raster)
{
    control.StopDrawingThread();
    raster.map = MapLink(&control);
    const OBJHANDLE h = raster.hObject;
    InvalidateObject(control, h);
    // The engine's setter takes the height before the width.
    const int done = PassRasterErrors([&] {
        return Raster_Set(control.hwnd(), h, raster.fileName.c_str(), RasterFormatName(raster.fileFormat),
                          raster.originX, raster.originY, raster.height, raster.width,
                          std::max(0, truncToInt32(raster.rasterScale)), raster.resolutionX,
                          raster.resolutionY, raster.frameVisible, raster.imageVisible, raster.clipMode);
    });
    if (!done || !h)
        return 0;
    raster.hLayer = control.GetObjectLayer(h);
    InvalidateObject(control, h);
    MarkMapModified(control);
    return h;
}

OBJHANDLE UpdateLayer(CMapCtrl &control, KrtLayer &layer)
{
    _WNDRES *record = control.wndRes();
    OBJectKernel *kernel = record->kernel;
    const HWND window = control.hwnd();
    const OBJHANDLE h = layer.hObject;
    if (!h || GetOBJectClassID(kernel, h) != CLASS_LAYER)
        return 0;
    control.StopDrawingThread();

    Undo_ChangeObject(kernel, h);
    int32_t oldNumber = 0, oldFill = 0, oldStyle = 0, oldWidth = 0;
    COLORREF oldColour = 0;
    uint16_t oldFlags = 0, oldLineFlags = 0;
    char oldName[49] = {};
    map_layer_Get(window, h, nullptr, nullptr, 0, &oldNumber, oldName, sizeof oldName, &oldColour, &oldFill,
                  &oldStyle, &oldWidth, &oldFlags, &oldLineFlags);
    const int32_t oldPlace = LayerPlaceGet(record, h);
    double oldFrom = 0, oldTo = 0;
    LayerZoomGet(kernel, h, &oldFrom, &oldTo);
    if ((layer.flags & KrtLayer::kActive) && !(oldFlags & KrtLayer::kActive))
        Undo_ChangeObject(kernel, GetRootOBJect(window, CLASS_LAYERS));

    const KrtLineStyle &line = layer.lineStyle();
    const int32_t fill = (layer.flags & KrtLayer::kNoFillColor) ? -1 : FillValue(layer);
    const bool lookChanged = line.color != oldColour || fill != oldFill || line.style != oldStyle ||
                             line.width != oldWidth || line.flags != oldLineFlags ||
                             (layer.order >= 0 && layer.order != oldPlace);
    const bool rangeChanged = layer.visibleFromScale != oldFrom || layer.visibleToScale != oldTo;
    bool modified = lookChanged || layer.flags != oldFlags || rangeChanged || layer.name != oldName;

    const double scale = control.view() ? control.view()->scaleDenominator : 0.0;
    constexpr uint16_t kDrawnFlags = KrtLayer::kVisible | KrtLayer::kPreview | KrtLayer::kNoFillColor;
    bool repaint = lookChanged || ((layer.flags ^ oldFlags) & kDrawnFlags) != 0 ||
                   IsLayerSclVisible(oldFrom, oldTo, scale) !=
                       IsLayerSclVisible(layer.visibleFromScale, layer.visibleToScale, scale);
    const bool staysHidden = !(oldFlags & KrtLayer::kVisible) && !(layer.flags & KrtLayer::kVisible);

    // The page layer keeps its number and name.
    const bool pageLayer = oldNumber == INT32_MAX;
    map_layer_Set(window, h, nullptr, 0, pageLayer ? oldNumber : layer.number,
                  pageLayer ? nullptr : layer.name.c_str(), line.color, fill, line.style, line.width,
                  layer.flags, line.flags, 1, 0);
    LayerZoomSet(kernel, h, layer.visibleFromScale, layer.visibleToScale);
    if (LayerTrnsparencyGet(kernel, h) != layer.transparency) {
        LayerTrnsparencySet(kernel, h, layer.transparency);
        repaint = modified = true;
    }
    int32_t number = layer.number;
    map_layer_Get(window, h, nullptr, nullptr, 0, &number, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr);
    layer.number = number;
    LayerPlaceSet(record, h, layer.order, 1);
    if (number != oldNumber)
        modified = true;

    if (modified)
        MarkMapModified(control);
    if (repaint && !staysHidden)
        InvalidateObject(control, h);
    Undo_SetNewStep(window, kernel, kStepChangeLayer);
    return h;
}

OBJHANDLE UpdateGroup(CMapCtrl &control, KrtGroup &group)
{
    OBJectKernel *kernel = control.wndRes()->kernel;
    if (!group.hObject || GetOBJectClassID(kernel, group.hObject) != CLASS_GROUP)
        return 0;
    control.StopDrawingThread();
    GrupNameSet(kernel, group.hObject, group.name.c_str());
    ParentGroupSet(kernel, group.hObject, group.parent);
    MarkMapModified(control);
    return group.hObject;
}

IDispatch *ReadPoly(CMapCtrl &control, OBJHANDLE h, bool polyline)
{
    const HWND window = control.hwnd();
    auto read = polyline ? map_polyline_Get : map_polygon_Get;
    int32_t total = 0;
    read(window, h, &total, nullptr, 0);
    std::vector<MAP_COORDPT> points(size_t(std::max(total, 0)));
    const int32_t copied = read(window, h, &total, points.data(), int32_t(points.size()));
    points.resize(size_t(std::clamp(copied, 0, int32_t(points.size()))));
    auto *poly = new KrtPoly;
    poly->map = MapLink(&control);
    poly->hObject = h;
    poly->hLayer = control.GetObjectLayer(h);
    poly->isPolyline = polyline;
    poly->points().Assign(std::move(points));
    return poly;
}

IDispatch *ReadText(CMapCtrl &control, OBJHANDLE h)
{
    uint32_t length = 0;
    char buffer[2048] = {};
    char face[32] = {};
    MAP_COORDPT anchor{0, 0};
    int32_t size = 0;
    int style = 0, angle = 0, unused = 0, ownColour = 0;
    COLORREF colour = 0;
    uint16_t flags = 0;
    uint8_t charSet = 0;
    // The engine keeps one angle, the escapement; the second angle output is
    // always 0.
    if (!map_text_GetEx(control.hwnd(), h, &length, buffer, sizeof buffer, &anchor, face, sizeof face, &size,
                        &style, &colour, &angle, &unused, &flags, &charSet, &ownColour))
        return nullptr;
    buffer[sizeof buffer - 1] = 0;
    face[sizeof face - 1] = 0;
    auto *text = new KrtText;
    text->map = MapLink(&control);
    text->hObject = h;
    text->hLayer = control.GetObjectLayer(h);
    text->text = buffer;
    text->x = anchor.x;
    text->y = anchor.y;
    text->size = size;
    text->font = {size, face, uint16_t(style), int16_t(charSet)};
    // The individual font fields read what the engine keeps too: a host
    // that reads FontName of a text in the map gets its face, not "".
    text->faceName = face;
    text->fontStyle = uint16_t(style);
    text->charSet = int16_t(charSet);
    text->color = colour;
    text->escapement = angle;
    text->rotation = 0;
    text->flags = flags;
    text->ownColour = ownColour;
    return text;
}

// The raster's placement and record as the engine keeps them; false for
// what is not a raster.
bool ReadRasterInto(CMapCtrl &control, OBJHANDLE h, KrtRaster &raster)
{
    OBJectKernel *kernel = control.wndRes()->kernel;
    const char *locked = RasterObjectLock(kernel, h);
    if (!locked)
        return false;
    const RasterObjectData data = RasterRecordLoad(locked);
    const MAP_COORDRECT bound = BoundOf(kernel, h);
    raster.originX = bound.x1;
    raster.originY = bound.y1;
    raster.width = Saturate(int64_t(bound.x2) - bound.x1);
    raster.height = Saturate(int64_t(bound.y2) - bound.y1);
    raster.rasterScale = data.scale;
    raster.frameVisible = data.frameVisible != 0;
    raster.imageVisible = data.imageVisible != 0;
    raster.clipMode = data.clippingMode != 0;
    raster.fileName.assign(data.fileName, strnlen(data.fileName, sizeof data.fileName));
    const std::string format(data.formatName, strnlen(data.formatName, sizeof data.formatName));
    raster.fileFormat = RasterFormatNumber(format.c_str());
    int32_t pixelsX = 0, pixelsY = 0;
    if (RasterObjectPixelSize(kernel, h, &pixelsX, &pixelsY)) {
        const int unit = control.view() ? control.view()->projection.baseUnit : 0;
        const long scale = data.scale > 0 ? data.scale : RASTER_DEFAULT_SCALE;
        auto resolution = [&](int32_t pixels, int32_t size) {
            const double r = size > 0 ? ResOrDim(unit, pixels, size, 1, scale) : 0.0;
            return std::isfinite(r) && r > 0.0 ? r : 0.0;
        };
        raster.resolutionX = resolution(pixelsX, raster.width);
        raster.resolutionY = resolution(pixelsY, raster.height);
    }
    return true;
}

IDispatch *ReadRaster(CMapCtrl &control, OBJHANDLE h)
{
    auto *raster = new KrtRaster;
    if (!ReadRasterInto(control, h, *raster)) {
        raster->Release();
        return nullptr;
    }
    raster->map = MapLink(&control);
    raster->hObject = h;
    raster->hLayer = control.GetObjectLayer(h);
    return raster;
}

IDispatch *ReadLayer(CMapCtrl &control, OBJHANDLE h)
{
    _WNDRES *record = control.wndRes();
    int32_t number = 0, fill = 0, style = 0, width = 0;
    COLORREF colour = 0;
    uint16_t flags = 0, lineFlags = 0;
    char name[256] = {};
    if (GetOBJectClassID(record->kernel, h) != CLASS_LAYER)
        return nullptr;
    map_layer_Get(control.hwnd(), h, nullptr, nullptr, 0, &number, name, sizeof name, &colour, &fill, &style,
                  &width, &flags, &lineFlags);
    auto *layer = new KrtLayer;
    layer->map = MapLink(&control);
    layer->hObject = h;
    layer->number = number;
    layer->name = name;
    KrtLineStyle &line = layer->lineStyle();
    line.color = colour;
    line.style = style;
    line.width = width;
    line.flags = lineFlags;
    layer->flags = flags;
    layer->fillColor = uint32_t(fill) & 0x00FFFFFFu;
    const int32_t pattern = int32_t((uint32_t(fill) >> 24) & 0xFF);
    layer->fillPattern = pattern == 0xFF ? 0 : pattern;
    LayerZoomGet(record->kernel, h, &layer->visibleFromScale, &layer->visibleToScale);
    layer->order = LayerPlaceGet(record, h);
    layer->transparency = LayerTrnsparencyGet(record->kernel, h);
    return layer;
}

IDispatch *ReadGroup(CMapCtrl &control, OBJHANDLE h)
{
    OBJectKernel *kernel = control.wndRes()->kernel;
    auto *group = new KrtGroup;
    group->map = MapLink(&control);
    group->hObject = h;
    group->hLayer = 0;
    uint32_t length = 0;
    if (GroupNameGet(kernel, h, &length, nullptr, 0) && length > 0) {
        std::vector<char> buffer(size_t(length) + 2, '\0');
        GroupNameGet(kernel, h, &length, buffer.data(), uint32_t(buffer.size()));
        group->name = buffer.data();
    }
    group->parent = map_object_group_Get(control.hwnd(), h);
    return group;
}

bool HasMap(CMapCtrl &control) { return control.wndRes() && control.wndRes()->kernel; }

} // namespace

int AutomationObjectType(IDispatch *object)
{
    if (LibraryObjectAs<KrtPoly>(object))
        return kObjectTypePolyline;
    if (LibraryObjectAs<KrtText>(object))
        return kObjectTypeText;
    if (LibraryObjectAs<KrtLegend>(object))
        return kObjectTypeLegend;
    if (LibraryObjectAs<KrtRaster>(object))
        return kObjectTypeRaster;
    if (LibraryObjectAs<KrtLayer>(object))
        return kObjectTypeLayer;
    if (LibraryObjectAs<KrtGroup>(object))
        return kObjectTypeGroup;
    return kObjectTypeNone;
}

OBJHANDLE AutomationObjectHandle(IDispatch *object)
{
    if (auto *o = LibraryObjectAs<KrtPoly>(object))
        return o->hObject;
    if (auto *o = LibraryObjectAs<KrtText>(object))
        return o->hObject;
    if (auto *o = LibraryObjectAs<KrtLegend>(object))
        return o->hObject;
    if (auto *o = LibraryObjectAs<KrtRaster>(object))
        return o->hObject;
    if (auto *o = LibraryObjectAs<KrtLayer>(object))
        return o->hObject;
    if (auto *o = LibraryObjectAs<KrtGroup>(object))
        return o->hObject;
    return 0;
}

OBJHANDLE KrtObjectFromAutomation(CMapCtrl &control, IDispatch *object)
{
    if (!HasMap(control))
        return 0;
    if (auto *poly = LibraryObjectAs<KrtPoly>(object))
        return CreatePoly(control, *poly);
    if (auto *text = LibraryObjectAs<KrtText>(object))
        return CreateText(control, *text);
    if (auto *raster = LibraryObjectAs<KrtRaster>(object))
        return CreateRaster(control, *raster);
    if (auto *layer = LibraryObjectAs<KrtLayer>(object))
        return CreateLayer(control, *layer);
    if (auto *group = LibraryObjectAs<KrtGroup>(object))
        return CreateGroup(control, *group);
    // Legends are made from presentations, which the engine does not keep
    // yet: a KrtLegend creates nothing.
    if (AutomationObjectType(object) == kObjectTypeNone)
        RefuseUntyped(control, object);
    return 0;
}

OBJHANDLE KrtObjectUpdateEngine(CMapCtrl &control, IDispatch *object)
{
    if (!HasMap(control))
        return 0;
    if (auto *poly = LibraryObjectAs<KrtPoly>(object))
        return UpdatePoly(control, *poly);
    if (auto *text = LibraryObjectAs<KrtText>(object))
        return UpdateText(control, *text);
    if (auto *raster = LibraryObjectAs<KrtRaster>(object))
        return UpdateRaster(control, *raster);
    if (auto *layer = LibraryObjectAs<KrtLayer>(object))
        return UpdateLayer(control, *layer);
    if (auto *group = LibraryObjectAs<KrtGroup>(object))
        return UpdateGroup(control, *group);
    return 0;
}

IDispatch *KrtObjectReadEngine(CMapCtrl &control, OBJHANDLE object)
{
    if (!HasMap(control) || !object)
        return nullptr;
    switch (control.GetObjectType(object)) {
    case kObjectTypePolyline:
        return ReadPoly(control, object, true);
    case kObjectTypePolygon:
        return ReadPoly(control, object, false);
    case kObjectTypeText:
        return ReadText(control, object);
    case kObjectTypeRaster:
        return ReadRaster(control, object);
    case kObjectTypeLayer:
        return ReadLayer(control, object);
    case kObjectTypeGroup:
        return ReadGroup(control, object);
    default:
        return nullptr;
    }
}

int KrtObjectDeleteEngine(CMapCtrl &control, OBJHANDLE object)
{
    // Only map objects: a number that names a root or an internal object of
    // the store deletes nothing.
    if (!HasMap(control) || !object)
        return 0;
    const int type = control.GetObjectType(object);
    if (type == kObjectTypeNone)
        return 0;
    OBJectKernel *kernel = control.wndRes()->kernel;
    // The layer groups' root holds every layer: deleting it would empty the
    // map, so it stays.
    if (type == kObjectTypeGroup && LG_RootGet(kernel, object) == object)
        return 0;
    control.StopDrawingThread();
    const MAP_COORDRECT old = BoundOf(kernel, object);
    if (type == kObjectTypeLayer) {
        Undo_DeleteTree(kernel, object);
        Undo_SetNewStep(control.hwnd(), kernel, kStepDeleteLayer);
    } else {
        map_objects_Delete(control.hwnd(), &object, 1, 0);
    }
    MarkMapModified(control);
    InvalidateRect(control, old);
    return 0;
}

int KrtObjectMoveEngine(CMapCtrl &control, OBJHANDLE object, int32_t dx, int32_t dy)
{
    if (!HasMap(control) || !object)
        return 0;
    control.StopDrawingThread();
    InvalidateObject(control, object);
    const int moved = map_objects_Move(control.hwnd(), &object, 1, dx, dy, 1);
    InvalidateObject(control, object);
    if (moved)
        MarkMapModified(control);
    return moved;
}

int InvalidateObject(CMapCtrl &control, OBJHANDLE object)
{
    if (HasMap(control) && object)
        InvalidateRect(control, BoundOf(control.wndRes()->kernel, object));
    return 0;
}

int MoveObjectToLayer(CMapCtrl &control, OBJHANDLE object, OBJHANDLE layer)
{
    if (!HasMap(control) || !object)
        return 0;
    control.StopDrawingThread();
    const int done = map_layer_Set(control.hwnd(), layer, &object, 1, -1, nullptr, 0xFFFFFFFF, -1, -1, -1,
                                   LDF_OWN_STATE, LAYER_FLAGS_KEEP, 0, 0);
    if (done)
        MarkMapModified(control);
    return done;
}

void MarkMapModified(CMapCtrl &control)
{
    if (control.wndRes())
        control.wndRes()->flags |= WNDRES_MODIFIED;
}
