#include "editor/shell/documents/map_documents.h"

#include "editor/shell/documents/document_files.h"
#include "editor/shell/map/tpmap.h"
#include "editor/shell/support/data_folders.h"
#include "editor/shell/support/file_routines.h"
#include "editor/shell/support/global.h"
#include "editor/shell/support/messages.h"
#include "editor/shell/support/paths.h"
#include "editor/shell/support/recent_file_menu.h"
#include "editor/shell/support/save_dialog.h"

#include "platform/file_dialog.h"
#include "platform/message_box.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

constexpr const char *kNewMapName = "New Map";
constexpr const char *kTabCaptionRoom = "      "; // leaves room for the glyph
constexpr int kLockRefreshMs = 30000;
constexpr uint8_t kToolViewRefresh = 201;
constexpr int32_t kCommandViewAll = 432;
constexpr int32_t kCommandViewPage = 433;
constexpr const char *kSaveStamp = "Version 5.61";

QString Q(const std::string &path) { return QFile::decodeName(path.c_str()); }

bool FileExists(const std::string &path)
{
    const QFileInfo info(Q(path));
    return info.exists() && info.isFile();
}

std::string TimeText() { return QTime::currentTime().toString(QStringLiteral("HH:mm:ss")).toStdString(); }

std::string LockNameOf(const std::string &document) { return ChangeFileExt(document, ".lck"); }

// Sets a flag for one scope and clears it on every way out, with the wait
// cursor shown while it is set.
class InstallingScope {
public:
    explicit InstallingScope(bool &flag) : flag_(flag) { flag_ = true; }
    ~InstallingScope()
    {
        if (cursor_)
            QApplication::restoreOverrideCursor();
        flag_ = false;
    }
    void WaitCursor(bool on)
    {
        if (on && !cursor_)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else if (!on && cursor_)
            QApplication::restoreOverrideCursor();
        cursor_ = on;
    }

private:
    bool &flag_;
    bool cursor_ = false;
};

} // namespace

// --- TMapInfo ----------------------------------------------------------------

TMapInfo::TMapInfo() = default;
TMapInfo::~TMapInfo() = default;

void TMapInfo::SetMap(std::unique_ptr<TPMap> map) { map_ = std::move(map); }

void TMapInfo::ReleaseMap() { map_.reset(); }

// --- TMapTab -----------------------------------------------------------------

TMapTab::TMapTab(QWidget *parent) : QWidget(parent), info_(std::make_unique<TMapInfo>())
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void TMapTab::PlaceControl(QWidget *control)
{
    if (!control)
        return;
    layout()->addWidget(control);
    control->show();
}

TMapTab::~TMapTab()
{
    // The wrapper goes before the widgets it placed on the tab.
    info_->ReleaseMap();
}

// --- TMapDocuments -----------------------------------------------------------

TMapDocuments::TMapDocuments(TDocumentHost &host, TMapPageControl &pages, QWidget *parentWindow)
    : host_(host), pages_(pages), parentWindow_(parentWindow)
{
    pages_.Bar().OnCloseGlyph = [this] {
        if (TMapTab *tab = pages_.ActiveTab())
            CloseMap(tab->Info().FullName);
    };
    connect(&pages_, &QTabWidget::currentChanged, this, [this](int) { MapTabChanged(); });
}

TMapDocuments::~TMapDocuments() { pages_.Bar().OnCloseGlyph = nullptr; }

