// The dispatch of tool ids from buttons, menu items and shortcuts, the
// enabled states, the tool tabs, the keyboard, and the main window's own
// commands: files, import and export, maintenance and launchers.
#include "editor/shell/main/main_form.h"

#include "editor/shell/catalogue/shortcuts.h"
#include "editor/shell/catalogue/tool_button.h"
#include "editor/shell/catalogue/tool_catalogue.h"
#include "editor/shell/main/main_rules.h"
#include "editor/shell/map/tpmap.h"
#include "editor/shell/standins/dialogs.h"
#include "editor/shell/standins/exchange_forms.h"
#include "editor/shell/standins/layer_list.h"
#include "editor/shell/standins/map_copier.h"
#include "editor/shell/support/data_folders.h"
#include "editor/shell/support/global.h"
#include "editor/shell/support/messages.h"
#include "editor/shell/support/paths.h"
#include "editor/shell/support/shell_routines.h"
#include "editor/shell/support/tracer_form.h"
#include "editor/shell/tools/tool_framework.h"

#include "platform/file_dialog.h"
#include "platform/text_codec.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

namespace {

constexpr int32_t kCommandViewAll = 432;
constexpr int32_t kCommandViewPage = 433;
constexpr int32_t kCleanerActionCode = 40;
constexpr uint8_t kDeselectToolId = 223;

// The open dialog's filter and the import dialog by library key.
const char *ImportFilter(const std::string &key)
{
    if (key == "GMLLib")
        return "GML Files (*.gml)|*.gml";
    if (key == "DXFLib")
        return "DXF Files (*.dxf)|*.dxf";
    if (key == "KMLLib")
        return "KML Files (*.kml)|*.kml";
    if (key == "SHPLib")
        return "SHP Files (*.shp)|*.shp";
    if (key == "RPALib")
        return "RPA Files (*.shp, *.zip)|*.shp; *.zip";
    if (key == "CSVLib")
        return "Comma Separated Variable Files (*.csv, *.txt)|*.csv; *.txt";
    if (key == "RasterLib")
        return "Raster Files (*.bmp, *.png, *.jpg, *.tif)|*.bmp; *.png; *.jpg; *.tif|All Files (*.*)|*.*";
    return "";
}

// The Qt key of a Windows arrow key code.
Qt::Key QtKeyOfArrow(int virtualKey)
{
    switch (virtualKey) {
    case 37:
        return Qt::Key_Left;
    case 38:
        return Qt::Key_Up;
    case 39:
        return Qt::Key_Right;
    default:
        return Qt::Key_Down;
    }
}

// The user manual's file name: the application key's "UserManual", else the
// manual that ships.
std::string UserManualName()
{
    const std::string name = Global().AppKey().GetString("UserManual", "");
    return name.empty() ? kUserManualFile : name;
}

} // namespace

// --- Dispatch ---

void TfrmMain::ToolButtonClick(QObject *sender)
{
    if (IsBusy())
        return;
    InvokeTool(sender, ToolIdOf(sender));
}

void TfrmMain::InvokeTool(QObject *component, uint8_t id)
{
    Global().TraceText("InvokeTool(" + buttons_->ToolCaption(id) + ")");
    // A command not built yet is disabled wherever it shows; one that still
    // arrives (a text selected on the map asks for the text tool) does
    // nothing.
    if (!IsToolBuilt(id)) {
        Global().TraceNote("Not built : " + buttons_->ToolCaption(id));
        return;
    }
    bool handled = OpenUITool(id);
    if (handled)
        ReleaseMapTool();
    else
        handled = toolMgr_->ToolClick(component, id);
    if (!handled)
        RunMainCommand(id);
    if (id == 68 && currentMap_)
        OnSelection(*currentMap_);
    if (mapPages_ && mapPages_->TabCount() > 0)
        SetButtonStates();
}

void TfrmMain::ReleaseMapTool()
{
    // A tool of the editor's own takes the place of the control's tool that
    // a button shows down: the control ends what it was drawing.
    const TORVTool *mapTool = toolMgr_->FindTool(0);
    if (currentMap_ && mapTool && mapTool->Button())
        currentMap_->SetCommand(ToolIdToCommand(kDeselectToolId));
}

