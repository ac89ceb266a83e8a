// The main window over a map control: start-up order, the first document,
// the settings upgrade, status panels, units, enabled states, shortcuts and
// the keypad, tool tabs, closing, drops, launchers and stored values of the
// wrong kind.
#include "editor/shell/catalogue/shortcuts.h"
#include "editor/shell/catalogue/tool_button.h"
#include "editor/shell/catalogue/tool_catalogue.h"
#include "editor/shell/catalogue/tool_panels.h"
#include "editor/shell/main/main_form.h"
#include "editor/shell/main/main_rules.h"
#include "editor/shell/map/tpmap.h"
#include "editor/shell/standins/layer_list.h"
#include "editor/shell/support/data_folders.h"
#include "editor/shell/support/global.h"
#include "editor/shell/support/recent_file_menu.h"
#include "editor/shell/support/save_dialog.h"
#include "editor/shell/support/shell_routines.h"
#include "editor/shell/tools/copy_paste_tool.h"
#include "editor/shell/tools/tool_framework.h"
#include "editor_build_folders.h"
#include "tests/editor/shell/map/map_fixture.h"

#include "platform/clipboard.h"
#include "platform/event.h"
#include "platform/file_dialog.h"
#include "platform/hold_point.h"
#include "platform/message_box.h"
#include "platform/text_codec.h"

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string_view>

namespace {

class MainWindowTest : public ::testing::TestWithParam<ControlKind> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        setenv("MAP_REGISTRY_DIR", Path("registry").c_str(), 1);
        setenv("MAP_PROFILE_DIR", Path("profiles").c_str(), 1);
        setenv(kEditorFoldersVariable, Path("folders").c_str(), 1);
        const std::string why = RegisterControl(GetParam());
        if (!why.empty())
            GTEST_SKIP() << why;
        previousBox = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r.text);
            return boxAnswer;
        });
        previousDialog = SetFileDialogHook([this](const FileDialogRequest &) -> std::optional<std::string> {
            ++fileDialogs;
            return fileAnswer;
        });
        previousSave = SetSaveDialogHook([this](const SaveDialogRequest &) -> std::optional<std::string> {
            ++saveDialogs;
            return std::nullopt;
        });
        previousLaunch = SetShellLaunchHook([this](const ShellLaunch &l) {
            launches.push_back(l);
            return true;
        });
        // The page template new maps open.
        const std::string common = Path("folders/common/") + kEditorFolderTail;
        std::filesystem::create_directories(common);
        MakeDocument("folders/common/" + std::string(kEditorFolderTail) + "P.mpd");
    }
    void TearDown() override
    {
        if (IsSkipped())
            return;
        main.reset();
        SetMessageBoxHook(previousBox);
        SetFileDialogHook(previousDialog);
        SetShellLaunchHook(previousLaunch);
        SetSaveDialogHook(previousSave);
        Global().SetOfficeMode(false);
        unsetenv(kEditorFoldersVariable);
        unsetenv("MAP_PROFILE_DIR");
        unsetenv("MAP_REGISTRY_DIR");
    }

    std::string Path(const std::string &name) const
    {
        return (dir.path() + "/" + name.c_str()).toStdString();
    }

    // The frame only, as the program body makes it.
    TfrmMain &Create(std::vector<std::string> arguments = {})
    {
        main = std::make_unique<TfrmMain>(std::move(arguments));
        main->CreateForms();
        main->Documents().ControlClass = ClassOf(GetParam());
        main->CtrlHeld = [this] { return ctrlHeld; };
        return *main;
    }
    // The frame and the start-up timer's work.
    TfrmMain &Start(std::vector<std::string> arguments = {})
    {
        Create(std::move(arguments));
        main->DelayedInit();
        return *main;
    }

    // A document of the control, written by the control.
    std::string MakeDocument(const std::string &name)
    {
        QWidget tab;
        TPMap map(&tab, ClassOf(GetParam()));
        const std::string file = Path(name);
        EXPECT_TRUE(map.Save(file)) << file;
        return file;
    }
    std::string ActiveDocument() const
    {
        TMapTab *tab = main->MapPages().ActiveTab();
        return tab ? tab->Info().FullName : "<no tab>";
    }
    std::string Boxes() const
    {
        std::string all;
        for (const std::string &b : boxes)
            all += "[" + b + "] ";
        return all;
    }
    std::string Panel(int index) const { return ToWindows1252(main->StatusPanel(index)->text()); }
    QStringList MenuTitles() const
    {
        QStringList titles;
        for (QAction *a : main->menuBar()->actions())
            titles << a->text();
        return titles;
    }
    QMenu *MenuNamed(const QString &title) const
    {
        for (QAction *a : main->menuBar()->actions())
            if (a->text() == title)
                return a->menu();
        return nullptr;
    }
    std::vector<uint8_t> ItemIds(QMenu *menu) const
    {
        std::vector<uint8_t> ids;
        for (QAction *a : menu->actions())
            ids.push_back(a->isSeparator() ? 0 : ToolIdOf(a));
        return ids;
    }
    TToolItem *Item(QMenu *menu, uint8_t id) const
    {
        for (QAction *a : menu->actions())
            if (auto *item = dynamic_cast<TToolItem *>(a); item && item->Id == id)
                return item;
        return nullptr;
    }

    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> main;
    bool ctrlHeld = false;
    int boxAnswer = IDNO;
    std::vector<std::string> boxes;
    int fileDialogs = 0;
    std::optional<std::string> fileAnswer; // what the open dialogs choose
    std::vector<ShellLaunch> launches;
    int saveDialogs = 0;
    SaveDialogHook previousSave;
    MessageBoxHook previousBox;
    FileDialogHook previousDialog;
    ShellLaunchHook previousLaunch;
};

// Where the real control adds nothing to what is tested.
class MainWindowFakeTest : public MainWindowTest {};

// --- Start-up ---

