// A fake map control for the editor's tests: an in-process automation server
// that answers the members the editor calls (the map, its objects, layers,
// groups, selection, page, units and undo steps) and raises the control's
// events in their order, also from inside a call. Three members exist only
// here: FakeFailNext (code, text) makes the next call of the document throw
// that error, FakeSaveFails (property) makes saves leave a half-written file
// and fail, and FakeRasterTries lists the file formats that raster adds
// tried ("2,0,3"). Open and Save read and write a small file of its own.
#include "fake_control_ids.h"
#include "fake_document.h"

#include "platform/automation_control.h"
#include "platform/automation_creation.h"
#include "platform/automation_enum.h"
#include "platform/automation_server.h"
#include "platform/module.h"

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <cmath>
#include <memory>

using namespace fake;

namespace {

using O = DispatchObject;
using C = MemberCall;
using DocPtr = std::shared_ptr<Document>;

constexpr DISPID kMouseEvent = 8;

ServerModule &Module()
{
    static ServerModule module;
    return module;
}

// Class ids of the fake's classes: the control and the free-standing objects.
constexpr GUID FakeGuid(uint8_t n)
{
    return {0x6F1E2A10u + n, 0x7C3B, 0x4D5E, {0x9A, 0x0B, 0x1C, 0x2D, 0x3E, 0x4F, 0x50, 0x61}};
}

MemberInfo P(const char *name, VARTYPE type, MemberHandler get, MemberHandler put = {})
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = type,
            .get = std::move(get),
            .put = std::move(put)};
}

MemberInfo M(const char *name, VARTYPE result, std::vector<VARTYPE> params, MemberHandler get,
             int optional = 0)
{
    return {.name = name,
            .kind = MemberKind::Method,
            .type = result,
            .params = std::move(params),
            .optionalParams = optional,
            .get = std::move(get)};
}

template <class T>
T &S(O &o)
{
    return static_cast<T &>(o);
}

template <class T>
T *As(IDispatch *d)
{
    return dynamic_cast<T *>(d);
}

std::shared_ptr<const MemberTable> MakeTable(ClassInfo info)
{
    return std::make_shared<const MemberTable>(info);
}

// The new value of a put of a text property.
std::string Str(const C &c) { return BstrToWindows1252(c.value().bstrVal); }

[[noreturn]] void Fail(int32_t code, const std::string &text) { throw AutomationException(code, text); }

// Objects that belong to a document: every call first honours FakeFailNext.
class DocObject : public DispatchObject {
public:
    DocObject(std::shared_ptr<const MemberTable> table, DocPtr doc)
        : DispatchObject(std::move(table)), doc(doc)
    {
    }
    HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS &params, VARIANT *result, EXCEPINFO *exception,
                   UINT *argErr) override
    {
        if (doc && doc->failNextCode != 0) {
            const AutomationException e(doc->failNextCode, doc->failNextText);
            doc->failNextCode = 0;
            e.Fill(exception, "FakeKrt");
            return DISP_E_EXCEPTION;
        }
        return DispatchObject::Invoke(id, flags, params, result, exception, argErr);
    }
    DocPtr doc;
};

Obj &Live(const DocPtr &doc, int32_t handle)
{
    Obj *o = doc ? doc->Find(handle) : nullptr;
    if (!o)
        Fail(1001, "The object does not exist");
    return *o;
}

// --- Points and rectangles -------------------------------------------------------

class FakePoint : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t =
            MakeTable({.className = "KRTPoint",
                       .progId = "KRTLib.KRTPoint",
                       .clsid = FakeGuid(1),
                       .interfaceName = "IKrtPoint",
                       .members = {P(
                                       "x", VT_I4, [](O &o, C &c) { c.SetLong(S<FakePoint>(o).p.x); },
                                       [](O &o, C &c) { S<FakePoint>(o).p.x = c.value().lVal; }),
                                   P(
                                       "y", VT_I4, [](O &o, C &c) { c.SetLong(S<FakePoint>(o).p.y); },
                                       [](O &o, C &c) { S<FakePoint>(o).p.y = c.value().lVal; })}});
        return t;
    }
    explicit FakePoint(Pt at = {}) : DispatchObject(Table()), p(at) {}
    Pt p;
};

class FakeRect : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t =
            MakeTable({.className = "KRTRect",
                       .progId = "KRTLib.KRTRect",
                       .clsid = FakeGuid(2),
                       .interfaceName = "IKrtRect",
                       .members = {Field("left", &Rect::left), Field("top", &Rect::top),
                                   Field("right", &Rect::right), Field("bottom", &Rect::bottom)}});
        return t;
    }
    explicit FakeRect(Rect at = {}) : DispatchObject(Table()), r(at) {}
    Rect r;

private:
    static MemberInfo Field(const char *name, int32_t Rect::*field)
    {
        return P(
            name, VT_I4, [field](O &o, C &c) { c.SetLong(S<FakeRect>(o).r.*field); },
            [field](O &o, C &c) { S<FakeRect>(o).r.*field = c.value().lVal; });
    }
};

IDispatch *NewRect(const Rect &r) { return new FakeRect(r); }

// --- Polys -------------------------------------------------------------------------

using PointList = std::shared_ptr<std::vector<Pt>>;

class FakePoints : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t =
            MakeTable({.className = "KRTPoints",
                       .interfaceName = "IKrtPoints",
                       .members = {P("Count", VT_I4,
                                     [](O &o, C &c) { c.SetLong(int32_t(S<FakePoints>(o).points->size())); }),
                                   {.name = "Item",
                                    .kind = MemberKind::Property,
                                    .type = VT_DISPATCH,
                                    .params = {VT_I4},
                                    .get =
                                        [](O &o, C &c) {
                                            const auto &list = *S<FakePoints>(o).points;
                                            const int32_t i = c.Long(0);
                                            if (i < 0 || size_t(i) >= list.size())
                                                Fail(1002, "Index out of range");
                                            c.SetDispatch(new FakePoint(list[size_t(i)]));
                                        },
                                    .isDefault = true},
                                   M("AddXY", VT_EMPTY, {VT_I4, VT_I4}, [](O &o, C &c) {
                                       S<FakePoints>(o).points->push_back({c.Long(0), c.Long(1)});
                                   })}});
        return t;
    }
    explicit FakePoints(PointList list) : DispatchObject(Table()), points(std::move(list)) {}
    PointList points;
};

class FakePoly : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t = MakeTable(
            {.className = "KRTPoly",
             .progId = "KRTLib.KRTPoly",
             .clsid = FakeGuid(3),
             .interfaceName = "IKrtPoly",
             .members = {P(
                             "IsPolyline", VT_BOOL, [](O &o, C &c) { c.SetBool(S<FakePoly>(o).isPolyline); },
                             [](O &o, C &c) { S<FakePoly>(o).isPolyline = c.value().boolVal != 0; }),
                         P("Points", VT_DISPATCH,
                           [](O &o, C &c) { c.SetDispatch(new FakePoints(S<FakePoly>(o).points)); })}});
        return t;
    }
    FakePoly() : DispatchObject(Table()) {}
    PointList points = std::make_shared<std::vector<Pt>>();
    bool isPolyline = true; // a new poly is an open polyline, as on the control
    DocPtr sourceDoc;
    int32_t source = 0;
};

// --- Texts and rasters -------------------------------------------------------------

// A standard font object of the text's face and size.
IDispatch *NewFont(const TextData &d)
{
    IDispatch *font = nullptr;
    if (FAILED(CreateObject("StdFont", IDispatch::kIid, reinterpret_cast<void **>(&font))) || !font)
        Fail(1008, "No standard font object");
    PutByName(font, "Name", VariantFromString(d.fontName), nullptr);
    Variant size;
    size.vt = VT_CY;
    size.cyVal.int64 = int64_t(d.size) * 10000;
    PutByName(font, "Size", size, nullptr);
    return font;
}

