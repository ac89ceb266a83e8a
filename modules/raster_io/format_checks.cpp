#include "modules/raster_io/format_checks.h"

#include <QFile>

#include <cstdint>
#include <cstring>

namespace {

// The bytes of a file, mapped for reading; empty when it cannot be.
class FileBytes {
public:
    explicit FileBytes(const std::string &path) : file_(QString::fromLocal8Bit(path.c_str()))
    {
        if (file_.open(QIODevice::ReadOnly) && file_.size() > 0) {
            size_ = size_t(file_.size());
            data_ = file_.map(0, file_.size());
        }
    }
    const uint8_t *data() const { return data_; }
    size_t size() const { return data_ ? size_ : 0; }

private:
    QFile file_;
    uint8_t *data_ = nullptr;
    size_t size_ = 0;
};

uint32_t be32(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint16_t be16(const uint8_t *p) { return uint16_t(p[0] << 8 | p[1]); }

bool isRestartOrStuffing(uint8_t m) { return m == 0x00 || (m >= 0xD0 && m <= 0xD7) || m == 0xFF; }

// Walks the segments of a JPEG file: true when the end-of-image mark comes
// after the scans. The JFIF density goes to dpi when asked.
bool walkJpeg(const uint8_t *p, size_t n, std::optional<DotsPerInch> *dpi)
{
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    size_t i = 2;
    while (i + 1 < n) {
        if (p[i] != 0xFF) { // stray bytes between segments: the decoder skips them too
            ++i;
            continue;
        }
        const uint8_t m = p[i + 1];
        if (m == 0xFF) {
            ++i;
            continue;
        }
        if (m == 0xD9)
            return true;
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            i += 2;
            continue;
        }
        if (i + 3 >= n)
            return false;
        const size_t length = be16(p + i + 2);
        if (length < 2 || i + 2 + length > n)
            return false;
        if (dpi && m == 0xE0 && length >= 16 && std::memcmp(p + i + 4, "JFIF\0", 5) == 0) {
            const uint8_t units = p[i + 11];
            const double x = be16(p + i + 12), y = be16(p + i + 14);
            if ((units == 1 || units == 2) && x > 0 && y > 0)
                *dpi = units == 1 ? DotsPerInch{x, y} : DotsPerInch{x * 2.54, y * 2.54};
        }
        i += 2 + length;
        if (m == 0xDA) { // the scan's coded data runs to the next true marker
            while (i + 1 < n && !(p[i] == 0xFF && !isRestartOrStuffing(p[i + 1])))
                ++i;
            if (i + 1 >= n)
                return false;
        }
    }
    return false;
}

// Walks the chunks of a PNG file: true when IEND is reached whole.
bool walkPng(const uint8_t *p, size_t n, std::optional<DotsPerInch> *dpi)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (n < 8 || std::memcmp(p, signature, 8) != 0)
        return false;
    size_t i = 8;
    while (i + 12 <= n) {
        const size_t length = be32(p + i);
        if (length > n - i - 12)
            return false;
        const uint8_t *type = p + i + 4;
        if (std::memcmp(type, "IEND", 4) == 0)
            return true;
        if (dpi && std::memcmp(type, "pHYs", 4) == 0 && length >= 9 && p[i + 16] == 1) {
            const double x = be32(p + i + 8), y = be32(p + i + 12);
            if (x > 0 && y > 0)
                *dpi = DotsPerInch{x * 0.0254, y * 0.0254};
        }
        i += 12 + length;
    }
    return false;
}

std::optional<DotsPerInch> bmpResolution(const uint8_t *p, size_t n)
{
    if (n < 46 || p[0] != 'B' || p[1] != 'M')
        return std::nullopt;
    uint32_t headerSize;
    int32_t x, y;
    std::memcpy(&headerSize, p + 14, 4);
    std::memcpy(&x, p + 38, 4);
    std::memcpy(&y, p + 42, 4);
    if (headerSize < 40 || x <= 0 || y <= 0)
        return std::nullopt;
    return DotsPerInch{x * 0.0254, y * 0.0254};
}

