#include "documents_fixture.h"

#include "editor/shell/documents/document_files.h"
#include "editor/shell/support/paths.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>

#include "editor_build_folders.h"

void DocumentsTest::CopyBuiltTemplates(const std::string &common)
{
    for (const char *t : {"P.mpd", "L.mpd"})
        QFile::copy(QString::fromStdString(std::string(EDITOR_BUILD_COMMON_DATA_DIR) + t),
                    QString::fromStdString(common + t));
}

namespace {

constexpr double kSecond = 1.0 / 86400.0;

// Tests on the fake control only.
class Documents : public DocumentsTest {};
// Tests on the real control, which reads and writes real documents.
class DocumentsOnReal : public DocumentsTest {};

INSTANTIATE_TEST_SUITE_P(Fake, Documents, ::testing::Values(ControlKind::Fake), KindName);
INSTANTIATE_TEST_SUITE_P(Real, DocumentsOnReal, ::testing::Values(ControlKind::Real), KindName);

TEST_P(Documents, LocksOfOtherEditorsAndStaleOnes)
{
    struct Case {
        const char *name;
        std::string lock; // empty: no lock file
        bool readOnly;
    };
    const double now = DayCountNow();
    const Case cases[] = {
        {"no lock", "", false},
        {"40 s old", LockText(now - 40 * kSecond), true},
        {"40 s old, comma",
         [&] {
             std::string t = LockText(now - 40 * kSecond);
             t[t.find('.')] = ',';
             return t;
         }(),
         true},
        {"50 s old", LockText(now - 50 * kSecond), false},
        {"garbage", "not a time\r\n", false},
        {"empty", std::string("\0", 0), false},
        {"20 s ahead", LockText(now + 20 * kSecond), true},
        {"an hour ahead", LockText(now + 3600 * kSecond), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string doc = MakeDocument(std::string(c.name) + ".mpd");
        const std::string lock = LockOf(doc);
        if (!c.lock.empty() || std::string(c.name) == "empty")
            WriteAll(lock, c.lock);
        AnsweringBoxes boxes;
        documents->InstallMap(doc);
        EXPECT_FALSE(documents->Installing());
        EXPECT_EQ(Active().Info().FullName, doc);
        EXPECT_EQ(Map().ReadOnly, c.readOnly);
        EXPECT_EQ(pages->Bar().GlyphNumber(pages->currentIndex()), c.readOnly ? 1041 : 1010);
        if (c.readOnly) {
            ASSERT_EQ(boxes.texts.size(), 1u);
            EXPECT_EQ(boxes.texts[0], "This file is already open or is in a read-only folder.\r\r"
                                      "To save changes to the map use \"Save As ...\".");
            EXPECT_EQ(ReadAll(lock), c.lock) << "another editor's lock stays as it is";
        } else {
            EXPECT_TRUE(boxes.texts.empty());
            const std::optional<double> written = ParseLockText(ReadAll(lock));
            ASSERT_TRUE(written) << "our own lock replaces the stale one";
            EXPECT_TRUE(LockIsFresh(*written, DayCountNow()));
        }
    }
}

TEST_P(Documents, LockThatCannotBeWrittenOpensReadOnly)
{
    // A folder where the lock should go cannot be written over.
    const std::string doc = MakeDocument("blocked.mpd");
    QDir().mkpath(QString::fromStdString(LockOf(doc)));
    AnsweringBoxes boxes;
    EXPECT_TRUE(documents->CheckFileLock(doc));
    EXPECT_FALSE(documents->WriteLock(LockOf(doc)));
}

TEST_P(Documents, NewMapHasItsPageParkingLayerAndNoLock)
{
    for (bool landscape : {false, true}) {
        SCOPED_TRACE(landscape);
        Global().SetOption(kOptionLandscapePages, landscape);
        documents->NewMap();
        EXPECT_EQ(Active().Info().FullName, "");
        EXPECT_EQ(Active().Info().ShortName, "New Map");
        EXPECT_EQ(pages->tabText(pages->currentIndex()), "      New Map");
        EXPECT_EQ(Map().FileName, "") << "the template is not the document";
        // The new parking layer is active (99, or the next free number when
        // the template has a layer 99).
        const IKrtObject active = Map().GetActiveLayer();
        ASSERT_TRUE(active);
        EXPECT_EQ(active.Layer().Name(), "Pen\xA0Parking");
        EXPECT_GE(active.Layer().Number(), 99);
        EXPECT_EQ(active.PrimaryID().substr(0, 1), "_");
        EXPECT_FALSE(Map().IsModified());
        EXPECT_EQ(host.current, &Map());
        EXPECT_EQ(host.tools.size(), 0u);
    }
    Global().SetOption(kOptionLandscapePages, false);
    const std::string common = EditorDataFolder(CSIDL_COMMON_APPDATA);
    EXPECT_TRUE(QDir(QString::fromStdString(common)).entryList({"*.lck"}, QDir::Files).isEmpty());
    EXPECT_EQ(pages->TabCount(), 2);
    EXPECT_EQ(host.subscribed.size(), 2u);
    EXPECT_EQ(host.checked.size(), 2u);
}

TEST_P(Documents, ReadOnlyFolderOpensReadOnlyAndSaveAsks)
{
    const std::string doc = MakeDocument("kept.mpd");
    const std::string before = ReadAll(doc);
    QFile::setPermissions(QString::fromStdString(folder), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                              QFileDevice::ReadOther | QFileDevice::ExeOther);
    {
        WithoutPrivileges nobody(dir.path().toStdString());
        AnsweringBoxes boxes;
        documents->InstallMap(doc);
        EXPECT_TRUE(Map().ReadOnly);
        EXPECT_EQ(boxes.texts.size(), 1u);
        EXPECT_FALSE(Exists(LockOf(doc)));

        Map().SetModified(true);
        AnsweringSaveDialog dialog; // cancelled
        EXPECT_FALSE(documents->SaveMap(false));
        ASSERT_EQ(dialog.requests.size(), 1u);
        EXPECT_EQ(dialog.requests[0].title, "Save MPD File ...");
        EXPECT_EQ(dialog.requests[0].proposedName, doc);
        EXPECT_EQ(dialog.requests[0].defaultExtension, "mpd");

        // Saving over it anyway fails and loses nothing.
        dialog.answer = doc;
        EXPECT_FALSE(documents->SaveMap(false));
        EXPECT_TRUE(Map().IsModified());
        EXPECT_TRUE(Map().ReadOnly);
        EXPECT_EQ(Active().Info().FullName, doc);
    }
    QFile::setPermissions(QString::fromStdString(folder),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadAll(doc), before);
    EXPECT_TRUE(
        QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden).contains("kept.mpd"));
    EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_P(Documents, FailedOpenOffersTheBackup)
{
    struct Case {
        const char *name;
        bool backup;
        int answer;
        bool opened; // the backup is open under the document's name
    };
    const Case cases[] = {
        {"yes", true, IDYES, true}, {"no", true, IDNO, false}, {"none", false, IDOK, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string doc = folder + c.name + ".mpd";
        const std::string bak = folder + c.name + ".bak";
        const std::string err = folder + c.name + ".err";
        WriteAll(doc, "damaged");
        WriteAll(err, "older error copy");
        if (c.backup)
            WriteAll(bak, kFakeDocument);
        AnsweringBoxes boxes(c.answer);
        const int tabsBefore = pages->TabCount();
        TMapTab *activeBefore = pages->ActiveTab();
        documents->InstallMap(doc);
        EXPECT_FALSE(documents->Installing());
        ASSERT_FALSE(boxes.texts.empty());
        if (c.backup) {
            EXPECT_EQ(boxes.texts[0],
                      "Map file " + doc +
                          " failed to open.\r\r"
                          "An earlier backup version exists. Do you want to open this backup?");
        }
        if (c.opened) {
            EXPECT_EQ(boxes.texts.size(), 1u);
            EXPECT_EQ(ReadAll(err), "damaged");
            EXPECT_EQ(ReadAll(doc), kFakeDocument);
            EXPECT_FALSE(Exists(bak));
            EXPECT_EQ(Active().Info().FullName, doc);
            EXPECT_EQ(Map().FileName, doc);
            EXPECT_TRUE(Exists(LockOf(doc)));
        } else {
            // The message says why; no tab holds what is not the document,
            // so no save can overwrite the file, and the other tabs stay.
            EXPECT_EQ(boxes.texts.back(),
                      "Map file " + doc + " could not be opened.\r\rIt is not a map document.");
            EXPECT_EQ(ReadAll(doc), "damaged");
            EXPECT_EQ(ReadAll(err), "older error copy");
            EXPECT_EQ(pages->TabCount(), tabsBefore);
            EXPECT_EQ(pages->ActiveTab(), activeBefore);
            EXPECT_EQ(host.current, activeBefore ? activeBefore->Info().Map() : nullptr);
            for (int i = 0; i < pages->TabCount(); ++i)
                EXPECT_NE(pages->Tab(i)->Info().FullName, doc);
            EXPECT_FALSE(Exists(LockOf(doc)));
        }
    }
}

TEST_P(Documents, BackupOnOpenFollowsOptionBitFour)
{
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        Global().SetOption(kOptionKeepBackup, keep);
        const std::string doc = MakeDocument(keep ? "kept.mpd" : "plain.mpd");
        const std::string bak = ChangeFileExt(doc, ".bak");
        WriteAll(bak, "old backup");
        AnsweringBoxes boxes;
        documents->InstallMap(doc);
        EXPECT_EQ(ReadAll(bak), keep ? ReadAll(doc) : "old backup");
    }
    Global().SetOption(kOptionKeepBackup, false);
}

TEST_P(Documents, DroppedAndRecentFilesThatCannotBeOpened)
{
    const std::string good = MakeDocument("good.mpd");
    const std::string missing = folder + "missing.mpd";
    const std::string damaged = folder + "damaged.mpd";
    const std::string subfolder = folder + "folder.mpd";
    WriteAll(damaged, "not a document");
    QDir().mkpath(QString::fromStdString(subfolder));

    AnsweringBoxes boxes;
    host.busy = true;
    documents->DropFiles({good});
    EXPECT_EQ(pages->TabCount(), 0) << "drops are ignored while busy";
    host.busy = false;

    documents->DropFiles({missing, subfolder, damaged, good});
    // Each file that could not be opened says why and leaves no tab.
    ASSERT_EQ(pages->TabCount(), 1);
    EXPECT_EQ(pages->Tab(0)->Info().FullName, good);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{
                               "Map file " + missing + " could not be opened.\r\rThe file cannot be read.",
                               "Map file " + subfolder + " could not be opened.\r\rThe file cannot be read.",
                               "Map file " + damaged + " could not be opened.\r\rIt is not a map document.",
                           }));
    EXPECT_EQ(ReadAll(damaged), "not a document");
    EXPECT_FALSE(Exists(missing));
    // No lock stays beside what could not be opened.
    const QStringList left =
        QDir(QString::fromStdString(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, (QStringList{"damaged.mpd", "folder.mpd", "good.lck", "good.mpd"}));

    // A recent file that went: the error box, and the entry goes too.
    host.recent.Add(missing);
    host.recent.Add(good);
    boxes.texts.clear();
    QAction *gone = host.recent.Items().at(1);
    documents->OpenRecent(gone);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "The file " + missing + " could not be found.");
    EXPECT_EQ(host.recent.Files(), std::vector<std::string>{good});
    EXPECT_EQ(pages->TabCount(), 1);
}

