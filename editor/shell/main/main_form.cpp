// The main window's frame, start-up, status bar, units, caption, closing
// and the map document host.
#include "editor/shell/main/main_form.h"

#include "editor/shell/catalogue/shortcuts.h"
#include "editor/shell/catalogue/tool_button.h"
#include "editor/shell/catalogue/tool_catalogue.h"
#include "editor/shell/catalogue/tool_panels.h"
#include "editor/shell/main/main_rules.h"
#include "editor/shell/map/tpmap.h"
#include "editor/shell/standins/dialogs.h"
#include "editor/shell/standins/exchange_forms.h"
#include "editor/shell/standins/geo_lib.h"
#include "editor/shell/standins/install_checks.h"
#include "editor/shell/standins/layer_list.h"
#include "editor/shell/support/data_folders.h"
#include "editor/shell/support/file_routines.h"
#include "editor/shell/support/global.h"
#include "editor/shell/support/messages.h"
#include "editor/shell/support/paths.h"
#include "editor/shell/support/recent_file_menu.h"
#include "editor/shell/support/shell_routines.h"
#include "editor/shell/tools/tool_framework.h"

#include "platform/text_codec.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>
#include <filesystem>

// The status bar's single panel while a long operation runs: a navy bar
// that grows with the progress.
class TProgressPanel : public QWidget {
public:
    explicit TProgressPanel(QWidget *parent) : QWidget(parent) { setMinimumHeight(20); }
    void SetLength(int length)
    {
        length_ = length;
        update();
    }
    int Length() const { return length_; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().button());
        if (length_ > 4)
            p.fillRect(QRect(QPoint(4, 4), QPoint(length_, 18)), QColor(0, 0, 128));
    }

private:
    int length_ = 0;
};

namespace {

constexpr const char *kRecentKey = "\\Software\\Vorn Technology\\ORVPro\\Recent";
constexpr const char *kSampleMapsFolder = "Sample Maps";
constexpr int kStartupDelayMs = 1000;

// Tool ids of the menus, 0 a separator.
const std::vector<uint8_t> kFileMenu = {10, 11, 12, 13, 0, 18, 30, 29, 0, 15, 16, 17, 0, 37};
const std::vector<uint8_t> kExportMenu = {31, 32, 33, 35};
const std::vector<uint8_t> kViewMenu = {167, 168, 188, 198, 199, 200, 70, 71, 220, 201};
const std::vector<uint8_t> kObjectsMenu = {166, 182, 191, 73, 74, 185, 0, 178, 179, 0, 186, 187, 0, 68, 69};
const std::vector<uint8_t> kDrawMenu = {169, 170, 218, 224, 177, 174, 175, 176};
const std::vector<uint8_t> kToolsMenu = {119, 0, 171, 172, 173, 208, 0, 107, 0, 165, 216};
const std::vector<uint8_t> kUnitsMenu = {38, 39, 40, 41, 42, 0, 43, 44, 45, 46, 47, 48};
const std::vector<uint8_t> kOptionsMenu = {65, 14};
const std::vector<uint8_t> kOfficeMenu = {117, 116, 118, 49,  115, 124, 147, 0, 184,
                                          91,  164, 163, 214, 193, 0,   67,  8};
const std::vector<uint8_t> kHelpMenu = {61, 62, 63, 0, 36, 0, 64};
const std::vector<uint8_t> kLayersLiteButtons = {156, 155, 157, 158, 0, 152, 153, 160};
const std::vector<uint8_t> kLayersPanelButtons = {156, 155, 158, 157, 159, 0, 152, 153, 154, 0, 160};

TToolItem *ItemOfId(QMenu *menu, uint8_t id)
{
    for (QAction *a : menu->actions())
        if (auto *item = dynamic_cast<TToolItem *>(a); item && item->Id == id)
            return item;
    return nullptr;
}

} // namespace

