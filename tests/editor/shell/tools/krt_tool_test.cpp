// The map-command tool through the tool manager: which ids are enabled,
// what a click sends to the control and which buttons stay down.
#include "tools_fixture.h"

#include <set>

namespace {

// Ids enabled whenever there is a map, and those that need a selection.
const std::set<int> kMapIds = {166, 167, 168, 169, 170, 174, 175, 182, 184, 188,
                               191, 192, 198, 199, 201, 204, 218, 222, 223, 224};
const std::set<int> kSelectionIds = {176, 177, 181, 186, 187, 193, 200, 203, 214, 220};
const std::set<int> kPolygonIds = {171, 172, 173, 208};

std::set<int> Union(std::initializer_list<std::set<int>> sets)
{
    std::set<int> all;
    for (const auto &s : sets)
        all.insert(s.begin(), s.end());
    return all;
}

// The ids from 166 up whose state differs from the expected set, as text.
std::string StateDifferences(TToolMgr &mgr, const std::set<int> &enabled)
{
    std::string wrong;
    for (int id = 166; id <= 255; ++id)
        if (mgr.GetState(uint8_t(id)) != (enabled.count(id) > 0))
            wrong += std::to_string(id) + (enabled.count(id) ? " off, " : " on, ");
    return wrong;
}

} // namespace

TEST(KrtToolWithoutMap, EnablesNothingWhateverTheClipboardHolds)
{
    TToolMgr mgr(Catalogue());
    SetClipboardBitmap(false);
    EXPECT_EQ(StateDifferences(mgr, {}), "");
    SetClipboardBitmap(true);
    EXPECT_EQ(StateDifferences(mgr, {}), "") << "pasting needs a map to paste into";
    SetClipboardBitmap(false);
}

TEST(KrtToolWithoutMap, ClaimsEveryIdFrom166ButNoneBelow)
{
    TToolMgr mgr(Catalogue());
    TORVTool &krt = *mgr.Tools().Items(0);
    for (int id = 0; id <= 255; ++id) {
        bool owned = false;
        krt.GetState(uint8_t(id), owned);
        EXPECT_EQ(owned, id >= 166) << id;
        bool handled = false;
        krt.ToolClick(nullptr, uint8_t(id), handled);
        EXPECT_EQ(handled, id >= 166) << id;
    }
}

TEST(ToolManager, IdZeroAndIdsWithoutAToolAreDisabledAndNotHandled)
{
    TToolMgr mgr(Catalogue());
    for (uint8_t id : {0, 1, 100, 165}) {
        EXPECT_FALSE(mgr.GetState(id)) << int(id);
        EXPECT_FALSE(mgr.ToolClick(nullptr, id)) << int(id);
    }
}

class KrtToolTest : public ToolsTest {};

TEST_P(KrtToolTest, EnableTableFollowsTheSelection)
{
    SetClipboardBitmap(false);
    EXPECT_EQ(StateDifferences(*mgr, kMapIds), "") << "nothing selected";

    const IKrtObject line = Square(0, 0, true);
    EXPECT_EQ(StateDifferences(*mgr, Union({kMapIds, kSelectionIds, {185}})), "") << "one polyline";

    const IKrtObject polygon = Square(500, 0, true, true);
    EXPECT_EQ(StateDifferences(*mgr, Union({kMapIds, kSelectionIds, kPolygonIds, {178, 185}})), "")
        << "a polyline and a polygon";

    line.PutIsSelected(false);
    EXPECT_EQ(StateDifferences(*mgr, Union({kMapIds, kSelectionIds, kPolygonIds, {185}})), "")
        << "one polygon: no group can be made of it";
}

TEST_P(KrtToolTest, UngroupNeedsAGroupAndDeleteRefusesAPage)
{
    // The wrapper keeps the object types of the selection; a group and the
    // page stand in it as the control reports them.
    Square(0, 0, true);
    ASSERT_TRUE(mgr->GetState(185));
    ASSERT_FALSE(mgr->GetState(179));

    map->SelectionTypes[otGroup] = true;
    EXPECT_TRUE(mgr->GetState(179)) << "a group selected";
    map->SelectionTypes[otPage] = true;
    EXPECT_FALSE(mgr->GetState(185)) << "the page is among the selected objects";
    EXPECT_TRUE(mgr->GetState(181)) << "other selection commands stay";
}

