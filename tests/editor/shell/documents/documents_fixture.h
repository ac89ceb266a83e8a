// A map page control with its documents over a recording host, on one
// control kind, with the test's own registry and data folders.
#pragma once

#include "editor/shell/documents/map_documents.h"
#include "editor/shell/map/tpmap.h"
#include "editor/shell/support/data_folders.h"
#include "editor/shell/support/global.h"
#include "editor/shell/support/recent_file_menu.h"
#include "editor/shell/support/save_dialog.h"
#include "tests/editor/shell/map/map_fixture.h"

#include "platform/file_dialog.h"
#include "platform/message_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>

#include <deque>
#include <fstream>
#include <optional>
#include <sstream>
#include <unistd.h>

// The main window as the documents see it: it records what they ask of it.
class RecordingHost : public TDocumentHost {
public:
    RecordingHost() : recent(&menu, 0) { recent.SetMaxFiles(6); }

    bool IsBusy() override { return busy; }
    TPMap *&CurrentMap() override { return current; }
    void SubscribeMap(TPMap &map) override { subscribed.push_back(&map); }
    void SetProgressMode(bool on) override { progress.push_back(on); }
    void InvokeTool(uint8_t id) override { tools.push_back(id); }
    void MapChangedRefresh(TMapInfo &info) override { refreshed.push_back(&info); }
    TRecentFileMenu &RecentFiles() override { return recent; }
    std::string TakeStartupIdentifier() override { return std::exchange(identifier, {}); }
    void RunInstallationChecks(TPMap &map) override { checked.push_back(&map); }
    void ShowGridSystemDialog(TPMap &) override { ++gridDialogs; }
    void CloseLayerProperties() override {}
    void SetButtonStates() override { ++buttonStates; }
    void UpdateCaption() override { ++captions; }

    bool busy = false;
    TPMap *current = nullptr;
    QMenu menu;
    TRecentFileMenu recent;
    std::string identifier;
    std::vector<TPMap *> subscribed, checked;
    std::vector<TMapInfo *> refreshed;
    std::vector<bool> progress;
    std::vector<uint8_t> tools;
    int gridDialogs = 0, buttonStates = 0, captions = 0;
};

// Answers message boxes from a list (then with the default) and keeps their
// texts.
class AnsweringBoxes {
public:
    explicit AnsweringBoxes(int otherwise = IDOK) : otherwise_(otherwise)
    {
        old_ = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            texts.push_back(r.text);
            if (answers.empty())
                return otherwise_;
            const int a = answers.front();
            answers.pop_front();
            return a;
        });
    }
    ~AnsweringBoxes() { SetMessageBoxHook(old_); }
    std::deque<int> answers;
    std::vector<std::string> texts;

private:
    int otherwise_;
    MessageBoxHook old_;
};

// Answers the save dialog with a path (or cancels) and keeps the requests.
class AnsweringSaveDialog {
public:
    AnsweringSaveDialog()
    {
        old_ = SetSaveDialogHook([this](const SaveDialogRequest &r) {
            requests.push_back(r);
            return answer;
        });
    }
    ~AnsweringSaveDialog() { SetSaveDialogHook(old_); }
    std::optional<std::string> answer;
    std::vector<SaveDialogRequest> requests;

private:
    SaveDialogHook old_;
};

inline std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteAll(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline bool Exists(const std::string &path) { return QFileInfo::exists(QString::fromStdString(path)); }

// What the fake control reads as a document.
inline const std::string kFakeDocument = "FakeKrt map document\nobjects 0\n";

class DocumentsTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        if (IsSkipped())
            return;
        setenv(kEditorFoldersVariable, dir.path().toLocal8Bit().constData(), 1);
        for (int bit : {kOptionLandscapePages, kOptionKeepBackup, kOptionChooseGridSystem})
            Global().SetOption(bit, false);
        folder = dir.path().toStdString() + "/maps/";
        QDir().mkpath(QString::fromStdString(folder));
        const std::string common = EditorDataFolder(CSIDL_COMMON_APPDATA);
        QDir().mkpath(QString::fromStdString(common));
        if (GetParam() == ControlKind::Fake)
            for (const char *t : {"P.mpd", "L.mpd"})
                WriteAll(common + t, kFakeDocument);
        else
            CopyBuiltTemplates(common);
        pages = std::make_unique<TMapPageControl>();
        pages->resize(600, 400);
        documents = std::make_unique<TMapDocuments>(host, *pages);
        documents->ControlClass = ClassOf(GetParam());
    }
    void TearDown() override
    {
        documents.reset();
        pages.reset();
        unsetenv(kEditorFoldersVariable);
        ControlTest::TearDown();
    }

    // A document the control can read, saved by the control itself.
    std::string MakeDocument(const std::string &name)
    {
        const std::string path = folder + name;
        if (GetParam() == ControlKind::Fake) {
            WriteAll(path, kFakeDocument);
            return path;
        }
        QWidget scratchTab;
        TPMap maker(&scratchTab, ClassOf(GetParam()));
        EXPECT_TRUE(maker.Save(path));
        return path;
    }
    static std::string LockOf(const std::string &doc) { return doc.substr(0, doc.rfind('.')) + ".lck"; }
    TMapTab &Active() { return *pages->ActiveTab(); }
    TPMap &Map() { return *pages->ActiveTab()->Info().Map(); }
    bool IsFake() const { return GetParam() == ControlKind::Fake; }
    void CopyBuiltTemplates(const std::string &common);

    QTemporaryDir dir;
    std::string folder;
    RecordingHost host;
    std::unique_ptr<TMapPageControl> pages;
    std::unique_ptr<TMapDocuments> documents;
};

// Runs a block without root's right to ignore file permissions (a test run
// by a user already has none): the effective user becomes "nobody" for the
// scope. The test's folders are opened to everyone first.
class WithoutPrivileges {
public:
    explicit WithoutPrivileges(const std::string &root)
    {
        if (geteuid() != 0)
            return;
        OpenToAll(QString::fromStdString(root));
        for (const char *v : {"MAP_REGISTRY_DIR", "MAP_PROFILE_DIR"})
            if (const char *p = std::getenv(v))
                OpenToAll(QString::fromLocal8Bit(p));
        active_ = setegid(65534) == 0 && seteuid(65534) == 0;
    }
    ~WithoutPrivileges()
    {
        if (active_) {
            [[maybe_unused]] const int a = seteuid(0);
            [[maybe_unused]] const int b = setegid(0);
        }
    }

private:
    static void OpenToAll(const QString &path)
    {
        QDir().mkpath(path);
        const QFileInfo info(path);
        // What its owner may not write stays so for everyone.
        const QFileDevice::Permissions mine = QFile::permissions(path);
        const QFileDevice::Permissions others =
            mine & QFileDevice::WriteOwner
                ? QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther
                : QFileDevice::ReadOther | QFileDevice::ExeOther;
        QFile::setPermissions(path, mine | others);
        if (!info.isDir())
            return;
        for (const QFileInfo &child :
             QDir(path).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            OpenToAll(child.absoluteFilePath());
    }
    bool active_ = false;
};
