// Drawing rasters: lazy loading, the raster cache and its count, the folder
// of rasters named in the settings, the crossed frame of a missing image,
// and picture-server rasters fetched for the view.
#include "tests/engine/view/raster/raster_fixture.h"

#include "engine/editing/display_pass.h"
#include "engine/view/projection/projection_manager.h"
#include "engine/view/projection/projection_module.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "tests/engine/view/raster/picture_server.h"
#include "tests/support/http_test_server.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdlib>

#include <thread>
#include <vector>

namespace {

constexpr QRgb kRed = qRgb(255, 0, 0);

class RasterDisplayTest : public RasterTest {
protected:
    void SetUp() override
    {
        RasterTest::SetUp();
        if (HasFatalFailure())
            return;
        green = writeImage("green.png", SolidImage(8, 8, qRgb(0, 200, 0)));
    }

    bool isColour(QRgb pixel, QRgb wanted) { return (pixel & 0xFFFFFF) == (wanted & 0xFFFFFF); }

    std::string green;
};

TEST_F(RasterDisplayTest, DrawingLoadsTheImageAndStretchesItIntoPlace)
{
    // Window pixels 100..200 across and 100..200 down.
    const OBJHANDLE h = makeRaster(green, "PNG", {10000, 10000, 20000, 20000});
    EXPECT_FALSE(loaded(h));
    ASSERT_EQ(draw(h), 1);
    EXPECT_TRUE(loaded(h));
    EXPECT_EQ(rec.rasterLoaded, 1);
    const QImage s = surface();
    EXPECT_TRUE(isColour(s.pixel(150, 150), qRgb(0, 200, 0)));
    EXPECT_FALSE(isColour(s.pixel(250, 150), qRgb(0, 200, 0)));
    // The colour table of an indexed image is put back after drawing.
    QImage indexed(4, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 255), qRgb(255, 255, 0)});
    indexed.fill(1);
    const OBJHANDLE i = makeRaster(writeImage("indexed.png", indexed), "PNG", {25000, 10000, 30000, 15000});
    ASSERT_EQ(draw(i), 1);
    const HGLOBAL header = RasterObjectHeaderBlock(kernel, i);
    const auto *p = static_cast<const uint8_t *>(GlobalLock(header));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[40 + 4 * 1 + 0], 0);   // blue of yellow
    EXPECT_EQ(p[40 + 4 * 1 + 2], 255); // red of yellow
    GlobalUnlock(header);
    EXPECT_TRUE(isColour(surface().pixel(275, 175), qRgb(255, 255, 0)));
}

TEST_F(RasterDisplayTest, TheDrawingLoopDrawsRastersWithTheirLayer)
{
    const OBJHANDLE h = makeRaster(green, "PNG", {10000, 10000, 20000, 20000});
    const OBJHANDLE missing = makeRaster(imagePath("nowhere.png"), "PNG", {25000, 10000, 35000, 20000});
    const HDC dc = GetDC(window);
    EXPECT_EQ(SetOfObjectsDisplay(&rec, dc, layer, 0, nullptr, nullptr, 0, 0), 1);
    ReleaseDC(window, dc);
    EXPECT_TRUE(loaded(h));
    EXPECT_FALSE(loaded(missing));
    const QImage s = surface();
    EXPECT_TRUE(isColour(s.pixel(150, 150), qRgb(0, 200, 0)));
    // The missing one is a frame with its diagonals in the layer's colour.
    EXPECT_EQ(s.pixel(300, 150), s.pixel(250, 150));
    EXPECT_NE(s.pixel(300, 150), s.pixel(280, 150));
}

