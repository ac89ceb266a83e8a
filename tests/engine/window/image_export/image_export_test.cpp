#include "tests/engine/window/image_export/image_fixture.h"

#include "engine/window/image_export/image_export.h"
#include "engine/window/image_export/map_image_render.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"

#include "test_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct GdalView {
    QString driver;
    int width = 0, height = 0;
};

// What gdalinfo makes of a file: its driver's short name and its size.
GdalView gdalinfo(const QString &path)
{
    QProcess p;
    p.start("gdalinfo", {"-json", path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    const QJsonArray size = o.value("size").toArray();
    return {o.value("driverShortName").toString(), size.at(0).toInt(), size.at(1).toInt()};
}

// MAP_MODULES_DIR for one test.
class ModulesFolder {
public:
    explicit ModulesFolder(const QString &folder)
    {
        setenv("MAP_MODULES_DIR", folder.toLocal8Bit().constData(), 1);
    }
    ~ModulesFolder() { unsetenv("MAP_MODULES_DIR"); }
};

class ImageExportTest : public MapImageTest {
protected:
    void SetUp() override
    {
        MapImageTest::SetUp();
        SetMessageBoxHook([this](const MessageBoxRequest &r) {
            messages.push_back(r.text + "|" + r.caption);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        MapImageTest::TearDown();
    }
    std::string file(const char *name) const { return (dir.path() + "/" + name).toStdString(); }

    QTemporaryDir dir;
    std::vector<std::string> messages;
    const MAP_COORDRECT wide{0, 0, 64, 32};
    const _EXPORTPARAMS params{80, 0, 0, 1};
};

TEST_F(ImageExportTest, EachTypeWritesAFileOfItsFormatSWideAndProportionallyHigh)
{
    struct Case {
        int type;
        const char *name;
        const char *driver;
    };
    const QString cwd = QDir::currentPath();
    for (const Case c : {Case{kExportBmp, "a.bmp", "BMP"}, Case{kExportJpeg, "a.jpg", "JPEG"},
                         Case{kExportTiff, "a.tif", "GTiff"}, Case{kExportPng, "a.png", "PNG"},
                         Case{kExportGif, "a.gif", "GIF"}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DIBFileExportRect(window, file(c.name).c_str(), &wide, 300, c.type, &params), 1);
        const GdalView info = gdalinfo(QString::fromStdString(file(c.name)));
        EXPECT_EQ(info.driver, c.driver);
        EXPECT_EQ(info.width, 300);
        EXPECT_NEAR(info.height, 150, 1);
        // The writer modules are found without the current directory.
        EXPECT_EQ(QDir::currentPath(), cwd);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ImageExportTest, TheBmpFileIsAPlainTwentyFourBitBottomUpImage)
{
    ASSERT_EQ(DIBFileExportRect(window, file("b.bmp").c_str(), &wide, 200, kExportBmp, nullptr), 1);
    QFile f(QString::fromStdString(file("b.bmp")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_GT(bytes.size(), 54);
    auto u32 = [&](int at) {
        uint32_t v = 0;
        std::memcpy(&v, bytes.constData() + at, 4);
        return v;
    };
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(2), uint32_t(bytes.size()));
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(18), 200u);          // width
    EXPECT_EQ(uint8_t(bytes[28]), 24); // bits
    EXPECT_EQ(u32(34), uint32_t(DibRowBytes(200, 24) * u32(22)));
    const QImage image(QString::fromStdString(file("b.bmp")));
    EXPECT_EQ(image.pixel(100, 25) & 0xFFFFFF, 0x0000FFu); // the blue line, a quarter down
}

TEST_F(ImageExportTest, APureBlueLineStaysBlueInThePng)
{
    ASSERT_EQ(DIBFileExportRect(window, file("c.png").c_str(), &wide, 256, kExportPng, &params), 1);
    const QImage image(QString::fromStdString(file("c.png")));
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(count(image, 0xFF0000FF), 256);
    EXPECT_GT(count(image, 0xFFFF0000), 0); // the red square stays red
    EXPECT_EQ(image.pixel(128, 32), 0xFF0000FFu);
}

TEST_F(ImageExportTest, PngAndBmpFilesAndPngDataHoldTheRenderedPixelsExactly)
{
    // An odd width, so that the 24-bit rows are padded; the bitmap as the
    // renderer makes it for the same rectangle, size and scale.
    const HBITMAP bitmap = RenderMapRectToBitmap(window, &wide, 301, params.DetailsLikeInOcxWindow);
    ASSERT_NE(bitmap, 0u);
    const QImage rendered = GetBitmapImage(bitmap).convertToFormat(QImage::Format_RGB32);
    DeleteObject(bitmap);
    ASSERT_EQ(rendered.width(), 301);
    ASSERT_GT(count(rendered, 0xFF0000FF), 0);

    for (const int type : {kExportPng, kExportBmp}) {
        SCOPED_TRACE(type);
        const std::string name = file(type == kExportPng ? "exact.png" : "exact.bmp");
        ASSERT_EQ(DIBFileExportRect(window, name.c_str(), &wide, 301, type, &params), 1);
        EXPECT_EQ(QImage(QString::fromStdString(name)).convertToFormat(QImage::Format_RGB32), rendered);
    }
    HGLOBAL block = 0;
    uint32_t size = 0;
    ASSERT_EQ(PNGExportRectToMemory(window, &block, &size, &wide, 301, 0, 0, params.DetailsLikeInOcxWindow),
              1);
    const QImage fromMemory =
        QImage::fromData(static_cast<const uchar *>(GlobalLock(block)), int(size), "PNG");
    GlobalUnlock(block);
    GlobalFree(block);
    EXPECT_EQ(fromMemory.convertToFormat(QImage::Format_RGB32), rendered);
}

TEST_F(ImageExportTest, ATypeOutsideZeroToFourLeavesNoFile)
{
    for (const int type : {-1, 5, 99}) {
        EXPECT_EQ(DIBFileExportRect(window, file("x.img").c_str(), &wide, 200, type, &params), 0);
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file("x.img"))));
    }
}

TEST_F(ImageExportTest, PngDataInMemory)
{
    HGLOBAL block = 0;
    uint32_t size = 0;
    ASSERT_EQ(PNGExportRectToMemory(window, &block, &size, &wide, 160, 0, 0, 1), 1);
    ASSERT_NE(block, 0u);
    ASSERT_GT(size, 8u);
    const QImage image = QImage::fromData(static_cast<const uchar *>(GlobalLock(block)), int(size), "PNG");
    GlobalUnlock(block);
    GlobalFree(block);
    EXPECT_EQ(image.width(), 160);
    EXPECT_NEAR(image.height(), 80, 1);
    EXPECT_GT(count(image, 0xFF0000FF), 0);
    // The module refuses null places for its block: its answer comes back.
    EXPECT_EQ(PNGExportRectToMemory(window, nullptr, nullptr, &wide, 160, 0, 0, 1), 0);
}

TEST_F(ImageExportTest, AnEmptyRectangleGivesNothing)
{
    const MAP_COORDRECT flat{0, 10, 64, 10};
    EXPECT_EQ(DIBFileExportRect(window, file("e.png").c_str(), &flat, 200, kExportPng, &params), 0);
    EXPECT_EQ(DIBFileExportRect(window, file("e.bmp").c_str(), nullptr, 200, kExportBmp, &params), 0);
    EXPECT_EQ(DIBFileExportRect(window, "", &wide, 200, kExportBmp, &params), 0);
    EXPECT_EQ(DIBFileExportRect(window, nullptr, &wide, 200, kExportBmp, &params), 0);
    HGLOBAL block = 0;
    uint32_t size = 0;
    EXPECT_EQ(PNGExportRectToMemory(window, &block, &size, &flat, 200, 0, 0, 0), 0);
    EXPECT_EQ(block, 0u);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(ImageExportTest, AMissingModuleOrEntryWritesNothing)
{
    QTemporaryDir modules;
    {
        const ModulesFolder empty(modules.path());
        for (const int type : {kExportJpeg, kExportTiff, kExportPng, kExportGif})
            EXPECT_EQ(DIBFileExportRect(window, file("m.img").c_str(), &wide, 100, type, &params), 0) << type;
        HGLOBAL block = 0;
        uint32_t size = 0;
        EXPECT_EQ(PNGExportRectToMemory(window, &block, &size, &wide, 100, 0, 0, 0), 0);
        // BMP needs no module.
        EXPECT_EQ(DIBFileExportRect(window, file("m.bmp").c_str(), &wide, 100, kExportBmp, &params), 1);
        QFile::remove(QString::fromStdString(file("m.bmp")));
    }
    // Modules of those names without the writers' entries.
    const QString reader = QString(MAP_MODULES_DIR) + "/dib.cnv";
    for (const char *name : {"jpg.cnv", "tiff.cnv", "png.cnv", "gif.cnv"})
        ASSERT_TRUE(QFile::copy(reader, modules.path() + "/" + name)) << name;
    const ModulesFolder wrong(modules.path());
    for (const int type : {kExportJpeg, kExportTiff, kExportPng, kExportGif})
        EXPECT_EQ(DIBFileExportRect(window, file("m.img").c_str(), &wide, 100, type, &params), 0) << type;
    HGLOBAL block = 0;
    uint32_t size = 0;
    EXPECT_EQ(PNGExportRectToMemory(window, &block, &size, &wide, 100, 0, 0, 0), 0);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(ImageExportTest, AnUnwritableBmpPathIsReportedAndAFolderOfThatNameKept)
{
    EXPECT_EQ(DIBFileExportRect(window, "/nonexistent-folder/x.bmp", &wide, 100, kExportBmp, &params), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "ERROR CREATE BMP FILE.!\n|Information !");
    // A folder of that name cannot be replaced by the file.
    const QString folder = dir.path() + "/taken.bmp";
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(DIBFileExportRect(window, folder.toLocal8Bit().constData(), &wide, 100, kExportBmp, &params),
              0);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(messages.size(), 2u);
}

} // namespace