// Face and size (whole points, .8 and up rounding up) from a font object.
void ReadFont(IDispatch *font, TextData &d)
{
    if (!font)
        Fail(1008, "Not a font");
    HRESULT hr = S_OK;
    Variant name = CallByName(font, "Name", DISPATCH_PROPERTYGET, {}, &hr, nullptr);
    Variant size = CallByName(font, "Size", DISPATCH_PROPERTYGET, {}, &hr, nullptr);
    Variant cy;
    if (FAILED(hr) || name.vt != VT_BSTR || FAILED(VariantChangeType(&cy, &size, 0, VT_CY)))
        Fail(1008, "Not a font");
    d.fontName = BstrToWindows1252(name.bstrVal);
    d.size = int32_t((cy.cyVal.int64 + 2000) / 10000);
}

class FakeText : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t = MakeTable(
            {.className = "KRTText",
             .progId = "KRTLib.KRTText",
             .clsid = FakeGuid(4),
             .interfaceName = "IKrtText",
             .members = {P(
                             "Text", VT_BSTR, [](O &o, C &c) { c.SetString(S<FakeText>(o).d.text); },
                             [](O &o, C &c) { S<FakeText>(o).d.text = Str(c); }),
                         P(
                             "Position", VT_DISPATCH,
                             [](O &o, C &c) { c.SetDispatch(new FakePoint(S<FakeText>(o).d.position)); },
                             [](O &o, C &c) {
                                 auto *p = As<FakePoint>(c.value().pdispVal);
                                 if (!p)
                                     Fail(1003, "Not a point");
                                 S<FakeText>(o).d.position = p->p;
                             }),
                         P(
                             "Font", VT_DISPATCH,
                             [](O &o, C &c) { c.SetDispatch(NewFont(S<FakeText>(o).d)); },
                             [](O &o, C &c) { ReadFont(c.value().pdispVal, S<FakeText>(o).d); }),
                         P(
                             "FontName", VT_BSTR, [](O &o, C &c) { c.SetString(S<FakeText>(o).d.fontName); },
                             [](O &o, C &c) { S<FakeText>(o).d.fontName = Str(c); }),
                         Long("Size", &TextData::size), Long("Color", &TextData::color),
                         Bool("UseLayerColor", &TextData::useLayerColor),
                         Long("HorizontalAlignment", &TextData::horizontalAlignment),
                         Long("VerticalAlignment", &TextData::verticalAlignment),
                         Long("LockTo", &TextData::lockTo), Long("Escapement", &TextData::escapement),
                         Bool("IsDerivedFromID", &TextData::isDerivedFromID)}});
        return t;
    }
    FakeText() : DispatchObject(Table()) {}
    TextData d;
    DocPtr sourceDoc;
    int32_t source = 0;

private:
    static MemberInfo Long(const char *name, int32_t TextData::*f)
    {
        return P(
            name, VT_I4, [f](O &o, C &c) { c.SetLong(S<FakeText>(o).d.*f); },
            [f](O &o, C &c) { S<FakeText>(o).d.*f = c.value().lVal; });
    }
    static MemberInfo Bool(const char *name, bool TextData::*f)
    {
        return P(
            name, VT_BOOL, [f](O &o, C &c) { c.SetBool(S<FakeText>(o).d.*f); },
            [f](O &o, C &c) { S<FakeText>(o).d.*f = c.value().boolVal != 0; });
    }
};

class FakeRaster : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t = MakeTable(
            {.className = "KRTRaster",
             .progId = "KRTLib.KRTRaster",
             .clsid = FakeGuid(5),
             .interfaceName = "IKrtRaster",
             .members = {P(
                             "FileName", VT_BSTR,
                             [](O &o, C &c) { c.SetString(S<FakeRaster>(o).d.fileName); },
                             [](O &o, C &c) { S<FakeRaster>(o).d.fileName = Str(c); }),
                         Long("OriginX", &RasterData::originX), Long("OriginY", &RasterData::originY),
                         Long("Width", &RasterData::width), Long("Height", &RasterData::height),
                         Long("ClipMode", &RasterData::clipMode), Long("FileFormat", &RasterData::fileFormat),
                         Double("RasterScale", &RasterData::rasterScale),
                         Double("ResolutionX", &RasterData::resolutionX),
                         Double("ResolutionY", &RasterData::resolutionY)}});
        return t;
    }
    FakeRaster() : DispatchObject(Table()) {}
    RasterData d;
    DocPtr sourceDoc;
    int32_t source = 0;

private:
    static MemberInfo Long(const char *name, int32_t RasterData::*f)
    {
        return P(
            name, VT_I4, [f](O &o, C &c) { c.SetLong(S<FakeRaster>(o).d.*f); },
            [f](O &o, C &c) { S<FakeRaster>(o).d.*f = c.value().lVal; });
    }
    static MemberInfo Double(const char *name, double RasterData::*f)
    {
        return P(
            name, VT_R8, [f](O &o, C &c) { c.SetDouble(S<FakeRaster>(o).d.*f); },
            [f](O &o, C &c) { S<FakeRaster>(o).d.*f = c.value().dblVal; });
    }
};

// --- Collections -------------------------------------------------------------------

enum class Kind { MapObjects, MapLayers, LayerMembers, GroupMembers, Selection, Empty };

IDispatch *NewObject(const DocPtr &doc, int32_t handle);

class FakeObjects : public DocObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    FakeObjects(DocPtr doc, Kind kind, int32_t owner = 0)
        : DocObject(Table(), std::move(doc)), kind(kind), owner(owner)
    {
    }
    std::vector<int32_t> Members() const
    {
        switch (kind) {
        case Kind::MapObjects:
            return doc->MapObjects();
        case Kind::MapLayers:
            return doc->Layers();
        case Kind::LayerMembers:
            return doc->LayerMembers(owner);
        case Kind::GroupMembers:
            return doc->GroupMembers(owner);
        case Kind::Selection:
            return doc->state.selection;
        case Kind::Empty:
            break;
        }
        return {};
    }
    int32_t Add(IDispatch *object);
    Kind kind;
    int32_t owner;
};

// --- Layers and groups -------------------------------------------------------------

class FakeLineStyle : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t = MakeTable(
            {.className = "KRTLineStyle",
             .interfaceName = "IKrtLineStyle",
             .members = {Long("Color", &LineStyleData::color), Long("Width", &LineStyleData::width),
                         P(
                             "WidthInUnits", VT_BOOL,
                             [](O &o, C &c) { c.SetBool(S<FakeLineStyle>(o).d.widthInUnits); },
                             [](O &o, C &c) { S<FakeLineStyle>(o).d.widthInUnits = c.value().boolVal != 0; }),
                         Long("Style", &LineStyleData::style)}});
        return t;
    }
    explicit FakeLineStyle(LineStyleData data = {}) : DispatchObject(Table()), d(data) {}
    LineStyleData d;

private:
    static MemberInfo Long(const char *name, int32_t LineStyleData::*f)
    {
        return P(
            name, VT_I4, [f](O &o, C &c) { c.SetLong(S<FakeLineStyle>(o).d.*f); },
            [f](O &o, C &c) { S<FakeLineStyle>(o).d.*f = c.value().lVal; });
    }
};