TEST_F(RasterDisplayTest, AMissingFileIsDrawnAsACrossedFrame)
{
    const OBJHANDLE h = makeRaster(imagePath("nowhere.png"), "PNG", {10000, 10000, 20000, 20000});
    ASSERT_EQ(draw(h), 1);
    EXPECT_FALSE(loaded(h));
    EXPECT_EQ(rec.rasterLoaded, 0);
    const QImage s = surface();
    EXPECT_TRUE(isColour(s.pixel(100, 150), kRed)); // left edge
    EXPECT_TRUE(isColour(s.pixel(150, 100), kRed)); // top edge
    EXPECT_TRUE(isColour(s.pixel(150, 150), kRed)); // where the diagonals cross
    EXPECT_TRUE(isColour(s.pixel(130, 130), kRed));
    EXPECT_FALSE(isColour(s.pixel(130, 150), kRed));

    // A half image (a header without pixels) whose file is gone goes too.
    HGLOBAL header = 0;
    ASSERT_EQ(RasterImportByConverter(green.c_str(), "PNG", &header, nullptr, nullptr), 1);
    const OBJHANDLE half = makeRaster(imagePath("gone.png"), "PNG", {0, 0, 5000, 5000});
    ASSERT_EQ(RasterObjectSetImages(kernel, half, header, 0), 1);
    ASSERT_EQ(draw(half), 1);
    EXPECT_EQ(RasterObjectHeaderBlock(kernel, half), 0u);
    EXPECT_EQ(RasterImageCount(kernel), 0u);

    // A loaded image without a visible frame draws no frame.
    const OBJHANDLE g = makeRaster(green, "PNG", {25000, 10000, 35000, 20000});
    ASSERT_EQ(draw(g), 1);
    EXPECT_FALSE(isColour(surface().pixel(250, 150), kRed));
}

// Selected: the corners go into the vertex bitmap (out again with 0x20)
// and the four marks are inverted just inside the corners.
TEST_F(RasterDisplayTest, SelectionMarksAndVertexBits)
{
    const OBJHANDLE h = makeRaster(green, "PNG", {10000, 10000, 20000, 20000});
    ASSERT_EQ(draw(h), 1);
    const QImage before = surface();
    ASSERT_EQ(draw(h, RASTER_MODE_VERTICES | 0x0008), 1);
    for (const POINT c : {POINT{100, 100}, POINT{200, 100}, POINT{100, 200}}) {
        EXPECT_EQ(VertexBitmapTest(&rec, c.x, c.y), 1) << c.x << "," << c.y;
    }
    EXPECT_EQ(VertexBitmapTest(&rec, 150, 150), 0);
    const QImage marked = surface();
    EXPECT_NE(marked.pixel(103, 103), before.pixel(103, 103)); // top-left mark
    EXPECT_NE(marked.pixel(195, 195), before.pixel(195, 195)); // bottom-right mark
    EXPECT_EQ(marked.pixel(150, 150), before.pixel(150, 150));
    ASSERT_EQ(draw(h, RASTER_MODE_VERTICES | RASTER_MODE_UNSET_VERTICES), 1);
    EXPECT_EQ(VertexBitmapTest(&rec, 100, 100), 0);
}

TEST_F(RasterDisplayTest, WithTheCacheOffAnInvisibleRasterIsNeverLoaded)
{
    const OBJHANDLE h = makeRaster(green, "PNG", {0, 0, 10000, 10000}, 0);
    draw(h);
    EXPECT_FALSE(loaded(h));
    RastersManagement(&rec, 1);
    draw(h);
    EXPECT_TRUE(loaded(h));
}

// Limit 8, keep 3: nine rasters loaded and a tenth to draw.
TEST_F(RasterDisplayTest, TheCacheDropsRastersOutsideTheViewFirst)
{
    struct Case {
        int outside;
        int countAfter;
        std::vector<bool> keptBefore; // of the nine, after the tenth is drawn
    };
    const Case cases[] = {
        {0, 4, {false, false, false, false, false, false, true, true, true}},
        {2, 8, {false, false, true, true, true, true, true, true, true}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.outside);
        ResetRasters(window, 0);
        RastersManagement(&rec, 1);
        std::vector<OBJHANDLE> rasters;
        for (int i = 0; i < 10; ++i) {
            const int32_t x = i < c.outside ? 100000 + i * 1000 : i * 1000;
            rasters.push_back(makeRaster(green, "PNG", {x, 0, x + 500, 500}));
        }
        for (int i = 0; i < 9; ++i)
            draw(rasters[size_t(i)]);
        ASSERT_EQ(rec.rasterLoaded, 9);
        draw(rasters[9]);
        EXPECT_TRUE(loaded(rasters[9]));
        EXPECT_EQ(rec.rasterLoaded, c.countAfter);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(loaded(rasters[size_t(i)]), c.keptBefore[size_t(i)]) << i;
        for (OBJHANDLE h : rasters)
            OBJectDelete(kernel, h);
        EXPECT_EQ(RasterLoadedCount(window), 0);
    }
}

