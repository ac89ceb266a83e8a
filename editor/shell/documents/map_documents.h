// The map documents of the main window, one per tab of the map page
// control: installing a document on a new tab, new maps from the page
// templates, the open dialog, recent and dropped files, the lock file beside
// a document ("<document>.lck"), its backup (".bak") and error (".err")
// copies, saving (always through a temporary file that replaces the
// document only once the control has written it), closing, and the
// owner-drawn tabs with their close glyph.
#pragma once

#include "editor/shell/documents/document_files.h"
#include "editor/shell/documents/document_host.h"
#include "editor/shell/map/krt_control.h"

#include <QPoint>
#include <QTabBar>
#include <QTabWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QTimer;
class TPMap;

// What the main window knows of one document: its wrapper, its names and
// where its tab's close glyph lies. The layer list keeps its own state of
// the document here as well.
class TMapInfo {
public:
    TMapInfo();
    ~TMapInfo();
    TMapInfo(const TMapInfo &) = delete;
    TMapInfo &operator=(const TMapInfo &) = delete;

    // The wrapper; null until a map is installed. Owned.
    TPMap *Map() const { return map_.get(); }
    void SetMap(std::unique_ptr<TPMap> map);
    // Destroys the wrapper (and with it its control) now.
    void ReleaseMap();

    // The document's full file name, empty for a new (untitled) map.
    std::string FullName;
    // The name on the tab: the shortened full name, or "New Map".
    std::string ShortName;
    // Centre of the tab's glyph in pixels of the map page control's tab
    // bar, recorded when the tab is drawn.
    QPoint GlyphCentre;

private:
    std::unique_ptr<TPMap> map_;
};

// One tab of the map page control. It owns its TMapInfo and so the
// document's wrapper and control.
class TMapTab : public QWidget {
public:
    explicit TMapTab(QWidget *parent = nullptr);
    ~TMapTab() override;

    TMapInfo &Info() { return *info_; }
    const TMapInfo &Info() const { return *info_; }
    // Places the document's control so that it fills the tab.
    void PlaceControl(QWidget *control);

private:
    std::unique_ptr<TMapInfo> info_;
};

// The tab bar of the map page control: it draws each tab itself (glyph at
// the left when more than one tab exists, the caption after it) and turns a
// press on the active tab's glyph into a close request.
class TMapTabBar : public QTabBar {
public:
    explicit TMapTabBar(QWidget *parent = nullptr);

    // The glyph pictures by catalogue number (1010 active, 1011 inactive,
    // 1041 active and read-only); a null pixmap draws nothing.
    std::function<QPixmap(int)> GlyphOf;
    // Asked to close the active tab (its glyph was pressed).
    std::function<void()> OnCloseGlyph;
    // Set when a press switched tabs; cleared by every press once handled.
    bool TabChanged = false;

    // The catalogue number of the glyph the tab at index shows.
    int GlyphNumber(int index) const;
    // What the press at pos (tab bar pixels) does: true when it asks to
    // close the active tab.
    bool IsClosePress(const QPoint &pos) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    QSize tabSizeHint(int index) const override;
};

// The map page control: one TMapTab per open document.
class TMapPageControl : public QTabWidget {
public:
    explicit TMapPageControl(QWidget *parent = nullptr);

    TMapTabBar &Bar() const { return *bar_; }
    TMapTab *Tab(int index) const;
    TMapTab *ActiveTab() const { return Tab(currentIndex()); }
    int TabCount() const { return count(); }
    // Makes the tab's caption (six blanks, then its short name) current.
    void UpdateCaption(TMapTab &tab);

private:
    TMapTabBar *bar_;
};

// The document operations of the main window.
class TMapDocuments : public QObject {
public:
    // pages: the map page control; parentWindow: the owner of the dialogs.
    TMapDocuments(TDocumentHost &host, TMapPageControl &pages, QWidget *parentWindow = nullptr);
    ~TMapDocuments() override;

    // The class of the control each tab creates.
    CLSID ControlClass = kMapControlClsid;
    // Whether a folder lies on a network file system (saves there go
    // through the local scratch file).
    std::function<bool(const std::string &)> IsNetworkFolderOf = IsNetworkFolder;

    // Installs a document (empty: a new map from the page template) on a
    // new tab that becomes the active one.
    void InstallMap(const std::string &fileName);
    void NewMap();
    void OpenDialog();
    void OpenRecent(QAction *item);
    // Ignored while the host is busy; otherwise installs each file.
    void DropFiles(const std::vector<std::string> &files);
    // Opens the document in the current map, offering its backup when it
    // cannot be read. True when the document (or its backup under its name)
    // was read.
    bool LoadMapFile(const std::string &fileName);
    void MakeBackup(const std::string &fileName);
    // True when the backup was chosen and read under the document's name.
    bool TryBackup(const std::string &fileName);

    // True: open the document read-only (fresh lock of another editor, or
    // no lock can be written).
    bool CheckFileLock(const std::string &fileName);
    bool WriteLock(const std::string &lockName);
    void ClearLock(const std::string &lockName);
    // Rewrites the lock of each writable titled document.
    void RefreshLocks();
    // Starts the 30-second lock refresh.
    void StartLockTimer();

    // True when saved.
    bool SaveMap(bool saveAs);
    // Saves the current map through "Scratch.mpd" of the local data folder
    // (for network folders); true when the document was replaced.
    bool SaveViaScratch(const std::string &fileName);
    // Closes the active tab, asking about unsaved changes under the name
    // shown; true when it was closed.
    bool CloseMap(const std::string &shownName);
    // Closes every tab, stopping at the first that stays; true when all
    // went.
    bool CloseAllMaps();

    void SetTabFile(TMapTab &tab, const std::string &fileName);
    void MapTabChanged();
    void MapChanged();

    bool Installing() const { return installing_; }
    TMapPageControl &Pages() const { return pages_; }

private:
    bool SaveThroughTemporary(TPMap &map, const std::string &fileName);

    TDocumentHost &host_;
    TMapPageControl &pages_;
    QWidget *parentWindow_;
    QTimer *lockTimer_ = nullptr;
    bool installing_ = false;
};
