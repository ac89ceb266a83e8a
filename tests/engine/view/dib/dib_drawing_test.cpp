// Stretched drawing of raster images. The screen view of the test window
// shows map (0, 0)-(40000, 30000) in 400 x 300 pixels: 100 map units to the
// pixel. Pictures are made at 1, 4, 8 and 24 bits; the same view drawn
// directly, in quadrants, in bands and cropped must give the same pixels.
#include "tests/engine/window/window_fixture.h"

#include "engine/view/dib/dib_drawing.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/device_limit.h"
#include "platform/global_memory.h"
#include "tests/support/canvas.h"
#include "tests/support/dib_builder.h"

#include <cstring>

namespace {

// Sets the device limit (and forgets the measured one) for one scope.
struct DeviceLimit {
    explicit DeviceLimit(int64_t pixels)
    {
        SetDeviceBitmapLimit(pixels);
        DIBForgetDeviceLimit();
    }
    ~DeviceLimit()
    {
        SetDeviceBitmapLimit(0);
        DIBForgetDeviceLimit();
    }
};

const std::vector<uint32_t> kColours = {0x000000, 0xC00000, 0x00C000, 0x0000C0, 0xC0C000, 0x00C0C0,
                                        0xC000C0, 0x808080, 0x400000, 0x004000, 0x000040, 0x404000,
                                        0x004040, 0x400040, 0x202020, 0xFFFFFF};

// A picture whose neighbouring pixels differ, so that a pixel taken from
// the wrong place shows.
TestDib Picture(int width, int height, int bits)
{
    const int n = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 16 : 0;
    auto index = [](int x, int y) { return uint32_t(x * 7 + y * 3 + (x * y) % 5); };
    if (bits == 24)
        return TestDib::Make(width, height, 24, [&](int x, int y) {
            return (uint32_t(x) << 16) | (uint32_t(y) << 8) | (index(x, y) & 0xFF);
        });
    return TestDib::Make(
        width, height, bits, [&](int x, int y) { return index(x, y) % n; },
        std::vector<uint32_t>(kColours.begin(), kColours.begin() + n));
}

// The colour of picture pixel (x, y), y from the top.
uint32_t PixelOf(const TestDib &d, int x, int y)
{
    const int64_t row = DibRowBytes(d.width, d.bitCount);
    const uint8_t *r = d.bits.data() + (d.height - 1 - y) * row;
    uint32_t index = 0;
    switch (d.bitCount) {
    case 1:
        index = (r[x / 8] >> (7 - x % 8)) & 1;
        break;
    case 4:
        index = (r[x / 2] >> (x % 2 ? 0 : 4)) & 15;
        break;
    case 8:
        index = r[x];
        break;
    default:
        return uint32_t(r[3 * x + 2]) << 16 | uint32_t(r[3 * x + 1]) << 8 | r[3 * x];
    }
    return kColours[index];
}

// Global memory blocks of a picture, as a converter hands them over.
struct Blocks {
    HGLOBAL header = 0;
    HGLOBAL bits = 0;
    explicit Blocks(const TestDib &d)
    {
        header = GlobalAlloc(GHND, d.info.size());
        bits = GlobalAlloc(GHND, d.bits.size());
        std::memcpy(GlobalLock(header), d.info.data(), d.info.size());
        std::memcpy(GlobalLock(bits), d.bits.data(), d.bits.size());
        GlobalUnlock(header);
        GlobalUnlock(bits);
    }
    ~Blocks()
    {
        GlobalFree(header);
        GlobalFree(bits);
    }
};

class DibDrawingTest : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        AttachedMapWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        PresentationManager *v = rec.displayView;
        v->worldRect = {0, 0, 40000, 30000};
        v->displayRect = {0, 0, 400, 300};
        v->scale = 0.01;
        v->inverseScale = 100;
    }

    // Draws the picture at (4000, 4000), each pixel `unit` map units wide.
    QImage Draw(const TestDib &d, int unit, bool withPalette = false)
    {
        Blocks b(d);
        Canvas c(400, 300);
        const MAP_COORDRECT raster{4000, 4000, 4000 + d.width * unit - 1, 4000 + d.height * unit - 1};
        MAP_COORDRECT visible = raster;
        const HPALETTE palette = withPalette ? CreateDIBPalette(b.header) : 0;
        EXPECT_EQ(withPalette, palette != 0);
        EXPECT_EQ(DIBStretchToWindow(window, c.dc, b.bits, b.header, palette, &raster, &visible, 0), 1);
        if (palette)
            DeleteObject(palette);
        return c.image.copy();
    }
};

