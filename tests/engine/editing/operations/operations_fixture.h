// A map window with undo recording for the editing operations, and the
// check that every operation is one undo step: the document saved before,
// after the operation, after undo and after redo.
#pragma once

#include "engine/editing/operations/operation_support.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/map_obj_arr.h"
#include "engine/window/window_access.h"
#include "engine/window/window_queries.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/window/undo_window.h"
#include "engine/window/window_selection.h"
#include "platform/message_box.h"
#include "tests/engine/editing/editing_fixture.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

class OperationsTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        if (HasFatalFailure())
            return;
        rec.undoEnabled = 1;
        previousBoxHook = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook(previousBoxHook);
        EditingTest::TearDown();
    }

    // The document as the file writer stores it, selection included.
    std::vector<char> saved()
    {
        const std::string file = (folders.path() + "/doc.mpd").toStdString();
        EXPECT_EQ(MapSave(window, file.c_str()), 1);
        std::ifstream in(file, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    }

    // Runs the operation and checks that it made exactly one undo step
    // with the code: undo gives back the file saved before, redo the file
    // saved after, and the map is marked modified.
    void expectOneUndoStep(const std::function<void()> &operation, uint16_t code)
    {
        const std::vector<char> before = saved();
        const int stepsBefore = Undo_UndoStepsCount(window);
        rec.flags &= uint16_t(~WNDRES_MODIFIED);
        operation();
        EXPECT_TRUE(rec.flags & WNDRES_MODIFIED) << "the map is marked modified";
        ASSERT_EQ(Undo_UndoStepsCount(window), stepsBefore + 1) << "one step";
        EXPECT_EQ(Undo_CurrentStep(kernel()).code, code);
        const std::vector<char> after = saved();
        EXPECT_NE(after, before) << "the operation changed the document";
        ASSERT_EQ(map_Undo(window), 1);
        const std::vector<char> undone = saved();
        EXPECT_EQ(undone, before) << "undo restores the document byte for byte"
                                  << firstDifference(undone, before);
        ASSERT_EQ(map_Redo(window), 1);
        EXPECT_EQ(saved(), after) << "redo gives the document after the operation";
    }

    static std::string firstDifference(const std::vector<char> &a, const std::vector<char> &b)
    {
        size_t i = 0;
        while (i < a.size() && i < b.size() && a[i] == b[i])
            ++i;
        std::string dump = "\n";
        for (size_t k = (i > 48 ? i - 48 : 0); k < i + 48 && k < a.size() && k < b.size(); ++k) {
            char t[16];
            std::snprintf(t, sizeof t, "%02x/%02x%s", uint8_t(a[k]), uint8_t(b[k]),
                          k % 16 == 15 ? "\n" : " ");
            dump += t;
        }
        return dump + " (sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
               ", first difference at " + std::to_string(i) + ")";
    }

    // Runs the operation and checks that it left the document and the
    // history alone.
    void expectNoChange(const std::function<void()> &operation)
    {
        const std::vector<char> before = saved();
        const int stepsBefore = Undo_UndoStepsCount(window);
        operation();
        EXPECT_EQ(Undo_UndoStepsCount(window), stepsBefore) << "no step";
        EXPECT_EQ(saved(), before) << "nothing changed";
    }

    void select(const std::vector<OBJHANDLE> &objects)
    {
        SetSelection(window, objects.data(), uint32_t(objects.size()), 0, 0);
    }
    std::vector<OBJHANDLE> selected() { return SelectedObjects(window); }
    bool alive(OBJHANDLE h)
    {
        return h && GetOBJectClassID(kernel(), h) != 0 && !IsOBJectUndoDeleted(kernel(), h);
    }

    MessageBoxHook previousBoxHook;
    std::vector<MessageBoxRequest> boxes;
};

inline std::vector<MAP_COORDPT> Square(int32_t x, int32_t y, int32_t side)
{
    return {{x, y}, {x, y + side}, {x + side, y + side}, {x + side, y}};
}
