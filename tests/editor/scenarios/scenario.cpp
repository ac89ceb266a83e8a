#include "tests/editor/scenarios/scenario.h"

#include "editor/shell/main/first_run.h"
#include "editor/shell/main/test_readout.h"
#include "editor/shell/map/krt_control.h"
#include "editor/shell/map/krt_list.h"
#include "editor/shell/map/tpmap.h"
#include "editor/shell/support/data_folders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

// --- ReadOut -------------------------------------------------------------------

ReadOut::ReadOut(const QByteArray &text) : text_(text)
{
    const QStringList rows = QString::fromUtf8(text).split('\n');
    for (const QString &row : rows)
        if (!row.isEmpty())
            lines_.push_back(row.split('\t'));
    valid_ = !lines_.empty() && lines_.back().value(0) == "end";
}

int64_t ReadOut::Serial() const { return Line("serial").value(0).toLongLong(); }

QStringList ReadOut::Line(const QString &key) const
{
    for (const QStringList &line : lines_)
        if (line.value(0) == key)
            return line.mid(1);
    return {};
}

std::vector<QStringList> ReadOut::Lines(const QString &key) const
{
    std::vector<QStringList> found;
    for (const QStringList &line : lines_)
        if (line.value(0) == key)
            found.push_back(line.mid(1));
    return found;
}

QString ReadOut::Status(int panel) const
{
    for (const QStringList &line : Lines("status"))
        if (line.value(0).toInt() == panel)
            return line.value(1);
    return {};
}

QString ReadOut::TabCaption(int index) const
{
    for (const QStringList &line : Lines("tab"))
        if (line.value(0).toInt() == index)
            return line.value(1);
    return {};
}

QRect ReadOut::TabRect(int index) const
{
    for (const QStringList &line : Lines("tab"))
        if (line.value(0).toInt() == index)
            return RectAt(line, 2);
    return {};
}

QRect ReadOut::RectAt(const QStringList &fields, int first)
{
    if (fields.size() < first + 4)
        return {};
    return {fields[first].toInt(), fields[first + 1].toInt(), fields[first + 2].toInt(),
            fields[first + 3].toInt()};
}

std::optional<ReadOut::Control> ReadOut::Button(const QString &hint) const
{
    for (const QStringList &line : Lines("button"))
        if (line.value(1).startsWith(hint))
            return Control{line.value(1), RectAt(line, 2), line.value(6) == "1", line.value(7) == "1",
                           line.value(0).toInt()};
    return std::nullopt;
}

std::optional<ReadOut::Control> ReadOut::Menu(const QString &title) const
{
    for (const QStringList &line : Lines("menu"))
        if (line.value(0) == title)
            return Control{line.value(0), RectAt(line, 1), line.value(5) == "1", false, 0};
    return std::nullopt;
}

std::optional<ReadOut::Control> ReadOut::Item(const QString &text) const
{
    for (const QStringList &line : Lines("item")) {
        // The item's text may carry its shortcut after a tab, written as a blank.
        if (line.value(1).startsWith(text))
            return Control{line.value(1), RectAt(line, 2), line.value(6) == "1", line.value(7) == "1", 0};
    }
    return std::nullopt;
}

std::vector<ReadOut::Dialog> ReadOut::Dialogs() const
{
    std::vector<Dialog> dialogs;
    for (const QStringList &line : Lines("dialog"))
        dialogs.push_back({line.value(0), line.value(1), line.value(2)});
    return dialogs;
}

std::optional<ReadOut::Control> ReadOut::DialogButton(const QString &text) const
{
    for (const QStringList &line : Lines("dbutton"))
        if (line.value(0) == text)
            return Control{line.value(0), RectAt(line, 1), true, false, 0};
    return std::nullopt;
}

int Document::Count(int type) const
{
    int count = 0;
    for (const DocumentObject &object : objects)
        count += object.type == type ? 1 : 0;
    return count;
}

// --- Pixels --------------------------------------------------------------------

