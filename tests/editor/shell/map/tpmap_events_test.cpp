// The map wrapper: its creation, the control events it turns into map
// events, the event registry's rules and the layer deletion protocol.
#include "map_fixture.h"

#include "platform/clipboard.h"

#include <QApplication>

#include <memory>

namespace {

using Events = std::vector<int>;

class Wrapper : public MapTest {};

TEST_P(Wrapper, CreationSetsUnitsPageAndThePenParkingLayer)
{
    const IMap &c = map->Control();
    EXPECT_EQ(c.UnitsGet(3), 4);
    EXPECT_EQ(c.UnitsGet(4), 29);
    const IKrtPage page = c.Page();
    EXPECT_TRUE(page.IsPortrait());
    // The page keeps whole extents; the scale is read back from them.
    EXPECT_NEAR(page.Scale(), 2500.0, 2.5);
    EXPECT_EQ(page.OriginX(), 0);
    EXPECT_EQ(page.OriginY(), 0);
    EXPECT_FALSE(c.OffscreenDrawing());
    TMapEnumerator e(c.MapLayers());
    const IKrtObject first = e.Next();
    ASSERT_TRUE(first);
    const IKrtLayer layer = first.Layer();
    EXPECT_EQ(layer.Number(), 99);
    EXPECT_EQ(layer.Name(), std::string("Pen") + char(160) + "Parking");
    EXPECT_TRUE(layer.NoFillColor());
    EXPECT_TRUE(map->IsPenParkingLayer(first));
    EXPECT_EQ(map->Widget()->parentWidget(), tab.get());
    EXPECT_FALSE(map->PasteHerePending);
}

TEST_P(Wrapper, ARightPressDeselectsTheToolBeforeEventOneAndAMiddlePressPans)
{
    EventLog log;
    log.HearAll(*map);
    map->SetCommand(403);
    log.events.clear();
    log.commands.clear();
    Mouse(QEvent::MouseButtonPress, Qt::RightButton);
    if (log.events.empty())
        GTEST_SKIP() << "the control raises no MouseEvent yet";
    ASSERT_EQ(log.events, (Events{15, 1}));
    EXPECT_EQ(log.commands.back(), 472) << "event 1 sees the new command";
    EXPECT_EQ(map->MouseArgs.EventId, 516);
    log.events.clear();
    log.commands.clear();
    Mouse(QEvent::MouseButtonPress, Qt::MiddleButton);
    ASSERT_EQ(log.events, (Events{15, 1}));
    EXPECT_EQ(log.commands.back(), 422);
    EXPECT_EQ(map->MouseArgs.EventId, 519);
    // A left press changes no command.
    log.events.clear();
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, {10, 10});
    EXPECT_EQ(log.events, (Events{1}));
    EXPECT_EQ(map->MouseArgs.EventId, 513);
}

TEST_P(Wrapper, AfterPasteHereTheFirstReleaseFiresOneThenSixteen)
{
    EventLog log;
    log.Hear(*map, std::integer_sequence<int, 1, 16>());
    map->SetCommand(458);
    EXPECT_TRUE(map->PasteHerePending);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton);
    if (log.events.empty())
        GTEST_SKIP() << "the control raises no MouseEvent yet";
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(log.events, (Events{1, 1, 16}));
    EXPECT_FALSE(map->PasteHerePending);
    log.events.clear();
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(log.events, (Events{1, 1}));
    // Any other command clears it.
    map->SetCommand(458);
    map->SetCommand(403);
    EXPECT_FALSE(map->PasteHerePending);
}

