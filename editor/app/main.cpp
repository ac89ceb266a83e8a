// The editor program Velkast: makes sure of what its first run sets up (the
// map control's registration, the engine's projection modules), creates the
// main window and its forms and runs the message loop.
//
// Switches:
//   --exit-after-first-paint  exit (code 0) once the first map has been
//                             painted, after printing one line on standard
//                             output: "startup-pause-ms <milliseconds>", the
//                             time the main window's start-up timer waited
//                             before its work began. The window then closes
//                             as it would for the user (locks cleared).
//                             Nobody answers message boxes then: their
//                             texts go to standard error and their default
//                             buttons answer. When no map could be made
//                             (its page template missing), the program
//                             exits with code 1 instead, after its box.
//   --help                    print the switches and exit.
// Any other argument is handed to the main window (a map document, "id=...").
#include "editor/shell/main/first_run.h"
#include "editor/shell/main/main_form.h"
#include "editor/shell/main/test_readout.h"
#include "editor/shell/map/krt_control.h"

#include "platform/message_box.h"
#include "platform/text_codec.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char *kExitAfterFirstPaint = "--exit-after-first-paint";

// Exceptions that reach the message loop are logged and shown; the program
// goes on.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;
    TfrmMain *MainForm = nullptr;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &e) {
            if (MainForm)
                MainForm->AppException(e.what());
        } catch (...) {
            if (MainForm)
                MainForm->AppException("Unknown exception");
        }
        return false;
    }
};

std::vector<std::string> SplitList(const std::string &text)
{
    std::vector<std::string> items;
    for (const QString &item : QString::fromStdString(text).split(',', Qt::SkipEmptyParts))
        items.push_back(item.toStdString());
    return items;
}

} // namespace

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    QApplication::setApplicationName("ORV");

    bool exitAfterFirstPaint = false;
    std::vector<std::string> arguments;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == kExitAfterFirstPaint) {
            exitAfterFirstPaint = true;
        } else if (args[i] == "--help") {
            std::printf("Usage: Velkast [%s] [document.mpd] [id=identifier]\n", kExitAfterFirstPaint);
            return 0;
        } else {
            arguments.push_back(ToWindows1252(args[i]));
        }
    }

    // The control's library beside the program, in the library folder of
    // an installation or of the build tree.
    const std::string programFolder = QApplication::applicationDirPath().toStdString();
    std::vector<std::string> candidates = {programFolder + "/libKrtMap.so",
                                           programFolder + "/../lib/libKrtMap.so"};
#ifdef VELKAST_BUILD_CONTROL
    candidates.push_back(VELKAST_BUILD_CONTROL);
#endif
    if (EnsureControlRegistered(kMapControlClsid, candidates) == TRegistrationResult::Failed)
        return 1;
#ifdef VELKAST_PROJECTION_MODULES
    EnsureProjectionModules(SplitList(VELKAST_PROJECTION_MODULES));
#endif

    if (exitAfterFirstPaint)
        SetMessageBoxHook([](const MessageBoxRequest &request) {
            std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
            return DefaultMessageBoxAnswer(request.type);
        });

    TfrmMain frmMain(arguments);
    app.MainForm = &frmMain;
    frmMain.CreateForms();
    std::function<void()> firstPaintReport;
    int exitCode = 0;
    if (exitAfterFirstPaint)
        firstPaintReport = [&frmMain, &exitCode] {
            if (!frmMain.CurrentMap()) {
                std::fprintf(stderr, "No map could be made.\n");
                exitCode = 1;
            } else {
                std::printf("startup-pause-ms %.1f\n", frmMain.StartupPauseMs());
                std::fflush(stdout);
            }
            // Closing as the user would clears the document's lock and keeps
            // the recent files; the loop ends with the last window.
            if (!frmMain.close())
                QApplication::exit(0);
        };
    frmMain.WhenFirstMapPainted(firstPaintReport);
    // Off unless MAP_EDITOR_TEST_READOUT names its file (test_readout.h); it
    // hears of the first paint before the report above.
    StartTestReadout(frmMain, firstPaintReport);
    frmMain.showMaximized();
    const int code = app.exec();
    app.MainForm = nullptr;
    return code != 0 ? code : exitCode;
}