TEST_P(MainWindowTest, FrameFirstThenTheTimersWork)
{
    TfrmMain &m = Create();
    // The frame: busy, no menus, no document, nothing written yet.
    EXPECT_TRUE(m.IsBusy());
    EXPECT_TRUE(MenuTitles().isEmpty());
    EXPECT_EQ(m.MapPages().TabCount(), 0);
    ASSERT_NE(m.StartupTimer(), nullptr);
    EXPECT_TRUE(m.StartupTimer()->isActive());
    EXPECT_TRUE(m.StartupTimer()->isSingleShot());
    EXPECT_EQ(m.StartupTimer()->interval(), 1000);
    EXPECT_EQ(Global().ToolbarsKey().GetString("Toolbar0", "<none>"), "<none>");
    EXPECT_EQ(Global().EngineSettingsKey().GetInteger("Calculate Parts of Dividing Polygon Area", -1), -1);
    EXPECT_LT(m.StartupPauseMs(), 0);

    Global().SetOption(kOptionDeleteAfterCombine, true);
    Global().SetOption(kOptionDeleteAfterOverlap, false);
    m.DelayedInit();

    EXPECT_FALSE(m.IsBusy());
    EXPECT_EQ(m.StartupTimer(), nullptr);
    EXPECT_GE(m.StartupPauseMs(), 0);
    EXPECT_EQ(MenuTitles(), QStringList({"File", "Edit", "View", "Tasks", "Objects", "Draw", "Tools", "Units",
                                         "Options", "Office", "Help"}));
    EXPECT_FALSE(MenuNamed("Office")->menuAction()->isVisible());
    // The Edit and Tasks menus from the catalogue strings written at start.
    std::vector<uint8_t> edit;
    for (int p : CataloguePositionsOfString("191A001B1E001C1D2223", 0))
        edit.push_back(TfrmButtons::ToolOfIndex(p));
    EXPECT_EQ(ItemIds(MenuNamed("Edit")), edit);
    std::vector<uint8_t> tasks;
    for (int p : CataloguePositionsOfString("292A302C2B24", 0))
        tasks.push_back(TfrmButtons::ToolOfIndex(p));
    EXPECT_EQ(ItemIds(MenuNamed("Tasks")), tasks);
    EXPECT_EQ(ItemIds(MenuNamed("Objects")).front(), 166);

    const std::string toolbar0 = Global().ToolbarsKey().GetString("Toolbar0", "");
    EXPECT_EQ(toolbar0.substr(0, 2), "01");
    ASSERT_NE(m.MainLitePanel(), nullptr);
    EXPECT_TRUE(m.MainLitePanel()->isVisibleTo(&m));
    const std::vector<int> positions = CataloguePositionsOfString(toolbar0, 2);
    EXPECT_EQ(m.MainLitePanel()->findChildren<TToolBtnLite *>().size(),
              qsizetype(std::count_if(positions.begin(), positions.end(), [](int p) { return p > 0; })));
    EXPECT_EQ(Global().MenusKey().GetString("Import", ""), "0E1011141569121367");
    EXPECT_EQ(Global().AppKey().GetInteger("Variant", 0), 9);

    const TRegLink &engine = Global().EngineSettingsKey();
    EXPECT_EQ(engine.GetInteger("Calculate Parts of Dividing Polygon Area", -1), 1);
    EXPECT_EQ(engine.GetInteger("Delete First Polygon After Complement", -1), 0);
    EXPECT_EQ(engine.GetInteger("Delete Polygons After Xor", -1), 0);
    EXPECT_EQ(engine.GetInteger("Delete Polygons After Union", -1), 1);
    EXPECT_EQ(engine.GetInteger("Delete Polygons After Intersection", -1), 0);

    // A new map, untitled, in one tab; the caption names no file.
    EXPECT_EQ(m.MapPages().TabCount(), 1);
    EXPECT_NE(m.CurrentMap(), nullptr);
    EXPECT_EQ(ActiveDocument(), "");
    EXPECT_EQ(m.windowTitle(), "Orvane Standard   ");
    EXPECT_EQ(m.TakeStartupIdentifier(), "");
}

TEST_P(MainWindowTest, TheCommandLineNamesTheFirstDocument)
{
    const std::string one = MakeDocument("one.mpd");
    const std::string two = MakeDocument("two.mpd");
    struct Case {
        const char *name;
        std::vector<std::string> arguments;
        std::string opened;
    };
    const Case cases[] = {
        {"laterWins", {one, "id=Plot 7", two}, two}, {"mpdEarlierNotTaken", {one, two + ".mpd"}, one},
        {"missingFile", {Path("gone.mpd")}, ""},     {"folderNamed", {Path("") + "folder.mpd"}, ""},
        {"damaged", {Path("damaged.mpd")}, ""},
    };
    std::filesystem::create_directory(Path("folder.mpd"));
    {
        QFile damaged(QString::fromStdString(Path("damaged.mpd")));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("MPD\0\x01 this is no map document");
    }
    for (const Case &c : cases) {
        Start(c.arguments);
        EXPECT_EQ(main->MapPages().TabCount(), 1) << c.name;
        EXPECT_EQ(ActiveDocument(), c.opened) << c.name;
        main.reset();
    }
}

TEST_P(MainWindowTest, ReloadingTheLastMapGivesWayToCtrl)
{
    const std::string last = MakeDocument("last.mpd");
    const std::string named = MakeDocument("named.mpd");
    struct Case {
        const char *name;
        bool reload;
        bool ctrl;
        std::vector<std::string> arguments;
        std::string opened;
    };
    const Case cases[] = {
        {"reload", true, false, {}, last},
        {"ctrlHeld", true, true, {}, ""},
        {"noReload", false, false, {}, ""},
        {"commandLineWithCtrl", true, true, {named}, named},
    };
    for (const Case &c : cases) {
        TRegLink(HKEY_CURRENT_USER, "\\Software\\Vorn Technology\\ORVPro\\Recent").WriteString("File0", last);
        Global().SetOption(kOptionReloadLastMap, c.reload);
        ctrlHeld = c.ctrl;
        Start(c.arguments);
        EXPECT_EQ(ActiveDocument(), c.opened) << c.name;
        main.reset();
    }
}

TEST_P(MainWindowTest, OldToolbarsAreDroppedByVersion)
{
    struct Case {
        const char *name;
        std::function<void()> store;
        bool kept;
    };
    const Case cases[] = {
        {"5.45", [] { Global().AppKey().WriteString("Version", "Version 5.45"); }, false},
        {"5.46", [] { Global().AppKey().WriteString("Version", "Version 5.46"); }, true},
        {"missing", [] { Global().AppKey().DeleteValue("Version"); }, false},
        {"notText", [] { Global().AppKey().WriteInteger("Version", 561); }, false},
        {"garbage", [] { Global().AppKey().WriteString("Version", "Version x"); }, false},
    };
    for (const Case &c : cases) {
        c.store();
        Global().ToolbarsKey().WriteString("Toolbar1", "00191A");
        Start();
        EXPECT_EQ(Global().ToolbarsKey().GetString("Toolbar1", "") == "00191A", c.kept) << c.name;
        EXPECT_EQ(Global().AppKey().GetString("Version", ""), "Version 5.61") << c.name;
        main.reset();
    }
}

// --- Status bar ---

