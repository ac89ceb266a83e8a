// The typed bridge to the map control and its automation objects. Each
// class holds one dispatch reference (or none) and calls its members by
// name through the automation layer; texts are Windows-1252. Objects read
// through a property are free-standing copies: a change reaches the map only
// when the copy is written back through the same property. A failing call
// throws ControlException with the control's error number and text.
#pragma once

#include "platform/automation_dispatch.h"

#include <QWidget>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

class ControlException : public std::runtime_error {
public:
    ControlException(int32_t code, const std::string &text);
    // The control's error number, or the failure code of the call.
    int32_t code() const { return code_; }
    const std::string &text() const { return text_; }

private:
    int32_t code_;
    std::string text_;
};

// The class id of the map control and of its event interface.
inline constexpr CLSID kMapControlClsid = {
    0x2CD73567, 0x4AC1, 0x11D1, {0x85, 0xD5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};
inline constexpr IID kMapEventsIid = {
    0x2CD73566, 0x4AC1, 0x11D1, {0x85, 0xD5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};

// Object types of IKrtObject.ObjectType.
enum KrtObjectType : int32_t {
    otNone = 0,
    otPolyline = 1,
    otPolygon = 2,
    otText = 3,
    otLegend = 4,
    otRaster = 5,
    otPage = 6,
    otNail = 7,
    otPresentation = 8,
    otLayer = 17,
    otGroup = 33,
};

// A text's font as the editor passes it: face, point size and colour.
struct TFontSpec {
    std::string Name;
    int32_t Size = 8;
    int32_t Color = 0;
};

// A dispatch reference with calls by name; "none" when it holds nothing.
class KrtDispatch {
public:
    KrtDispatch() = default;
    explicit KrtDispatch(ComPtr<IDispatch> object) : object_(std::move(object)) {}

    IDispatch *get() const { return object_.get(); }
    bool IsNone() const { return !object_; }
    explicit operator bool() const { return bool(object_); }
    // Whether the object answers a member of that name.
    bool HasMember(std::string_view name) const;

    Variant Get(std::string_view name, std::initializer_list<Variant> args = {}) const;
    void Put(std::string_view name, const Variant &value) const;
    Variant Call(std::string_view name, std::initializer_list<Variant> args = {}) const;

    int32_t GetLong(std::string_view name) const;
    double GetDouble(std::string_view name) const;
    bool GetBool(std::string_view name) const;
    std::string GetString(std::string_view name) const;
    ComPtr<IDispatch> GetObject(std::string_view name) const;
    void PutLong(std::string_view name, int32_t v) const { Put(name, VariantFromLong(v)); }
    void PutDouble(std::string_view name, double v) const { Put(name, VariantFromDouble(v)); }
    void PutBool(std::string_view name, bool v) const { Put(name, VariantFromBool(v)); }
    void PutString(std::string_view name, std::string_view v) const { Put(name, VariantFromString(v)); }
    void PutObject(std::string_view name, const KrtDispatch &v) const
    {
        Put(name, VariantFromDispatch(v.get()));
    }

    // A new free-standing object by ProgID; throws when it cannot be made.
    static ComPtr<IDispatch> Create(std::string_view progId);

protected:
    Variant Invoke(std::string_view name, WORD flags, std::initializer_list<Variant> args) const;
    ComPtr<IDispatch> object_;
};

// Typed values converted from a call's result.
int32_t VariantLong(const Variant &v);
double VariantDouble(const Variant &v);
bool VariantBool(const Variant &v);
std::string VariantString(const Variant &v);
ComPtr<IDispatch> VariantObject(const Variant &v);

class IKrtPoint : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    static IKrtPoint New(); // "KRTLib.KRTPoint"
    int32_t x() const { return GetLong("x"); }
    int32_t y() const { return GetLong("y"); }
    void Putx(int32_t v) const { PutLong("x", v); }
    void Puty(int32_t v) const { PutLong("y", v); }
};

class IKrtRect : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    static IKrtRect New(); // "KRTLib.KRTRect"
    int32_t left() const { return GetLong("left"); }
    int32_t top() const { return GetLong("top"); }
    int32_t right() const { return GetLong("right"); }
    int32_t bottom() const { return GetLong("bottom"); }
    void Putleft(int32_t v) const { PutLong("left", v); }
    void Puttop(int32_t v) const { PutLong("top", v); }
    void Putright(int32_t v) const { PutLong("right", v); }
    void Putbottom(int32_t v) const { PutLong("bottom", v); }
};

