// The image writers of the converter modules: each file reads back in Qt
// and in gdalinfo at its size, with the pixels written.
#include "tests/modules/raster/raster_modules.h"

#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/registry.h"
#include "tests/support/temp_settings.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using CreateFileFn = int (*)(const char *, HBITMAP);
using CreateJpgFn = int (*)(const char *, HBITMAP, int);
using PngSaveFn = int (*)(const char *, int, int, int, int, const uint8_t *, int, int);
using PngAllocFn = int (*)(HGLOBAL *, uint32_t *, int, int, int, int, const uint8_t *, int, int);

// A picture of a few flat colours (kept exactly by GIF and nearly by JPEG).
QRgb ColourAt(int x, int y)
{
    static const QRgb colours[] = {qRgb(200, 30, 30), qRgb(20, 160, 40), qRgb(30, 40, 220),
                                   qRgb(250, 250, 250)};
    return colours[(x / 8 + 2 * (y / 8)) % 4];
}

class RasterWriters : public ::testing::Test {
protected:
    void SetUp() override
    {
        bitmap = CreateBitmapOfSize(kWidth, kHeight);
        const HDC dc = CreateCompatibleDC(0);
        const HGDIOBJ old = SelectObject(dc, bitmap);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const QRgb c = ColourAt(x, y);
                SetPixel(dc, x, y, RGB(qRed(c), qGreen(c), qBlue(c)));
            }
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    void TearDown() override { DeleteObject(bitmap); }

    std::string Local(const char *name) const
    {
        return (dir.path() + "/" + name).toLocal8Bit().toStdString();
    }

    // Reads the file in Qt and in gdalinfo: both at the picture's size; the
    // largest difference of a colour channel from the picture (with inner
    // set, only inside the flat squares, away from the colour edges that
    // JPEG smears).
    int CheckFile(const char *name, bool inner = false)
    {
        const QString path = dir.path() + "/" + name;
        const QImage back(path);
        EXPECT_EQ(back.size(), QSize(kWidth, kHeight)) << name;
        const GdalInfo g = RunGdalInfo(path);
        EXPECT_TRUE(g.ok) << name;
        EXPECT_EQ(g.width, kWidth) << name;
        EXPECT_EQ(g.height, kHeight) << name;
        int worst = 0;
        for (int y = 0; y < back.height(); ++y)
            for (int x = 0; x < back.width(); ++x) {
                if (inner && (x % 8 < 2 || x % 8 > 5 || y % 8 < 2 || y % 8 > 5))
                    continue;
                const QRgb a = back.pixel(x, y), b = ColourAt(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
            }
        return back.isNull() ? 256 : worst;
    }

    static constexpr int kWidth = 37, kHeight = 21;
    TempSettingsFolders settings;
    QTemporaryDir dir;
    HBITMAP bitmap = 0;
};

TEST_F(RasterWriters, JpegGifAndTiffFilesOfABitmap)
{
    ConverterModule jpg("jpg"), gif("gif"), tiff("tiff");
    auto createJpg = jpg.Entry<CreateJpgFn>("CreateJPGFile");
    auto createGif = gif.Entry<CreateFileFn>("CreateGIFFile");
    auto createTiff = tiff.Entry<CreateFileFn>("CreateTIFFFile");
    ASSERT_TRUE(createJpg && createGif && createTiff);

    ASSERT_EQ(createJpg(Local("best.jpg").c_str(), bitmap, 100), 1) << jpg.LastError();
    EXPECT_LE(CheckFile("best.jpg", true), 8) << "lossy, but near";
    ASSERT_EQ(createJpg(Local("small.jpg").c_str(), bitmap, -5), 1) << "quality taken to 1";
    EXPECT_LT(QFileInfo(dir.path() + "/small.jpg").size(), QFileInfo(dir.path() + "/best.jpg").size());

    ASSERT_EQ(createGif(Local("a.gif").c_str(), bitmap), 1) << gif.LastError();
    EXPECT_EQ(CheckFile("a.gif"), 0);
    ASSERT_EQ(createTiff(Local("a.tif").c_str(), bitmap), 1) << tiff.LastError();
    EXPECT_EQ(CheckFile("a.tif"), 0);
}

TEST_F(RasterWriters, TiffCompressionFollowsTheLzwSetting)
{
    ConverterModule tiff("tiff");
    auto createTiff = tiff.Entry<CreateFileFn>("CreateTIFFFile");
    struct Case {
        const char *file;
        int setting; // -1: no value
        const char *compression;
    };
    const Case cases[] = {{"default.tif", -1, "LZW"}, {"lzw.tif", 1, "LZW"}, {"plain.tif", 0, ""}};
    for (const Case &k : cases) {
        if (k.setting >= 0) {
            HKEY key = 0;
            ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\Gorm 8.0\\Converters\\Exports\\TIFF",
                                      0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                      ERROR_SUCCESS);
            const DWORD v = DWORD(k.setting);
            RegSetValueExA(key, "lzw", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v), 4);
            RegCloseKey(key);
        }
        ASSERT_EQ(createTiff(Local(k.file).c_str(), bitmap), 1) << k.file;
        EXPECT_EQ(CheckFile(k.file), 0) << k.file;
        EXPECT_EQ(RunGdalInfo(dir.path() + "/" + k.file).compression, k.compression) << k.file;
    }
}

