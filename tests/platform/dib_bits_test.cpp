#include "platform/dib_bits.h"

#include "platform/dc.h"
#include "platform/font.h"
#include "platform/gdi_objects.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A 5 x 3 bitmap: the top row red, green, blue, white, black; the middle
// row grey (128); the bottom row black but for a white first pixel.
class DibBitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bitmap = CreateBitmapOfSize(5, 3);
        ASSERT_NE(bitmap, 0u);
        dc = CreateCompatibleDC(0);
        const HGDIOBJ old = SelectObject(dc, bitmap);
        const COLORREF top[5] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255), 0};
        for (int x = 0; x < 5; ++x) {
            SetPixel(dc, x, 0, top[x]);
            SetPixel(dc, x, 1, RGB(128, 128, 128));
            SetPixel(dc, x, 2, x == 0 ? RGB(255, 255, 255) : 0);
        }
        SelectObject(dc, old);
    }
    void TearDown() override
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }

    // The rows GetDIBits writes at the bit count, with its header.
    std::vector<uint8_t> read(int bitCount, int height, BITMAPINFO *info, int expectLines = 3)
    {
        info->bmiHeader = {40, 5, height, 1, WORD(bitCount), BI_RGB, 0, 0, 0, 0, 0};
        std::vector<uint8_t> rows(size_t(DibRowBytes(5, bitCount) * 3), 0xEE);
        EXPECT_EQ(GetDIBits(dc, bitmap, 0, 3, rows.data(), info, DIB_RGB_COLORS), expectLines);
        return rows;
    }

    HBITMAP bitmap = 0;
    HDC dc = 0;
};

struct InfoWithTable {
    BITMAPINFO info;
    RGBQUAD more[255];
};

TEST_F(DibBitsTest, TwentyFourBitRowsRunBottomUpInBlueGreenRedPaddedToFourBytes)
{
    InfoWithTable b{};
    const std::vector<uint8_t> rows = read(24, 3, &b.info);
    ASSERT_EQ(rows.size(), 3u * 16u); // 15 bytes padded to 16
    // First stored row is the bottom one: white, then black.
    EXPECT_EQ(rows[0], 255);
    EXPECT_EQ(rows[3], 0);
    EXPECT_EQ(rows[15], 0); // padding is zero
    // Last stored row is the top: red is 0,0,255 in blue-green-red order.
    const uint8_t *top = rows.data() + 32;
    EXPECT_EQ(top[0], 0);
    EXPECT_EQ(top[2], 255);
    EXPECT_EQ(top[6], 255); // blue's first byte
    EXPECT_EQ(b.info.bmiHeader.biSizeImage, 48u);

    // A negative height gives the rows top-down.
    const std::vector<uint8_t> down = read(24, -3, &b.info);
    EXPECT_EQ(std::vector<uint8_t>(down.begin(), down.begin() + 16),
              std::vector<uint8_t>(rows.begin() + 32, rows.end()));
}

TEST_F(DibBitsTest, IndexedDepthsMapEveryPixelToTheNearestColourOfTheirTable)
{
    struct Case {
        int bits;
        int tableSize;
    };
    for (const Case c : {Case{1, 2}, Case{4, 16}, Case{8, 256}}) {
        SCOPED_TRACE(c.bits);
        InfoWithTable b{};
        const std::vector<uint8_t> rows = read(c.bits, 3, &b.info);
        EXPECT_EQ(int(b.info.bmiHeader.biClrUsed), c.tableSize);
        const int64_t stride = DibRowBytes(5, c.bits);
        auto index = [&](int x, int imageRow) {
            const uint8_t *row = rows.data() + (2 - imageRow) * stride;
            const int perByte = 8 / c.bits;
            const int shift = 8 - c.bits * (x % perByte + 1);
            return (row[x / perByte] >> shift) & ((1 << c.bits) - 1);
        };
        const RGBQUAD *colours = b.info.bmiColors; // the table runs on past the header
        auto colourAt = [&](int x, int imageRow) {
            const RGBQUAD q = colours[index(x, imageRow)];
            return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
        };
        // White and black are in every table.
        EXPECT_EQ(colourAt(3, 0), RGB(255, 255, 255));
        EXPECT_EQ(colourAt(4, 0), RGB(0, 0, 0));
        EXPECT_EQ(colourAt(0, 2), RGB(255, 255, 255));
        if (c.bits >= 4) {
            EXPECT_EQ(colourAt(0, 0), RGB(255, 0, 0));
            EXPECT_EQ(colourAt(2, 0), RGB(0, 0, 255));
        }
        // The nearest entry, checked against the whole table.
        RGBQUAD table[256];
        ASSERT_EQ(DibDefaultColorTable(c.bits, table), c.tableSize);
        const int grey = index(0, 1);
        auto d = [](const RGBQUAD &q) {
            return (q.rgbRed - 128) * (q.rgbRed - 128) + (q.rgbGreen - 128) * (q.rgbGreen - 128) +
                   (q.rgbBlue - 128) * (q.rgbBlue - 128);
        };
        for (int i = 0; i < c.tableSize; ++i)
            EXPECT_LE(d(table[grey]), d(table[i])) << i;
    }
}