class IKrtPoints : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    int32_t Count() const { return GetLong("Count"); }
    IKrtPoint Item(int32_t index) const;
    void AddXY(int32_t x, int32_t y) const;
};

class IKrtPoly : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    static IKrtPoly New(); // "KRTLib.KRTPoly"
    bool IsPolyline() const { return GetBool("IsPolyline"); }
    void PutIsPolyline(bool v) const { PutBool("IsPolyline", v); }
    IKrtPoints Points() const { return IKrtPoints(GetObject("Points")); }
};

class IKrtLineStyle : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    int32_t Color() const { return GetLong("Color"); }
    int32_t Width() const { return GetLong("Width"); }
    bool WidthInUnits() const { return GetBool("WidthInUnits"); }
    int32_t Style() const { return GetLong("Style"); }
    void PutColor(int32_t v) const { PutLong("Color", v); }
    void PutWidth(int32_t v) const { PutLong("Width", v); }
    void PutWidthInUnits(bool v) const { PutBool("WidthInUnits", v); }
    void PutStyle(int32_t v) const { PutLong("Style", v); }
};

// The platform's standard font object ("StdFont"): face, size in points
// (a currency value), style and character set.
class IStdFont : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    static IStdFont New(); // "StdFont"
    // A font of that face and size (whole points), plain.
    static IStdFont Of(std::string_view name, int32_t points);
    std::string Name() const { return GetString("Name"); }
    // The size in points, as the control reads a font: fractions from .8 up
    // count as the next point.
    int32_t Size() const;
    bool Bold() const { return GetBool("Bold"); }
    void PutName(std::string_view v) const { PutString("Name", v); }
    void PutSize(int32_t points) const;
    void PutBold(bool v) const { PutBool("Bold", v); }
};

class IKrtObjects;
class IKrtGroup;

class IKrtLayer : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    static IKrtLayer New(); // "KRTLib.KRTLayer"
    std::string Name() const { return GetString("Name"); }
    int32_t Number() const { return GetLong("Number"); }
    bool Visible() const { return GetBool("Visible"); }
    bool Selectable() const { return GetBool("Selectable"); }
    bool Active() const { return GetBool("Active"); }
    bool NoFillColor() const { return GetBool("NoFillColor"); }
    int32_t FillColor() const { return GetLong("FillColor"); }
    int32_t Transparency() const { return GetLong("Transparency"); }
    int32_t Order() const { return GetLong("Order"); }
    int32_t FillHatch() const { return GetLong("FillHatch"); }
    double VisibleFromScale() const { return GetDouble("VisibleFromScale"); }
    double VisibleToScale() const { return GetDouble("VisibleToScale"); }
    IKrtLineStyle LineStyle() const { return IKrtLineStyle(GetObject("LineStyle")); }
    IKrtGroup Theme() const;
    IKrtObjects Objects() const;
    int32_t hObject() const { return GetLong("hObject"); }
    void PutName(std::string_view v) const { PutString("Name", v); }
    void PutNumber(int32_t v) const { PutLong("Number", v); }
    void PutVisible(bool v) const { PutBool("Visible", v); }
    void PutSelectable(bool v) const { PutBool("Selectable", v); }
    void PutActive(bool v) const { PutBool("Active", v); }
    void PutNoFillColor(bool v) const { PutBool("NoFillColor", v); }
    void PutFillColor(int32_t v) const { PutLong("FillColor", v); }
    void PutTransparency(int32_t v) const { PutLong("Transparency", v); }
    void PutOrder(int32_t v) const { PutLong("Order", v); }
    void PutFillHatch(int32_t v) const { PutLong("FillHatch", v); }
    void PutVisibleFromScale(double v) const { PutDouble("VisibleFromScale", v); }
    void PutVisibleToScale(double v) const { PutDouble("VisibleToScale", v); }
    void PutLineStyle(const IKrtLineStyle &v) const { PutObject("LineStyle", v); }
    void PutTheme(const IKrtGroup &v) const;
};