namespace {

bool Near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// SCENARIO_SCREENS_DIR moves them, for running one scenario several times
// at once.
QString ScreensFolder()
{
    const QString moved = qEnvironmentVariable("SCENARIO_SCREENS_DIR");
    return moved.isEmpty() ? QStringLiteral(SCENARIO_SCREENS) : moved;
}

} // namespace

int CountNear(const QImage &image, QRgb colour, const QRect &area, int tolerance)
{
    const QRect inside = area.intersected(image.rect());
    int count = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += Near(image.pixel(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

QRect BoundsOf(const QImage &image, QRgb colour, const QRect &area, int tolerance)
{
    const QRect inside = area.intersected(image.rect());
    QRect bounds;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (Near(image.pixel(x, y), colour, tolerance))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// --- Start-up ------------------------------------------------------------------

void VelkastScenario::SetUp()
{
    const QStringList missing = TestXDisplay::MissingTools({"xclip"});
    if (!missing.isEmpty())
        GTEST_FAIL() << missing.join(' ').toStdString() << " missing: scripts/setup.sh installs it";
    ASSERT_TRUE(dir_.isValid());
    dirPath_ = dir_.path();
    readout_ = dirPath_ + "/readout.txt";
    for (const char *sub : {"registry", "profiles", "folders", "home", "documents"})
        QDir(dirPath_).mkpath(sub);
    // The test's own process reads and writes documents through the
    // control, registered in the scenario's registry as Velkast would.
    setenv("MAP_REGISTRY_DIR", (dirPath_ + "/registry").toLocal8Bit().constData(), 1);
    setenv("MAP_PROFILE_DIR", (dirPath_ + "/profiles").toLocal8Bit().constData(), 1);
    ASSERT_NE(EnsureControlRegistered(kMapControlClsid, {MAP_REAL_CONTROL}), TRegistrationResult::Failed);
}

void VelkastScenario::TearDown()
{
    if (HasFailure() && velkast_.state() == QProcess::Running && !display_.Display().isEmpty()) {
        Screenshot("failure");
        if (qEnvironmentVariableIsSet("SCENARIO_HOLD_ON_FAILURE")) {
            std::printf("holding display %s\n", qPrintable(display_.Display()));
            std::fflush(stdout);
            velkast_.waitForFinished(-1);
        }
    }
    if (velkast_.state() != QProcess::NotRunning) {
        velkast_.kill();
        velkast_.waitForFinished(20000);
    }
    display_.Stop();
    if (HasFailure()) {
        std::printf("--- Velkast's output ---\n%s%s\n", velkast_.readAllStandardOutput().constData(),
                    velkast_.readAllStandardError().constData());
        std::printf("--- the last read-out ---\n%s\n", Current().Text().constData());
        // The scenario's folder stays for a look: documents, registry, logs.
        dir_.setAutoRemove(false);
        std::printf("--- kept: %s\n", dirPath_.toLocal8Bit().constData());
    }
    unsetenv("MAP_REGISTRY_DIR");
    unsetenv("MAP_PROFILE_DIR");
}

std::string VelkastScenario::Name() const
{
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

QString VelkastScenario::MakeDocument(const QString &name, const std::function<void(TPMap &)> &build)
{
    const QString file = dirPath_ + "/documents/" + name;
    QWidget tab;
    TPMap map(&tab);
    build(map);
    EXPECT_TRUE(map.Save(file.toStdString())) << file.toStdString();
    return file;
}

QString VelkastScenario::BlankDocument(const QString &name)
{
    return MakeDocument(name, [](TPMap &map) {
        const IKrtObject layer = map.NewLayer("Roads", 100);
        // The control takes colours as 0x00BBGGRR.
        const auto bgr = [](QRgb c) { return int32_t(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16); };
        map.SetLayerFill(layer, uint32_t(bgr(kFill)), 0, 1);
        map.SetLayerLineStyle(layer, 0, 3, bgr(kLine), 0);
        map.SetActiveLayer(layer);
    });
}

void VelkastScenario::Start(const QStringList &arguments, bool waitForMap)
{
    if (display_.Display().isEmpty()) {
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("MAP_REGISTRY_DIR", dirPath_ + "/registry");
        environment_.insert("MAP_PROFILE_DIR", dirPath_ + "/profiles");
        environment_.insert("HOME", dirPath_ + "/home");
        environment_.remove("XDG_CONFIG_HOME");
        environment_.remove("XDG_DATA_HOME");
        environment_.remove("XDG_DOCUMENTS_DIR");
        const std::string error = display_.Start(environment_);
        ASSERT_EQ(error, "") << "the X display did not start";
        environment_ = display_.Environment();
        environment_.insert("QT_QPA_PLATFORM", "xcb");
        environment_.insert(kTestReadoutVariable, readout_);
    }
    if (MoveFolders)
        environment_.insert(kEditorFoldersVariable, dirPath_ + "/folders");
    else
        environment_.remove(kEditorFoldersVariable);
    QFile::remove(readout_);
    endExpected_ = false;
    velkast_.setProcessEnvironment(environment_);
    velkast_.setWorkingDirectory(dirPath_);
    velkast_.start(VELKAST_PROGRAM, arguments);
    ASSERT_TRUE(velkast_.waitForStarted(60000));
    if (!waitForMap) {
        WaitFor("the read-out", [](const ReadOut &) { return true; });
        return;
    }
    WaitFor("the maximised window with its first map painted", [](const ReadOut &r) {
        return r.Painted() && r.Window().width() >= TestXDisplay::kWidth && !r.Map().isEmpty();
    });
}

void VelkastScenario::Quit()
{
    const bool expected = DialogsExpected;
    DialogsExpected = true;
    endExpected_ = true;
    ChooseMenu("File", "Exit");
    // A changed document asks first; the scenario saved what it wanted.
    WaitUntil("the program to end or ask", [this] {
        return velkast_.state() == QProcess::NotRunning || Current().DialogButton("No").has_value();
    });
    if (velkast_.state() != QProcess::NotRunning)
        AnswerDialog("No");
    WaitUntil("the program to end", [this] { return velkast_.state() == QProcess::NotRunning; });
    EXPECT_EQ(velkast_.exitStatus(), QProcess::NormalExit);
    DialogsExpected = expected;
    endExpected_ = false;
}

// --- Input ---------------------------------------------------------------------

void VelkastScenario::Xdotool(const QStringList &arguments)
{
    // A start that failed sent nothing, so it may be tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        QProcess xdotool;
        xdotool.setProcessEnvironment(environment_);
        xdotool.start("xdotool", arguments);
        if (!xdotool.waitForStarted(60000))
            continue;
        xdotool.waitForFinished(60000);
        if (xdotool.state() == QProcess::NotRunning && xdotool.exitStatus() == QProcess::NormalExit &&
            xdotool.exitCode() == 0)
            return;
        ADD_FAILURE() << "xdotool " << arguments.join(' ').toStdString() << ": exit code "
                      << xdotool.exitCode()
                      << (xdotool.exitStatus() == QProcess::CrashExit ? " (crashed) " : " ")
                      << xdotool.errorString().toStdString() << " "
                      << xdotool.readAllStandardError().toStdString();
        return;
    }
    ADD_FAILURE() << "xdotool did not start";
}

void VelkastScenario::MoveTo(QPoint p)
{
    // Where the program last saw the pointer (scenarios may also move it
    // with xdotool themselves): a move to the same place makes no event.
    if (Current().Mouse() == p)
        return;
    Xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
    WaitFor("the pointer at " + std::to_string(p.x()) + "," + std::to_string(p.y()),
            [p](const ReadOut &r) { return r.Mouse() == p; });
}

void VelkastScenario::Press(int button)
{
    const int64_t before = Current().Presses();
    Xdotool({"mousedown", QString::number(button)});
    WaitFor("the press", [before](const ReadOut &r) { return r.Presses() > before; });
}

void VelkastScenario::Release(int button)
{
    const int64_t before = Current().Releases();
    Xdotool({"mouseup", QString::number(button)});
    WaitFor("the release", [before](const ReadOut &r) { return r.Releases() > before; });
}

void VelkastScenario::Click(QPoint p, int button)
{
    MoveTo(p);
    const ReadOut before = Current();
    // One xdotool run: the release follows the press at once.
    Xdotool({"mousedown", QString::number(button), "mouseup", QString::number(button)});
    WaitFor("the click at " + std::to_string(p.x()) + "," + std::to_string(p.y()),
            [&before](const ReadOut &r) {
                return r.Presses() > before.Presses() && r.Releases() > before.Releases();
            });
}

void VelkastScenario::DoubleClick(QPoint p)
{
    MoveTo(p);
    const ReadOut before = Current();
    Xdotool({"click", "--repeat", "2", "--delay", "30", "1"});
    WaitFor("the double click", [&before](const ReadOut &r) {
        return r.Presses() >= before.Presses() + 2 && r.Releases() >= before.Releases() + 2;
    });
}

void VelkastScenario::Drag(QPoint from, QPoint to, int button)
{
    MoveTo(from);
    Press(button);
    // Through points between, as a hand moves, each seen by the program.
    constexpr int kSteps = 6;
    for (int i = 1; i <= kSteps; ++i)
        MoveTo(from + (to - from) * i / kSteps);
    Release(button);
}

void VelkastScenario::Wheel(QPoint at, int clicks)
{
    MoveTo(at);
    const int64_t before = Current().Wheels();
    const int button = clicks > 0 ? 4 : 5;
    const int count = std::abs(clicks);
    Xdotool({"click", "--repeat", QString::number(count), "--delay", "1", QString::number(button)});
    WaitFor("the wheel", [before, count](const ReadOut &r) { return r.Wheels() >= before + count; });
}

void VelkastScenario::Key(const QString &keys)
{
    const int64_t before = Current().Keys();
    const qsizetype count = keys.split(' ', Qt::SkipEmptyParts).size();
    QStringList arguments{"key"};
    arguments += keys.split(' ', Qt::SkipEmptyParts);
    Xdotool(arguments);
    WaitFor("the keys " + keys.toStdString(), [before, count](const ReadOut &r) {
        return r.Keys() >= before + count; // modifiers are keys of their own, so at least
    });
}

void VelkastScenario::Type(const QString &text)
{
    const int64_t before = Current().Keys();
    Xdotool({"type", "--delay", "1", text});
    WaitFor("the typed text", [before, &text](const ReadOut &r) { return r.Keys() >= before + text.size(); });
}

void VelkastScenario::ClickButton(const QString &hint)
{
    const ReadOut r = WaitFor("the button " + hint.toStdString(), [&hint](const ReadOut &r) {
        const auto button = r.Button(hint);
        return button && button->enabled;
    });
    Click(r.Button(hint)->rect.center());
}

ReadOut VelkastScenario::OpenMenu(const QString &menu)
{
    const ReadOut r = WaitFor("the menu " + menu.toStdString(), [&menu](const ReadOut &r) {
        const auto m = r.Menu(menu);
        return m && m->enabled;
    });
    Click(r.Menu(menu)->rect.center());
    return WaitFor("the menu " + menu.toStdString() + " open",
                   [](const ReadOut &r) { return !r.Lines("item").empty(); });
}

void VelkastScenario::ChooseMenu(const QString &menu, const QString &item)
{
    const ReadOut open = OpenMenu(menu);
    const auto entry = open.Item(item);
    ASSERT_TRUE(entry) << "no item \"" << item.toStdString() << "\" in the menu " << menu.toStdString()
                       << "\n"
                       << open.Text().toStdString();
    ASSERT_TRUE(entry->enabled) << "the item \"" << item.toStdString() << "\" is disabled";
    Click(entry->rect.center());
    WaitFor("the menu closed", [](const ReadOut &r) { return r.Lines("item").empty(); });
}

QPoint VelkastScenario::MapPoint(int dx, int dy) const { return Current().Map().topLeft() + QPoint(dx, dy); }

void VelkastScenario::DrawFigure(const QString &toolHint, const std::vector<QPoint> &points)
{
    ClickButton(toolHint);
    for (size_t i = 0; i + 1 < points.size(); ++i)
        Click(points[i]);
    // The figure is made while the double click is handled, so the read-out
    // that counted the click shows it.
    DoubleClick(points.back());
    WaitFor("the new figure selected", [](const ReadOut &r) { return r.Status(1).endsWith("(1)"); });
}

void VelkastScenario::SaveDocument(const QString &file)
{
    const QByteArray before = FileBytes(file);
    ChooseMenu("File", "Save");
    WaitUntil("the document saved", [&] {
        const QByteArray now = FileBytes(file);
        return !now.isEmpty() && now != before;
    });
}

// --- Waiting -------------------------------------------------------------------

ReadOut VelkastScenario::Current() const
{
    // The file is replaced whole; a read that meets no file (between the
    // program's writes, or before its first) gives an invalid snapshot.
    QFile file(readout_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadOut(file.readAll());
}

void VelkastScenario::Fail(const std::string &what)
{
    ADD_FAILURE() << what << "\n(scenario " << Name() << ")";
}

ReadOut VelkastScenario::WaitFor(const std::string &what,
                                 const std::function<bool(const ReadOut &)> &condition, int guardMs)
{
    ReadOut found;
    std::string failure;
    WaitUntil(
        what,
        [&] {
            const ReadOut r = Current();
            if (velkast_.state() == QProcess::NotRunning && !(endExpected_ && r.Valid())) {
                failure = "Velkast has ended (exit code " + std::to_string(velkast_.exitCode()) +
                          (velkast_.exitStatus() == QProcess::CrashExit ? ", crashed)" : ")");
                return true;
            }
            if (!r.Valid())
                return false;
            if (velkast_.state() == QProcess::NotRunning) {
                found = r; // it ended as the scenario asked: its last read-out
                return true;
            }
            if (!DialogsExpected && !r.Dialogs().empty()) {
                const ReadOut::Dialog d = r.Dialogs().front();
                failure = "an unexpected dialog (" + d.className.toStdString() + ") \"" +
                          d.title.toStdString() + "\": " + d.text.toStdString();
                return true;
            }
            if (!condition(r))
                return false;
            found = r;
            return true;
        },
        guardMs);
    if (!failure.empty()) {
        Fail("waiting for " + what + ": " + failure);
        throw std::runtime_error(failure); // the scenario cannot go on
    }
    if (!found.Valid())
        throw std::runtime_error("waiting for " + what);
    return found;
}

bool VelkastScenario::WaitUntil(const std::string &what, const std::function<bool()> &condition, int guardMs)
{
    // The read-out's folder changes with every write of the program; other
    // conditions (the clipboard, a saved file) are looked at again on each
    // change and at least every fifth of a second.
    QFileSystemWatcher watcher({dirPath_, dirPath_ + "/documents"});
    QEventLoop loop;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, &QEventLoop::quit);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start(200);
    QElapsedTimer guard;
    guard.start();
    while (!condition()) {
        if (velkast_.state() == QProcess::NotRunning && velkast_.exitStatus() == QProcess::CrashExit) {
            Fail("Velkast crashed while waiting for " + what);
            throw std::runtime_error("crash");
        }
        if (guard.elapsed() > guardMs) {
            Fail("gave up waiting for " + what + " after " + std::to_string(guardMs / 1000) + " s");
            throw std::runtime_error("waiting for " + what);
        }
        loop.exec();
    }
    return true;
}

ReadOut VelkastScenario::WaitForStatus(int panel, const std::function<bool(const QString &)> &condition)
{
    return WaitFor("status panel " + std::to_string(panel),
                   [panel, &condition](const ReadOut &r) { return condition(r.Status(panel)); });
}

ReadOut VelkastScenario::WaitForDialog(const QString &text)
{
    const bool expected = DialogsExpected;
    DialogsExpected = true;
    const ReadOut r = WaitFor("a dialog with \"" + text.toStdString() + "\"", [&text](const ReadOut &r) {
        for (const ReadOut::Dialog &d : r.Dialogs())
            if (d.title.contains(text) || d.text.contains(text))
                return true;
        return false;
    });
    DialogsExpected = expected;
    return r;
}

void VelkastScenario::AnswerDialog(const QString &buttonText)
{
    const bool expected = DialogsExpected;
    DialogsExpected = true;
    const ReadOut r =
        WaitFor("the dialog button " + buttonText.toStdString(),
                [&buttonText](const ReadOut &r) { return r.DialogButton(buttonText).has_value(); });
    // The windows as they were: answered, one goes (another may follow).
    const auto shown = [](const ReadOut &r) {
        QStringList texts;
        for (const ReadOut::Dialog &d : r.Dialogs())
            texts << d.className + d.title + d.text;
        return texts;
    };
    const QStringList before = shown(r);
    Click(r.DialogButton(buttonText)->rect.center());
    WaitUntil("the dialog answered", [&] {
        if (velkast_.state() == QProcess::NotRunning)
            return true;
        const ReadOut now = Current();
        return now.Valid() && shown(now) != before;
    });
    DialogsExpected = expected;
}

// --- Checks from outside -------------------------------------------------------

QImage VelkastScenario::Screenshot(const QString &name)
{
    QDir().mkpath(ScreensFolder());
    const QString file = ScreensFolder() + "/" + QString::fromStdString(Name()) + "-" + name + ".png";
    QFile::remove(file);
    const QImage image = display_.Screenshot(file);
    EXPECT_FALSE(image.isNull()) << "no screenshot " << file.toStdString();
    ++shots_;
    return image;
}

QImage VelkastScenario::WaitForScreen(const QString &name, const std::string &what,
                                      const std::function<bool(const QImage &)> &condition)
{
    QImage shot;
    WaitUntil(what + " on the screen", [&] {
        shot = Screenshot(name);
        return !shot.isNull() && condition(shot);
    });
    return shot;
}

QByteArray VelkastScenario::Clipboard(const QString &target) const
{
    QProcess xclip;
    xclip.setProcessEnvironment(environment_);
    xclip.start("xclip", {"-selection", "clipboard", "-o", "-t", target});
    if (!xclip.waitForFinished(60000) || xclip.exitCode() != 0)
        return {};
    return xclip.readAllStandardOutput();
}

Document VelkastScenario::ReadDocument(const QString &file) const
{
    Document document;
    QWidget tab;
    TPMap map(&tab);
    if (!map.Open(file.toStdString()))
        return document;
    document.opened = true;
    TMapEnumerator objects(map.Control().MapObjects());
    for (IKrtObject object = objects.Next(); object; object = objects.Next()) {
        const int type = object.ObjectType();
        if (type == otLayer || type == otPage || type == otGroup)
            continue;
        IKrtObject layerObject = map.GetObject(object.hLayer());
        if (!layerObject || map.IsPageOutlineLayer(layerObject) || map.IsPenParkingLayer(layerObject))
            continue;
        DocumentObject entry;
        entry.type = type;
        entry.layer = QString::fromStdString(map.LayerName(object.hLayer()));
        if (type == otPolyline || type == otPolygon) {
            const IKrtPoints points = object.Poly().Points();
            for (int32_t i = 0; i < points.Count(); ++i) {
                const IKrtPoint p = points.Item(i);
                entry.points.emplace_back(p.x(), p.y());
            }
        }
        const IKrtRect bounds = object.BoundingRectangle();
        if (bounds)
            entry.bounds =
                QRect(QPoint(bounds.left(), bounds.top()), QPoint(bounds.right(), bounds.bottom()));
        document.objects.push_back(entry);
    }
    return document;
}

QByteArray VelkastScenario::FileBytes(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}
