#include "editor/shell/catalogue/tool_button.h"
#include "editor/shell/catalogue/tool_catalogue.h"
#include "editor/shell/catalogue/tool_panels.h"

#include "catalogue_fixture.h"

#include <QImage>
#include <QMenu>

#include <set>

namespace {

std::vector<uint8_t> IdsOfMenu(const QMenu &menu)
{
    std::vector<uint8_t> ids;
    for (QAction *action : menu.actions())
        ids.push_back(action->isSeparator() ? 0 : ToolIdOf(action));
    return ids;
}

TEST_F(CatalogueTest, IndexOfToolFindsTheFirstPositionOrTracesAProblem)
{
    struct Case {
        uint8_t id;
        int position;
        bool problem;
    };
    const Case cases[] = {{50, 25, false}, {0, 0, false}, {8, -1, true}, {162, 60, false}, {144, 107, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.id));
        TakeTrace();
        EXPECT_EQ(TfrmButtons::IndexOfTool(c.id), c.position);
        EXPECT_EQ(Traced(std::to_string(c.id) + " not in <TOOLSET>"), c.problem);
        if (c.position >= 0) {
            EXPECT_EQ(TfrmButtons::ToolOfIndex(c.position), c.id);
        }
    }
}

TEST_F(CatalogueTest, ToolOfIndexReadsTheTableAndGivesNothingOutsideIt)
{
    const std::pair<int, uint8_t> cases[] = {{0x19, 50}, {0x1A, 51}, {0, 0}, {4, 0},
                                             {107, 144}, {108, 0},   {-1, 0}};
    for (const auto &[position, id] : cases)
        EXPECT_EQ(TfrmButtons::ToolOfIndex(position), id) << position;
}

TEST_F(CatalogueTest, StoredStringsNameTheirTools)
{
    // The stored menus and the default tool bar, read through the table.
    struct Case {
        std::string text;
        size_t from;
        std::vector<uint8_t> ids;
    };
    const Case cases[] = {
        {"0E1011141569121367", 0, {19, 20, 21, 25, 26, 28, 23, 24, 22}},
        {"292A302C2B24", 0, {75, 86, 129, 95, 92, 66}},
        {kDefaultToolbarLayout, 2, {10,  11,  12,  16,  0,   50,  51,  0,   54,  55,  0,   75,  86,
                                    95,  92,  129, 103, 126, 125, 137, 0,   167, 168, 188, 198, 199,
                                    70,  201, 200, 66,  0,   166, 182, 185, 174, 74,  68,  0,   169,
                                    170, 218, 177, 175, 176, 0,   119, 171, 172, 173, 208, 0}},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> ids;
        for (const int position : CataloguePositionsOfString(c.text, c.from))
            ids.push_back(TfrmButtons::ToolOfIndex(position));
        EXPECT_EQ(ids, c.ids) << c.text;
    }
}

TEST_F(CatalogueTest, MakeButtonGlyphAddsTheDisabledFrame)
{
    struct Case {
        int channel;
        int disabled;
    };
    const Case cases[] = {{100, 196}, {101, 196}, {0, 96}, {255, 196}, {4, 100}};
    QImage image(int(std::size(cases)), 2, QImage::Format_ARGB32);
    for (int x = 0; x < image.width(); ++x) {
        const int c = cases[x].channel;
        image.setPixel(x, 0, qRgba(c, 255 - c, c, 255));
        image.setPixel(x, 1, qRgba(c, c, c, 0));
    }
    const QImage frames = TfrmButtons::MakeButtonGlyph(QPixmap::fromImage(image)).toImage();
    ASSERT_EQ(frames.width(), 2 * image.width());
    ASSERT_EQ(frames.height(), image.height());
    const auto disabled = [](int c) { return c <= 100 ? c + 96 : 196; };
    for (int x = 0; x < image.width(); ++x) {
        SCOPED_TRACE(cases[x].channel);
        EXPECT_EQ(frames.pixel(x, 0), image.pixel(x, 0));
        const QRgb right = frames.pixel(image.width() + x, 0);
        EXPECT_EQ(qRed(right), cases[x].disabled);
        EXPECT_EQ(qGreen(right), disabled(255 - cases[x].channel));
        EXPECT_EQ(qAlpha(right), 255);
        EXPECT_EQ(qAlpha(frames.pixel(image.width() + x, 1)), 0); // transparency kept
    }
    EXPECT_TRUE(TfrmButtons::MakeButtonGlyph(QPixmap()).isNull());
}