TfrmMain::TfrmMain(std::vector<std::string> arguments, QWidget *parent)
    : QMainWindow(parent), arguments_(std::move(arguments))
{
    CtrlHeld = [] { return (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0; };
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    // The documents' controls call the tool manager from their events: the
    // tabs go first, then the manager.
    documents_.reset();
    delete mapPages_;
    mapPages_ = nullptr;
    currentMap_ = nullptr;
    toolMgr_.reset();
}

TfrmButtons *TfrmMain::CatalogueForm()
{
    // The catalogue form holds the glyphs every panel and menu uses.
    if (!buttons_)
        buttons_ = new TfrmButtons(this);
    return buttons_;
}

void TfrmMain::FormCreate()
{
    // 1. Size and keys.
    setMinimumSize(1020, 740);
    setWindowState(Qt::WindowMaximized);
    setWindowTitle("Initialising ...");
    qApp->installEventFilter(this); // key preview
    // Paste follows what the clipboard holds, also when another program or
    // another tab put it there.
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, [this] {
            if (mapPages_ && mapPages_->TabCount() > 0)
                SetButtonStates();
        });

    // 2. Menu bar, the tool panels (placed at start-up) and status bar.
    menuBar();
    mainLite_ = new TToolPanelLite(*CatalogueForm(), Global().ToolbarsKey(), this);
    mainPanel_ = new TToolPanel(*CatalogueForm(), this);
    auto *status = new QStatusBar(this);
    setStatusBar(status);
    status->setSizeGripEnabled(true);

    // 3-5. Left panel with the tool pages, right panel with the map pages,
    // below the main tool bar.
    frame_ = new QWidget(this);
    auto *frameLayout = new QVBoxLayout(frame_);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->setSpacing(0);
    splitter_ = new QSplitter(Qt::Horizontal, frame_);
    splitter_->setHandleWidth(1);
    frameLayout->addWidget(splitter_, 1);
    leftPanel_ = new QWidget(splitter_);
    const int panelWidth = Global().SettingsKey().GetInteger("PanelWidth", 0);
    const int leftWidth = int(std::lrint(std::clamp(panelWidth, 0, 1000) * 2.4)) + 240;
    auto *leftLayout = new QVBoxLayout(leftPanel_);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    toolPages_ = new QTabWidget(leftPanel_);
    leftLayout->addWidget(toolPages_);
    rightPanel_ = new QWidget(splitter_);
    auto *rightLayout = new QVBoxLayout(rightPanel_);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    secondPanel_ = new TToolPanel(*CatalogueForm(), this);
    overflowPanel_ = new TToolPanel(*CatalogueForm(), this);
    mapPages_ = new TMapPageControl(rightPanel_);
    rightLayout->addWidget(mapPages_, 1);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({leftWidth, 1020 - leftWidth});
    setCentralWidget(frame_);

    // 6. The "Layers" tab with its tool panels and layer list.
    layersTab_ = new QWidget(toolPages_);
    auto *layersLayout = new QVBoxLayout(layersTab_);
    layersLayout->setContentsMargins(0, 0, 0, 0);
    layerList_ = new TLayerList(layersTab_);
    layersLayout->addWidget(layerList_, 1);
    layersLite_ = new TToolPanelLite(*CatalogueForm(), Global().ToolbarsKey(), this);
    layersPanel_ = new TToolPanel(*CatalogueForm(), this);
    toolPages_->addTab(layersTab_, "Layers");
    connect(toolPages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (auto *tab = dynamic_cast<TToolTab *>(toolPages_->widget(index)))
            ShowToolTab(tab->Order);
    });

    // 7. Data folders and the trace log.
    for (int csidl : {CSIDL_COMMON_APPDATA, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA}) {
        const std::string folder = EditorDataFolder(csidl);
        std::error_code ec;
        if (!folder.empty() && csidl != CSIDL_COMMON_APPDATA)
            std::filesystem::create_directories(folder, ec);
    }
    Global().StartLog(Global().LocalDataFolder());

    // 8. Who and what runs.
    Global().TraceText("Orvane Standard : Version 5.61");
    Global().TraceText(QDateTime::currentDateTime().toString("dd/MM/yyyy hh:mm:ss").toStdString());
    const TWindowsReg windows;
    Global().TraceText("Owner : " + windows.RegisteredOwner());
    Global().TraceText("Organisation : " + windows.RegisteredOrganisation());
    Global().TraceText(WindowsVersionName());

    // 10. The program's folder.
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    Global().AppKey().WriteString("Path", ExtractFilePath(program));
    Global().TraceText("Executable = " + program);
    Global().TraceText("File Version = " + ProgramVersion());

    // 11. The tool manager with every tool, over the catalogue form.
    toolMgr_ = std::make_unique<TToolMgr>(*buttons_);
    documents_ = std::make_unique<TMapDocuments>(*this, *mapPages_, this);
    connect(mapPages_, &QTabWidget::currentChanged, this, [this](int) {
        if (documents_)
            documents_->MapTabChanged();
    });
    mapPages_->Bar().GlyphOf = [this](int number) { return buttons_->Glyph(number); };
    mapPages_->Bar().OnCloseGlyph = [this] {
        if (!IsBusy() && documents_ && mapPages_->ActiveTab())
            documents_->CloseMap(mapPages_->ActiveTab()->Info().FullName);
    };
    recent_ = std::make_unique<TRecentFileMenu>(new QMenu("File", this), 1);

    // 12-15. Drops, busy until the start-up work is done, the timer.
    setAcceptDrops(true);
    busyMark_ = 1;
    startupTimer_ = new QTimer(this);
    startupTimer_->setSingleShot(true);
    startupTimer_->setInterval(kStartupDelayMs);
    connect(startupTimer_, &QTimer::timeout, this, &TfrmMain::DelayedInit);
    startupTimer_->start();
    startupTimerStarted_ = QDateTime::currentMSecsSinceEpoch();
    Global().TraceText("Finished FormCreate()");
}