class FakeGroup : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t = MakeTable(
            {.className = "KRTGroup",
             .progId = "KRTLib.KRTGroup",
             .clsid = FakeGuid(6),
             .interfaceName = "IKrtGroup",
             .members = {P(
                             "Name", VT_BSTR, [](O &o, C &c) { c.SetString(S<FakeGroup>(o).name); },
                             [](O &o, C &c) { S<FakeGroup>(o).name = Str(c); }),
                         P("Objects", VT_DISPATCH,
                           [](O &o, C &c) {
                               auto &g = S<FakeGroup>(o);
                               c.SetDispatch(g.doc && g.doc->Find(g.handle)
                                                 ? new FakeObjects(g.doc, Kind::GroupMembers, g.handle)
                                                 : new FakeObjects(g.doc, Kind::Empty));
                           }),
                         P("hObject", VT_I4, [](O &o, C &c) { c.SetLong(S<FakeGroup>(o).handle); })}});
        return t;
    }
    FakeGroup() : DispatchObject(Table()) {}
    std::string name;
    DocPtr doc;
    int32_t handle = 0;
};

IDispatch *NewGroupView(const DocPtr &doc, int32_t handle)
{
    auto *g = new FakeGroup;
    g->doc = doc;
    g->handle = handle;
    if (const Obj *o = doc->Find(handle))
        g->name = o->groupName;
    return g;
}

class FakeLayer : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t = MakeTable(
            {.className = "KRTLayer",
             .progId = "KRTLib.KRTLayer",
             .clsid = FakeGuid(7),
             .interfaceName = "IKrtLayer",
             .members = {P(
                             "Name", VT_BSTR, [](O &o, C &c) { c.SetString(S<FakeLayer>(o).d.name); },
                             [](O &o, C &c) { S<FakeLayer>(o).d.name = Str(c); }),
                         Long("Number", &LayerData::number), Bool("Visible", &LayerData::visible),
                         Bool("Selectable", &LayerData::selectable), Bool("Active", &LayerData::active),
                         Bool("NoFillColor", &LayerData::noFillColor),
                         Long("FillColor", &LayerData::fillColor),
                         Long("Transparency", &LayerData::transparency), Long("Order", &LayerData::order),
                         Long("FillHatch", &LayerData::fillHatch),
                         Double("VisibleFromScale", &LayerData::visibleFromScale),
                         Double("VisibleToScale", &LayerData::visibleToScale),
                         P(
                             "LineStyle", VT_DISPATCH,
                             [](O &o, C &c) {
                                 auto &l = S<FakeLayer>(o);
                                 l.style->AddRef();
                                 c.SetDispatch(l.style.get());
                             },
                             [](O &o, C &c) {
                                 auto *s = As<FakeLineStyle>(c.value().pdispVal);
                                 if (!s)
                                     Fail(1003, "Not a line style");
                                 S<FakeLayer>(o).style->d = s->d;
                             }),
                         P(
                             "Theme", VT_DISPATCH,
                             [](O &o, C &c) {
                                 auto &l = S<FakeLayer>(o);
                                 const Obj *layer = l.doc ? l.doc->Find(l.handle) : nullptr;
                                 c.SetDispatch(layer ? NewGroupView(l.doc, layer->group) : nullptr);
                             },
                             [](O &o, C &c) {
                                 auto &l = S<FakeLayer>(o);
                                 auto *g = As<FakeGroup>(c.value().pdispVal);
                                 if (!g || !l.doc || g->doc != l.doc || !l.doc->Find(g->handle))
                                     Fail(1004, "Not a theme of this map");
                                 Live(l.doc, l.handle).group = g->handle;
                                 l.doc->modified = true;
                             }),
                         P("Objects", VT_DISPATCH,
                           [](O &o, C &c) {
                               auto &l = S<FakeLayer>(o);
                               c.SetDispatch(l.doc ? new FakeObjects(l.doc, Kind::LayerMembers, l.handle)
                                                   : new FakeObjects(nullptr, Kind::Empty));
                           }),
                         P("hObject", VT_I4, [](O &o, C &c) { c.SetLong(S<FakeLayer>(o).handle); })}});
        return t;
    }
    FakeLayer() : DispatchObject(Table()) {}
    LayerData Data() const
    {
        LayerData r = d;
        r.lineStyle = style->d;
        return r;
    }
    LayerData d;
    ComPtr<FakeLineStyle> style = ComPtr<FakeLineStyle>::Adopt(new FakeLineStyle);
    DocPtr doc;
    int32_t handle = 0;

private:
    static MemberInfo Long(const char *name, int32_t LayerData::*f)
    {
        return P(
            name, VT_I4, [f](O &o, C &c) { c.SetLong(S<FakeLayer>(o).d.*f); },
            [f](O &o, C &c) { S<FakeLayer>(o).d.*f = c.value().lVal; });
    }
    static MemberInfo Bool(const char *name, bool LayerData::*f)
    {
        return P(
            name, VT_BOOL, [f](O &o, C &c) { c.SetBool(S<FakeLayer>(o).d.*f); },
            [f](O &o, C &c) { S<FakeLayer>(o).d.*f = c.value().boolVal != 0; });
    }
    static MemberInfo Double(const char *name, double LayerData::*f)
    {
        return P(
            name, VT_R8, [f](O &o, C &c) { c.SetDouble(S<FakeLayer>(o).d.*f); },
            [f](O &o, C &c) { S<FakeLayer>(o).d.*f = c.value().dblVal; });
    }
};

// --- Map objects -------------------------------------------------------------------

class FakeObject : public DocObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    FakeObject(DocPtr doc, int32_t handle) : DocObject(Table(), std::move(doc)), handle(handle) {}
    const Obj *Find() const { return doc->Find(handle); }
    Obj &Need() { return Live(doc, handle); }
    int32_t handle;
};

IDispatch *NewObject(const DocPtr &doc, int32_t handle) { return new FakeObject(doc, handle); }

void Changed(Document &doc, const std::function<void()> &change)
{
    doc.BeginChange();
    change();
    doc.EndChange(1);
}

// What the map keeps of an identifier: 12 characters of the identifier,
// 32 of its description, as the engine's identifier record holds them.
std::string IdentifierText(const std::string &text, bool primary)
{
    return text.substr(0, primary ? 12 : 32);
}

