#include "platform/large_image.h"

#include "platform/large_block.h"

#include <limits>
#include <new>

namespace {

void freeImageBlock(void *info) { delete static_cast<LargeBlock *>(info); }

} // namespace

QImage LargeImage(int width, int height, QImage::Format format)
{
    if (width <= 0 || height <= 0 || format == QImage::Format_Invalid)
        return QImage();
    // QImage's own rows: 32-bit aligned.
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const int64_t rowBytes = (int64_t(width) * depth + 31) / 32 * 4;
    if (depth <= 0 || rowBytes > std::numeric_limits<int>::max() ||
        rowBytes * height > std::numeric_limits<qsizetype>::max() / 2)
        return QImage();
    auto *block = new (std::nothrow) LargeBlock(std::size_t(rowBytes * height));
    if (!block || !block->data()) {
        delete block;
        return QImage();
    }
    QImage image(block->data(), width, height, qsizetype(rowBytes), format, freeImageBlock, block);
    if (image.isNull())
        delete block; // QImage refused the size and did not take the block
    return image;
}
