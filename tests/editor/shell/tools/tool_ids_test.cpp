// The pure mappings of the tool framework: tool ids to control commands,
// centi-units to and from text, undo operation codes to captions, and the
// fixed creation order of the tools.
#include "tools_fixture.h"

#include <set>

TEST(ToolIdToCommand, MapsIdsOntoTheControlsCommandNumbers)
{
    struct Case {
        uint8_t id;
        int32_t command;
    };
    const Case cases[] = {
        {0, 0},     {165, 0},   {166, 400}, {167, 401}, {185, 419}, {201, 435}, {202, 436},
        {203, 446}, {205, 448}, {208, 455}, {209, 458}, {210, 459}, {212, 461}, {216, 465},
        {220, 469}, {222, 471}, {223, 472}, {224, 474}, {255, 505},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ToolIdToCommand(c.id), c.command) << "id " << int(c.id);
}

TEST(ToolIdToCommand, SkipsTheControlsCommandsThatHaveNoToolId)
{
    // The command numbers rise with the id, and the control's commands
    // without a tool id are never produced.
    std::set<int32_t> produced;
    int32_t previous = 0;
    for (int id = 166; id <= 255; ++id) {
        const int32_t c = ToolIdToCommand(uint8_t(id));
        EXPECT_GT(c, previous) << "id " << id;
        previous = c;
        produced.insert(c);
    }
    for (int32_t gap : {437, 440, 445, 450, 451, 452, 453, 456, 457, 473})
        EXPECT_EQ(produced.count(gap), 0u) << gap;
}

TEST(CentiText, WritesHundredthsWithTwoDecimals)
{
    struct Case {
        int32_t n;
        const char *text;
    };
    const Case cases[] = {
        {0, "0.00"},
        {5, "0.05"},
        {-5, "-0.05"},
        {1234, "12.34"},
        {-1234, "-12.34"},
        {100, "1.00"},
        {INT32_MAX, "21474836.47"},
        {INT32_MIN, "-21474836.48"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TORVUITool::CentiToText(c.n), c.text) << c.n;
}

TEST(CentiText, ReadsTextAsHundredthsRoundingHalvesToEven)
{
    struct Case {
        const char *text;
        int32_t centi;
    };
    const Case cases[] = {
        {"12.34", 1234},
        {"12", 1200},
        {"0.5", 50},
        {"-0.05", -5},
        {"+3.1", 310},
        {".25", 25},
        {"7.", 700},
        {" 1.5 ", 150},
        {"12.345", 1234},
        {"12.355", 1236},
        {"0.125", 12},
        {"0.135", 14},
        {"-0.125", -12},
        {"1.0051", 101},
        {"1.0049", 100},
        {"2.1250001", 213},
        {"0.015", 2},
        {"21474836.47", INT32_MAX},
        {"-21474836.48", INT32_MIN},
    };
    for (const Case &c : cases) {
        const std::optional<int32_t> got = TORVUITool::TextToCenti(c.text);
        ASSERT_TRUE(got.has_value()) << c.text;
        EXPECT_EQ(*got, c.centi) << c.text;
    }
}

TEST(CentiText, RefusesTextThatIsNoPlainNumber)
{
    for (const char *bad : {"", "   ", "abc", "1,5", "1.2.3", "1e3", "-", ".", "+-1", "12 34", "0x10",
                            "21474836.48", "-21474836.49", "99999999999999999999"})
        EXPECT_FALSE(TORVUITool::TextToCenti(bad).has_value()) << '"' << bad << '"';
}

TEST(CentiText, EveryValueSurvivesTheRoundTrip)
{
    for (int32_t n : {0, 1, -1, 99, -99, 100, 123456789, -123456789, INT32_MAX, INT32_MIN})
        EXPECT_EQ(TORVUITool::TextToCenti(TORVUITool::CentiToText(n)), n);
}

TEST(UndoRedoList, GivesEachOperationCodeItsCaption)
{
    const TUndoRedoList list;
    struct Case {
        int32_t code;
        const char *caption;
    };
    const Case cases[] = {
        {0, ""},
        {1, ""},
        {2, "Draw Polygon"},
        {6, "Cut"},
        {35, "Sport Pitch"},
        {36, "Last Action (36)"},
        {37, "Slide"},
        {40, "Map Clean"},
        {41, "Last Action (41)"},
        {100, "Delete"},
        {212, "Join Lines"},
        {213, "Join Lines"},
        {305, "Cut"},
        {2002, "Make Polygon"},
        {1000, "Last Action (1000)"},
        {-1, "Last Action (-1)"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(list.Caption(c.code), c.caption) << c.code;
}

TEST(UndoRedoList, HoldsEachCodeOnce)
{
    const TUndoRedoList list;
    std::set<int32_t> codes;
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_TRUE(codes.insert(list.Get(i)).second) << list.Get(i);
    EXPECT_EQ(list.IndexOf(36), -1);
}

TEST(ToolCreationOrder, StartsWithTheMapCommandsThenUndoAndRedo)
{
    TToolMgr mgr(Catalogue());
    ASSERT_GE(mgr.Tools().Count(), 3);
    EXPECT_NE(dynamic_cast<TKRTTool *>(mgr.Tools().Items(0)), nullptr);
    EXPECT_EQ(mgr.Tools().Items(0)->Id(), 0);
    EXPECT_NE(dynamic_cast<TUndoTool *>(mgr.Tools().Items(1)), nullptr);
    EXPECT_EQ(mgr.Tools().Items(1)->Id(), 50);
    EXPECT_NE(dynamic_cast<TRedoTool *>(mgr.Tools().Items(2)), nullptr);
    EXPECT_EQ(mgr.Tools().Items(2)->Id(), 51);
    // Every tool knows its manager and starts without a map.
    for (int i = 0; i < mgr.Tools().Count(); ++i) {
        EXPECT_EQ(&mgr.Tools().Items(i)->Mgr(), &mgr);
        EXPECT_EQ(mgr.Tools().Items(i)->Map(), nullptr);
    }
}

TEST(ToolList, WalksWithItsCursorAndAnswersNullOutside)
{
    TToolMgr mgr(Catalogue());
    TToolList &list = mgr.Tools();
    std::vector<TORVTool *> walked;
    for (TORVTool *t = list.First(); t; t = list.Next())
        walked.push_back(t);
    ASSERT_EQ(int(walked.size()), list.Count());
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(walked[size_t(i)], list.Items(i));
    EXPECT_EQ(list.Next(), nullptr) << "stays past the end";
    EXPECT_EQ(list.Items(-1), nullptr);
    EXPECT_EQ(list.Items(list.Count()), nullptr);
}
