// Command: tool switches and their events, one-shot commands, the view
// commands and the numbers that are not commands.
#include "control_fixture.h"

#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/dialogs/layers_dialog.h"
#include "engine/window/page.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_selection.h"
#include "platform/window.h"
#include "platform/key_state.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/window_messages.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <string>

namespace {

using Events = std::vector<RecordedEvent>;

RecordedEvent State(int32_t id, int32_t flag)
{
    return {EVENT_COMMANDSTATECHANGED, {double(id), double(flag)}};
}
RecordedEvent Selection(int32_t n) { return {EVENT_SELECTIONCHANGED, {double(n)}}; }

class Commands : public ControlTest {
protected:
    int32_t Cmd(int32_t id)
    {
        sink->events.clear();
        return Call("Command", {VariantFromLong(id)}).lVal;
    }
};

TEST_F(Commands, ToolSwitchesReportTheEndingAndTheStartingTool)
{
    EXPECT_EQ(Cmd(mCmdPolyline), 1);
    EXPECT_EQ(sink->events, (Events{State(403, 1)}));
    EXPECT_EQ(Cmd(mCmdPolygon), 1);
    EXPECT_EQ(sink->events, (Events{State(403, 2), State(404, 1)}));
    EXPECT_EQ(ctl->CurrentTool(), mCmdPolygon);

    // A one-shot command under a tool leaves the tool current.
    EXPECT_EQ(Cmd(mCmdTransformation), 1);
    EXPECT_EQ(sink->events, (Events{State(426, 1), State(426, 2)}));
    EXPECT_EQ(ctl->CurrentTool(), mCmdPolygon);
    EXPECT_EQ(Cmd(mCmdReducing), 1);
    EXPECT_TRUE(sink->events.empty());

    // Deselecting the tool reports it ending.
    EXPECT_EQ(Cmd(mCmdDeselectTool), 1);
    EXPECT_EQ(sink->events, (Events{State(404, 2), State(472, 1), State(472, 2)}));
    EXPECT_EQ(ctl->CurrentTool(), mCmdDeselect);
}

TEST_F(Commands, DeselectToolWithoutAToolClearsTheSelection)
{
    const OBJHANDLE p = Polygon({{0, 0}, {10, 0}, {10, 10}});
    map_selection_Set(hwnd(), &p, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0);
    EXPECT_EQ(Cmd(mCmdDeselectTool), 1);
    EXPECT_EQ(sink->events, (Events{Selection(0), State(472, 2)}));
    int32_t count = -1;
    map_selection_Get(hwnd(), &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, 0);
    EXPECT_EQ(count, 0);

    // Escape deselects the objects too.
    map_selection_Set(hwnd(), &p, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0);
    sink->events.clear();
    SendMessageA(hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(sink->events, (Events{State(471, 1), Selection(0), State(471, 2)}));
}

TEST_F(Commands, NumbersThatAreNotCommandsGiveZeroAndNoEvent)
{
    for (int32_t id : {417, 437, 442, 443, 450, 451, 452, 454, 468, 399, 477, 4002, -1, 32931}) {
        EXPECT_EQ(Cmd(id), 0) << id;
        EXPECT_TRUE(sink->events.empty()) << id;
    }
    EXPECT_EQ(Cmd(mCmdRastersManagement), 1);
    EXPECT_TRUE(sink->events.empty());
}

TEST_F(Commands, WhileAnOperationRunsDeselectAbandonsItAndAnotherCommandEndsItFirst)
{
    ASSERT_EQ(Cmd(mCmdPolygon), 1);
    ctl->SetOperationState(2);
    EXPECT_EQ(Cmd(mCmdDeselect), 1);
    EXPECT_EQ(ctl->OperationState(), 0);
    EXPECT_EQ(ctl->CurrentTool(), mCmdPolygon) << "the polygon tool stays after an operation";

    ctl->SetOperationState(2);
    EXPECT_EQ(Cmd(mCmdZoomIn), 1);
    EXPECT_EQ(ctl->OperationState(), 0);
    EXPECT_EQ(ctl->CurrentTool(), mCmdZoomIn);
    EXPECT_EQ(sink->events, (Events{State(404, 2), State(401, 1)}));

    // A number that is no command is taken and changes nothing.
    ctl->SetOperationState(1);
    EXPECT_EQ(Cmd(4002), 1);
    EXPECT_EQ(ctl->OperationState(), 1);
    EXPECT_TRUE(sink->events.empty());
    ctl->SetOperationState(0);
}

TEST_F(Commands, ViewAllObjectsShowsThePageOnAnEmptyMapAndFourUnitsAroundOnePoint)
{
    const OBJHANDLE page = PageGetFromWindow(hwnd());
    ASSERT_NE(page, 0u);
    PageRecord record{};
    ASSERT_TRUE(PageRead(ctl->wndRes()->kernel, page, &record));
    EXPECT_EQ(Cmd(mCmdViewAllObjects), 1);
    EXPECT_EQ(sink->events.front(), State(432, 1));
    EXPECT_EQ(sink->events.back(), State(432, 2));
    EXPECT_EQ(sink->Of(EVENT_DISPLAYSCALECHANGED).size(), 1u);
    // The page's rectangle, fitted to the window's aspect, is what shows.
    const MAP_COORDRECT w = ctl->view()->worldRect;
    EXPECT_LE(w.x1, record.page.x1);
    EXPECT_GE(w.x2, record.page.x2);
    EXPECT_LE(w.y1, record.page.y1);
    EXPECT_GE(w.y2, record.page.y2);

    Polyline({{1000, 2000}, {1000, 2000}});
    EXPECT_EQ(Cmd(mCmdViewAllObjects), 1);
    EXPECT_EQ(ctl->view()->allObjectsRect.x1, 998);
    EXPECT_EQ(ctl->view()->allObjectsRect.x2, 1002);
    EXPECT_EQ(ctl->view()->allObjectsRect.y1, 1998);
    EXPECT_EQ(ctl->view()->allObjectsRect.y2, 2002);
}

// Lines made far apart and moved between layers with new points, each in a
// step of its own; after undoing every step and redoing them through the
// commands, View All shows what it showed before, with every line inside the
// window.
TEST_F(Commands, ViewAllAfterUndoAllAndRedoAllShowsEveryObject)
{
    OBJectKernel *kernel = ctl->wndRes()->kernel;
    Undo_Reset(kernel);
    const OBJHANDLE first = Polyline({{-930592, 0}, {-930000, 10}});
    const OBJHANDLE layer = GetOBJectLayer(kernel, first);
    const OBJHANDLE other =
        CreateLayerOBJect(kernel, FirstReference(kernel, layer, REF_LAYER_BACK, nullptr), 7, "other");
    ASSERT_NE(other, 0u);
    ASSERT_EQ(Undo_AddNew(kernel, first), 1);
    ASSERT_EQ(Undo_SetNewStep(hwnd(), kernel, UNDO_OP_CREATE_POLYLINE), 1);
    const OBJHANDLE second = Polyline({{5000, 5000}, {5010, 5020}});
    ASSERT_EQ(Undo_AddNew(kernel, second), 1);
    ASSERT_EQ(Undo_SetNewStep(hwnd(), kernel, UNDO_OP_CREATE_POLYLINE), 1);
    // Each line gets new points and goes to the other layer, or back.
    const MAP_COORDPT far[] = {{6999489, 2000000}, {7000000, 2000010}};
    const MAP_COORDPT near[] = {{-100, -100}, {-90, -80}};
    for (const auto &[line, points, to] : {std::tuple{first, far, other}, std::tuple{second, near, other}}) {
        ASSERT_EQ(Undo_ChangeObject(kernel, line), 1);
        ASSERT_EQ(map_polyline_Set(hwnd(), line, points, 2, 0), 1);
        const OBJHANDLE from = GetOBJectLayer(kernel, line);
        ASSERT_NE(RemoveNthReference(kernel, line, FindReference(kernel, line, REF_LAYER_BACK, from)),
                  OBJ_INVALID);
        ASSERT_NE(InsertLayerRef(kernel, line, to), OBJ_INVALID);
        ASSERT_EQ(Undo_SetNewStep(hwnd(), kernel, UNDO_OP_CHANGE_LAYER), 1);
    }
    ASSERT_EQ(Cmd(mCmdViewAllObjects), 1);
    const MAP_COORDRECT before = ctl->view()->allObjectsRect;

    int undone = 0, redone = 0;
    while (Undo_HasUndoStep(kernel) && undone < 10 && Cmd(mCmdUndo) == 1)
        ++undone;
    EXPECT_EQ(undone, 4);
    while (Undo_HasRedoStep(kernel) && redone < 10 && Cmd(mCmdRedo) == 1)
        ++redone;
    EXPECT_EQ(redone, 4);
    ASSERT_EQ(Cmd(mCmdViewAllObjects), 1);
    const MAP_COORDRECT after = ctl->view()->allObjectsRect;
    EXPECT_EQ(after.x1, before.x1);
    EXPECT_EQ(after.y1, before.y1);
    EXPECT_EQ(after.x2, before.x2);
    EXPECT_EQ(after.y2, before.y2);
    const MAP_COORDRECT w = ctl->view()->worldRect;
    for (const OBJHANDLE line : {first, second}) {
        _COORDRECT r{};
        SendOBJectMessage(kernel, 0, line, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
        EXPECT_TRUE(w.x1 <= r.x1 && r.x2 <= w.x2 && w.y1 <= r.y1 && r.y2 <= w.y2) << line;
    }
}

TEST_F(Commands, CloseLeavesAnEmptyDocumentWithAPage)
{
    const int32_t fresh = Call("QueryAllObjects", {VariantFromLong(1)}).lVal;
    Polygon({{0, 0}, {10, 0}, {10, 10}});
    ASSERT_EQ(Put("IsModified", VariantFromBool(true)), S_OK);
    ASSERT_EQ(Cmd(mCmdPolyline), 1);
    EXPECT_EQ(Call("Close").lVal, 1);
    EXPECT_FALSE(Get("IsModified").boolVal);
    EXPECT_NE(PageGetFromWindow(hwnd()), 0u);
    EXPECT_EQ(ctl->CurrentTool(), mCmdPolyline) << "the tool keeps its value";
    sink->events.clear();
    EXPECT_EQ(Call("QueryAllObjects", {VariantFromLong(1)}).lVal, fresh) << "the objects of a new document";
}

} // namespace

namespace {

TEST_F(Commands, GroupingTheSelectionLeavesNoToolAndReportsTheSelection)
{
    const OBJHANDLE a = Polygon({{0, 0}, {10, 0}, {10, 10}});
    const OBJHANDLE b = Polygon({{20, 0}, {30, 0}, {30, 10}});
    const OBJHANDLE both[] = {a, b};
    map_selection_Set(hwnd(), both, 2, 0, 0, 0, 0, 1, 0, 0, 1, 0);
    ASSERT_EQ(Cmd(mCmdPolygon), 1);
    EXPECT_EQ(Cmd(mCmdMultiselectionGroup), 1);
    EXPECT_NE(map_object_group_Get(hwnd(), a), 0u);
    EXPECT_EQ(map_object_group_Get(hwnd(), a), map_object_group_Get(hwnd(), b));
    // The engine's own notices (undo, selection count) come between.
    ASSERT_GE(sink->events.size(), 3u);
    EXPECT_EQ(sink->events.front(), State(412, 1));
    EXPECT_FALSE(sink->Of(EVENT_SELECTIONCHANGED).empty());
    EXPECT_EQ(sink->events.back(), State(412, 2));
    EXPECT_EQ(ctl->CurrentTool(), mCmdDeselect) << "grouping ends the tool without its event";
}

} // namespace

// Layers Setup installs the dialog's new root; the map is redrawn only when
// a line changed, and the document counts as modified either way.
TEST_F(Commands, LayersSetupRedrawsOnlyWhenALineChanged)
{
    Polygon({{0, 0}, {100, 0}, {100, 100}});
    Polygon({{150, 150}, {200, 150}, {200, 200}});
    std::string newName;
    SetModalDialogHook([&](QDialog &d, int) {
        if (!newName.empty()) {
            auto *list = DialogItemAs<QListWidget>(&d, IDC_LAYERS_LIST);
            list->clearSelection();
            list->item(0)->setSelected(true);
            auto *name = DialogItemAs<QLineEdit>(&d, IDC_LAYERS_NAME);
            name->setText(QString::fromStdString(newName));
            name->setModified(true);
            Q_EMIT name->editingFinished();
        }
        DialogItemAs<QPushButton>(&d, IDOK)->click();
        return d.result();
    });
    struct Case {
        const char *what;
        std::string name;
        bool redrawn;
    };
    for (const Case &c : {Case{"OK without a change", "", false}, Case{"a layer renamed", "renamed", true}}) {
        UpdateWindow(hwnd());
        ctl->WaitForDrawing();
        RECT pending{};
        ASSERT_FALSE(GetUpdateRect(hwnd(), &pending, FALSE)) << c.what;
        const OBJHANDLE before = GetRootOBJect(hwnd(), CLASS_LAYERS);
        newName = c.name;
        EXPECT_EQ(Cmd(mCmdLayersSetup), 1) << c.what;
        EXPECT_NE(GetRootOBJect(hwnd(), CLASS_LAYERS), before) << c.what;
        EXPECT_EQ(bool(GetUpdateRect(hwnd(), &pending, FALSE)), c.redrawn) << c.what;
        EXPECT_TRUE(ctl->wndRes()->flags & WNDRES_MODIFIED) << c.what;
    }
    SetModalDialogHook({});
}
