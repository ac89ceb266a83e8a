// Tools with a tab of their own: attaching tabs, activation, refreshes, the
// enabled state of their buttons, tool-tab buttons and the layout aid.
#include "tools_fixture.h"

#include "tests/editor/shell/support/message_hook.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

// A manager with two tools with tabs (ids 75 and 86) after its own tools.
struct UIManager {
    UIManager() : mgr(Catalogue())
    {
        auto a = std::make_unique<RecordingUITool>(mgr, 75);
        auto b = std::make_unique<RecordingUITool>(mgr, 86);
        text = a.get();
        identifiers = b.get();
        mgr.Tools().Add(std::move(a));
        mgr.Tools().Add(std::move(b));
    }
    TToolMgr mgr;
    RecordingUITool *text;
    RecordingUITool *identifiers;
};

} // namespace

TEST(UITools, RefreshBeforeTheControlsAreBuiltShowsTheErrorBox)
{
    UIManager m;
    MessageRecorder boxes;
    m.text->Refresh();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "System Error : \nAttempt to refresh unconstructed UI.");
    EXPECT_FALSE(m.text->UIBuilt()) << "changes nothing";

    m.text->BuildUI();
    m.text->Refresh();
    EXPECT_EQ(boxes.texts.size(), 1u) << "no box once built";
}

