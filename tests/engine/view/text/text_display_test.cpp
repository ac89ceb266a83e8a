#include "text_fixture.h"

#include "platform/bitblt.h"
#include "platform/system_colors.h"
#include "platform/window_dc.h"

#include <QImage>
#include <cstdlib>

namespace {

constexpr QRgb kRed = 0xFF0000;

struct Ink {
    int count = 0;
    QRect box;
};

// The pixels of the colour (or, with exact false, every pixel that is not
// white) on the window's surface.
Ink inkOf(HWND window, QRgb colour, bool exact = true)
{
    const QImage image = GetWindowSurface(window);
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            if (exact ? p == colour : p != 0xFFFFFF) {
                ++ink.count;
                ink.box |= QRect(x, y, 1, 1);
            }
        }
    return ink;
}

class TextDisplayTest : public TextTest {
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        dc = GetDC(window);
        ASSERT_NE(dc, 0u);
    }
    void TearDown() override
    {
        ReleaseDC(window, dc);
        TextTest::TearDown();
    }

    // The window rectangle of the text's bound rectangle.
    QRect windowBox(OBJHANDLE h)
    {
        const MAP_COORDRECT b = data(h).bound;
        RECT r{};
        PM_MapToWindowRect(rec.displayView, &b, &r);
        return QRect(QPoint(std::min(r.left, r.right), std::min(r.top, r.bottom)),
                     QPoint(std::max(r.left, r.right), std::max(r.top, r.bottom)));
    }

    GraphDispl layerColours(COLORREF line, COLORREF fill = 0xFFFFFFFFu)
    {
        GraphDispl a{};
        a.mask = GD_LINECOLOR | GD_FILLCOLOR;
        a.lineColor = line;
        a.fillColor = fill;
        return a;
    }

    HDC dc = 0;
};

TEST_F(TextDisplayTest, DrawsInsideItsRectangle)
{
    // The attributes as the drawing loop asks them of the text: its own
    // colour over the layer's.
    const OBJHANDLE h = makeText("HHH\nHH", {10000, 20000}, 10, 0);
    GraphDispl a = layerColours(RGB(0, 0, 255));
    SendOBJectMessage(kernel, 0, h, 0, GRM_GETATTRIBUTES, 1, LPARAM(&a));
    ASSERT_EQ(a.lineColor, RGB(255, 0, 0));
    SetTextColor(dc, RGB(0, 255, 0));
    ASSERT_EQ(TextObjectDisplay(window, dc, h, 0, &a, 0), 1);
    const Ink red = inkOf(window, kRed);
    ASSERT_GT(red.count, 50);
    const QRect box = windowBox(h).adjusted(-2, -2, 2, 2);
    EXPECT_TRUE(box.contains(red.box))
        << red.box.x() << "," << red.box.y() << " " << red.box.width() << "x" << red.box.height();
    EXPECT_EQ(inkOf(window, 0xFFFFFF, false).count, red.count) << "transparent background, one colour";
    EXPECT_GT(red.box.height(), 35) << "two lines of 35 pixels";
    EXPECT_EQ(GetTextColor(dc), RGB(0, 255, 0)) << "the context's colours come back";
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
}

TEST_F(TextDisplayTest, OwnColourOnInfoBackgroundUnlessSelectable)
{
    // Colour mode 2 on a layer that cannot be selected: the own colour on
    // the tooltip background. On a selectable layer the attribute record's
    // line colour replaces the own colour.
    const OBJHANDLE h = makeText("HH", {10000, 20000}, 10, 0, 0, 2, RGB(255, 0, 0));
    const OBJHANDLE layer = GetOBJectLayer(kernel, h);
    SendOBJectMessage(kernel, 0, layer, 0, GRM_SETSELECTABLE, 0, 0);
    GraphDispl a = layerColours(RGB(0, 0, 255));
    ASSERT_EQ(TextObjectDisplay(window, dc, h, 0, &a, 0), 1);
    const COLORREF info = GetSysColor(COLOR_INFOBK);
    const Ink background =
        inkOf(window, QRgb(GetRValue(info)) << 16 | QRgb(GetGValue(info)) << 8 | GetBValue(info));
    const Ink red = inkOf(window, kRed);
    EXPECT_GT(red.count, 0);
    EXPECT_TRUE(background.box.contains(red.box)) << "opaque background behind the text";
    EXPECT_EQ(inkOf(window, 0x0000FF).count, 0);

    SendOBJectMessage(kernel, 0, layer, 0, GRM_SETSELECTABLE, 1, 0);
    ASSERT_EQ(TextObjectDisplay(window, dc, h, 0, &a, 0), 1);
    EXPECT_GT(inkOf(window, 0x0000FF).count, 0);
}