void TMapDocuments::InstallMap(const std::string &fileName)
{
    if (installing_)
        return;
    Global().TraceEntry("InstallMap(" + fileName + ")");
    InstallingScope scope(installing_);

    // A new map starts from the page template that ships with the program;
    // without it there is no new map, only the reason.
    std::string pageTemplate;
    if (fileName.empty()) {
        const char *name = Global().GetOption(kOptionLandscapePages) ? "L.mpd" : "P.mpd";
        std::string searched;
        pageTemplate = FindProgramFile(name, &searched);
        if (pageTemplate.empty()) {
            Global().TraceError("Page template not found : " + std::string(name) + " in " + searched);
            ErrorMessage("The page template " + std::string(name) + " of new maps was not found (" +
                         (searched.empty() ? std::string("no data folder") : searched) +
                         ").\r\rThe program is not completely installed: no new map was made.");
            Global().TraceExit("InstallMap()");
            return;
        }
        Global().TraceNote("Page template : " + pageTemplate);
    }

    bool readOnly = false;
    if (!fileName.empty()) {
        readOnly = CheckFileLock(fileName);
        if (readOnly)
            InfoMessage("This file is already open or is in a read-only folder.\r\r"
                        "To save changes to the map use \"Save As ...\".");
    }

    scope.WaitCursor(true);
    auto *tab = new TMapTab(&pages_);
    std::unique_ptr<TPMap> created;
    try {
        created = std::make_unique<TPMap>(tab, ControlClass);
    } catch (const ControlException &e) {
        delete tab;
        Global().TraceError("Failed to create the map control : " + std::string(e.what()));
        if (!readOnly && !fileName.empty())
            ClearLock(LockNameOf(fileName));
        scope.WaitCursor(false);
        ErrorMessage("The map could not be created.\r\r" + std::string(e.what()));
        Global().TraceExit("InstallMap()");
        return;
    }
    TPMap &map = *created;
    tab->Info().SetMap(std::move(created));
    tab->PlaceControl(map.Widget());
    const int previousIndex = pages_.currentIndex();
    {
        // The tab becomes the active one; its wrapper is the current map.
        const QSignalBlocker block(&pages_);
        pages_.setCurrentIndex(pages_.addTab(tab, QString()));
    }
    host_.CurrentMap() = &map;
    // A map that could not be made goes with its tab: the other tabs and
    // the current map stay as they were.
    bool subscribed = false;
    auto discard = [&] {
        if (subscribed)
            map.Closing();
        {
            const QSignalBlocker block(&pages_);
            pages_.removeTab(pages_.indexOf(tab));
            delete tab;
            if (previousIndex >= 0 && previousIndex < pages_.TabCount())
                pages_.setCurrentIndex(previousIndex);
        }
        host_.CurrentMap() = nullptr;
        if (pages_.TabCount() > 0) {
            MapTabChanged();
        } else {
            host_.SetButtonStates();
            host_.UpdateCaption();
        }
    };
    QApplication::processEvents();

    try {
        if (fileName.empty()) {
            if (!map.Open(pageTemplate)) {
                Global().TraceError("Page template not read : " + pageTemplate);
                scope.WaitCursor(false);
                discard();
                ErrorMessage("The page template " + pageTemplate + " of new maps could not be read.\r\r" +
                             OpenFailureReason(pageTemplate) + " No new map was made.");
                Global().TraceExit("InstallMap()");
                return;
            }
            // The template is no document of the user's: nothing may be
            // saved or locked under its name.
            map.FileName.clear();
            const IKrtObject parking = map.NewLayer("Pen\xA0Parking", kPenParkingLayer);
            if (parking)
                map.SetActiveLayer(parking);
            if (const IKrtObject active = map.GetActiveLayer())
                active.PutPrimaryID("_" + TimeText());
        }

        map.ReadOnly = readOnly;
        SetTabFile(*tab, fileName);
        host_.SubscribeMap(map);
        subscribed = true;

        if (!fileName.empty()) {
            // Why it fails, from the file as it is before a backup may take
            // its name.
            const std::string reason = OpenFailureReason(fileName);
            bool loaded = false;
            try {
                loaded = LoadMapFile(fileName);
            } catch (const std::exception &e) {
                Global().TraceError("Failed to open file : " + std::string(e.what()));
            }
            if (!loaded) {
                // What the control holds now is not the document: the tab
                // goes, and no save can overwrite the file with it.
                Global().TraceError("Failed to open file : " + reason);
                if (!readOnly)
                    ClearLock(LockNameOf(fileName));
                host_.RecentFiles().Remove(fileName);
                scope.WaitCursor(false);
                discard();
                ErrorMessage("Map file " + fileName + " could not be opened.\r\r" + reason);
                Global().TraceExit("InstallMap()");
                return;
            }
        }

        scope.WaitCursor(false);
        if (map.GridSystem() == 255 && Global().GetOption(kOptionChooseGridSystem))
            host_.ShowGridSystemDialog(map);
        host_.RunInstallationChecks(map);
        map.SetOffscreenDrawing(Global().GetOption(kOptionOffscreenRedraw));
        map.SetCommand(kCommandViewAll);
        MapChanged();

        const std::string identifier = host_.TakeStartupIdentifier();
        if (!identifier.empty())
            if (const IKrtObject found = map.FindObject(identifier))
                map.ZoomToObject(found, 1);
        // What the installation added (the pen-parking layer of a new map,
        // the layers the checks make) is part of the document as it starts:
        // nothing to undo, nothing changed.
        map.ClearUndoHistory();
        map.SetModified(false);
    } catch (const ControlException &e) {
        // The control failed under the installation: the tab stays with what
        // it holds, untitled, and the editor goes on.
        Global().TraceError("InstallMap failed : " + std::string(e.what()));
        map.FileName.clear();
        SetTabFile(*tab, {});
        scope.WaitCursor(false);
        ErrorMessage("The map could not be installed.\r\r" + std::string(e.what()));
    }
    Global().TraceExit("InstallMap()");
}