TEST_P(MainWindowTest, DistanceAndBearingFromTheLastPress)
{
    TfrmMain &m = Start();
    TPMap *map = m.CurrentMap();
    ASSERT_NE(map, nullptr);
    auto mouse = [&](int32_t x, int32_t y, int32_t event) {
        map->SetMouseArgs(x, y, event, 0);
        map->FireEvent(meMouse);
    };
    mouse(5000, 7000, 513);
    EXPECT_EQ(Panel(6), "");
    EXPECT_EQ(Panel(3), " 50.00 : 70.00");
    mouse(5300, 7000, 512);
    EXPECT_EQ(Panel(6), "3.0 m : 90\xB0");
    mouse(5000, 7300, 512);
    EXPECT_EQ(Panel(6), "3.0 m : 0\xB0");
    mouse(5000, 7000 + 1000000, 512);
    EXPECT_EQ(Panel(6), "");
    // A new press moves the reference.
    mouse(6000, 7000, 513);
    mouse(5700, 7000, 512);
    EXPECT_EQ(Panel(6), "3.0 m : 270\xB0");
}

TEST_P(MainWindowFakeTest, UnitsFromTheSettingsAndTheMenu)
{
    TfrmMain &m = Start();
    TPMap *map = m.CurrentMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->GetUnits(kLengthUnitKind), 4);
    EXPECT_EQ(map->GetUnits(kAreaUnitKind), 29);
    EXPECT_TRUE(Item(m.UnitsMenu(), 40)->isChecked());
    EXPECT_TRUE(Item(m.UnitsMenu(), 47)->isChecked());
    EXPECT_FALSE(Item(m.UnitsMenu(), 38)->isChecked());

    m.InvokeTool(38); // feet
    m.InvokeTool(43); // square feet
    EXPECT_EQ(Global().SettingsKey().GetInteger("Units", 0), 12 + 24 * 256);
    EXPECT_TRUE(Item(m.UnitsMenu(), 38)->isChecked());
    EXPECT_TRUE(Item(m.UnitsMenu(), 43)->isChecked());
    EXPECT_FALSE(Item(m.UnitsMenu(), 40)->isChecked());
}

// --- Enabled states ---

TEST_P(MainWindowFakeTest, EnabledStatesFollowTheMap)
{
    TfrmMain &m = Start();
    TPMap *map = m.CurrentMap();
    ASSERT_NE(map, nullptr);
    for (uint8_t id : {10, 11, 12, 13, 23, 37, 160})
        EXPECT_TRUE(m.IsCommandEnabled(id)) << int(id);
    EXPECT_FALSE(m.IsCommandEnabled(0));

    // Read-only: save is off, save as stays on; the menu item follows.
    map->ReadOnly = true;
    m.SetButtonStates();
    EXPECT_FALSE(m.IsCommandEnabled(12));
    EXPECT_TRUE(m.IsCommandEnabled(13));
    EXPECT_FALSE(Item(MenuNamed("File"), 12)->isEnabled());
    EXPECT_TRUE(Item(MenuNamed("File"), 13)->isEnabled());
    map->ReadOnly = false;

    // 159 waits for saved layer states; all invisible saves them.
    EXPECT_FALSE(m.IsCommandEnabled(159));
    m.InvokeTool(155);
    EXPECT_TRUE(m.IsCommandEnabled(159));

    // Without a map.
    ASSERT_TRUE(m.Documents().CloseMap(""));
    EXPECT_EQ(m.CurrentMap(), nullptr);
    for (uint8_t id : {12, 13, 23, 28, 48, 159, 160})
        EXPECT_FALSE(m.IsCommandEnabled(id)) << int(id);
    for (uint8_t id : {2, 10, 11, 37})
        EXPECT_TRUE(m.IsCommandEnabled(id)) << int(id);
    m.SetButtonStates();
    EXPECT_FALSE(Item(MenuNamed("File"), 13)->isEnabled());
    EXPECT_TRUE(Item(MenuNamed("File"), 10)->isEnabled());
}

TEST_P(MainWindowFakeTest, LayerCommandsReachTheLayerList)
{
    TfrmMain &m = Start();
    TPMap *map = m.CurrentMap();
    ASSERT_NE(map, nullptr);
    auto visibleLayers = [&] {
        int visible = 0;
        TMapEnumerator layers(map->Control().MapLayers());
        for (IKrtObject o = layers.Next(); o; o = layers.Next())
            visible += o.Layer().Visible() ? 1 : 0;
        return visible;
    };
    const int rows = m.LayerList().count();
    const int visible = visibleLayers();
    m.InvokeTool(160);
    EXPECT_EQ(m.LayerList().count(), rows + 1);
    EXPECT_FALSE(m.LayerList().findItems("New Layer", Qt::MatchExactly).isEmpty());
    m.InvokeTool(155);
    EXPECT_EQ(visibleLayers(), 0);
    m.InvokeTool(159);
    EXPECT_EQ(visibleLayers(), visible + 1);

    // Purging the empty layers asks first, and No keeps them.
    const int empty = map->PurgeEmptyLayers(false);
    ASSERT_GE(empty, 1);
    const std::string question = empty == 1 ? std::string("One layer will be removed.")
                                            : std::to_string(empty) + " layers will be removed.";
    boxAnswer = IDNO;
    m.InvokeTool(163);
    ASSERT_EQ(boxes.size(), 1u) << Boxes();
    EXPECT_EQ(boxes[0], question);
    EXPECT_EQ(map->PurgeEmptyLayers(false), empty);
    boxAnswer = IDYES;
    m.InvokeTool(163);
    EXPECT_EQ(map->PurgeEmptyLayers(false), 0);
    boxes.clear();
    m.InvokeTool(163);
    ASSERT_EQ(boxes.size(), 1u) << Boxes();
    EXPECT_EQ(boxes[0], "There are no removable empty layers.");
}

// --- Keyboard ---

TEST_P(MainWindowFakeTest, ShortcutsReachEnabledCommandsAndAreConsumed)
{
    TfrmMain &m = Start();
    TPMap *map = m.CurrentMap();
    ASSERT_NE(map, nullptr);
    TShortcut save;
    save.Flags = kShortcutCtrl;
    save.Key = 'Q';
    Global().ToolbarsKey().WriteInteger(save.ValueName(), TfrmButtons::IndexOfTool(12));

    // Disabled (read-only): consumed, nothing runs.
    map->ReadOnly = true;
    EXPECT_EQ(m.FormKeyDown('Q', Qt::ControlModifier), 0);
    EXPECT_EQ(saveDialogs, 0);
    // Enabled: the untitled map's save asks for a file.
    map->ReadOnly = false;
    EXPECT_EQ(m.FormKeyDown('Q', Qt::ControlModifier), 0);
    EXPECT_EQ(saveDialogs, 1) << Boxes();

    // Stored values past the table or of the wrong kind.
    TShortcut far;
    far.Flags = kShortcutCtrl;
    far.Key = 'W';
    Global().ToolbarsKey().WriteInteger(far.ValueName(), 200);
    EXPECT_EQ(m.FormKeyDown('W', Qt::ControlModifier), 0);
    TShortcut text;
    text.Flags = kShortcutCtrl;
    text.Key = 'E';
    Global().ToolbarsKey().WriteString(text.ValueName(), "0C");
    EXPECT_EQ(m.FormKeyDown('E', Qt::ControlModifier), 'E');
    EXPECT_EQ(saveDialogs, 1) << Boxes();
    EXPECT_TRUE(boxes.empty()) << Boxes();

    // While busy every key passes untouched.
    m.SetProgressMode(true);
    m.ShowProgress(10);
    ASSERT_TRUE(m.IsBusy());
    EXPECT_EQ(m.FormKeyDown('Q', Qt::ControlModifier), 'Q');
    EXPECT_EQ(saveDialogs, 1) << Boxes();
    m.SetProgressMode(false);
}

