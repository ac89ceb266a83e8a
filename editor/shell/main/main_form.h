// The editor's main window: its frame (menus, tool bars, the tool tabs on
// the left, the map tabs on the right, the status bar), the start-up work
// that runs a second after the frame shows, the status display of the
// pointer and the selection, units, the dispatch of tool ids from buttons,
// menu items and shortcuts, and the main window's own commands. It hosts
// the map documents (TMapDocuments) and the tool manager (TToolMgr).
#pragma once

#include "editor/shell/documents/document_host.h"
#include "editor/shell/documents/map_documents.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QMimeData;
class QSplitter;
class QTabWidget;
class QTimer;
class TAboutBox;
class TExporterForm;
class TfrmButtons;
class TfrmCartesian;
class TfrmCleaner;
class TfrmDebug;
class TfrmOptions;
class TGeoLib;
class TImporterForm;
class TLayerList;
class TProgressPanel;
class TRecentFileMenu;
class TToolMgr;
class TToolPanel;
class TToolPanelLite;
class TToolPanelMgr;
class TToolTab;

class TfrmMain : public QMainWindow, public TDocumentHost {
public:
    // FormCreate: the frame only; the start-up timer does the rest.
    // arguments: the command line after the program's name.
    explicit TfrmMain(std::vector<std::string> arguments = {}, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The program body creates the remaining forms after the main window.
    void CreateForms();

    // --- Start-up ---
    void DelayedInit();
    void SetMenuDefaults();
    void BuildMenus();
    void BuildToolBars();
    void BuildStatusBar();
    void CheckUserFolders();
    // The command line's document and identifier; true when a document
    // was named.
    bool CheckParms(std::string &fileName, std::string &identifier) const;
    // The time the start-up timer waited before its work began, in ms;
    // negative before it ran.
    double StartupPauseMs() const { return startupPauseMs_; }
    QTimer *StartupTimer() const { return startupTimer_; }
    // Whether the Ctrl key is held as the first document is chosen; the
    // keyboard's state unless a test sets it.
    std::function<bool()> CtrlHeld;
    // `report` runs once, from the event loop, when the first map has been
    // painted: once the start-up work is done, the current map's widget
    // painted the whole of its finished picture. Set before or after that
    // happens; an empty function cancels.
    void WhenFirstMapPainted(std::function<void()> report);

    // --- Busy state and progress ---
    bool IsBusy() override { return busyMark_ >= 0; }
    int BusyMark() const { return busyMark_; }
    void SetProgressMode(bool on) override;
    void ShowProgress(int percent);
    bool InProgressMode() const { return progressMode_; }

    // --- Status bar ---
    QLabel *StatusPanel(int index) const { return panels_.at(size_t(index)); }
    void OnMapMouse(TPMap &sender);
    void OnSelection(TPMap &sender);
    void ShowSelectionMeasures(TPMap *map);
    void OnMapProgress(TPMap &sender, int32_t operationId, int32_t progress);
    void OnMapMessage(TPMap &sender, const std::string &text);
    // Map event 14: the map is about to go.
    void OnMapClosing(TPMap &sender);
    void OnGlobalMessage(const std::string &text);

    // --- Units and caption ---
    void UnitsClick(uint8_t id);
    void UpdateUnitsMenu();
    void LoadUnits();
    void UpdateCaption() override;
    void AppException(const std::string &message);

    // --- Tool-id dispatch ---
    void ToolButtonClick(QObject *sender);
    void InvokeTool(QObject *component, uint8_t id);
    void InvokeTool(uint8_t id) override { InvokeTool(nullptr, id); }
    bool IsCommandEnabled(uint8_t id);
    void UpdateButtonState(QObject *component);
    void SetButtonStates() override;
    bool OpenUITool(uint8_t id);
    void ShowToolTab(int order);
    void PresetTab(uint8_t id, bool fixed);
    void ServiceCommand(uint8_t id);
    // The key after the main window saw it: 0 when consumed, an arrow key
    // when a keypad digit moves the view, else the key unchanged.
    int FormKeyDown(int virtualKey, Qt::KeyboardModifiers modifiers);

    // --- Main-window commands ---
    bool Import(const std::string &libraryKey);
    bool ImportKRT(const std::string &formatKey);
    bool Export(const std::string &libraryKey);
    bool ExportKRT(const std::string &formatKey);
    void RelocatePageOutline();
    void ShowOptions(int page);
    void MapCleaner();
    void PurgeLayers();
    void CopyPage();
    void UserManual();
    // The user manual's file, empty when it is not found.
    std::string UserManualFile() const;
    void VornSupport();
    void CheckUpdates();

    // --- TDocumentHost ---
    TPMap *&CurrentMap() override { return currentMap_; }
    void SubscribeMap(TPMap &map) override;
    void MapChangedRefresh(TMapInfo &info) override;
    TRecentFileMenu &RecentFiles() override { return *recent_; }
    std::string TakeStartupIdentifier() override;
    void RunInstallationChecks(TPMap &map) override;
    void ShowGridSystemDialog(TPMap &map) override;
    void CloseLayerProperties() override {}

    // --- Parts the tests and the program body reach ---
    TMapDocuments &Documents() const { return *documents_; }
    TMapPageControl &MapPages() const { return *mapPages_; }
    QTabWidget &ToolPages() const { return *toolPages_; }
    TLayerList &LayerList() const { return *layerList_; }
    TToolMgr &ToolMgr() const { return *toolMgr_; }
    TfrmButtons &Buttons() const { return *buttons_; }
    // The fixed main tool bar (lite layout), else null.
    TToolPanelLite *MainLitePanel() const { return mainLite_; }
    TToolPanel *MainPanel() const { return mainPanel_; }
    TToolPanelMgr *PanelMgr() const { return panelMgr_.get(); }
    QMenu *UnitsMenu() const { return unitsMenu_; }
    QMenu *OfficeMenu() const { return officeMenu_; }
    // The import or export dialog of a library key ("" the raster export).
    TImporterForm *Importer(const std::string &key) const;
    TExporterForm *Exporter(const std::string &key) const;
    TfrmOptions *Options() const { return options_; }
    TfrmCleaner *Cleaner() const { return cleaner_; }
    int MaxTabs() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

public:
    // The local files of a drop go to the documents, unless busy; true when
    // some went.
    bool FilesDropped(const QMimeData &data);
    // Closing: true when every map tab closed (or none asked).
    bool FormCloseQuery();
    void FormClose();

private:
    void FormCreate();
    TfrmButtons *CatalogueForm();
    void BuildToolPanels();
    void RunMainCommand(uint8_t id);
    // Releases the control's tool whose button is down, when there is one.
    void ReleaseMapTool();
    void WriteEngineOptions(bool all);
    void WatchFirstPaint();
    void ReportFirstPaint();
    // Whether the current map's widget has the whole map to show: nothing
    // is being drawn or due to be drawn (the control says; its drawing
    // thread copies a pass's picture only at its end).
    bool MapPictureReady() const;
    std::vector<TToolTab *> ToolTabs() const;

    std::vector<std::string> arguments_;
    int busyMark_ = 1;
    bool progressMode_ = false;
    // The start-up work is done: the map's paints count from here on.
    bool firstPaintWatched_ = false;
    bool firstPaintSeen_ = false;
    bool firstPaintReported_ = false;
    std::function<void()> firstMapPainted_;
    double startupPauseMs_ = -1;
    qint64 startupTimerStarted_ = 0;
    std::string startupIdentifier_;
    int32_t referenceX_ = 0;
    int32_t referenceY_ = 0;
    TPMap *currentMap_ = nullptr;

    QTimer *startupTimer_ = nullptr;
    QSplitter *splitter_ = nullptr;
    QWidget *leftPanel_ = nullptr;
    QWidget *rightPanel_ = nullptr;
    QTabWidget *toolPages_ = nullptr;
    QWidget *layersTab_ = nullptr;
    QWidget *frame_ = nullptr; // the main tool bar above the splitter
    TLayerList *layerList_ = nullptr;
    TMapPageControl *mapPages_ = nullptr;
    TToolPanelLite *mainLite_ = nullptr;
    TToolPanelLite *layersLite_ = nullptr;
    TToolPanel *mainPanel_ = nullptr;
    TToolPanel *secondPanel_ = nullptr;
    TToolPanel *overflowPanel_ = nullptr;
    TToolPanel *layersPanel_ = nullptr;
    std::unique_ptr<TToolPanelMgr> panelMgr_;
    QMenu *unitsMenu_ = nullptr;
    QMenu *officeMenu_ = nullptr;
    std::array<QLabel *, 9> panels_{};
    TProgressPanel *progressPanel_ = nullptr;

    TfrmButtons *buttons_ = nullptr;
    std::unique_ptr<TToolMgr> toolMgr_;
    std::unique_ptr<TMapDocuments> documents_;
    std::unique_ptr<TRecentFileMenu> recent_;
    std::unique_ptr<TGeoLib> geoLib_;

    TfrmOptions *options_ = nullptr;
    TfrmCleaner *cleaner_ = nullptr;
    TAboutBox *about_ = nullptr;
    TfrmDebug *debug_ = nullptr;
    TfrmCartesian *cartesian_ = nullptr;
    std::map<std::string, TImporterForm *> importers_;
    std::map<std::string, TExporterForm *> exporters_;
};