void TMapDocuments::NewMap()
{
    Global().TraceEntry("NewMap()");
    InstallMap({});
    if (TPMap *map = host_.CurrentMap())
        map->SetCommand(kCommandViewPage);
    Global().TraceExit("NewMap()");
}

void TMapDocuments::OpenDialog()
{
    std::string folder;
    Global().AppKey().ReadString("MPDLib", folder, Global().DocumentsFolder());
    FileDialogRequest request;
    request.title = "Open";
    request.initialPath = IncludeTrailingSeparator(folder);
    request.filters = ParseFileFilter("Map Documents (*.mpd)|*.mpd");
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    const std::optional<std::string> chosen = ShowOpenFileDialog(request);
    if (!chosen || chosen->empty())
        return;
    Global().AppKey().WriteString("MPDLib", ExtractFilePath(*chosen));
    InstallMap(*chosen);
}

void TMapDocuments::OpenRecent(QAction *item)
{
    TRecentFileMenu &recent = host_.RecentFiles();
    const std::string file = recent.FileOfItem(item);
    if (file.empty())
        return;
    if (FileExists(file)) {
        InstallMap(file);
        return;
    }
    ErrorMessage("The file " + file + " could not be found.");
    recent.Remove(file);
}

void TMapDocuments::DropFiles(const std::vector<std::string> &files)
{
    if (host_.IsBusy())
        return;
    for (const std::string &file : files)
        InstallMap(file);
}

bool TMapDocuments::LoadMapFile(const std::string &fileName)
{
    TPMap *map = host_.CurrentMap();
    if (!map)
        return false;
    if (!map->Open(fileName))
        return TryBackup(fileName);
    if (Global().GetOption(kOptionKeepBackup))
        MakeBackup(fileName);
    return true;
}

void TMapDocuments::MakeBackup(const std::string &fileName)
{
    Global().TraceNote("MakeBackup(" + fileName + ")");
    const std::string backup = ChangeFileExt(fileName, ".bak");
    // CopyFileOver replaces the old backup only once the new copy is whole.
    if (!CopyFileOver(fileName, backup))
        Global().TraceProblem("Backup not written : " + backup);
}

bool TMapDocuments::TryBackup(const std::string &fileName)
{
    const std::string backup = ChangeFileExt(fileName, ".bak");
    Global().TraceNote("TryBackup(" + fileName + ")");
    if (!FileExists(backup))
        return false;
    if (!AskYesNo("Map file " + fileName +
                  " failed to open.\r\r"
                  "An earlier backup version exists. Do you want to open this backup?"))
        return false;
    Global().TraceNote("Try Backup : Back-up file requested");
    const std::string error = ChangeFileExt(fileName, ".err");
    QFile::remove(Q(error));
    if (FileExists(fileName) && !QFile::rename(Q(fileName), Q(error))) {
        Global().TraceError("Could not rename " + fileName + " to " + error);
        return false;
    }
    if (!QFile::rename(Q(backup), Q(fileName))) {
        Global().TraceError("Could not rename " + backup + " to " + fileName);
        return false;
    }
    TPMap *map = host_.CurrentMap();
    return map && map->Open(fileName);
}

// --- Locks -------------------------------------------------------------------

bool TMapDocuments::CheckFileLock(const std::string &fileName)
{
    Global().TraceEntry("CheckFileLock()");
    const std::string lock = LockNameOf(fileName);
    bool locked = false;
    QFile file(Q(lock));
    if (file.open(QIODevice::ReadOnly)) {
        const std::string text = file.readLine(256).toStdString();
        file.close();
        // A lock that is no number, or from too far in the future, is stale.
        const std::optional<double> written = ParseLockText(text);
        locked = written && LockIsFresh(*written, DayCountNow());
        if (!locked)
            ClearLock(lock);
    }
    if (!locked)
        locked = !WriteLock(lock);
    if (locked)
        Global().TraceNote("Opened for read-only");
    Global().TraceExit("CheckFileLock()");
    return locked;
}

bool TMapDocuments::WriteLock(const std::string &lockName)
{
    Global().TraceNote("Writing Lock : " + lockName);
    QFile file(Q(lockName));
    const std::string text = LockText(DayCountNow());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.flush()) {
        Global().TraceNote("Unable to write LockFile");
        return false;
    }
    return true;
}

