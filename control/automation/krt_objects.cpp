// KrtObjects: one set of a map's objects, and its enumerator.
#include "control/automation/krt_objects.h"

#include "control/automation/engine_bridge.h"
#include "control/automation/library_objects.h"
#include "control/automation/model_members.h"
#include "control/automation/object_ids.h"
#include "control/control_ids.h"
#include "control/krt_geometry.h"
#include "control/krtmap_module.h"
#include "control/map_ctrl.h"
#include "control/variant_values.h"
#include "engine/editing/object_finders.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/identifiers.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_queries.h"
#include "engine/window/window_text.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string_view>
#include <unordered_set>

using namespace model;

namespace {

constexpr size_t kDumpStartSize = 1000000;
constexpr size_t kTextDumpLength = 2048;
constexpr size_t kFaceDumpLength = 32;

// The element name of an engine class in the dump; empty for the others.
const char *TypeName(uint16_t classId, bool groups)
{
    switch (classId) {
    case CLASS_POLYGON:
        return "Polygon";
    case CLASS_POLYLINE:
        return "Polyline";
    case CLASS_TEXT:
        return "Text";
    case CLASS_LEGEND:
        return "Legend";
    case CLASS_BITMAP:
        return "Raster";
    case CLASS_PAGE:
        return "Page";
    case CLASS_NAIL:
        return "Nail";
    case CLASS_LAYER:
        return "Layer";
    case CLASS_GROUP:
        return groups ? "Group" : "";
    default:
        return "";
    }
}

// A face name the dump can show: none of its bytes before the first zero
// (at most 32) is a control character or outside ASCII.
bool PlainFace(const char *face)
{
    for (size_t i = 0; i < kFaceDumpLength && face[i]; ++i) {
        const auto b = static_cast<unsigned char>(face[i]);
        if (b < 32 || b >= 128)
            return false;
    }
    return true;
}

void AppendEscaped(std::string &out, const char *text)
{
    for (const char *p = text; *p; ++p) {
        switch (*p) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += *p;
        }
    }
}

// One element line: <tag><child>value</child>...</tag>, CR LF.
class Line {
public:
    explicit Line(const char *tag) : tag_(tag) { Open(text_, tag_); }
    Line &Child(const char *name, const std::string &value)
    {
        Open(text_, name);
        text_.append(value);
        Close(text_, name);
        return *this;
    }
    Line &Number(const char *name, int64_t value) { return Child(name, std::to_string(value)); }
    std::string Done() const
    {
        std::string line = text_;
        Close(line, tag_);
        line.append("\r\n");
        return line;
    }

private:
    static void Open(std::string &out, std::string_view tag)
    {
        out.push_back('<');
        out.append(tag);
        out.push_back('>');
    }
    static void Close(std::string &out, std::string_view tag)
    {
        out.append("</");
        out.append(tag);
        out.push_back('>');
    }
    std::string tag_;
    std::string text_;
};

int32_t Signed(OBJHANDLE h) { return int32_t(h); }

} // namespace

// --- KrtObjects --------------------------------------------------------------------