TEST_F(RasterDisplayTest, ResetRastersDropsEveryImageAndCountsThem)
{
    const OBJHANDLE a = makeRaster(green, "PNG", {0, 0, 1000, 1000});
    const OBJHANDLE b = makeRaster(green, "PNG", {2000, 0, 3000, 1000});
    makeRaster(imagePath("nowhere.png"), "PNG", {4000, 0, 5000, 1000});
    draw(a);
    draw(b);
    ASSERT_EQ(rec.rasterLoaded, 2);
    EXPECT_EQ(ResetRasters(window, 0), 2);
    EXPECT_EQ(rec.rasterLoaded, 0);
    EXPECT_FALSE(loaded(a));
    EXPECT_EQ(RasterImageCount(kernel), 0u);
}

TEST_F(RasterDisplayTest, TheRasterDirectoryAndItsSubfoldersAreSearchedWithTheCacheOn)
{
    const QString folder = QString::fromStdString(imagePath("rasters"));
    writeImage("rasters/ab/abc.png", SolidImage(4, 4, qRgb(0, 0, 200)));
    writeImage("rasters/direct.png", SolidImage(4, 4, qRgb(0, 0, 200)));
    ASSERT_EQ(m_RegValueSet("Settings", "RasterDirectory", folder.toLocal8Bit().constData()), 1);
    const OBJHANDLE sub = makeRaster("C:\\maps\\old\\abc.png", "PNG", {0, 0, 1000, 1000});
    const OBJHANDLE direct = makeRaster("/elsewhere/direct.png", "PNG", {0, 0, 1000, 1000});
    draw(sub);
    EXPECT_FALSE(loaded(sub)); // the cache is off: only the stored path
    RastersManagement(&rec, 1);
    draw(sub);
    draw(direct);
    EXPECT_TRUE(loaded(sub));
    EXPECT_TRUE(loaded(direct));
    // Only files count: a folder of the name is no candidate.
    QDir().mkpath(folder + "/xy/xyz.png");
    const OBJHANDLE dir = makeRaster("/elsewhere/xyz.png", "PNG", {0, 0, 1000, 1000});
    draw(dir);
    EXPECT_FALSE(loaded(dir));
}

// Picture-server rasters against a server on the loopback address, through
// the stand-in client of the test modules, which asks for the bounds and
// size the engine hands it.
class PictureServerRasterTest : public RasterDisplayTest {
protected:
    void SetUp() override
    {
        RasterDisplayTest::SetUp();
        if (HasFatalFailure())
            return;
        if (useStandIn)
            useModuleFolder({"wms"});
        ASSERT_GT(server.port(), 0);
        // The map in angles: 36000 units to the degree.
        rec.displayView->projection.baseKind = CS_SPHERIC;
        rec.displayView->projection.baseUnit = 6;
    }

    MAP_COORDRECT clientMap()
    {
        RECT client{};
        GetClientRect(window, &client);
        MAP_COORDRECT m{};
        PM_WindowToMapRect(rec.displayView, &client, &m);
        return m;
    }

    bool useStandIn = true;
    PictureServer server{qRgb(0, 0, 255)};
};

// The same through the "wms.cnv" this build makes, when it makes one.
class BuiltPictureServerModuleTest : public PictureServerRasterTest {
protected:
    void SetUp() override
    {
        useStandIn = false;
        PictureServerRasterTest::SetUp();
    }
};