void TfrmMain::RunMainCommand(uint8_t id)
{
    switch (id) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 7:
    case 36:
        ServiceCommand(id);
        return;
    case 10:
        documents_->NewMap();
        return;
    case 11:
        documents_->OpenDialog();
        return;
    case 12:
    case 13:
        documents_->SaveMap(id == 13);
        return;
    case 14:
        if (currentMap_)
            ShowGridSystemDialog(*currentMap_);
        return;
    case 15:
        ShowOptions(2);
        return;
    case 19:
        Import("GMLLib");
        return;
    case 20:
    case 27:
        Import("DXFLib");
        return;
    case 21:
        Import("SHPLib");
        return;
    case 22:
        Import("RPALib");
        return;
    case 23:
        ImportKRT("MPD5");
        return;
    case 24:
        Import("RasterLib");
        return;
    case 25:
        Import("KMLLib");
        return;
    case 26:
        Import("CSVLib");
        return;
    case 28:
        ImportKRT("MIFF");
        return;
    case 31:
        Export("DXFLib");
        return;
    case 32:
        Export("SHPLib");
        return;
    case 33:
        Export("");
        return;
    case 35:
        ExportKRT("MIFF");
        return;
    case 37:
        // After the click's handler: the close may free the map tabs.
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    case 59:
        CopyPage();
        return;
    case 61:
        UserManual();
        return;
    case 62:
        VornSupport();
        return;
    case 63:
        CheckUpdates();
        return;
    case 64:
        if (about_) {
            about_->SetMap(currentMap_);
            about_->Execute();
        }
        return;
    case 65:
        ShowOptions(1);
        return;
    case 152:
    case 153:
    case 154:
        layerList_->SetMode(id - 151);
        return;
    case 155:
    case 156:
        layerList_->SetLayers(TLayerState::Visibility, id == 156);
        return;
    case 157:
    case 158:
        layerList_->SetLayers(TLayerState::Selectability, id == 158);
        return;
    case 159:
        layerList_->ResetLayers();
        return;
    case 160:
        layerList_->AddLayer();
        return;
    case 163:
        PurgeLayers();
        return;
    case 165:
        MapCleaner();
        return;
    default:
        if (UnitCodeOfTool(id))
            UnitsClick(id);
        return;
    }
}

std::string TfrmMain::UserManualFile() const { return FindProgramFile(UserManualName()); }

bool TfrmMain::IsCommandEnabled(uint8_t id)
{
    if (!IsToolBuilt(id))
        return false;
    switch (EnableRuleOf(id)) {
    case TEnableRule::Never:
        return false;
    case TEnableRule::Always:
        return true;
    case TEnableRule::MapWritable:
        return currentMap_ && !currentMap_->ReadOnly;
    case TEnableRule::MapExists:
        return currentMap_ != nullptr;
    case TEnableRule::UserManual:
        return !UserManualFile().empty();
    case TEnableRule::UpdateChecker:
        return !Global().AppKey().GetString(kUpdateProgramValue, "").empty();
    case TEnableRule::LayerStates:
        return currentMap_ && currentMap_->HasLayerStates();
    case TEnableRule::AskTools:
        return toolMgr_->GetState(id);
    }
    return false;
}

void TfrmMain::UpdateButtonState(QObject *component)
{
    // Every tool button, lite button and tool menu item below the
    // component (itself included) gets the state of its id.
    QList<QObject *> all = component->findChildren<QObject *>();
    all.prepend(component);
    for (QObject *o : all) {
        if (auto *b = dynamic_cast<TToolBtn *>(o))
            b->setEnabled(IsCommandEnabled(b->Id));
        else if (auto *l = dynamic_cast<TToolBtnLite *>(o))
            l->setEnabled(IsCommandEnabled(l->Id));
        else if (auto *i = dynamic_cast<TToolItem *>(o))
            i->setEnabled(IsCommandEnabled(i->Id));
    }
}

void TfrmMain::SetButtonStates()
{
    Global().TraceText("SetButtonStates()");
    UpdateButtonState(this);
}

