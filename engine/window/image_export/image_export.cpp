#include "engine/window/image_export/image_export.h"

#include "engine/kernel/window_record.h"
#include "engine/window/converters/converter_table.h"
#include "engine/window/image_export/map_image_render.h"
#include "platform/atomic_replace.h"
#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "platform/window_dc.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace {

constexpr int kDefaultJpegQuality = 90;

using CreateJPGFileFn = int (*)(const char *, HBITMAP, int);
using CreateImageFileFn = int (*)(const char *, HBITMAP);
using PNGConvertAndSaveFn = int (*)(const char *, int, int, int, int, const uint8_t *, int, int);
using PNGConvertAndAllocFn = int (*)(void *, void *, int, int, int, int, const uint8_t *, int, int);

// A writer module loaded by its full path in the modules folder, freed with
// this object.
class WriterModule {
public:
    explicit WriterModule(const char *name)
    {
        const std::string path = ResolveConverterModule(name);
        module_ = path.empty() ? 0 : LoadLibraryA(path.c_str());
    }
    ~WriterModule()
    {
        if (module_)
            FreeLibrary(module_);
    }
    WriterModule(const WriterModule &) = delete;
    WriterModule &operator=(const WriterModule &) = delete;

    template <typename Fn>
    Fn entry(const char *name) const
    {
        return module_ ? reinterpret_cast<Fn>(GetProcAddress(module_, name)) : nullptr;
    }

private:
    HMODULE module_ = 0;
};

// A window context, released with this object.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window))
    {
        if (!dc_) {
            // A window without a context of its own: a memory context does.
            dc_ = CreateCompatibleDC(0);
            memory_ = true;
        }
    }
    ~WindowDc()
    {
        if (memory_)
            DeleteDC(dc_);
        else if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc &) = delete;
    WindowDc &operator=(const WindowDc &) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
    bool memory_ = false;
};

class OwnedBitmap {
public:
    explicit OwnedBitmap(HBITMAP b) : bitmap_(b) {}
    ~OwnedBitmap()
    {
        if (bitmap_)
            DeleteObject(bitmap_);
    }
    OwnedBitmap(const OwnedBitmap &) = delete;
    OwnedBitmap &operator=(const OwnedBitmap &) = delete;
    HBITMAP get() const { return bitmap_; }
    void reset()
    {
        if (bitmap_)
            DeleteObject(bitmap_);
        bitmap_ = 0;
    }

private:
    HBITMAP bitmap_;
};

