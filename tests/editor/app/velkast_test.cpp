// The Velkast program started as a user starts it: its first start
// registers the control and lists the projection modules, the switch for
// measuring ends it after the first painted map with its start-up pause on
// standard output, and a document named on the command line opens.
#include "editor/shell/main/first_run.h"
#include "editor/shell/map/tpmap.h"
#include "editor/shell/support/data_folders.h"
#include "editor/shell/support/reg_link.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class VelkastTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("MAP_REGISTRY_DIR", dir.path() + "/registry");
        environment.insert("MAP_PROFILE_DIR", dir.path() + "/profiles");
        environment.insert(kEditorFoldersVariable, dir.path() + "/folders");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        // Registry reads of this process see the program's registry.
        setenv("MAP_REGISTRY_DIR", (dir.path() + "/registry").toLocal8Bit().constData(), 1);
        setenv("MAP_PROFILE_DIR", (dir.path() + "/profiles").toLocal8Bit().constData(), 1);
    }
    void TearDown() override
    {
        unsetenv("MAP_REGISTRY_DIR");
        unsetenv("MAP_PROFILE_DIR");
    }

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run Start(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(VELKAST_PROGRAM, arguments);
        Run run;
        if (!process.waitForStarted(30000) || !process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            run.err = "did not finish";
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }
    QString Log() const
    {
        QFile f(dir.path() + "/folders/state/" + kEditorFolderTail + "Orvane.log");
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }

    QTemporaryDir dir;
    QProcessEnvironment environment;
};

TEST_F(VelkastTest, FirstStartRegistersAndReportsItsPause)
{
    for (int start = 1; start <= 2; ++start) {
        const Run run = Start({"--exit-after-first-paint"});
        ASSERT_EQ(run.exitCode, 0) << "start " << start << ": " << run.err.toStdString();
        const QRegularExpression line("^startup-pause-ms (\\d+\\.\\d)\\n$");
        const QRegularExpressionMatch match = line.match(run.out);
        ASSERT_TRUE(match.hasMatch()) << run.out.toStdString();
        // The single-shot timer of 1000 ms; coarse timers may fire 5 % early.
        EXPECT_GE(match.captured(1).toDouble(), 950.0);
        EXPECT_NE(RegisteredServerOf(kMapControlClsid), "");
        const TRegLink projections(HKEY_CURRENT_USER, kProjectionsKey);
        EXPECT_EQ(projections.GetString("tm.so", ""), "tm.so");
        EXPECT_EQ(projections.GetString("utm.so", ""), "utm.so");
        EXPECT_EQ(projections.ValueNames().size(), 2u) << "listed once";
    }
}

TEST_F(VelkastTest, OpensTheDocumentNamedOnTheCommandLine)
{
    ASSERT_EQ(Start({"--help"}).exitCode, 0);
    // The first start registers the control; this process then writes a
    // document with it.
    ASSERT_EQ(Start({"--exit-after-first-paint"}).exitCode, 0);
    const std::string document = (dir.path() + "/fixture.mpd").toStdString();
    {
        QWidget tab;
        TPMap map(&tab);
        ASSERT_TRUE(map.Save(document));
    }
    const Run run = Start({"--exit-after-first-paint", QString::fromStdString(document)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString log = Log();
    EXPECT_TRUE(log.contains(QString::fromStdString("InstallMap(" + document + ")"))) << log.toStdString();
    EXPECT_FALSE(log.contains("Failed to open file")) << log.toStdString();
    // Closed as the user closes it: the lock is gone, the recent files
    // kept.
    EXPECT_FALSE(QFile::exists(dir.path() + "/fixture.lck"));
    EXPECT_TRUE(log.contains("Saving MRU List ...")) << log.toStdString();
}

TEST_F(VelkastTest, NewMapsFindTheTemplatesThatShipWithTheProgram)
{
    // The moved folders hold no templates: the program's own serve, and no
    // box is shown.
    const Run run = Start({"--exit-after-first-paint"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("Error:")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("Information:")) << run.err.toStdString();
    const QString log = Log();
    EXPECT_TRUE(log.contains("Page template : ")) << log.toStdString();
    EXPECT_FALSE(log.contains("Page template not")) << log.toStdString();
}

TEST_F(VelkastTest, WithoutAReadableTemplateTheFirstPaintSwitchStillEnds)
{
    const QString common = dir.path() + "/folders/common/" + kEditorFolderTail;
    ASSERT_TRUE(QDir().mkpath(common));
    QFile bad(common + "P.mpd");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a template");
    bad.close();
    const Run run = Start({"--exit-after-first-paint"});
    // The box's text goes to standard error, nobody has to answer it, and
    // the program ends with a failure: no map was painted.
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("could not be read")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("No map could be made.")) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}

} // namespace