TEST_P(KrtToolTest, ClickSendsTheIdsCommandToTheMap)
{
    EventLog log;
    map->Subscribe<&EventLog::On<15>>(15, &log);
    for (uint8_t id : {167, 170, 198, 224}) {
        EXPECT_TRUE(mgr->ToolClick(nullptr, id));
        EXPECT_EQ(map->Command, ToolIdToCommand(id));
    }
    EXPECT_EQ(log.commands, (std::vector<int32_t>{401, 404, 432, 474}));
}

TEST_P(KrtToolTest, WithoutAMapNothingIsSent)
{
    TToolMgr unbound(Catalogue()); // never given the map
    EventLog log;
    log.HearAll(*map);
    EXPECT_TRUE(unbound.ToolClick(nullptr, 170)) << "still the map tool's id";
    EXPECT_TRUE(unbound.ToolClick(nullptr, 205));
    EXPECT_TRUE(unbound.ToolClick(nullptr, 50)) << "undo";
    EXPECT_TRUE(unbound.ToolClick(nullptr, 51)) << "redo";
    EXPECT_EQ(map->Command, 0);
    EXPECT_TRUE(log.events.empty());
}

TEST_P(KrtToolTest, LatchingButtonsReleaseOneAnother)
{
    auto zoomIn = Button(167), polygon = Button(170), refresh = Button(201);

    mgr->ToolClick(zoomIn.get(), 167);
    EXPECT_TRUE(zoomIn->Latched());
    EXPECT_TRUE(zoomIn->isChecked()) << "shown down";

    mgr->ToolClick(polygon.get(), 170);
    EXPECT_FALSE(zoomIn->Latched()) << "another tool was clicked";
    EXPECT_FALSE(zoomIn->isChecked());
    EXPECT_TRUE(polygon->Latched());

    // A one-shot command leaves the control's tool, and so its button.
    for (uint8_t id : {50, 201, 181, 198}) {
        mgr->ToolClick(refresh.get(), id);
        EXPECT_TRUE(polygon->Latched()) << int(id);
        EXPECT_FALSE(refresh->Latched()) << "refreshing does not stay active";
        EXPECT_FALSE(refresh->isChecked());
    }
    EXPECT_EQ(map->Command, 432);
    // Commands that put another tool in the control's place release it.
    for (uint8_t id : {191, 223}) {
        mgr->ToolClick(polygon.get(), 170);
        ASSERT_TRUE(polygon->Latched());
        mgr->ToolClick(nullptr, id);
        EXPECT_FALSE(polygon->Latched()) << int(id);
    }
}

TEST_P(KrtToolTest, ClickingTheLatchedButtonAgainKeepsItDown)
{
    auto pan = Button(188);
    mgr->ToolClick(pan.get(), 188);
    mgr->ToolClick(pan.get(), 188);
    EXPECT_TRUE(pan->Latched());
    EXPECT_EQ(mgr->Tools().Items(0)->Button(), pan.get());
}

TEST_P(KrtToolTest, AMenuItemLatchesNothingAndLeavesNoButtonDownBehind)
{
    TToolItem item;
    item.Id = 167;
    mgr->ToolClick(&item, 167);
    EXPECT_EQ(map->Command, 401) << "the command still goes";
    EXPECT_EQ(mgr->Tools().Items(0)->Button(), nullptr);

    // A button of the same id is down when its menu item is chosen: the
    // button is released rather than forgotten down.
    auto zoomIn = Button(167);
    mgr->ToolClick(zoomIn.get(), 167);
    ASSERT_TRUE(zoomIn->Latched());
    mgr->ToolClick(&item, 167);
    EXPECT_FALSE(zoomIn->Latched());
    auto polygon = Button(170);
    mgr->ToolClick(polygon.get(), 170);
    EXPECT_FALSE(zoomIn->Latched());
    EXPECT_TRUE(polygon->Latched());
}

TEST_P(KrtToolTest, DeselectingTheControlsToolReleasesTheButtons)
{
    struct Case {
        int32_t command;
        bool released;
    };
    for (const Case c : {Case{400, true}, Case{472, true}, Case{401, false}, Case{435, false}}) {
        auto polygon = Button(170);
        mgr->ToolClick(polygon.get(), 170);
        ASSERT_TRUE(polygon->Latched());
        map->SetCommand(c.command); // map event 15
        EXPECT_EQ(polygon->Latched(), !c.released) << c.command;
        mgr->ReleaseAll();
    }
}