std::optional<DotsPerInch> tiffResolution(const uint8_t *p, size_t n)
{
    if (n < 8)
        return std::nullopt;
    const bool little = p[0] == 'I' && p[1] == 'I';
    if (!little && !(p[0] == 'M' && p[1] == 'M'))
        return std::nullopt;
    auto u16 = [&](size_t at) -> uint32_t {
        return little ? uint32_t(p[at] | p[at + 1] << 8) : be16(p + at);
    };
    auto u32 = [&](size_t at) -> uint32_t {
        return little ? uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
                            uint32_t(p[at + 3]) << 24
                      : be32(p + at);
    };
    if (u16(2) != 42)
        return std::nullopt;
    const size_t ifd = u32(4);
    if (ifd + 2 > n)
        return std::nullopt;
    const size_t count = u16(ifd);
    double x = 0, y = 0;
    uint32_t unit = 2; // inches unless told
    for (size_t k = 0; k < count; ++k) {
        const size_t e = ifd + 2 + 12 * k;
        if (e + 12 > n)
            return std::nullopt;
        const uint32_t tag = u16(e), type = u16(e + 2);
        if ((tag == 282 || tag == 283) && type == 5) {
            const size_t at = u32(e + 8);
            if (at + 8 > n)
                return std::nullopt;
            const uint32_t num = u32(at), den = u32(at + 4);
            (tag == 282 ? x : y) = den ? double(num) / den : 0;
        } else if (tag == 296 && type == 3) {
            unit = u16(e + 8);
        }
    }
    if (x <= 0 || y <= 0 || unit == 1)
        return std::nullopt;
    return unit == 3 ? DotsPerInch{x * 2.54, y * 2.54} : DotsPerInch{x, y};
}

} // namespace

bool JpegIsComplete(const std::string &path)
{
    const FileBytes f(path);
    return walkJpeg(f.data(), f.size(), nullptr);
}

bool PngIsComplete(const std::string &path)
{
    const FileBytes f(path);
    return walkPng(f.data(), f.size(), nullptr);
}

bool GifIsComplete(const std::string &path)
{
    const FileBytes f(path);
    size_t n = f.size();
    while (n > 0 && f.data()[n - 1] == 0)
        --n;
    return n > 13 && f.data()[n - 1] == 0x3B;
}

bool BmpIsComplete(const std::string &path)
{
    const FileBytes f(path);
    const uint8_t *p = f.data();
    const size_t n = f.size();
    if (n < 54 || p[0] != 'B' || p[1] != 'M')
        return false;
    uint32_t offset, headerSize, compression;
    int32_t width, height;
    uint16_t bitCount;
    std::memcpy(&offset, p + 10, 4);
    std::memcpy(&headerSize, p + 14, 4);
    std::memcpy(&width, p + 18, 4);
    std::memcpy(&height, p + 22, 4);
    std::memcpy(&bitCount, p + 28, 2);
    std::memcpy(&compression, p + 30, 4);
    if (headerSize < 40 || (compression != 0 && compression != 3))
        return true; // run-length rows: the reader finds their end itself
    const int64_t rows = height < 0 ? -int64_t(height) : height;
    const int64_t rowBytes = (int64_t(width < 0 ? 0 : width) * bitCount + 31) / 32 * 4;
    return int64_t(offset) + rowBytes * rows <= int64_t(n);
}

std::optional<StatedDimensions> StatedSize(const std::string &path)
{
    const FileBytes f(path);
    const uint8_t *p = f.data();
    const size_t n = f.size();
    if (n >= 24 && p[0] == 0x89 && std::memcmp(p + 12, "IHDR", 4) == 0)
        return StatedDimensions{be32(p + 16), be32(p + 20)};
    if (n >= 10 && std::memcmp(p, "GIF", 3) == 0)
        return StatedDimensions{p[6] | p[7] << 8, p[8] | p[9] << 8};
    if (n >= 26 && p[0] == 'B' && p[1] == 'M') {
        int32_t w, h;
        std::memcpy(&w, p + 18, 4);
        std::memcpy(&h, p + 22, 4);
        return StatedDimensions{w, h < 0 ? -int64_t(h) : h};
    }
    if (n >= 4 && p[0] == 0xFF && p[1] == 0xD8) {
        // The first start-of-frame segment (baseline, progressive and the rest).
        size_t i = 2;
        while (i + 9 < n && p[i] == 0xFF) {
            const uint8_t m = p[i + 1];
            const size_t length = be16(p + i + 2);
            if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC)
                return StatedDimensions{be16(p + i + 7), be16(p + i + 5)};
            if (m == 0xDA || length < 2)
                break;
            i += 2 + length;
        }
    }
    return std::nullopt;
}

std::optional<DotsPerInch> StatedResolution(const std::string &path)
{
    const FileBytes f(path);
    const uint8_t *p = f.data();
    const size_t n = f.size();
    std::optional<DotsPerInch> dpi;
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xD8)
        walkJpeg(p, n, &dpi);
    else if (n >= 8 && p[0] == 0x89)
        walkPng(p, n, &dpi);
    else if (n >= 2 && p[0] == 'B')
        dpi = bmpResolution(p, n);
    else
        dpi = tiffResolution(p, n);
    return dpi;
}