TEST(UITools, ActivationBuildsOnceAndRefreshesEveryTime)
{
    UIManager m;
    MessageRecorder boxes;
    m.mgr.ActivateUITools(75);
    EXPECT_TRUE(m.text->Shown());
    EXPECT_FALSE(m.identifiers->Shown());
    EXPECT_EQ(m.text->builds, 1);
    EXPECT_EQ(m.text->refreshes, 1);
    EXPECT_EQ(m.identifiers->builds, 0);

    m.mgr.ActivateUITools(86);
    m.mgr.ActivateUITools(75);
    EXPECT_EQ(m.text->builds, 1) << "built once";
    EXPECT_EQ(m.text->refreshes, 2);
    EXPECT_EQ(m.identifiers->builds, 1);

    m.mgr.RefreshUITools();
    EXPECT_EQ(m.text->refreshes, 3) << "the shown tool";
    EXPECT_EQ(m.identifiers->refreshes, 1) << "not the hidden one";
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(UITools, ARefreshWhileTheControlsAreBeingBuiltWaits)
{
    // BuildUI lets pending messages run; a refresh arriving then must not
    // find the controls missing.
    UIManager m;
    MessageRecorder boxes;
    QMetaObject::invokeMethod(
        qApp, [&] { m.mgr.RefreshUITools(); }, Qt::QueuedConnection);
    m.mgr.ActivateUITools(75);
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(m.text->refreshes, 1);
}

TEST(UITools, TabsAttachOnlyToToolsWithControls)
{
    UIManager m;
    EXPECT_TRUE(m.mgr.IsUITool(75));
    EXPECT_TRUE(m.mgr.IsUITool(86));
    EXPECT_FALSE(m.mgr.IsUITool(50)) << "undo has no tab";
    EXPECT_FALSE(m.mgr.IsUITool(0));

    TToolTab undoTab;
    EXPECT_EQ(m.mgr.AttachTab(50, &undoTab), nullptr);
    EXPECT_EQ(undoTab.Id, 0) << "untouched";
    EXPECT_EQ(m.mgr.FindTab(50), nullptr);

    EXPECT_EQ(m.mgr.AttachTab(75, nullptr), nullptr) << "no tab";
    EXPECT_EQ(m.text->Tab(), nullptr);

    TToolTab first;
    first.Order = 2;
    EXPECT_EQ(m.mgr.AttachTab(75, &first), &first);
    EXPECT_EQ(first.Id, 75);
    EXPECT_EQ(first.Order, 99);
    EXPECT_EQ(m.text->Tab(), &first);
    EXPECT_EQ(m.identifiers->Tab(), nullptr);
    EXPECT_EQ(m.mgr.FindTab(75), &first);
    EXPECT_EQ(m.mgr.FindTab(86), nullptr);

    {
        TToolTab second;
        m.mgr.AttachTab(75, &second);
        EXPECT_EQ(m.mgr.FindTab(75), &second) << "the last attached";
    }
    EXPECT_EQ(m.mgr.FindTab(75), &first) << "a tab that went is not found";
    EXPECT_EQ(m.text->Tab(), nullptr) << "nor kept by its tool";
}

TEST(UITools, ButtonsOnTheShownTabFollowTheToolsState)
{
    UIManager m;
    TToolTab tab;
    m.mgr.AttachTab(75, &tab);
    auto *box = new QGroupBox(&tab);
    auto *own = new TToolBtn(box);
    own->Id = RecordingUITool::kSubButton;
    auto *foreign = new TToolBtn(&tab);
    foreign->Id = 201; // the map tool's, not this tool's
    auto *edit = new QLineEdit(box);

    m.text->subButtonEnabled = false;
    m.mgr.ActivateUITools(75);
    EXPECT_FALSE(own->isEnabled());
    EXPECT_FALSE(foreign->isEnabled()) << "asked of this tool only";
    EXPECT_TRUE(edit->isEnabled()) << "other controls are left alone";

    m.text->subButtonEnabled = true;
    m.text->UpdateButtons();
    EXPECT_TRUE(own->isEnabled());

    m.mgr.ActivateUITools(86);
    m.text->subButtonEnabled = false;
    m.text->UpdateButtons();
    EXPECT_TRUE(own->isEnabled()) << "a hidden tab is not updated";
}

class ToolTabButtonTest : public ToolsTest {};

TEST_P(ToolTabButtonTest, SetButtonShowsTheCatalogueEntryAndClicksThroughTheManager)
{
    TToolTab tab;
    // An entry with a glyph shows it (the disabled look beside it), one
    // without shows its caption.
    for (uint8_t id : {170, 13}) {
        TToolBtn button(&tab);
        mgr->SetButton(&button, id);
        const TToolData &data = Catalogue().ToolData(id);
        EXPECT_EQ(button.Id, id);
        EXPECT_EQ(button.toolTip().toStdString(), data.Hint);
        if (data.Glyph.isNull()) {
            EXPECT_EQ(button.text().toStdString(), data.Caption) << int(id);
            EXPECT_TRUE(button.icon().isNull()) << int(id);
        } else {
            EXPECT_FALSE(button.icon().isNull()) << int(id);
            EXPECT_FALSE(button.icon().pixmap(data.Glyph.size(), QIcon::Disabled).isNull()) << int(id);
        }
    }
    ASSERT_FALSE(Catalogue().ToolData(170).Glyph.isNull()) << "both kinds were seen";
    ASSERT_TRUE(Catalogue().ToolData(13).Glyph.isNull());

    TToolBtn glyph(&tab);
    mgr->SetButton(&glyph, 170);
    glyph.click();
    EXPECT_EQ(map->Command, 404);
    EXPECT_TRUE(glyph.Latched()) << "the button was the sender";
}

TEST_P(ToolTabButtonTest, AButtonGivenTwiceClicksOnce)
{
    TToolBtn button;
    mgr->SetButton(&button, 50);
    mgr->SetButton(&button, 51);
    EventLog log;
    map->Subscribe<&EventLog::On<15>>(15, &log);
    button.click();
    EXPECT_EQ(log.commands, (std::vector<int32_t>{461})) << "redo once, no undo";
    map->Registry.Unsubscribe(&log);
}

TEST_P(ToolTabButtonTest, ToolsThatHearTheMouseGetEveryEvent)
{
    auto owned = std::make_unique<RecordingUITool>(*mgr, 75);
    RecordingUITool &tool = *owned;
    mgr->Tools().Add(std::move(owned));
    mgr->SetMap(map.get());
    mgr->SetMap(map.get()); // given again: still heard once
    for (int32_t e : {513, 514, 516}) {
        map->SetMouseArgs(0, 0, e, 0);
        map->FireEvent(meMouse);
    }
    EXPECT_EQ(tool.mouseEvents, (std::vector<int32_t>{513, 514, 516}));
    EXPECT_EQ(tool.Map(), map.get());
}

INSTANTIATE_TEST_SUITE_P(Controls, ToolTabButtonTest, ::testing::ValuesIn(ControlKinds()), KindName);

TEST(UIBuilder, PlacesControlsAgainstTheContainersEdges)
{
    struct Case {
        bool inContainer;
        int left, width, height;
        QRect expected;
    };
    // Container 300 x 200 on a tab 250 wide; controls start 50 x 20.
    const Case cases[] = {
        {true, 20, 100, 30, QRect(20, 12, 100, 30)},
        {true, 0, 100, 30, QRect(8, 12, 100, 30)},   // the margin
        {true, -100, 60, 0, QRect(200, 12, 60, 20)}, // from the right edge; height kept
        {true, -100, 0, 25, QRect(200, 12, 92, 25)}, // up to the right margin
        {true, 0, 0, 25, QRect(8, 12, 284, 25)},
        {false, 40, 100, 30, QRect(0, 12, 100, 30)}, // on the tab, at its left edge
        {false, 0, 0, -1, QRect(0, 12, 250, 20)},    // the tab's width
    };
    for (const Case &c : cases) {
        TToolTab tab;
        tab.resize(250, 400);
        QWidget container(&tab);
        container.resize(300, 200);
        auto *control = new QLineEdit;
        control->resize(50, 20);
        TUIBuilder builder(&tab);
        builder.Place(control, c.inContainer ? &container : nullptr, c.left, 12, c.width, c.height);
        EXPECT_EQ(control->geometry(), c.expected) << c.inContainer << " " << c.left << " " << c.width;
        EXPECT_EQ(control->parentWidget(), c.inContainer ? &container : static_cast<QWidget *>(&tab));
        EXPECT_FALSE(control->isHidden());
        EXPECT_EQ(TUIBuilder::RightOf(control), c.expected.x() + c.expected.width());
        EXPECT_EQ(TUIBuilder::Below(control), 12 + c.expected.height());
    }
}

TEST(UIBuilder, CaptionsSitAboveOrBesideTheirControl)
{
    TToolTab tab;
    QWidget box(&tab);
    auto *edit = new QLineEdit(&box);
    edit->setGeometry(120, 60, 100, 24);
    TUIBuilder builder(&tab);

    QLabel *above = builder.AddCaption("Page Scale", edit, true);
    EXPECT_EQ(above->text(), "Page Scale :");
    EXPECT_EQ(above->parentWidget(), &box);
    EXPECT_EQ(above->pos(), QPoint(120, 44));

    QLabel *beside = builder.AddCaption("Size", edit, false);
    EXPECT_GT(beside->width(), 0);
    EXPECT_EQ(beside->x() + beside->width() + 4, 120) << "4 pixels left of the control";
    EXPECT_EQ(beside->y(), 60 + 12 - 8);

    QLabel *label = builder.NewLabel("Colour");
    EXPECT_EQ(label->text(), "Colour :");
    EXPECT_EQ(label->parentWidget(), &tab);
    EXPECT_TRUE(label->alignment() & Qt::AlignRight);
}
