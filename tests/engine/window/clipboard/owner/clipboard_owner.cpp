// A program that copies a map selection to the clipboard of an X display
// and has a second program (xclip) read it while its own event loop serves
// the render requests:
//   clipboard_owner <folder>
// It writes what xclip read under the folder ("targets", "text", "png",
// "native", "svg") and "renders", the render requests counted after each
// read, one line each ("targets 0" ...). Exit 0 when every read ran.
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/settings.h"
#include "engine/window/clipboard/clipboard_copy.h"
#include "engine/window/window_points.h"
#include "engine/window/window_selection.h"
#include "engine/window/wndres.h"
#include "platform/clipboard.h"
#include "platform/window.h"
#include "platform/window_messages.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

int renders = 0;

// The reads, in order: the output file and xclip's target.
const std::vector<std::pair<QString, QString>> kReads = {
    {"targets", "TARGETS"},
    {"text", "text/plain"},
    {"png", "image/png"},
    {"native", QString::fromStdString(ClipboardMimeType(RegisterClipboardFormatA(kNativeClipboardFormat)))},
    {"svg", "image/svg+xml"},
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: clipboard_owner <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    InitGraphClasses(0);
    _WNDRES rec;
    WndRes_Constructor(&rec);
    const HWND window = CreateHeadlessWindow([](HWND w, UINT msg, WPARAM wp, LPARAM) -> LRESULT {
        if (msg != WM_RENDERFORMAT)
            return 0;
        ++renders;
        return DstrEditRenderCopy(w, UINT(wp), 0);
    });
    SetClientSize(window, 400, 300);
    WndRes_AttachToWindow(&rec, window, 1);
    SettingsStringSet(rec.settingsKey, "Settings", "Copied Bitmap Width", "300");
    SettingsStringSet(rec.settingsKey, "Settings", "Copied Metafile Width", "5");
    const MAP_COORDPT points[] = {{0, 0}, {4000, 0}, {4000, 2000}, {0, 2000}};
    OBJHANDLE polygon = 0;
    map_polygon_Create(window, &polygon, points, 4, 0);
    map_selection_Set(window, &polygon, 1, 0, COLORREF(-1), -1, -1, 0, 0, -1, 1, 0);
    if (DstrEditCopy(window, COPY_SELECTION) != 1) {
        std::fprintf(stderr, "the copy failed\n");
        return 1;
    }

    QFile report(folder + "/renders");
    if (!report.open(QIODevice::WriteOnly))
        return 1;
    QTextStream out(&report);
    int failures = 0;
    size_t next = 0;
    QProcess xclip;
    // The owner's event loop runs while xclip reads: it is what answers.
    std::function<void()> readNext = [&] {
        if (next == kReads.size()) {
            app.quit();
            return;
        }
        xclip.start("xclip", {"-o", "-selection", "clipboard", "-t", kReads[next].second});
    };
    QObject::connect(&xclip, &QProcess::finished, &app, [&](int code, QProcess::ExitStatus status) {
        QFile file(folder + "/" + kReads[next].first);
        if (file.open(QIODevice::WriteOnly))
            file.write(xclip.readAllStandardOutput());
        out << kReads[next].first << ' ' << renders << '\n';
        if (code != 0 || status != QProcess::NormalExit) {
            ++failures;
            std::fprintf(stderr, "xclip -t %s: %s\n", qPrintable(kReads[next].second),
                         xclip.readAllStandardError().constData());
        }
        ++next;
        QTimer::singleShot(0, &app, readNext);
    });
    QObject::connect(&xclip, &QProcess::errorOccurred, &app, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            std::fprintf(stderr, "xclip cannot be started\n");
            app.exit(1);
        }
    });
    QTimer::singleShot(60000, &app, [&] {
        std::fprintf(stderr, "the reads took too long\n");
        xclip.kill();
        app.exit(1);
    });
    QTimer::singleShot(0, &app, readNext);
    const int result = app.exec();
    out.flush();
    DestroyWindow(window);
    WndRes_Destructor(&rec);
    return result != 0 ? result : (failures ? 1 : 0);
}
