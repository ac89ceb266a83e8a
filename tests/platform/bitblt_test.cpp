#include "platform/bitblt.h"
#include "platform/dc.h"
#include "tests/support/canvas.h"

#include <gtest/gtest.h>

namespace {

QRgb At(const Canvas &c, int x, int y) { return c.image.pixel(x, y) & 0xFFFFFF; }

TEST(BitBlt, RasterOperationsPixelForPixel)
{
    struct Case {
        DWORD rop;
        QRgb expected; // source 0x0F0F33 onto destination 0x3355FF
    };
    const Case cases[] = {
        {SRCCOPY, 0x0F0F33},
        {SRCINVERT, 0x0F0F33 ^ 0x3355FF},
        {SRCAND, 0x0F0F33 & 0x3355FF},
        {SRCPAINT, 0x0F0F33 | 0x3355FF},
        {NOTSRCCOPY, ~0x0F0F33u & 0xFFFFFF},
        {DSTINVERT, ~0x3355FFu & 0xFFFFFF},
        {BLACKNESS, 0},
        {WHITENESS, 0xFFFFFF},
    };
    for (const Case &k : cases) {
        Canvas src(4, 4), dst(4, 4);
        src.image.fill(0xFF0F0F33u);
        dst.image.fill(0xFF3355FFu);
        ASSERT_TRUE(BitBlt(dst.dc, 1, 1, 2, 2, src.dc, 0, 0, k.rop));
        EXPECT_EQ(At(dst, 1, 1), k.expected) << std::hex << k.rop;
        EXPECT_EQ(At(dst, 2, 2), k.expected);
        EXPECT_EQ(At(dst, 0, 0), 0x3355FFu) << "outside the block";
        EXPECT_EQ(At(dst, 3, 3), 0x3355FFu);
    }
}

TEST(BitBlt, XorTwiceRestoresAndTheBlockIsClipped)
{
    Canvas src(3, 3), dst(5, 5);
    src.image.setPixel(0, 0, 0xFF00FF00u);
    src.image.setPixel(2, 2, 0xFF123456u);
    dst.image.fill(0xFF808080u);
    const QImage before = dst.image.copy();
    // Partly off both images: only the overlapping pixels move.
    ASSERT_TRUE(BitBlt(dst.dc, -1, 3, 4, 4, src.dc, -1, 0, SRCINVERT));
    EXPECT_EQ(At(dst, 0, 3), (0x00FF00u ^ 0x808080u)) << "source (0,0) lands at (0,3)";
    EXPECT_EQ(At(dst, 2, 4), (0xFFFFFFu ^ 0x808080u)) << "source (2,1) is white";
    EXPECT_EQ(At(dst, 0, 2), 0x808080u);
    BitBlt(dst.dc, -1, 3, 4, 4, src.dc, -1, 0, SRCINVERT);
    EXPECT_EQ(dst.image, before);
}

TEST(BitBlt, OverlappingCopyWithinOneImage)
{
    Canvas c(6, 1);
    for (int x = 0; x < 6; ++x)
        c.image.setPixel(x, 0, 0xFF000000u | x);
    ASSERT_TRUE(BitBlt(c.dc, 1, 0, 5, 1, c.dc, 0, 0, SRCCOPY));
    for (int x = 1; x < 6; ++x)
        EXPECT_EQ(At(c, x, 0), QRgb(x - 1)) << x;
}

TEST(BitBlt, BadArguments)
{
    Canvas c(2, 2);
    EXPECT_FALSE(BitBlt(0, 0, 0, 1, 1, c.dc, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(c.dc, 0, 0, 1, 1, 0, 0, 0, SRCCOPY)) << "needs a source";
    EXPECT_FALSE(BitBlt(c.dc, 0, 0, -1, 1, c.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(c.dc, 0, 0, 2, 2, 0, 0, 0, BLACKNESS)) << "no source needed";
    EXPECT_EQ(c.Count(), 4);
    // Far-off coordinates are clipped, not overflowed.
    EXPECT_TRUE(BitBlt(c.dc, INT32_MAX - 1, INT32_MIN, INT32_MAX, INT32_MAX, c.dc, INT32_MIN, 0, SRCCOPY));
}

} // namespace