std::shared_ptr<const MemberTable> FakeObject::Table()
{
    auto ids = [](bool primary) {
        return P(
            primary ? "PrimaryID" : "SecondaryID", VT_BSTR,
            [primary](O &o, C &c) {
                const Obj *x = S<FakeObject>(o).Find();
                c.SetString(x ? (primary ? x->primaryId : x->secondaryId) : "");
            },
            [primary](O &o, C &c) {
                auto &f = S<FakeObject>(o);
                Obj &x = f.Need();
                const std::string v = IdentifierText(Str(c), primary);
                Changed(*f.doc, [&] { (primary ? x.primaryId : x.secondaryId) = v; });
            });
    };
    auto idEx = [](bool primary) {
        return M(primary ? "SetPrimaryIDEx" : "SetSecondaryIDEx", VT_EMPTY, {VT_BSTR, VT_BOOL},
                 [primary](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     f.Need();
                     const std::string v = IdentifierText(c.String(0), primary);
                     const bool visible = c.Bool(1);
                     f.doc->BeginStep();
                     Changed(*f.doc, [&] { (primary ? f.Need().primaryId : f.Need().secondaryId) = v; });
                     if (visible && !v.empty()) {
                         const int32_t label = f.doc->Label(f.handle, v);
                         (primary ? f.Need().primaryLabel : f.Need().secondaryLabel) = label;
                     }
                     f.doc->EndStep(1);
                 });
    };
    auto labelOf = [](bool primary) {
        return M(primary ? "GetHPrimaryID" : "GetHSecondaryID", VT_I4, {}, [primary](O &o, C &c) {
            auto &f = S<FakeObject>(o);
            const Obj *x = f.Find();
            const int32_t h = x ? (primary ? x->primaryLabel : x->secondaryLabel) : 0;
            c.SetLong(h && f.doc->Find(h) ? h : 0);
        });
    };
    static const auto t = MakeTable(
        {.className = "KRTObject",
         .interfaceName = "IKrtObject",
         .members = {
             P("hObject", VT_I4,
               [](O &o, C &c) { c.SetLong(S<FakeObject>(o).Find() ? S<FakeObject>(o).handle : 0); }),
             P(
                 "hLayer", VT_I4,
                 [](O &o, C &c) {
                     const Obj *x = S<FakeObject>(o).Find();
                     c.SetLong(x && x->type != 17 && x->type != 33 ? x->layer : 0);
                 },
                 [](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     Obj &x = f.Need();
                     const int32_t layer = c.value().lVal;
                     const Obj *l = f.doc->Find(layer);
                     if (!l || l->type != 17)
                         Fail(1005, "Not a layer");
                     Changed(*f.doc, [&] { x.layer = layer; });
                 }),
             P("hGroup", VT_I4,
               [](O &o, C &c) {
                   const Obj *x = S<FakeObject>(o).Find();
                   c.SetLong(x && x->type != 17 ? x->group : 0);
               }),
             P("ObjectType", VT_I4,
               [](O &o, C &c) {
                   const Obj *x = S<FakeObject>(o).Find();
                   c.SetLong(x ? x->type : 0);
               }),
             P(
                 "IsSelected", VT_BOOL,
                 [](O &o, C &c) { c.SetBool(S<FakeObject>(o).doc->IsSelected(S<FakeObject>(o).handle)); },
                 [](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     f.Need();
                     f.doc->Select(f.handle, c.value().boolVal != 0);
                 }),
             ids(true),
             ids(false),
             idEx(true),
             idEx(false),
             labelOf(true),
             labelOf(false),
             P("Poly", VT_DISPATCH,
               [](O &o, C &c) {
                   auto &f = S<FakeObject>(o);
                   const Obj *x = f.Find();
                   if (!x || (x->type != 1 && x->type != 2)) {
                       c.SetDispatch(nullptr);
                       return;
                   }
                   auto *p = new FakePoly;
                   *p->points = x->points;
                   p->isPolyline = x->type == 1;
                   p->sourceDoc = f.doc;
                   p->source = f.handle;
                   c.SetDispatch(p);
               }),
             P(
                 "Text", VT_DISPATCH,
                 [](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     const Obj *x = f.Find();
                     if (!x || x->type != 3) {
                         c.SetDispatch(nullptr);
                         return;
                     }
                     auto *t = new FakeText;
                     t->d = x->text;
                     t->sourceDoc = f.doc;
                     t->source = f.handle;
                     c.SetDispatch(t);
                 },
                 [](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     Obj &x = f.Need();
                     auto *t = As<FakeText>(c.value().pdispVal);
                     if (x.type != 3 || !t)
                         Fail(1006, "Not a text");
                     const TextData d = t->d;
                     Changed(*f.doc, [&] { x.text = d; });
                 }),
             P(
                 "Layer", VT_DISPATCH,
                 [](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     // A layer object's own values; other objects reach
                     // their layer through hLayer, as on the real control.
                     const Obj *x = f.Find();
                     const int32_t lh = x && x->type == 17 ? f.handle : 0;
                     const Obj *l = f.doc->Find(lh);
                     if (!l || l->type != 17) {
                         c.SetDispatch(nullptr);
                         return;
                     }
                     auto *v = new FakeLayer;
                     v->d = l->layerData;
                     v->style->d = l->layerData.lineStyle;
                     v->doc = f.doc;
                     v->handle = lh;
                     c.SetDispatch(v);
                 },
                 [](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     Obj &x = f.Need();
                     auto *v = As<FakeLayer>(c.value().pdispVal);
                     if (!v)
                         Fail(1005, "Not a layer");
                     if (x.type != 17)
                         Fail(1005, "Not a layer");
                     Obj &l = Live(f.doc, f.handle);
                     LayerData d = v->Data();
                     // The page layer keeps its number and name; a number
                     // another layer holds, or the page layer's, is not taken.
                     if (f.handle == f.doc->pageLayer) {
                         d.number = l.layerData.number;
                         d.name = l.layerData.name;
                     } else if (f.doc->LayerNumberFor(d.number, f.handle) != d.number) {
                         d.number = l.layerData.number;
                     }
                     Changed(*f.doc, [&] {
                         if (d.active)
                             for (auto &[h, other] : f.doc->state.objects)
                                 if (other.type == 17)
                                     other.layerData.active = false;
                         l.layerData = d;
                     });
                 }),
             P(
                 "Group", VT_DISPATCH,
                 [](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     const Obj *x = f.Find();
                     c.SetDispatch(x && x->type == 33 ? NewGroupView(f.doc, f.handle) : nullptr);
                 },
                 [](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     Obj &x = f.Need();
                     auto *g = As<FakeGroup>(c.value().pdispVal);
                     if (x.type != 33 || !g)
                         Fail(1007, "Not a group");
                     const std::string name = g->name;
                     Changed(*f.doc, [&] { x.groupName = name; });
                 }),
             P(
                 "Raster", VT_DISPATCH,
                 [](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     const Obj *x = f.Find();
                     if (!x || x->type != 5) {
                         c.SetDispatch(nullptr);
                         return;
                     }
                     auto *r = new FakeRaster;
                     r->d = x->raster;
                     r->sourceDoc = f.doc;
                     r->source = f.handle;
                     c.SetDispatch(r);
                 },
                 [](O &o, C &c) {
                     auto &f = S<FakeObject>(o);
                     Obj &x = f.Need();
                     auto *r = As<FakeRaster>(c.value().pdispVal);
                     if (x.type != 5 || !r)
                         Fail(1008, "Not a raster");
                     const RasterData d = r->d;
                     Changed(*f.doc, [&] { x.raster = d; });
                 }),
             P("BoundingRectangle", VT_DISPATCH,
               [](O &o, C &c) {
                   c.SetDispatch(NewRect(S<FakeObject>(o).doc->Bounds(S<FakeObject>(o).handle)));
               }),
             P("Area", VT_R8,
               [](O &o, C &c) { c.SetDouble(S<FakeObject>(o).doc->Area(S<FakeObject>(o).handle)); }),
             M("Move", VT_EMPTY, {VT_I4, VT_I4},
               [](O &o, C &c) {
                   auto &f = S<FakeObject>(o);
                   Obj &x = f.Need();
                   const int32_t dx = c.Long(0), dy = c.Long(1);
                   Changed(*f.doc, [&] {
                       for (Pt &p : x.points)
                           p = {p.x + dx, p.y + dy};
                       x.text.position = {x.text.position.x + dx, x.text.position.y + dy};
                       x.raster.originX += dx;
                       x.raster.originY += dy;
                   });
               }),
             M("Repaint", VT_EMPTY, {}, [](O &o, C &) { S<FakeObject>(o).Need(); })}});
    return t;
}

// --- Collections' members ----------------------------------------------------------

bool RasterMatches(const std::string &file, int32_t format)
{
    const QString suffix = QFileInfo(QString::fromLatin1(file)).suffix().toLower();
    switch (format) {
    case 0:
        return suffix == "bmp" || suffix == "dib";
    case 1:
        return suffix == "jpg" || suffix == "jpeg";
    case 2:
        return suffix == "tif" || suffix == "tiff";
    case 3:
        return suffix == "png";
    default:
        return false;
    }
}