void TfrmMain::CreateForms()
{
    // In the order the program body makes them; the import and export
    // dialogs are made once and filled in for every use.
    options_ = new TfrmOptions(this);
    for (const char *key : {"GMLLib", "DXFLib", "SHPLib", "CSVLib", "RasterLib"})
        importers_[key] = new TImporterForm(key, this);
    for (const char *key : {"DXFLib", "SHPLib", ""})
        exporters_[key] = new TExporterForm(key, this);
    about_ = new TAboutBox(this);
    cartesian_ = new TfrmCartesian(this);
    importers_["KMLLib"] = new TImporterForm("KMLLib", this);
    debug_ = new TfrmDebug(this);
    cleaner_ = new TfrmCleaner(this);
    importers_["RPALib"] = new TImporterForm("RPALib", this);
}

TImporterForm *TfrmMain::Importer(const std::string &key) const
{
    const auto it = importers_.find(key);
    return it == importers_.end() ? nullptr : it->second;
}

TExporterForm *TfrmMain::Exporter(const std::string &key) const
{
    const auto it = exporters_.find(key);
    return it == exporters_.end() ? nullptr : it->second;
}

bool TfrmMain::CheckParms(std::string &fileName, std::string &identifier) const
{
    Global().TraceEntry("CheckParms()");
    for (size_t i = 0; i < arguments_.size(); ++i)
        Global().TraceText("Parm[" + std::to_string(i + 1) + "] = " + arguments_[i]);
    const TStartupParms parms = ParseStartupParms(arguments_);
    fileName = parms.FileName;
    identifier = parms.Identifier;
    Global().TraceExit("CheckParms()");
    return parms.HasFile();
}