// --- Tool tabs ---

int TfrmMain::MaxTabs() const { return Global().SettingsKey().GetInteger("MaxTabs", kDefaultMaxTabs); }

std::vector<TToolTab *> TfrmMain::ToolTabs() const
{
    std::vector<TToolTab *> tabs;
    for (int i = 1; i < toolPages_->count(); ++i)
        if (auto *tab = dynamic_cast<TToolTab *>(toolPages_->widget(i)))
            tabs.push_back(tab);
    return tabs;
}

bool TfrmMain::OpenUITool(uint8_t id)
{
    if (!toolMgr_->IsUITool(id))
        return false;
    TToolTab *tab = toolMgr_->FindTab(id);
    if (!tab) {
        tab = new TToolTab(this);
        toolPages_->addTab(tab, FromWindows1252(buttons_->ToolCaption(id)));
        if (!toolMgr_->AttachTab(id, tab)) {
            delete tab;
            return false;
        }
    }
    ShowToolTab(tab->Order);
    return true;
}

void TfrmMain::ShowToolTab(int order)
{
    const std::vector<TToolTab *> tabs = ToolTabs();
    std::vector<int> orders;
    for (TToolTab *tab : tabs)
        orders.push_back(tab->Order);
    const TTabOrderResult result = ReorderToolTabs(orders, order, MaxTabs());
    // Setting the current page calls this again through the change
    // handler: the orders are written first, so that call changes nothing.
    for (size_t i = 0; i < tabs.size(); ++i) {
        tabs[i]->Order = orders[i];
        toolPages_->setTabVisible(toolPages_->indexOf(tabs[i]), result.Visible[i]);
    }
    uint8_t active = 0;
    if (result.Active) {
        active = tabs[*result.Active]->Id;
        const QSignalBlocker block(toolPages_);
        toolPages_->setCurrentWidget(tabs[*result.Active]);
    } else if (auto *current = dynamic_cast<TToolTab *>(toolPages_->currentWidget())) {
        active = current->Id;
    }
    toolMgr_->ActivateUITools(active);
}

void TfrmMain::PresetTab(uint8_t id, bool fixed)
{
    Global().TraceText("Preset Tab : " + buttons_->ToolCaption(id));
    if (toolPages_->count() >= MaxTabs())
        return;
    int ordered = 0;
    for (TToolTab *tab : ToolTabs())
        ordered += tab->Order > 0 ? 1 : 0;
    auto *tab = new TToolTab(this);
    toolPages_->addTab(tab, FromWindows1252(buttons_->ToolCaption(id)));
    if (!toolMgr_->AttachTab(id, tab)) {
        delete tab; // no tool with its own panel has the id
        return;
    }
    tab->Order = fixed ? 0 : ordered + 1;
    toolMgr_->ActivateUITools(id);
}

void TfrmMain::ServiceCommand(uint8_t id)
{
    switch (id) {
    case 2:
        Global().CheckDebugMode(!Global().DebugMode());
        if (StatusPanel(0))
            StatusPanel(0)->setFrameStyle(QFrame::Panel |
                                          (Global().DebugMode() ? QFrame::Raised : QFrame::Sunken));
        layerList_->Rebuild();
        break;
    case 3:
        if (Global().DebugMode() && debug_)
            debug_->ShowForMap(currentMap_);
        break;
    case 4:
        if (Global().DebugMode() && Global().Tracer())
            Global().Tracer()->show();
        break;
    case 5:
        Global().SetOfficeMode(!Global().OfficeMode());
        if (officeMenu_)
            officeMenu_->menuAction()->setVisible(Global().OfficeMode());
        layerList_->Rebuild();
        break;
    case 7:
        if (AskYesNo("You are about to reset all application settings to their original values.\r"
                     "(This is not fully effective until Orvane is restarted).\r\r"
                     "Is this what you want to do?"))
            Global().AppKey().DeleteKey();
        break;
    case 36:
        // The log folder, through the desktop.
        ShellRun(0, Global().LocalDataFolder(), "", SW_SHOWNORMAL, "");
        break;
    default:
        break;
    }
}

