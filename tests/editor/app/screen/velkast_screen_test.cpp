// Velkast started on a display of its own (an Xvfb that the test starts
// through xvfb-run) on a document with one filled polygon; a screenshot of
// the whole screen, taken from outside with ImageMagick's import, shows the
// maximised window, its menu bar, the map tab and the polygon's fill. The
// screenshot is kept in the build folder.
#include "editor/shell/map/tpmap.h"
#include "editor/shell/support/data_folders.h"
#include "tests/support/x_display.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

#ifdef VELKAST_PROGRAM

// The fill colour of the fixture's polygon (0x00BBGGRR for the control).
constexpr QRgb kFill = qRgb(0xC8, 0x1E, 0xA0);
constexpr int32_t kFillForControl = 0xA01EC8;
constexpr int kScreenWidth = TestXDisplay::kWidth;
constexpr int kScreenHeight = TestXDisplay::kHeight;

bool Near(QRgb a, QRgb b, int tolerance = 6)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

int CountNear(const QImage &image, QRgb colour, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += Near(image.pixel(x, y), colour) ? 1 : 0;
    return count;
}

class VelkastScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QStringList missing = TestXDisplay::MissingTools();
        if (!missing.isEmpty())
            GTEST_FAIL() << missing.join(' ').toStdString() << " missing: scripts/setup.sh installs it";
        ASSERT_TRUE(dir.isValid());
        environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("MAP_REGISTRY_DIR", dir.path() + "/registry");
        environment.insert("MAP_PROFILE_DIR", dir.path() + "/profiles");
        environment.insert(kEditorFoldersVariable, dir.path() + "/folders");
        setenv("MAP_REGISTRY_DIR", (dir.path() + "/registry").toLocal8Bit().constData(), 1);
        setenv("MAP_PROFILE_DIR", (dir.path() + "/profiles").toLocal8Bit().constData(), 1);
    }
    void TearDown() override
    {
        if (velkast.state() != QProcess::NotRunning) {
            velkast.kill();
            velkast.waitForFinished(10000);
        }
        display.Stop();
        unsetenv("MAP_REGISTRY_DIR");
        unsetenv("MAP_PROFILE_DIR");
    }

    // Starts the X server; its display and authority go into the
    // environment of the programs started afterwards.
    void StartDisplay()
    {
        const std::string error = display.Start(environment);
        ASSERT_EQ(error, "");
        environment = display.Environment();
    }

    // The whole screen as the X server shows it. The display has a window
    // manager (openbox), as a desktop has, so that the window can be maximised.
    QImage Screenshot(const QString &file) { return display.Screenshot(file); }

    // The fixture: one polygon on a layer with a solid fill, written by the
    // real control that Velkast's first start registered.
    std::string MakeFixture()
    {
        const std::string document = (dir.path() + "/fixture.mpd").toStdString();
        QWidget tab;
        TPMap map(&tab);
        const IKrtObject layer = map.NewLayer("Fill", 100);
        map.SetLayerFill(layer, kFillForControl, 0, 1);
        const IKrtPoly poly = IKrtPoly::New();
        for (auto [x, y] : {std::pair{0, 0}, {100000, 0}, {100000, 100000}, {0, 100000}})
            poly.Points().AddXY(x, y);
        poly.PutIsPolyline(false);
        EXPECT_TRUE(map.AddPoly(poly, layer));
        EXPECT_TRUE(map.Save(document));
        return document;
    }

    QTemporaryDir dir;
    QProcessEnvironment environment;
    TestXDisplay display;
    QProcess velkast;
};

TEST_F(VelkastScreen, ShowsTheMaximisedWindowWithTheDocumentsFill)
{
    // The first start (off screen) registers the control.
    {
        QProcess first;
        QProcessEnvironment offscreen = environment;
        offscreen.insert("QT_QPA_PLATFORM", "offscreen");
        first.setProcessEnvironment(offscreen);
        first.start(VELKAST_PROGRAM, {"--exit-after-first-paint"});
        ASSERT_TRUE(first.waitForFinished(120000));
        ASSERT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    }
    const std::string fixture = MakeFixture();
    ASSERT_FALSE(HasFailure());

    // The map is drawn the default way, by the control's drawing thread.
    StartDisplay();
    ASSERT_FALSE(HasFatalFailure());
    environment.insert("QT_QPA_PLATFORM", "xcb");
    velkast.setProcessEnvironment(environment);
    velkast.start(VELKAST_PROGRAM, {QString::fromStdString(fixture)});
    ASSERT_TRUE(velkast.waitForStarted(30000));

    // Wait for the first painted map: the fill shows on the screen. Only
    // screenshots tell, so they are taken until it does, a quarter of a
    // second apart unless the program ends; the bound only keeps a map that
    // never shows from hanging the test, however loaded the machine.
    const QString shotFile = dir.path() + "/shot.png";
    QImage shot;
    const QRect screen(0, 0, kScreenWidth, kScreenHeight);
    bool filled = false;
    QElapsedTimer clock;
    clock.start();
    while (!filled && clock.elapsed() < 300000) {
        ASSERT_EQ(velkast.state(), QProcess::Running) << velkast.readAllStandardError().toStdString();
        shot = Screenshot(shotFile);
        filled = !shot.isNull() && CountNear(shot, kFill, screen.adjusted(0, 0, -1, -1)) > 2000;
        if (!filled)
            velkast.waitForFinished(250);
    }
    ASSERT_FALSE(shot.isNull());
    QFile::remove(SCREENSHOT_FILE);
    EXPECT_TRUE(shot.save(SCREENSHOT_FILE));
    ASSERT_TRUE(filled) << "the polygon's fill never showed; see " << SCREENSHOT_FILE;

    // Maximised: the window covers the screen; the server's black root shows
    // nowhere along the edges.
    int black = 0;
    for (int x = 0; x < kScreenWidth; x += 8)
        black += (shot.pixel(x, 0) & 0xFFFFFF) == 0 ? 1 : 0;
    for (int y = 0; y < kScreenHeight; y += 8)
        black += (shot.pixel(kScreenWidth - 1, y) & 0xFFFFFF) == 0 ? 1 : 0;
    EXPECT_EQ(black, 0);

    // The menu bar: near the top, below the window manager's title, rows
    // of light background with dark captions across the window's left part.
    int menuRows = 0;
    for (int y = 0; y < 80; ++y) {
        int light = 0, dark = 0;
        for (int x = 0; x < 450; ++x) {
            const int grey = qGray(shot.pixel(x, y));
            light += grey >= 0xD0 ? 1 : 0;
            dark += grey < 0x90 ? 1 : 0;
        }
        menuRows += light > 450 * 3 / 4 && dark > 3 ? 1 : 0;
    }
    EXPECT_GE(menuRows, 5) << "menu captions";

    // The fill lies in the map area: right of the left panel, below the
    // menus and tool bar, above the status bar.
    const QRect mapArea(400, 100, kScreenWidth - 400, kScreenHeight - 140);
    EXPECT_GT(CountNear(shot, kFill, mapArea), 2000);
    EXPECT_EQ(CountNear(shot, kFill, QRect(0, 0, kScreenWidth, 80)), 0) << "no fill over the menus";
    EXPECT_EQ(CountNear(shot, kFill, QRect(0, 0, 230, kScreenHeight)), 0) << "no fill over the layer list";
}

#else

TEST(VelkastScreen, NeedsTheProgram) { GTEST_SKIP() << "the build has no Velkast"; }

#endif

} // namespace
