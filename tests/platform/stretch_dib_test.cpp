#include "platform/device_limit.h"
#include "platform/palette.h"
#include "platform/stretch_dib.h"
#include "tests/support/canvas.h"
#include "tests/support/dib_builder.h"

#include <gtest/gtest.h>

namespace {

QRgb At(const Canvas &c, int x, int y) { return c.image.pixel(x, y) & 0xFFFFFF; }

// Sets the device limit for one test and puts the default back.
struct LimitGuard {
    explicit LimitGuard(int64_t pixels) { SetDeviceBitmapLimit(pixels); }
    ~LimitGuard() { SetDeviceBitmapLimit(0); }
};

const std::vector<uint32_t> kColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                        0xFFFF00, 0x00FFFF, 0xFF00FF, 0x808080};

// Colour of picture pixel (x, y) of a 4 x 2 picture: index x + 4 y (modulo
// the colours the bit count can name), or that colour itself at 24 bits.
uint32_t Index(int x, int y, int bitCount) { return uint32_t(x + 4 * y) % (bitCount == 1 ? 2u : 8u); }

TEST(StretchDIBits, DoublesEveryPixelAtEachBitCountWithTheBottomRowStoredFirst)
{
    for (int bits : {1, 4, 8, 24}) {
        const TestDib dib = TestDib::Make(
            4, 2, bits,
            [&](int x, int y) { return bits == 24 ? kColours[Index(x, y, 8)] : Index(x, y, bits); },
            bits == 24 ? std::vector<uint32_t>{} : kColours);
        Canvas c(10, 6);
        EXPECT_EQ(
            StretchDIBits(c.dc, 1, 1, 8, 4, 0, 0, 4, 2, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY),
            2);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(At(c, 1 + x, 1 + y), kColours[Index(x / 2, y / 2, bits == 24 ? 8 : bits)])
                    << bits << " bits at " << x << "," << y;
        EXPECT_EQ(At(c, 0, 0), 0xFFFFFFu) << "outside the destination";
        EXPECT_EQ(At(c, 9, 5), 0xFFFFFFu);
    }
}