void TMapDocuments::ClearLock(const std::string &lockName)
{
    if (QFile::remove(Q(lockName)))
        Global().TraceNote("Clearing lock : " + lockName);
    else
        Global().TraceNote("Lock not found : " + lockName);
}

void TMapDocuments::RefreshLocks()
{
    for (int i = 0; i < pages_.TabCount(); ++i) {
        TMapTab *tab = pages_.Tab(i);
        if (!tab)
            continue;
        const TMapInfo &info = tab->Info();
        if (info.Map() && !info.Map()->ReadOnly && !info.FullName.empty())
            WriteLock(LockNameOf(info.FullName));
    }
}

void TMapDocuments::StartLockTimer()
{
    if (lockTimer_)
        return;
    lockTimer_ = new QTimer(this);
    lockTimer_->setInterval(kLockRefreshMs);
    connect(lockTimer_, &QTimer::timeout, this, &TMapDocuments::RefreshLocks);
    lockTimer_->start();
}

// --- Saving ------------------------------------------------------------------

bool TMapDocuments::SaveThroughTemporary(TPMap &map, const std::string &fileName)
{
    // The control writes a new file beside the document, which replaces the
    // document only once the control says it was written: a failed save
    // leaves the document as it was.
    const QString target = Q(fileName);
    const QFileInfo targetInfo(target);
    QTemporaryFile temporary(targetInfo.absolutePath() + "/." + targetInfo.completeBaseName() +
                             ".XXXXXX.saving.mpd");
    if (!temporary.open()) {
        Global().TraceError("Cannot write in the folder of " + fileName);
        return false;
    }
    temporary.close();
    const std::string temporaryName = QFile::encodeName(temporary.fileName()).toStdString();
    if (!map.Save(temporaryName) || QFileInfo(temporary.fileName()).size() <= 0)
        return false;
    if (targetInfo.exists())
        QFile::setPermissions(temporary.fileName(), QFile::permissions(target));
    if (std::rename(temporaryName.c_str(), fileName.c_str()) != 0) {
        Global().TraceError("Cannot replace " + fileName);
        return false;
    }
    temporary.setAutoRemove(false);
    return true;
}

bool TMapDocuments::SaveViaScratch(const std::string &fileName)
{
    TPMap *map = host_.CurrentMap();
    if (!map)
        return false;
    const std::string scratch = PathJoin(Global().LocalDataFolder(), "Scratch.mpd");
    QFile::remove(Q(scratch));
    bool saved = false;
    try {
        // CopyFileOver copies into a temporary file beside the document and
        // renames it over the document once the copy is whole.
        saved = map->Save(scratch) && FileSizeOf(scratch) > 0 && CopyFileOver(scratch, fileName);
    } catch (const ControlException &e) {
        Global().TraceError("Save failed : " + std::string(e.what()));
    }
    QFile::remove(Q(scratch));
    return saved;
}

bool TMapDocuments::SaveMap(bool saveAs)
{
    Global().TraceEntry("SaveMap()");
    TMapTab *tab = pages_.ActiveTab();
    TPMap *map = tab ? tab->Info().Map() : nullptr;
    if (!map) {
        Global().TraceExit("SaveMap()");
        return false;
    }
    const std::string previous = tab->Info().FullName;
    std::string file = previous;
    const bool asNew = saveAs || file.empty() || map->ReadOnly;
    if (asNew) {
        Global().TraceNote("Save As ... invoked");
        SaveDialogRequest request;
        request.title = "Save MPD File ...";
        // A new map is proposed under its tab's caption in the folder of
        // the last map saved or opened (at first the documents folder).
        request.proposedName =
            !file.empty() ? file
                          : PathJoin(Global().AppKey().GetString("MPDLib", Global().DocumentsFolder()),
                                     tab->Info().ShortName + ".mpd");
        request.defaultExtension = "mpd";
        request.filters = {{"Map files (*.mpd)", "*.mpd"}};
        request.confirmOverwrite = true;
        const std::optional<std::string> chosen = ShowSaveDialog(request);
        file = chosen ? *chosen : std::string();
    }
    host_.InvokeTool(kToolViewRefresh);

    bool saved = false;
    if (!file.empty()) {
        const std::string wrapperName = map->FileName;
        bool wasModified = true;
        host_.SetProgressMode(true);
        try {
            wasModified = map->IsModified();
            if (const IKrtObject parking = map->GetLayerByNumber(kPenParkingLayer))
                parking.PutSecondaryID(TimeText() + " : " + kSaveStamp);
            Global().TraceNote("Saving : " + file);
            saved = IsNetworkFolderOf(ExtractFilePath(file)) ? SaveViaScratch(file)
                                                             : SaveThroughTemporary(*map, file);
        } catch (const ControlException &e) {
            Global().TraceError("Save failed : " + std::string(e.what()));
        }
        host_.SetProgressMode(false);
        // The wrapper names the document, not the file the control wrote.
        map->FileName = saved ? file : wrapperName;
        if (saved) {
            Global().TraceNote("Save successful");
        } else {
            Global().TraceError("** ERROR during Save **");
            // The control may have written the scratch file: the document
            // itself is not saved.
            if (wasModified) {
                try {
                    map->SetModified(true);
                } catch (const ControlException &) {
                }
            }
        }

        if (saved && asNew) {
            // The lock follows the document to its new name.
            if (!previous.empty() && previous != file)
                ClearLock(LockNameOf(previous));
            map->ReadOnly = false;
            SetTabFile(*tab, file);
            WriteLock(LockNameOf(file));
            host_.UpdateCaption();
        }
    }
    if (saved) {
        host_.RecentFiles().Save();
        Global().AppKey().WriteString("MPDLib", ExtractFilePath(file));
        map->SetModified(false);
    }
    Global().TraceExit("SaveMap()");
    return saved;
}