std::shared_ptr<const MemberTable> KrtObjects::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    auto query = [](const char *name, bool byPoint) {
        MemberInfo m = Method(
            name, VT_DISPATCH,
            byPoint ? std::vector<VARTYPE>{VT_VARIANT} : std::vector<VARTYPE>{VT_VARIANT, VT_BOOL},
            [byPoint](O &o, C &c) {
                KrtObjects &self = Self<KrtObjects>(o);
                MAP_COORDRECT area{};
                bool enclosed = false;
                if (byPoint) {
                    KrtPoint *p = AsKrtPoint(c.Dispatch(0));
                    if (!p) {
                        c.SetDispatch(nullptr);
                        return;
                    }
                    area = {p->x, p->y, p->x, p->y};
                } else {
                    KrtRect *r = AsKrtRect(c.Dispatch(0));
                    if (!r) {
                        c.SetDispatch(nullptr);
                        return;
                    }
                    area = {r->left, r->top, r->right, r->bottom};
                    enclosed = c.Bool(1);
                }
                self.Narrow(area, enclosed);
                self.AddRef();
                c.SetDispatch(&self);
            },
            byPoint ? 0 : 1);
        if (!byPoint)
            m.aliases = {"QueryByMapRect"};
        return m;
    };
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtObjects",
        .progId = "KrtLib.KrtObjects",
        .clsid = kKrtObjectsClsid,
        .dispatchIid = kIKrtObjectsIid,
        .interfaceName = "IKrtObjects",
        .members =
            {
                ReadOnly("Count", VT_I4, [](O &o, C &c) { c.SetLong(Self<KrtObjects>(o).Count()); }),
                ReadOnly("BoundingRectangle", VT_DISPATCH,
                         [](O &o, C &c) { c.SetDispatch(Self<KrtObjects>(o).BoundingRectangle()); }),
                Method("Add", VT_I4, {VT_VARIANT},
                       [](O &o, C &c) { c.SetLong(Self<KrtObjects>(o).Add(c.Dispatch(0))); }),
                Method("Remove", VT_I4, {VT_VARIANT},
                       [](O &o, C &c) { c.SetLong(Self<KrtObjects>(o).Remove(c.arg(0))); }),
                Method("RemoveAll", VT_I4, {}, [](O &, C &c) { c.SetLong(0); }),
                Method("ToString", VT_BSTR, {},
                       [](O &o, C &c) {
                           std::optional<std::u16string> text = Self<KrtObjects>(o).ToString();
                           VariantClear(&c.result());
                           c.result().vt = VT_BSTR;
                           c.result().bstrVal =
                               text ? SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text->data()),
                                                        UINT(text->size()))
                                    : nullptr;
                       }),
                query("QueryByRect", false),
                query("QueryByMapPoint", true),
                [] {
                    MemberInfo item = Prop(
                        "Item", VT_VARIANT,
                        [](O &o, C &c) { c.SetDispatch(Self<KrtObjects>(o).Item(c.arg(0))); },
                        [](O &o, C &c) { Self<KrtObjects>(o).SetItem(c.arg(0), ObjectOf(c.value())); },
                        {VT_VARIANT});
                    item.isDefault = true;
                    return item;
                }(),
                {.name = "_NewEnum",
                 .kind = MemberKind::Property,
                 .type = VT_UNKNOWN,
                 .get =
                     [](O &o, C &c) {
                         IEnumVARIANT *e = Self<KrtObjects>(o).NewEnum();
                         VariantClear(&c.result());
                         c.result().vt = VT_UNKNOWN;
                         c.result().punkVal = e;
                     },
                 .readOnly = true,
                 .dispid = DISPID_NEWENUM},
            },
    });
    return table;
}

KrtObjects::KrtObjects() : DispatchObject(Table()), lock_(KrtMapModule()) {}

KrtObjects::KrtObjects(CMapCtrl *control, int32_t kind, OBJHANDLE group, OBJHANDLE layer)
    : KrtObjects(MapLink(control), kind, group, layer)
{
}

KrtObjects::KrtObjects(const MapLink &map, int32_t kind, OBJHANDLE group, OBJHANDLE layer) : KrtObjects()
{
    map_ = map;
    kind_ = kind;
    group_ = kind == kGroupMembers ? group : 0;
    layer_ = kind == kLayerMembers ? layer : 0;
}

KrtObjects::~KrtObjects() = default;

KrtObjects *AsKrtObjects(IDispatch *object) { return dynamic_cast<KrtObjects *>(object); }

int32_t KrtObjects::LiveCount() const
{
    _WNDRES *rec = map_.record();
    if (!rec)
        return 0;
    switch (kind_) {
    case kAllObjects:
        return GetHandlesCount(rec, OTM_ANY);
    case kSelection:
        return GetHandlesCount(rec, OTM_ANY | OTM_SELECTED);
    case kLayers:
        return GetLayersCount(rec);
    case kGroupMembers:
        return GetGroup(rec, group_, nullptr);
    case kLayerMembers: {
        if (!layer_ || GetOBJectClassID(rec->kernel, layer_) != CLASS_LAYER)
            return 0;
        int32_t count = 0;
        map_layer_Get(map_.window(), layer_, &count, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr,
                      nullptr, nullptr, nullptr, nullptr);
        return count;
    }
    case kIdentified:
        return GetIDsCount(rec);
    case kTexts:
        return GetHandlesCount(rec, OTM_TEXT);
    case kPolygons:
        return GetHandlesCount(rec, OTM_POLYGON);
    case kPolylines:
        return GetHandlesCount(rec, OTM_POLYLINE);
    default:
        return 0;
    }
}