TEST_P(Documents, FailedControlCreationLeavesNoTraceAndNextOpenWorks)
{
    const std::string doc = MakeDocument("later.mpd");
    AnsweringBoxes boxes;
    documents->ControlClass = CLSID{0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}}; // registered nowhere
    documents->InstallMap(doc);
    EXPECT_EQ(pages->TabCount(), 0);
    EXPECT_FALSE(documents->Installing());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_FALSE(Exists(LockOf(doc)));

    documents->ControlClass = ClassOf(GetParam());
    documents->InstallMap(doc);
    EXPECT_EQ(pages->TabCount(), 1);
    EXPECT_EQ(Active().Info().FullName, doc);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_P(DocumentsOnReal, NewMapsTakeThePageOfTheirTemplate)
{
    // The build made the templates with their A4 pages.
    for (bool landscape : {false, true}) {
        SCOPED_TRACE(landscape);
        Global().SetOption(kOptionLandscapePages, landscape);
        AnsweringBoxes boxes;
        documents->NewMap();
        EXPECT_TRUE(boxes.texts.empty());
        const IKrtPage page = Map().GetPage();
        EXPECT_EQ(page.IsPortrait(), !landscape);
        EXPECT_EQ(page.Width() > page.Height(), landscape);
        EXPECT_TRUE(Map().GetLayerByNumber(99));
        EXPECT_EQ(Map().FileName, "");
    }
    Global().SetOption(kOptionLandscapePages, false);
}

