// The length and area panels of the status bar on a new map made from the
// page templates the build writes: a known square measures in metres and
// hectares, and the figures follow the selection through delete, undo,
// redo, a change of tab, and saving and opening the document again.
#include "editor/shell/documents/map_documents.h"
#include "editor/shell/main/main_form.h"
#include "editor/shell/map/krt_list.h"
#include "editor/shell/map/tpmap.h"
#include "editor/shell/support/data_folders.h"
#include "tests/editor/shell/map/map_fixture.h"
#include "tests/support/temp_settings.h"

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_codec.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <gtest/gtest.h>

#include <filesystem>

#include "editor_build_folders.h"

namespace {

// A square of 200 m a side in map units (centimetres).
constexpr int32_t kSide = 20000;

class SelectionMeasurePanels : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv(kEditorFoldersVariable, Path("folders").c_str(), 1);
        const std::string why = RegisterControl(ControlKind::Real);
        if (!why.empty())
            GTEST_SKIP() << why;
        previousBox = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes += "[" + r.text + "] ";
            return IDNO;
        });
        // New maps open the page templates that the build made.
        const std::string common = Path("folders/common/") + kEditorFolderTail;
        std::filesystem::create_directories(common);
        for (const char *t : {"P.mpd", "L.mpd"})
            ASSERT_TRUE(QFile::copy(QString::fromStdString(std::string(EDITOR_BUILD_COMMON_DATA_DIR) + t),
                                    QString::fromStdString(common + t)))
                << t;
        main = std::make_unique<TfrmMain>(std::vector<std::string>{});
        main->CreateForms();
        main->Documents().ControlClass = ClassOf(ControlKind::Real);
        main->DelayedInit();
        ASSERT_NE(main->CurrentMap(), nullptr) << boxes;
    }
    void TearDown() override
    {
        if (IsSkipped())
            return;
        main.reset();
        SetMessageBoxHook(previousBox);
        unsetenv(kEditorFoldersVariable);
    }
    std::string Path(const std::string &name) const
    {
        return (settings.path() + "/" + name.c_str()).toStdString();
    }
    std::string Panel(int index) const { return ToWindows1252(main->StatusPanel(index)->text()); }
    TPMap &Map() const { return *main->CurrentMap(); }

    // A square, its lower-left corner at (x, y), added to the current map
    // and selected; its handle.
    int32_t SelectedSquare(int32_t x = 500000, int32_t y = 200000)
    {
        const IKrtPoly p = IKrtPoly::New();
        for (auto [px, py] : {std::pair{x, y}, std::pair{x + kSide, y}, std::pair{x + kSide, y + kSide},
                              std::pair{x, y + kSide}})
            p.Points().AddXY(px, py);
        p.PutIsPolyline(false);
        const int32_t handle = Map().Control().MapObjects().Add(p);
        EXPECT_GT(handle, 0);
        Map().Control().MapObjects().Item(handle).PutIsSelected(true);
        return handle;
    }
    void ExpectSquareShown(const std::string &when)
    {
        EXPECT_EQ(Panel(4), "800.0 m") << when;
        EXPECT_EQ(Panel(5), "4.00 ha") << when;
    }
    void ExpectNothingShown(const std::string &when)
    {
        EXPECT_EQ(Panel(4), "") << when;
        EXPECT_EQ(Panel(5), "") << when;
    }

    TempSettingsFolders settings; // the registry and profiles
    std::unique_ptr<TfrmMain> main;
    MessageBoxHook previousBox;
    std::string boxes;
};

TEST_F(SelectionMeasurePanels, ASquareMeasuresInMetresAndHectaresAndTheFiguresFollowTheSelection)
{
    SelectedSquare();
    ExpectSquareShown("selected");
    Map().SetCommand(419); // delete the selection
    ExpectNothingShown("deleted");
    Map().SetCommand(459); // undo: the square comes back selected
    ASSERT_EQ(Map().SelectedCount(), 1);
    fprintf(stderr, "PROBE %f %f units %d %d %d %d\n", Map().SelectionLength(), Map().SelectionArea(),
            Map().Control().UnitsGet(1), Map().Control().UnitsGet(2), Map().Control().UnitsGet(3),
            Map().Control().UnitsGet(4));
    ExpectSquareShown("undone");
    Map().SetCommand(461); // redo
    ExpectNothingShown("redone");
    Map().SetCommand(459);
    ExpectSquareShown("undone again");
    Map().SetCommand(471); // deselect the objects
    ExpectNothingShown("deselected");
    const int32_t second = SelectedSquare(900000, 200000);
    ExpectSquareShown("another square");
    // The first square joins the selection: the sums of both.
    const IKrtObjects objects = Map().Control().MapObjects();
    TMapEnumerator e(objects);
    for (IKrtObject o = e.Next(); o; o = e.Next())
        if (o.ObjectType() == otPolygon && o.hObject() != second)
            o.PutIsSelected(true);
    ASSERT_EQ(Map().SelectedCount(), 2);
    EXPECT_EQ(Panel(4), "1600.0 m");
    EXPECT_EQ(Panel(5), "8.00 ha");
    EXPECT_TRUE(boxes.empty()) << boxes;
}

TEST_F(SelectionMeasurePanels, TheFiguresAreThoseOfTheCurrentTab)
{
    SelectedSquare();
    TPMap *first = main->CurrentMap();
    main->Documents().NewMap();
    ASSERT_NE(main->CurrentMap(), first);
    ExpectNothingShown("in a new tab");
    main->MapPages().setCurrentIndex(0);
    QApplication::processEvents();
    ASSERT_EQ(main->CurrentMap(), first);
    ExpectSquareShown("back in the first tab");
}

TEST_F(SelectionMeasurePanels, ASavedMapMeasuresTheSameWhenOpenedAgain)
{
    SelectedSquare();
    const std::string file = Path("square.mpd");
    ASSERT_TRUE(Map().Save(file));
    main->Documents().InstallMap(file);
    ASSERT_EQ(main->MapPages().TabCount(), 2);
    // The document keeps its selection, and the figures show it at once.
    ASSERT_EQ(Map().SelectedCount(), 1);
    ExpectSquareShown("opened");
    Map().SetCommand(471);
    ExpectNothingShown("deselected");
    const IKrtObjects objects = Map().Control().MapObjects();
    TMapEnumerator e(objects);
    for (IKrtObject o = e.Next(); o; o = e.Next())
        if (o.ObjectType() == otPolygon)
            o.PutIsSelected(true);
    ASSERT_EQ(Map().SelectedCount(), 1);
    ExpectSquareShown("selected again");
}

} // namespace