TEST_P(MainWindowTest, CopyAndPasteBetweenTabsThroughTheEditMenusKeys)
{
    if (GetParam() == ControlKind::Fake)
        GTEST_SKIP() << "the fake control keeps its copies to itself, not on the system clipboard";
    TfrmMain &m = Start();
    TPMap *source = m.CurrentMap();
    ASSERT_NE(source, nullptr);
    QMenu *edit = MenuNamed("Edit");
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(OpenClipboard(0) && EmptyClipboard() && CloseClipboard());
    m.SetButtonStates();
    EXPECT_FALSE(Item(edit, 54)->isEnabled()) << "nothing selected";
    EXPECT_FALSE(Item(edit, 55)->isEnabled()) << "nothing copied";

    for (int32_t x : {0, 500}) {
        const IKrtPoly p = IKrtPoly::New();
        p.Points().AddXY(x, 0);
        p.Points().AddXY(x + 200, 0);
        p.Points().AddXY(x + 200, 200);
        p.PutIsPolyline(false);
        source->AddPoly(p, IKrtObject()).PutIsSelected(true);
    }
    m.SetButtonStates();
    for (uint8_t id : {52, 54})
        EXPECT_TRUE(Item(edit, id)->isEnabled()) << int(id);
    // Ctrl+C, a default shortcut.
    EXPECT_EQ(m.FormKeyDown('C', Qt::ControlModifier), 0);
    EXPECT_TRUE(ClipboardHoldsMapObjects());

    m.InvokeTool(10); // a new map in a second tab
    TPMap *target = m.CurrentMap();
    ASSERT_NE(target, source);
    const int32_t before = target->Control().MapObjects().Count();
    for (uint8_t id : {55, 56})
        EXPECT_TRUE(Item(edit, id)->isEnabled()) << int(id);
    EXPECT_FALSE(Item(edit, 54)->isEnabled()) << "nothing is selected in the new map";
    // Ctrl+V pastes the first tab's objects here.
    EXPECT_EQ(m.FormKeyDown('V', Qt::ControlModifier), 0);
    EXPECT_EQ(target->Control().MapObjects().Count(), before + 2);
    EXPECT_TRUE(boxes.empty()) << Boxes();
    // The copy's owner goes with its tab and leaves its data behind; the
    // clipboard is left empty for the tests that follow.
    main.reset();
    EXPECT_TRUE(ClipboardHoldsMapObjects());
    ASSERT_TRUE(OpenClipboard(0) && EmptyClipboard() && CloseClipboard());
}

TEST_P(MainWindowTest, UndoNamesTheActiveTabsStepsAndCtrlZUndoesThere)
{
    TfrmMain &m = Start();
    TPMap *first = m.CurrentMap();
    ASSERT_NE(first, nullptr);
    QMenu *edit = MenuNamed("Edit");
    ASSERT_NE(edit, nullptr);
    QAction *undo = edit->actions().value(0);
    ASSERT_NE(undo, nullptr);
    first->BeginUndoStep();
    const IKrtPoly p = IKrtPoly::New();
    p.Points().AddXY(0, 0);
    p.Points().AddXY(200, 200);
    p.PutIsPolyline(true);
    first->AddPoly(p, IKrtObject());
    first->EndUndoStep(3);
    m.SetButtonStates();
    EXPECT_EQ(undo->text().toStdString(), "&Undo Draw Polyline");
    EXPECT_TRUE(undo->isEnabled());
    const int32_t drawn = first->Control().MapObjects().Count();

    m.InvokeTool(10); // a new map in a second tab
    TPMap *second = m.CurrentMap();
    ASSERT_NE(second, first);
    EXPECT_NE(undo->text().toStdString(), "&Undo Draw Polyline") << "another map's step";
    // Ctrl+Z in the new tab never reaches the first map.
    m.FormKeyDown('Z', Qt::ControlModifier);
    EXPECT_EQ(first->Control().MapObjects().Count(), drawn);

    m.MapPages().setCurrentIndex(0);
    ASSERT_EQ(m.CurrentMap(), first);
    EXPECT_EQ(undo->text().toStdString(), "&Undo Draw Polyline");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(m.FormKeyDown('Z', Qt::ControlModifier), 0);
    EXPECT_EQ(first->Control().MapObjects().Count(), drawn - 1);
    EXPECT_EQ(edit->actions().value(1)->text().toStdString(), "&Redo Draw Polyline");
    // Ctrl+Y draws it again.
    EXPECT_EQ(m.FormKeyDown('Y', Qt::ControlModifier), 0);
    EXPECT_EQ(first->Control().MapObjects().Count(), drawn);
}

TEST_P(MainWindowFakeTest, TheKeypadMovesTheViewOnlyWithTheMapFocused)
{
    TfrmMain &m = Start();
    TPMap *map = m.CurrentMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(m.FormKeyDown(98, Qt::KeypadModifier), 98);
    m.show();
    QApplication::setActiveWindow(&m);
    map->Widget()->setFocus();
    QApplication::processEvents();
    if (!map->MapFocused())
        GTEST_SKIP() << "the platform gives no focus to the map";
    const std::pair<int, int> cases[] = {{98, 40}, {100, 37}, {102, 39}, {104, 38}, {99, 99}};
    for (const auto &[keypad, result] : cases)
        EXPECT_EQ(m.FormKeyDown(keypad, Qt::KeypadModifier), result) << keypad;
    map->Command = 0;
    EXPECT_EQ(m.FormKeyDown(101, Qt::KeypadModifier), 0);
    EXPECT_EQ(map->Command, ToolIdToCommand(198));
}

// Holds every drawing pass of the real control at a hold point (before it
// draws, or once it has told its end) until the test lets passes go (for
// good) or the control stops the pass, and counts the passes waiting there.
class PassHold {
public:
    explicit PassHold(const char *point = kDrawingPassHoldPoint)
    {
        // The state is shared with the hook: a drawing thread may still be
        // in it (or about to enter it) when this object goes.
        auto state = state_;
        state->point = point;
        previous_ = SetHoldHookForTesting([state](const char *at, HANDLE stop) { state->Hold(at, stop); });
    }
    ~PassHold()
    {
        Release();
        SetHoldHookForTesting(previous_);
    }
    PassHold(const PassHold &) = delete;
    PassHold &operator=(const PassHold &) = delete;

