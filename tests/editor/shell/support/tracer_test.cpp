#include "editor/shell/support/global.h"
#include "editor/shell/support/save_dialog.h"
#include "editor/shell/support/tracer_form.h"

#include "comma_locale.h"
#include "message_hook.h"
#include "support_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

std::string ReadAll(const std::string &path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

TEST(FormatElapsedTest, FixedWithTwoDecimalsAndFiveDigits)
{
    struct Case {
        double seconds;
        const char *text;
    };
    const Case cases[] = {
        {1.5, "0001.50"},        {0, "0000.00"},       {0.004, "0000.00"},
        {12.346, "0012.35"},     {999.996, "1000.00"}, {1234.56, "1234.60"},
        {12345.678, "12346.00"}, {-1, "0000.00"},      {123456.0, "1.2346e+05"},
    };
    CommaLocale comma;
    EXPECT_TRUE(comma.active()) << "no locale with a decimal comma could be made";
    for (const Case &c : cases)
        EXPECT_EQ(FormatElapsed(c.seconds), c.text) << c.seconds;
}

class TracerTest : public SupportTest {
protected:
    TracerTest()
    {
        model.SetClock([this] { return now; });
        model.SetMessagePump([this] { ++pumps; });
        log = file("Orvane.log");
        model.OpenLog(log);
    }
    TTracerModel model;
    double now = 0;
    int pumps = 0;
    std::string log;
};

TEST_F(TracerTest, LinesHaveTimeKindIndentAndText)
{
    now = 1.5;
    model.TraceExit("Early()"); // an exit right after start keeps two blanks
    model.TraceEntry("TLayerList.Display()");
    model.TraceEntry("TPMap.AddLayer()");
    model.TraceExit("TPMap.AddLayer()");
    model.TraceNote("note");
    model.TraceText("text");
    std::vector<std::string> errors;
    model.SetErrorCallback([&](const std::string &t) { errors.push_back(t); });
    model.TraceError("bad");
    model.TraceProblem("odd"); // no problem callback set: only the line

    const Lines expected = {
        "0001.50  <  Exit  : Early()",
        "0001.50  >  Entry : TLayerList.Display()",
        "0001.50  >    Entry : TPMap.AddLayer()",
        "0001.50  <    Exit  : TPMap.AddLayer()",
        "0001.50  |    note",
        "0001.50       text",
        "0001.50  !    bad",
        "0001.50  *    odd",
    };
    EXPECT_EQ(model.Lines(), expected);
    EXPECT_EQ(errors, Lines{"bad"});
    std::string file;
    for (const std::string &line : expected)
        file += line + "\r\n";
    EXPECT_EQ(ReadAll(log), file);
    EXPECT_EQ(pumps, int(expected.size())); // one pass of pending messages a line
}

TEST_F(TracerTest, SuspendedTracingWritesOnlyTheMarks)
{
    now = 2;
    model.TraceEntry("A()");
    model.ToggleTracing();
    EXPECT_FALSE(model.Tracing());
    model.TraceEntry("B()");
    model.TraceNote("hidden");
    model.TraceExit("B()");
    EXPECT_EQ(model.Indent(), "    ");
    now = 3.25;
    model.ToggleTracing();
    model.TraceExit("A()");
    const Lines expected = {"0002.00  >  Entry : A()",  "", "0002.00  TRACE SUSPENDED", "", "",
                            "0003.25  TRACE ACTIVATED", "", "0003.25  <  Exit  : A()"};
    EXPECT_EQ(model.Lines(), expected);
    EXPECT_EQ(model.Indent(), "  ");
}

TEST_F(TracerTest, UnwritableLogGetsFourAttempts)
{
    // The log's name now belongs to a folder: every open fails, even for root.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(log)));
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(log)));
    now = 1;
    model.TraceNote("lost");
    const Lines expected = {"0001.00  |  lost", "0001.00  |  lost ~", "0001.00  |  lost ~ ~",
                            "0001.00  |  lost ~ ~ ~"};
    EXPECT_EQ(model.Lines(), expected);
    EXPECT_EQ(pumps, 10 + 100 + 10000 + 1);
}