int32_t FakeObjects::Add(IDispatch *object)
{
    if (!object || kind == Kind::Selection || kind == Kind::Empty)
        return 0;
    // A view of an object of this map added to a group makes it a member.
    auto sourceOf = [&]() -> int32_t {
        if (auto *p = As<FakePoly>(object); p && p->sourceDoc == doc)
            return p->source;
        if (auto *t = As<FakeText>(object); t && t->sourceDoc == doc)
            return t->source;
        if (auto *r = As<FakeRaster>(object); r && r->sourceDoc == doc)
            return r->source;
        if (auto *l = As<FakeLayer>(object); l && l->doc == doc)
            return l->handle;
        if (auto *g = As<FakeGroup>(object); g && g->doc == doc)
            return g->handle;
        return 0;
    };
    if (kind == Kind::GroupMembers) {
        if (const int32_t h = sourceOf(); h && doc->Find(h) && h != owner) {
            Changed(*doc, [&] { doc->Find(h)->group = owner; });
            return h;
        }
    }
    Obj o;
    if (auto *p = As<FakePoly>(object)) {
        if (p->points->size() < 2)
            return 0;
        o.type = p->isPolyline ? 1 : 2;
        o.points = *p->points;
    } else if (auto *t = As<FakeText>(object)) {
        o.type = 3;
        o.text = t->d;
    } else if (auto *g = As<FakeGroup>(object)) {
        o.type = 33;
        o.groupName = g->name;
    } else if (auto *l = As<FakeLayer>(object)) {
        o.type = 17;
        o.layerData = l->Data();
        o.layerData.active = false;
        o.layerData.number = doc->LayerNumberFor(o.layerData.number, 0);
    } else if (auto *r = As<FakeRaster>(object)) {
        doc->rasterTries += (doc->rasterTries.empty() ? "" : ",") + std::to_string(r->d.fileFormat);
        if (!QFileInfo::exists(QString::fromLocal8Bit(r->d.fileName.c_str())))
            Fail(1050, "Wrong file name or file format");
        if (!RasterMatches(r->d.fileName, r->d.fileFormat))
            return 0;
        o.type = 5;
        o.raster = r->d;
        o.raster.width = o.raster.width > 0 ? o.raster.width : 10000;
        o.raster.height = o.raster.height > 0 ? o.raster.height : 8000;
        o.raster.resolutionX = o.raster.resolutionY = 96;
    } else {
        return 0;
    }
    if (kind == Kind::MapLayers && o.type != 17)
        return 0;
    if (kind == Kind::LayerMembers && o.type != 17 && o.type != 33)
        o.layer = owner;
    if (kind == Kind::GroupMembers)
        o.group = owner;
    return doc->Add(std::move(o));
}

class ObjectSource : public EnumSource {
public:
    ObjectSource(DocPtr doc, std::vector<int32_t> handles)
        : doc_(std::move(doc)), handles_(std::move(handles))
    {
    }
    size_t Count() const override { return handles_.size(); }
    HRESULT Item(size_t index, VARIANT *out) const override
    {
        out->vt = VT_DISPATCH;
        out->pdispVal = NewObject(doc_, handles_.at(index));
        return S_OK;
    }

private:
    DocPtr doc_;
    std::vector<int32_t> handles_;
};

std::shared_ptr<const MemberTable> FakeObjects::Table()
{
    static const auto t = MakeTable(
        {.className = "KRTObjects",
         .interfaceName = "IKrtObjects",
         .members = {
             P("Count", VT_I4, [](O &o, C &c) { c.SetLong(int32_t(S<FakeObjects>(o).Members().size())); }),
             P("BoundingRectangle", VT_DISPATCH,
               [](O &o, C &c) {
                   auto &s = S<FakeObjects>(o);
                   Rect r;
                   for (int32_t h : s.Members())
                       r.Add(s.doc->Bounds(h));
                   c.SetDispatch(NewRect(r));
               }),
             {.name = "Item",
              .kind = MemberKind::Property,
              .type = VT_DISPATCH,
              .params = {VT_VARIANT},
              .get =
                  [](O &o, C &c) {
                      auto &s = S<FakeObjects>(o);
                      Variant key;
                      VariantCopyInd(&key, &c.arg(0));
                      int32_t found = 0;
                      if (key.vt == VT_BSTR) {
                          const std::string text = BstrToWindows1252(key.bstrVal);
                          for (int32_t h : s.Members()) {
                              const Obj *x = s.doc->Find(h);
                              const std::string &name =
                                  s.kind == Kind::MapLayers ? x->layerData.name : x->primaryId;
                              if (!text.empty() && name == text) {
                                  found = h;
                                  break;
                              }
                          }
                      } else {
                          Variant n;
                          if (FAILED(VariantChangeType(&n, &key, 0, VT_I4)))
                              Fail(1009, "The key is neither a handle nor a text");
                          found = n.lVal;
                      }
                      c.SetDispatch(NewObject(s.doc, found));
                  },
              .isDefault = true},
             {.name = "_NewEnum",
              .kind = MemberKind::Property,
              .type = VT_UNKNOWN,
              .get =
                  [](O &o, C &c) {
                      auto &s = S<FakeObjects>(o);
                      auto *e = new VariantEnumerator(std::make_shared<ObjectSource>(s.doc, s.Members()));
                      c.result().vt = VT_UNKNOWN;
                      c.result().punkVal = e;
                  },
              .dispid = DISPID_NEWENUM},
             M("Add", VT_I4, {VT_DISPATCH},
               [](O &o, C &c) { c.SetLong(S<FakeObjects>(o).Add(c.Dispatch(0))); }),
             M("Remove", VT_I4, {VT_VARIANT}, [](O &o, C &c) {
                 auto &s = S<FakeObjects>(o);
                 Variant n;
                 if (FAILED(VariantChangeType(&n, &c.arg(0), 0, VT_I4)))
                     Fail(1009, "The key is not a handle");
                 const Obj *x = s.doc->Find(n.lVal);
                 if (s.kind == Kind::MapLayers) {
                     c.SetLong(x && x->type == 17 && s.doc->Remove(n.lVal) ? 1 : 0);
                     return;
                 }
                 s.doc->Remove(n.lVal);
                 c.SetLong(0); // the object collection answers 0 in every case
             })}});
    return t;
}

// --- Selection, page, undo ---------------------------------------------------------

class FakeSelection : public DocObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t = MakeTable(
            {.className = "KRTSelection",
             .interfaceName = "IKrtSelection",
             .members = {P("Objects", VT_DISPATCH,
                           [](O &o, C &c) {
                               c.SetDispatch(new FakeObjects(S<FakeSelection>(o).doc, Kind::Selection));
                           }),
                         P("Length", VT_R8,
                           [](O &o, C &c) {
                               double sum = 0;
                               for (int32_t h : S<FakeSelection>(o).doc->state.selection)
                                   sum += S<FakeSelection>(o).doc->Length(h);
                               c.SetDouble(sum);
                           }),
                         P("Area", VT_R8,
                           [](O &o, C &c) {
                               double sum = 0;
                               for (int32_t h : S<FakeSelection>(o).doc->state.selection)
                                   sum += S<FakeSelection>(o).doc->Area(h);
                               c.SetDouble(sum);
                           }),
                         P("BoundingRectangle", VT_DISPATCH, [](O &o, C &c) {
                             Rect r;
                             for (int32_t h : S<FakeSelection>(o).doc->state.selection)
                                 r.Add(S<FakeSelection>(o).doc->Bounds(h));
                             c.SetDispatch(NewRect(r));
                         })}});
        return t;
    }
    explicit FakeSelection(DocPtr doc) : DocObject(Table(), std::move(doc)) {}
};

class FakePaper : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t = MakeTable(
            {.className = "KRTPaper",
             .interfaceName = "IKrtPaper",
             .members = {P("Name", VT_BSTR, [](O &o, C &c) { c.SetString(S<FakePaper>(o).d.name); }),
                         P("Identifier", VT_I4, [](O &o, C &c) { c.SetLong(S<FakePaper>(o).d.identifier); }),
                         P(
                             "SizeX", VT_I4, [](O &o, C &c) { c.SetLong(S<FakePaper>(o).d.sizeX); },
                             [](O &o, C &c) { S<FakePaper>(o).d.sizeX = c.value().lVal; }),
                         P(
                             "SizeY", VT_I4, [](O &o, C &c) { c.SetLong(S<FakePaper>(o).d.sizeY); },
                             [](O &o, C &c) { S<FakePaper>(o).d.sizeY = c.value().lVal; })}});
        return t;
    }
    explicit FakePaper(PaperData data) : DispatchObject(Table()), d(std::move(data)) {}
    PaperData d;
};