// --- Keyboard ---

int TfrmMain::FormKeyDown(int virtualKey, Qt::KeyboardModifiers modifiers)
{
    if (IsBusy() || virtualKey == 0)
        return virtualKey;
    TShortcut shortcut;
    shortcut.Flags = ShortcutFlagsOf(modifiers);
    shortcut.Key = virtualKey;
    const bool mapFocused = currentMap_ && currentMap_->MapFocused();
    if (!shortcut.NeedsMapFocus() || mapFocused) {
        const int32_t position = Global().ToolbarsKey().GetInteger(shortcut.ValueName(), 0);
        if (position > 0) {
            // A position past the table names no tool (id 0, never enabled).
            const uint8_t id = TfrmButtons::ToolOfIndex(position);
            if (IsCommandEnabled(id))
                InvokeTool(nullptr, id);
            return 0;
        }
    }
    if (mapFocused) {
        if (virtualKey == VK_NUMPAD5_KEY) {
            InvokeTool(nullptr, 198);
            return 0;
        }
        if (const std::optional<int> arrow = KeypadArrowKey(virtualKey))
            return *arrow;
    }
    return virtualKey;
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    // The first paint that shows the whole map after the start-up work:
    // with the drawing thread, the widget's first paints show the surface
    // before a pass has drawn it, and a stopped pass leaves its area to the
    // next one.
    if (event->type() == QEvent::Paint && firstPaintWatched_ && !firstPaintSeen_ && currentMap_ &&
        watched == currentMap_->Widget() && MapPictureReady()) {
        auto *view = static_cast<QWidget *>(watched);
        if ((QRegion(view->rect()) - static_cast<QPaintEvent *>(event)->region()).isEmpty()) {
            firstPaintSeen_ = true;
            ReportFirstPaint();
        } else {
            view->update(); // part of the widget still shows an older picture
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    // Key preview: once per key, at the widget that receives it first (the
    // focused one, or the window when nothing has the focus).
    QWidget *receiver = QApplication::focusWidget() ? QApplication::focusWidget() : this;
    if (!widget || widget != receiver || widget->window() != this)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const int virtualKey = VirtualKeyOfQtKey(key->key(), key->modifiers());
    const int result = FormKeyDown(virtualKey, key->modifiers());
    if (result == virtualKey)
        return false;
    if (result != 0 && currentMap_ && currentMap_->Widget()) {
        QKeyEvent arrow(QEvent::KeyPress, QtKeyOfArrow(result), Qt::NoModifier);
        QApplication::sendEvent(currentMap_->Widget(), &arrow);
    }
    return true;
}

void TfrmMain::WhenFirstMapPainted(std::function<void()> report)
{
    firstMapPainted_ = std::move(report);
    ReportFirstPaint();
}

void TfrmMain::ReportFirstPaint()
{
    if (!firstPaintSeen_ || firstPaintReported_ || !firstMapPainted_)
        return;
    firstPaintReported_ = true;
    QTimer::singleShot(0, this, [this] {
        if (firstMapPainted_)
            firstMapPainted_();
    });
}

// --- Files and maintenance ---

void TfrmMain::CopyPage()
{
    Global().TraceEntry("CopyPage()");
    TPMap *source = currentMap_;
    documents_->NewMap();
    TPMap *target = currentMap_;
    if (source && target && target != source) {
        SetProgressMode(true);
        CopyPrintableArea(*target, *source);
        SetProgressMode(false);
        layerList_->Rebuild();
        target->SetCommand(kCommandViewPage);
    }
    Global().TraceExit("CopyPage()");
}

void TfrmMain::PurgeLayers()
{
    Global().TraceEntry("PurgeLayers()");
    if (currentMap_) {
        const int count = currentMap_->PurgeEmptyLayers(false);
        if (count == 0)
            InfoMessage("There are no removable empty layers.");
        else if (AskYesNo(count == 1 ? std::string("One layer will be removed.")
                                     : std::to_string(count) + " layers will be removed."))
            currentMap_->PurgeEmptyLayers(true);
    }
    Global().TraceExit("PurgeLayers()");
}

void TfrmMain::MapCleaner()
{
    Global().TraceEntry("MapCleaner()");
    if (currentMap_ && cleaner_) {
        currentMap_->BeginUndoStep();
        cleaner_->SetMap(currentMap_);
        cleaner_->Execute();
        currentMap_->EndUndoStep(kCleanerActionCode);
    }
    Global().TraceExit("MapCleaner()");
}

void TfrmMain::ShowOptions(int page)
{
    if (options_) {
        options_->SetMap(currentMap_);
        options_->ExecutePage(page);
    }
    WriteEngineOptions(false);
    if (currentMap_)
        currentMap_->SetOffscreenDrawing(Global().GetOption(kOptionOffscreenRedraw));
    SetButtonStates();
}

// --- Launchers ---

void TfrmMain::UserManual()
{
    Global().TraceEntry("UserManual()");
    // The manual ships with the program; the desktop's viewer shows it.
    const std::string file = UserManualFile();
    if (file.empty() || !ShellOpen(0, file))
        ErrorMessage("Unable to open User Manual (" +
                     (file.empty() ? PathJoin(Global().CommonDataFolder(), UserManualName()) : file) + ").");
    Global().TraceExit("UserManual()");
}

void TfrmMain::VornSupport()
{
    Global().TraceEntry("VornSupport()");
    TfrmSupport support(this);
    support.SetMap(currentMap_);
    if (support.Execute() == QDialog::Accepted) {
        const std::string program = Global().AppKey().GetString("Support Program", "");
        if (program.empty() || ShellRun(0, program, "", SW_SHOWNORMAL, "") <= 32)
            ErrorMessage("Unable to find the \"Vorn Support\" application.");
    }
    Global().TraceExit("VornSupport()");
}

void TfrmMain::CheckUpdates()
{
    Global().TraceEntry("CheckUpdates()");
    const std::string program = Global().AppKey().GetString(kUpdateProgramValue, "");
    if (program.empty() || ShellRun(0, program, "/checknow", SW_SHOWNORMAL, "") < 32)
        ErrorMessage("Unable to launch Update Checker (" + program + ").");
    Global().TraceExit("CheckUpdates()");
}

// --- Import and export ---

bool TfrmMain::Import(const std::string &libraryKey)
{
    Global().TraceEntry("Import(" + libraryKey + ")");
    TImporterForm *dialog = Importer(libraryKey);
    if (!currentMap_ || !dialog) {
        Global().TraceExit("Import(" + libraryKey + ")");
        return false;
    }
    const int32_t before = currentMap_->Control().MapObjects().Count();
    FileDialogRequest request;
    request.owner = 0;
    request.initialPath = Global().AppKey().GetString(libraryKey, Global().DocumentsFolder());
    request.filters = ParseFileFilter(ImportFilter(libraryKey));
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    for (;;) {
        const std::optional<std::string> chosen = ShowOpenFileDialog(request);
        if (!chosen)
            break;
        Global().AppKey().WriteString(libraryKey, ExtractFilePath(*chosen));
        dialog->Map = currentMap_;
        dialog->FileName = *chosen;
        dialog->ToolMgr = toolMgr_.get();
        if (dialog->Execute() != TImporterForm::kRetry)
            break;
    }
    // Only an import that brought objects changes the view and the page: a
    // cancelled or failed one leaves the map as it was.
    const bool grew = currentMap_->Control().MapObjects().Count() > before;
    if (grew) {
        currentMap_->SetCommand(kCommandViewAll);
        RelocatePageOutline();
    }
    // Cleaning after an import that brought nothing would only leave an
    // empty undo step.
    if (grew && dialog->RunCleaner && !Global().OfficeMode())
        MapCleaner();
    Global().TraceExit("Import(" + libraryKey + ")");
    return grew;
}

bool TfrmMain::ImportKRT(const std::string &formatKey)
{
    Global().TraceEntry("ImportKRT(" + formatKey + ")");
    bool imported = false;
    if (currentMap_) {
        FileDialogRequest request;
        request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        if (formatKey == "MIFF") {
            TRegLink(HKEY_CURRENT_USER, "\\Software\\KRT\\GORM 8.0\\Converters\\Imports\\MIF")
                .WriteInteger("Multiplier", 100);
            request.filters = ParseFileFilter("MapInfo Files (*.mif)|*.mif");
        } else if (formatKey == "MPD5") {
            request.initialPath = Global().AppKey().GetString("MPDLib", Global().DocumentsFolder());
            request.filters = ParseFileFilter("Map Documents (*.mpd)|*.mpd");
        }
        if (const std::optional<std::string> chosen = ShowOpenFileDialog(request)) {
            const int32_t before = currentMap_->Control().MapObjects().Count();
            const int32_t result = currentMap_->ImportFile(*chosen, formatKey);
            if (result > 0)
                Global().TraceError("* ImportKRT = " + std::to_string(result) + "*");
            // A failed import leaves the view and the page where they were.
            if (currentMap_->Control().MapObjects().Count() > before) {
                currentMap_->SetCommand(kCommandViewAll);
                RelocatePageOutline();
            }
            imported = result == 0;
        }
    }
    Global().TraceExit("ImportKRT(" + formatKey + ")");
    return imported;
}

bool TfrmMain::Export(const std::string &libraryKey)
{
    Global().TraceEntry("Export(" + libraryKey + ")");
    bool exported = false;
    if (TExporterForm *dialog = Exporter(libraryKey); dialog && currentMap_) {
        dialog->Map = currentMap_;
        exported = dialog->Execute() == QDialog::Accepted;
        if (exported)
            Global().TraceText("Export succeeded");
    }
    Global().TraceExit("Export(" + libraryKey + ")");
    return exported;
}

bool TfrmMain::ExportKRT(const std::string &formatKey)
{
    Global().TraceEntry("ExportKRT(" + formatKey + ")");
    Global().ConvertersKey().WriteString("Current Export", formatKey);
    const int32_t result = formatKey == "MIFF" && currentMap_ ? currentMap_->Export() : -1;
    if (result == 13)
        ErrorMessage("The filename is too long (126 characters maximum).\r\rThe map has not been exported.");
    Global().TraceText("ExportKRT : Result = " + std::to_string(result) + ")");
    Global().TraceExit("ExportKRT(" + formatKey + ")");
    return result == 0;
}

void TfrmMain::RelocatePageOutline()
{
    if (!currentMap_)
        return;
    const IKrtPage page = currentMap_->GetPage();
    const IKrtRect bounds = currentMap_->Control().MapObjects().BoundingRectangle();
    if (!page || !bounds)
        return;
    const int64_t left = page.OriginX(), bottom = page.OriginY();
    const int64_t right = left + page.Width(), top = bottom + page.Height();
    if (left != bounds.left() && right != bounds.right() && bottom != bounds.top() &&
        top != bounds.bottom()) {
        Global().TraceText("Page Outline relocation suppressed.");
        return;
    }
    // The centre of the visible window (less the scroll bars it shows) in
    // map units.
    QWidget *view = currentMap_->Widget();
    if (!view)
        return;
    int width = view->width(), height = view->height();
    for (const QScrollBar *bar : view->findChildren<QScrollBar *>())
        if (bar->isVisible()) {
            if (bar->orientation() == Qt::Vertical)
                width -= bar->width();
            else
                height -= bar->height();
        }
    const IKrtPoint window = IKrtPoint::New(), topLeft = IKrtPoint::New(), bottomRight = IKrtPoint::New();
    window.Putx(0);
    window.Puty(0);
    currentMap_->Control().WindowToMap(window, topLeft);
    window.Putx(width);
    window.Puty(height);
    currentMap_->Control().WindowToMap(window, bottomRight);
    const int64_t cx = std::llrint((int64_t(topLeft.x()) + bottomRight.x()) / 2.0);
    const int64_t cy = std::llrint((int64_t(topLeft.y()) + bottomRight.y()) / 2.0);
    page.PutOriginX(int32_t(cx - page.Width() / 2));
    page.PutOriginY(int32_t(cy - page.Height() / 2));
    currentMap_->SetPage(page);
}