TEST_F(TracerTest, LinesKeepTheirBytesInTheLog)
{
    // Bytes Windows-1252 leaves undefined reach the log as they are; the
    // window shows them as best it can.
    TTracerForm form;
    form.Model().SetMessagePump({});
    form.Model().SetClock([] { return 0.0; });
    form.Model().OpenLog(log);
    form.Model().TraceText("\x81\x8D caf\xE9");
    EXPECT_EQ(ReadAll(log), "0000.00     \x81\x8D caf\xE9\r\n");
    EXPECT_TRUE(form.Memo()->toPlainText().endsWith(QString::fromUtf8(" caf\u00e9")));
}

TEST_F(TracerTest, WithoutALogNothingIsShown)
{
    TTracerModel bare;
    int calls = 0;
    bare.SetMessagePump([&] { ++calls; });
    bare.TraceNote("x");
    EXPECT_TRUE(bare.Lines().empty());
    EXPECT_EQ(calls, 1);
}

TEST_F(TracerTest, FourStartsKeepThreeGenerations)
{
    const std::string folder = root() + "/logs/";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    for (int run = 1; run <= 4; ++run) {
        TGlobal global;
        global.StartLog(folder);
        global.Tracer()->Model().SetMessagePump({});
        global.TraceText("run " + std::to_string(run));
        global.StopLog();
        if (run == 3) {
            EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList(QDir::Files).size(), 3);
        }
    }
    auto runOf = [&](const std::string &name) {
        const std::string text = ReadAll(folder + name);
        return text.size() >= 7 ? text.substr(text.size() - 7) : text;
    };
    EXPECT_EQ(runOf("Orvane.log"), "run 4\r\n");
    EXPECT_EQ(runOf("Orvane.log1"), "run 3\r\n");
    EXPECT_EQ(runOf("Orvane.log2"), "run 2\r\n");
    EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList(QDir::Files),
              QStringList({"Orvane.log", "Orvane.log1", "Orvane.log2"}));
}

TEST_F(TracerTest, TheWindowShowsHidesSavesAndClears)
{
    TTracerForm form;
    form.Model().SetMessagePump([] { QApplication::processEvents(); });
    form.Model().OpenLog(log);
    EXPECT_EQ(form.windowTitle(), "Tracer");
    EXPECT_FALSE(form.isVisible());
    form.Model().TraceNote("caf\xE9"); // Windows-1252 shown as Unicode
    form.show();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.Memo()->toPlainText().endsWith(QString::fromUtf8("caf\u00e9")));

    form.ActivateButton()->click();
    EXPECT_EQ(form.ActivateButton()->text(), "Resume");
    EXPECT_FALSE(form.Model().Tracing());
    form.ActivateButton()->click();
    EXPECT_EQ(form.ActivateButton()->text(), "Suspend");

    form.findChild<QPushButton *>("cmdHide")->click();
    EXPECT_FALSE(form.isVisible());
    form.Model().TraceNote("while hidden");
    EXPECT_TRUE(form.Memo()->toPlainText().endsWith("while hidden"));

    std::vector<SaveDialogRequest> asked;
    std::string answer = file("saved");
    SaveDialogHook old = SetSaveDialogHook([&](const SaveDialogRequest &r) -> std::optional<std::string> {
        asked.push_back(r);
        if (answer.empty())
            return std::nullopt;
        return answer;
    });
    ASSERT_TRUE(form.cmdSaveClick());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].proposedName, "Trace.txt");
    EXPECT_TRUE(asked[0].confirmOverwrite);
    std::string saved;
    for (const std::string &line : form.Model().Lines())
        saved += line + "\n";
    EXPECT_EQ(ReadAll(file("saved.rtf")), saved); // a name typed without extension
    answer.clear();
    EXPECT_FALSE(form.cmdSaveClick()); // cancelled
    SetSaveDialogHook(old);

    const std::string logBefore = ReadAll(log);
    form.findChild<QPushButton *>("cmdClear")->click();
    EXPECT_TRUE(form.Memo()->toPlainText().isEmpty());
    EXPECT_TRUE(form.Model().Lines().empty());
    EXPECT_EQ(ReadAll(log), logBefore);
    form.close();
}

} // namespace
