#include "documents_fixture.h"

#include "editor/shell/documents/document_files.h"
#include "editor/shell/support/file_routines.h"
#include "editor/shell/support/paths.h"

#include <QApplication>
#include <QMouseEvent>

#include <set>

namespace {

constexpr double kSecond = 1.0 / 86400.0;

class Saving : public DocumentsTest {};
class SavingOnBoth : public DocumentsTest {};
class Closing : public DocumentsTest {};

INSTANTIATE_TEST_SUITE_P(Fake, Saving, ::testing::Values(ControlKind::Fake), KindName);
INSTANTIATE_TEST_SUITE_P(Kinds, SavingOnBoth, ::testing::ValuesIn(ControlKinds()), KindName);
INSTANTIATE_TEST_SUITE_P(Fake, Closing, ::testing::Values(ControlKind::Fake), KindName);

// Only the document (and its lock) lie in the folder: no temporary file
// stays behind.
QStringList FolderFiles(const std::string &folder)
{
    return QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST_P(SavingOnBoth, SaveReplacesTheDocumentAndKeepsItsName)
{
    const std::string doc = MakeDocument("map.mpd");
    QFile::setPermissions(QString::fromStdString(doc),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    AnsweringBoxes boxes;
    documents->InstallMap(doc);
    ASSERT_EQ(Active().Info().FullName, doc);
    const std::string before = ReadAll(doc);
    Map().NewLayer("Roads", 100);
    Map().SetModified(true);
    EXPECT_TRUE(documents->SaveMap(false));
    EXPECT_FALSE(Map().IsModified());
    EXPECT_EQ(Map().FileName, doc);
    EXPECT_NE(ReadAll(doc), before) << "the new content was written";
    const QFileDevice::Permissions modeBits =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
        QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther |
        QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(QString::fromStdString(doc)) & modeBits,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup)
        << "the document keeps its permissions";
    EXPECT_EQ(FolderFiles(folder), (QStringList{"map.lck", "map.mpd"}));
    EXPECT_EQ(host.tools, std::vector<uint8_t>{201});
    EXPECT_EQ(host.progress, (std::vector<bool>{true, false}));
    EXPECT_TRUE(boxes.texts.empty());

    // The pen-parking layer carries the save stamp.
    const IKrtObject parking = Map().GetLayerByNumber(99);
    ASSERT_TRUE(parking);
    EXPECT_NE(parking.SecondaryID().find(" : Version 5.61"), std::string::npos);

    // What was saved reads back.
    documents->InstallMap(doc + "");
    EXPECT_EQ(pages->TabCount(), 2);
    EXPECT_TRUE(Map().ReadOnly) << "the first tab holds the lock";
    if (!IsFake()) {
        EXPECT_TRUE(Map().GetLayerByName("Roads"));
    }
}

TEST_P(Saving, FailedSaveLeavesTheDocumentByteIdentical)
{
    enum class How { HalfWritten, ControlThrows, FolderNotWritable };
    struct Case {
        const char *name;
        How how;
        bool network;
    };
    const Case cases[] = {
        {"half written", How::HalfWritten, false},
        {"half written, network", How::HalfWritten, true},
        {"control throws", How::ControlThrows, false},
        {"control throws, network", How::ControlThrows, true},
        {"folder not writable", How::FolderNotWritable, false},
        {"folder not writable, network", How::FolderNotWritable, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        documents->IsNetworkFolderOf = [&](const std::string &) { return c.network; };
        const std::string doc = MakeDocument(std::string(c.name) + ".mpd");
        const std::string good = "FakeKrt map document\nobjects 7 (the user's work)\n";
        WriteAll(doc, good);
        AnsweringBoxes boxes;
        documents->InstallMap(doc);
        Map().SetModified(true);
        bool saved = true;
        if (c.how == How::HalfWritten) {
            Map().Control().PutBool("FakeSaveFails", true);
            saved = documents->SaveMap(false);
        } else if (c.how == How::ControlThrows) {
            Map().Control().Call("FakeFailNext", {VariantFromLong(1099), VariantFromString("disk gone")});
            saved = documents->SaveMap(false);
        } else {
            QFile::setPermissions(QString::fromStdString(folder),
                                  QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                      QFileDevice::ExeOther);
            {
                WithoutPrivileges nobody(dir.path().toStdString());
                saved = documents->SaveMap(false);
            }
            QFile::setPermissions(QString::fromStdString(folder),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(ReadAll(doc), good);
        EXPECT_TRUE(Map().IsModified());
        EXPECT_EQ(Map().FileName, doc);
        EXPECT_EQ(Active().Info().FullName, doc);
        EXPECT_EQ(host.progress.back(), false);
        EXPECT_FALSE(Exists(Global().LocalDataFolder() + "Scratch.mpd"));
        const QStringList files = FolderFiles(folder).filter(QString::fromStdString(c.name));
        EXPECT_EQ(files.size(), 2) << files.join(", ").toStdString(); // the document and its lock
        Map().Control().PutBool("FakeSaveFails", false);
    }
}

TEST_P(Saving, NetworkFolderGoesThroughTheScratchFile)
{
    std::vector<std::string> asked;
    documents->IsNetworkFolderOf = [&](const std::string &f) {
        asked.push_back(f);
        return true;
    };
    const std::string doc = MakeDocument("remote.mpd");
    WriteAll(doc, "FakeKrt map document\nold\n");
    AnsweringBoxes boxes;
    documents->InstallMap(doc);
    // The control writes the scratch file: look at it when the wrapper says
    // the save is done.
    struct Watch {
        std::string scratch;
        std::string written;
        void OnSaved(TPMap &) { written = ReadAll(scratch); }
    } watch{Global().LocalDataFolder() + "Scratch.mpd", {}};
    Map().Subscribe<&Watch::OnSaved>(meSaved, &watch);
    EXPECT_TRUE(documents->SaveMap(false));
    EXPECT_EQ(asked, std::vector<std::string>{folder});
    EXPECT_EQ(watch.written.rfind("FakeKrt map document\n", 0), 0u) << watch.written;
    EXPECT_EQ(ReadAll(doc), watch.written);
    EXPECT_FALSE(Exists(watch.scratch));
    EXPECT_EQ(Map().FileName, doc) << "not the scratch file";
    EXPECT_EQ(FolderFiles(folder), (QStringList{"remote.lck", "remote.mpd"}));
    Map().Registry.Unsubscribe(&watch);
}

TEST_P(Saving, SaveAsMovesTheLockAndMakesReadOnlyWritable)
{
    const std::string doc = MakeDocument("shared.mpd");
    const std::string other = folder + "mine.mpd";
    WriteAll(LockOf(doc), LockText(DayCountNow() - 10 * kSecond));
    AnsweringBoxes boxes;
    documents->InstallMap(doc);
    ASSERT_TRUE(Map().ReadOnly);
    const std::string before = ReadAll(doc);

    AnsweringSaveDialog dialog;
    dialog.answer = other;
    EXPECT_TRUE(documents->SaveMap(false)) << "Save of a read-only map is Save As";
    EXPECT_EQ(dialog.requests.size(), 1u);
    EXPECT_FALSE(Map().ReadOnly);
    EXPECT_EQ(Active().Info().FullName, other);
    // The tab shows the file's name, its tool tip the whole path.
    EXPECT_EQ(Active().Info().ShortName, "mine.mpd");
    EXPECT_EQ(pages->tabText(pages->currentIndex()).trimmed(), "mine.mpd");
    EXPECT_EQ(pages->tabToolTip(pages->currentIndex()).toStdString(), other);
    EXPECT_EQ(Map().FileName, other);
    EXPECT_EQ(ReadAll(doc), before);
    EXPECT_FALSE(Exists(LockOf(doc))) << "the old name's lock is cleared";
    EXPECT_TRUE(Exists(LockOf(other))) << "the new name is locked at once";
    EXPECT_EQ(pages->Bar().GlyphNumber(pages->currentIndex()), 1010);
    EXPECT_EQ(host.captions, 1);
    EXPECT_EQ(host.recent.GetFile(0), other);
    std::string stored;
    Global().AppKey().ReadString("MPDLib", stored, "");
    EXPECT_EQ(stored, folder);

    // A plain Save now writes the new name without asking.
    dialog.requests.clear();
    EXPECT_TRUE(documents->SaveMap(false));
    EXPECT_TRUE(dialog.requests.empty());
}

TEST_P(Saving, NewMapSaveAsLocksTheDocumentNotTheTemplate)
{
    AnsweringBoxes boxes;
    documents->NewMap();
    AnsweringSaveDialog dialog;
    dialog.answer = folder + "fresh.mpd";
    EXPECT_TRUE(documents->SaveMap(false));
    EXPECT_EQ(FolderFiles(folder), (QStringList{"fresh.lck", "fresh.mpd"}));
    const std::string common = EditorDataFolder(CSIDL_COMMON_APPDATA);
    EXPECT_TRUE(QDir(QString::fromStdString(common)).entryList({"*.lck"}, QDir::Files).isEmpty());

    // The refresh rewrites the locks of writable titled documents only.
    documents->NewMap();
    const std::string shared = MakeDocument("shared.mpd");
    const std::string theirs = LockText(DayCountNow() - 5 * kSecond);
    WriteAll(LockOf(shared), theirs);
    documents->InstallMap(shared);
    ASSERT_TRUE(Map().ReadOnly);
    QFile::remove(QString::fromStdString(folder + "fresh.lck"));
    documents->RefreshLocks();
    EXPECT_TRUE(Exists(folder + "fresh.lck"));
    EXPECT_EQ(ReadAll(LockOf(shared)), theirs);
    EXPECT_EQ(FolderFiles(folder).filter(".lck").size(), 2);
}

TEST_P(Saving, CancelledSaveAsWritesNothing)
{
    AnsweringBoxes boxes;
    documents->NewMap();
    Map().SetModified(true);
    AnsweringSaveDialog dialog; // cancelled
    EXPECT_FALSE(documents->SaveMap(true));
    EXPECT_TRUE(Map().IsModified());
    EXPECT_TRUE(FolderFiles(folder).isEmpty());
}

TEST_P(Saving, ANewMapIsProposedInTheDocumentsFolderUnderItsCaption)
{
    AnsweringBoxes boxes;
    AnsweringSaveDialog dialog; // cancelled
    documents->NewMap();
    Global().AppKey().DeleteValue("MPDLib");
    // At first the documents folder, then the folder last saved to.
    for (const std::string &expected :
         {PathJoin(Global().DocumentsFolder(), "New Map.mpd"), PathJoin(folder, "New Map.mpd")}) {
        dialog.requests.clear();
        EXPECT_FALSE(documents->SaveMap(false));
        ASSERT_EQ(dialog.requests.size(), 1u);
        EXPECT_EQ(dialog.requests[0].proposedName, expected);
        Global().AppKey().WriteString("MPDLib", folder);
    }
}

TEST_P(Closing, AsksOnlyWhenModifiedAndCancelKeepsTheMap)
{
    struct Case {
        const char *name;
        bool modified;
        int answer;
        bool saveSucceeds;
        bool closed;
        int questions;
    };
    const Case cases[] = {
        {"unmodified", false, IDCANCEL, true, true, 0},
        {"cancel", true, IDCANCEL, true, false, 1},
        {"no", true, IDNO, true, true, 1},
        {"yes", true, IDYES, true, true, 1},
        {"yes, save fails", true, IDYES, false, false, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string doc = MakeDocument(std::string(c.name) + ".mpd");
        AnsweringBoxes boxes(c.answer);
        documents->InstallMap(doc);
        const int tabs = pages->TabCount();
        Map().SetModified(c.modified);
        Map().Control().PutBool("FakeSaveFails", !c.saveSucceeds);
        const std::string before = ReadAll(doc);
        EXPECT_EQ(documents->CloseMap(doc), c.closed);
        ASSERT_EQ(int(boxes.texts.size()), c.questions);
        if (c.questions) {
            EXPECT_EQ(boxes.texts[0],
                      "The map " + doc + " has been updated.\r\rDo you want to save the changes?");
        }
        EXPECT_EQ(pages->TabCount(), c.closed ? tabs - 1 : tabs);
        EXPECT_EQ(Exists(LockOf(doc)), !c.closed);
        if (!c.saveSucceeds) {
            EXPECT_EQ(ReadAll(doc), before);
        }
        if (!c.closed) {
            Map().Control().PutBool("FakeSaveFails", false);
            Map().SetModified(false);
        }
    }
}

TEST_P(Closing, AnUntitledMapIsAskedAboutUnderItsTabsCaption)
{
    AnsweringBoxes boxes(IDCANCEL);
    documents->NewMap();
    Map().SetModified(true);
    EXPECT_FALSE(documents->CloseMap(Active().Info().FullName));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{
                               "The map New Map has been updated.\r\rDo you want to save the changes?"});
}

TEST_P(Closing, BusyRefusesAndClosingAllStopsAtTheFirstCancel)
{
    AnsweringBoxes boxes(IDNO);
    for (const char *name : {"a.mpd", "b.mpd", "c.mpd"})
        documents->InstallMap(MakeDocument(name));
    for (int i = 0; i < 3; ++i)
        pages->Tab(i)->Info().Map()->SetModified(true);

    host.busy = true;
    EXPECT_FALSE(documents->CloseMap("c"));
    EXPECT_FALSE(documents->CloseAllMaps());
    EXPECT_EQ(pages->TabCount(), 3);
    EXPECT_TRUE(boxes.texts.empty()) << "no question, nothing dropped";
    host.busy = false;

    // The active (last) tab goes with No, the next asks and is cancelled.
    boxes.answers = {IDNO, IDCANCEL};
    EXPECT_FALSE(documents->CloseAllMaps());
    EXPECT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(pages->TabCount(), 2);

    boxes.answers = {IDNO, IDNO};
    EXPECT_TRUE(documents->CloseAllMaps());
    EXPECT_EQ(pages->TabCount(), 0);
    EXPECT_EQ(host.current, nullptr);
    EXPECT_EQ(FolderFiles(folder), (QStringList{"a.mpd", "b.mpd", "c.mpd"}));
}

// Presses the left button on the tab bar at a point.
void Press(QWidget *bar, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), bar->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), bar->mapToGlobal(QPointF(at)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
}

TEST_P(Closing, TheGlyphClosesOnlyTheActiveTabOfSeveral)
{
    AnsweringBoxes boxes;
    std::vector<int> glyphsAsked;
    pages->Bar().GlyphOf = [&](int n) {
        glyphsAsked.push_back(n);
        QPixmap p(16, 16);
        p.fill(Qt::red);
        return p;
    };
    documents->InstallMap(MakeDocument("first.mpd"));
    pages->show();
    TMapTabBar &bar = pages->Bar();

    bar.grab();
    EXPECT_TRUE(glyphsAsked.empty()) << "one tab shows no glyph";
    const QRect first = bar.tabRect(0);
    EXPECT_EQ(Active().Info().GlyphCentre, first.topLeft() + QPoint(12, 12));
    Press(&bar, Active().Info().GlyphCentre);
    EXPECT_EQ(pages->TabCount(), 1) << "the last tab stays";

    documents->InstallMap(MakeDocument("second.mpd"));
    ASSERT_EQ(pages->currentIndex(), 1);
    const QImage shot = bar.grab().toImage();
    EXPECT_EQ(std::set<int>(glyphsAsked.begin(), glyphsAsked.end()), (std::set<int>{1010, 1011}));
    const QRect second = bar.tabRect(1);
    EXPECT_EQ(shot.pixelColor(second.topLeft() + QPoint(12, 12)), QColor(Qt::red));
    EXPECT_EQ(pages->Tab(1)->Info().GlyphCentre, second.topLeft() + QPoint(12, 12));

    // The first press on the inactive tab's glyph only activates it.
    Press(&bar, pages->Tab(0)->Info().GlyphCentre);
    EXPECT_EQ(pages->TabCount(), 2);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(host.current, pages->Tab(0)->Info().Map());
    EXPECT_EQ(host.refreshed.back(), &pages->Tab(0)->Info());
    EXPECT_FALSE(bar.TabChanged);

    // Beside the glyph nothing happens; on it the active tab closes.
    Press(&bar, pages->Tab(0)->Info().GlyphCentre + QPoint(8, 0));
    EXPECT_EQ(pages->TabCount(), 2);
    Press(&bar, pages->Tab(0)->Info().GlyphCentre + QPoint(7, -7));
    ASSERT_EQ(pages->TabCount(), 1);
    EXPECT_EQ(Active().Info().FullName, folder + "second.mpd");
    EXPECT_EQ(host.current, &Map());
    EXPECT_FALSE(Exists(folder + "first.lck"));
}

} // namespace
