#include "editor/shell/map/map_object_helpers.h"

#include "editor/shell/map/krt_list.h"

#include <memory>

namespace {

// The walks' state: one object walk (shared by the plain and the typed
// walk, with the wanted type), one layer walk and one group-member walk.
struct Walks {
    std::unique_ptr<TMapEnumerator> objects;
    int32_t wantedType = 0;
    std::unique_ptr<TMapEnumerator> layers;
    std::unique_ptr<TMapEnumerator> members;
};

Walks &State()
{
    static Walks walks;
    return walks;
}

IKrtObject Step(std::unique_ptr<TMapEnumerator> &walk)
{
    if (!walk)
        return {};
    IKrtObject o = walk->Next();
    if (o.IsNone())
        walk.reset();
    return o;
}

} // namespace

IKrtPoint NewKrtPoint() { return IKrtPoint::New(); }
IKrtPoly NewKrtPoly() { return IKrtPoly::New(); }
IKrtRect NewKrtRect() { return IKrtRect::New(); }
IKrtText NewKrtText() { return IKrtText::New(); }

IKrtObject FirstMapObject(const IMap *map)
{
    State().objects.reset();
    if (!map || map->IsNone())
        return {};
    State().objects = std::make_unique<TMapEnumerator>(map->MapObjects());
    return NextMapObject();
}

IKrtObject NextMapObject() { return Step(State().objects); }

IKrtObject FirstMapLayer(const IMap *map)
{
    State().layers.reset();
    if (!map || map->IsNone())
        return {};
    State().layers = std::make_unique<TMapEnumerator>(map->MapLayers());
    return NextMapLayer();
}

IKrtObject NextMapLayer() { return Step(State().layers); }

IKrtObject FirstGroupMember(const IKrtObject &group)
{
    State().members.reset();
    if (group.IsNone())
        return {};
    const IKrtGroup g = group.Group();
    if (g.IsNone())
        return {};
    State().members = std::make_unique<TMapEnumerator>(g.Objects());
    return NextGroupMember();
}

IKrtObject NextGroupMember() { return Step(State().members); }

IKrtObject FirstMapObjectOfType(const IMap *map, int32_t type)
{
    State().objects.reset();
    State().wantedType = type;
    if (!map || map->IsNone())
        return {};
    State().objects = std::make_unique<TMapEnumerator>(map->MapObjects());
    return NextMapObjectOfType();
}

IKrtObject NextMapObjectOfType()
{
    for (IKrtObject o = NextMapObject(); o; o = NextMapObject())
        if (o.ObjectType() == State().wantedType)
            return o;
    return {};
}

void ResetMapWalks() { State() = Walks(); }

int32_t AddPolyToMap(const IKrtPoly &poly, int32_t layer, const IMap &map)
{
    const int32_t count = poly.Points().Count();
    if (count < 3)
        poly.PutIsPolyline(true);
    if (count < 2 || layer <= 0)
        return 0;
    int32_t handle = 0;
    try {
        const IKrtObjects objects = map.MapObjects();
        handle = objects.Add(poly);
        objects.Item(handle).PuthLayer(layer);
    } catch (const ControlException &) {
        // the handle obtained, if any, stands
    }
    return handle;
}

int32_t AddObjectToMap(const KrtDispatch &object, int32_t layer, const IMap &map)
{
    const IKrtObjects objects = map.MapObjects();
    const int32_t handle = objects.Add(object);
    if (layer > 0 && handle > 0)
        objects.Item(handle).PuthLayer(layer);
    return handle;
}

void MakeKrtText(const std::string &text, int32_t x, int32_t y, const TFontSpec *font, int32_t horizontal,
                 int32_t vertical, IKrtText &result)
{
    result = IKrtText::New();
    result.PutText(text.empty() ? std::string(" ") : text);
    const IKrtPoint at = IKrtPoint::New();
    at.Putx(x);
    at.Puty(y);
    result.PutPosition(at);
    result.PutHorizontalAlignment(horizontal);
    result.PutVerticalAlignment(vertical);
    result.PutLockTo(1);
    if (font) {
        result.PutFont(IStdFont::Of(font->Name, font->Size));
        result.PutSize(font->Size);
        result.PutColor(font->Color);
    } else {
        result.PutSize(8);
    }
    result.PutUseLayerColor(false);
}

IKrtText MakeObjectLabel(const IKrtObject &object)
{
    if (object.IsNone())
        return {};
    const int32_t type = object.ObjectType();
    if (type != otPolyline && type != otPolygon)
        return {};
    const IKrtRect r = object.BoundingRectangle();
    // Halves truncated towards zero, summed in 64 bits.
    const auto x = int32_t((int64_t(r.left()) + r.right()) / 2);
    const auto y = int32_t((int64_t(r.top()) + r.bottom()) / 2);
    const TFontSpec font{"Arial", 6, 0};
    IKrtText label;
    MakeKrtText(object.PrimaryID(), x, y, &font, -1, -1, label);
    label.PutIsDerivedFromID(true);
    return label;
}

IKrtObject FindMapText(const std::string &text, const IMap *map)
{
    if (text.empty() || !map || map->IsNone())
        return {};
    TMapEnumerator e(map->MapObjects());
    for (IKrtObject o = e.Next(); o; o = e.Next())
        if (o.ObjectType() == otText && o.Text().Text() == text)
            return o;
    return {};
}

void ShowMapObject(int32_t handle, const IMap &map, int steps)
{
    map.Command(471); // deselect the objects
    map.MapObjects().Item(handle).PutIsSelected(true);
    map.Command(434); // view the selection
    // A rectangle of four zeros stands for the current view.
    const IKrtRect current = IKrtRect::New();
    current.Putleft(0);
    current.Puttop(0);
    current.Putright(0);
    current.Putbottom(0);
    for (int i = 0; i < steps; ++i)
        map.Zoom(current, false);
}

bool IsInternalLayer(const IKrtObject &object, const IMap &map)
{
    const IKrtLayer l = ObjectLayer(object, map);
    return l && l.Number() > 65535;
}

bool IsPrivateLayer(const IKrtObject &object, const IMap &map)
{
    const IKrtLayer l = ObjectLayer(object, map);
    if (l.IsNone())
        return false;
    const std::string name = l.Name();
    return !name.empty() && name[0] == '_';
}

bool IsPrivateObject(const IKrtObject &object)
{
    if (object.IsNone())
        return false;
    const std::string id = object.PrimaryID();
    return !id.empty() && id[0] == '_';
}