void TfrmMain::DelayedInit()
{
    // 1. Once only.
    if (!startupTimer_)
        return;
    Global().TraceEntry("DelayedInit()");
    startupPauseMs_ = double(QDateTime::currentMSecsSinceEpoch() - startupTimerStarted_);
    startupTimer_->stop();
    startupTimer_->deleteLater();
    startupTimer_ = nullptr;

    // 2-3. Title and the settings upgrade.
    QApplication::setApplicationName("ORV-Pro");
    const std::string version = Global().AppKey().GetString("Version", "Version 0.00");
    if (StoredVersionNumber(version) < kFirstKeptToolbarsVersion)
        Global().ToolbarsKey().DeleteKey();
    Global().AppKey().WriteString("Version", kVersionText);

    // 4-7. Menus and tool bars from their stored strings.
    SetMenuDefaults();
    buttons_->ClickTarget = [this](QObject *sender) { ToolButtonClick(sender); };
    BuildMenus();
    BuildToolBars();

    // 8. Preset tool tabs.
    const int32_t tabs = Global().SettingsKey().GetInteger("Tabs", 0);
    if (tabs & 0x20)
        PresetTab(142, false);
    if (tabs & 0x40)
        PresetTab(146, false);

    // 9-12.
    BuildStatusBar();
    Global().TraceText("Complete visual layout");
    CheckUserFolders();

    // 13. The first document.
    std::string file, identifier;
    const bool fromCommandLine = CheckParms(file, identifier);
    startupIdentifier_ = identifier;
    if (!fromCommandLine)
        file = recent_->GetFile(0);
    Global().TraceText("Startup File = " + file);
    std::error_code ec;
    const bool exists = !file.empty() && std::filesystem::is_regular_file(file, ec);
    if (exists && (fromCommandLine || (Global().GetOption(kOptionReloadLastMap) && !CtrlHeld())))
        documents_->InstallMap(file);
    // A document that could not be opened leaves no tab: the user starts
    // with a new map instead.
    if (mapPages_->TabCount() == 0)
        documents_->NewMap();

    // 14. Button states and the default shortcuts.
    SetButtonStates();
    TShortcuts shortcuts(Global().ToolbarsKey());
    shortcuts.SetDefaults();

    // 15. The geodetic library.
    Global().TraceText("Creating Geodetic Library");
    geoLib_ = std::make_unique<TGeoLib>();
    if (std::filesystem::is_regular_file(PathJoin(Global().CommonDataFolder(), "OSTN02.dat"), ec))
        Global().TraceText("OSTN02 data available");

    // 16-18. Locks, engine options, idle.
    documents_->StartLockTimer();
    WriteEngineOptions(true);
    busyMark_ = -1;
    WatchFirstPaint();
    Global().TraceExit("DelayedInit()");
}

void TfrmMain::WriteEngineOptions(bool all)
{
    const TRegLink &engine = Global().EngineSettingsKey();
    if (all) {
        engine.WriteInteger("Calculate Parts of Dividing Polygon Area", 1);
        engine.WriteInteger("Delete First Polygon After Complement", 0);
        engine.WriteInteger("Delete Polygons After Xor", 0);
    }
    engine.WriteInteger("Delete Polygons After Union", Global().GetOption(kOptionDeleteAfterCombine) ? 1 : 0);
    engine.WriteInteger("Delete Polygons After Intersection",
                        Global().GetOption(kOptionDeleteAfterOverlap) ? 1 : 0);
}

void TfrmMain::SetMenuDefaults()
{
    const TRegLink &menus = Global().MenusKey();
    menus.WriteString("Import", "0E1011141569121367");
    menus.WriteString("Edit", "191A001B1E001C1D2223");
    menus.WriteString("Tasks", "292A302C2B24");
    Global().ToolbarsKey().WriteString(
        "Toolbar0",
        "010708090C00191A001C1D00292A2C2B302D004041525726595824003F4D4F4728250042435F4849005D44454600");
    Global().AppKey().WriteInteger("Variant", 9);
}

