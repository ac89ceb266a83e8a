// The Undo and Redo tools: the Edit menu's captions from the control's
// reports, the enabled state that follows them, and the commands they send.
#include "tools_fixture.h"

namespace {

struct MenuItems {
    explicit MenuItems(TToolMgr &mgr)
    {
        undo.setText("Undo");
        redo.setText("Redo");
        mgr.SetUndoItem(&undo);
        mgr.SetRedoItem(&redo);
    }
    QAction undo;
    QAction redo;
};

} // namespace

TEST(UndoRedoTools, WithoutAMenuItemTheyStayDisabledAndCaptionNothing)
{
    TToolMgr mgr(Catalogue());
    auto *undo = dynamic_cast<TUndoTool *>(mgr.FindTool(50));
    ASSERT_NE(undo, nullptr);
    undo->SetCaption(100);
    EXPECT_FALSE(mgr.GetState(50));

    auto item = std::make_unique<QAction>();
    mgr.SetUndoItem(item.get());
    undo->SetCaption(100);
    EXPECT_TRUE(mgr.GetState(50));
    item.reset(); // the menu went first
    EXPECT_FALSE(mgr.GetState(50));
    undo->SetCaption(6);
    EXPECT_EQ(undo->MenuItem(), nullptr);
}

class UndoRedoTest : public ToolsTest {};

TEST_P(UndoRedoTest, ReportsBecomeCaptionsThatEnableTheCommands)
{
    TToolMgr &mgr = *this->mgr;
    MenuItems items(mgr);
    EXPECT_FALSE(mgr.GetState(50)) << "the catalogue caption enables nothing";
    EXPECT_FALSE(mgr.GetState(51));

    struct Case {
        int32_t kind;
        int32_t code;
        const char *undo;
        const char *redo;
    };
    const Case cases[] = {
        {3, 100, "&Undo Delete", "Redo"},
        {4, 250, "&Undo Delete", "&Redo Move"},
        {3, 0, "&Undo ", "&Redo Move"},
        {4, 1, "&Undo ", "&Redo "},
        {3, 36, "&Undo Last Action (36)", "&Redo "},
        {3, 212, "&Undo Join Lines", "&Redo "},
        {4, 213, "&Undo Join Lines", "&Redo Join Lines"},
        {4, 38, "&Undo Join Lines", "&Redo Rotate"},
        {5, 100, "&Undo Join Lines", "&Redo Rotate"}, // no such kind
        {0, 2, "&Undo Join Lines", "&Redo Rotate"},
    };
    for (const Case &c : cases) {
        mgr.UndoRedoCaption(*map, c.kind, c.code);
        const std::string what = std::to_string(c.kind) + "/" + std::to_string(c.code);
        EXPECT_EQ(items.undo.text().toStdString(), c.undo) << what;
        EXPECT_EQ(items.redo.text().toStdString(), c.redo) << what;
        EXPECT_EQ(mgr.GetState(50), std::string(c.undo).size() > 8) << what;
        EXPECT_EQ(mgr.GetState(51), std::string(c.redo).size() > 8) << what;
    }
}

TEST_P(UndoRedoTest, UndoSends459AndTellsTheListenersRedoSends461Only)
{
    struct Case {
        uint8_t id;
        std::vector<int> events;
        std::vector<int32_t> commands;
    };
    const Case cases[] = {
        {50, {15, 6}, {459, 459}},
        {51, {15}, {461}},
    };
    for (const Case &c : cases) {
        EventLog log;
        map->Subscribe<&EventLog::On<15>>(15, &log);
        map->Subscribe<&EventLog::On<6>>(6, &log);
        EXPECT_TRUE(mgr->ToolClick(nullptr, c.id));
        EXPECT_EQ(log.events, c.events) << int(c.id);
        EXPECT_EQ(log.commands, c.commands) << int(c.id);
        map->Registry.Unsubscribe(&log);
    }
}