TEST(StretchDIBits, ShrinkingTakesThePixelUnderEachCentreAndTheOriginIsTheLowerLeftCorner)
{
    // 6 x 4 picture, colour = column + 10 x row (rows from the top), 24 bits.
    const TestDib dib = TestDib::Make(6, 4, 24, [](int x, int y) { return uint32_t(x + 10 * y); });
    Canvas c(2, 2);
    // The whole picture into 2 x 2: columns floor((2i+1) 6/4) = 1, 4; rows
    // from the top floor((2j+1) 4/4) = 1, 3.
    StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 6, 4, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(At(c, 0, 0), 11u);
    EXPECT_EQ(At(c, 1, 0), 14u);
    EXPECT_EQ(At(c, 0, 1), 31u);
    EXPECT_EQ(At(c, 1, 1), 34u);
    // The upper two rows, columns 2-3, one to one: ySrc counts from the bottom.
    StretchDIBits(c.dc, 0, 0, 2, 2, 2, 2, 2, 2, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(At(c, 0, 0), 2u);
    EXPECT_EQ(At(c, 1, 1), 13u);
}

TEST(StretchDIBits, TopDownImagesAndDestinationsPartlyOutside)
{
    TestDib dib = TestDib::Make(2, 2, 24, [](int x, int y) { return uint32_t(1 + x + 2 * y); });
    // Turned into a top-down image: the same picture with its rows reversed.
    std::swap_ranges(dib.bits.begin(), dib.bits.begin() + 8, dib.bits.begin() + 8);
    dib.Info()->bmiHeader.biHeight = -2;
    Canvas c(3, 3);
    EXPECT_EQ(
        StretchDIBits(c.dc, -2, -2, 4, 4, 0, 0, 2, 2, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY),
        2);
    EXPECT_EQ(At(c, 0, 0), 4u) << "only the lower right quarter lands on the image";
    EXPECT_EQ(At(c, 1, 1), 4u);
    EXPECT_EQ(At(c, 2, 2), 0xFFFFFFu);
    // A source rectangle reaching past the image draws only what it has.
    Canvas d(4, 4);
    StretchDIBits(d.dc, 0, 0, 4, 4, 1, 0, 2, 2, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(At(d, 0, 3), 4u);
    EXPECT_EQ(At(d, 3, 3), 0xFFFFFFu);
}

TEST(StretchDIBits, PaletteIndexColourTablesUseTheSelectedPalette)
{
    // 2 x 1 picture at 8 bits; the table holds the palette indexes 2 and 0.
    TestDib dib = TestDib::Make(2, 1, 8, [](int x, int) { return uint32_t(x); }, {0, 0});
    auto *indexes = reinterpret_cast<WORD *>(dib.Info()->bmiColors);
    indexes[0] = 2;
    indexes[1] = 0;
    struct {
        LOGPALETTE head;
        PALETTEENTRY more[2];
    } log{{0x300, 3, {{10, 20, 30, 0}}}, {{40, 50, 60, 0}, {70, 80, 90, 0}}};
    const HPALETTE pal = CreatePalette(&log.head);
    ASSERT_NE(pal, 0u);
    Canvas c(2, 1);
    const HPALETTE old = SelectPalette(c.dc, pal, FALSE);
    EXPECT_EQ(old, GetDefaultPalette());
    EXPECT_EQ(RealizePalette(c.dc), 3u);
    StretchDIBits(c.dc, 0, 0, 2, 1, 0, 0, 2, 1, dib.bits.data(), dib.Info(), DIB_PAL_COLORS, SRCCOPY);
    EXPECT_EQ(At(c, 0, 0), 0x46505Au);
    EXPECT_EQ(At(c, 1, 0), 0x0A141Eu);
    // An index past the palette is black; the default palette's entry 13 is red.
    indexes[0] = 3;
    indexes[1] = 13;
    EXPECT_EQ(SelectPalette(c.dc, old, FALSE), pal);
    EXPECT_EQ(RealizePalette(c.dc), 20u);
    StretchDIBits(c.dc, 0, 0, 2, 1, 0, 0, 2, 1, dib.bits.data(), dib.Info(), DIB_PAL_COLORS, SRCCOPY);
    EXPECT_EQ(At(c, 1, 0), 0xFF0000u);
    SelectPalette(c.dc, pal, FALSE);
    StretchDIBits(c.dc, 0, 0, 2, 1, 0, 0, 2, 1, dib.bits.data(), dib.Info(), DIB_PAL_COLORS, SRCCOPY);
    EXPECT_EQ(At(c, 0, 0), 0u);
    // Deleting the palette while selected leaves the default one in use.
    EXPECT_TRUE(DeleteObject(pal));
    EXPECT_EQ(RealizePalette(c.dc), 20u);
    EXPECT_FALSE(DeleteObject(GetDefaultPalette()));
}

TEST(StretchDIBits, TheDeviceLimitRefusesLargeDestinationsAndImages)
{
    const TestDib dib = TestDib::Make(
        10, 10, 8, [](int, int) { return 1u; }, kColours);
    Canvas c(20, 20);
    {
        LimitGuard limit(150);
        EXPECT_EQ(CreateCompatibleBitmap(c.dc, 13, 12), 0u) << "156 pixels";
        const HBITMAP b = CreateCompatibleBitmap(c.dc, 12, 12);
        EXPECT_NE(b, 0u);
        DeleteObject(b);
        EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 20, 20, 0, 0, 10, 10, dib.bits.data(), dib.Info(), DIB_RGB_COLORS,
                                SRCCOPY),
                  0)
            << "a destination above the limit: may be drawn in parts";
        EXPECT_EQ(c.Count(), 0) << "nothing drawn";
        EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 10, 10, 0, 0, 10, 10, dib.bits.data(), dib.Info(), DIB_RGB_COLORS,
                                SRCCOPY),
                  10);
    }
    {
        LimitGuard limit(99);
        EXPECT_EQ(
            StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 1, 1, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY),
            -1)
            << "an image above the limit is a device error";
    }
    EXPECT_EQ(DeviceBitmapLimit(), kDefaultDeviceBitmapLimit);
}

