#include "text_fixture.h"

#include <string>

namespace {

TEST_F(TextTest, NewTextStartsZeroedWithoutColour)
{
    const OBJHANDLE h = CreateOBJect(kernel, CLASS_TEXT);
    ASSERT_NE(h, 0u);
    const TextObjectData d = data(h);
    EXPECT_EQ(d.ownColor, 0xFFFFFFFFu);
    EXPECT_EQ(d.textLength, 0u);
    EXPECT_EQ(d.size, 0);
    EXPECT_EQ(d.rotation, 0);
    EXPECT_EQ(d.faceName[0], 0);
    EXPECT_EQ(d.graphFlags & GF_SHOWN, GF_SHOWN) << "the graphical head's start values";
}

TEST_F(TextTest, TextSetCutsAtTheLimitAndGrowsTheObject)
{
    const OBJHANDLE h = CreateOBJect(kernel, CLASS_TEXT);
    struct Case {
        size_t given;
        uint32_t stored;
    };
    for (const Case c : {Case{5, 5}, Case{2045, 2045}, Case{2046, 2046}, Case{3000, 2046}, Case{0, 0}}) {
        const std::string s(c.given, 'x');
        ASSERT_EQ(TextObjectTextSet(kernel, h, s.c_str()), 1) << c.given;
        EXPECT_EQ(data(h).textLength, c.stored) << c.given;
        EXPECT_GE(DataSpaceSize(kernel, h), c.stored + 1);
        const char *p = TextObjectLock(kernel, h);
        EXPECT_EQ(DataSpaceBegin(const_cast<char *>(p))[c.stored], 0) << "terminated";
    }
    const uint32_t space = DataSpaceSize(kernel, h);
    TextObjectTextSet(kernel, h, "short");
    EXPECT_EQ(DataSpaceSize(kernel, h), space) << "never shrinks";
}

TEST_F(TextTest, TextGetCopiesAsStrncpy)
{
    const OBJHANDLE h = CreateOBJect(kernel, CLASS_TEXT);
    TextObjectTextSet(kernel, h, "abcdef");
    char buffer[10];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(TextObjectTextGet(kernel, h, buffer, 8), 1);
    EXPECT_EQ(std::string(buffer, 10), std::string("abcdef\0\0##", 10)) << "padded to the size";
    std::memset(buffer, '#', sizeof buffer);
    TextObjectTextGet(kernel, h, buffer, 4);
    EXPECT_EQ(std::string(buffer, 5), "abcd#") << "unterminated when it does not fit";
    EXPECT_EQ(TextObjectTextGet(kernel, 0, buffer, 4), 0);
}

// A text whose data space is empty (its data offset is its size, as a file
// may give it) reads as the empty text, whatever its length field says.
TEST_F(TextTest, TextGetOfAnEmptyDataSpaceGivesTheEmptyText)
{
    const OBJHANDLE h = CreateOBJect(kernel, CLASS_TEXT);
    HeadLock(kernel, h)->dataOffset = HeadLock(kernel, h)->size;
    StoreField<uint32_t>(TextObjectLock(kernel, h), offsetof(TextObjectData, textLength), 5);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(TextObjectTextGet(kernel, h, buffer, 8), 1);
    EXPECT_EQ(std::string(buffer, 8), std::string(8, '\0'));
}

TEST_F(TextTest, LinesSplitAtLineFeedsWithoutTheirCarriageReturn)
{
    const OBJHANDLE h = CreateOBJect(kernel, CLASS_TEXT);
    const char *p = TextObjectLock(kernel, h);
    char line[TEXT_LINE_BUFFER];
    std::strcpy(line, "untouched");
    EXPECT_EQ(TextObjectLineCount(p), 0);
    EXPECT_EQ(TextObjectLineGet(p, line, 0), 0);
    EXPECT_STREQ(line, "untouched");

    TextObjectTextSet(kernel, h, "first\r\nsecond\n\r\nlast\r");
    p = TextObjectLock(kernel, h);
    EXPECT_EQ(TextObjectLineCount(p), 4);
    const char *expected[] = {"first", "second", "", "last", ""};
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(TextObjectLineGet(p, line, i), 1);
        EXPECT_STREQ(line, expected[i]) << i << " (past the end: empty)";
    }
}