class FakePapers : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t =
            MakeTable({.className = "KRTPapers",
                       .interfaceName = "IKrtPapers",
                       .members = {P("Count", VT_I4, [](O &, C &c) { c.SetLong(int32_t(Papers().size())); }),
                                   {.name = "Item",
                                    .kind = MemberKind::Property,
                                    .type = VT_DISPATCH,
                                    .params = {VT_VARIANT},
                                    .get =
                                        [](O &, C &c) {
                                            // An index from 0, or a text the paper's name
                                            // holds; null when nothing is found.
                                            Variant key;
                                            VariantCopyInd(&key, &c.arg(0));
                                            int64_t i = -1;
                                            Variant n;
                                            if (key.vt == VT_BSTR) {
                                                const std::string text = BstrToWindows1252(key.bstrVal);
                                                for (size_t k = 0; k < Papers().size() && i < 0; ++k)
                                                    if (!text.empty() &&
                                                        Papers()[k].name.find(text) != std::string::npos)
                                                        i = int64_t(k);
                                            } else if (SUCCEEDED(VariantChangeType(&n, &key, 0, VT_I4))) {
                                                i = n.lVal;
                                            }
                                            c.SetDispatch(i >= 0 && size_t(i) < Papers().size()
                                                              ? new FakePaper(Papers()[size_t(i)])
                                                              : nullptr);
                                        },
                                    .isDefault = true}}});
        return t;
    }
    FakePapers() : DispatchObject(Table()) {}
};

class FakePage : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t = MakeTable(
            {.className = "KRTPage",
             .interfaceName = "IKrtPage",
             .members = {
                 P(
                     "Width", VT_I4, [](O &o, C &c) { c.SetLong(S<FakePage>(o).d.width); },
                     [](O &o, C &c) { S<FakePage>(o).SetExtent(c.value().lVal, true); }),
                 P(
                     "Height", VT_I4, [](O &o, C &c) { c.SetLong(S<FakePage>(o).d.height); },
                     [](O &o, C &c) { S<FakePage>(o).SetExtent(c.value().lVal, false); }),
                 Long("OriginX", &PageData::originX), Long("OriginY", &PageData::originY),
                 P(
                     "IsPortrait", VT_BOOL, [](O &o, C &c) { c.SetBool(S<FakePage>(o).d.isPortrait); },
                     [](O &o, C &c) {
                         auto &p = S<FakePage>(o).d;
                         const bool portrait = c.value().boolVal != 0;
                         if (portrait != p.isPortrait && !p.hasPaper)
                             std::swap(p.width, p.height);
                         p.isPortrait = portrait;
                         p.FollowPaper();
                     }),
                 Long("MarginLeft", &PageData::marginLeft), Long("MarginRight", &PageData::marginRight),
                 Long("MarginTop", &PageData::marginTop), Long("MarginBottom", &PageData::marginBottom),
                 P(
                     "Scale", VT_R8, [](O &o, C &c) { c.SetDouble(S<FakePage>(o).d.scale); },
                     [](O &o, C &c) {
                         auto &p = S<FakePage>(o).d;
                         if (!(c.value().dblVal > 0))
                             Fail(1010, "The scale must be positive");
                         p.scale = c.value().dblVal;
                         p.FollowPaper();
                     }),
                 P(
                     "Paper", VT_DISPATCH,
                     [](O &o, C &c) {
                         auto &p = S<FakePage>(o).d;
                         c.SetDispatch(p.hasPaper ? new FakePaper(p.paper) : nullptr);
                     },
                     [](O &o, C &c) {
                         auto &p = S<FakePage>(o).d;
                         auto *paper = As<FakePaper>(c.value().pdispVal);
                         if (!paper)
                             Fail(1000, "Bad OLE type");
                         p.hasPaper = true;
                         p.paper = paper->d;
                         p.FollowPaper();
                     }),
                 P("Papers", VT_DISPATCH, [](O &, C &c) { c.SetDispatch(new FakePapers); }),
                 M("FitToObjects", VT_EMPTY, {VT_BOOL, VT_BOOL, VT_I4, VT_I4}, [](O &, C &) {})}});
        return t;
    }
    explicit FakePage(PageData data) : DispatchObject(Table()), d(std::move(data)) {}
    // A page with a paper keeps the paper's proportions: the scale follows.
    void SetExtent(int32_t value, bool width)
    {
        if (!d.hasPaper) {
            (width ? d.width : d.height) = value;
            return;
        }
        const int32_t across =
            d.isPortrait ? std::min(d.paper.sizeX, d.paper.sizeY) : std::max(d.paper.sizeX, d.paper.sizeY);
        const int32_t down =
            d.isPortrait ? std::max(d.paper.sizeX, d.paper.sizeY) : std::min(d.paper.sizeX, d.paper.sizeY);
        const int32_t paper = width ? across : down;
        if (paper > 0 && value > 0) {
            d.scale = double(value) * 100 / paper;
            d.FollowPaper();
        }
    }
    PageData d;

private:
    static MemberInfo Long(const char *name, int32_t PageData::*f)
    {
        return P(
            name, VT_I4, [f](O &o, C &c) { c.SetLong(S<FakePage>(o).d.*f); },
            [f](O &o, C &c) { S<FakePage>(o).d.*f = c.value().lVal; });
    }
};

class FakeUndoRedo : public DocObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto t = MakeTable(
            {.className = "KRTUndoRedo",
             .interfaceName = "IKrtUndoRedo",
             .members = {M("BeginStep", VT_EMPTY, {}, [](O &o, C &) { S<FakeUndoRedo>(o).doc->BeginStep(); }),
                         M("EndStep", VT_EMPTY, {VT_I4},
                           [](O &o, C &c) { S<FakeUndoRedo>(o).doc->EndStep(c.Long(0)); }),
                         M("Clear", VT_EMPTY, {}, [](O &o, C &) { S<FakeUndoRedo>(o).doc->ClearSteps(); })}});
        return t;
    }
    explicit FakeUndoRedo(DocPtr doc) : DocObject(Table(), std::move(doc)) {}
};

// --- The clipboard of copied map objects -------------------------------------------

struct Copied {
    Obj object;
    LayerData layer;
};

std::vector<Copied> &Clipboard()
{
    static std::vector<Copied> copied;
    return copied;
}

void CopySelection(Document &doc)
{
    Clipboard().clear();
    for (int32_t h : doc.state.selection) {
        const Obj *o = doc.Find(h);
        const Obj *l = o ? doc.Find(o->layer) : nullptr;
        if (o && o->type != 33 && o->type != 17)
            Clipboard().push_back({*o, l ? l->layerData : LayerData{}});
    }
}

// Pastes the copied objects, each on the layer of its name (made with the
// copied layer's values when this map has none), as one undo step.
void Paste(Document &doc, int32_t dx, int32_t dy)
{
    if (Clipboard().empty())
        return;
    doc.BeginStep();
    doc.DeselectAll();
    for (const Copied &c : Clipboard()) {
        int32_t layer = 0;
        for (int32_t l : doc.Layers())
            if (doc.Find(l)->layerData.name == c.layer.name)
                layer = l;
        if (!layer) {
            Obj l;
            l.type = 17;
            l.layerData = c.layer;
            l.layerData.active = false;
            layer = doc.Add(std::move(l));
        }
        Obj o = c.object;
        o.layer = layer;
        o.group = 0;
        o.primaryLabel = o.secondaryLabel = 0;
        for (Pt &p : o.points)
            p = {p.x + dx, p.y + dy};
        o.text.position = {o.text.position.x + dx, o.text.position.y + dy};
        doc.Select(doc.Add(std::move(o)), true);
    }
    doc.EndStep(448);
}