void TfrmMain::BuildMenus()
{
    Global().TraceEntry("BuildMenus()");
    const TRegLink &menus = Global().MenusKey();
    auto create = [this](const char *caption) {
        Global().TraceText(std::string("CreateMenu(") + caption + ")");
        return menuBar()->addMenu(caption);
    };

    // File, with its Import and Export submenus and the recent files.
    QMenu *file = create("File");
    buttons_->AddMenuItems(file, kFileMenu);
    if (TToolItem *import = ItemOfId(file, 18)) {
        auto *sub = new QMenu(file);
        buttons_->AddMenuItemsFromString(sub, menus.GetString("Import", "0E1011141569121367"));
        import->setMenu(sub);
    }
    if (TToolItem *exportItem = ItemOfId(file, 30)) {
        auto *sub = new QMenu(file);
        buttons_->AddMenuItems(sub, kExportMenu);
        exportItem->setMenu(sub);
    }
    recent_ = std::make_unique<TRecentFileMenu>(file, 1);
    recent_->SetKey(HKEY_CURRENT_USER, kRecentKey);
    recent_->SetMaxFiles(6);
    recent_->SetCaptionWidth(36);
    recent_->SetClickHandler([this](QAction *item) {
        if (!IsBusy())
            documents_->OpenRecent(item);
    });
    recent_->Load();

    // Edit: its first two items are the undo and redo tools' items.
    QMenu *edit = create("Edit");
    buttons_->AddMenuItemsFromString(edit, menus.GetString("Edit", "191A001B1E001C1D2223001F"));
    const QList<QAction *> editItems = edit->actions();
    if (editItems.size() > 0 && dynamic_cast<TToolItem *>(editItems[0]))
        toolMgr_->SetUndoItem(editItems[0]);
    if (editItems.size() > 1 && dynamic_cast<TToolItem *>(editItems[1]))
        toolMgr_->SetRedoItem(editItems[1]);

    buttons_->AddMenuItems(create("View"), kViewMenu);
    buttons_->AddMenuItemsFromString(create("Tasks"), menus.GetString("Tasks", "292A302C2B2F2E683124"));
    buttons_->AddMenuItems(create("Objects"), kObjectsMenu);
    buttons_->AddMenuItems(create("Draw"), kDrawMenu);
    buttons_->AddMenuItems(create("Tools"), kToolsMenu);
    unitsMenu_ = create("Units");
    buttons_->AddMenuItems(unitsMenu_, kUnitsMenu);
    for (QAction *a : unitsMenu_->actions())
        if (!a->isSeparator())
            a->setCheckable(true);
    buttons_->AddMenuItems(create("Options"), kOptionsMenu);
    officeMenu_ = create("Office");
    buttons_->AddMenuItems(officeMenu_, kOfficeMenu);
    officeMenu_->menuAction()->setVisible(Global().OfficeMode());
    buttons_->AddMenuItems(create("Help"), kHelpMenu);
    Global().TraceExit("BuildMenus()");
}

void TfrmMain::BuildToolBars()
{
    const TRegLink &toolbars = Global().ToolbarsKey();
    const TClickTarget click = [this](QObject *sender) { ToolButtonClick(sender); };
    const std::string layout = toolbars.GetString("Toolbar0", "");
    if (layout.size() > 2 && layout[1] == '1') {
        // The fixed layout.
        mainLite_->Place(frame_, alTop);
        mainLite_->ClickTarget = click;
        mainLite_->LoadLayout();
        layersLite_->Place(layersTab_, alBottom);
        layersLite_->ClickTarget = click;
        layersLite_->AddButtons(kLayersLiteButtons);
        return;
    }
    mainPanel_->Place(frame_, alTop);
    secondPanel_->Place(rightPanel_, alLeft);
    overflowPanel_->Place(rightPanel_, alTop);
    layersPanel_->Place(layersTab_, alBottom);
    const int32_t overflow = toolbars.GetInteger("OverflowBar", 0);
    overflowPanel_->setVisible(overflow == 1);
    secondPanel_->setVisible(overflow == 2);
    BuildToolPanels();
}

void TfrmMain::BuildToolPanels()
{
    panelMgr_ = std::make_unique<TToolPanelMgr>(Global().ToolbarsKey(), buttons_);
    panelMgr_->ClickTarget = [this](QObject *sender) { ToolButtonClick(sender); };
    for (TToolPanel *panel : {mainPanel_, overflowPanel_, secondPanel_}) {
        panel->ClickTarget = panelMgr_->ClickTarget;
        if (panel == mainPanel_ || !panel->isHidden())
            panelMgr_->AddPanel(panel);
    }
    mainPanel_->StartOffset =
        Global().ToolbarsKey().GetInteger("Alignment", 0) != 0 ? splitter_->widget(0)->width() + 3 : 0;
    secondPanel_->StartOffset = 24;
    panelMgr_->LoadLayouts();
    layersPanel_->ClickTarget = panelMgr_->ClickTarget;
    for (uint8_t id : kLayersPanelButtons)
        layersPanel_->Append(id);
    Global().TraceText("<TToolID> count = 225");
}