TEST_F(DibDrawingTest, DirectQuadrantAndBandedDrawingGiveThePixelsOfThePicture)
{
    // 128 x 96 pixels at 200 map units: 256 x 192 window pixels from (40, 68).
    for (int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        const TestDib d = Picture(128, 96, bits);
        const QImage direct = Draw(d, 200);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) {
                const bool inside = x >= 40 && x < 296 && y >= 68 && y < 260;
                const uint32_t expected = inside ? PixelOf(d, (x - 40) / 2, (y - 68) / 2) : 0xFFFFFF;
                ASSERT_EQ(direct.pixel(x, y) & 0xFFFFFF, expected) << x << "," << y;
            }
        {
            DeviceLimit limit(20000); // the picture fits, its 49152-pixel destination does not
            EXPECT_EQ(Draw(d, 200), direct) << "quadrants";
            EXPECT_EQ(DIBDeviceLimit(), -1) << "no band was needed";
        }
        {
            DeviceLimit limit(11000); // the picture itself is too large
            EXPECT_EQ(Draw(d, 200), direct) << "bands";
            EXPECT_EQ(DIBDeviceLimit(), 2500) << "the side 100 fits; one step of 50 more";
        }
    }
}

TEST_F(DibDrawingTest, CroppedAndBandedPartsMatchOneStretchOfTheSamePart)
{
    // Skips that start inside a byte at 1 and 4 bits.
    const int skipL = 5, skipR = 3, skipB = 2, skipT = 4;
    const RECT dest{10, 10, 10 + 2 * (128 - skipL - skipR), 10 + 2 * (96 - skipB - skipT)};
    for (int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        TestDib d = Picture(128, 96, bits);
        Canvas direct(260, 200), cropped(260, 200), banded(260, 200);
        EXPECT_EQ(StretchDIBSplit(direct.dc, dest.left, dest.top, dest.right - dest.left,
                                  dest.bottom - dest.top, skipL, skipB, 128 - skipL - skipR,
                                  96 - skipB - skipT, d.bits.data(), d.Info(), DIB_RGB_COLORS, SRCCOPY),
                  96 - skipB - skipT);
        EXPECT_EQ(DIBStretchCropped(cropped.dc, d.Info(), d.bits.data(), skipL, skipR, skipB, skipT, &dest,
                                    DIB_RGB_COLORS),
                  1);
        EXPECT_EQ(cropped.image, direct.image);
        EXPECT_EQ(PixelOf(d, skipL, skipT), cropped.image.pixel(10, 10) & 0xFFFFFF);
        const std::vector<uint8_t> header = d.info;
        {
            DeviceLimit limit(10000);
            EXPECT_EQ(DIBStretchCropped(banded.dc, d.Info(), d.bits.data(), skipL, skipR, skipB, skipT, &dest,
                                        DIB_RGB_COLORS),
                      1);
            EXPECT_EQ(DIBDeviceLimit(), 2500);
        }
        EXPECT_EQ(banded.image, direct.image);
        EXPECT_EQ(d.info, header) << "the header is put back";
    }
}

TEST_F(DibDrawingTest, BandsOfAPartBeyondTheMiddleOfThePicture)
{
    // The part left after skipping 150 of 256 columns is 106 wide: bands of
    // 2500 / 106 = 23 rows. (Rows per band taken from the width less twice
    // the left skip would be negative here.)
    const int skipL = 150, skipB = 0, skipT = 0;
    const RECT dest{0, 0, 2 * (256 - skipL), 2 * (96 - skipB - skipT)};
    for (int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        TestDib d = Picture(256, 96, bits);
        Canvas direct(220, 200), banded(220, 200);
        StretchDIBSplit(direct.dc, 0, 0, dest.right, dest.bottom, skipL, skipB, 256 - skipL,
                        96 - skipB - skipT, d.bits.data(), d.Info(), DIB_RGB_COLORS, SRCCOPY);
        {
            DeviceLimit limit(10000);
            EXPECT_EQ(DIBStretchCropped(banded.dc, d.Info(), d.bits.data(), skipL, 0, skipB, skipT, &dest,
                                        DIB_RGB_COLORS),
                      1);
            EXPECT_EQ(DIBDeviceLimit(), 2500);
        }
        EXPECT_EQ(banded.image, direct.image);
    }
}

TEST_F(DibDrawingTest, RowsWiderThanTheMeasuredLimitAreNotBanded)
{
    // 3000 columns: the measured limit of 2500 pixels holds no whole row.
    TestDib d = Picture(3000, 5, 24);
    Canvas c(100, 10);
    const RECT dest{0, 0, 100, 10};
    DeviceLimit limit(10000);
    EXPECT_EQ(DIBStretchCropped(c.dc, d.Info(), d.bits.data(), 0, 0, 0, 0, &dest, DIB_RGB_COLORS), 0);
    EXPECT_EQ(c.Count(), 0) << "the refused stretch leaves white";
}