// --- The control and its widget ----------------------------------------------------

// The fake's document file: a first line that names it, then the number of
// objects. A file with another first line cannot be read.
constexpr const char *kFakeDocumentHeader = "FakeKrt map document";

bool ReadFakeDocument(const std::string &name)
{
    QFile file(QString::fromStdString(name));
    if (name.empty() || !file.open(QIODevice::ReadOnly))
        return false;
    return file.readLine(256).trimmed() == kFakeDocumentHeader;
}

// With saveFails set, the file is left half written and the save fails, as
// a full disk or a broken connection leaves it.
bool WriteFakeDocument(const std::string &name, const Document &doc)
{
    QFile file(QString::fromStdString(name));
    if (name.empty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = QByteArray(kFakeDocumentHeader) + "\nobjects " +
                            QByteArray::number(qsizetype(doc.state.objects.size())) + "\n";
    if (doc.saveFails) {
        file.write(text.left(text.size() / 2));
        return false;
    }
    return file.write(text) == text.size();
}

class FakeMapWidget : public QWidget {
public:
    explicit FakeMapWidget(DocPtr doc) : doc_(std::move(doc)) { resize(400, 300); }

protected:
    void mousePressEvent(QMouseEvent *e) override { Mouse(e, 513, 516, 519); }
    void mouseReleaseEvent(QMouseEvent *e) override { Mouse(e, 514, 517, 520); }
    void mouseDoubleClickEvent(QMouseEvent *e) override { Mouse(e, 515, 518, 521); }
    void mouseMoveEvent(QMouseEvent *e) override { Raise(e, 512); }

private:
    void Mouse(QMouseEvent *e, int32_t left, int32_t right, int32_t middle)
    {
        const int32_t id = e->button() == Qt::LeftButton     ? left
                           : e->button() == Qt::RightButton  ? right
                           : e->button() == Qt::MiddleButton ? middle
                                                             : 0;
        if (id == 0)
            return;
        const Pt at = Raise(e, id);
        // The control's own handling comes after the event.
        if (id == 513 && doc_->pasteHerePending) {
            doc_->pasteHerePending = false;
            const Rect r = [&] {
                Rect b;
                for (const Copied &c : Clipboard()) {
                    for (Pt p : c.object.points)
                        b.Add(p);
                    if (c.object.type == 3)
                        b.Add(c.object.text.position);
                }
                return b;
            }();
            Paste(*doc_, r.empty ? 0 : at.x - r.left, r.empty ? 0 : at.y - r.top);
        }
    }
    Pt Raise(QMouseEvent *e, int32_t id)
    {
        const QPoint p = e->position().toPoint();
        const Pt at{doc_->viewLeft + int32_t(std::lround(p.x() * doc_->viewScale)),
                    doc_->viewTop - int32_t(std::lround(p.y() * doc_->viewScale))};
        int32_t flags = 0;
        flags |= e->buttons() & Qt::LeftButton ? 1 : 0;
        flags |= e->buttons() & Qt::RightButton ? 2 : 0;
        flags |= e->modifiers() & Qt::ShiftModifier ? 4 : 0;
        flags |= e->modifiers() & Qt::ControlModifier ? 8 : 0;
        flags |= e->buttons() & Qt::MiddleButton ? 16 : 0;
        doc_->Fire(kMouseEvent, {VariantFromLong(at.x), VariantFromLong(at.y), VariantFromLong(id),
                                 VariantFromLong(flags)});
        return at;
    }
    DocPtr doc_;
};

class FakeMap : public DocObject, public IControlWidget {
public:
    static std::shared_ptr<const MemberTable> Table();

    FakeMap() : DocObject(Table(), std::make_shared<Document>())
    {
        events_ = &AddConnectionPoint(
            {0x2CD73566, 0x4AC1, 0x11D1, {0x85, 0xD5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}});
        doc->fire = [this](DISPID id, std::vector<Variant> args) { events_->FireEvent(id, args); };
        widget_ = new FakeMapWidget(doc);
    }

    HRESULT QueryInterface(const IID &iid, void **out) override
    {
        return DocObject::QueryInterface(iid, out);
    }
    uint32_t AddRef() override { return DocObject::AddRef(); }
    uint32_t Release() override { return DocObject::Release(); }
    QWidget *Widget() override { return widget_.data(); }

    int32_t Command(int32_t n);

protected:
    ~FakeMap() override
    {
        doc->fire = nullptr;
        delete widget_.data();
    }
    void *FindInterface(const IID &iid) override
    {
        if (iid == IControlWidget::kIid)
            return static_cast<IControlWidget *>(this);
        return DocObject::FindInterface(iid);
    }

private:
    ConnectionPoint *events_ = nullptr;
    QPointer<FakeMapWidget> widget_;
};

int32_t FakeMap::Command(int32_t n)
{
    Document &d = *doc;
    if (n != 458)
        d.pasteHerePending = false;
    switch (n) {
    case 400:
        d.command = 0;
        d.DeselectAll();
        return 1;
    case 471:
        d.DeselectAll();
        return 1;
    case 472:
        d.command = 0;
        return 1;
    case 401:
    case 402:
    case 403:
    case 404:
    case 408:
    case 409:
    case 416:
    case 422:
    case 467:
        d.command = n;
        return 1;
    case 415:
    case 447:
        CopySelection(d);
        return 1;
    case 446:
        CopySelection(d);
        [[fallthrough]];
    case 419: {
        const std::vector<int32_t> gone = d.state.selection;
        if (gone.empty())
            return 1;
        d.BeginStep();
        for (int32_t h : gone)
            d.Remove(h);
        d.EndStep(n);
        return 1;
    }
    case 448:
        Paste(d, 0, 0);
        return 1;
    case 458:
        d.pasteHerePending = !Clipboard().empty();
        return 1;
    case 459:
        d.Undo();
        return 1;
    case 461:
        d.Redo();
        return 1;
    case 405:
    case 406:
    case 407:
    case 410:
    case 411:
    case 412:
    case 413:
    case 418:
    case 420:
    case 421:
    case 425:
    case 426:
    case 427:
    case 432:
    case 433:
    case 434:
    case 435:
    case 436:
    case 444:
    case 455:
    case 463:
    case 465:
    case 469:
    case 474:
        return 1;
    default:
        return 0;
    }
}

std::string UnitName(int32_t unit, bool shortForm)
{
    switch (unit) {
    case 4:
        return shortForm ? "m " : "metres";
    case 5:
        return shortForm ? "km" : "kilometres";
    case 29:
        return shortForm ? " ha" : "hectares";
    case 30:
        return shortForm ? "ac" : "acres";
    default:
        return shortForm ? "?" : "unknown";
    }
}

std::shared_ptr<const MemberTable> FakeMap::Table()
{
    static const auto t = MakeTable(
        {.className = "FakeMap",
         .progId = kFakeMapProgId,
         .typeName = "Fake Map Control",
         .clsid = kFakeMapClsid,
         .interfaceName = "IMap",
         .members = {
             P(
                 "OffscreenDrawing", VT_BOOL,
                 [](O &o, C &c) { c.SetBool(S<FakeMap>(o).doc->offscreenDrawing); },
                 [](O &o, C &c) { S<FakeMap>(o).doc->offscreenDrawing = c.value().boolVal != 0; }),
             // The fake draws nothing: its picture is always complete.
             P("PictureComplete", VT_BOOL, [](O &, C &c) { c.SetBool(true); }),
             P(
                 "IsModified", VT_BOOL, [](O &o, C &c) { c.SetBool(S<FakeMap>(o).doc->modified); },
                 [](O &o, C &c) { S<FakeMap>(o).doc->modified = c.value().boolVal != 0; }),
             M("Open", VT_I4, {VT_VARIANT},
               [](O &o, C &c) {
                   const bool ok = ReadFakeDocument(c.String(0));
                   if (ok)
                       S<FakeMap>(o).doc->modified = false;
                   c.SetLong(ok ? 1 : 0);
               }),
             M("Save", VT_I4, {VT_VARIANT},
               [](O &o, C &c) {
                   Document &doc = *S<FakeMap>(o).doc;
                   const bool ok = WriteFakeDocument(c.String(0), doc);
                   if (ok)
                       doc.modified = false;
                   c.SetLong(ok ? 1 : 0);
               }),
             P(
                 "FakeSaveFails", VT_BOOL, [](O &o, C &c) { c.SetBool(S<FakeMap>(o).doc->saveFails); },
                 [](O &o, C &c) { S<FakeMap>(o).doc->saveFails = c.value().boolVal != 0; }),
             M("Command", VT_I4, {VT_I4}, [](O &o, C &c) { c.SetLong(S<FakeMap>(o).Command(c.Long(0))); }),
             M("Export", VT_I4, {VT_I4}, [](O &, C &c) { c.SetLong(0); }),
             M("ExportEx", VT_I4, {VT_BSTR, VT_BSTR, VT_BOOL},
               [](O &, C &c) { c.SetLong(c.String(1).empty()   ? 3
                                         : c.String(0).empty() ? 4
                                                               : 0); }),
             M("ImportEx", VT_I4, {VT_BSTR, VT_BSTR, VT_BOOL}, [](O &, C &c) { c.SetLong(1); }),
             M("UnitsGet", VT_I4, {VT_I4},
               [](O &o, C &c) {
                   int32_t *unit = S<FakeMap>(o).doc->Unit(c.Long(0));
                   if (!unit)
                       Fail(1011, "Unknown kind of unit");
                   c.SetLong(*unit);
               }),
             M("UnitsSet", VT_EMPTY, {VT_I4, VT_I4},
               [](O &o, C &c) {
                   int32_t *unit = S<FakeMap>(o).doc->Unit(c.Long(0));
                   if (!unit)
                       Fail(1011, "Unknown kind of unit");
                   *unit = c.Long(1);
               }),
             M("UnitStringGet", VT_BSTR, {VT_I4, VT_I4},
               [](O &, C &c) { c.SetString(UnitName(c.Long(0), c.Long(1) != 0)); }),
             M("Zoom", VT_I4, {VT_VARIANT, VT_BOOL},
               [](O &o, C &c) {
                   Document &d = *S<FakeMap>(o).doc;
                   auto *r = As<FakeRect>(c.Dispatch(0));
                   if (!r)
                       Fail(1003, "Not a rectangle");
                   const bool current =
                       r->r.left == 0 && r->r.top == 0 && r->r.right == 0 && r->r.bottom == 0;
                   if (c.Bool(1) && !current) {
                       d.viewLeft = r->r.left;
                       d.viewTop = r->r.bottom;
                       d.viewScale = std::max(1.0, std::max((double(r->r.right) - r->r.left) / 400,
                                                            (double(r->r.bottom) - r->r.top) / 300));
                   } else if (!c.Bool(1)) {
                       // Out about the view's centre, as the engine zooms: the
                       // view grows by half its ratio to the target fitted to
                       // its proportions (four zeros: its middle half, so it
                       // doubles).
                       double ratio = 2;
                       if (!current) {
                           const double fitted = std::max((double(r->r.right) - r->r.left) / 400,
                                                          (double(r->r.bottom) - r->r.top) / 300);
                           ratio = fitted > 0 ? d.viewScale / fitted : 2;
                       }
                       const double grow = ratio * 0.5;
                       d.viewLeft -= int32_t(std::lround(200 * d.viewScale * grow));
                       d.viewTop += int32_t(std::lround(150 * d.viewScale * grow));
                       d.viewScale *= 1 + grow;
                   }
                   c.SetLong(1);
               }),
             M("WindowToMap", VT_I4, {VT_VARIANT, VT_VARIANT},
               [](O &o, C &c) {
                   Document &d = *S<FakeMap>(o).doc;
                   auto *from = As<FakePoint>(c.Dispatch(0));
                   auto *to = As<FakePoint>(c.Dispatch(1));
                   if (!from || !to)
                       Fail(1003, "Not a point");
                   to->p = {d.viewLeft + int32_t(std::lround(from->p.x * d.viewScale)),
                            d.viewTop - int32_t(std::lround(from->p.y * d.viewScale))};
                   c.SetLong(1);
               }),
             M("Buffering", VT_BOOL, {VT_I4, VT_I4, VT_I4, VT_I4, VT_I4, VT_I4, VT_I4},
               [](O &o, C &c) { c.SetBool(!S<FakeMap>(o).doc->state.selection.empty() && c.Long(0) > 0); }),
             P("MapObjects", VT_DISPATCH,
               [](O &o, C &c) { c.SetDispatch(new FakeObjects(S<FakeMap>(o).doc, Kind::MapObjects)); }),
             P("MapLayers", VT_DISPATCH,
               [](O &o, C &c) { c.SetDispatch(new FakeObjects(S<FakeMap>(o).doc, Kind::MapLayers)); }),
             P("Selection", VT_DISPATCH,
               [](O &o, C &c) { c.SetDispatch(new FakeSelection(S<FakeMap>(o).doc)); }),
             P(
                 "Page", VT_DISPATCH,
                 [](O &o, C &c) { c.SetDispatch(new FakePage(S<FakeMap>(o).doc->page)); },
                 [](O &o, C &c) {
                     auto *p = As<FakePage>(c.value().pdispVal);
                     if (!p)
                         Fail(1003, "Not a page");
                     S<FakeMap>(o).doc->page = p->d;
                     S<FakeMap>(o).doc->modified = true;
                 }),
             P("UndoRedo", VT_DISPATCH,
               [](O &o, C &c) { c.SetDispatch(new FakeUndoRedo(S<FakeMap>(o).doc)); }),
             M("FakeFailNext", VT_EMPTY, {VT_I4, VT_BSTR},
               [](O &o, C &c) {
                   S<FakeMap>(o).doc->failNextCode = c.Long(0);
                   S<FakeMap>(o).doc->failNextText = c.String(1);
               }),
             P(
                 "FakeRasterTries", VT_BSTR, [](O &o, C &c) { c.SetString(S<FakeMap>(o).doc->rasterTries); },
                 [](O &o, C &c) { S<FakeMap>(o).doc->rasterTries = Str(c); })}});
    return t;
}

template <class T>
void AddFree()
{
    Module().AddClass({.table = T::Table().get()}, [] { return static_cast<IDispatch *>(new T); });
}

const bool kClassesAdded = [] {
    Module().AddClass({.table = FakeMap::Table().get(), .control = true, .version = "1.0"},
                      [] { return static_cast<IDispatch *>(static_cast<DocObject *>(new FakeMap)); });
    AddFree<FakePoint>();
    AddFree<FakeRect>();
    AddFree<FakePoly>();
    AddFree<FakeText>();
    AddFree<FakeRaster>();
    AddFree<FakeGroup>();
    AddFree<FakeLayer>();
    return true;
}();

} // namespace

extern "C" {

__attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID *clsid, const IID *iid,
                                                                 void **out)
{
    return Module().GetClassObject(clsid, iid, out);
}

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow() { return Module().CanUnloadNow(); }

__attribute__((visibility("default"))) HRESULT DllRegisterServer()
{
    return Module().RegisterServer(ModulePathOf(reinterpret_cast<const void *>(&DllRegisterServer)));
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer() { return Module().UnregisterServer(); }
}
