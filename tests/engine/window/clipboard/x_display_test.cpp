// The clipboard seen by another program on a real X display: the owner
// program, started here under its own Xvfb, copies a selection and has
// xclip list the targets (nothing is rendered for that) and read the text,
// the PNG, the native stream and the SVG picture while its event loop
// serves the requests.
#include "engine/kernel/graph_object.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "platform/file.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ClipboardOnX, AnotherProgramListsTheTargetsThenReadsEachFormat)
{
    const QString xvfb = QStandardPaths::findExecutable("xvfb-run");
    if (xvfb.isEmpty() || QStandardPaths::findExecutable("xclip").isEmpty())
        GTEST_SKIP() << "xvfb-run or xclip is missing (scripts/setup.sh installs them)";
    QTemporaryDir dir;
    QProcess owner;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM"); // the X display, not offscreen
    env.remove("DISPLAY");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    env.insert("MAP_REGISTRY_DIR", dir.path() + "/registry");
    env.insert("MAP_PROFILE_DIR", dir.path() + "/profiles");
    env.insert("MAP_SYSTEM_PRINTERS", "0");
    owner.setProcessEnvironment(env);
    owner.setProcessChannelMode(QProcess::MergedChannels);
    owner.start(xvfb, {"-a", "-s", "-screen 0 800x600x24", MAP_CLIPBOARD_OWNER, dir.path()});
    // This process is not the owner: waiting here blocks nobody who answers.
    ASSERT_TRUE(owner.waitForFinished(120000)) << "the owner did not end";
    const std::string output = owner.readAll().toStdString();
    ASSERT_EQ(owner.exitCode(), 0) << output;

    std::map<std::string, int> renders;
    for (const QByteArray &line : contents(dir.path() + "/renders").split('\n'))
        if (const auto parts = line.split(' '); parts.size() == 2)
            renders[parts[0].toStdString()] = parts[1].toInt();
    EXPECT_EQ(renders["targets"], 0) << "listing the targets renders nothing";
    EXPECT_EQ(renders["text"], 1);
    EXPECT_EQ(renders["png"], 2);
    EXPECT_EQ(renders["native"], 3);
    EXPECT_EQ(renders["svg"], 4);

    const QByteArray targets = contents(dir.path() + "/targets");
    for (const char *target : {"text/plain", "UTF8_STRING", "image/png", "image/bmp", "image/svg+xml",
                               "application/x-map-format-KRT%20Gorm%205.0"})
        EXPECT_TRUE(targets.contains(target)) << target << " in\n" << targets.toStdString();

    EXPECT_TRUE(contents(dir.path() + "/text").startsWith("ObjClass:Polygon;"));
    EXPECT_TRUE(
        contents(dir.path() + "/text").endsWith("Number of Points: 4 Points: 0:0,4000:0,4000:2000,0:2000"));

    QImage png;
    ASSERT_TRUE(png.loadFromData(contents(dir.path() + "/png"), "PNG"));
    EXPECT_NEAR(png.width(), 300, 1) << "the copied bitmap width, fitted across";
    EXPECT_NEAR(png.height(), 150, 2);

    const QByteArray native = contents(dir.path() + "/native");
    MemoryFile stream(native.constData(), size_t(native.size()));
    OBJectKernel *kernel = nullptr;
    OBJHANDLE root = 0;
    ASSERT_EQ(ReadMapFromStream(0, stream, &root, &kernel, 0, nullptr), 1);
    int polygons = 0;
    for (OBJHANDLE h = 1; h < GetFirstFree(kernel); ++h)
        polygons += GetOBJectClassID(kernel, h) == CLASS_POLYGON;
    EXPECT_EQ(polygons, 1);
    KernelDelete(kernel);

    const QByteArray svg = contents(dir.path() + "/svg");
    QSvgRenderer picture(svg);
    EXPECT_TRUE(picture.isValid());
    EXPECT_TRUE(svg.contains("width=\"50mm\"")) << "5 cm";
}

} // namespace