void KrtObjects::BuildSnapshot(HandleSnapshot &out) const
{
    _WNDRES *rec = map_.record();
    if (!rec)
        return;
    const HWND window = map_.window();
    CMapObjArr found;
    auto takeFound = [&] { out.assign(found.GetData(), found.GetData() + found.GetSize()); };
    // The same walk as the count, so that an enumeration gives what Count
    // says.
    auto walk = [&](ObjTypeMask mask) {
        for (OBJHANDLE h = GetNextHandle(rec, 0, mask); h; h = GetNextHandle(rec, h, mask))
            out.push_back(h);
    };
    switch (kind_) {
    case kAllObjects:
        walk(OTM_ANY);
        break;
    case kSelection:
        walk(OTM_ANY | OTM_SELECTED);
        break;
    case kLayers:
        for (OBJHANDLE h = GetNextLayer(rec, 0); h; h = GetNextLayer(rec, h))
            out.push_back(h);
        break;
    case kGroupMembers:
        GetGroup(rec, group_, &found);
        takeFound();
        break;
    case kLayerMembers: {
        const int32_t count = LiveCount();
        if (count <= 0)
            break;
        std::vector<OBJHANDLE> members(size_t(count), 0);
        int32_t got = 0;
        map_layer_Get(window, layer_, &got, members.data(), count, nullptr, nullptr, 0, nullptr, nullptr,
                      nullptr, nullptr, nullptr, nullptr);
        for (int32_t i = 0; i < std::min(got, count) && members[size_t(i)]; ++i)
            out.push_back(members[size_t(i)]);
        break;
    }
    case kIdentified: {
        const OBJHANDLE root = GetRootOBJect(window, CLASS_IDSLIST);
        const int32_t count = GetIDsCount(rec);
        for (int32_t i = 0; root && i < count; ++i) {
            const OBJHANDLE id = GetNthReferenced(rec->kernel, root, i);
            if (!id)
                continue;
            OBJHANDLE user = 0;
            GetIDOBJs(rec->kernel, id, nullptr, nullptr, &user, nullptr, nullptr, nullptr, nullptr);
            if (user)
                out.push_back(user);
        }
        break;
    }
    case kTexts:
        walk(OTM_TEXT);
        break;
    case kPolygons:
        walk(OTM_POLYGON);
        break;
    case kPolylines:
        walk(OTM_POLYLINE);
        break;
    default:
        break;
    }
}

const std::shared_ptr<HandleSnapshot> &KrtObjects::Snapshot()
{
    if (!snapshot_) {
        auto made = std::make_shared<HandleSnapshot>();
        BuildSnapshot(*made);
        snapshot_ = std::move(made);
    }
    return snapshot_;
}

int32_t KrtObjects::Count()
{
    if (!map_.control())
        return 0;
    return snapshot_ ? int32_t(snapshot_->size()) : LiveCount();
}

