#include "editor/shell/map/krt_control.h"

#include "platform/automation_control.h"
#include "platform/automation_creation.h"
#include "platform/automation_enum.h"

#include <vector>

ControlException::ControlException(int32_t code, const std::string &text)
    : std::runtime_error(text), code_(code), text_(text)
{
}

namespace {

std::string HresultText(HRESULT hr)
{
    switch (hr) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
        return "no such member";
    case DISP_E_TYPEMISMATCH:
        return "type mismatch";
    case DISP_E_BADPARAMCOUNT:
        return "wrong number of arguments";
    case DISP_E_OVERFLOW:
        return "overflow";
    case E_POINTER:
        return "no object";
    default:
        return "the call failed";
    }
}

[[noreturn]] void Throw(std::string_view member, HRESULT hr, EXCEPINFO &info)
{
    int32_t code = hr;
    std::string text;
    if (hr == DISP_E_EXCEPTION) {
        code = info.wCode ? int32_t(info.wCode) : info.scode;
        text = BstrToWindows1252(info.bstrDescription);
    }
    ClearExcepInfo(&info);
    if (text.empty())
        text = std::string(member) + ": " + HresultText(hr);
    throw ControlException(code, text);
}

} // namespace

int32_t VariantLong(const Variant &v)
{
    Variant r;
    if (FAILED(VariantChangeType(&r, &v, VARIANT_NOVALUEPROP, VT_I4)))
        throw ControlException(DISP_E_TYPEMISMATCH, "not a number");
    return r.lVal;
}

double VariantDouble(const Variant &v)
{
    Variant r;
    if (FAILED(VariantChangeType(&r, &v, VARIANT_NOVALUEPROP, VT_R8)))
        throw ControlException(DISP_E_TYPEMISMATCH, "not a number");
    return r.dblVal;
}

bool VariantBool(const Variant &v)
{
    Variant r;
    if (FAILED(VariantChangeType(&r, &v, VARIANT_NOVALUEPROP, VT_BOOL)))
        throw ControlException(DISP_E_TYPEMISMATCH, "not a Boolean");
    return r.boolVal != VARIANT_FALSE;
}

std::string VariantString(const Variant &v)
{
    if (v.vt == VT_EMPTY || v.vt == VT_NULL)
        return {};
    Variant r;
    if (FAILED(VariantChangeType(&r, &v, VARIANT_NOVALUEPROP, VT_BSTR)))
        throw ControlException(DISP_E_TYPEMISMATCH, "not a text");
    return BstrToWindows1252(r.bstrVal);
}

ComPtr<IDispatch> VariantObject(const Variant &v)
{
    if (v.vt == VT_DISPATCH)
        return ComPtr<IDispatch>(v.pdispVal);
    if (v.vt == VT_UNKNOWN && v.punkVal) {
        ComPtr<IDispatch> d;
        v.punkVal->QueryInterface(IDispatch::kIid, d.putVoid());
        return d;
    }
    if (v.vt == VT_EMPTY || v.vt == VT_NULL)
        return {};
    throw ControlException(DISP_E_TYPEMISMATCH, "not an object");
}

// --- KrtDispatch ---------------------------------------------------------------

bool KrtDispatch::HasMember(std::string_view name) const
{
    if (!object_)
        return false;
    const std::string names[1] = {std::string(name)};
    DISPID id = DISPID_UNKNOWN;
    return SUCCEEDED(object_->GetIDsOfNames(names, std::span<DISPID>(&id, 1)));
}

Variant KrtDispatch::Invoke(std::string_view name, WORD flags, std::initializer_list<Variant> args) const
{
    EXCEPINFO info{};
    HRESULT hr = S_OK;
    const std::vector<Variant> list(args);
    Variant r = CallByName(object_.get(), name, flags, list, &hr, &info);
    if (FAILED(hr))
        Throw(name, hr, info);
    ClearExcepInfo(&info);
    return r;
}

Variant KrtDispatch::Get(std::string_view name, std::initializer_list<Variant> args) const
{
    return Invoke(name, DISPATCH_PROPERTYGET, args);
}

Variant KrtDispatch::Call(std::string_view name, std::initializer_list<Variant> args) const
{
    return Invoke(name, DISPATCH_METHOD, args);
}

