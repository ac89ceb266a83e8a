// What the editor relies on of a map control, run against the fake and the
// real control alike: a difference is a fault in one of them.
#include "map_fixture.h"

#include <QApplication>

namespace {

#define SKIP_UNLESS_MEMBERS(map, ...)                                                                        \
    do {                                                                                                     \
        const std::string missing_ = MissingMembers(map, {__VA_ARGS__});                                     \
        if (!missing_.empty())                                                                               \
            GTEST_SKIP() << "the control has no " << missing_                                                \
                         << " yet: they land with its automation object "                                    \
                            "model";                                                                         \
    } while (0)

class Contract : public ControlTest {};

TEST_P(Contract, IsCreatedByClassIdWithAWidgetAndAnEventInterface)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    ASSERT_TRUE(map);
    EXPECT_NE(map.Widget(), nullptr);
    struct Sink : IMapEvents {
    } sink;
    MapEventConnection events;
    events.Connect(map, &sink);
    EXPECT_TRUE(events.connected());
}

TEST_P(Contract, UnitsAreSetAndReadBack)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    map.UnitsSet(3, 4);
    map.UnitsSet(4, 29);
    EXPECT_EQ(map.UnitsGet(3), 4);
    EXPECT_EQ(map.UnitsGet(4), 29);
    map.UnitsSet(4, 30);
    EXPECT_EQ(map.UnitsGet(4), 30);
    EXPECT_FALSE(map.UnitStringGet(4, true).empty());
}

TEST_P(Contract, CommandsTheEditorSendsAreHandled)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    for (int32_t command : {400, 403, 422, 432, 433, 435, 471, 472})
        EXPECT_EQ(map.Command(command), 1) << command;
}

TEST_P(Contract, ModifiedAndOffscreenFlagsAreKept)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    map.PutIsModified(true);
    EXPECT_TRUE(map.IsModified());
    map.PutIsModified(false);
    EXPECT_FALSE(map.IsModified());
    map.PutOffscreenDrawing(false);
    EXPECT_FALSE(map.OffscreenDrawing());
}

TEST_P(Contract, ExportWithoutAFileNameAnswersThree)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    EXPECT_EQ(map.ExportEx("PNG", "", false), 3);
}

TEST_P(Contract, AFailedCallArrivesAsOneExceptionWithCodeAndText)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    try {
        map.Call("NoSuchMember");
        FAIL() << "no exception";
    } catch (const ControlException &e) {
        EXPECT_EQ(e.code(), DISP_E_UNKNOWNNAME);
        EXPECT_NE(e.text().find("NoSuchMember"), std::string::npos);
    }
    try {
        map.Call("Command", {VariantFromString("not a number")});
        FAIL() << "no exception";
    } catch (const ControlException &e) {
        EXPECT_EQ(e.code(), DISP_E_TYPEMISMATCH);
    }
    // The control is still usable.
    EXPECT_EQ(map.Command(472), 1);
}

TEST_P(Contract, FreeStandingObjectsAreMadeByProgId)
{
    const IKrtPoint p = IKrtPoint::New();
    p.Putx(-5);
    p.Puty(2147483647);
    EXPECT_EQ(p.x(), -5);
    EXPECT_EQ(p.y(), 2147483647);
    const IKrtRect r = IKrtRect::New();
    r.Putright(7);
    r.Putleft(-7);
    EXPECT_EQ(r.right(), 7);
    EXPECT_EQ(r.left(), -7);
}

TEST_P(Contract, TheInitialLayerIsTheFirstOfTheLayers)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    SKIP_UNLESS_MEMBERS(map, "MapLayers");
    const IKrtObjects layers = map.MapLayers();
    ASSERT_GE(layers.Count(), 1);
    TMapEnumerator e(layers);
    const IKrtObject first = e.Next();
    ASSERT_TRUE(first);
    EXPECT_EQ(first.ObjectType(), otLayer);
    EXPECT_EQ(first.Layer().hObject(), first.hObject());
}