TEST_F(DibDrawingTest, ARasterLargerThanTheWindowIsCutToTheWindow)
{
    // 24 bits, 300 x 200 pixels at 200 map units from (-10000, -5000): the
    // window sees the columns 50 .. 250 and rows 25 .. 175 from the bottom.
    const TestDib d = Picture(300, 200, 24);
    Blocks b(d);
    Canvas c(400, 300);
    const MAP_COORDRECT raster{-10000, -5000, -10000 + 300 * 200 - 1, -5000 + 200 * 200 - 1};
    MAP_COORDRECT visible = raster;
    ASSERT_EQ(DIBStretchToWindow(window, c.dc, b.bits, b.header, 0, &raster, &visible, 0), 1);
    // The visible part written back is the window grown by one pixel.
    const RECT grown{-1, -1, 401, 301};
    MAP_COORDRECT windowMap{};
    PM_WindowToMapRect(rec.displayView, &grown, &windowMap);
    EXPECT_EQ(visible.x1, windowMap.x1);
    EXPECT_EQ(visible.x2, windowMap.x2);
    EXPECT_EQ(visible.y1, windowMap.y1);
    EXPECT_EQ(visible.y2, windowMap.y2);
    // Every window pixel shows the picture pixel under its centre, give or
    // take the one pixel of the rounded edges.
    for (int y = 0; y < 300; y += 7)
        for (int x = 0; x < 400; x += 7) {
            const double mx = x * 100 + 50, my = 30000 - (y * 100 + 50);
            const int px = int((mx + 10000) / 200), py = 199 - int((my + 5000) / 200);
            const uint32_t got = c.image.pixel(x, y) & 0xFFFFFF;
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    near |= got == PixelOf(d, px + dx, py + dy);
            EXPECT_TRUE(near) << x << "," << y;
        }
}

TEST_F(DibDrawingTest, APaletteDrawsTheTableColoursAndTheContextIsPutBack)
{
    const TestDib d = Picture(64, 48, 8);
    const QImage rgb = Draw(d, 400);
    Canvas c(1, 1);
    EXPECT_EQ(Draw(d, 400, true), rgb);

    Blocks b(d);
    const HPALETTE palette = CreateDIBPalette(b.header);
    const MAP_COORDRECT raster{4000, 4000, 4000 + 64 * 400 - 1, 4000 + 48 * 400 - 1};
    MAP_COORDRECT visible = raster;
    SetStretchBltMode(c.dc, HALFTONE);
    EXPECT_EQ(DIBStretchToWindow(window, c.dc, b.bits, b.header, palette, &raster, &visible, 0), 1);
    EXPECT_EQ(GetStretchBltMode(c.dc), HALFTONE);
    EXPECT_EQ(SelectPalette(c.dc, GetDefaultPalette(), FALSE), GetDefaultPalette());
    DeleteObject(palette);
}

TEST_F(DibDrawingTest, MissingOrShortBlocksDrawNothing)
{
    const TestDib d = Picture(16, 16, 8);
    Blocks b(d);
    Canvas c(400, 300);
    const MAP_COORDRECT raster{4000, 4000, 7199, 7199};
    MAP_COORDRECT visible = raster;
    EXPECT_EQ(DIBStretchToWindow(window, c.dc, 0, b.header, 0, &raster, &visible, 0), 0);
    EXPECT_EQ(DIBStretchToWindow(window, c.dc, b.bits, 0, 0, &raster, &visible, 0), 0);
    EXPECT_EQ(DIBStretchToWindow(window, 0, b.bits, b.header, 0, &raster, &visible, 0), 0);
    EXPECT_EQ(DIBStretchToWindow(0, c.dc, b.bits, b.header, 0, &raster, &visible, 0), 0);
    EXPECT_EQ(DIBStretchToWindow(window, c.dc, 0xDEAD, b.header, 0, &raster, &visible, 0), 0) << "freed";
    // A pixel block shorter than the header says is not read.
    const HGLOBAL shortBits = GlobalAlloc(GHND, d.bits.size() - 1);
    EXPECT_EQ(DIBStretchToWindow(window, c.dc, shortBits, b.header, 0, &raster, &visible, 0), 0);
    GlobalFree(shortBits);
    EXPECT_EQ(c.Count(), 0);
    // A raster outside the window: nothing to draw, which is no failure.
    const MAP_COORDRECT far{90000, 90000, 93199, 93199};
    visible = far;
    EXPECT_EQ(DIBStretchToWindow(window, c.dc, b.bits, b.header, 0, &far, &visible, 0), 1);
    EXPECT_EQ(c.Count(), 0);
}