TEST_F(RasterWriters, PngFromRowsToAFileAndToMemory)
{
    // Rows of red, green, blue, bottom row first, padded to 4 bytes.
    const int stride = (kWidth * 3 + 3) / 4 * 4;
    std::vector<uint8_t> rows(size_t(stride) * kHeight, 0xEE);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t *p = rows.data() + (kHeight - 1 - y) * stride + 3 * x;
            const QRgb c = ColourAt(x, y);
            p[0] = uint8_t(qRed(c));
            p[1] = uint8_t(qGreen(c));
            p[2] = uint8_t(qBlue(c));
        }
    ConverterModule png("png");
    auto save = png.Entry<PngSaveFn>("PNGConvertAndSave");
    auto alloc = png.Entry<PngAllocFn>("PNGConvertAndAlloc");
    ASSERT_TRUE(save && alloc);

    ASSERT_EQ(save(Local("rgb.png").c_str(), kWidth, kHeight, stride, 8, rows.data(), 0, 0), 1)
        << png.LastError();
    EXPECT_EQ(CheckFile("rgb.png"), 0);
    ASSERT_EQ(save(Local("table.png").c_str(), kWidth, kHeight, stride, 8, rows.data(), 1, 3), 1);
    EXPECT_EQ(CheckFile("table.png"), 0);
    EXPECT_EQ(QImage(dir.path() + "/table.png").format(), QImage::Format_Indexed8);
    ASSERT_EQ(save(Local("stored.png").c_str(), kWidth, kHeight, stride, 8, rows.data(), -1, 1), 1);
    EXPECT_EQ(CheckFile("stored.png"), 0);
    EXPECT_GT(QFileInfo(dir.path() + "/stored.png").size(), QFileInfo(dir.path() + "/rgb.png").size())
        << "level 1: no compression";

    HGLOBAL block = 0;
    uint32_t size = 0;
    ASSERT_EQ(alloc(&block, &size, kWidth, kHeight, stride, 8, rows.data(), 0, 2), 1);
    ASSERT_NE(block, 0u);
    EXPECT_EQ(GlobalSize(block), size);
    const QImage fromMemory =
        QImage::fromData(static_cast<const uchar *>(GlobalLock(block)), int(size), "png");
    GlobalUnlock(block);
    GlobalFree(block);
    ASSERT_EQ(fromMemory.size(), QSize(kWidth, kHeight));
    EXPECT_EQ(fromMemory.pixel(9, 9), ColourAt(9, 9));
    EXPECT_EQ(fromMemory.pixel(36, 20), ColourAt(36, 20));
}

TEST_F(RasterWriters, BadArgumentsWriteNothingAndSayWhy)
{
    ConverterModule png("png"), jpg("jpg"), gif("gif"), tiff("tiff");
    auto save = png.Entry<PngSaveFn>("PNGConvertAndSave");
    auto alloc = png.Entry<PngAllocFn>("PNGConvertAndAlloc");
    const std::vector<uint8_t> rows(12 * 4, 0);
    struct Case {
        const char *what;
        std::function<int()> call;
        const ConverterModule &module;
    };
    const std::string missingFolder = Local("no/such/folder/x");
    HGLOBAL block = 0;
    uint32_t size = 0;
    const Case cases[] = {
        {"jpeg of no bitmap",
         [&] { return jpg.Entry<CreateJpgFn>("CreateJPGFile")(Local("x.jpg").c_str(), 0, 90); }, jpg},
        {"gif of a freed bitmap",
         [&] { return gif.Entry<CreateFileFn>("CreateGIFFile")(Local("x.gif").c_str(), 0xDEAD); }, gif},
        {"tiff into a missing folder",
         [&] { return tiff.Entry<CreateFileFn>("CreateTIFFFile")((missingFolder + ".tif").c_str(), bitmap); },
         tiff},
        {"gif into a missing folder",
         [&] { return gif.Entry<CreateFileFn>("CreateGIFFile")((missingFolder + ".gif").c_str(), bitmap); },
         gif},
        {"png of 16-bit channels",
         [&] { return save(Local("x.png").c_str(), 4, 4, 12, 16, rows.data(), 0, 0); }, png},
        {"png rows too short", [&] { return save(Local("x.png").c_str(), 5, 4, 12, 8, rows.data(), 0, 0); },
         png},
        {"png without rows", [&] { return save(Local("x.png").c_str(), 4, 4, 12, 8, nullptr, 0, 0); }, png},
        {"png of an unknown mode",
         [&] { return save(Local("x.png").c_str(), 4, 4, 12, 8, rows.data(), 7, 0); }, png},
        {"png without a name", [&] { return save("", 4, 4, 12, 8, rows.data(), 0, 0); }, png},
        {"png block without a place", [&] { return alloc(nullptr, &size, 4, 4, 12, 8, rows.data(), 0, 0); },
         png},
        {"png block of no picture", [&] { return alloc(&block, &size, 0, 4, 12, 8, rows.data(), 0, 0); },
         png},
    };
    const size_t blocks = GlobalBlockCount();
    for (const Case &k : cases) {
        EXPECT_EQ(k.call(), 0) << k.what;
        EXPECT_FALSE(k.module.LastError().empty()) << k.what;
    }
    EXPECT_EQ(block, 0u);
    EXPECT_EQ(GlobalBlockCount(), blocks);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty()) << "no file left behind";
}

} // namespace