void KrtDispatch::Put(std::string_view name, const Variant &value) const
{
    EXCEPINFO info{};
    const HRESULT hr = PutByName(object_.get(), name, value, &info);
    if (FAILED(hr))
        Throw(name, hr, info);
    ClearExcepInfo(&info);
}

int32_t KrtDispatch::GetLong(std::string_view name) const { return VariantLong(Get(name)); }
double KrtDispatch::GetDouble(std::string_view name) const { return VariantDouble(Get(name)); }
bool KrtDispatch::GetBool(std::string_view name) const { return VariantBool(Get(name)); }
std::string KrtDispatch::GetString(std::string_view name) const { return VariantString(Get(name)); }
ComPtr<IDispatch> KrtDispatch::GetObject(std::string_view name) const { return VariantObject(Get(name)); }

ComPtr<IDispatch> KrtDispatch::Create(std::string_view progId)
{
    ComPtr<IDispatch> object;
    const HRESULT hr = CreateObject(progId, IDispatch::kIid, object.putVoid());
    if (FAILED(hr) || !object)
        throw ControlException(hr, "cannot create " + std::string(progId));
    return object;
}

// --- The typed classes -----------------------------------------------------------

IKrtPoint IKrtPoint::New() { return IKrtPoint(Create("KRTLib.KRTPoint")); }
IKrtRect IKrtRect::New() { return IKrtRect(Create("KRTLib.KRTRect")); }
IKrtPoly IKrtPoly::New() { return IKrtPoly(Create("KRTLib.KRTPoly")); }
IKrtLayer IKrtLayer::New() { return IKrtLayer(Create("KRTLib.KRTLayer")); }
IKrtText IKrtText::New() { return IKrtText(Create("KRTLib.KRTText")); }
IKrtRaster IKrtRaster::New() { return IKrtRaster(Create("KRTLib.KRTRaster")); }
IKrtGroup IKrtGroup::New() { return IKrtGroup(Create("KRTLib.KRTGroup")); }

IStdFont IStdFont::New() { return IStdFont(Create("StdFont")); }

IStdFont IStdFont::Of(std::string_view name, int32_t points)
{
    const IStdFont font = New();
    font.PutName(name);
    font.PutSize(points);
    font.PutBold(false);
    return font;
}

int32_t IStdFont::Size() const
{
    Variant v = Get("Size");
    Variant cy;
    if (FAILED(VariantChangeType(&cy, &v, VARIANT_NOVALUEPROP, VT_CY)))
        throw ControlException(DISP_E_TYPEMISMATCH, "not a font size");
    return int32_t((cy.cyVal.int64 + 2000) / 10000);
}

void IStdFont::PutSize(int32_t points) const
{
    Variant v;
    v.vt = VT_CY;
    v.cyVal.int64 = int64_t(points) * 10000;
    Put("Size", v);
}

IKrtPoint IKrtPoints::Item(int32_t index) const
{
    return IKrtPoint(VariantObject(Get("Item", {VariantFromLong(index)})));
}

void IKrtPoints::AddXY(int32_t x, int32_t y) const
{
    Call("AddXY", {VariantFromLong(x), VariantFromLong(y)});
}

IKrtGroup IKrtLayer::Theme() const { return IKrtGroup(GetObject("Theme")); }
IKrtObjects IKrtLayer::Objects() const { return IKrtObjects(GetObject("Objects")); }
void IKrtLayer::PutTheme(const IKrtGroup &v) const { PutObject("Theme", v); }

IKrtGroup IKrtObject::Group() const { return IKrtGroup(GetObject("Group")); }
void IKrtObject::PutGroup(const IKrtGroup &v) const { PutObject("Group", v); }

void IKrtObject::SetPrimaryIDEx(std::string_view id, bool visible) const
{
    Call("SetPrimaryIDEx", {VariantFromString(id), VariantFromBool(visible)});
}

void IKrtObject::SetSecondaryIDEx(std::string_view id, bool visible) const
{
    Call("SetSecondaryIDEx", {VariantFromString(id), VariantFromBool(visible)});
}

void IKrtObject::Move(int32_t x, int32_t y) const { Call("Move", {VariantFromLong(x), VariantFromLong(y)}); }

