// The harness of the user scenarios: the optimised Velkast on an X display
// of its own (Xvfb through `xvfb-run -a`, openbox maximising the window),
// driven only through X input with xdotool and checked from outside.
//
// A scenario is a TEST_F of a fixture derived from VelkastScenario (or of
// VelkastScenario itself); each becomes a CTest test of its own
// ("scenario.<Fixture>.<Name>"), so that CTest runs them in parallel.
//
// Start-up
//   Every scenario gets a temporary folder (Dir()) holding its registry
//   (MAP_REGISTRY_DIR), profiles (MAP_PROFILE_DIR) and, unless MoveFolders
//   is set false before Start, the editor's folders (MAP_EDITOR_FOLDERS_DIR
//   = Dir()/folders). The map control is registered in that registry before
//   the scenario body runs, so the test may make documents with the control
//   (MakeDocument) and read saved ones back (ReadDocument).
//   Start(arguments) starts Velkast with the read-out on (its file is
//   Dir()/readout.txt; see editor/shell/main/test_readout.h for its lines)
//   and returns once the window is maximised and its first map painted
//   (or, with waitForMap false, once the read-out is there). Quit() ends it
//   as a user would; Start may then run it again on the same display.
//
// Input (each waits until the program has received it, never for a time)
//   MoveTo(p), Press(button), Release(button), Click(p) (press and release
//   with no delay between: a quick click), Drag(from, to), Wheel(p, clicks),
//   Key("ctrl+z"), Type("text"), ClickButton(hint) (a tool-bar button by its
//   hint), ChooseMenu("Edit", "Copy") (the title, then the item, clicked).
//   MapPoint(dx, dy) is a screen point dx, dy pixels from the current map
//   window's top-left corner.
//
// Waiting and reading
//   WaitFor(what, condition) waits until the read-out satisfies the
//   condition and returns it; WaitUntil(what, condition) waits for anything
//   else (a file, the clipboard). Both fail the scenario after a generous
//   guard (kGuardMs), saving a screenshot and the read-out, and they fail it
//   at once when the program has ended or a dialog shows that the scenario
//   did not ask for: its class, title and text are reported. A scenario that
//   expects a dialog calls WaitForDialog(text) and answers it with
//   AnswerDialog(buttonText).
//
// Checks from outside
//   Screenshot(name): the whole screen, kept as
//   <build>/scenario_screens/<Fixture>.<Name>-<name>.png; WaitForScreen
//   takes them until one shows what the scenario waits for.
//   Clipboard(target): the clipboard's data of a target, through xclip
//   (Clipboard("TARGETS") lists them).
//   ReadDocument(file): the objects of a saved document read back through
//   the map control in the test's own process; FileBytes(file) its bytes.
#pragma once

#include "tests/support/x_display.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TPMap;

// One snapshot of the program's test read-out.
class ReadOut {
public:
    ReadOut() = default;
    explicit ReadOut(const QByteArray &text);

    // A complete file was read (its last line is "end").
    bool Valid() const { return valid_; }
    int64_t Serial() const;
    // The fields after the key of the first line with that key; empty when
    // there is none.
    QStringList Line(const QString &key) const;
    // Every line with that key, without the key.
    std::vector<QStringList> Lines(const QString &key) const;

    QString Title() const { return Line("title").value(0); }
    QString Status(int panel) const;
    bool Painted() const { return Line("painted").value(0) == "1"; }
    QRect Window() const { return RectAt(Line("window"), 0); }
    // The current map's window on the screen; empty without one.
    QRect Map() const { return RectAt(Line("map"), 0); }
    int TabCount() const { return Line("tabs").value(0).toInt(); }
    int CurrentTab() const { return Line("tabs").value(1).toInt(); }
    QString TabCaption(int index) const;
    QRect TabRect(int index) const;
    int64_t Presses() const { return Line("inputs").value(0).toLongLong(); }
    int64_t Releases() const { return Line("inputs").value(1).toLongLong(); }
    int64_t Keys() const { return Line("inputs").value(2).toLongLong(); }
    int64_t Wheels() const { return Line("inputs").value(3).toLongLong(); }
    QPoint Mouse() const { return {Line("mouse").value(0).toInt(), Line("mouse").value(1).toInt()}; }
    QString Grab() const { return Line("grab").value(0); }

    struct Control {
        QString text; // hint of a button, caption of an item
        QRect rect;   // on the screen
        bool enabled = false;
        bool checked = false;
        int id = 0; // tool id of a button
    };
    // A visible tool-bar button whose hint starts with the text.
    std::optional<Control> Button(const QString &hint) const;
    std::optional<Control> Menu(const QString &title) const;
    // An item of an open menu, whose caption (shortcut text excluded)
    // starts with the text.
    std::optional<Control> Item(const QString &text) const;

    struct Dialog {
        QString className, title, text;
    };
    std::vector<Dialog> Dialogs() const;
    std::optional<Control> DialogButton(const QString &text) const;