TEST_P(KrtToolTest, ARightButtonPressOnTheMapReleasesTheButton)
{
    auto polyline = Button(169);
    mgr->ToolClick(polyline.get(), 169);
    ASSERT_TRUE(polyline->Latched());
    Mouse(QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_FALSE(polyline->Latched());
}

TEST_P(KrtToolTest, MouseEventsReleaseOnlyOnARightButtonPress)
{
    // The mouse event alone, without the control changing its command.
    struct Case {
        int32_t event;
        bool released;
    };
    for (const Case c : {Case{512, false}, Case{513, false}, Case{517, false}, Case{516, true}}) {
        auto rectangle = Button(218);
        mgr->ToolClick(rectangle.get(), 218);
        map->SetMouseArgs(10, 20, c.event, 0);
        map->FireEvent(meMouse);
        EXPECT_EQ(rectangle->Latched(), !c.released) << c.event;
        mgr->ReleaseAll();
    }
}

TEST_P(KrtToolTest, PasteAndMapExpertTellTheListenersAndRefreshTheShownTab)
{
    auto owned = std::make_unique<RecordingUITool>(*mgr, 75);
    RecordingUITool &tool = *owned;
    mgr->Tools().Add(std::move(owned));
    mgr->ActivateUITools(75);
    ASSERT_EQ(tool.refreshes, 1);

    struct Case {
        uint8_t id;
        bool told;
    };
    for (const Case c : {Case{205, true}, Case{216, true}, Case{209, false}, Case{201, false}}) {
        EventLog log;
        map->Subscribe<&EventLog::On<6>>(6, &log);
        const int before = tool.refreshes;
        mgr->ToolClick(nullptr, c.id);
        EXPECT_EQ(log.events.size(), c.told ? 1u : 0u) << int(c.id);
        EXPECT_EQ(tool.refreshes - before, c.told ? 1 : 0) << int(c.id);
        map->Registry.Unsubscribe(&log);
    }
}

TEST_P(KrtToolTest, ToolClickIsTracedWithTheCatalogueCaption)
{
    TraceLog trace;
    mgr->ToolClick(nullptr, 167);
    mgr->ToolClick(nullptr, 50);
    EXPECT_TRUE(trace.Has("TToolMgr.ToolClick(Zoom in)"));
    EXPECT_TRUE(trace.Has("TToolMgr.ToolClick(Undo)"));
}

TEST_P(KrtToolTest, AButtonThatWentAwayIsReportedWhenReleased)
{
    TraceLog trace;
    auto zoomOut = Button(168);
    mgr->ToolClick(zoomOut.get(), 168);
    zoomOut.reset();
    mgr->ReleaseAll();
    EXPECT_TRUE(trace.Has("Unable to unlatch <TToolBtn>"));
    EXPECT_EQ(mgr->Tools().Items(0)->Button(), nullptr) << "forgotten anyway";

    auto pan = Button(188);
    EXPECT_TRUE(mgr->ToolClick(pan.get(), 188));
    EXPECT_TRUE(pan->Latched()) << "the next click works";
}

TEST_P(KrtToolTest, AFailingControlCallDisablesAndIsTraced)
{
    if (!IsFake())
        GTEST_SKIP() << "only the fake control fails on request";
    TraceLog trace;
    Square(0, 0, true);
    ASSERT_TRUE(mgr->GetState(176));
    FailNext(1001, "Broken selection");
    EXPECT_FALSE(mgr->GetState(176));
    EXPECT_TRUE(mgr->GetState(176)) << "the next query asks again";
    FailNext(1002, "Broken command");
    EXPECT_TRUE(mgr->ToolClick(nullptr, 170)) << "the map tool took the click";
    bool traced = false;
    for (const std::string &line : trace.Lines())
        traced = traced || line.find("Broken") != std::string::npos;
    EXPECT_TRUE(traced);
}

INSTANTIATE_TEST_SUITE_P(Controls, KrtToolTest, ::testing::ValuesIn(ControlKinds()), KindName);
