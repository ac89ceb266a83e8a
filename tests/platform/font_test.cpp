#include "platform/dc.h"
#include "platform/font.h"
#include "tests/support/canvas.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

LOGFONTA Description(LONG height, const char *face = "Arial", LONG escapement = 0)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    lf.lfWeight = FW_NORMAL;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

// The bounding box of the pixels that are not white.
QRect Inked(const QImage &image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                r |= QRect(x, y, 1, 1);
    return r;
}

TEST(Font, CreateAndGetObjectGiveTheDescriptionBack)
{
    LOGFONTA lf = Description(-20, "Times New Roman", 450);
    lf.lfItalic = 1;
    lf.lfCharSet = 204;
    const HFONT font = CreateFontIndirectA(&lf);
    ASSERT_NE(font, 0u);
    EXPECT_EQ(GetObjectType(font), OBJ_FONT);
    EXPECT_EQ(GetObjectA(font, 0, nullptr), int(sizeof(LOGFONTA)));
    LOGFONTA back{};
    ASSERT_EQ(GetObjectA(font, sizeof back, &back), int(sizeof back));
    EXPECT_EQ(std::memcmp(&back, &lf, sizeof lf), 0);
    // A short buffer gets only what fits; a pen is not a font.
    LONG height = 0;
    EXPECT_EQ(GetObjectA(font, sizeof height, &height), int(sizeof height));
    EXPECT_EQ(height, -20);
    EXPECT_EQ(GetObjectA(CreatePen(PS_SOLID, 1, 0), sizeof back, &back), 0);
    EXPECT_EQ(CreateFontIndirectA(nullptr), 0u);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_EQ(GetObjectA(font, sizeof back, &back), 0);
}

TEST(Font, UnterminatedFaceNameIsCut)
{
    LOGFONTA lf = Description(-12);
    std::memset(lf.lfFaceName, 'x', LF_FACESIZE);
    LOGFONTA back{};
    GetObjectA(CreateFontIndirectA(&lf), sizeof back, &back);
    EXPECT_EQ(strnlen(back.lfFaceName, LF_FACESIZE), size_t(LF_FACESIZE - 1));
}

TEST(Font, SelectingAFontGivesBackThePreviousAndKeepsItAlive)
{
    Canvas c(10, 10);
    LOGFONTA lf = Description(-30);
    const HFONT font = CreateFontIndirectA(&lf);
    const HGDIOBJ old = SelectObject(c.dc, font);
    EXPECT_EQ(old, GetStockObject(SYSTEM_FONT));
    EXPECT_FALSE(DeleteObject(font)) << "selected";
    EXPECT_EQ(SelectObject(c.dc, old), font);
    EXPECT_TRUE(DeleteObject(font));
}

TEST(Font, ExtentFollowsTheHeightKindAndTheText)
{
    Canvas c(4, 4);
    // A negative height is the character height, a positive one the cell.
    for (LONG h : {-40, 40, 64}) {
        LOGFONTA lf = Description(h);
        const HFONT font = CreateFontIndirectA(&lf);
        const HGDIOBJ old = SelectObject(c.dc, font);
        SIZE one{}, two{};
        ASSERT_TRUE(GetTextExtentPoint32A(c.dc, "Wide", 4, &one));
        ASSERT_TRUE(GetTextExtentPoint32A(c.dc, "WideWide", 8, &two));
        EXPECT_EQ(two.cx, 2 * one.cx) << h;
        EXPECT_EQ(two.cy, one.cy);
        if (h > 0)
            EXPECT_NEAR(one.cy, h, 1) << "cell height";
        else
            EXPECT_GT(one.cy, -h) << "cell above the character height";
        SIZE none{};
        EXPECT_TRUE(GetTextExtentPoint32A(c.dc, "", 0, &none));
        EXPECT_EQ(none.cx, 0);
        EXPECT_EQ(none.cy, one.cy);
        SelectObject(c.dc, old);
        DeleteObject(font);
    }
    SIZE s{};
    EXPECT_FALSE(GetTextExtentPoint32A(c.dc, "x", -1, &s));
    EXPECT_FALSE(GetTextExtentPoint32A(0, "x", 1, &s));
}

TEST(Font, BoldAndWidthWidenTheText)
{
    Canvas c(4, 4);
    auto width = [&](LOGFONTA lf) {
        const HFONT f = CreateFontIndirectA(&lf);
        const HGDIOBJ old = SelectObject(c.dc, f);
        SIZE s{};
        GetTextExtentPoint32A(c.dc, "mmmmmmmmmm", 10, &s);
        SelectObject(c.dc, old);
        DeleteObject(f);
        return s.cx;
    };
    LOGFONTA plain = Description(-30), bold = plain, wide = plain;
    bold.lfWeight = FW_BOLD;
    wide.lfWidth = 40;
    EXPECT_GT(width(bold), width(plain));
    EXPECT_GT(width(wide), width(plain) * 3 / 2);
}