    void Release()
    {
        std::lock_guard lock(state_->mutex);
        state_->released = true;
        state_->changed.notify_all();
    }
    int Waiting() const
    {
        std::lock_guard lock(state_->mutex);
        return state_->waiting;
    }

private:
    struct State {
        void Hold(const char *at, HANDLE stop)
        {
            if (std::string_view(at) != point)
                return;
            std::unique_lock lock(mutex);
            ++waiting;
            // The control's stop event cannot wake this wait: it is looked
            // at between short waits, so that a stop is never kept waiting
            // long.
            while (!released && !(stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0))
                changed.wait_for(lock, std::chrono::milliseconds(5));
            --waiting;
        }

        std::string_view point;
        std::mutex mutex;
        std::condition_variable changed;
        bool released = false;
        int waiting = 0;
    };

    std::shared_ptr<State> state_ = std::make_shared<State>();
    HoldHook previous_;
};

class FirstPaintTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        if (GetParam() != ControlKind::Real)
            GTEST_SKIP() << "the drawing thread is the real control's";
        MainWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Without the page template the new map has no page: the view shows
        // all objects.
        std::filesystem::remove(Path("folders/common/" + std::string(kEditorFolderTail) + "P.mpd"));
        document = Path("heavy.mpd");
        // A document of many filled polygons, drawn by the control's
        // drawing thread; made once (every object added is traced, which
        // the windows of earlier tests make slow) and copied.
        static QTemporaryDir made;
        const QString kept = made.path() + "/heavy.mpd";
        if (!QFile::exists(kept)) {
            ASSERT_TRUE(made.isValid());
            QWidget tab;
            TPMap map(&tab, ClassOf(GetParam()));
            const IKrtObject layer = map.NewLayer("Fill", 100);
            map.SetLayerFill(layer, kFill, 0, 1);
            for (int i = 0; i < 400; ++i) {
                const IKrtPoly poly = IKrtPoly::New();
                const int32_t d = (i % 20) * 100;
                for (auto [x, y] :
                     {std::pair{d, d}, {100000 - d, d}, {100000 - d, 100000 - d}, {d, 100000 - d}})
                    poly.Points().AddXY(x, y);
                poly.PutIsPolyline(false);
                ASSERT_TRUE(map.AddPoly(poly, layer));
            }
            ASSERT_TRUE(map.Save(kept.toStdString()));
        }
        ASSERT_TRUE(QFile::copy(kept, QString::fromStdString(document)));
    }

    // The main window on the document, shown, after its start-up work.
    TfrmMain &StartShown()
    {
        TfrmMain &m = Create({document});
        m.resize(1020, 740);
        m.show();
        m.DelayedInit();
        return m;
    }
    // What the first painted map's report saw; the widget's picture is
    // taken as the report comes.
    std::function<void()> Reporter(TfrmMain &m)
    {
        return [this, &m] {
            ++reports;
            complete = m.CurrentMap()->PictureComplete();
            shown = m.CurrentMap()->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
    }
    // Events are handled until `done` holds; the bound only keeps a lost
    // event from hanging the test.
    static bool HandleEventsUntil(const std::function<bool()> &done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return done();
    }
    // The dark pixels of the picture the report saw: the polygons' outlines
    // (the surface is white before the drawing thread copies its picture,
    // at the end of its pass).
    int Drawn() const
    {
        int drawn = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                drawn += qGray(shown.pixel(x, y)) < 0x80 ? 1 : 0;
        return drawn;
    }

    static constexpr uint32_t kFill = 0xA01EC8; // 0x00BBGGRR
    std::string document;
    int reports = 0;
    bool complete = false;
    QImage shown;
};

TEST_P(FirstPaintTest, TheFirstPaintedMapIsReportedOnceItsPictureShows)
{
    TfrmMain &m = Create({document});
    m.WhenFirstMapPainted(Reporter(m));
    m.resize(1020, 740);
    m.show();
    m.DelayedInit();
    ASSERT_NE(m.CurrentMap(), nullptr);
    ASSERT_TRUE(HandleEventsUntil([&] { return reports > 0; })) << "the first painted map was reported";
    EXPECT_TRUE(complete);
    EXPECT_GT(Drawn(), 500);
    // Later paints report nothing more.
    m.CurrentMap()->Widget()->repaint();
    QApplication::processEvents();
    EXPECT_EQ(reports, 1);
}

// The three events the report waits for, forced in each order: the report's
// hook is set, the map's widget paints, the drawing thread's pass finishes.
// Passes are held before they draw until the pass step, and the widget
// paints only at the paint step until the pass finished.
TEST_P(FirstPaintTest, TheFirstPaintedMapIsReportedOnceInEveryOrderOfItsEvents)
{
    enum Step { kHook, kPaint, kFinish };
    const char *const names[] = {"hook", "paint", "finish"};
    std::array<Step, 3> order = {kHook, kPaint, kFinish};
    do {
        const std::string trace =
            std::string(names[order[0]]) + ", " + names[order[1]] + ", " + names[order[2]];
        SCOPED_TRACE(trace);
        reports = 0;
        complete = false;
        shown = QImage();
        PassHold hold;
        TfrmMain &m = StartShown();
        ASSERT_NE(m.CurrentMap(), nullptr);
        QWidget *view = m.CurrentMap()->Widget();
        ASSERT_NE(view, nullptr);
        view->setUpdatesEnabled(false);
        // The pass that draws the map as the start-up left it waits.
        ASSERT_TRUE(HandleEventsUntil([&] { return hold.Waiting() > 0; })) << "a pass reached its hold point";
        bool finished = false;
        for (const Step step : order) {
            switch (step) {
            case kHook:
                m.WhenFirstMapPainted(Reporter(m));
                break;
            case kPaint:
                view->setUpdatesEnabled(true);
                view->repaint();
                break;
            case kFinish:
                hold.Release();
                ASSERT_TRUE(HandleEventsUntil([&] { return m.CurrentMap()->PictureComplete(); }))
                    << "the pass finished";
                finished = true;
                break;
            }
            if (!finished) {
                QApplication::processEvents();
                EXPECT_EQ(reports, 0) << "reported before the pass finished, after " << names[step];
            }
        }
        ASSERT_TRUE(HandleEventsUntil([&] { return reports > 0; })) << "the first painted map was reported";
        EXPECT_TRUE(complete);
        EXPECT_GT(Drawn(), 500);
        view->repaint();
        QApplication::processEvents();
        EXPECT_EQ(reports, 1);
        main.reset();
    } while (std::next_permutation(order.begin(), order.end()));
}