TEST_P(Wrapper, ACommandThatAddsALayerFiresFifteenThenThree)
{
    QWidget otherTab;
    auto owner = std::make_unique<TPMap>(&otherTab, ClassOf(GetParam()));
    TPMap &source = *owner;
    const IKrtObject roads = source.NewLayer("Roads", 0);
    ASSERT_TRUE(roads);
    const IKrtPoly p = IKrtPoly::New();
    p.Points().AddXY(0, 0);
    p.Points().AddXY(500, 500);
    const IKrtObject line = source.AddPoly(p, roads);
    ASSERT_TRUE(line);
    line.PutIsSelected(true);
    ASSERT_EQ(source.RunCommand(415), 1);

    EventLog log;
    log.Hear(*map, std::integer_sequence<int, 3, 15>());
    map->SetCommand(472);
    EXPECT_EQ(log.events, (Events{15})) << "no layer was added";
    log.events.clear();
    map->SetCommand(448);
    EXPECT_EQ(log.events, (Events{15, 3}));
    EXPECT_TRUE(map->GetLayerByName("Roads"));

    // A closing source renders what it announced, and the clipboard keeps
    // that for other programs: empty it, so nothing outlives the test.
    owner.reset();
    ASSERT_TRUE(OpenClipboard(0));
    EXPECT_TRUE(EmptyClipboard());
    CloseClipboard();
}

TEST_P(Wrapper, ThePageOutlineAndPenParkingLayersAreNeverDeleted)
{
    // The control provides the page-outline layer; the editor never asks
    // for its number.
    const IKrtObject outline = map->GetLayerByNumber(kPageOutlineLayer);
    ASSERT_TRUE(outline);
    ASSERT_TRUE(map->IsPageOutlineLayer(outline));
    const IKrtObject parking = map->GetLayerByNumber(99);
    ASSERT_TRUE(parking);
    EventLog log;
    log.HearAll(*map);
    for (const IKrtObject &layer : {parking, outline}) {
        log.events.clear();
        EXPECT_FALSE(map->DeleteLayer(layer));
        EXPECT_EQ(log.events, (Events{5}));
        EXPECT_EQ(layer.ObjectType(), otLayer);
    }
    EXPECT_EQ(map->LayerArgs.Number, -1) << "the arguments are cleared afterwards";
}

TEST_P(Wrapper, AListenerOfEventFourMayRefuseTheDeletion)
{
    const IKrtObject layer = map->NewLayer("Kept", 0);
    struct Refuser {
        void OnDeleting(TPMap &m)
        {
            name = m.LayerArgs.Name;
            m.LayerDeleteRefused = true;
        }
        std::string name;
    } refuser;
    map->Subscribe<&Refuser::OnDeleting>(meLayerDeleting, &refuser);
    EventLog log;
    log.HearAll(*map);
    EXPECT_FALSE(map->DeleteLayer(layer));
    EXPECT_EQ(refuser.name, "Kept");
    EXPECT_EQ(log.events, (Events{4, 5}));
    EXPECT_EQ(layer.ObjectType(), otLayer);
}

TEST_P(Wrapper, AHeldSixStaysSilentUntilReleased)
{
    const IKrtObject a = map->NewLayer("A", 0);
    const IKrtObject b = map->NewLayer("B", 0);
    EventLog log;
    log.HearAll(*map);
    map->HoldEvent(meObjectsRemoved);
    EXPECT_TRUE(map->DeleteLayer(a));
    EXPECT_EQ(log.events, (Events{4}));
    EXPECT_EQ(a.ObjectType(), otNone);
    map->HoldEvent(meNone);
    log.events.clear();
    EXPECT_TRUE(map->DeleteLayer(b));
    EXPECT_EQ(log.events, (Events{4, 6}));
}

TEST_P(Wrapper, DeletingALayerThatIsGoneAlreadyFailsWithoutEventSix)
{
    const IKrtObject layer = map->NewLayer("Once", 0);
    ASSERT_TRUE(map->DeleteLayer(layer));
    EventLog log;
    log.HearAll(*map);
    EXPECT_FALSE(map->DeleteLayer(layer));
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), 6), 0);
    EXPECT_FALSE(map->DeleteLayer(IKrtObject()));
}

