// The control on a real X display: a host program, started here under
// Xvfb, creates it by ProgID, opens a document, zooms and finds the map on
// the X screen equal to the engine's own paint of the view.
#include "control_fixture.h"

#include "engine/kernel/map_file.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

extern "C" HRESULT DllRegisterServer();
extern "C" HRESULT DllUnregisterServer();

namespace {

TEST_F(ControlTest, AHostUnderXvfbShowsTheEnginesPicture)
{
    const QString xvfb = QStandardPaths::findExecutable("xvfb-run");
    if (xvfb.isEmpty())
        GTEST_SKIP() << "xvfb-run is missing (scripts/setup.sh installs it)";
    QTemporaryDir dir;
    for (int i = 0; i < 40; ++i)
        Polygon({{i * 70, i * 60}, {i * 70 + 300, i * 60}, {i * 70 + 150, i * 60 + 250}});
    Polyline({{0, 0}, {2800, 2400}});
    const QString document = dir.path() + "/host.mpd";
    ASSERT_EQ(MapSave(hwnd(), document.toLocal8Bit().constData()), 1);
    ASSERT_EQ(DllRegisterServer(), S_OK);

    const QString folder = QFileInfo(MAP_CONTROL_HOST).absolutePath();
    const QString screen = folder + "/control_host_screen.png";
    const QString engine = folder + "/control_host_engine.png";
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM"); // the X display, not offscreen
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    host.setProcessEnvironment(env);
    host.setProcessChannelMode(QProcess::MergedChannels);
    host.start(xvfb, {"-a", "-s", "-screen 0 800x600x24", MAP_CONTROL_HOST, document, screen, engine});
    ASSERT_TRUE(host.waitForFinished(300000)) << "the host did not end";
    const QString output = QString::fromLocal8Bit(host.readAll());
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(QFileInfo::exists(screen));
    EXPECT_EQ(DllUnregisterServer(), S_OK);
}

} // namespace