TEST_F(PictureServerRasterTest, ThePictureIsFetchedForTheViewAndAgainAfterAZoom)
{
    const OBJHANDLE h = makeRaster(server.base(), "WMS", {0, 0, 1, 1});
    ASSERT_EQ(draw(h), 1);
    ASSERT_TRUE(loaded(h)) << RasterConverterLastError();
    EXPECT_EQ(bound(h), clientMap());
    ASSERT_EQ(server.requests().size(), 1u);
    const QUrlQuery first = server.requests()[0];
    EXPECT_EQ(first.queryItemValue("WIDTH"), "400");
    EXPECT_EQ(first.queryItemValue("HEIGHT"), "300");
    const QStringList box = first.queryItemValue("BBOX").split(',');
    ASSERT_EQ(box.size(), 4);
    EXPECT_NEAR(box[0].toDouble(), 0.0, 1e-4);
    EXPECT_NEAR(box[2].toDouble(), 40000 / 36000.0, 1e-4);
    EXPECT_NEAR(box[3].toDouble(), 30000 / 36000.0, 1e-4);
    EXPECT_TRUE(isColour(surface().pixel(200, 150), qRgb(0, 0, 255)));

    // The same view keeps the picture.
    draw(h);
    EXPECT_EQ(server.requests().size(), 1u);

    // Zoomed in, the picture is fetched anew for the new view.
    setView({10000, 10000, 30000, 25000}, 0.02);
    draw(h);
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(bound(h), clientMap());
    const QStringList box2 = server.requests()[1].queryItemValue("BBOX").split(',');
    ASSERT_EQ(box2.size(), 4);
    EXPECT_NEAR(box2[0].toDouble(), 10000 / 36000.0, 1e-4);
    EXPECT_NEAR(box2[1].toDouble(), 10000 / 36000.0, 1e-4);
    EXPECT_TRUE(loaded(h));
}

// A map in plain metres without a projection has no place on the globe:
// nothing is asked, the raster covers the view as a crossed frame.
TEST_F(PictureServerRasterTest, AMapWithoutGeographicMeaningFetchesNothing)
{
    rec.displayView->projection.baseKind = CS_CARTESIAN;
    rec.displayView->projection.baseUnit = 4;
    const OBJHANDLE h = makeRaster(server.base(), "WMS", {0, 0, 1, 1});
    ASSERT_EQ(draw(h), 1);
    EXPECT_FALSE(loaded(h));
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(bound(h), clientMap());
}

// A drawing thread does not change the store nor tell the window's owner:
// the raster's new bounds wait for the window's own thread.
TEST_F(PictureServerRasterTest, BoundsSetByADrawingOnAnotherThreadAreQueuedForTheWindowsThread)
{
    rec.displayView->projection.baseKind = CS_CARTESIAN; // nothing is fetched
    rec.displayView->projection.baseUnit = 4;
    const OBJHANDLE h = makeRaster(server.base(), "WMS", {0, 0, 1, 1});
    const MAP_COORDRECT before = bound(h);
    ASSERT_NE(before, clientMap());
    int result = 0;
    std::thread drawing([&] { result = draw(h); });
    drawing.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(bound(h), before);
    QCoreApplication::processEvents();
    EXPECT_EQ(bound(h), clientMap());
}

// A map in metres of a grid: the view's corners go through the window's
// projection, and the picture is asked for in degrees.
TEST_F(PictureServerRasterTest, AProjectedMapAsksForItsViewInDegrees)
{
    ASSERT_EQ(m_RegValueSet("Projections", "tm", "tm.so"), 1);
    ProjectionTag &t = rec.displayView->projection;
    ASSERT_EQ(ProjMan_LoadProjection("tm.so", &t), 1);
    t.baseKind = CS_CARTESIAN;
    t.baseUnit = 4; // metres of the grid
    t.baseDatum = 0;
    t.transformedKind = CS_SPHERIC;
    t.transformedUnit = 8; // thousandths of a second
    t.transformedDatum = 0;
    ProjMan_UpdateScales(&t, ProjMan_SetBackwardAndForwardFunctions(&t));
    ASSERT_EQ(t.StringBasedSetup(t.hInstanceData, "UTM 33N"), 1);
    // The view shows 15 E 50 N and a little more: 40000 x 30000 thousandths
    // of a second.
    setView({54000000, 180000000, 54040000, 180030000}, 0.01);

    const OBJHANDLE h = makeRaster(server.base(), "WMS", {0, 0, 1, 1});
    ASSERT_EQ(draw(h), 1);
    ASSERT_TRUE(loaded(h)) << RasterConverterLastError();
    EXPECT_EQ(bound(h), clientMap());
    EXPECT_GT(bound(h).x1, 400000); // grid metres, not degrees
    ASSERT_EQ(server.requests().size(), 1u);
    const QStringList box = server.requests()[0].queryItemValue("BBOX").split(',');
    ASSERT_EQ(box.size(), 4);
    EXPECT_NEAR(box[0].toDouble(), 15.0, 1e-4);
    EXPECT_NEAR(box[1].toDouble(), 50.0, 1e-4);
    EXPECT_NEAR(box[2].toDouble(), 15.0 + 40000 / 3600000.0, 1e-4);
    EXPECT_NEAR(box[3].toDouble(), 50.0 + 30000 / 3600000.0, 1e-4);
}

