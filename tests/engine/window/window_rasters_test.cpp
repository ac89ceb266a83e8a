// The window-level raster functions: placement by size, resolution, scale
// and world file (checked against gdalinfo for the five formats), changes
// with their collected errors, and files and names that must be refused.
// First: the class table's headers use names that Qt's headers define as
// macros.
#include "tests/engine/window/window_functions_fixture.h"

#include "engine/window/window_rasters.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/raster_images.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/page.h"
#include "platform/dc.h"
#include "platform/dispatch_exception.h"
#include "platform/gdi_objects.h"
#include "platform/module.h"
#include "test_paths.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

inline bool operator==(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

inline std::ostream &operator<<(std::ostream &os, const MAP_COORDRECT &r)
{
    return os << "(" << r.x1 << ", " << r.y1 << ", " << r.x2 << ", " << r.y2 << ")";
}

namespace {

QImage Gradient(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, 90));
    return img;
}

class WindowRastersTest : public WindowFunctionsTest {
protected:
    void SetUp() override
    {
        WindowFunctionsTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(dir.isValid());
        rec.displayView->projection.transformedUnit = 4; // metres
        // A page of 2000 x 3000 map units.
        _COORDRECT page{0, 0, 2000, 3000};
        SendOBJectMessage(kernel, 0, PageGetFromWindow(window), 0, GRM_SETBOUNDRECT, 0, LPARAM(&page));
        ASSERT_EQ(pageRect(), (MAP_COORDRECT{0, 0, 2000, 3000}));
        wide = save("wide.png", Gradient(1000, 500), "PNG");
    }

