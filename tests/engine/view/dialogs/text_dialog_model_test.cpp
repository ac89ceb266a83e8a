#include "engine/view/dialogs/text_dialog_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TextDialogModelTest, ListSelectionsFollowTheFlagsWordAndOkRebuildsIt)
{
    struct Case {
        uint16_t flags;
        int horz, vert, lock;
    } cases[] = {
        {0x00, 0, 0, 0}, {0x01, 1, 0, 0}, {0x02, 2, 0, 0}, {0x03, 2, 0, 0}, {0x04, 0, 1, 0},
        {0x08, 0, 2, 0}, {0x10, 0, 0, 1}, {0x20, 0, 0, 2}, {0x35, 1, 1, 2},
    };
    for (const Case &c : cases) {
        TextDialogModel m;
        m.flags = c.flags;
        EXPECT_EQ(m.HorzIndex(), c.horz) << c.flags;
        EXPECT_EQ(m.VertIndex(), c.vert) << c.flags;
        EXPECT_EQ(m.LockIndex(), c.lock) << c.flags;
    }
    TextDialogModel m;
    m.flags = 0xFF00;
    m.Accept("abc", 2, 1, 1, "12abc", "-7");
    EXPECT_EQ(m.flags, 0x16) << "rebuilt from the three selections alone";
    EXPECT_EQ(m.data.x, 12) << "read as atol reads";
    EXPECT_EQ(m.data.y, -7);
    m.Accept(std::string(3000, 'x'), 0, 0, 0, "", "not a number");
    EXPECT_EQ(m.text.size(), kTextDialogMaxText);
    EXPECT_EQ(m.data.x, 0);
    EXPECT_EQ(m.data.y, 0);
}

TEST(TextDialogModelTest, StylesAndFontsConvertBothWays)
{
    struct Case {
        LONG weight;
        BYTE italic, underline, strike;
        int style;
    } cases[] = {
        {FW_NORMAL, 0, 0, 0, 0}, {FW_BOLD, 0, 0, 0, 2},   {FW_NORMAL, 1, 0, 0, 4},
        {FW_BOLD, 1, 0, 0, 6},   {FW_NORMAL, 0, 1, 0, 8}, {FW_BOLD, 1, 1, 1, 30},
    };
    for (const Case &c : cases) {
        LOGFONTA f{};
        f.lfWeight = c.weight;
        f.lfItalic = c.italic;
        f.lfUnderline = c.underline;
        f.lfStrikeOut = c.strike;
        EXPECT_EQ(TextStyleFromFont(f), c.style);
        LOGFONTA back{};
        FontFromTextStyle(back, c.style);
        EXPECT_EQ(TextStyleFromFont(back), c.style);
    }
    EXPECT_EQ(FontHeightFromPoints(12, 96), -16);
    EXPECT_EQ(FontPointsFromHeight(-16, 96), 12);
    EXPECT_EQ(FontPointsFromHeight(FontHeightFromPoints(11, 96), 96), 11) << "-14 rounds back to 11";
    EXPECT_EQ(FontPointsFromHeight(-16, 0), 0) << "no division by a zero resolution";
}

TEST(TextDialogModelTest, FaceNamesAreBoundToTheirField)
{
    LOGFONTA f{};
    std::memset(f.lfFaceName, 'z', sizeof f.lfFaceName);
    SetLogFontFace(f, std::string(40, 'A'));
    EXPECT_EQ(std::string(f.lfFaceName), std::string(31, 'A'));
    SetLogFontFace(f, "");
    EXPECT_EQ(std::string(f.lfFaceName), "");
}

TEST(TextDialogModelTest, TheRichTextFaceNameIsReadWithinTheText)
{
    struct Case {
        std::string rtf;
        std::string face;
    } cases[] = {
        {R"({\rtf1\ansi{\fonttbl{\f0\fnil\fcharset2 Wingdings;}}\f0 J})", "Wingdings"},
        {R"({\rtf1{\fonttbl{\f0\fswiss\fcharset0 Arial Narrow;}{\f1 Symbol;}}})", "Arial Narrow"},
        {R"({\rtf1 no font table})", "Arial"},
        {R"({\rtf1{\fonttbl{\f0\fcharset0 Cut off here)", "Cut off here"},
        {R"({\rtf1\fcharset0)", "Arial"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RtfFaceName(c.rtf.data(), c.rtf.size()), c.face) << c.rtf;
    // The scan stops at the given length even without a terminator.
    const std::string rtf = R"(\fcharset0 Garamond;} trailing)";
    EXPECT_EQ(RtfFaceName(rtf.data(), 14), "Gar");
    EXPECT_EQ(RtfFaceName(nullptr, 5), "Arial");
}

TEST(TextDialogModelTest, TheFontDialogTakesTheFontAlwaysAndColoursOnlyOnOk)
{
    TextDialogModel m;
    SetLogFontFace(m.data.font, "Arial");
    m.data.font.lfHeight = 12;
    m.data.colour = RGB(1, 2, 3);
    m.data.ownColour = 1;
    const LOGFONTA given = m.FontForDialog(96);
    EXPECT_EQ(given.lfHeight, -16);
    m.FontDialogClosed(given, false, RGB(9, 9, 9), 0, 96);
    EXPECT_EQ(m.data.font.lfHeight, 12);
    EXPECT_EQ(m.data.colour, RGB(1, 2, 3));
    EXPECT_EQ(m.data.ownColour, 1);
    EXPECT_EQ(m.changeMask, 0);

    LOGFONTA chosen = given;
    SetLogFontFace(chosen, "Courier");
    chosen.lfHeight = -24;
    m.FontDialogClosed(chosen, true, RGB(9, 9, 9), 0, 96);
    EXPECT_EQ(m.data.font.lfHeight, 18);
    EXPECT_EQ(m.FontLabel(), "Courier 18 pt");
    EXPECT_EQ(m.data.colour, RGB(9, 9, 9));
    EXPECT_EQ(m.data.ownColour, 0);
    EXPECT_EQ(m.changeMask, TEXTDLG_FONT);

    m.data.font.lfEscapement = 459;
    EXPECT_EQ(m.OrientationDegrees(), 45);
    m.OrientationConfirmed(m.OrientationDegrees());
    EXPECT_EQ(m.data.font.lfEscapement, 450);
    EXPECT_EQ(m.changeMask, TEXTDLG_FONT | TEXTDLG_ROTATION);
    m.data.font.lfEscapement = -459;
    EXPECT_EQ(m.OrientationDegrees(), -45) << "truncated toward zero";
}

} // namespace
