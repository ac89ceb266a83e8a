#include "editor/shell/catalogue/tool_button.h"
#include "editor/shell/catalogue/tool_panels.h"
#include "editor/shell/support/reg_link.h"

#include "catalogue_fixture.h"

#include <QVBoxLayout>

namespace {

// What a panel shows: per control its tool id (0 a divider) and its left
// and top edges.
struct Shown {
    int id;
    int left;
    int top;
    bool operator==(const Shown &) const = default;
};
std::ostream &operator<<(std::ostream &out, const Shown &s)
{
    return out << "{" << s.id << ", " << s.left << ", " << s.top << "}";
}

std::vector<Shown> ShownOf(const std::vector<QWidget *> &controls)
{
    std::vector<Shown> shown;
    for (QWidget *control : controls)
        shown.push_back({ToolIdOf(control), control->x(), control->y()});
    return shown;
}

std::vector<Shown> ShownOfLite(const QWidget &panel)
{
    auto children = panel.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    std::sort(children.begin(), children.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
    return ShownOf(std::vector<QWidget *>(children.begin(), children.end()));
}

class PanelTest : public CatalogueTest {
protected:
    PanelTest() : toolbars(HKEY_CURRENT_USER, "\\Software\\Vorn Technology\\ORVPro\\Toolbars")
    {
        window.resize(800, 600);
        new QVBoxLayout(&window);
    }
    TRegLink toolbars;
    QWidget window;
};

TEST_F(PanelTest, StandardLayoutsPlaceButtonsAndDividers)
{
    struct Case {
        const char *layout;
        std::vector<Shown> shown;
    };
    const Case cases[] = {
        {"00", {}},
        {"0007", {{10, 2, 2}}},
        {"000007", {{0, 5, 4}, {10, 8, 2}}},
        {"0007080", {{10, 2, 2}, {11, 26, 2}}},      // odd length: the last character is ignored
        {"0004076CZZ08", {{10, 2, 2}, {11, 26, 2}}}, // position 4, 108 and a non-number skipped
        {"", {}},
    };
    for (const Case &c : cases) {
        TToolPanel panel(*form, &window);
        panel.Place(&window, alTop);
        panel.LoadLayout(c.layout);
        EXPECT_EQ(ShownOf(panel.Controls()), c.shown) << c.layout;
    }
}

TEST_F(PanelTest, VerticalPanelsStackDownwards)
{
    TToolPanel panel(*form, &window);
    panel.Place(&window, alLeft);
    EXPECT_FALSE(panel.Horizontal());
    EXPECT_EQ(panel.width(), 24);
    EXPECT_EQ(panel.toolTip(), "Right click to customise toolpanels");
    panel.LoadLayout("00070007");
    EXPECT_EQ(ShownOf(panel.Controls()), (std::vector<Shown>{{10, 0, 2}, {0, 2, 26}, {10, 0, 32}}));
    EXPECT_EQ(panel.Controls()[1]->width(), 20);

    TToolPanel bottom(*form, &window);
    bottom.Place(&window, alBottom);
    EXPECT_TRUE(bottom.Horizontal());
    EXPECT_EQ(bottom.toolTip(), "");
}

TEST_F(PanelTest, LayoutStringWritesWhatThePanelShows)
{
    TToolPanel panel(*form, &window);
    panel.Place(&window, alTop);
    panel.LoadLayout(kDefaultToolbarLayout);
    EXPECT_EQ(panel.Controls().size(), 51u);
    EXPECT_EQ(panel.LayoutString(), kDefaultToolbarLayout);
    // The fixed layout's controls, loaded into a standard panel, keep them.
    panel.LoadLayout("01070800");
    EXPECT_EQ(panel.LayoutString(), "00070800");
}

TEST_F(PanelTest, InsertMoveAndRemoveKeepPositionsClosed)
{
    TToolPanel panel(*form, &window);
    panel.Place(&window, alTop);
    panel.LoadLayout("00070809"); // 10 at 2, 11 at 26, 12 at 50
    const auto before = panel.Controls();

    QWidget *divider = panel.InsertBefore(0, before[1]);
    EXPECT_EQ(panel.LayoutString(), "0007000809");
    EXPECT_EQ(panel.PositionOf(divider), 26);
    EXPECT_EQ(panel.PositionOf(before[1]), 32);
    EXPECT_EQ(panel.PositionOf(before[2]), 56);

    panel.MoveBefore(before[2], before[0]); // 12 to the front
    EXPECT_EQ(panel.LayoutString(), "0009070008");
    EXPECT_EQ(ShownOf(panel.Controls()),
              (std::vector<Shown>{{12, 2, 2}, {10, 26, 2}, {0, 53, 4}, {11, 56, 2}}));
    panel.MoveBefore(before[2], before[2]); // onto itself: nothing
    EXPECT_EQ(panel.LayoutString(), "0009070008");

    panel.Remove(divider);
    EXPECT_TRUE(divider->isHidden());
    EXPECT_EQ(panel.PositionOf(divider), -1);
    EXPECT_EQ(panel.LayoutString(), "00090708");
    EXPECT_EQ(panel.PositionOf(before[1]), 50);
    EXPECT_EQ(panel.EndPosition(), 74);

    // A tool without a catalogue position cannot be written and is left out.
    panel.Append(9);
    EXPECT_EQ(panel.LayoutString(), "00090708");
}

TEST_F(PanelTest, ButtonsClickTheTargetAndFollowCustomising)
{
    TToolPanel panel(*form, &window);
    panel.Place(&window, alTop);
    std::vector<uint8_t> clicked;
    panel.ClickTarget = [&clicked](QObject *sender) { clicked.push_back(ToolIdOf(sender)); };
    panel.LoadLayout("00070100");
    auto *button = static_cast<TToolBtn *>(panel.Controls()[0]);
    button->click();
    EXPECT_EQ(clicked, std::vector<uint8_t>{10});
    EXPECT_EQ(button->toolTip(), "Open a new map document");
    button->setEnabled(false);
    panel.SetCustomise(true);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(static_cast<TDivider *>(panel.Controls()[2])->Customise);
    EXPECT_EQ(panel.Controls()[1]->toolTip(), "Spacer");
    panel.SetCustomise(false);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(static_cast<TDivider *>(panel.Controls()[2])->Customise);
}

TEST_F(PanelTest, ManagerWritesTheDefaultLayoutOnlyWhenMissing)
{
    struct Case {
        const char *name;
        std::function<void()> prepare;
        std::string expected;
    };
    const Case cases[] = {
        {"missing", [] {}, kDefaultToolbarLayout},
        {"present", [this] { toolbars.WriteString("Toolbar0", "0007"); }, "0007"},
        {"wrong type", [this] { toolbars.WriteInteger("Toolbar0", 7); }, kDefaultToolbarLayout},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        toolbars.DeleteValue("Toolbar0");
        c.prepare();
        TToolPanelMgr manager(toolbars);
        EXPECT_FALSE(manager.Customise());
        EXPECT_EQ(toolbars.GetString("Toolbar0", ""), c.expected);
    }
}

TEST_F(PanelTest, ManagerLoadsAndSavesBothPanels)
{
    toolbars.WriteString("Toolbar0", "00070008");
    toolbars.WriteInteger("Toolbar1", 5); // unreadable: "00"
    TToolPanelMgr manager(toolbars, form.get());
    std::vector<uint8_t> clicked;
    manager.ClickTarget = [&clicked](QObject *sender) { clicked.push_back(ToolIdOf(sender)); };
    TToolPanel first(*form, &window), second(*form, &window);
    first.Place(&window, alTop);
    second.Place(&window, alRight);
    manager.AddPanel(&first);
    manager.AddPanel(&second);
    manager.AddPanel(nullptr);
    EXPECT_EQ(manager.Count(), 2);
    manager.LoadLayouts();
    EXPECT_EQ(first.Controls().size(), 3u);
    EXPECT_TRUE(second.Controls().empty());
    static_cast<QAbstractButton *>(first.Controls()[0])->click();
    EXPECT_EQ(clicked, std::vector<uint8_t>{10});

    // Entering and at once leaving customise mode writes both layouts
    // unchanged; the catalogue form shows only meanwhile.
    second.Append(12);
    manager.ToggleCustomise();
    EXPECT_TRUE(manager.Customise());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(first.toolTip(), "Right click to finish customising");
    EXPECT_EQ(first.palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(toolbars.GetString("Toolbar1", ""), "0009");
    form->close(); // closing the form leaves customise mode
    EXPECT_FALSE(manager.Customise());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(first.toolTip(), "Right click to customise tool panels");
    EXPECT_EQ(toolbars.GetString("Toolbar0", ""), "00070008");
    EXPECT_EQ(toolbars.GetString("Toolbar1", ""), "0009");
}

TEST_F(PanelTest, FixedLayoutsPlaceLiteButtons)
{
    struct Case {
        const char *layout;
        std::vector<Shown> shown;
    };
    const Case cases[] = {
        {"01", {}},
        {"0107", {{10, 4, 4}}},
        {"01070007", {{10, 4, 4}, {0, 36, 2}, {10, 42, 4}}},
        {"0007", {}},                // a standard layout: nothing
        {"010704ZZ0", {{10, 4, 4}}}, // bad pairs and the odd character skipped
    };
    for (const Case &c : cases) {
        toolbars.WriteString("Toolbar0", c.layout);
        TToolPanelLite panel(*form, toolbars, &window);
        EXPECT_TRUE(panel.isHidden());
        panel.Place(&window, alTop);
        EXPECT_EQ(panel.height(), 36);
        panel.LoadLayout();
        EXPECT_EQ(ShownOfLite(panel), c.shown) << c.layout;
    }
}

TEST_F(PanelTest, LiteButtonsCarryTheirToolAndGlyph)
{
    TToolPanelLite panel(*form, toolbars, &window);
    panel.Place(&window, alBottom);
    std::vector<uint8_t> clicked;
    panel.ClickTarget = [&clicked](QObject *sender) { clicked.push_back(ToolIdOf(sender)); };
    panel.AddButtons({156, 155, 157, 158, 0, 152, 153, 160});
    const auto shown = ShownOfLite(panel);
    ASSERT_EQ(shown.size(), 8u);
    EXPECT_EQ(shown[4], (Shown{0, 132, 2}));
    EXPECT_EQ(shown[7], (Shown{160, 202, 4}));
    auto buttons = panel.findChildren<TToolBtnLite *>();
    ASSERT_EQ(buttons.size(), 7);
    for (TToolBtnLite *button : buttons) {
        EXPECT_EQ(button->size(), QSize(28, 28));
        EXPECT_EQ(button->iconSize(), QSize(28, 28));
        EXPECT_FALSE(button->icon().isNull());
    }
    EXPECT_EQ(panel.findChildren<TDivider *>()[0]->height(), 30);
    buttons[0]->click();
    EXPECT_EQ(clicked.size(), 1u);
    EXPECT_EQ(panel.AddButton(0)->width(), 12);
}

} // namespace