TEST(StretchDIBits, BadArgumentsAreDeviceErrorsAndDrawNothing)
{
    TestDib dib = TestDib::Make(
        2, 2, 8, [](int, int) { return 1u; }, kColours);
    Canvas c(4, 4);
    const void *bits = dib.bits.data();
    EXPECT_EQ(StretchDIBits(0, 0, 0, 2, 2, 0, 0, 2, 2, bits, dib.Info(), DIB_RGB_COLORS, SRCCOPY), -1);
    EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, nullptr, dib.Info(), DIB_RGB_COLORS, SRCCOPY), -1);
    EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, nullptr, DIB_RGB_COLORS, SRCCOPY), -1);
    EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, dib.Info(), 7, SRCCOPY), -1);
    EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, dib.Info(), DIB_RGB_COLORS, SRCINVERT), -1);
    EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 0, 2, 0, 0, 2, 2, bits, dib.Info(), DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, -1, bits, dib.Info(), DIB_RGB_COLORS, SRCCOPY), 0);
    dib.Info()->bmiHeader.biCompression = BI_RLE8;
    EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, dib.Info(), DIB_RGB_COLORS, SRCCOPY), -1);
    dib.Info()->bmiHeader.biCompression = BI_RGB;
    dib.Info()->bmiHeader.biBitCount = 16;
    EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, dib.Info(), DIB_RGB_COLORS, SRCCOPY), -1);
    dib.Info()->bmiHeader.biBitCount = 8;
    dib.Info()->bmiHeader.biSize = 12;
    EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, dib.Info(), DIB_RGB_COLORS, SRCCOPY), -1);
    EXPECT_EQ(c.Count(), 0);
}

TEST(StretchBltMode, KeepsTheModeOfEachContext)
{
    Canvas c(1, 1);
    EXPECT_EQ(GetStretchBltMode(c.dc), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(c.dc, COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(c.dc, 9), 0);
    EXPECT_EQ(GetStretchBltMode(c.dc), COLORONCOLOR);
    EXPECT_EQ(SetStretchBltMode(0, COLORONCOLOR), 0);
}

TEST(Palette, CreationAndEntries)
{
    LOGPALETTE one{0x300, 1, {{1, 2, 3, 0}}};
    const HPALETTE p = CreatePalette(&one);
    ASSERT_NE(p, 0u);
    EXPECT_EQ(GetObjectType(p), OBJ_PAL);
    PALETTEENTRY e[2]{};
    EXPECT_EQ(GetPaletteEntries(p, 0, 2, e), 1u);
    EXPECT_EQ(e[0].peBlue, 3);
    EXPECT_EQ(GetPaletteEntries(p, 0, 0, nullptr), 1u);
    EXPECT_EQ(GetPaletteEntries(p, 1, 1, e), 0u);
    LOGPALETTE bad = one;
    bad.palVersion = 0x200;
    EXPECT_EQ(CreatePalette(&bad), 0u);
    bad = one;
    bad.palNumEntries = 0;
    EXPECT_EQ(CreatePalette(&bad), 0u);
    EXPECT_EQ(CreatePalette(nullptr), 0u);
    Canvas c(1, 1);
    EXPECT_EQ(SelectPalette(c.dc, 12345, FALSE), 0u) << "not a palette";
    EXPECT_EQ(SelectPalette(0, p, FALSE), 0u);
    EXPECT_EQ(RealizePalette(0), GDI_ERROR);
    EXPECT_EQ(SelectObject(c.dc, p), 0u) << "palettes go through SelectPalette";
    EXPECT_TRUE(DeleteObject(p));
    EXPECT_EQ(GetPaletteEntries(p, 0, 1, e), 0u);
}

} // namespace