TEST(CreateDIBPalette, BuildsThePaletteAndRewritesTheTableAsIndexes)
{
    std::vector<uint32_t> colours;
    for (uint32_t i = 0; i < 16; ++i)
        colours.push_back(0x010203 * i);
    const TestDib d = TestDib::Make(
        4, 4, 4, [](int x, int) { return uint32_t(x); }, colours);
    Blocks b(d);
    const HPALETTE p = CreateDIBPalette(b.header);
    ASSERT_NE(p, 0u);
    PALETTEENTRY e[16]{};
    ASSERT_EQ(GetPaletteEntries(p, 0, 16, e), 16u);
    EXPECT_EQ(e[5].peRed, 5);
    EXPECT_EQ(e[5].peGreen, 10);
    EXPECT_EQ(e[5].peBlue, 15);
    const auto *table = static_cast<const uint8_t *>(GlobalLock(b.header)) + 40;
    for (int i = 0; i < 16; ++i) {
        WORD w = 0;
        std::memcpy(&w, table + 2 * i, 2);
        EXPECT_EQ(w, i);
    }
    EXPECT_EQ(std::memcmp(table + 32, d.info.data() + 40 + 32, 32), 0) << "the rest of the table stays";
    GlobalUnlock(b.header);
    DeleteObject(p);
}

TEST(CreateDIBPalette, NoPaletteForAWrongHeaderOrNoColours)
{
    struct Case {
        const char *what;
        DWORD size;
        DWORD used;
        size_t blockBytes; // 0: as made
    };
    const Case cases[] = {
        {"header size 12", 12, 4, 0},
        {"no colours used", 40, 0, 0},
        {"a table past the block", 40, 200, 0},
        {"a block shorter than a header", 40, 4, 20},
    };
    for (const Case &k : cases) {
        TestDib d = TestDib::Make(2, 2, 8, [](int, int) { return 0u; }, {1, 2, 3, 4});
        d.Info()->bmiHeader.biSize = k.size;
        d.Info()->bmiHeader.biClrUsed = k.used;
        if (k.blockBytes)
            d.info.resize(k.blockBytes);
        Blocks b(d);
        EXPECT_EQ(CreateDIBPalette(b.header), 0u) << k.what;
        EXPECT_EQ(std::memcmp(GlobalLock(b.header), d.info.data(), d.info.size()), 0) << k.what;
        GlobalUnlock(b.header);
    }
    EXPECT_EQ(CreateDIBPalette(0), 0u);
}

TEST(StretchDIBSplit, ThinSourcesDeviceErrorsAndHugeDestinations)
{
    const TestDib d = TestDib::Make(2, 2, 24, [](int, int) { return 0u; }); // black
    Canvas c(8, 8);
    c.image.fill(0xFF112233u);
    EXPECT_EQ(StretchDIBSplit(c.dc, 1, 1, 4, 4, 0, 0, 1, 2, d.bits.data(), d.Info(), DIB_RGB_COLORS, SRCCOPY),
              1);
    EXPECT_EQ(c.image.pixel(1, 1) & 0xFFFFFF, 0xFFFFFFu) << "a source 1 pixel wide gives white";
    EXPECT_EQ(c.image.pixel(4, 4) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(c.image.pixel(5, 5) & 0xFFFFFF, 0x112233u);
    {
        DeviceLimit limit(3); // the 4-pixel image is a device error
        c.image.fill(0xFF112233u);
        EXPECT_EQ(
            StretchDIBSplit(c.dc, 0, 0, 3, 3, 0, 0, 2, 2, d.bits.data(), d.Info(), DIB_RGB_COLORS, SRCCOPY),
            -1);
        EXPECT_EQ(c.image.pixel(2, 2) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(c.image.pixel(3, 3) & 0xFFFFFF, 0x112233u);
    }
    Canvas wide(32710, 1);
    EXPECT_GT(StretchDIBSplit(wide.dc, 0, 0, 40000, 2, 0, 0, 2, 2, d.bits.data(), d.Info(), DIB_RGB_COLORS,
                              SRCCOPY),
              0);
    EXPECT_EQ(wide.image.pixel(32699, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(wide.image.pixel(32700, 0) & 0xFFFFFF, 0xFFFFFFu) << "drawn 32700 pixels wide";
}

} // namespace