TEST_F(TextDisplayTest, LayerColourAndOpaqueFill)
{
    const OBJHANDLE h = makeText("HH", {10000, 20000}, 10, 0, 0, 0);
    GraphDispl a = layerColours(RGB(255, 0, 0), RGB(0, 0, 0));
    ASSERT_EQ(TextObjectDisplay(window, dc, h, 0, &a, 0), 1);
    const Ink black = inkOf(window, 0x000000);
    EXPECT_GT(black.count, 0) << "the fill colour behind the text";
    EXPECT_GT(inkOf(window, kRed).count, 0);
    EXPECT_TRUE(black.box.contains(inkOf(window, kRed).box));
}

TEST_F(TextDisplayTest, RotatedLinesStackAcross)
{
    const OBJHANDLE h = makeText("HHHH\nHHHH", {20000, 5000}, 10, 0, 900);
    GraphDispl a = layerColours(RGB(255, 0, 0));
    ASSERT_EQ(TextObjectDisplay(window, dc, h, 0, &a, 0), 1);
    const Ink red = inkOf(window, kRed);
    ASSERT_GT(red.count, 0);
    EXPECT_GT(red.box.height(), red.box.width()) << "runs up";
    EXPECT_TRUE(windowBox(h).adjusted(-3, -3, 3, 3).contains(red.box));
    EXPECT_GT(red.box.width(), 50) << "two lines side by side";
}

TEST_F(TextDisplayTest, TinyScreenTextIsMeasuredButNotDrawn)
{
    const OBJHANDLE h = makeText("HH", {10000, 20000}, 2, TEXT_LOCK_SCREEN);
    TextObjectData d = data(h);
    d.bound = {0, 0, 0, 0};
    store(h, d);
    GraphDispl a = layerColours(0);
    EXPECT_EQ(TextObjectDisplay(window, dc, h, TEXT_DISPLAY_MARKS, &a, 0), 0);
    EXPECT_EQ(inkOf(window, 0xFFFFFF, false).count, 0) << "no text and no marks";
    EXPECT_EQ(data(h).bound.y2 - data(h).bound.y1, 200) << "2 pixels of 100 map units";
    EXPECT_EQ(TextObjectDisplay(window, 0, h, 0, &a, 0), 0) << "no context";
}

TEST_F(TextDisplayTest, TranslucentLayerBlendsTheColour)
{
    const OBJHANDLE h = makeText("HHH", {10000, 20000}, 10, 0, 0, 2);
    GraphDispl a = layerColours(RGB(255, 0, 0));
    ASSERT_EQ(TextObjectDisplay(window, dc, h, 0, &a, 50), 1);
    const Ink any = inkOf(window, 0xFFFFFF, false);
    ASSERT_GT(any.count, 0);
    const QImage image = GetWindowSurface(window);
    int blended = 0;
    for (int y = any.box.top(); y <= any.box.bottom(); ++y)
        for (int x = any.box.left(); x <= any.box.right(); ++x) {
            const QRgb q = image.pixel(x, y);
            if ((q & 0xFFFFFF) == 0xFFFFFF)
                continue;
            ASSERT_EQ(qRed(q), 255) << "red over white, no background";
            EXPECT_NEAR(qGreen(q), 128, 2);
            ++blended;
        }
    EXPECT_GT(blended, 0);
}

TEST(TextOpacity, ComesFromTheLayerTransparencyAndWraps)
{
    struct Case {
        int transparency, opacity;
    };
    for (const Case c : {Case{0, 255}, Case{1, 252}, Case{50, 127}, Case{100, 0}, Case{150, 129},
                         Case{200, 1}, Case{-20, 50}})
        EXPECT_EQ(TextOpacityFromTransparency(c.transparency), c.opacity) << c.transparency;
}