TEST_F(TextTest, DamagedLengthNeverReadsPastTheDataSpace)
{
    const OBJHANDLE h = CreateOBJect(kernel, CLASS_TEXT);
    TextObjectTextSet(kernel, h, "a\nb");
    TextObjectData d = data(h);
    d.textLength = 0x00FFFFFF; // as a damaged file could claim
    store(h, d);
    const char *p = TextObjectLock(kernel, h);
    char line[TEXT_LINE_BUFFER];
    EXPECT_EQ(TextObjectLineCount(p), 2);
    ASSERT_EQ(TextObjectLineGet(p, line, 1), 1);
    EXPECT_STREQ(line, "b");
    char buffer[64];
    EXPECT_EQ(TextObjectTextGet(kernel, h, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "a\nb");
}

TEST_F(TextTest, AttributesAnchorAndPlacementMessages)
{
    const OBJHANDLE h = makeText("x", {300, 400}, 10, 0, 0, 2, RGB(1, 2, 3));
    // Colour mode 2 draws its own colour, but only bit 0 gives attributes.
    GraphDispl a{};
    a.mask = GD_LINECOLOR;
    a.lineColor = RGB(9, 9, 9);
    SendOBJectMessage(kernel, 0, h, 0, GRM_GETATTRIBUTES, 1, LPARAM(&a));
    EXPECT_EQ(a.lineColor, RGB(9, 9, 9));
    TextObjectData d = data(h);
    d.colorMode = 1;
    store(h, d);
    SendOBJectMessage(kernel, 0, h, 0, GRM_GETATTRIBUTES, 1, LPARAM(&a));
    EXPECT_EQ(a.lineColor, RGB(1, 2, 3)) << "the text's own colour wins with wParam set";
    EXPECT_EQ(a.fillColor, 0xFF000000u);
    EXPECT_EQ(a.mask & (GD_LINECOLOR | GD_FILLCOLOR), GD_LINECOLOR | GD_FILLCOLOR);
    GraphDispl b{};
    b.mask = GD_LINECOLOR;
    b.lineColor = RGB(9, 9, 9);
    SendOBJectMessage(kernel, 0, h, 0, GRM_GETATTRIBUTES, 0, LPARAM(&b));
    EXPECT_EQ(b.lineColor, RGB(9, 9, 9)) << "the caller's wins with wParam 0";

    int32_t anchor[2] = {};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, h, 0, GRM_GETANCHOR, 0, LPARAM(anchor)), 0);
    EXPECT_EQ(anchor[0], 300);
    EXPECT_EQ(anchor[1], 400);

    int32_t x = 0, y = 0, r = 0, e = 7;
    ASSERT_EQ(TextObjectPositionSet(kernel, h, -5, 6), 1);
    ASSERT_EQ(TextObjectPositionGet(kernel, h, &x, &y), 1);
    EXPECT_EQ(x, -5);
    EXPECT_EQ(y, 6);
    ASSERT_EQ(TextObjectRotationSet(kernel, h, 1234), 1);
    ASSERT_EQ(TextObjectRotationGet(kernel, h, &r), 1);
    EXPECT_EQ(r, 1234);
    ASSERT_EQ(TextObjectEscapementGet(kernel, h, &e), 1);
    EXPECT_EQ(e, 0);
}

TEST_F(TextTest, OperationsRefuseHandlesThatAreNotTexts)
{
    const OBJHANDLE layer = GetActiveLayer(kernel, GetRootOBJect(window, CLASS_LAYERS));
    ASSERT_NE(layer, 0u);
    const uint32_t before = GetOBJectSize(kernel, layer);
    std::vector<char> bytes(OBJectLock(kernel, layer), OBJectLock(kernel, layer) + before - OBJ_HEAD_SIZE);
    int32_t v = 0;
    char buffer[8];
    _COORDPT out{};
    for (const OBJHANDLE h : {OBJHANDLE(0), layer, OBJHANDLE(0x7FFFFFF)}) {
        EXPECT_EQ(TextObjectTextSet(kernel, h, "x"), 0);
        EXPECT_EQ(TextObjectTextGet(kernel, h, buffer, 8), 0);
        EXPECT_EQ(TextObjectPositionSet(kernel, h, 1, 1), 0);
        EXPECT_EQ(TextObjectPositionGet(kernel, h, &v, &v), 0);
        EXPECT_EQ(TextObjectRotationSet(kernel, h, 1), 0);
        EXPECT_EQ(TextObjectRotationGet(kernel, h, &v), 0);
        EXPECT_EQ(TextObjectEscapementGet(kernel, h, &v), 0);
        EXPECT_EQ(TextObjectMove(kernel, h, 1, 1), 0);
        EXPECT_EQ(TextObjectFindVertex(kernel, h, rec.displayView, 0, 0, &out, 1000), 0);
        TextObjectRecalcRect(window, h);
        const MAP_COORDRECT r{0, 0, 10, 10};
        TextObjectZoom(window, h, &r);
        EXPECT_EQ(TextObjectDisplay(window, GetDC(window), h, 0, nullptr, 0), 0);
    }
    EXPECT_EQ(GetOBJectSize(kernel, layer), before);
    EXPECT_EQ(
        std::vector<char>(OBJectLock(kernel, layer), OBJectLock(kernel, layer) + before - OBJ_HEAD_SIZE),
        bytes)
        << "the layer is left as it was";
}

} // namespace
