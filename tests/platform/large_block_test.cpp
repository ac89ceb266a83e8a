#include "platform/large_block.h"
#include "platform/large_image.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace {

TEST(LargeBlockTest, BlocksHoldTheirWholeSizeAndOnlyLargeOnesAreMappedOnTheirOwn)
{
    struct Case {
        std::size_t bytes;
        bool mapped;
    };
    for (const Case c : {Case{1, false}, Case{kLargeBlockThreshold - 1, false},
                         Case{kLargeBlockThreshold, true}, Case{kLargeBlockThreshold * 3 + 5, true}}) {
        SCOPED_TRACE(c.bytes);
        LargeBlock block(c.bytes);
        ASSERT_NE(block.data(), nullptr);
        EXPECT_GE(block.size(), c.bytes);
        EXPECT_EQ(block.mapped(), c.mapped);
        // Every byte can be written and read back.
        std::memset(block.data(), 0x5A, c.bytes);
        EXPECT_EQ(block.data()[0], 0x5A);
        EXPECT_EQ(block.data()[c.bytes - 1], 0x5A);
    }
}

TEST(LargeBlockTest, NoBytesOrMoreThanCanBeHadGiveAnEmptyBlock)
{
    for (const std::size_t bytes : {std::size_t(0), std::numeric_limits<std::size_t>::max(),
                                    std::numeric_limits<std::size_t>::max() / 2}) {
        const LargeBlock block(bytes);
        EXPECT_EQ(block.data(), nullptr);
        EXPECT_EQ(block.size(), 0u);
        EXPECT_FALSE(block.mapped());
    }
}

TEST(LargeBlockTest, AMoveHandsTheBlockOver)
{
    LargeBlock a(kLargeBlockThreshold);
    ASSERT_NE(a.data(), nullptr);
    a.data()[7] = 42;
    uint8_t *const data = a.data();
    LargeBlock b(std::move(a));
    EXPECT_EQ(a.data(), nullptr);
    EXPECT_EQ(b.data(), data);
    LargeBlock c(16);
    c = std::move(b);
    EXPECT_EQ(b.data(), nullptr);
    EXPECT_EQ(c.data(), data);
    EXPECT_EQ(c.data()[7], 42);
    EXPECT_TRUE(c.mapped());
}

// Blocks for huge pages: aligned to 2 MB, distinct, writable through
// their last byte, and given back.
TEST(LargeBlockTest, HugePageBlocksAreAlignedDistinctAndWritable)
{
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    constexpr std::size_t kSizes[] = {kHugePage, 3 * kHugePage};
    std::vector<std::pair<char *, std::size_t>> blocks;
    for (std::size_t size : kSizes)
        for (int i = 0; i < 2; i++) {
            char *block = static_cast<char *>(MapHugePageBlock(size));
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % kHugePage, 0u);
            std::memset(block, int(blocks.size() + 1), size);
            blocks.emplace_back(block, size);
        }
    for (size_t i = 0; i < blocks.size(); i++) {
        const auto [block, size] = blocks[i];
        EXPECT_EQ(block[0], char(i + 1));
        EXPECT_EQ(block[size - 1], char(i + 1)) << "block " << i << " overlaps another";
    }
    for (const auto &[block, size] : blocks)
        UnmapHugePageBlock(block, size);
}

TEST(LargeImageTest, ImagesOfAnySizeTakeTheirFormatAndPixels)
{
    struct Case {
        int width, height;
        QImage::Format format;
    };
    // Small and large, 32-bit and 24-bit rows (these padded to 4 bytes).
    for (const Case c : {Case{3, 2, QImage::Format_RGB32}, Case{5, 3, QImage::Format_RGB888},
                         Case{1001, 800, QImage::Format_RGB32}, Case{1001, 800, QImage::Format_RGB888}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        QImage image = LargeImage(c.width, c.height, c.format);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(c.width, c.height));
        EXPECT_EQ(image.format(), c.format);
        EXPECT_EQ(image.bytesPerLine() % 4, 0);
        image.fill(Qt::blue);
        image.setPixel(c.width - 1, c.height - 1, qRgb(10, 20, 30));
        QImage expected(c.width, c.height, c.format);
        expected.fill(Qt::blue);
        expected.setPixel(c.width - 1, c.height - 1, qRgb(10, 20, 30));
        EXPECT_EQ(image, expected);
    }
}

TEST(LargeImageTest, ACopyKeepsItsPixelsWhenTheOriginalIsDrawnOnOrGone)
{
    QImage original = LargeImage(1200, 1000, QImage::Format_RGB32);
    ASSERT_FALSE(original.isNull());
    original.fill(Qt::red);
    const QImage copy = original;
    original.fill(Qt::green);
    EXPECT_EQ(copy.pixel(600, 500), qRgb(255, 0, 0));
    EXPECT_EQ(original.pixel(600, 500), qRgb(0, 255, 0));
    original = QImage();
    EXPECT_EQ(copy.pixel(1199, 999), qRgb(255, 0, 0));
}

TEST(LargeImageTest, SizesAndFormatsAnImageCannotHaveGiveANullImage)
{
    struct Case {
        int width, height;
        QImage::Format format;
    };
    for (const Case c :
         {Case{0, 10, QImage::Format_RGB32}, Case{10, 0, QImage::Format_RGB32},
          Case{-1, 10, QImage::Format_RGB32}, Case{10, 10, QImage::Format_Invalid},
          Case{std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), QImage::Format_RGB32}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_TRUE(LargeImage(c.width, c.height, c.format).isNull());
    }
}

} // namespace
