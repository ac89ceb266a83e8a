// Start-up of Velkast against a bare Qt program, on one X display that the
// benchmark starts (Xvfb through xvfb-run, with the openbox window manager).
// Each iteration launches both in turn: the bare program shows a
// QMainWindow and exits after its first paint; Velkast opens a fixture
// document (a copy of the portrait page template) and exits after its first
// painted map ("--exit-after-first-paint"). Velkast's start-up timer waits
// 1000 ms by design: the program reports the wait and it is subtracted.
// Reported: the medians of both and their ratio (target: at most 3).
//
// The same program is the bare Qt program when started with --bare-window.
#include "bench/support/bench_timing.h"
#include "editor_build_folders.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <vector>

namespace {

// Quits the application once the watched window has painted.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

int RunBareWindow(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Bare");
    FirstPaint watch;
    window.installEventFilter(&watch);
    window.showMaximized();
    return app.exec();
}

// The display, the editor's own registry and folders, and the fixture.
struct Setting {
    QTemporaryDir dir;
    QProcess xvfb;
    int displayHolder = 0;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString fixture;
    QString error;

    Setting()
    {
        environment.remove("DISPLAY");
        // A sanitized build: system libraries' leaks at exit are no failure.
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        environment.insert("MAP_REGISTRY_DIR", dir.path() + "/registry");
        environment.insert("MAP_PROFILE_DIR", dir.path() + "/profiles");
        environment.insert("MAP_EDITOR_FOLDERS_DIR", dir.path() + "/folders");
        fixture = dir.path() + "/fixture.mpd";
        if (!QFile::copy(EDITOR_BUILD_COMMON_DATA_DIR "P.mpd", fixture)) {
            error = "no page template in the build";
            return;
        }
        xvfb.setProcessEnvironment(environment);
        xvfb.start("xvfb-run",
                   {"-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp", "sh", "-c",
                    "openbox >/dev/null 2>&1 & echo \"$DISPLAY $XAUTHORITY $$\"; exec sleep 3600"});
        QByteArray line;
        for (int i = 0; i < 300 && !line.contains('\n') && xvfb.waitForStarted(10000); ++i) {
            xvfb.waitForReadyRead(100);
            line += xvfb.readAllStandardOutput();
        }
        const QStringList parts = QString::fromLocal8Bit(line).trimmed().split(' ');
        if (parts.size() != 3) {
            error = "xvfb-run did not start (xvfb, xauth and openbox come from scripts/setup.sh)";
            return;
        }
        environment.insert("DISPLAY", parts[0]);
        environment.insert("XAUTHORITY", parts[1]);
        environment.insert("QT_QPA_PLATFORM", "xcb");
        displayHolder = parts[2].toInt();
        // The first start registers the control and lists the modules.
        double pause = 0;
        QProcessEnvironment onScreen = environment;
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        const bool started = Launch(VELKAST_PROGRAM, {"--exit-after-first-paint"}, &pause) >= 0;
        environment = onScreen;
        if (!started)
            error = "Velkast did not start";
    }
    ~Setting()
    {
        if (displayHolder > 0)
            ::kill(displayHolder, SIGTERM);
        xvfb.waitForFinished(20000);
    }

    // Milliseconds from the start to the end of the program; -1 when it
    // failed. pauseMs receives Velkast's reported start-up pause.
    double Launch(const QString &program, const QStringList &arguments, double *pauseMs)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        QElapsedTimer clock;
        clock.start();
        process.start(program, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        const double elapsed = double(clock.nsecsElapsed()) / 1e6;
        if (pauseMs) {
            const QRegularExpressionMatch m =
                QRegularExpression("startup-pause-ms (\\d+(\\.\\d+)?)")
                    .match(QString::fromLocal8Bit(process.readAllStandardOutput()));
            if (!m.hasMatch())
                return -1;
            *pauseMs = m.captured(1).toDouble();
        }
        return elapsed;
    }
};

QString SelfProgram;

void BM_StartupAgainstBareQt(benchmark::State &state)
{
    static Setting setting;
    if (!setting.error.isEmpty()) {
        state.SkipWithError(setting.error.toStdString().c_str());
        return;
    }
    std::vector<double> editor, bare, pauses;
    for (auto _ : state) {
        const double b = setting.Launch(SelfProgram, {"--bare-window"}, nullptr);
        double pause = 0;
        const double e =
            setting.Launch(VELKAST_PROGRAM, {"--exit-after-first-paint", setting.fixture}, &pause);
        if (b < 0 || e < 0) {
            state.SkipWithError("a program failed");
            return;
        }
        bare.push_back(b);
        editor.push_back(e - pause);
        pauses.push_back(pause);
        state.SetIterationTime((e - pause) / 1000.0);
    }
    const double editorMedian = MedianOf(editor);
    const double bareMedian = MedianOf(bare);
    state.counters["velkast_ms"] = editorMedian;
    state.counters["bare_qt_ms"] = bareMedian;
    state.counters["pause_ms"] = MedianOf(pauses);
    state.counters["ratio"] = bareMedian > 0 ? editorMedian / bareMedian : 0;
}
BENCHMARK(BM_StartupAgainstBareQt)->UseManualTime()->Iterations(11)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--bare-window")
        return RunBareWindow(argc, argv);
    QCoreApplication app(argc, argv); // for QProcess
    SelfProgram = QCoreApplication::applicationFilePath();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