IDispatch *KrtObjects::BoundingRectangle() const
{
    CMapCtrl *ctl = map_.control();
    if (!ctl)
        return nullptr;
    OBJHANDLE root = 0;
    switch (kind_) {
    case kAllObjects:
    case kLayers:
        root = GetRootOBJect(ctl->hwnd(), CLASS_LAYERS);
        break;
    case kSelection:
        root = GetRootOBJect(ctl->hwnd(), CLASS_SELLIST);
        break;
    case kGroupMembers:
        root = GetRootOBJect(ctl->hwnd(), CLASS_GROUPS);
        break;
    case kLayerMembers:
        root = layer_;
        break;
    default:
        return nullptr;
    }
    if (!root)
        return nullptr;
    MAP_COORDRECT r{2147483647, 2147483647, -2147483647, -2147483647};
    SendOBJectMessage(map_.kernel(), 0, root, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    auto *rect = new KrtRect;
    rect->left = r.x1;
    rect->top = r.y1;
    rect->right = r.x2;
    rect->bottom = r.y2;
    return rect;
}

OBJHANDLE KrtObjects::ResolveKey(const VARIANT &key) const
{
    CMapCtrl *ctl = map_.control();
    if (!ctl)
        return 0;
    Variant value;
    if (FAILED(VariantCopyInd(&value, &key)))
        return 0;
    if (value.vt == VT_BSTR) {
        const std::string text = BstrToWindows1252(value.bstrVal);
        if (kind_ == kLayers)
            return map_layer_Search(ctl->hwnd(), -1, text.c_str());
        return map_id_Search(ctl->hwnd(), text.c_str(), nullptr);
    }
    if (value.vt == VT_DISPATCH && value.pdispVal) {
        OBJHANDLE h = AutomationObjectHandle(value.pdispVal);
        if (!h)
            if (KrtObject *o = AsKrtObject(value.pdispVal))
                h = o->handle;
        if (h)
            return h;
    }
    Variant number;
    if (FAILED(VariantChangeType(&number, &value, 0, VT_I4)))
        return 0;
    return OBJHANDLE(number.lVal);
}

IDispatch *KrtObjects::Item(const VARIANT &key) const
{
    const OBJHANDLE h = ResolveKey(key);
    return h ? new KrtObject(map_, h) : nullptr;
}

void KrtObjects::SetItem(const VARIANT &key, IDispatch *object)
{
    CMapCtrl *ctl = map_.control();
    if (ctl && ResolveKey(key))
        KrtObjectUpdateEngine(*ctl, object);
}

int32_t KrtObjects::Add(IDispatch *object)
{
    CMapCtrl *ctl = map_.control();
    if (!ctl)
        return 0;
    int32_t result = 0;
    switch (kind_) {
    case kAllObjects:
    case kLayers:
    case kLayerMembers:
        // Errors of the bridge reach the caller, without the event.
        result = int32_t(KrtObjectFromAutomation(*ctl, object));
        break;
    case kGroupMembers:
        result = LinkIntoGroup(object);
        break;
    default:
        break;
    }
    const Variant args[] = {VariantFromLong(result)};
    ctl->FireEvent(EVENT_OBJECTADD, args);
    return result;
}

int32_t KrtObjects::LinkIntoGroup(IDispatch *object)
{
    CMapCtrl *ctl = map_.control();
    OBJectKernel *kernel = map_.kernel();
    const OBJHANDLE g = group_;
    const int type = AutomationObjectType(object);
    if (!ctl || !kernel || !g)
        return 0;
    // Makes a group a layer group: directly when it has no members, else
    // only when its whole tree can become one.
    auto makeLayerGroup = [&](OBJHANDLE group) {
        if (GetGroup(ctl->wndRes(), group, nullptr) == 0)
            return LG_SetGroupAsLG(kernel, group, group) != 0 || LG_IsLayerGroup(kernel, group);
        if (!LG_CheckIfLGTree(kernel, group))
            return false;
        LG_SetGroupTreeAsLG(kernel, group);
        return true;
    };
    OBJHANDLE h = AutomationObjectHandle(object);
    switch (type) {
    case kObjectTypePolyline:
    case kObjectTypeText:
    case kObjectTypeLegend:
    case kObjectTypePresentation:
        if (h) {
            ctl->StopDrawingThread();
            map_group_Set(ctl->hwnd(), g, &h, 1, 0, 0);
        }
        return int32_t(g);
    case kObjectTypeGroup: {
        if (!h)
            return int32_t(g);
        const bool a = LG_IsLayerGroup(kernel, g) != 0;
        const bool b = LG_IsLayerGroup(kernel, h) != 0;
        ctl->StopDrawingThread();
        if (a && !b && !makeLayerGroup(h))
            return 0;
        if (b && !a && !makeLayerGroup(g))
            return 0;
        map_group_Set(ctl->hwnd(), g, &h, 1, 0, 0);
        return int32_t(g);
    }
    case kObjectTypeLayer:
        // A layer joins a group only as a member of a layer group.
        if (!h)
            return 0;
        ctl->StopDrawingThread();
        if (!LG_IsLayerGroup(kernel, g) && !makeLayerGroup(g))
            return 0;
        LG_SetInt(kernel, nullptr, g, &h, 1, 0, 0);
        MarkMapModified(*ctl);
        return int32_t(g);
    default:
        return 0;
    }
}

int32_t KrtObjects::Remove(const VARIANT &key)
{
    CMapCtrl *ctl = map_.control();
    if (!ctl)
        return 0;
    const OBJHANDLE h = ResolveKey(key);
    if (!h)
        return 0;
    switch (kind_) {
    case kAllObjects:
    case kLayers:
    case kLayerMembers:
        KrtObjectDeleteEngine(*ctl, h);
        break;
    case kGroupMembers:
        if (group_) {
            ctl->StopDrawingThread();
            DisconnectMemberGroup(map_.kernel(), group_, h);
            MarkMapModified(*ctl);
        }
        break;
    default:
        break;
    }
    return 0;
}

bool KrtObjects::Narrow(const MAP_COORDRECT &rect, bool enclosed)
{
    CMapCtrl *ctl = map_.control();
    if (!ctl)
        return false;
    std::unique_ptr<CMapObjArr> found(GetObjByMap(ctl->hwnd(), &rect, enclosed ? 1 : 0, 3));
    if (!found || found->IsEmpty())
        return false;
    HandleSnapshot &snapshot = *Snapshot();
    const std::unordered_set<OBJHANDLE> keep(found->GetData(), found->GetData() + found->GetSize());
    std::erase_if(snapshot, [&](OBJHANDLE h) { return !keep.contains(h); });
    return true;
}

IEnumVARIANT *KrtObjects::NewEnum() { return new ObjectEnumerator(map_, kind_, Snapshot()); }

std::optional<std::u16string> KrtObjects::ToString()
{
    std::string out;
    try {
        out.reserve(kDumpStartSize);
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
    const std::shared_ptr<HandleSnapshot> snapshot = Snapshot();
    CMapCtrl *ctl = map_.control();
    OBJectKernel *kernel = map_.kernel();
    const HWND window = map_.window();
    // A piece that does not fit for want of memory is left out.
    auto append = [&out](const std::string &piece) {
        try {
            out += piece;
        } catch (const std::bad_alloc &) {
        }
    };
    auto identifiers = [&](Line &line, OBJHANDLE h) {
        const OBJHANDLE id = GetID(kernel, h);
        if (!id)
            return;
        char code[ID_CODE_MAX + 1] = {};
        char name[ID_NAME_MAX + 1] = {};
        GetIDOBJs(kernel, id, code, name, nullptr, nullptr, nullptr, nullptr, nullptr);
        std::string a, b;
        AppendEscaped(a, code);
        AppendEscaped(b, name);
        line.Child("ID1", a).Child("ID2", b);
    };

    append("<xml>\r\n");
    if (ctl && kernel) {
        switch (kind_) {
        case kAllObjects:
        case kLayerMembers:
            for (OBJHANDLE h : *snapshot) {
                Line line("Object");
                line.Number("hObj", Signed(h)).Child("Type", TypeName(GetOBJectClassID(kernel, h), false));
                if (kind_ == kAllObjects)
                    line.Number("Layer", Signed(GetOBJectLayer(kernel, h)));
                identifiers(line, h);
                append(line.Done());
            }
            break;
        case kLayers:
            for (OBJHANDLE h : *snapshot) {
                if (GetOBJectClassID(kernel, h) != CLASS_LAYER)
                    break;
                int32_t number = 0;
                char name[256] = {};
                map_layer_Get(window, h, nullptr, nullptr, 0, &number, name, sizeof name, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr);
                name[sizeof name - 1] = 0;
                std::string escaped;
                AppendEscaped(escaped, name);
                append(Line("Layer")
                           .Number("Number", number)
                           .Child("Name", escaped)
                           .Number("hObj", Signed(h))
                           .Done());
            }
            break;
        case kIdentified: {
            const OBJHANDLE root = GetRootOBJect(window, CLASS_IDSLIST);
            const int32_t count = GetIDsCount(map_.record());
            for (int32_t i = 0; root && i < count; ++i) {
                const OBJHANDLE id = GetNthReferenced(kernel, root, i);
                if (!id)
                    continue;
                char code[ID_CODE_MAX + 1] = {};
                char name[ID_NAME_MAX + 1] = {};
                OBJHANDLE user = 0;
                GetIDOBJs(kernel, id, code, name, &user, nullptr, nullptr, nullptr, nullptr);
                std::string a, b;
                AppendEscaped(a, code);
                AppendEscaped(b, name);
                append(Line("ID")
                           .Number("hObj", Signed(user))
                           .Child("Type", TypeName(GetOBJectClassID(kernel, user), true))
                           .Child("Primary", a)
                           .Child("Secondary", b)
                           .Done());
            }
            break;
        }
        case kTexts:
            for (OBJHANDLE h : *snapshot) {
                char text[kTextDumpLength] = {};
                char face[kFaceDumpLength + 1] = {};
                MAP_COORDPT at{};
                uint32_t length = 0;
                map_text_GetEx(window, h, &length, text, uint16_t(sizeof text), &at, face,
                               uint16_t(sizeof face), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
                text[sizeof text - 1] = 0;
                face[sizeof face - 1] = 0;
                std::string escaped;
                AppendEscaped(escaped, text);
                std::string faceText;
                if (PlainFace(face))
                    AppendEscaped(faceText, face);
                else
                    faceText = "unknown";
                append(Line("Text")
                           .Number("hObj", Signed(h))
                           .Number("hLayer", Signed(GetOBJectLayer(kernel, h)))
                           .Number("x", at.x)
                           .Number("y", at.y)
                           .Child("txt", escaped)
                           .Child("font", faceText)
                           .Done());
            }
            break;
        case kPolygons:
        case kPolylines:
            for (OBJHANDLE h : *snapshot)
                append(Line(kind_ == kPolygons ? "Polygon" : "Polyline")
                           .Number("hObj", Signed(h))
                           .Number("hLayer", Signed(GetOBJectLayer(kernel, h)))
                           .Done());
            break;
        default:
            break;
        }
    }
    append("</xml>\r\n");
    // The engine's texts are Windows-1252; the dump is UTF-16.
    BSTR wide = BstrFromWindows1252(out);
    if (!wide)
        return std::nullopt;
    std::u16string result(reinterpret_cast<const char16_t *>(wide), SysStringLen(wide));
    SysFreeString(wide);
    return result;
}

// --- ObjectEnumerator ----------------------------------------------------------------

ObjectEnumerator::ObjectEnumerator(const MapLink &map, int32_t kind, std::shared_ptr<HandleSnapshot> snapshot,
                                   size_t position)
    : map_(map), kind_(kind), snapshot_(std::move(snapshot)), position_(position), lock_(KrtMapModule())
{
}

ObjectEnumerator::~ObjectEnumerator() = default;

HRESULT ObjectEnumerator::Next(ULONG count, VARIANT *items, ULONG *fetched)
{
    if (!fetched && count > 1)
        return E_INVALIDARG;
    if (count > 0 && !items)
        return E_POINTER;
    ULONG got = 0;
    for (ULONG i = 0; i < count; ++i)
        VariantInit(&items[i]);
    HRESULT result = S_OK;
    for (ULONG i = 0; i < count; ++i) {
        if (kind_ < KrtObjects::kAllObjects || kind_ > KrtObjects::kPolylines || !snapshot_ ||
            position_ >= snapshot_->size()) {
            result = S_FALSE;
            break;
        }
        const OBJHANDLE h = (*snapshot_)[position_++];
        items[i].vt = VT_DISPATCH;
        items[i].pdispVal = new KrtObject(map_, h);
        ++got;
    }
    if (fetched)
        *fetched = got;
    return result;
}

HRESULT ObjectEnumerator::Skip(ULONG count) { return count == 0 ? S_OK : S_FALSE; }

HRESULT ObjectEnumerator::Reset()
{
    position_ = 0;
    return S_OK;
}

HRESULT ObjectEnumerator::Clone(IEnumVARIANT **out)
{
    if (!out)
        return E_POINTER;
    *out = new (std::nothrow) ObjectEnumerator(map_, kind_, snapshot_, position_);
    return *out ? S_OK : E_OUTOFMEMORY;
}