TEST_P(Contract, ObjectsReadThroughAPropertyAreCopies)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    SKIP_UNLESS_MEMBERS(map, "MapLayers", "MapObjects");
    TMapEnumerator e(map.MapLayers());
    const IKrtObject layer = e.Next();
    ASSERT_TRUE(layer);
    const std::string before = layer.Layer().Name();
    const IKrtLayer copy = layer.Layer();
    copy.PutName("Changed");
    EXPECT_EQ(layer.Layer().Name(), before);
    layer.PutLayer(copy);
    EXPECT_EQ(layer.Layer().Name(), "Changed");
}

TEST_P(Contract, AddingAnObjectRaisesObjectAddAndSelectingRaisesSelectionChanged)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    SKIP_UNLESS_MEMBERS(map, "MapObjects", "Selection");
    struct Sink : IMapEvents {
        std::vector<std::pair<int, int32_t>> heard;
        void ObjectAddEvent(int32_t h) override { heard.push_back({14, h}); }
        void SelectionChanged(int32_t n) override { heard.push_back({9, n}); }
    } sink;
    MapEventConnection events;
    events.Connect(map, &sink);
    const IKrtPoly poly = IKrtPoly::New();
    poly.Points().AddXY(0, 0);
    poly.Points().AddXY(100, 0);
    poly.Points().AddXY(100, 100);
    poly.PutIsPolyline(false);
    const int32_t handle = map.MapObjects().Add(poly);
    ASSERT_GT(handle, 0);
    const IKrtObject o = map.MapObjects().Item(handle);
    EXPECT_EQ(o.ObjectType(), otPolygon);
    o.PutIsSelected(true);
    o.PutIsSelected(true); // the current value: nothing happens
    const std::vector<std::pair<int, int32_t>> expected = {{14, handle}, {9, 1}};
    EXPECT_EQ(sink.heard, expected);
    EXPECT_EQ(map.Selection().Objects().Count(), 1);
    // A missing object reads with type 0.
    map.MapObjects().Remove(handle);
    EXPECT_EQ(map.MapObjects().Item(handle).ObjectType(), otNone);
}

TEST_P(Contract, UndoStepsAreReportedWithTheirCode)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    SKIP_UNLESS_MEMBERS(map, "MapObjects", "UndoRedo");
    struct Sink : IMapEvents {
        std::vector<std::pair<int32_t, int32_t>> captions;
        void UndoRedoCaption(int32_t which, int32_t code) override { captions.push_back({which, code}); }
    } sink;
    MapEventConnection events;
    events.Connect(map, &sink);
    map.UndoRedo().BeginStep();
    map.MapObjects().Add(IKrtGroup::New());
    map.MapObjects().Add(IKrtGroup::New());
    EXPECT_TRUE(sink.captions.empty()) << "no caption while the step is open";
    map.UndoRedo().EndStep(17);
    ASSERT_FALSE(sink.captions.empty());
    EXPECT_EQ(sink.captions.front(), (std::pair<int32_t, int32_t>{3, 17}));
    sink.captions.clear();
    map.Command(459);
    EXPECT_NE(std::find(sink.captions.begin(), sink.captions.end(), std::pair<int32_t, int32_t>{4, 17}),
              sink.captions.end());
}

TEST_P(Contract, IdentifiersKeepTheLengthsOfTheEnginesRecord)
{
    const IMap map = IMap::Create(ClassOf(GetParam()));
    const IKrtPoly poly = IKrtPoly::New();
    poly.Points().AddXY(0, 0);
    poly.Points().AddXY(10, 10);
    const IKrtObject o = map.MapObjects().Item(map.MapObjects().Add(poly));
    ASSERT_EQ(o.ObjectType(), otPolyline);
    // The engine keeps 12 characters of an identifier and 32 of its
    // description; longer texts are cut, shorter ones kept whole.
    const std::string longText(40, 'x');
    o.PutPrimaryID(longText);
    o.PutSecondaryID(longText);
    EXPECT_EQ(o.PrimaryID(), longText.substr(0, 12));
    EXPECT_EQ(o.SecondaryID(), longText.substr(0, 32));
    o.PutPrimaryID("A1");
    o.PutSecondaryID("Oak");
    EXPECT_EQ(o.PrimaryID(), "A1");
    EXPECT_EQ(o.SecondaryID(), "Oak");
}

INSTANTIATE_TEST_SUITE_P(Controls, Contract, ::testing::ValuesIn(ControlKinds()), KindName);

} // namespace