IKrtLayer ObjectLayer(const IKrtObject &object, const IMap &map)
{
    if (object.IsNone())
        return {};
    const int32_t type = object.ObjectType();
    if (type == otLayer)
        return object.Layer();
    if (type == otNone)
        return {};
    const int32_t handle = object.hLayer();
    if (handle <= 0)
        return {};
    const IKrtObject layer = map.MapLayers().Item(handle);
    return layer && layer.ObjectType() == otLayer ? layer.Layer() : IKrtLayer();
}

IKrtObject IKrtObjects::Item(int32_t handle) const
{
    return IKrtObject(VariantObject(Get("Item", {VariantFromLong(handle)})));
}

IKrtObject IKrtObjects::Item(std::string_view key) const
{
    return IKrtObject(VariantObject(Get("Item", {VariantFromString(key)})));
}

ComPtr<IUnknown> IKrtObjects::NewEnum() const
{
    const Variant v = Get("_NewEnum");
    if ((v.vt == VT_UNKNOWN || v.vt == VT_DISPATCH) && v.punkVal)
        return ComPtr<IUnknown>(v.punkVal);
    return {};
}

int32_t IKrtObjects::Add(const KrtDispatch &object) const
{
    return VariantLong(Call("Add", {VariantFromDispatch(object.get())}));
}

int32_t IKrtObjects::Remove(int32_t handle) const
{
    return VariantLong(Call("Remove", {VariantFromLong(handle)}));
}

IKrtPaper IKrtPapers::Item(int32_t index) const
{
    return IKrtPaper(VariantObject(Get("Item", {VariantFromLong(index)})));
}

IKrtPaper IKrtPapers::Item(std::string_view name) const
{
    return IKrtPaper(VariantObject(Get("Item", {VariantFromString(name)})));
}

void IKrtPage::FitToObjects(bool selected, bool printable, int32_t horizontal, int32_t vertical) const
{
    Call("FitToObjects", {VariantFromBool(selected), VariantFromBool(printable), VariantFromLong(horizontal),
                          VariantFromLong(vertical)});
}

// --- IMap ------------------------------------------------------------------------

IMap IMap::Create(const CLSID &clsid)
{
    ComPtr<IDispatch> object;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, IDispatch::kIid, object.putVoid());
    if (FAILED(hr) || !object)
        throw ControlException(hr, "cannot create the map control " + GuidToString(clsid));
    return IMap(std::move(object));
}

QWidget *IMap::Widget() const
{
    if (!object_)
        return nullptr;
    ComPtr<IControlWidget> site;
    if (object_->QueryInterface(IControlWidget::kIid, site.putVoid()) != S_OK || !site)
        return nullptr;
    return site->Widget();
}

int32_t IMap::Open(std::string_view fileName) const
{
    return VariantLong(Call("Open", {VariantFromString(fileName)}));
}

int32_t IMap::Save(std::string_view fileName) const
{
    return VariantLong(Call("Save", {VariantFromString(fileName)}));
}

int32_t IMap::Command(int32_t command) const
{
    return VariantLong(Call("Command", {VariantFromLong(command)}));
}
int32_t IMap::Export(int32_t sheetWindow) const
{
    return VariantLong(Call("Export", {VariantFromLong(sheetWindow)}));
}

int32_t IMap::ExportEx(std::string_view exportName, std::string_view fileName, bool showDialog) const
{
    return VariantLong(Call("ExportEx", {VariantFromString(exportName), VariantFromString(fileName),
                                         VariantFromBool(showDialog)}));
}

int32_t IMap::ImportEx(std::string_view importName, std::string_view fileName, bool showDialog) const
{
    return VariantLong(Call("ImportEx", {VariantFromString(importName), VariantFromString(fileName),
                                         VariantFromBool(showDialog)}));
}

int32_t IMap::UnitsGet(int32_t which) const
{
    return VariantLong(Call("UnitsGet", {VariantFromLong(which)}));
}

void IMap::UnitsSet(int32_t which, int32_t unit) const
{
    Call("UnitsSet", {VariantFromLong(which), VariantFromLong(unit)});
}

std::string IMap::UnitStringGet(int32_t unit, bool shortString) const
{
    return VariantString(
        Call("UnitStringGet", {VariantFromLong(unit), VariantFromLong(shortString ? 1 : 0)}));
}

void IMap::Zoom(const IKrtRect &rect, bool zoomIn) const
{
    Call("Zoom", {VariantFromDispatch(rect.get()), VariantFromBool(zoomIn)});
}