TEST_F(CatalogueTest, EveryGlyphTheEditorNamesIsThere)
{
    const TButtons &buttons = form->Buttons();
    std::set<int32_t> numbers = {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1010, 1011, 1041};
    for (int i = 0; i < buttons.Count(); ++i) {
        const TToolData &entry = buttons.Item(i);
        EXPECT_EQ(entry.GlyphNumber == 0, entry.Glyph.isNull()) << int(entry.Id);
        if (entry.GlyphNumber != 0)
            numbers.insert(entry.GlyphNumber);
    }
    for (const int32_t number : numbers) {
        const QPixmap glyph = form->Glyph(number);
        EXPECT_EQ(glyph.size(), QSize(16, 16)) << number;
    }
    for (const uint8_t id : kLiteGlyphTools)
        EXPECT_EQ(form->LiteGlyph(id).size(), QSize(28, 28)) << int(id);
    EXPECT_TRUE(form->LiteGlyph(13).isNull()); // Save As has no lite glyph
    EXPECT_TRUE(form->Glyph(999).isNull());
    EXPECT_TRUE(form->Glyph(0).isNull());
    // The glyph list is sorted by number.
    const auto &items = form->GlyphNumbers().Items();
    EXPECT_TRUE(std::is_sorted(items.begin(), items.end()));
}

TEST_F(CatalogueTest, LookupsByIdAndGlyph)
{
    const TButtons &buttons = form->Buttons();
    EXPECT_EQ(buttons.FindData(188).Caption, "Pan Map");
    EXPECT_EQ(form->ToolCaption(67), "Web Map Viewer ...");
    EXPECT_EQ(form->ToolData(220).Caption, "Fit Page to Selection ");
    // Two entries share glyph 202: the first registered answers.
    EXPECT_EQ(buttons.ToolOfGlyph(202), 53);
    EXPECT_EQ(buttons.ToolOfGlyph(302), 188);
    EXPECT_EQ(buttons.ToolOfGlyph(9999), 0);
    EXPECT_EQ(buttons.FindByGlyph(9999), nullptr);
    // The text-format entries have glyphs but no captions.
    for (uint8_t id = 77; id <= 85; ++id) {
        EXPECT_TRUE(buttons.FindData(id).Caption.empty()) << int(id);
        EXPECT_FALSE(buttons.FindData(id).Glyph.isNull()) << int(id);
    }
    // Ids 60, 162 and 196 are in the table without an entry.
    for (const uint8_t id : {60, 162, 196})
        EXPECT_FALSE(buttons.HasData(id)) << int(id);
}

TEST_F(CatalogueTest, AnIdWithoutAnEntryYieldsTheLastOneWithATraceError)
{
    TakeTrace();
    const TToolData &entry = form->ToolData(7);
    EXPECT_EQ(entry.Id, 108);
    EXPECT_EQ(entry.Caption, "Change Grid Label");
    EXPECT_TRUE(Traced("** NOT FOUND ** TButtons.FindData(7)"));
    // An empty catalogue answers an empty entry rather than failing.
    TButtons empty;
    EXPECT_EQ(empty.FindData(10).Caption, "");
    EXPECT_EQ(empty.FindData(10).Id, 0);
}

TEST_F(CatalogueTest, MenusFromStoredStringsSkipBadPairs)
{
    struct Case {
        const char *text;
        std::vector<uint8_t> ids;
    };
    const Case cases[] = {
        {"191A001B1E001C1D2223", {50, 51, 0, 52, 204, 0, 54, 55, 56, 58}},
        {"191A1", {50, 51}}, // odd length: the last character is ignored
        {"00", {0}},         // a separator
        {"0419", {50}},      // position 4 holds no tool
        {"6C6B", {144}},     // 108 is past the table, 107 its last position
        {"ZZ1G19", {50}},    // not hexadecimal
        {"1a", {51}},        // lower-case digits are hexadecimal too
        {"", {}},
    };
    for (const Case &c : cases) {
        QMenu menu;
        form->AddMenuItemsFromString(&menu, c.text);
        EXPECT_EQ(IdsOfMenu(menu), c.ids) << c.text;
    }
}