class IKrtText : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    static IKrtText New(); // "KRTLib.KRTText"
    std::string Text() const { return GetString("Text"); }
    IKrtPoint Position() const { return IKrtPoint(GetObject("Position")); }
    IStdFont Font() const { return IStdFont(GetObject("Font")); }
    std::string FontName() const { return GetString("FontName"); }
    int32_t Size() const { return GetLong("Size"); }
    int32_t Color() const { return GetLong("Color"); }
    bool UseLayerColor() const { return GetBool("UseLayerColor"); }
    int32_t HorizontalAlignment() const { return GetLong("HorizontalAlignment"); }
    int32_t VerticalAlignment() const { return GetLong("VerticalAlignment"); }
    int32_t LockTo() const { return GetLong("LockTo"); }
    int32_t Escapement() const { return GetLong("Escapement"); }
    bool IsDerivedFromID() const { return GetBool("IsDerivedFromID"); }
    void PutText(std::string_view v) const { PutString("Text", v); }
    void PutPosition(const IKrtPoint &v) const { PutObject("Position", v); }
    void PutFont(const IStdFont &v) const { PutObject("Font", v); }
    void PutFontName(std::string_view v) const { PutString("FontName", v); }
    void PutSize(int32_t v) const { PutLong("Size", v); }
    void PutColor(int32_t v) const { PutLong("Color", v); }
    void PutUseLayerColor(bool v) const { PutBool("UseLayerColor", v); }
    void PutHorizontalAlignment(int32_t v) const { PutLong("HorizontalAlignment", v); }
    void PutVerticalAlignment(int32_t v) const { PutLong("VerticalAlignment", v); }
    void PutLockTo(int32_t v) const { PutLong("LockTo", v); }
    void PutEscapement(int32_t v) const { PutLong("Escapement", v); }
    void PutIsDerivedFromID(bool v) const { PutBool("IsDerivedFromID", v); }
};

class IKrtRaster : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    static IKrtRaster New(); // "KRTLib.KRTRaster"
    std::string FileName() const { return GetString("FileName"); }
    int32_t OriginX() const { return GetLong("OriginX"); }
    int32_t OriginY() const { return GetLong("OriginY"); }
    int32_t Width() const { return GetLong("Width"); }
    int32_t Height() const { return GetLong("Height"); }
    int32_t FileFormat() const { return GetLong("FileFormat"); }
    void PutFileName(std::string_view v) const { PutString("FileName", v); }
    void PutOriginX(int32_t v) const { PutLong("OriginX", v); }
    void PutOriginY(int32_t v) const { PutLong("OriginY", v); }
    void PutWidth(int32_t v) const { PutLong("Width", v); }
    void PutHeight(int32_t v) const { PutLong("Height", v); }
    void PutFileFormat(int32_t v) const { PutLong("FileFormat", v); }
};

class IKrtObject : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    int32_t hObject() const { return GetLong("hObject"); }
    int32_t hLayer() const { return GetLong("hLayer"); }
    int32_t hGroup() const { return GetLong("hGroup"); }
    int32_t ObjectType() const { return GetLong("ObjectType"); }
    bool IsSelected() const { return GetBool("IsSelected"); }
    std::string PrimaryID() const { return GetString("PrimaryID"); }
    std::string SecondaryID() const { return GetString("SecondaryID"); }
    int32_t GetHPrimaryID() const { return VariantLong(Call("GetHPrimaryID")); }
    int32_t GetHSecondaryID() const { return VariantLong(Call("GetHSecondaryID")); }
    IKrtPoly Poly() const { return IKrtPoly(GetObject("Poly")); }
    IKrtText Text() const { return IKrtText(GetObject("Text")); }
    IKrtLayer Layer() const { return IKrtLayer(GetObject("Layer")); }
    IKrtGroup Group() const;
    IKrtRaster Raster() const { return IKrtRaster(GetObject("Raster")); }
    IKrtRect BoundingRectangle() const { return IKrtRect(GetObject("BoundingRectangle")); }
    double Area() const { return GetDouble("Area"); }
    void PuthLayer(int32_t v) const { PutLong("hLayer", v); }
    void PutIsSelected(bool v) const { PutBool("IsSelected", v); }
    void PutPrimaryID(std::string_view v) const { PutString("PrimaryID", v); }
    void PutSecondaryID(std::string_view v) const { PutString("SecondaryID", v); }
    void SetPrimaryIDEx(std::string_view id, bool visible) const;
    void SetSecondaryIDEx(std::string_view id, bool visible) const;
    void PutText(const IKrtText &v) const { PutObject("Text", v); }
    void PutLayer(const IKrtLayer &v) const { PutObject("Layer", v); }
    void PutGroup(const IKrtGroup &v) const;
    void PutRaster(const IKrtRaster &v) const { PutObject("Raster", v); }
    void Move(int32_t x, int32_t y) const;
    void Repaint() const { Call("Repaint"); }
};