    MAP_COORDRECT pageRect()
    {
        _COORDRECT r{};
        SendOBJectMessage(kernel, 0, PageGetFromWindow(window), 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
        return r;
    }

    std::string path(const QString &name) const { return (dir.path() + "/" + name).toStdString(); }

    std::string save(const QString &name, const QImage &image, const char *format)
    {
        EXPECT_TRUE(image.save(dir.path() + "/" + name, format, 90)) << name.toStdString();
        return path(name);
    }

    std::string write(const QString &name, const QByteArray &bytes)
    {
        QFile f(dir.path() + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path(name);
    }

    MAP_COORDRECT bound(OBJHANDLE h)
    {
        _COORDRECT r{};
        SendOBJectMessage(kernel, 0, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
        return r;
    }

    RasterObjectData data(OBJHANDLE h) { return RasterRecordLoad(RasterObjectLock(kernel, h)); }

    size_t members() { return children(layer, REF_LAYER_MEMBER).size(); }

    // The number and text of the exception the call raises; 0 when none.
    std::pair<int, std::string> raised(const std::function<void()> &call)
    {
        try {
            call();
        } catch (const DispatchException &e) {
            return {e.Number(), e.Text()};
        }
        return {0, ""};
    }

    OBJHANDLE createWide(int32_t width = RASTER_NOT_GIVEN, int32_t height = RASTER_NOT_GIVEN, double xRes = 0,
                         double yRes = 0)
    {
        OBJHANDLE h = 0;
        map_raster_Create(window, &h, wide.c_str(), "PNG", RASTER_NOT_GIVEN, RASTER_NOT_GIVEN, width, height,
                          10000, xRes, yRes, 1, 1, 0);
        return h;
    }

    QTemporaryDir dir;
    std::string wide;
};

TEST_F(WindowRastersTest, CreateFitsTheImageIntoThePageOrAGivenSide)
{
    const OBJHANDLE fitted = createWide();
    ASSERT_NE(fitted, 0u);
    EXPECT_EQ(bound(fitted), (MAP_COORDRECT{0, 0, 2000, 1000}));
    EXPECT_EQ(data(fitted).scale, 10000);
    EXPECT_EQ(std::string(data(fitted).formatName), "PNG");
    EXPECT_NE(RasterObjectPixelBlock(kernel, fitted), 0u);

    EXPECT_EQ(bound(createWide(400)), (MAP_COORDRECT{0, 0, 400, 200}));
    EXPECT_EQ(bound(createWide(RASTER_NOT_GIVEN, 300)), (MAP_COORDRECT{0, 0, 600, 300}));
    // 1000 pixels at 125 dpi at 1:10000 cover 2032 metres, 500 at 250 dpi 508.
    EXPECT_EQ(bound(createWide(RASTER_NOT_GIVEN, RASTER_NOT_GIVEN, 125, 250)),
              (MAP_COORDRECT{0, 0, 2032, 508}));

    // Without the image's pixels when the image is not shown.
    OBJHANDLE hidden = 0;
    map_raster_Create(window, &hidden, wide.c_str(), "PNG", 10, 20, 100, 50, 10000, 0, 0, 1, 0, 0);
    EXPECT_EQ(bound(hidden), (MAP_COORDRECT{10, 20, 110, 70}));
    EXPECT_NE(RasterObjectHeaderBlock(kernel, hidden), 0u);
    EXPECT_EQ(RasterObjectPixelBlock(kernel, hidden), 0u);
}

TEST_F(WindowRastersTest, BothASizeAndAResolutionForOneSideCreateNothing)
{
    const size_t before = members();
    const auto [number, text] = raised([&] { createWide(400, RASTER_NOT_GIVEN, 100); });
    EXPECT_EQ(number, 1051);
    EXPECT_EQ(text, "It is not allowed to assign both dimension and resolution for the same coordinate");
    EXPECT_EQ(raised([&] { createWide(RASTER_NOT_GIVEN, 400, 0, 100); }).first, 1051);
    EXPECT_EQ(members(), before);
    EXPECT_EQ(RasterImageCount(kernel), 0u);
}

TEST_F(WindowRastersTest, GeoreferencePlacesTheRasterByItsUpperLeftCorner)
{
    const std::string file = save("placed.png", Gradient(100, 100), "PNG");
    QFile world(dir.path() + "/placed.pgw");
    ASSERT_TRUE(world.open(QIODevice::WriteOnly));
    world.write("0.5\n0\n0\n-0.5\n1000.25\n1999.75\n");
    world.close();
    OBJHANDLE h = 0;
    ASSERT_EQ(map_RasterCreate(window, &h, file.c_str(), "PNG", RASTER_NOT_GIVEN, RASTER_NOT_GIVEN,
                               RASTER_NOT_GIVEN, RASTER_NOT_GIVEN, 1, 1, 0, 0, 1),
              1)
        << RasterConverterLastError();
    EXPECT_EQ(bound(h), (MAP_COORDRECT{1000, 1950, 1050, 2000}));
    // Without the flag the world file is not read: 200 dpi at 1:10000 centred
    // on the page (100 pixels cover 127 metres).
    OBJHANDLE centred = 0;
    ASSERT_EQ(map_RasterCreate(window, &centred, file.c_str(), "PNG", RASTER_NOT_GIVEN, RASTER_NOT_GIVEN,
                               RASTER_NOT_GIVEN, RASTER_NOT_GIVEN, 1, 1, 0, 10000, 0),
              1);
    EXPECT_EQ(bound(centred), (MAP_COORDRECT{936, 1436, 1063, 1563}));
    EXPECT_EQ(data(centred).scale, 10000);
}

// For each format, a picture with a world file: the raster's rectangle is
// gdalinfo's corner coordinates, truncated as the creation converts them.
TEST_F(WindowRastersTest, WorldFilesPlaceRastersWhereGdalPutsThem)
{
    struct Format {
        const char *format;
        const char *qt;
        const char *ext;
        const char *world;
    };
    const Format formats[] = {{"PNG", "PNG", "png", "pgw"},
                              {"JPG", "JPEG", "jpg", "jgw"},
                              {"TIFF", "TIFF", "tif", "tfw"},
                              {"GIF", nullptr, "gif", "gfw"},
                              {"DIB", "BMP", "bmp", "bpw"}};
    const QImage picture = Gradient(40, 30);
    for (const Format &f : formats) {
        SCOPED_TRACE(f.format);
        const QString name = QString("geo.%1").arg(f.ext);
        const std::string file = path(name);
        if (f.qt) {
            save(name, picture, f.qt);
        } else {
            // Qt writes no GIF: the GIF module's writer does.
            const HMODULE gif = LoadLibraryA((std::string(MAP_MODULES_DIR) + "/gif.cnv").c_str());
            ASSERT_NE(gif, 0u);
            using CreateGif = int (*)(const char *, HBITMAP);
            const auto create = reinterpret_cast<CreateGif>(GetProcAddress(gif, "CreateGIFFile"));
            ASSERT_NE(create, nullptr);
            const HBITMAP b = CreateBitmapOfSize(40, 30);
            const HDC dc = CreateCompatibleDC(0);
            const HGDIOBJ old = SelectObject(dc, b);
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x) {
                    const QRgb c = picture.pixel(x, y);
                    SetPixel(dc, x, y, RGB(qRed(c), qGreen(c), qBlue(c)));
                }
            SelectObject(dc, old);
            DeleteDC(dc);
            EXPECT_EQ(create(file.c_str(), b), 1);
            DeleteObject(b);
            FreeLibrary(gif);
        }
        QFile world(dir.path() + "/geo." + f.world);
        ASSERT_TRUE(world.open(QIODevice::WriteOnly));
        world.write("2.5\n0\n0\n-1.5\n501001.25\n302000.75\n");
        world.close();

        QProcess gdal;
        gdal.start("gdalinfo", {"-json", QString::fromStdString(file)});
        ASSERT_TRUE(gdal.waitForFinished(30000));
        ASSERT_EQ(gdal.exitCode(), 0) << gdal.readAllStandardError().toStdString();
        const QJsonObject corners =
            QJsonDocument::fromJson(gdal.readAllStandardOutput()).object()["cornerCoordinates"].toObject();
        const QJsonArray ul = corners["upperLeft"].toArray(), lr = corners["lowerRight"].toArray();
        ASSERT_EQ(ul.size(), 2);
        ASSERT_EQ(lr.size(), 2);
        const double ulx = ul[0].toDouble(), uly = ul[1].toDouble();
        const double lrx = lr[0].toDouble(), lry = lr[1].toDouble();

        OBJHANDLE h = 0;
        ASSERT_EQ(map_RasterCreate(window, &h, file.c_str(), f.format, RASTER_NOT_GIVEN, RASTER_NOT_GIVEN,
                                   RASTER_NOT_GIVEN, RASTER_NOT_GIVEN, 1, 1, 0, 0, 1),
                  1)
            << RasterConverterLastError();
        const int32_t left = int32_t(ulx), bottom = int32_t(uly - (uly - lry));
        const MAP_COORDRECT expected{left, bottom, left + int32_t(lrx - ulx), bottom + int32_t(uly - lry)};
        EXPECT_EQ(bound(h), expected);
        EXPECT_EQ(bound(h), (MAP_COORDRECT{501000, 301956, 501100, 302001}));
    }
}

TEST_F(WindowRastersTest, RasterSetChecksResolutionsAgainstChangedSides)
{
    const OBJHANDLE h = createWide(2000, 1000); // 127 dpi each way at 1:10000
    ASSERT_NE(h, 0u);
    // A new height with a vertical resolution off by 0.01: no complaint.
    EXPECT_EQ(Raster_Set(window, h, wide.c_str(), "PNG", 0, 0, 1200, 2000, 10000, 127, 127.01, 1, 1, 0), 1);
    EXPECT_EQ(bound(h), (MAP_COORDRECT{0, 0, 2000, 1200}));
    // Off by 0.03 it is a second change of the same side.
    const auto [number, text] = raised([&] {
        Raster_Set(window, h, wide.c_str(), "PNG", 0, 0, 1300, 2000, 10000, 127, 127.03 * 1000 / 1200, 1, 1,
                   0);
    });
    EXPECT_EQ(number, 1052);
    EXPECT_EQ(text, "It's not allowed to change both height and vertical resolution\n");
    EXPECT_EQ(bound(h), (MAP_COORDRECT{0, 0, 2000, 1200}));

    // A new scale keeps the resolutions: the sides follow.
    EXPECT_EQ(Raster_Set(window, h, wide.c_str(), "PNG", 100, 50, 1200, 2000, 5000, 127, 127 * 1000.0 / 1200,
                         0, 1, 1),
              1);
    const MAP_COORDRECT r = bound(h);
    EXPECT_EQ(r.x1, 100);
    EXPECT_EQ(r.y1, 50);
    EXPECT_NEAR(r.x2, 1100, 1); // the sides are truncated from doubles
    EXPECT_NEAR(r.y2, 650, 1);
    EXPECT_EQ(data(h).scale, 5000);
    EXPECT_EQ(data(h).frameVisible, 0);
    EXPECT_EQ(data(h).clippingMode, 1);
}

TEST_F(WindowRastersTest, RasterSetReportsEveryErrorAndPutsTheRasterBack)
{
    const OBJHANDLE h = createWide(2000, 1000);
    ASSERT_NE(h, 0u);
    const RasterObjectData before = data(h);
    const auto [number, text] =
        raised([&] { Raster_Set(window, h, wide.c_str(), "PNG", 5, 5, 1000, -1, 0, 127, 127, 0, 0, 1); });
    EXPECT_EQ(number, 1052);
    EXPECT_EQ(text, "The raster scale must be > 0\nThe raster width must be >= 0\n");
    const RasterObjectData after = data(h);
    EXPECT_EQ(after.scale, before.scale);
    EXPECT_EQ(after.frameVisible, before.frameVisible);
    EXPECT_EQ(after.imageVisible, before.imageVisible);
    EXPECT_EQ(after.clippingMode, before.clippingMode);
    EXPECT_EQ(bound(h), (MAP_COORDRECT{0, 0, 2000, 1000}));

    // A new file that cannot be read is one more error; nothing changes.
    const auto [n2, t2] = raised([&] {
        Raster_Set(window, h, path("missing.png").c_str(), "PNG", 5, 5, 1000, 2000, 10000, 127, 127, 1, 1, 0);
    });
    EXPECT_EQ(n2, 1052);
    EXPECT_EQ(t2, "Wrong file name or file format");
    EXPECT_EQ(std::string(data(h).fileName), wide);

    // A raster without a loaded image cannot be set.
    OBJHANDLE empty = 0;
    ASSERT_EQ(map_RasterCreate2(window, &empty, wide.c_str(), "PNG", 0, 0, 10, 10, 1, 1, 0, 0, 0), 1);
    EXPECT_EQ(Raster_Set(window, empty, wide.c_str(), "PNG", 0, 0, 10, 10, 10000, 1, 1, 1, 1, 0), 0);
}

TEST_F(WindowRastersTest, NewFileNamesLoadThroughThePlainModuleName)
{
    const OBJHANDLE h = createWide(2000, 1000);
    const std::string square = save("square.png", Gradient(30, 30), "PNG");
    EXPECT_EQ(Raster_Set_New_Filename(window, h, square.c_str(), "../png"), 0);
    EXPECT_EQ(Raster_Set_New_Filename(window, h, square.c_str(), "/usr/lib/x"), 0);
    EXPECT_EQ(Raster_Set_New_Filename(window, h, path("missing.png").c_str(), "PNG"), 0);
    EXPECT_EQ(std::string(data(h).fileName), wide);
    int32_t w = 0;
    ASSERT_TRUE(RasterObjectPixelSize(kernel, h, &w, nullptr));
    EXPECT_EQ(w, 1000);
    // The module name is found ignoring case.
    EXPECT_EQ(Raster_Set_New_Filename(window, h, square.c_str(), "png"), 1) << RasterConverterLastError();
    EXPECT_EQ(std::string(data(h).fileName), square);
    EXPECT_EQ(std::string(data(h).formatName), "png");
    ASSERT_TRUE(RasterObjectPixelSize(kernel, h, &w, nullptr));
    EXPECT_EQ(w, 30);
    EXPECT_EQ(RasterImageCount(kernel), 2u); // the old image is gone
}

// Damaged, truncated, empty, renamed, huge and missing files, a folder and
// names longer than their fields: a clear error, nothing made or changed.
TEST_F(WindowRastersTest, BadFilesAndNamesChangeNothing)
{
    QFile f(QString::fromStdString(wide));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray png = f.readAll();
    QByteArray huge = png;
    const qsizetype ihdr = huge.indexOf("IHDR");
    const char size[8] = {0, 1, char(0x86), char(0xA0), 0, 1, char(0x86), char(0xA0)};
    huge.replace(ihdr + 4, 8, QByteArray(size, 8));
    QByteArray noise(3000, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char(i * 7919 % 251);
    const std::string files[] = {write("cut.png", png.left(png.size() / 3)),
                                 write("noise.png", noise),
                                 write("empty.png", {}),
                                 write("renamed.jpg", png),
                                 write("huge.png", huge),
                                 path("missing.png"),
                                 dir.path().toStdString()};
    const char *formats[] = {"PNG", "PNG", "PNG", "JPG", "PNG", "PNG", "PNG"};
    const size_t before = members();
    for (size_t i = 0; i < std::size(files); ++i) {
        SCOPED_TRACE(files[i]);
        OBJHANDLE h = 0;
        const auto [number, text] = raised([&] {
            map_raster_Create(window, &h, files[i].c_str(), formats[i], RASTER_NOT_GIVEN, RASTER_NOT_GIVEN,
                              RASTER_NOT_GIVEN, RASTER_NOT_GIVEN, 0, 0, 0, 1, 1, 0);
        });
        EXPECT_EQ(number, 1050);
        EXPECT_EQ(text.rfind("Wrong file name or file format: ", 0), 0u) << text;
        EXPECT_GT(text.size(), std::string("Wrong file name or file format: ").size());
        EXPECT_EQ(map_RasterCreate(window, &h, files[i].c_str(), formats[i], RASTER_NOT_GIVEN,
                                   RASTER_NOT_GIVEN, RASTER_NOT_GIVEN, RASTER_NOT_GIVEN, 1, 1, 0, 0, 1),
                  0);
        EXPECT_FALSE(RasterConverterLastError().empty());
        EXPECT_EQ(h, 0u);
    }
    EXPECT_EQ(members(), before);

    const std::string longName = "/" + std::string(127, 'n');
    const std::string longFormat(40, 'P');
    EXPECT_EQ(raised([&] {
                  OBJHANDLE h = 0;
                  map_raster_Create(window, &h, longName.c_str(), "PNG", 0, 0, 10, 10, 0, 0, 0, 1, 1, 0);
              }).first,
              1050);
    OBJHANDLE h = 0;
    EXPECT_EQ(map_RasterCreate(window, &h, wide.c_str(), longFormat.c_str(), 0, 0, 10, 10, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(map_RasterCreate2(window, &h, longName.c_str(), "PNG", 0, 0, 10, 10, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(members(), before);

    const OBJHANDLE kept = createWide(2000, 1000);
    const RasterObjectData was = data(kept);
    EXPECT_EQ(raised([&] {
                  Raster_Set(window, kept, longName.c_str(), "PNG", 1, 1, 10, 10, 10000, 1, 1, 0, 0, 0);
              }).first,
              1050);
    EXPECT_EQ(std::memcmp(&was, RasterObjectLock(kernel, kept), sizeof was), 0);
    EXPECT_EQ(Raster_Set_New_Filename(window, kept, longName.c_str(), "PNG"), 0);
    EXPECT_EQ(std::memcmp(&was, RasterObjectLock(kernel, kept), sizeof was), 0);
}

} // namespace