TEST_F(CatalogueTest, MenuItemsTakeTheCatalogueAndReachTheClickTarget)
{
    std::vector<uint8_t> clicked;
    form->ClickTarget = [&clicked](QObject *sender) { clicked.push_back(ToolIdOf(sender)); };
    QMenu menu;
    form->AddMenuItems(&menu, {10, 0, 77});
    const auto actions = menu.actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "New Map");
    EXPECT_EQ(actions[0]->statusTip(), "Open a new map document");
    EXPECT_FALSE(actions[0]->icon().isNull());
    EXPECT_TRUE(actions[1]->isSeparator());
    // A separator carries no caption: menu styles draw one as a title.
    EXPECT_EQ(actions[1]->text(), "");
    EXPECT_EQ(actions[2]->text(), ""); // a text-format entry: its glyph only
    EXPECT_FALSE(actions[2]->icon().isNull());
    actions[0]->trigger();
    actions[2]->trigger();
    EXPECT_EQ(clicked, (std::vector<uint8_t>{10, 77}));

    // Setting an item again replaces its click, it does not add one.
    auto *item = static_cast<TToolItem *>(actions[0]);
    form->SetMenuItem(item, 11);
    clicked.clear();
    item->trigger();
    EXPECT_EQ(clicked, (std::vector<uint8_t>{11}));
    EXPECT_EQ(item->text(), "Open Map ...");
    form->SetMenuItem(nullptr, 11); // ignored
    form->AddMenuItems(nullptr, {10});
}

TEST_F(CatalogueTest, LatchedButtonsStayDownUntilReleased)
{
    TToolBtn button;
    button.Id = 167;
    button.click();
    EXPECT_FALSE(button.isChecked()); // an ordinary button never stays down
    button.SetLatched(true);
    EXPECT_EQ(button.GroupIndex(), 99);
    EXPECT_FALSE(button.AllowAllUp());
    EXPECT_TRUE(button.isChecked());
    button.click();
    EXPECT_TRUE(button.isChecked());
    EXPECT_TRUE(button.Latched());
    button.SetLatched(false);
    EXPECT_EQ(button.GroupIndex(), 0);
    EXPECT_TRUE(button.AllowAllUp());
    EXPECT_FALSE(button.isChecked());
    button.click();
    EXPECT_FALSE(button.isChecked());
}

TEST_F(CatalogueTest, ToolIdOfKnowsTheToolControlsOnly)
{
    TToolBtn button;
    button.Id = 12;
    TToolBtnLite lite;
    lite.Id = 13;
    TToolItem item;
    item.Id = 14;
    QObject other;
    EXPECT_EQ(ToolIdOf(&button), 12);
    EXPECT_EQ(ToolIdOf(&lite), 13);
    EXPECT_EQ(ToolIdOf(&item), 14);
    EXPECT_EQ(ToolIdOf(&other), 0);
    EXPECT_EQ(ToolIdOf(nullptr), 0);
}

TEST_F(CatalogueTest, SpacerHintAndEnabledStateFollowCustomising)
{
    TToolBtn spacer;
    spacer.Id = 1;
    spacer.setEnabled(false);
    spacer.SetCustomise(true);
    EXPECT_TRUE(spacer.isEnabled());
    EXPECT_EQ(spacer.toolTip(), "Spacer");
    spacer.SetCustomise(false);
    EXPECT_FALSE(spacer.isEnabled());
    EXPECT_EQ(spacer.toolTip(), "");
}

} // namespace

TEST(BuiltToolsTest, TheCommandsNotBuiltYetAreKnownByTheirIds)
{
    // The file, unit, view and drawing commands are built; the dialogs and
    // tools of later work are not, so the main window disables them.
    const uint8_t built[] = {2,   4,   5,   7,   10,  11,  12,  13,  18,  23,  28,  30,  35,  36,  37,
                             38,  48,  50,  51,  52,  54,  55,  56,  61,  63,  152, 155, 159, 160, 163,
                             166, 167, 168, 169, 170, 185, 188, 198, 199, 200, 201, 204, 218, 220, 224};
    const uint8_t unbuilt[] = {3,   8,   9,   14,  15,  16,  17,  19,  20,  21,  22,  24,  25,
                               26,  27,  29,  31,  32,  33,  49,  59,  62,  64,  65,  66,  67,
                               68,  69,  70,  71,  73,  74,  75,  86,  92,  95,  103, 107, 119,
                               125, 129, 134, 137, 142, 147, 151, 153, 154, 164, 165, 202, 216};
    for (uint8_t id : built)
        EXPECT_TRUE(IsToolBuilt(id)) << int(id);
    for (uint8_t id : unbuilt)
        EXPECT_FALSE(IsToolBuilt(id)) << int(id);
}