TEST_P(DocumentsOnReal, FilesThatCannotBeOpenedSayWhyAndLeaveTheOtherTabs)
{
    const std::string good = MakeDocument("good.mpd");
    const std::string truncated = folder + "truncated.mpd";
    WriteAll(truncated, ReadAll(good).substr(0, 200));
    const std::string text = folder + "notes.mpd";
    WriteAll(text, "OOOO not a map document");
    struct Case {
        std::string file;
        const char *reason;
    };
    const Case cases[] = {
        {truncated, "The map document is damaged."},
        {text, "It is not a map document."},
        {folder + "missing.mpd", "The file cannot be read."},
    };
    documents->InstallMap(good);
    ASSERT_EQ(pages->TabCount(), 1);
    TMapTab *first = pages->ActiveTab();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string before = ReadAll(c.file);
        AnsweringBoxes boxes;
        documents->InstallMap(c.file);
        EXPECT_FALSE(documents->Installing());
        // One message, with the reason, and no converter's box.
        EXPECT_EQ(boxes.texts,
                  std::vector<std::string>{"Map file " + c.file + " could not be opened.\r\r" + c.reason});
        EXPECT_EQ(pages->TabCount(), 1);
        EXPECT_EQ(pages->ActiveTab(), first);
        EXPECT_EQ(host.current, first->Info().Map());
        EXPECT_EQ(first->Info().FullName, good);
        EXPECT_EQ(ReadAll(c.file), before);
        EXPECT_FALSE(Exists(LockOf(c.file)));
    }
}