// The widget's paint that a pass's end sets off may come while the pass's
// thread has not yet returned: it is held there, having told its end.
TEST_P(FirstPaintTest, TheFirstPaintedMapIsReportedWhileThePassThreadEnds)
{
    PassHold hold(kDrawingPassEndHoldPoint);
    TfrmMain &m = Create({document});
    m.WhenFirstMapPainted(Reporter(m));
    m.resize(1020, 740);
    m.show();
    m.DelayedInit();
    ASSERT_TRUE(HandleEventsUntil([&] { return reports > 0; })) << "the first painted map was reported";
    EXPECT_TRUE(complete);
    EXPECT_GT(Drawn(), 500);
    main.reset(); // its passes end before the hold goes
}

INSTANTIATE_TEST_SUITE_P(Controls, FirstPaintTest, ::testing::ValuesIn(ControlKinds()), KindName);

// --- Tool tabs ---

TEST_P(MainWindowFakeTest, ToolTabsInMostRecentOrderUnderMaxTabs)
{
    TfrmMain &m = Start();
    QTabWidget &pages = m.ToolPages();
    Global().SettingsKey().WriteInteger("MaxTabs", 4);
    std::vector<TToolTab *> tabs;
    for (int i = 0; i < 4; ++i) {
        auto *tab = new TToolTab(&m);
        tab->Order = kNewTabOrder;
        pages.addTab(tab, QString::number(i));
        tabs.push_back(tab);
        m.ShowToolTab(kNewTabOrder);
        EXPECT_EQ(pages.currentWidget(), tab);
    }
    EXPECT_EQ(tabs[0]->Order, 4);
    EXPECT_FALSE(pages.isTabVisible(pages.indexOf(tabs[0])));
    EXPECT_TRUE(pages.isTabVisible(pages.indexOf(tabs[1])));
    m.ShowToolTab(4);
    EXPECT_EQ(pages.currentWidget(), tabs[0]);
    EXPECT_TRUE(pages.isTabVisible(pages.indexOf(tabs[0])));
    EXPECT_FALSE(pages.isTabVisible(pages.indexOf(tabs[1])));

    // Four pages present: a preset tab is refused.
    ASSERT_EQ(pages.count(), 5);
    m.PresetTab(142, false);
    EXPECT_EQ(pages.count(), 5);
    // A "MaxTabs" of the wrong kind counts as 4.
    Global().SettingsKey().WriteString("MaxTabs", "7");
    EXPECT_EQ(m.MaxTabs(), 4);
}

// --- Closing and drops ---

TEST_P(MainWindowFakeTest, NoCloseWhileBusyAndAQuestionOnlyWhenModified)
{
    TfrmMain &m = Start();
    TPMap *map = m.CurrentMap();
    ASSERT_NE(map, nullptr);
    map->SetModified(true);
    m.SetProgressMode(true);
    m.ShowProgress(20);
    ASSERT_TRUE(m.IsBusy());
    EXPECT_FALSE(m.FormCloseQuery());
    EXPECT_TRUE(boxes.empty()) << Boxes();
    EXPECT_EQ(m.MapPages().TabCount(), 1);

    m.SetProgressMode(false);
    boxAnswer = IDCANCEL;
    EXPECT_FALSE(m.FormCloseQuery());
    EXPECT_EQ(boxes.size(), 1u) << Boxes();
    EXPECT_EQ(m.MapPages().TabCount(), 1);

    map->SetModified(false);
    boxes.clear();
    EXPECT_TRUE(m.FormCloseQuery());
    EXPECT_TRUE(boxes.empty()) << Boxes();
    EXPECT_EQ(m.MapPages().TabCount(), 0);
}

TEST_P(MainWindowFakeTest, DroppedDocumentsOpenUnlessBusy)
{
    const std::string file = MakeDocument("dropped.mpd");
    TfrmMain &m = Start();
    auto drop = [&] {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file)), QUrl("https://example.org/x.mpd")});
        return m.FilesDropped(data);
    };
    m.SetProgressMode(true);
    m.ShowProgress(0);
    EXPECT_FALSE(drop());
    EXPECT_EQ(m.MapPages().TabCount(), 1);
    m.SetProgressMode(false);
    EXPECT_TRUE(drop());
    EXPECT_EQ(m.MapPages().TabCount(), 2) << Boxes();
    EXPECT_EQ(ActiveDocument(), file);
}

// --- Launchers and commands ---

TEST_P(MainWindowFakeTest, LaunchersRunTheirRegistryCommandElseSayWhy)
{
    TfrmMain &m = Start();
    m.InvokeTool(36);
    ASSERT_EQ(launches.size(), 1u);
    const ShellLaunch &open = launches[0];
    EXPECT_TRUE(open.program == Global().LocalDataFolder() ||
                std::find(open.arguments.begin(), open.arguments.end(), Global().LocalDataFolder()) !=
                    open.arguments.end());

    // Without a checker configured its command is off; asked anyway, it
    // says why.
    launches.clear();
    EXPECT_FALSE(m.IsCommandEnabled(63));
    m.CheckUpdates();
    ASSERT_EQ(boxes.size(), 1u) << Boxes();
    EXPECT_EQ(boxes[0], "Unable to launch Update Checker ().");
    EXPECT_TRUE(launches.empty());

    boxes.clear();
    Global().AppKey().WriteString("Update Program", "/bin/true");
    EXPECT_TRUE(m.IsCommandEnabled(63));
    m.CheckUpdates();
    EXPECT_TRUE(boxes.empty()) << Boxes();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].program, "/bin/true");

    // The support form answers Cancel: nothing starts.
    launches.clear();
    m.VornSupport();
    EXPECT_TRUE(launches.empty());
    EXPECT_TRUE(boxes.empty()) << Boxes();

    // The manual ships with the program: found whatever the folders, and
    // opened by the desktop's viewer.
    ASSERT_TRUE(m.IsCommandEnabled(61));
    m.InvokeTool(61);
    EXPECT_TRUE(boxes.empty()) << Boxes();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].program, "xdg-open");
    ASSERT_EQ(launches[0].arguments.size(), 1u);
    const std::string manual = launches[0].arguments[0];
    EXPECT_EQ(manual, std::string(EDITOR_BUILD_COMMON_DATA_DIR) + kUserManualFile);
    QFile file(QString::fromStdString(manual));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (const char *topic :
         {"Opening a map", "Drawing", "Selecting", "Undo and redo", "Saving", "Measuring"})
        EXPECT_TRUE(html.contains(topic)) << topic;

    // A manual named in the settings that is not there: off, and asked
    // anyway, the message names it.
    launches.clear();
    Global().AppKey().WriteString("UserManual", "Gone.html");
    EXPECT_FALSE(m.IsCommandEnabled(61));
    m.UserManual();
    EXPECT_TRUE(launches.empty());
    ASSERT_EQ(boxes.size(), 1u) << Boxes();
    EXPECT_EQ(boxes[0], "Unable to open User Manual (" + Global().CommonDataFolder() + "Gone.html).");
}