void TfrmMain::BuildStatusBar()
{
    static constexpr int kFactors[9] = {2, 3, 3, 3, 1, 2, 2, 3, 3};
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int w = (screen ? screen->geometry().width() : 1024) / 20;
    for (size_t i = 0; i < panels_.size(); ++i) {
        if (!panels_[i]) {
            panels_[i] = new QLabel(statusBar());
            statusBar()->addWidget(panels_[i]);
        }
        panels_[i]->setFixedWidth(w * kFactors[i]);
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    panels_[0]->setFrameStyle(QFrame::Panel | (Global().DebugMode() ? QFrame::Raised : QFrame::Sunken));
    if (!progressPanel_) {
        progressPanel_ = new TProgressPanel(statusBar());
        statusBar()->addWidget(progressPanel_, 1);
        progressPanel_->hide();
    }
}

void TfrmMain::CheckUserFolders()
{
    Global().TraceEntry("CheckUserFolders()");
    const std::string common = Global().CommonDataFolder();
    const std::string appData = Global().AppDataFolder();
    const std::string documents = Global().DocumentsFolder();
    std::error_code ec;
    namespace fs = std::filesystem;
    if (!common.empty() && !appData.empty() && !fs::exists(PathJoin(appData, "Titles.txt"), ec) &&
        fs::is_regular_file(PathJoin(common, "Titles.txt"), ec) &&
        CopyFileOver(PathJoin(common, "Titles.txt"), PathJoin(appData, "Titles.txt")))
        Global().TraceText("Copied Title Box Template file");
    if (!common.empty() && !documents.empty()) {
        const std::string samplesHere = PathJoin(documents, kSampleMapsFolder);
        const std::string samplesThere = PathJoin(common, kSampleMapsFolder);
        if (!fs::exists(samplesHere, ec) && fs::is_directory(samplesThere, ec) &&
            fs::create_directories(samplesHere, ec)) {
            CopyNewerFiles(samplesThere, samplesHere);
            Global().TraceText("Copied Sample Map files");
        }
        const std::string surveysHere = PathJoin(documents, "Surveys");
        const std::string surveysThere = PathJoin(common, "Surveys");
        if (fs::is_directory(surveysThere, ec)) {
            if (!fs::exists(surveysHere, ec))
                fs::create_directories(surveysHere, ec);
            CopyNewerFiles(surveysThere, surveysHere);
            Global().TraceText("Copied Survey Template files");
        }
    }
    Global().TraceExit("CheckUserFolders()");
}

void TfrmMain::WatchFirstPaint()
{
    firstPaintWatched_ = true;
    QWidget *view = currentMap_ ? currentMap_->Widget() : nullptr;
    if (!view) {
        // No map to paint (its control could not be made): the start-up
        // counts as done, so that a caller waiting for it is not kept.
        firstPaintSeen_ = true;
        ReportFirstPaint();
        return;
    }
    // Whatever the widget painted during the start-up work, and whether or
    // not the drawing has ended by now, one paint comes after this; the
    // end of a drawing thread's pass brings another.
    view->update();
}

// --- Busy state and progress ---

void TfrmMain::SetProgressMode(bool on)
{
    progressMode_ = on;
    for (QLabel *panel : panels_)
        if (panel)
            panel->setVisible(!on);
    if (progressPanel_) {
        progressPanel_->SetLength(0);
        progressPanel_->setVisible(on);
    }
    busyMark_ = -1;
}

void TfrmMain::ShowProgress(int percent)
{
    if (!progressMode_ || !progressPanel_)
        return;
    const int length = int(std::lrint(double(percent) * statusBar()->width() / 100.0));
    progressPanel_->SetLength(length);
    busyMark_ = std::max(length, 0);
}

// --- Status bar ---

void TfrmMain::OnGlobalMessage(const std::string &text)
{
    if (Global().DebugMode() && panels_[0])
        panels_[0]->setText(FromWindows1252(text));
    QCoreApplication::processEvents();
}

void TfrmMain::OnMapMouse(TPMap &sender)
{
    if (!geoLib_ || !panels_[3])
        return;
    const int32_t x = sender.MouseArgs.X;
    const int32_t y = sender.MouseArgs.Y;
    const int32_t grid = sender.GridSystem();
    double lat = 0, lon = 0;
    std::string pointer;
    if (Global().GetOption(kOptionShowLatLong) && grid != 0 &&
        geoLib_->ToLatLong(grid, x / 100.0, y / 100.0, lat, lon))
        pointer = Global().GetOption(kOptionDegreesMinutesSeconds)
                      ? geoLib_->DegreesMinutesSeconds(lat, lon)
                      : FormatFixedPrecision(lat, 10, 6) + " : " + FormatFixedPrecision(lon, 10, 6);
    else
        pointer = PointerGridText(geoLib_->GridName(grid), x, y);
    panels_[3]->setText(FromWindows1252(pointer));
    panels_[8]->setText(Global().GetOption(kOptionShowGridReference) && grid == 61
                            ? FromWindows1252(geoLib_->GridReference(x, y))
                            : QString());
    if (sender.MouseArgs.EventId == 513) {
        referenceX_ = x;
        referenceY_ = y;
    }
    ShowSelectionMeasures(&sender);
    panels_[6]->setText(FromWindows1252(DistanceBearingText(x, y, referenceX_, referenceY_)));
}

// The length and area panels follow the selection of the map (none: empty):
// after every mouse event, selection change and change of tab.
void TfrmMain::ShowSelectionMeasures(TPMap *map)
{
    if (!panels_[4] || !panels_[5])
        return;
    const double length = map ? map->SelectionLength() : 0.0;
    panels_[4]->setText(
        length > 0 ? FromWindows1252(FormatFixedPrecision(length, 8, 1) + " " + map->LengthUnitName())
                   : QString());
    const double area = map ? map->SelectionArea() : 0.0;
    panels_[5]->setText(area > 0.0001
                            ? FromWindows1252(FormatFixedPrecision(area, 8, 2) + " " + map->AreaUnitName())
                            : QString());
}

void TfrmMain::OnSelection(TPMap &sender)
{
    ShowSelectionMeasures(&sender);
    if (panels_[1]) {
        const int32_t count = sender.SelectedCount();
        std::string layer = sender.SelectionLayerName();
        if (count > 0)
            layer += " (" + std::to_string(count) + ")";
        panels_[1]->setText(FromWindows1252(layer));
        const std::string id = sender.SelectionIDText();
        if (id.empty() || id[0] != '_' || Global().DebugMode())
            panels_[2]->setText(FromWindows1252(id));
    }
    if (sender.SelectedCount() == 1) {
        const IKrtObjects selected = sender.GetSelected();
        TMapEnumerator e(selected);
        const IKrtObject first = e.Next();
        if (first && first.ObjectType() == 3 && !sender.IsSymbolText(first) &&
            !sender.IsIdentifierText(first))
            InvokeTool(nullptr, 75);
    }
    SetButtonStates();
}

void TfrmMain::OnMapProgress(TPMap &, int32_t operationId, int32_t progress)
{
    if (operationId == 2)
        ShowProgress(progress);
}

bool TfrmMain::MapPictureReady() const
{
    if (!currentMap_)
        return true;
    try {
        return currentMap_->PictureComplete();
    } catch (const ControlException &e) {
        // A control that cannot say will not draw either: a caller waiting
        // for the first painted map is not kept.
        Global().TraceProblem("Map picture state unknown : " + std::string(e.what()));
        return true;
    }
}

void TfrmMain::OnMapMessage(TPMap &, const std::string &text) { Global().TraceProblem(text); }

// --- Units and caption ---

void TfrmMain::UnitsClick(uint8_t id)
{
    const std::optional<int32_t> code = UnitCodeOfTool(id);
    if (!currentMap_ || !code)
        return;
    currentMap_->SetUnits(*code);
    UpdateUnitsMenu();
    OnMapMouse(*currentMap_);
}

void TfrmMain::UpdateUnitsMenu()
{
    if (!currentMap_)
        return;
    const int32_t length = currentMap_->GetUnits(kLengthUnitKind);
    const int32_t area = currentMap_->GetUnits(kAreaUnitKind);
    if (unitsMenu_)
        for (QAction *a : unitsMenu_->actions())
            if (auto *item = dynamic_cast<TToolItem *>(a))
                if (const std::optional<int32_t> code = UnitCodeOfTool(item->Id))
                    item->setChecked(*code == (IsLengthUnitTool(item->Id) ? length : area));
    Global().SettingsKey().WriteInteger("Units", StoredUnits(length, area));
}

void TfrmMain::LoadUnits()
{
    if (!currentMap_)
        return;
    int32_t units = Global().SettingsKey().GetInteger("Units", kDefaultUnits);
    // A value that names no pair of unit codes gives the default.
    if (units < 0 || units > 0xFFFF)
        units = kDefaultUnits;
    currentMap_->SetUnits(units & 255);
    currentMap_->SetUnits(units / 256);
}

void TfrmMain::UpdateCaption()
{
    std::string caption = "Orvane Standard";
    if (TMapTab *tab = mapPages_->ActiveTab())
        caption += "   " + tab->Info().FullName;
    setWindowTitle(FromWindows1252(caption));
}

void TfrmMain::AppException(const std::string &message)
{
    Global().TraceError(message);
    ErrorMessage(message);
}

// --- Closing ---

bool TfrmMain::FormCloseQuery()
{
    Global().TraceEntry("FormCloseQuery()");
    bool canClose = true;
    if (IsBusy()) {
        // A save or the start-up is under way: closing now would drop the
        // documents without a question, so the window stays.
        canClose = false;
        Global().TraceText("Closedown cancelled");
        Global().TraceExit("FormCloseQuery()");
        return false;
    }
    while (canClose && mapPages_->TabCount() > 0) {
        TMapTab *tab = mapPages_->ActiveTab();
        canClose = tab && documents_->CloseMap(tab->Info().FullName);
        QCoreApplication::processEvents();
    }
    Global().TraceText(canClose ? "Application Closing" : "Closedown cancelled");
    Global().TraceExit("FormCloseQuery()");
    return canClose;
}

void TfrmMain::FormClose()
{
    Global().TraceEntry("FormClose()");
    busyMark_ = 1;
    Global().TraceText("Saving MRU List ...");
    recent_->Save();
    Global().TraceExit("FormClose()");
    Global().StopLog();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

// --- Drops ---

void TfrmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (!IsBusy() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent *event)
{
    if (FilesDropped(*event->mimeData()))
        event->acceptProposedAction();
}

bool TfrmMain::FilesDropped(const QMimeData &data)
{
    if (IsBusy())
        return false;
    std::vector<std::string> files;
    for (const QUrl &url : data.urls())
        if (url.isLocalFile())
            files.push_back(ToWindows1252(url.toLocalFile()));
    if (files.empty())
        return false;
    documents_->DropFiles(files);
    return true;
}

// --- The document host ---

void TfrmMain::SubscribeMap(TPMap &map)
{
    map.Subscribe<&TfrmMain::OnMapMouse>(meMouse, this);
    map.Subscribe<&TfrmMain::OnSelection>(meSelectionChanged, this);
    map.Subscribe<&TfrmMain::OnMapClosing>(meClosing, this);
    map.OnProgress = [this](TPMap &sender, int32_t operation, int32_t progress) {
        OnMapProgress(sender, operation, progress);
    };
    map.OnMessage = [this](TPMap &sender, const std::string &text) { OnMapMessage(sender, text); };
}

void TfrmMain::OnMapClosing(TPMap &sender)
{
    // The map goes with its tab: nothing may keep it.
    if (toolMgr_->Map() == &sender)
        toolMgr_->SetMap(nullptr);
    if (layerList_->Map() == &sender)
        layerList_->SetMap(nullptr);
    for (TMapDialog *form :
         std::initializer_list<TMapDialog *>{options_, cleaner_, about_, debug_, cartesian_})
        if (form && form->Map() == &sender)
            form->SetMap(nullptr);
}

void TfrmMain::MapChangedRefresh(TMapInfo &info)
{
    TPMap *map = info.Map();
    layerList_->SetMap(map);
    toolMgr_->SetMap(map);
    if (options_)
        options_->SetMap(map);
    toolPages_->setCurrentIndex(0);
    if (map)
        OnSelection(*map);
    else
        ShowSelectionMeasures(nullptr);
    SetButtonStates();
    LoadUnits();
    UpdateUnitsMenu();
    UpdateCaption();
}

std::string TfrmMain::TakeStartupIdentifier() { return std::exchange(startupIdentifier_, std::string()); }

void TfrmMain::RunInstallationChecks(TPMap &map) { ::RunInstallationChecks(map); }

void TfrmMain::ShowGridSystemDialog(TPMap &map)
{
    if (!cartesian_)
        return;
    cartesian_->SetMap(&map);
    cartesian_->Execute();
}