TEST_P(UndoRedoTest, TheControlsReportsReachTheMenuThroughTheMap)
{
    MenuItems items(*mgr);
    map->BeginUndoStep();
    Square(0, 0, false);
    map->EndUndoStep(100);
    EXPECT_EQ(items.undo.text().toStdString(), "&Undo Delete");
    EXPECT_TRUE(mgr->GetState(50));
    EXPECT_FALSE(mgr->GetState(51)) << "nothing to redo yet";

    mgr->ToolClick(nullptr, 50);
    EXPECT_EQ(items.redo.text().toStdString(), "&Redo Delete") << "the step went over to redo";
    EXPECT_TRUE(mgr->GetState(51));

    mgr->ToolClick(nullptr, 51);
    EXPECT_EQ(items.undo.text().toStdString(), "&Undo Delete");
    EXPECT_TRUE(mgr->GetState(50));
    EXPECT_EQ(items.redo.text().toStdString(), "&Redo ");
    EXPECT_FALSE(mgr->GetState(51));
}

TEST_P(UndoRedoTest, UndoAndRedoBelongToTheCurrentMapOnly)
{
    MenuItems items(*mgr);
    const TUndoRedoList &list = dynamic_cast<TUndoTool &>(*mgr->FindTool(50)).List();
    // What the items must say for a map: its own next steps.
    auto shows = [&](const TPMap &m) {
        EXPECT_EQ(items.undo.text().toStdString(), "&Undo " + list.Caption(m.NextUndoCode));
        EXPECT_EQ(items.redo.text().toStdString(), "&Redo " + list.Caption(m.NextRedoCode));
    };
    map->BeginUndoStep();
    Square(0, 0, false);
    map->EndUndoStep(2);
    ASSERT_EQ(items.undo.text().toStdString(), "&Undo Draw Polygon");

    // A new map in a second tab: nothing of the first map's history.
    QWidget secondTab;
    secondTab.resize(400, 300);
    TPMap second(&secondTab, ClassOf(GetParam()));
    mgr->SetMap(&second);
    EXPECT_NE(second.NextUndoCode, 2);
    shows(second);

    // The first map's reports while the second is current are its own.
    map->BeginUndoStep();
    Square(300, 0, false);
    map->EndUndoStep(100);
    EXPECT_EQ(map->NextUndoCode, 100);
    shows(second);

    // An undo in the second map leaves the first one alone.
    const int32_t first = map->Control().MapObjects().Count();
    mgr->ToolClick(nullptr, 50);
    EXPECT_EQ(map->Control().MapObjects().Count(), first);
    EXPECT_EQ(map->NextUndoCode, 100);
    EXPECT_EQ(map->NextRedoCode, 0);
    shows(second);

    // The second map's own step, then back to the first map and again.
    const IKrtPoly line = IKrtPoly::New();
    line.Points().AddXY(0, 0);
    line.Points().AddXY(50, 50);
    line.PutIsPolyline(true);
    second.BeginUndoStep();
    second.AddPoly(line, IKrtObject());
    second.EndUndoStep(3);
    EXPECT_EQ(items.undo.text().toStdString(), "&Undo Draw Polyline");
    mgr->SetMap(map.get());
    EXPECT_EQ(items.undo.text().toStdString(), "&Undo Delete") << "the first map's last step";
    EXPECT_TRUE(mgr->GetState(50));
    mgr->ToolClick(nullptr, 50);
    EXPECT_EQ(map->Control().MapObjects().Count(), first - 1);
    EXPECT_EQ(items.redo.text().toStdString(), "&Redo Delete");
    mgr->SetMap(&second);
    EXPECT_EQ(items.undo.text().toStdString(), "&Undo Draw Polyline");
    shows(second);
    mgr->SetMap(nullptr);
    EXPECT_FALSE(mgr->GetState(50));
    EXPECT_FALSE(mgr->GetState(51));
    mgr->SetMap(map.get());
}

INSTANTIATE_TEST_SUITE_P(Controls, UndoRedoTest, ::testing::ValuesIn(ControlKinds()), KindName);