TEST_P(MainWindowFakeTest, CommandsNotBuiltAreDisabledEverywhere)
{
    TfrmMain &m = Start();
    // Every menu item, tool button and lite button of a command not built
    // is grey; the built ones follow their rules.
    int unbuilt = 0;
    for (QObject *o : m.findChildren<QObject *>()) {
        const uint8_t id = ToolIdOf(o);
        if (id == 0 || IsToolBuilt(id))
            continue;
        ++unbuilt;
        if (auto *action = dynamic_cast<QAction *>(o)) {
            EXPECT_FALSE(action->isEnabled()) << int(id) << " " << action->text().toStdString();
        } else if (auto *button = dynamic_cast<QWidget *>(o)) {
            EXPECT_FALSE(button->isEnabled()) << int(id);
        }
    }
    EXPECT_GT(unbuilt, 10);
    QMenu *file = MenuNamed("File");
    for (uint8_t id : {15, 16, 17})
        EXPECT_FALSE(Item(file, id)->isEnabled()) << int(id);
    QMenu *import = Item(file, 18)->menu();
    ASSERT_NE(import, nullptr);
    EXPECT_FALSE(Item(import, 20)->isEnabled()) << "DXF import";
    EXPECT_TRUE(Item(import, 23)->isEnabled()) << "map document import";
    QMenu *exports = Item(file, 30)->menu();
    ASSERT_NE(exports, nullptr);
    for (uint8_t id : {31, 32, 33})
        EXPECT_FALSE(Item(exports, id)->isEnabled()) << int(id);
    EXPECT_TRUE(Item(exports, 35)->isEnabled());
    EXPECT_FALSE(Item(MenuNamed("Options"), 65)->isEnabled());
    EXPECT_FALSE(Item(MenuNamed("Help"), 64)->isEnabled());
    EXPECT_FALSE(Item(MenuNamed("Help"), 63)->isEnabled()) << "no update checker configured";
    EXPECT_TRUE(Item(MenuNamed("Help"), 61)->isEnabled()) << "the manual ships";

    // Neither a shortcut nor a direct call runs one: Ctrl+Shift+D names the
    // debug dialogue.
    const int dialogsBefore = fileDialogs;
    EXPECT_EQ(m.FormKeyDown('D', Qt::ControlModifier | Qt::ShiftModifier), 0);
    m.InvokeTool(20);
    EXPECT_EQ(fileDialogs, dialogsBefore);
    EXPECT_TRUE(boxes.empty()) << Boxes();
}

TEST_P(MainWindowFakeTest, MenuSeparatorsHaveNoCaption)
{
    Start();
    int separators = 0;
    for (QAction *top : main->menuBar()->actions())
        for (QAction *a : top->menu()->actions())
            if (a->isSeparator()) {
                ++separators;
                EXPECT_EQ(a->text(), "") << top->text().toStdString();
            }
    EXPECT_GT(separators, 5);
}

TEST_P(MainWindowFakeTest, ImportsAndExportsThatAreCancelledChangeNothing)
{
    TfrmMain &m = Start();
    const int32_t before = m.CurrentMap()->Control().MapObjects().Count();
    EXPECT_FALSE(m.Import("DXFLib"));
    EXPECT_EQ(fileDialogs, 1) << Boxes();
    EXPECT_FALSE(m.ImportKRT("MPD5"));
    EXPECT_EQ(fileDialogs, 2);
    EXPECT_FALSE(m.Export("SHPLib"));
    EXPECT_FALSE(m.Import("NoSuchLib"));
    EXPECT_EQ(m.CurrentMap()->Control().MapObjects().Count(), before);
    EXPECT_EQ(Global().ConvertersKey().GetString("Current Export", ""), "");
    EXPECT_FALSE(m.ExportKRT("DXF"));
    EXPECT_EQ(Global().ConvertersKey().GetString("Current Export", ""), "DXF");
}

// --- Stored strings of the wrong form ---

TEST_P(MainWindowFakeTest, BadStoredMenuAndToolbarStringsAreSkipped)
{
    TfrmMain &m = Create();
    Global().MenusKey().WriteString("Tasks", "ZZ29047F2");
    Global().MenusKey().WriteString("Edit", "1");
    Global().MenusKey().WriteString("Import", "G1");
    Global().ToolbarsKey().WriteString("Toolbar0", "01ZZ0708XY");
    m.BuildMenus();
    m.BuildToolBars();
    EXPECT_EQ(ItemIds(MenuNamed("Tasks")), (std::vector<uint8_t>{TfrmButtons::ToolOfIndex(0x29)}));
    EXPECT_TRUE(MenuNamed("Edit")->actions().isEmpty());
    ASSERT_NE(m.MainLitePanel(), nullptr);
    std::vector<uint8_t> ids;
    for (TToolBtnLite *b : m.MainLitePanel()->findChildren<TToolBtnLite *>())
        ids.push_back(b->Id);
    std::sort(ids.begin(), ids.end());
    std::vector<uint8_t> expected = {TfrmButtons::ToolOfIndex(7), TfrmButtons::ToolOfIndex(8)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ids, expected);
}

TEST_P(MainWindowFakeTest, StoredValuesOfTheWrongKindGiveTheDefaults)
{
    Global().SettingsKey().WriteString("Units", "7428");
    Global().SettingsKey().WriteString("Tabs", "96");
    Global().SettingsKey().WriteString("PanelWidth", "wide");
    TfrmMain &m = Start();
    ASSERT_NE(m.CurrentMap(), nullptr);
    EXPECT_EQ(m.CurrentMap()->GetUnits(kLengthUnitKind), 4);
    EXPECT_EQ(m.CurrentMap()->GetUnits(kAreaUnitKind), 29);
    EXPECT_EQ(m.ToolPages().count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Controls, MainWindowTest, ::testing::ValuesIn(ControlKinds()), KindName);
INSTANTIATE_TEST_SUITE_P(Controls, MainWindowFakeTest, ::testing::Values(ControlKind::Fake), KindName);

} // namespace