TEST_F(BuiltPictureServerModuleTest, ThePictureIsFetchedAnewAfterAZoom)
{
    if (!QFile::exists(QString(MAP_MODULES_DIR) + "/wms.cnv"))
        GTEST_SKIP() << "this build makes no wms.cnv";
    const OBJHANDLE h = makeRaster(server.base(), "WMS", {0, 0, 1, 1});
    ASSERT_EQ(draw(h), 1);
    ASSERT_TRUE(loaded(h)) << RasterConverterLastError();
    EXPECT_EQ(bound(h), clientMap());
    EXPECT_TRUE(isColour(surface().pixel(200, 150), qRgb(0, 0, 255)));
    draw(h);
    EXPECT_EQ(server.requests().size(), 1u);
    setView({10000, 10000, 30000, 25000}, 0.02);
    draw(h);
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(bound(h), clientMap());
    EXPECT_TRUE(loaded(h));
    // Each request asks for the view it was made for.
    const std::vector<QUrlQuery> asked = server.requests();
    ASSERT_EQ(asked.size(), 2u);
    for (const QUrlQuery &q : asked) {
        EXPECT_EQ(q.queryItemValue("BBOX").split(',').size(), 4) << q.toString().toStdString();
        EXPECT_GT(q.queryItemValue("WIDTH").toInt(), 0);
        EXPECT_GT(q.queryItemValue("HEIGHT").toInt(), 0);
        EXPECT_EQ(q.queryItemValue("LAYERS"), "test") << "the stored parameters are kept";
    }
    EXPECT_NE(asked[0].queryItemValue("BBOX"), asked[1].queryItemValue("BBOX"));
}

// The built "wms.cnv" over HTTPS: a server with a certificate of its own,
// trusted through MAP_CA_FILE, serves the picture the drawing shows.
TEST_F(BuiltPictureServerModuleTest, ThePictureComesOverHttps)
{
    if (!QFile::exists(QString(MAP_MODULES_DIR) + "/wms.cnv"))
        GTEST_SKIP() << "this build makes no wms.cnv";
    QTemporaryDir folder;
    QString certificate, key;
    ASSERT_TRUE(folder.isValid() && HttpTestServer::MakeCertificate(folder.path(), &certificate, &key));
    HttpTestServer::Options options;
    options.certificate = certificate;
    options.key = key;
    options.colour = QStringLiteral("FF8000");
    HttpTestServer secure(options);
    ASSERT_TRUE(secure.Running());
    setenv("MAP_CA_FILE", certificate.toLocal8Bit().constData(), 1);
    const OBJHANDLE h = makeRaster(secure.Url("/wms?LAYERS=test&FORMAT=image/png"), "WMS", {0, 0, 1, 1});
    const int drawn = draw(h);
    unsetenv("MAP_CA_FILE");
    ASSERT_EQ(drawn, 1);
    ASSERT_TRUE(loaded(h)) << RasterConverterLastError();
    EXPECT_TRUE(isColour(surface().pixel(200, 150), qRgb(0xFF, 0x80, 0x00)));
    const QStringList asked = secure.Requests();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("WIDTH=400"))) << asked[0].toStdString();
}

} // namespace