template <typename T>
void put(std::vector<uint8_t> &out, T value)
{
    const auto *p = reinterpret_cast<const uint8_t *>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

bool writeAll(int fd, const void *data, size_t size)
{
    const auto *p = static_cast<const uint8_t *>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

void createFailed(HWND window)
{
    MessageBoxA(window, "ERROR CREATE BMP FILE.!\n", "Information !", MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

std::vector<uint8_t> MakeBitmapInfo(HWND, HBITMAP bitmap)
{
    BITMAP bm{};
    if (GetBitmapObject(bitmap, int(sizeof bm), &bm) != int(sizeof bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return {};
    const int depth = bm.bmPlanes * bm.bmBitsPixel;
    const int bits = depth == 1 ? 1 : depth <= 4 ? 4 : depth <= 8 ? 8 : 24;
    const int colours = bits < 24 ? 1 << bits : 0;
    const int64_t imageSize = DibRowBytes(bm.bmWidth, bits) * bm.bmHeight;
    if (imageSize > int64_t(std::numeric_limits<uint32_t>::max()) - 54 - 4 * colours)
        return {};
    std::vector<uint8_t> block(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * size_t(colours), 0);
    auto *h = reinterpret_cast<BITMAPINFOHEADER *>(block.data());
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = bm.bmWidth;
    h->biHeight = bm.bmHeight;
    h->biPlanes = 1;
    h->biBitCount = WORD(bits);
    h->biCompression = BI_RGB;
    h->biSizeImage = DWORD(imageSize);
    h->biClrUsed = DWORD(colours);
    return block;
}

int WriteBitmapFile(HWND window, const char *fileName, const BITMAPINFO *info, HBITMAP bitmap, HDC dc)
{
    if (!fileName || !*fileName || !info)
        return 0;
    const BITMAPINFOHEADER &h = info->bmiHeader;
    const DWORD colours = h.biBitCount < 24 ? h.biClrUsed : 0;
    // GetDIBits writes the colour table: a private copy of the header takes it.
    std::vector<uint8_t> header(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * std::max<DWORD>(colours, 256),
                                0);
    std::memcpy(header.data(), &h, sizeof h);
    auto *copy = reinterpret_cast<BITMAPINFO *>(header.data());
    // GetDIBits writes every byte of the rows, padding included.
    const LargeBlock bits(h.biSizeImage);
    if (h.biHeight <= 0 || !bits.data() ||
        GetDIBits(dc, bitmap, 0, UINT(h.biHeight), bits.data(), copy, DIB_RGB_COLORS) != h.biHeight)
        return 0;
    const DWORD offset = 14 + 40 + 4 * colours;

    std::vector<uint8_t> fileHeader;
    put<uint16_t>(fileHeader, 0x4D42); // "BM"
    put<uint32_t>(fileHeader, offset + h.biSizeImage);
    put<uint16_t>(fileHeader, 0);
    put<uint16_t>(fileHeader, 0);
    put<uint32_t>(fileHeader, offset);

    std::string temp;
    const int fd = ReplaceTargetRefusal(fileName) ? -1 : OpenReplacementFile(fileName, &temp);
    if (fd < 0) {
        createFailed(window);
        return 0;
    }
    const bool written = writeAll(fd, fileHeader.data(), fileHeader.size()) &&
                         writeAll(fd, header.data(), sizeof(BITMAPINFOHEADER) + 4 * size_t(colours)) &&
                         writeAll(fd, bits.data(), h.biSizeImage) &&
                         CommitReplacementFile(fd, fileName, &temp);
    ::close(fd);
    if (!written && !temp.empty())
        ::unlink(temp.c_str());
    return written ? 1 : 0;
}

RgbRows BitmapRgbRows(HWND, HBITMAP bitmap)
{
    BITMAP bm{};
    if (GetBitmapObject(bitmap, int(sizeof bm), &bm) != int(sizeof bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return {};
    const int64_t rowBytes = DibRowBytes(bm.bmWidth, 24);
    if (rowBytes > std::numeric_limits<int>::max())
        return {};
    // Written whole at once: a large block (see large_block.h), not cleared.
    RgbRows out;
    out.block = LargeBlock(size_t(rowBytes * bm.bmHeight));
    if (!out.block.data() || !GetBitmapRgbRows(bitmap, out.block.data(), rowBytes))
        return {};
    out.width = bm.bmWidth;
    out.height = bm.bmHeight;
    out.stride = int(rowBytes);
    return out;
}

int DIBFileExportRect(HWND window, const char *fileName, const MAP_COORDRECT *rect, int size, int type,
                      const _EXPORTPARAMS *parameters)
{
    if (type < kExportBmp || type > kExportGif || !fileName || !*fileName)
        return 0;
    const _EXPORTPARAMS p = parameters ? *parameters : _EXPORTPARAMS{kDefaultJpegQuality, uint16_t(-1), 0, 0};
    OwnedBitmap bitmap(RenderMapRectToBitmap(window, rect, size, p.DetailsLikeInOcxWindow != 0));
    if (!bitmap.get())
        return 0;
    switch (type) {
    case kExportBmp: {
        const std::vector<uint8_t> info = MakeBitmapInfo(window, bitmap.get());
        if (info.empty())
            return 0;
        const WindowDc dc(window);
        return WriteBitmapFile(window, fileName, reinterpret_cast<const BITMAPINFO *>(info.data()),
                               bitmap.get(), dc.get());
    }
    case kExportJpeg: {
        const WriterModule module("jpg.cnv");
        const auto write = module.entry<CreateJPGFileFn>("CreateJPGFile");
        return write && write(fileName, bitmap.get(), p.JpgCompressionDegree) ? 1 : 0;
    }
    case kExportTiff:
    case kExportGif: {
        const bool tiff = type == kExportTiff;
        const WriterModule module(tiff ? "tiff.cnv" : "gif.cnv");
        const auto write = module.entry<CreateImageFileFn>(tiff ? "CreateTIFFFile" : "CreateGIFFile");
        return write && write(fileName, bitmap.get()) ? 1 : 0;
    }
    default: {
        const RgbRows rows = BitmapRgbRows(window, bitmap.get());
        bitmap.reset(); // the rows hold the picture now
        if (!rows.data())
            return 0;
        const WriterModule module("png.cnv");
        const auto write = module.entry<PNGConvertAndSaveFn>("PNGConvertAndSave");
        return write && write(fileName, rows.width, rows.height, rows.stride, 8, rows.data(),
                              int16_t(p.PNGExportMode), int16_t(p.PngCompressionLevel))
                   ? 1
                   : 0;
    }
    }
}

extern "C" int PNGExportRectToMemory(HWND window, void *value1, void *value2, const MAP_COORDRECT *rect,
                                     int size, int value5, int value6, uint16_t details)
{
    OwnedBitmap bitmap(RenderMapRectToBitmap(window, rect, size, details != 0));
    if (!bitmap.get())
        return 0;
    const RgbRows rows = BitmapRgbRows(window, bitmap.get());
    bitmap.reset(); // the rows hold the picture now
    if (!rows.data())
        return 0;
    const WriterModule module("png.cnv");
    const auto convert = module.entry<PNGConvertAndAllocFn>("PNGConvertAndAlloc");
    if (!convert)
        return 0;
    try {
        return convert(value1, value2, rows.width, rows.height, rows.stride, 8, rows.data(), value5, value6);
    } catch (...) {
        return 0; // a module that fails during the call gives no data
    }
}