void IMap::WindowToMap(const IKrtPoint &window, const IKrtPoint &map) const
{
    Call("WindowToMap", {VariantFromDispatch(window.get()), VariantFromDispatch(map.get())});
}

bool IMap::Buffering(int32_t size, int32_t segments, int32_t endings, int32_t corners, int32_t type,
                     int32_t parallelLength, int32_t calculation) const
{
    return VariantBool(
        Call("Buffering", {VariantFromLong(size), VariantFromLong(segments), VariantFromLong(endings),
                           VariantFromLong(corners), VariantFromLong(type), VariantFromLong(parallelLength),
                           VariantFromLong(calculation)}));
}

// --- Events ----------------------------------------------------------------------

void IMapEvents::MouseEvent(int32_t, int32_t, int32_t, int32_t) {}
void IMapEvents::SelectionChanged(int32_t) {}
void IMapEvents::DisplayScaleChanged(double) {}
void IMapEvents::Progress(int32_t, int32_t) {}
void IMapEvents::UndoRedoCaption(int32_t, int32_t) {}
void IMapEvents::HelpCall(int32_t) {}
void IMapEvents::ObjectAddEvent(int32_t) {}

namespace {

// The COM object advised to the control: turns each event by its dispatch
// id into the sink's call. Arguments arrive last first.
class EventSinkObject : public ComObject<IDispatch> {
public:
    explicit EventSinkObject(IMapEvents *sink) : sink_(sink) {}

    HRESULT GetIDsOfNames(std::span<const std::string>, std::span<DISPID>) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, WORD, DISPPARAMS &params, VARIANT *, EXCEPINFO *, UINT *) override
    {
        auto arg = [&](UINT i) -> Variant {
            if (i >= params.cArgs)
                return Variant();
            Variant v;
            VariantCopyInd(&v, &params.rgvarg[params.cArgs - 1 - i]);
            return v;
        };
        auto num = [&](UINT i) {
            Variant r;
            const Variant v = arg(i);
            return SUCCEEDED(VariantChangeType(&r, &v, VARIANT_NOVALUEPROP, VT_I4)) ? r.lVal : 0;
        };
        switch (id) {
        case kEventMouse:
            sink_->MouseEvent(num(0), num(1), num(2), num(3));
            break;
        case kEventSelectionChanged:
            sink_->SelectionChanged(num(0));
            break;
        case kEventDisplayScaleChanged: {
            Variant r;
            const Variant v = arg(0);
            sink_->DisplayScaleChanged(
                SUCCEEDED(VariantChangeType(&r, &v, VARIANT_NOVALUEPROP, VT_R8)) ? r.dblVal : 0.0);
            break;
        }
        case kEventProgress:
            sink_->Progress(num(0), num(1));
            break;
        case kEventUndoRedoCaption:
            sink_->UndoRedoCaption(num(0), num(1));
            break;
        case kEventHelpCall:
            sink_->HelpCall(num(0));
            break;
        case kEventObjectAdd:
            sink_->ObjectAddEvent(num(0));
            break;
        default:
            break; // the events a host does not hear
        }
        return S_OK;
    }

protected:
    void *FindInterface(const IID &iid) override
    {
        return iid == kMapEventsIid ? static_cast<IDispatch *>(this)
                                    : ComObject<IDispatch>::FindInterface(iid);
    }

private:
    IMapEvents *sink_;
};

} // namespace

MapEventConnection::~MapEventConnection() { Disconnect(); }

void MapEventConnection::Connect(const IMap &map, IMapEvents *sink)
{
    Disconnect();
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    if (!map.get() || map.get()->QueryInterface(IConnectionPointContainer::kIid, points.putVoid()) != S_OK ||
        points->FindConnectionPoint(kMapEventsIid, point.put()) != S_OK)
        throw ControlException(CONNECT_E_NOCONNECTION, "the control has no event interface");
    auto object = ComPtr<EventSinkObject>::Adopt(new EventSinkObject(sink));
    DWORD cookie = 0;
    const HRESULT hr = point->Advise(object->Identity(), &cookie);
    if (FAILED(hr))
        throw ControlException(hr, "the control refused the event sink");
    point_ = point;
    cookie_ = cookie;
}

void MapEventConnection::Disconnect()
{
    if (point_)
        point_->Unadvise(cookie_);
    point_ = ComPtr<IConnectionPoint>();
    cookie_ = 0;
}