TEST_F(TextDisplayTest, FontCacheKeepsOneFontPerDescription)
{
    const OBJHANDLE a = makeText("a", {0, 0}, 10, 0);
    const OBJHANDLE b = makeText("b", {0, 0}, 10, 0);
    const OBJHANDLE turned = makeText("c", {0, 0}, 10, 0, 450);
    const HFONT first = TextObjectFontGet(window, TextObjectLock(kernel, a));
    ASSERT_NE(first, 0u);
    EXPECT_EQ(rec.textFont, first);
    EXPECT_EQ(TextObjectFontGet(window, TextObjectLock(kernel, b)), first) << "same description";
    const HFONT second = TextObjectFontGet(window, TextObjectLock(kernel, turned));
    EXPECT_NE(second, first);
    EXPECT_EQ(GetObjectType(first), 0u) << "the replaced font is deleted";
    EXPECT_EQ(rec.textFont, second);
    // The face name compares case-sensitively.
    TextObjectData d = data(b);
    std::strcpy(d.faceName, "arial");
    store(b, d);
    const HFONT third = TextObjectFontGet(window, TextObjectLock(kernel, b));
    EXPECT_NE(third, second);
    LOGFONTA lf{};
    GetObjectA(third, sizeof lf, &lf);
    EXPECT_STREQ(lf.lfFaceName, "arial");
    EXPECT_EQ(lf.lfHeight, 35);
}

TEST_F(TextDisplayTest, LongFaceNameIsCutForTheFont)
{
    const OBJHANDLE h = makeText("a", {0, 0}, 10, 0);
    TextObjectData d = data(h);
    std::memset(d.faceName, 'F', 63);
    d.faceName[63] = 0;
    store(h, d);
    LOGFONTA lf{};
    GetObjectA(TextObjectFontGet(window, TextObjectLock(kernel, h)), sizeof lf, &lf);
    EXPECT_EQ(std::string(lf.lfFaceName), std::string(31, 'F'));
}

TEST_F(TextDisplayTest, MarksInvertTheCrossAndMarkTheVertexBitmap)
{
    ASSERT_NE(rec.vertexBits, nullptr);
    ASSERT_NE(MarkerBitmap(4), 0u);
    const OBJHANDLE h = makeText("HHHHHH", {10000, 20000}, 10, TEXT_ALIGN_HCENTER | TEXT_ALIGN_VCENTER);
    const QRect box = windowBox(h);
    const MAP_COORDPT anchor{10000, 20000};
    POINT w{};
    PM_MapToWindow(rec.displayView, &anchor, &w, 1);
    GraphDispl a = layerColours(RGB(255, 0, 0));
    ASSERT_EQ(TextObjectDisplay(window, dc, h, 0, &a, 0), 1);
    const QImage plain = GetWindowSurface(window);
    EXPECT_EQ(VertexBitmapTest(&rec, w.x, w.y), 0) << "no marks without the mode bits";
    ASSERT_EQ(TextObjectDisplay(window, dc, h, 0x8, &a, 0), 1);
    const QImage marked = GetWindowSurface(window);
    // The cross, and nothing else of its square, is inverted over what the
    // text left at the anchor.
    for (int y = -3; y < 4; ++y)
        for (int x = -3; x < 4; ++x) {
            const QRgb before = plain.pixel(w.x + x, w.y + y) & 0xFFFFFF;
            const QRgb after = marked.pixel(w.x + x, w.y + y) & 0xFFFFFF;
            EXPECT_EQ(after, std::abs(x) == std::abs(y) ? before ^ 0xFFFFFF : before) << x << "," << y;
        }
    EXPECT_EQ(VertexBitmapTest(&rec, box.left(), box.top()), 1);
    EXPECT_EQ(VertexBitmapTest(&rec, box.right(), box.bottom()), 1);
    EXPECT_EQ(VertexBitmapTest(&rec, w.x, w.y), 1);
    // Clearing takes the corner bits back.
    const RECT r{box.left(), box.top(), box.right(), box.bottom()};
    RectCornersToVertexBitmap(window, dc, &r, 1);
    EXPECT_EQ(VertexBitmapTest(&rec, box.left(), box.top()), 0);
    EXPECT_EQ(VertexBitmapTest(&rec, w.x, w.y), 1);
}

TEST_F(TextDisplayTest, BitmapDrawStaysWithinSixteenBitCoordinates)
{
    const HBITMAP square = MarkerBitmap(4);
    ASSERT_NE(square, 0u);
    BitmapDraw(dc, square, 7, 7, 10, 10, SRCINVERT);
    const int once = inkOf(window, 0xFFFFFF, false).count;
    EXPECT_GT(once, 0);
    BitmapDraw(dc, square, 7, 7, 10, 10, SRCINVERT);
    EXPECT_EQ(inkOf(window, 0xFFFFFF, false).count, 0) << "inverted twice";
    BitmapDraw(dc, square, 7, 7, 32694, 10, SRCINVERT);
    BitmapDraw(dc, square, 7, 7, -32694, 10, SRCINVERT);
    BitmapDraw(dc, square, 7, 7, 10, 32694, SRCINVERT);
    EXPECT_EQ(inkOf(window, 0xFFFFFF, false).count, 0);
}

} // namespace