// --- Closing -----------------------------------------------------------------

bool TMapDocuments::CloseMap(const std::string &shownName)
{
    Global().TraceEntry("CloseMap(" + shownName + ")");
    if (host_.IsBusy()) {
        Global().TraceNote("+++ Aborted while BUSY +++");
        Global().TraceExit("CloseMap()");
        return false;
    }
    TMapTab *tab = pages_.ActiveTab();
    if (!tab) {
        Global().TraceExit("CloseMap()");
        return false;
    }
    TPMap *map = tab->Info().Map();
    bool closed = true;
    if (map && map->IsModified()) {
        // An untitled map is named as its tab names it.
        const std::string name = shownName.empty() ? tab->Info().ShortName : shownName;
        const int answer = AskYesNoCancel("The map " + name +
                                          " has been updated.\r\r"
                                          "Do you want to save the changes?");
        closed = answer == IDYES ? SaveMap(false) : answer == IDNO;
    }
    if (closed) {
        if (map && !map->ReadOnly && !tab->Info().FullName.empty())
            ClearLock(LockNameOf(tab->Info().FullName));
        if (map)
            map->Closing();
        if (host_.CurrentMap() == map)
            host_.CurrentMap() = nullptr;
        const int index = pages_.indexOf(tab);
        if (pages_.TabCount() > 1)
            pages_.setCurrentIndex((index + 1) % pages_.TabCount());
        pages_.removeTab(pages_.indexOf(tab));
        delete tab;
        if (pages_.TabCount() > 0)
            host_.SetButtonStates();
    }
    Global().TraceExit("CloseMap()");
    return closed;
}

bool TMapDocuments::CloseAllMaps()
{
    bool closed = true;
    while (closed && pages_.TabCount() > 0) {
        TMapTab *tab = pages_.ActiveTab();
        if (!tab)
            break;
        closed = CloseMap(tab->Info().FullName);
        QApplication::processEvents();
    }
    return closed;
}

// --- Tabs --------------------------------------------------------------------

void TMapDocuments::SetTabFile(TMapTab &tab, const std::string &fileName)
{
    TMapInfo &info = tab.Info();
    info.FullName = fileName;
    // The tab shows the file's name; its tool tip the whole path.
    info.ShortName = fileName.empty() ? kNewMapName : ExtractFileName(fileName);
    pages_.UpdateCaption(tab);
    if (!fileName.empty() && FileExists(fileName))
        host_.RecentFiles().Add(fileName);
}

void TMapDocuments::MapTabChanged()
{
    TMapTab *tab = pages_.ActiveTab();
    if (!tab || !tab->Info().Map())
        return;
    host_.CurrentMap() = tab->Info().Map();
    MapChanged();
}

void TMapDocuments::MapChanged()
{
    Global().TraceEntry("MapChanged()");
    host_.CloseLayerProperties();
    TMapTab *tab = pages_.ActiveTab();
    TPMap *map = tab ? tab->Info().Map() : nullptr;
    host_.CurrentMap() = map;
    if (map) {
        const IMap &control = map->Control();
        Global().TraceNote(tab->Info().ShortName + " - " + std::to_string(control.MapLayers().Count()) + "/" +
                           std::to_string(control.MapObjects().Count()));
        Global().TraceNote("GeoGrid = " + std::to_string(map->GridSystem()));
        host_.MapChangedRefresh(tab->Info());
        map->SetOffscreenDrawing(Global().GetOption(kOptionOffscreenRedraw));
    }
    Global().TraceExit("MapChanged()");
}