TEST_P(Wrapper, TheSameMethodIsSubscribedOncePerNumberWhateverItsObject)
{
    EventLog first, second;
    EXPECT_TRUE((map->Subscribe<&EventLog::On<2>>(2, &first)));
    EXPECT_FALSE((map->Subscribe<&EventLog::On<2>>(2, &second)));
    EXPECT_FALSE((map->Subscribe<&EventLog::On<2>>(2, &first)));
    // One method may listen to several numbers.
    EXPECT_TRUE((map->Subscribe<&EventLog::On<2>>(1, &first)));
    map->FireEvent(2);
    map->FireEvent(1);
    EXPECT_EQ(first.events, (Events{2, 2}));
    EXPECT_TRUE(second.events.empty());
}

TEST_P(Wrapper, ListenersAddedDuringAFireWaitForTheNextAndNestedFiresRunFirst)
{
    struct Listener {
        void OnEight(TPMap &m)
        {
            order.push_back(8);
            m.Subscribe<&Listener::OnEightLate>(8, this);
            m.FireEvent(9);
        }
        void OnEightLate(TPMap &) { order.push_back(80); }
        void OnNine(TPMap &) { order.push_back(9); }
        std::vector<int> order;
    } l;
    map->Subscribe<&Listener::OnEight>(8, &l);
    map->Subscribe<&Listener::OnNine>(9, &l);
    map->FireEvent(8);
    EXPECT_EQ(l.order, (Events{8, 9}));
    l.order.clear();
    map->FireEvent(8);
    EXPECT_EQ(l.order, (Events{8, 9, 80}));
}

TEST_P(Wrapper, ControlCallbacksAreCalledOnlyWhenSet)
{
    std::vector<std::pair<int32_t, int32_t>> captions;
    int added = 0;
    map->BeginUndoStep();
    map->NewGroup(); // no callback set yet: nothing to call
    map->EndUndoStep(0);
    map->OnUndoRedoCaption = [&](TPMap &, int32_t which, int32_t code) { captions.push_back({which, code}); };
    map->OnObjectAdded = [&](TPMap &) { ++added; };
    map->BeginUndoStep();
    map->NewGroup();
    map->EndUndoStep(12);
    EXPECT_EQ(added, 1);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front(), (std::pair<int32_t, int32_t>{3, 12}));
}

TEST_P(Wrapper, SavingFiresNineAndOnlyOnSuccessTen)
{
    EventLog log;
    log.HearAll(*map);
    EXPECT_TRUE(map->Save("/tmp/never-written.mpd"));
    EXPECT_EQ(log.events, (Events{9, 10}));
    EXPECT_EQ(map->FileName, "/tmp/never-written.mpd");
    if (!IsFake())
        return;
    log.events.clear();
    EXPECT_FALSE(map->Save(""));
    EXPECT_EQ(log.events, (Events{9}));
    EXPECT_EQ(map->FileName, "/tmp/never-written.mpd");
}

TEST_P(Wrapper, SelectionChangesRefreshTheTypesAndFireTwo)
{
    EventLog log;
    log.Hear(*map, std::integer_sequence<int, 2>());
    const IKrtObject line = Poly({{0, 0}, {10, 10}}, true);
    const IKrtObject text = map->NewText("Label", 5, 5, nullptr, IKrtObject());
    line.PutIsSelected(true);
    text.PutIsSelected(true);
    EXPECT_EQ(log.events, (Events{2, 2}));
    EXPECT_TRUE(map->SelectionHasType(otPolyline));
    EXPECT_TRUE(map->SelectionHasType(otText));
    EXPECT_FALSE(map->SelectionHasType(otPolygon));
    EXPECT_FALSE(map->SelectionHasType(34));
    EXPECT_FALSE(map->SelectionHasType(-1));
    map->RunCommand(471);
    EXPECT_FALSE(map->SelectionHasType(otText));
}

INSTANTIATE_TEST_SUITE_P(Controls, Wrapper, ::testing::ValuesIn(ControlKinds()), KindName);

} // namespace
