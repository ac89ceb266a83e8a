#include "platform/font_enum.h"

#include "platform/dc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Seen {
    std::vector<std::string> faces;
    std::vector<LONG> heights;
    std::vector<LONG> leadings;
    std::vector<DWORD> types;
    size_t stopAfter = 0; // 0: never stop
};

int Record(const LOGFONTA *font, const TEXTMETRICA *metrics, DWORD type, LPARAM data)
{
    auto &seen = *reinterpret_cast<Seen *>(data);
    seen.faces.emplace_back(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE));
    seen.heights.push_back(font->lfHeight);
    seen.leadings.push_back(metrics->tmInternalLeading);
    seen.types.push_back(type);
    return seen.stopAfter == 0 || seen.faces.size() < seen.stopAfter ? 1 : 0;
}

class FontEnumTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dc = CreateCompatibleDC(0);
        ASSERT_NE(dc, 0u);
        previous = SetFontFacesHook([] {
            return std::vector<FontFace>{{"Liberation Sans", {12, 8, 10}, true},
                                         {"liberation sans", {8, 20}, true},
                                         {"Fixed Bitmap", {9}, false},
                                         {"A face whose name is much longer than thirty-one", {10}, true}};
        });
    }
    void TearDown() override
    {
        SetFontFacesHook(previous);
        DeleteDC(dc);
    }
    LOGFONTA Filter(const char *face)
    {
        LOGFONTA lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        return lf;
    }
    HDC dc = 0;
    FontFacesHook previous;
};

TEST_F(FontEnumTest, FamiliesOncePerFaceWithTypeAndCutName)
{
    Seen seen;
    const LOGFONTA all = Filter("");
    EXPECT_EQ(EnumFontFamiliesExA(dc, &all, Record, reinterpret_cast<LPARAM>(&seen), 0), 1);
    ASSERT_EQ(seen.faces.size(), 4u);
    EXPECT_EQ(seen.faces[0], "Liberation Sans");
    EXPECT_EQ(seen.faces[1], "liberation sans");
    EXPECT_EQ(seen.types[0], TRUETYPE_FONTTYPE);
    EXPECT_EQ(seen.types[2], RASTER_FONTTYPE);
    EXPECT_EQ(seen.faces[3],
              std::string("A face whose name is much longer than thirty-one").substr(0, LF_FACESIZE - 1));
}

TEST_F(FontEnumTest, HeightsOfOneFaceAscendingWithoutRegardToCase)
{
    Seen seen;
    const LOGFONTA face = Filter("LIBERATION SANS");
    EXPECT_EQ(EnumFontFamiliesExA(dc, &face, Record, reinterpret_cast<LPARAM>(&seen), 0), 1);
    // Both spellings' sizes, each face's ascending: 8, 10, 12 then 8, 20.
    ASSERT_EQ(seen.heights.size(), 5u);
    EXPECT_LT(seen.heights[0], seen.heights[1]);
    EXPECT_LT(seen.heights[1], seen.heights[2]);
    EXPECT_EQ(seen.heights[3], seen.heights[0]);
    EXPECT_LT(seen.heights[3], seen.heights[4]);
    // At 96 pixels per inch 8 points are 11 pixels: the cell is at least that.
    EXPECT_GE(seen.heights[0], 11);
    for (size_t i = 0; i < seen.heights.size(); ++i) {
        EXPECT_GE(seen.leadings[i], 0);
        EXPECT_LT(seen.leadings[i], seen.heights[i]);
    }
}

TEST_F(FontEnumTest, CallbackStopsTheEnumeration)
{
    Seen seen;
    seen.stopAfter = 2;
    const LOGFONTA all = Filter("");
    EXPECT_EQ(EnumFontFamiliesExA(dc, &all, Record, reinterpret_cast<LPARAM>(&seen), 0), 0);
    EXPECT_EQ(seen.faces.size(), 2u);
}

TEST_F(FontEnumTest, BadArgumentsAnswerZeroWithoutCalls)
{
    Seen seen;
    const LOGFONTA all = Filter("");
    EXPECT_EQ(EnumFontFamiliesExA(0, &all, Record, reinterpret_cast<LPARAM>(&seen), 0), 0);
    EXPECT_EQ(EnumFontFamiliesExA(dc, nullptr, Record, reinterpret_cast<LPARAM>(&seen), 0), 0);
    EXPECT_EQ(EnumFontFamiliesExA(dc, &all, nullptr, 0, 0), 0);
    EXPECT_TRUE(seen.faces.empty());
}

TEST(FontEnumSystem, TheFontDatabaseOffersFacesWithSizes)
{
    const std::vector<FontFace> faces = SystemFontFaces();
    ASSERT_FALSE(faces.empty());
    bool anySizes = false;
    for (const FontFace &f : faces)
        anySizes = anySizes || !f.pointSizes.empty();
    EXPECT_TRUE(anySizes);
}

} // namespace