class IKrtObjects : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    int32_t Count() const { return GetLong("Count"); }
    IKrtRect BoundingRectangle() const { return IKrtRect(GetObject("BoundingRectangle")); }
    // By handle, or by a layer name / primary identifier.
    IKrtObject Item(int32_t handle) const;
    IKrtObject Item(std::string_view key) const;
    // The collection's enumerator (none when it gives none).
    ComPtr<IUnknown> NewEnum() const;
    int32_t Add(const KrtDispatch &object) const;
    int32_t Remove(int32_t handle) const;
};

class IKrtGroup : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    static IKrtGroup New(); // "KRTLib.KRTGroup"
    std::string Name() const { return GetString("Name"); }
    void PutName(std::string_view v) const { PutString("Name", v); }
    IKrtObjects Objects() const { return IKrtObjects(GetObject("Objects")); }
    int32_t hObject() const { return GetLong("hObject"); }
};

class IKrtSelection : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    IKrtObjects Objects() const { return IKrtObjects(GetObject("Objects")); }
    double Length() const { return GetDouble("Length"); }
    double Area() const { return GetDouble("Area"); }
    IKrtRect BoundingRectangle() const { return IKrtRect(GetObject("BoundingRectangle")); }
};

class IKrtPaper : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    std::string Name() const { return GetString("Name"); }
    int32_t Identifier() const { return GetLong("Identifier"); }
    int32_t SizeX() const { return GetLong("SizeX"); }
    int32_t SizeY() const { return GetLong("SizeY"); }
    void PutSizeX(int32_t v) const { PutLong("SizeX", v); }
    void PutSizeY(int32_t v) const { PutLong("SizeY", v); }
};

class IKrtPapers : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    int32_t Count() const { return GetLong("Count"); }
    // By index from 0, or the first paper whose name holds the text; none
    // when nothing is found.
    IKrtPaper Item(int32_t index) const;
    IKrtPaper Item(std::string_view name) const;
};

class IKrtPage : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    int32_t Width() const { return GetLong("Width"); }
    int32_t Height() const { return GetLong("Height"); }
    int32_t OriginX() const { return GetLong("OriginX"); }
    int32_t OriginY() const { return GetLong("OriginY"); }
    bool IsPortrait() const { return GetBool("IsPortrait"); }
    int32_t MarginLeft() const { return GetLong("MarginLeft"); }
    int32_t MarginRight() const { return GetLong("MarginRight"); }
    int32_t MarginTop() const { return GetLong("MarginTop"); }
    int32_t MarginBottom() const { return GetLong("MarginBottom"); }
    double Scale() const { return GetDouble("Scale"); }
    IKrtPaper Paper() const { return IKrtPaper(GetObject("Paper")); }
    IKrtPapers Papers() const { return IKrtPapers(GetObject("Papers")); }
    void PutWidth(int32_t v) const { PutLong("Width", v); }
    void PutHeight(int32_t v) const { PutLong("Height", v); }
    void PutOriginX(int32_t v) const { PutLong("OriginX", v); }
    void PutOriginY(int32_t v) const { PutLong("OriginY", v); }
    void PutIsPortrait(bool v) const { PutBool("IsPortrait", v); }
    void PutMarginLeft(int32_t v) const { PutLong("MarginLeft", v); }
    void PutMarginRight(int32_t v) const { PutLong("MarginRight", v); }
    void PutMarginTop(int32_t v) const { PutLong("MarginTop", v); }
    void PutMarginBottom(int32_t v) const { PutLong("MarginBottom", v); }
    void PutScale(double v) const { PutDouble("Scale", v); }
    void PutPaper(const IKrtPaper &v) const { PutObject("Paper", v); }
    void FitToObjects(bool selected, bool printable, int32_t horizontal, int32_t vertical) const;
};

