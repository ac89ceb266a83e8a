#include "engine/window/font_list.h"

#include "platform/dc.h"
#include "platform/font_enum.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <strings.h>

namespace {

std::string FaceOf(const FontFamilyRecord &family)
{
    return std::string(family.logFont.lfFaceName, strnlen(family.logFont.lfFaceName, LF_FACESIZE));
}

void ExpectAscending(const FontFamilyRecord &family)
{
    for (int i = 1; i < family.heightCount; ++i)
        EXPECT_LT(family.heights[i - 1] & 0xFFFF, family.heights[i] & 0xFFFF)
            << FaceOf(family) << " entry " << i;
    for (int i = 0; i < family.heightCount; ++i)
        EXPECT_LT(family.heights[i] >> 16, family.heights[i] & 0xFFFF) << "leading within the height";
}

// More faces and heights than the list holds; the second face repeats the
// first in capitals, and the first's sizes come in descending order.
std::vector<FontFace> ManyFaces()
{
    std::vector<FontFace> faces;
    FontFace first{"Face 00", {}, true};
    for (int points = 3 * 70; points > 0; points -= 3)
        first.pointSizes.push_back(points);
    faces.push_back(first);
    faces.push_back({"FACE 00", {500}, true});
    for (int i = 1; i < 52; ++i)
        faces.push_back({"Face " + std::to_string(100 + i).substr(1), {10, 8}, i % 2 == 0});
    return faces;
}

class FontListTest : public ::testing::Test {
protected:
    void SetUp() override { previousFaces = SetFontFacesHook(ManyFaces); }
    void TearDown() override
    {
        SetFontFacesHook(previousFaces);
        SetFontListContextHook({});
    }
    FontFacesHook previousFaces;
};

TEST_F(FontListTest, CapsFamiliesAndHeightsMergingCaseVariants)
{
    ASSERT_EQ(_wflNew(), 1);
    const FontListRecord &list = EngineFontList();
    EXPECT_EQ(list.capacity, kFontListFamilies);
    ASSERT_EQ(list.count, kFontListFamilies);
    // The capitalised repeat is no family of its own: the first 48 distinct
    // faces in enumeration order.
    EXPECT_EQ(FaceOf(list.families[0]), "Face 00");
    for (int i = 1; i < kFontListFamilies; ++i)
        EXPECT_EQ(FaceOf(list.families[i]), "Face " + std::to_string(100 + i).substr(1));

    const FontFamilyRecord &first = list.families[0];
    EXPECT_EQ(first.heightCount, kFontFamilyHeights);
    ExpectAscending(first);
    // The 64 kept are the first enumerated (sizes ascending within a face),
    // so 500 points (10000 twips or more) of the repeat did not get in.
    EXPECT_LT(first.heights[kFontFamilyHeights - 1] & 0xFFFF, 10000u);

    const FontFamilyRecord &small = list.families[1];
    EXPECT_EQ(small.heightCount, 2);
    ExpectAscending(small);
    EXPECT_EQ(small.fontType, RASTER_FONTTYPE);
    EXPECT_EQ(list.families[2].fontType, TRUETYPE_FONTTYPE);
    EXPECT_EQ(small.logFont.lfHeight, 0);
    EXPECT_EQ(small.logFont.lfWidth, 0);
}

TEST_F(FontListTest, HeightsAreTwipsOfTheDisplayResolution)
{
    SetFontFacesHook([] { return std::vector<FontFace>{{"Liberation Sans", {10}, true}}; });
    ASSERT_EQ(_wflNew(), 1);
    const FontListRecord &list = EngineFontList();
    EXPECT_EQ(list.logPixelsX, kFixedScreenDpi);
    EXPECT_EQ(list.logPixelsY, kFixedScreenDpi);
    EXPECT_EQ(list.width, kFixedScreenWidthPixels);
    EXPECT_EQ(list.height, kFixedScreenHeightPixels);
    ASSERT_EQ(list.count, 1);
    ASSERT_EQ(list.families[0].heightCount, 1);

    // The platform's cell height in pixels, at 15 twips a pixel.
    HDC dc = CreateCompatibleDC(0);
    LOGFONTA filter{};
    std::strcpy(filter.lfFaceName, "Liberation Sans");
    std::pair<LONG, LONG> cell{};
    EnumFontFamiliesExA(
        dc, &filter,
        [](const LOGFONTA *lf, const TEXTMETRICA *tm, DWORD, LPARAM data) {
            *reinterpret_cast<std::pair<LONG, LONG> *>(data) = {lf->lfHeight, tm->tmInternalLeading};
            return 1;
        },
        reinterpret_cast<LPARAM>(&cell), 0);
    DeleteDC(dc);
    ASSERT_GT(cell.first, 0);
    const uint32_t entry = list.families[0].heights[0];
    EXPECT_EQ(entry & 0xFFFF, uint32_t(cell.first * 15));
    EXPECT_EQ(entry >> 16, uint32_t(cell.second * 15));
}

TEST_F(FontListTest, CaseVariantsPoolTheirHeightsAscending)
{
    // The capitalised face brings smaller sizes, and one already listed.
    SetFontFacesHook([] {
        return std::vector<FontFace>{{"Liberation Serif", {24, 12}, true},
                                     {"LIBERATION SERIF", {12, 6}, true}};
    });
    ASSERT_EQ(_wflNew(), 1);
    const FontListRecord &list = EngineFontList();
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(FaceOf(list.families[0]), "Liberation Serif");
    EXPECT_EQ(list.families[0].heightCount, 3);
    ExpectAscending(list.families[0]);
}

TEST_F(FontListTest, DefaultFaceAndDeviceNames)
{
    ASSERT_EQ(_wflNew(), 1);
    EXPECT_STREQ(EngineFontListDefaultFace(), "Roman");
    const FontListRecord &list = EngineFontList();
    EXPECT_STREQ(list.driver, "DISPLAY");
    EXPECT_STREQ(list.device, "");
    EXPECT_STREQ(list.port, "");
    EXPECT_EQ(list.dc, 0u) << "the context is gone with the enumeration";
}

TEST_F(FontListTest, NoContextAnswersZeroAndKeepsTheList)
{
    ASSERT_EQ(_wflNew(), 1);
    const FontListRecord before = EngineFontList();
    SetFontFacesHook([] { return std::vector<FontFace>{{"Other", {10}, true}}; });
    SetFontListContextHook([] { return HDC(0); });
    EXPECT_EQ(_wflNew(), 0);
    EXPECT_EQ(std::memcmp(&before, &EngineFontList(), sizeof before), 0);
    // A handle that is no context fails the enumeration the same way.
    SetFontListContextHook([] { return HDC(0x7FFFFFF0); });
    EXPECT_EQ(_wflNew(), 0);
    EXPECT_EQ(std::memcmp(&before, &EngineFontList(), sizeof before), 0);
}

TEST(FontListSystem, TheScreenFontsAreListed)
{
    ASSERT_EQ(_wflNew(), 1);
    const FontListRecord &list = EngineFontList();
    ASSERT_GT(list.count, 0);
    EXPECT_LE(list.count, kFontListFamilies);
    for (int i = 0; i < list.count; ++i) {
        EXPECT_LE(list.families[i].heightCount, kFontFamilyHeights);
        ExpectAscending(list.families[i]);
        for (int j = 0; j < i; ++j)
            EXPECT_NE(strncasecmp(list.families[i].logFont.lfFaceName, list.families[j].logFont.lfFaceName,
                                  LF_FACESIZE),
                      0);
    }
}

} // namespace