TEST_P(DocumentsOnReal, NewMapsFindTheProgramsTemplatesWhereverTheFoldersAre)
{
    // The common data folder of the moved folders holds no templates: the
    // ones that ship with the program serve.
    const std::string common = EditorDataFolder(CSIDL_COMMON_APPDATA);
    for (const char *t : {"P.mpd", "L.mpd"})
        QFile::remove(QString::fromStdString(common + t));
    AnsweringBoxes boxes;
    documents->NewMap();
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
    ASSERT_EQ(pages->TabCount(), 1);
    EXPECT_TRUE(Map().GetPage().IsPortrait());
    EXPECT_EQ(Map().FileName, "");
    EXPECT_FALSE(Map().IsModified());

    // A template that cannot be read makes no map, only the reason; the
    // open map stays current.
    TMapTab *first = pages->ActiveTab();
    WriteAll(common + "P.mpd", ReadAll(std::string(EDITOR_BUILD_COMMON_DATA_DIR) + "P.mpd").substr(0, 300));
    documents->NewMap();
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"The page template " + common +
                                                    "P.mpd of new maps could not be read.\r\r"
                                                    "The map document is damaged. No new map was made."});
    EXPECT_EQ(pages->TabCount(), 1);
    EXPECT_EQ(pages->ActiveTab(), first);
    EXPECT_EQ(host.current, first->Info().Map());
}

} // namespace