TEST_F(DibBitsTest, LineRangesAndTheFormatQuery)
{
    InfoWithTable b{};
    b.info.bmiHeader = {40, 5, 3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint8_t> rows(64, 0);
    // Two lines from scan line 2 give only the last one (the top row).
    EXPECT_EQ(GetDIBits(dc, bitmap, 2, 2, rows.data(), &b.info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(rows[2], 255); // red
    EXPECT_EQ(GetDIBits(dc, bitmap, 3, 1, rows.data(), &b.info, DIB_RGB_COLORS), 0);

    BITMAPINFO query{};
    query.bmiHeader.biSize = 40;
    EXPECT_NE(GetDIBits(dc, bitmap, 0, 0, nullptr, &query, DIB_RGB_COLORS), 0);
    EXPECT_EQ(query.bmiHeader.biWidth, 5);
    EXPECT_EQ(query.bmiHeader.biHeight, 3);
    EXPECT_EQ(query.bmiHeader.biBitCount, 32);
    EXPECT_EQ(query.bmiHeader.biSizeImage, 60u);

    BITMAP bm{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 5);
    EXPECT_EQ(bm.bmHeight, 3);
    EXPECT_EQ(bm.bmPlanes * bm.bmBitsPixel, 32);
}

TEST_F(DibBitsTest, BadArgumentsReadNothing)
{
    InfoWithTable b{};
    std::vector<uint8_t> rows(64, 0xEE);
    auto tryHeader = [&](BITMAPINFOHEADER h, HDC useDc, HBITMAP useBitmap, UINT usage) {
        b.info.bmiHeader = h;
        return GetDIBits(useDc, useBitmap, 0, 3, rows.data(), &b.info, usage);
    };
    const BITMAPINFOHEADER good{40, 5, 3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    BITMAPINFOHEADER h = good;
    EXPECT_EQ(tryHeader(good, 0, bitmap, DIB_RGB_COLORS), 0);  // no context
    EXPECT_EQ(tryHeader(good, dc, 0xDEAD, DIB_RGB_COLORS), 0); // no bitmap
    EXPECT_EQ(tryHeader(good, dc, bitmap, DIB_PAL_COLORS), 0); // palette indexes
    h.biBitCount = 16;
    EXPECT_EQ(tryHeader(h, dc, bitmap, DIB_RGB_COLORS), 0);
    h = good;
    h.biCompression = BI_RLE8;
    EXPECT_EQ(tryHeader(h, dc, bitmap, DIB_RGB_COLORS), 0);
    h = good;
    h.biWidth = 4;
    EXPECT_EQ(tryHeader(h, dc, bitmap, DIB_RGB_COLORS), 0);
    h = good;
    h.biSize = 12;
    EXPECT_EQ(tryHeader(h, dc, bitmap, DIB_RGB_COLORS), 0);
    EXPECT_EQ(rows, std::vector<uint8_t>(64, 0xEE));
    EXPECT_EQ(GetDIBits(dc, bitmap, 0, 3, rows.data(), nullptr, DIB_RGB_COLORS), 0);
}

TEST_F(DibBitsTest, RgbRowsAreTheTwentyFourBitDibWithRedAndBlueSwapped)
{
    // The DIB's own rows, each pixel turned from blue-green-red into
    // red-green-blue; the padding (of a stride wider than the DIB's too) is
    // cleared.
    InfoWithTable b{};
    const std::vector<uint8_t> dib = read(24, 3, &b.info);
    for (const int64_t stride : {int64_t(15), int64_t(16), int64_t(21)}) {
        SCOPED_TRACE(stride);
        std::vector<uint8_t> rows(size_t(stride * 3), 0xEE);
        ASSERT_EQ(GetBitmapRgbRows(bitmap, rows.data(), stride), 1);
        for (int line = 0; line < 3; ++line)
            for (int x = 0; x < 5; ++x)
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(rows[size_t(line * stride + 3 * x + c)], dib[size_t(line * 16 + 3 * x + 2 - c)])
                        << "line " << line << " pixel " << x;
        for (int line = 0; line < 3; ++line)
            for (int64_t at = 15; at < stride; ++at)
                EXPECT_EQ(rows[size_t(line * stride + at)], 0);
    }
    // The top row (stored last) reads red, green, blue, white, black.
    std::vector<uint8_t> rows(48);
    ASSERT_EQ(GetBitmapRgbRows(bitmap, rows.data(), 16), 1);
    EXPECT_EQ(std::vector<uint8_t>(rows.begin() + 32, rows.begin() + 47),
              (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0}));
}

TEST_F(DibBitsTest, RgbRowsOfABadBitmapOrIntoTooLittleRoomWriteNothing)
{
    std::vector<uint8_t> rows(64, 0xEE);
    EXPECT_EQ(GetBitmapRgbRows(0xDEAD, rows.data(), 16), 0);
    EXPECT_EQ(GetBitmapRgbRows(0, rows.data(), 16), 0);
    EXPECT_EQ(GetBitmapRgbRows(bitmap, rows.data(), 14), 0); // under 3 bytes a pixel
    EXPECT_EQ(GetBitmapRgbRows(bitmap, nullptr, 16), 0);
    EXPECT_EQ(GetBitmapRgbRows(HBITMAP(GetStockObject(WHITE_BRUSH)), rows.data(), 16), 0);
    EXPECT_EQ(rows, std::vector<uint8_t>(64, 0xEE));
}

} // namespace