TEST(Font, TextOutDrawsInTheTextColourWithinTheCell)
{
    Canvas c(200, 60);
    LOGFONTA lf = Description(-30);
    const HFONT font = CreateFontIndirectA(&lf);
    SelectObject(c.dc, font);
    SetTextColor(c.dc, RGB(255, 0, 0));
    SetBkMode(c.dc, TRANSPARENT);
    SIZE s{};
    GetTextExtentPoint32A(c.dc, "HELLO", 5, &s);
    ASSERT_TRUE(TextOutA(c.dc, 20, 10, "HELLO", 5));
    const QRect ink = Inked(c.image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(QRect(20, 10, s.cx, s.cy).contains(ink)) << ink.x() << "," << ink.y();
    EXPECT_GT(ink.width(), s.cx / 2);
    // Only the text colour: no antialiasing, no background.
    for (int y = 0; y < c.image.height(); ++y)
        for (int x = 0; x < c.image.width(); ++x) {
            const QRgb p = c.image.pixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(p == 0xFFFFFF || p == 0xFF0000) << x << "," << y;
        }
}

TEST(Font, OpaqueBackgroundFillsTheCell)
{
    Canvas c(120, 60);
    LOGFONTA lf = Description(-20);
    SelectObject(c.dc, CreateFontIndirectA(&lf));
    SetBkColor(c.dc, RGB(0, 0, 0));
    SetTextColor(c.dc, RGB(255, 0, 0));
    SIZE s{};
    GetTextExtentPoint32A(c.dc, "ab", 2, &s);
    TextOutA(c.dc, 5, 7, "ab", 2);
    EXPECT_EQ(Inked(c.image), QRect(5, 7, s.cx, s.cy));
    EXPECT_EQ(GetPixel(c.dc, 5, 7), RGB(0, 0, 0));
}

TEST(Font, EscapementTurnsTheTextCounterClockwise)
{
    // At 90 degrees the text runs upwards from the point, and the cell's top
    // edge lies on the point's column, the glyphs to its right.
    Canvas c(80, 200);
    LOGFONTA lf = Description(-24, "Arial", 900);
    SelectObject(c.dc, CreateFontIndirectA(&lf));
    SetBkMode(c.dc, TRANSPARENT);
    TextOutA(c.dc, 20, 180, "HHHHHH", 6);
    const QRect ink = Inked(c.image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), ink.width() * 2) << "runs vertically";
    EXPECT_LE(ink.bottom(), 180);
    EXPECT_LT(ink.top(), 100);
    EXPECT_GE(ink.left(), 20);
}

TEST(Font, TranslucentTextBlendsAndIgnoresTheBackground)
{
    Canvas c(120, 60);
    LOGFONTA lf = Description(-30, "Arial", 900); // the escapement is left aside
    SelectObject(c.dc, CreateFontIndirectA(&lf));
    SetBkMode(c.dc, OPAQUE);
    SetBkColor(c.dc, RGB(0, 255, 0));
    ASSERT_TRUE(DrawTranslucentRotatedText(c.dc, 10, 10, "MMMM", RGB(0, 0, 0), 128, 0.0));
    const QRect ink = Inked(c.image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.width(), ink.height()) << "horizontal";
    // Half black over white, and nothing of the background colour.
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x) {
            const QRgb p = c.image.pixel(x, y);
            if ((p & 0xFFFFFF) == 0xFFFFFF)
                continue;
            ASSERT_NEAR(qRed(p), 127, 2) << x << "," << y;
            ASSERT_EQ(qGreen(p), qRed(p));
        }
    // Turned by 90 degrees counter-clockwise it runs upwards.
    Canvas d(60, 160);
    SelectObject(d.dc, CreateFontIndirectA(&lf));
    DrawTranslucentRotatedText(d.dc, 10, 150, "MMMM", RGB(0, 0, 0), 255, 90.0);
    const QRect up = Inked(d.image);
    EXPECT_GT(up.height(), up.width());
    EXPECT_LE(up.bottom(), 150);
    // Alpha 0 leaves the image as it was.
    Canvas e(60, 60);
    DrawTranslucentRotatedText(e.dc, 0, 0, "MMMM", RGB(0, 0, 0), 0, 0.0);
    EXPECT_EQ(e.Count(), 0);
}

} // namespace