class IKrtUndoRedo : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    void BeginStep() const { Call("BeginStep"); }
    void EndStep(int32_t step) const { Call("EndStep", {VariantFromLong(step)}); }
    // Forgets every step: nothing to undo or redo.
    void Clear() const { Call("Clear"); }
};

// The map control (IMap), made by class id.
class IMap : public KrtDispatch {
public:
    using KrtDispatch::KrtDispatch;
    // Throws when the class cannot be created.
    static IMap Create(const CLSID &clsid = kMapControlClsid);
    // The control's widget (the control keeps owning it); null without one.
    QWidget *Widget() const;

    int32_t Open(std::string_view fileName) const;
    int32_t Save(std::string_view fileName) const;
    int32_t Command(int32_t command) const;
    int32_t Export(int32_t sheetWindow) const;
    int32_t ExportEx(std::string_view exportName, std::string_view fileName, bool showDialog) const;
    int32_t ImportEx(std::string_view importName, std::string_view fileName, bool showDialog) const;
    int32_t UnitsGet(int32_t which) const;
    void UnitsSet(int32_t which, int32_t unit) const;
    std::string UnitStringGet(int32_t unit, bool shortString) const;
    void Zoom(const IKrtRect &rect, bool zoomIn) const;
    void WindowToMap(const IKrtPoint &window, const IKrtPoint &map) const;
    bool Buffering(int32_t size, int32_t segments, int32_t endings, int32_t corners, int32_t type,
                   int32_t parallelLength, int32_t calculation) const;
    IKrtObjects MapObjects() const { return IKrtObjects(GetObject("MapObjects")); }
    IKrtObjects MapLayers() const { return IKrtObjects(GetObject("MapLayers")); }
    IKrtSelection Selection() const { return IKrtSelection(GetObject("Selection")); }
    IKrtPage Page() const { return IKrtPage(GetObject("Page")); }
    void PutPage(const IKrtPage &page) const { PutObject("Page", page); }
    IKrtUndoRedo UndoRedo() const { return IKrtUndoRedo(GetObject("UndoRedo")); }
    bool IsModified() const { return GetBool("IsModified"); }
    void PutIsModified(bool v) const { PutBool("IsModified", v); }
    bool OffscreenDrawing() const { return GetBool("OffscreenDrawing"); }
    void PutOffscreenDrawing(bool v) const { PutBool("OffscreenDrawing", v); }
    // The window shows the whole map as it stands: no drawing is under way
    // or due. Reading it stops no drawing.
    bool PictureComplete() const { return GetBool("PictureComplete"); }
};

// The layer values of an object's layer: a layer object's own, any other
// object's through its hLayer in the map's layer collection (an object's
// Layer property is a copy of the object itself). None without a layer.
IKrtLayer ObjectLayer(const IKrtObject &object, const IMap &map);

// The control's events, as a host hears them. Each does nothing unless
// overridden.
class IMapEvents {
public:
    virtual ~IMapEvents() = default;
    virtual void MouseEvent(int32_t x, int32_t y, int32_t eventId, int32_t flags);
    virtual void SelectionChanged(int32_t count);
    virtual void DisplayScaleChanged(double scale);
    virtual void Progress(int32_t operationId, int32_t progress);
    virtual void UndoRedoCaption(int32_t undoOrRedo, int32_t tool);
    virtual void HelpCall(int32_t helpId);
    virtual void ObjectAddEvent(int32_t handle);
};

// Dispatch ids of IMapEvents that a host hears.
enum MapEventId : DISPID {
    kEventMouse = 8,
    kEventSelectionChanged = 9,
    kEventDisplayScaleChanged = 10,
    kEventProgress = 11,
    kEventUndoRedoCaption = 12,
    kEventHelpCall = 13,
    kEventObjectAdd = 14,
};

// One advised connection from a control's event interface to a sink; it
// unadvises when it goes. The sink must outlive the connection.
class MapEventConnection {
public:
    MapEventConnection() = default;
    MapEventConnection(const MapEventConnection &) = delete;
    MapEventConnection &operator=(const MapEventConnection &) = delete;
    ~MapEventConnection();
    // Throws when the control has no event interface.
    void Connect(const IMap &map, IMapEvents *sink);
    void Disconnect();
    bool connected() const { return bool(point_); }

private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};
