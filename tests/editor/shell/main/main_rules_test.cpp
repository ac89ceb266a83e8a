// The main window's rules that need no window: command line, settings
// upgrade, status texts, unit codes, enable rules, tab order and keypad.
#include "editor/shell/main/main_rules.h"

#include <gtest/gtest.h>

namespace {

struct ParmsCase {
    const char *name;
    std::vector<std::string> arguments;
    std::string file;
    std::string identifier;
};

class StartupParmsTest : public ::testing::TestWithParam<ParmsCase> {};

TEST_P(StartupParmsTest, NamesTheDocumentAndTheIdentifier)
{
    const ParmsCase &c = GetParam();
    const TStartupParms parms = ParseStartupParms(c.arguments);
    EXPECT_EQ(parms.FileName, c.file);
    EXPECT_EQ(parms.Identifier, c.identifier);
    EXPECT_EQ(parms.HasFile(), !c.file.empty());
}

const std::string k99(99, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupParmsTest,
    ::testing::Values(ParmsCase{"none", {}, "", ""},
                      ParmsCase{"twoDocumentsLastWins", {"/a/one.mpd", "/b/two.MPD"}, "/b/two.MPD", ""},
                      ParmsCase{"mpdEarlierInNameNotTaken", {"/a/x.mpd.mpd"}, "", ""},
                      ParmsCase{"mpdInFolderNotTaken", {"/a.mpd/map.txt"}, "", ""},
                      ParmsCase{
                          "earlierKeptWhenLaterHasTwo", {"/a/one.mpd", "/b/old.mpd.mpd"}, "/a/one.mpd", ""},
                      ParmsCase{"upperCaseId", {"ID=Plot 7"}, "", "Plot 7"},
                      ParmsCase{"idAndDocument", {"id=A1", "/m/map.mpd", "-x"}, "/m/map.mpd", "A1"},
                      ParmsCase{"identifierOf99Characters", {"id=" + k99 + "yz"}, "", k99},
                      ParmsCase{"idInsideIgnored", {"xid=5"}, "", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StoredVersionNumberTest, ReadsTheNumberAfterVersion)
{
    const std::pair<std::string, int> cases[] = {
        {"Version 5.45", 545}, {"Version 5.46", 546}, {"Version 5.61", 561},
        {"Version 0.00", 0},   {"Version x.yz", 0},   {"", 0},
        {"Version", 0},        {"Version 12", 1200},
    };
    for (const auto &[text, number] : cases)
        EXPECT_EQ(StoredVersionNumber(text), number) << text;
    EXPECT_LT(StoredVersionNumber("Version 5.45"), kFirstKeptToolbarsVersion);
    EXPECT_GE(StoredVersionNumber("Version 5.46"), kFirstKeptToolbarsVersion);
}

TEST(DistanceBearingTextTest, DistanceInMetresAndBearingFromNorth)
{
    struct Case {
        int32_t x, y;
        std::string text;
    };
    const Case cases[] = {
        {300, 0, "3.0 m : 90\xB0"},
        {0, 300, "3.0 m : 0\xB0"},
        {-300, 0, "3.0 m : 270\xB0"},
        {0, -300, "3.0 m : 180\xB0"},
        {300, 300, "4.2 m : 45\xB0"},
        {0, 0, ""},
        {1000000, 0, ""},
        {999999, 0, "10000.0 m : 90\xB0"},
        {0, 2000000, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DistanceBearingText(1000 + c.x, -50 + c.y, 1000, -50), c.text) << c.x << "," << c.y;
}

TEST(DistanceBearingTextTest, PointsAtTheEndsOfTheRangeDoNotOverflow)
{
    EXPECT_EQ(DistanceBearingText(INT32_MAX, 0, INT32_MIN, 0), "");
    EXPECT_EQ(DistanceBearingText(INT32_MIN + 100, INT32_MAX, INT32_MIN, INT32_MAX), "1.0 m : 90\xB0");
}

TEST(FormatFixedPrecisionTest, ExponentOnlyPastThePrecision)
{
    EXPECT_EQ(FormatFixedPrecision(12345.678, 5, 1), "12345.7");
    EXPECT_EQ(FormatFixedPrecision(123456.0, 5, 1), "1.2346E+05");
    EXPECT_EQ(FormatFixedPrecision(-0.25, 10, 2), "-0.25");
    EXPECT_EQ(PointerGridText("", 123456, -789), " 1234.56 : -7.89");
}

TEST(UnitCodeTest, ToolIdsGiveTheControlsCodes)
{
    const std::pair<uint8_t, int32_t> cases[] = {{38, 12}, {39, 13}, {40, 4},  {41, 5},  {42, 15}, {43, 24},
                                                 {44, 25}, {45, 19}, {46, 30}, {47, 29}, {48, 20}};
    for (const auto &[id, code] : cases) {
        ASSERT_TRUE(UnitCodeOfTool(id).has_value()) << int(id);
        EXPECT_EQ(*UnitCodeOfTool(id), code) << int(id);
        EXPECT_EQ(IsLengthUnitTool(id), id <= 42);
    }
    EXPECT_FALSE(UnitCodeOfTool(37).has_value());
    EXPECT_FALSE(UnitCodeOfTool(49).has_value());
    EXPECT_EQ(StoredUnits(12, 24), 12 + 24 * 256);
    EXPECT_EQ(kDefaultUnits % 256, 4);  // metres
    EXPECT_EQ(kDefaultUnits / 256, 29); // hectares
}

TEST(EnableRuleTest, TheMainWindowsTable)
{
    const std::pair<uint8_t, TEnableRule> cases[] = {
        {0, TEnableRule::Never},        {2, TEnableRule::Always},         {147, TEnableRule::Always},
        {12, TEnableRule::MapWritable}, {13, TEnableRule::MapExists},     {15, TEnableRule::MapExists},
        {28, TEnableRule::MapExists},   {29, TEnableRule::AskTools},      {34, TEnableRule::AskTools},
        {48, TEnableRule::MapExists},   {61, TEnableRule::UserManual},    {159, TEnableRule::LayerStates},
        {158, TEnableRule::MapExists},  {160, TEnableRule::MapExists},    {161, TEnableRule::AskTools},
        {202, TEnableRule::MapExists},  {216, TEnableRule::MapExists},    {178, TEnableRule::AskTools},
        {255, TEnableRule::AskTools},   {63, TEnableRule::UpdateChecker},
    };
    for (const auto &[id, rule] : cases)
        EXPECT_EQ(EnableRuleOf(id), rule) << int(id);
}

TEST(ReorderToolTabsTest, MostRecentFirstAndHiddenFromMaxTabs)
{
    // Four tabs opened one after the other with "MaxTabs" 4 and none fixed.
    std::vector<int> orders;
    std::vector<bool> visible;
    for (int i = 0; i < 4; ++i) {
        orders.push_back(kNewTabOrder);
        const TTabOrderResult r = ReorderToolTabs(orders, kNewTabOrder, 4);
        ASSERT_TRUE(r.Active.has_value());
        EXPECT_EQ(*r.Active, orders.size() - 1);
        visible = r.Visible;
    }
    EXPECT_EQ(orders, (std::vector<int>{4, 3, 2, 1}));
    EXPECT_EQ(visible, (std::vector<bool>{false, true, true, true}));

    // The hidden one shown again hides the next least recent.
    const TTabOrderResult again = ReorderToolTabs(orders, 4, 4);
    EXPECT_EQ(again.Active, std::optional<size_t>(0));
    EXPECT_EQ(orders, (std::vector<int>{1, 4, 3, 2}));
    EXPECT_EQ(again.Visible, (std::vector<bool>{true, false, true, true}));
}

TEST(ReorderToolTabsTest, FixedTabsStayFirst)
{
    std::vector<int> orders = {0, 2, 3, 4};
    const TTabOrderResult r = ReorderToolTabs(orders, 3, 4);
    EXPECT_EQ(r.Active, std::optional<size_t>(2));
    EXPECT_EQ(orders, (std::vector<int>{0, 3, 2, 4}));
    EXPECT_EQ(r.Visible, (std::vector<bool>{true, true, true, false}));

    std::vector<int> unchanged = {0, 2};
    EXPECT_FALSE(ReorderToolTabs(unchanged, 7, 4).Active.has_value());
    EXPECT_EQ(unchanged, (std::vector<int>{0, 3}));
}

TEST(KeypadTest, DigitsBecomeArrows)
{
    const std::pair<int, int> cases[] = {{98, 40}, {100, 37}, {102, 39}, {104, 38}};
    for (const auto &[keypad, arrow] : cases)
        EXPECT_EQ(KeypadArrowKey(keypad), std::optional<int>(arrow));
    EXPECT_FALSE(KeypadArrowKey(VK_NUMPAD5_KEY).has_value());
    EXPECT_FALSE(KeypadArrowKey(50).has_value());
}

} // namespace
