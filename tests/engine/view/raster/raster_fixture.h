// A map window for the raster tests: a page, a screen view showing map
// (0, 0)-(40000, 30000) in metres in 400 x 300 pixels (one pixel is 100 map
// units, window y = (30000 - map y) / 100), a folder of test images and
// helpers that make and draw rasters.
#pragma once

// First: the class table's headers use names that Qt's headers define as
// macros.
#include "tests/engine/window/window_fixture.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/raster_images.h"
#include "engine/kernel/settings.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/page.h"
#include "platform/dc.h"
#include "platform/global_memory.h"
#include "platform/window.h"
#include "platform/window_dc.h"

#include "raster_test_paths.h"
#include "test_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>

inline bool operator==(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

inline std::ostream &operator<<(std::ostream &os, const MAP_COORDRECT &r)
{
    return os << "(" << r.x1 << ", " << r.y1 << ", " << r.x2 << ", " << r.y2 << ")";
}

// A picture of one colour.
inline QImage SolidImage(int w, int h, QRgb colour)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

class RasterTest : public MapWindowTest {
protected:
    void SetUp() override
    {
        MapLibraryStartup(); // the marker bitmaps of the selection marks
        MapWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(WndRes_AttachToWindow(&rec, window, 1), 1);
        ASSERT_TRUE(images_.isValid());
        kernel = rec.kernel;
        layers = GetRootOBJect(window, CLASS_LAYERS);
        layer = GetActiveLayer(kernel, layers);
        ASSERT_NE(layer, 0u);
        PresentationManager *v = rec.displayView;
        PM_OnWndSize(v, window, 0, nullptr); // sizes the vertex bitmap
        setView({0, 0, 40000, 30000}, 0.01);
        v->projection.transformedUnit = 4; // metres
        blocksAtStart_ = GlobalBlockCount();
    }
    void TearDown() override
    {
        unsetenv("MAP_MODULES_DIR");
        MapWindowTest::TearDown();
    }

    void setView(const MAP_COORDRECT &world, double scale)
    {
        PresentationManager *v = rec.displayView;
        v->worldRect = world;
        v->displayRect = {0, 0, 400, 300};
        v->scale = scale;
        v->inverseScale = 1 / scale;
    }

    std::string imagePath(const QString &name) const { return (images_.path() + "/" + name).toStdString(); }

    // Saves the picture through Qt under the name; its full path.
    std::string writeImage(const QString &name, const QImage &image, const char *format = "PNG")
    {
        const std::string path = imagePath(name);
        QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
        EXPECT_TRUE(image.save(QString::fromStdString(path), format)) << path;
        return path;
    }

    std::string writeBytes(const QString &name, const QByteArray &bytes)
    {
        const std::string path = imagePath(name);
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    // A raster on the active layer: the names, the placement and switches.
    OBJHANDLE makeRaster(const std::string &file, const char *format, MAP_COORDRECT rect,
                         int imageVisible = 1, int frameVisible = 0)
    {
        const OBJHANDLE h = CreateOBJect(kernel, CLASS_BITMAP);
        EXPECT_NE(h, 0u);
        EXPECT_EQ(RasterObjectSetNames(kernel, h, file.c_str(), format), 1);
        RasterObjectData d = RasterRecordLoad(RasterObjectLock(kernel, h));
        d.imageVisible = imageVisible;
        d.frameVisible = frameVisible;
        RasterRecordStore(RasterObjectLock(kernel, h), d);
        SendOBJectMessage(kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&rect));
        EXPECT_NE(InsertLayerRef(kernel, h, layer), OBJ_INVALID);
        return h;
    }

    // Draws the raster into the window as the drawing loop does.
    int draw(OBJHANDLE h, uint16_t mode = 0, int offScreen = 0)
    {
        GraphDispl a{};
        a.mask = GD_LINECOLOR | GD_LINEWIDTH | GD_LINESTYLE;
        a.lineColor = RGB(255, 0, 0);
        a.lineWidth = 1;
        const HDC dc = GetDC(window);
        const int r =
            RasterObjectDisplay(offScreen, window, dc, h, uint16_t(mode | RASTER_MODE_FRAME_PASS), &a);
        ReleaseDC(window, dc);
        return r;
    }

    bool loaded(OBJHANDLE h)
    {
        return RasterObjectHeaderBlock(kernel, h) != 0 && RasterObjectPixelBlock(kernel, h) != 0;
    }

    MAP_COORDRECT bound(OBJHANDLE h)
    {
        _COORDRECT r{};
        SendOBJectMessage(kernel, 0, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
        return r;
    }

    RasterObjectData data(OBJHANDLE h) { return RasterRecordLoad(RasterObjectLock(kernel, h)); }

    QImage surface() { return GetWindowSurface(window); }

    // Loads converter modules from a folder of the test's own: links to the
    // built modules, then the stand-ins named.
    void useModuleFolder(std::initializer_list<const char *> standIns)
    {
        const QString folder = images_.path() + "/modules";
        QDir().mkpath(folder);
        for (const QString &m : QDir(MAP_MODULES_DIR).entryList({"*.cnv", "*.so"}, QDir::Files))
            QFile::link(QString(MAP_MODULES_DIR) + "/" + m, folder + "/" + m);
        for (const char *s : standIns) {
            QFile::remove(folder + "/" + s + ".cnv");
            ASSERT_TRUE(
                QFile::link(QString(RASTER_STANDIN_DIR) + "/" + s + ".cnv", folder + "/" + s + ".cnv"));
        }
        setenv("MAP_MODULES_DIR", folder.toLocal8Bit().constData(), 1);
    }

    OBJectKernel *kernel = nullptr;
    OBJHANDLE layers = 0;
    OBJHANDLE layer = 0;
    size_t blocksAtStart_ = 0;
    QTemporaryDir images_;
};