    const QByteArray &Text() const { return text_; }

private:
    static QRect RectAt(const QStringList &fields, int first);

    QByteArray text_;
    std::vector<QStringList> lines_;
    bool valid_ = false;
};

// An object of a document as the control reads it.
struct DocumentObject {
    int type = 0; // otPolyline, otPolygon, ... (krt_control.h)
    QString layer;
    std::vector<QPoint> points; // of a polyline or polygon
    QRect bounds;               // bounding rectangle, map units
    bool operator==(const DocumentObject &) const = default;
};

struct Document {
    bool opened = false;
    // The objects on the document's own layers (the page outline and the
    // pen parking are left out).
    std::vector<DocumentObject> objects;
    int Count(int type) const;
    bool operator==(const Document &) const = default;
};

class VelkastScenario : public ::testing::Test {
public:
    // The colours of BlankDocument's layer: its fill, its lines.
    static constexpr QRgb kFill = qRgb(0xC8, 0x1E, 0xA0);
    static constexpr QRgb kLine = qRgb(0x10, 0x90, 0x20);

protected:
    static constexpr int kGuardMs = 120000;

    void SetUp() override;
    void TearDown() override;

    // --- Start-up ---
    const QString &Dir() const { return dirPath_; }
    // Set false before Start to leave the editor's folders where they are
    // (in the scenario's own HOME below Dir()).
    bool MoveFolders = true;
    // A document written by the control in the test's process: build adds
    // what it needs to the fresh map. Returns its file name (in
    // Dir()/documents).
    QString MakeDocument(const QString &name, const std::function<void(TPMap &)> &build);
    // A map with one layer, "Roads", active and selectable, whose polygons
    // are filled with kFill and whose lines are drawn in kLine, 3 pixels
    // wide: what the scenarios draw on.
    QString BlankDocument(const QString &name = "blank.mpd");
    void Start(const QStringList &arguments = {}, bool waitForMap = true);
    // Closes the window as the user would (File, Exit), answering No to a
    // question about saving, and waits for the program to end.
    void Quit();

    // --- Input ---
    void MoveTo(QPoint p);
    void Press(int button = 1);
    void Release(int button = 1);
    void Click(QPoint p, int button = 1);
    void DoubleClick(QPoint p);
    void Drag(QPoint from, QPoint to, int button = 1);
    void Wheel(QPoint at, int clicks); // positive: up (away from the user)
    void Key(const QString &keys);
    void Type(const QString &text);
    void ClickButton(const QString &hint);
    void ChooseMenu(const QString &menu, const QString &item);
    // Opens a menu and returns the read-out with its items shown; the menu
    // stays open (Key("Escape") closes it).
    ReadOut OpenMenu(const QString &menu);
    QPoint MapPoint(int dx, int dy) const;

    // --- What users do often ---
    // Draws with the tool bar's figure tool: clicks at each point but the
    // last, and a double click at the last, which ends the figure. Waits
    // until the new figure is the selection.
    void DrawFigure(const QString &toolHint, const std::vector<QPoint> &points);
    // File, Save; waits until the file's bytes changed.
    void SaveDocument(const QString &file);

    // --- Waiting ---
    ReadOut Current() const;
    ReadOut WaitFor(const std::string &what, const std::function<bool(const ReadOut &)> &condition,
                    int guardMs = kGuardMs);
    bool WaitUntil(const std::string &what, const std::function<bool()> &condition, int guardMs = kGuardMs);
    ReadOut WaitForStatus(int panel, const std::function<bool(const QString &)> &condition);
    ReadOut WaitForDialog(const QString &text);
    void AnswerDialog(const QString &buttonText);
    // Dialogs the scenario expects: WaitFor does not fail on them.
    bool DialogsExpected = false;

    // --- Checks from outside ---
    QImage Screenshot(const QString &name);
    // Takes screenshots until one satisfies the condition (the window is
    // drawn by a thread of its own, after the event that changed it); that
    // one is kept under the name and returned.
    QImage WaitForScreen(const QString &name, const std::string &what,
                         const std::function<bool(const QImage &)> &condition);
    QByteArray Clipboard(const QString &target) const;
    Document ReadDocument(const QString &file) const;
    static QByteArray FileBytes(const QString &file);
    QProcess &Program() { return velkast_; }

private:
    void Xdotool(const QStringList &arguments);
    void Fail(const std::string &what);
    std::string Name() const;

    QTemporaryDir dir_;
    QString dirPath_;
    QString readout_;
    TestXDisplay display_;
    QProcessEnvironment environment_;
    QProcess velkast_;
    bool endExpected_ = false; // Quit is under way
    int shots_ = 0;
};

// Screen pixels near a colour, within the rectangle.
int CountNear(const QImage &image, QRgb colour, const QRect &area, int tolerance = 24);
// The rectangle around the pixels near the colour; empty when none.
QRect BoundsOf(const QImage &image, QRgb colour, const QRect &area, int tolerance = 24);