namespace {

class MainWindowRealTest : public MainWindowTest {};
INSTANTIATE_TEST_SUITE_P(Real, MainWindowRealTest, ::testing::Values(ControlKind::Real), KindName);

// A press and release of the left button at a point of the map's window.
void ClickMap(TPMap &map, QPoint at)
{
    QWidget *w = map.Widget();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

TEST_P(MainWindowRealTest, SelectingAnObjectLeavesTheMapUnmodified)
{
    TfrmMain &m = Start();
    m.resize(1100, 800);
    m.show();
    TPMap *map = m.CurrentMap();
    ASSERT_NE(map, nullptr);
    QApplication::processEvents();
    // A polygon over the middle of the window.
    const IKrtPoint window = IKrtPoint::New(), a = IKrtPoint::New(), b = IKrtPoint::New();
    QWidget *w = map->Widget();
    const QPoint centre(w->width() / 2, w->height() / 2);
    window.Putx(centre.x() - 100);
    window.Puty(centre.y() - 100);
    map->Control().WindowToMap(window, a);
    window.Putx(centre.x() + 100);
    window.Puty(centre.y() + 100);
    map->Control().WindowToMap(window, b);
    const IKrtPoly poly = IKrtPoly::New();
    for (auto [x, y] : {std::pair{a.x(), a.y()}, {b.x(), a.y()}, {b.x(), b.y()}, {a.x(), b.y()}})
        poly.Points().AddXY(x, y);
    poly.PutIsPolyline(false);
    const IKrtObject added = map->AddPoly(poly, map->GetActiveLayer());
    ASSERT_TRUE(added);
    map->SetModified(false);
    map->SetModified(false);

    m.InvokeTool(166); // the selection tool
    ClickMap(*map, centre);
    QApplication::processEvents();
    EXPECT_EQ(map->SelectedCount(), 1);
    EXPECT_FALSE(map->IsModified());
    // A second click on it, and the tab's caption asks nothing on closing.
    ClickMap(*map, centre);
    QApplication::processEvents();
    EXPECT_FALSE(map->IsModified());
    EXPECT_TRUE(m.Documents().CloseMap(""));
    EXPECT_TRUE(boxes.empty()) << Boxes();
}

TEST_P(MainWindowRealTest, ImportsThatBringNothingLeaveThePageWhereItWas)
{
    TfrmMain &m = Start();
    m.resize(1100, 800);
    m.show();
    QApplication::processEvents();
    TPMap *map = m.CurrentMap();
    ASSERT_NE(map, nullptr);
    const IKrtPage before = map->GetPage();
    const std::pair<int32_t, int32_t> origin{before.OriginX(), before.OriginY()};
    // Cancelled, and refused by its dialog.
    const std::string notes = Path("notes.mpd");
    {
        QFile file(QString::fromStdString(notes));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("0\nSECTION\n2\nENTITIES\n0\nLINE\n0\nENDSEC\n0\nEOF\n");
    }
    for (const std::optional<std::string> &chosen : {std::optional<std::string>(), std::optional(notes)}) {
        fileAnswer = chosen;
        EXPECT_FALSE(m.Import("DXFLib"));
        EXPECT_FALSE(m.Import("SHPLib"));
        const IKrtPage after = map->GetPage();
        EXPECT_EQ((std::pair<int32_t, int32_t>{after.OriginX(), after.OriginY()}), origin);
    }
    EXPECT_FALSE(map->IsModified());
}

TEST_P(MainWindowRealTest, StartsWithTheProgramsTemplatesWhereverTheFoldersAre)
{
    // The moved common data folder holds no template.
    std::filesystem::remove(Path("folders/common/" + std::string(kEditorFolderTail) + "P.mpd"));
    TfrmMain &m = Create();
    int reports = 0;
    m.WhenFirstMapPainted([&reports] { ++reports; });
    m.DelayedInit();
    EXPECT_TRUE(boxes.empty()) << Boxes();
    ASSERT_NE(m.CurrentMap(), nullptr);
    TPMap &map = *m.CurrentMap();
    EXPECT_TRUE(map.GetPage().IsPortrait());
    // One pen-parking layer, nothing to undo, nothing changed.
    int parking = 0;
    TMapEnumerator e(map.Control().MapLayers());
    for (IKrtObject layer = e.Next(); layer; layer = e.Next())
        parking += layer.Layer().Number() == 99 ? 1 : 0;
    EXPECT_EQ(parking, 1);
    EXPECT_FALSE(map.IsModified());
    EXPECT_FALSE(m.IsCommandEnabled(50))
        << "nothing to undo in a new map: " << MenuNamed("Edit")->actions().at(0)->text().toStdString();
}

TEST_P(MainWindowRealTest, ATemplateThatCannotBeReadMakesNoMapAndStartUpEnds)
{
    const std::string common = Path("folders/common/") + kEditorFolderTail;
    {
        QFile file(QString::fromStdString(common + "P.mpd"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a template");
    }
    TfrmMain &m = Create();
    int reports = 0;
    m.WhenFirstMapPainted([&reports] { ++reports; });
    m.DelayedInit();
    ASSERT_EQ(boxes.size(), 1u) << Boxes();
    EXPECT_EQ(boxes[0],
              "The page template " + common +
                  "P.mpd of new maps could not be read.\r\rIt is not a map document. No new map was made.");
    EXPECT_EQ(m.MapPages().TabCount(), 0);
    EXPECT_EQ(m.CurrentMap(), nullptr);
    EXPECT_FALSE(m.IsBusy());
    // The start-up is reported done, so that a caller waiting for it ends.
    QElapsedTimer guard;
    guard.start();
    while (reports == 0 && guard.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(reports, 1);
}

TEST_P(MainWindowRealTest, AFileThatIsNoMapDocumentSaysWhyAndTheTitleFollowsTheActiveTab)
{
    const std::string good = MakeDocument("good.mpd");
    const std::string notes = Path("notes.mpd");
    {
        QFile file(QString::fromStdString(notes));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Shopping: bread, milk.\n");
    }
    // Named on the command line: the message, then a new map.
    TfrmMain &m = Start({notes});
    ASSERT_EQ(boxes.size(), 1u) << Boxes();
    EXPECT_EQ(boxes[0], "Map file " + notes + " could not be opened.\r\rIt is not a map document.");
    ASSERT_EQ(m.MapPages().TabCount(), 1);
    EXPECT_EQ(ActiveDocument(), "");
    EXPECT_EQ(m.windowTitle(), "Orvane Standard   ");

    // Opened beside a document: that tab stays, and so does its title.
    boxes.clear();
    m.Documents().InstallMap(good);
    ASSERT_EQ(m.MapPages().TabCount(), 2);
    EXPECT_EQ(m.windowTitle().toStdString(), "Orvane Standard   " + good);
    TPMap *current = m.CurrentMap();
    m.Documents().InstallMap(notes);
    EXPECT_EQ(boxes, std::vector<std::string>{"Map file " + notes +
                                              " could not be opened.\r\rIt is not a map document."});
    EXPECT_EQ(m.MapPages().TabCount(), 2);
    EXPECT_EQ(m.CurrentMap(), current);
    EXPECT_EQ(ActiveDocument(), good);
    EXPECT_EQ(m.windowTitle().toStdString(), "Orvane Standard   " + good);
}

} // namespace
