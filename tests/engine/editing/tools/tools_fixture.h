// The editing fixture with what the tool tests add: a view of a known map
// area, window points of map points, and the undo rule (save, operate,
// undo, save gives the same file; redo gives the file saved after).
#pragma once

#include "engine/kernel/map_file.h"
#include "engine/kernel/undo.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/message_box.h"
#include "tests/engine/editing/editing_fixture.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

class ToolsTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        if (HasFatalFailure())
            return;
        // 400 x 300 pixels over 0..4000 x 0..3000: 10 map units a pixel.
        showWorld({0, 0, 4000, 3000});
        previousHook = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook(previousHook);
        EditingTest::TearDown();
    }

    POINT pixel(MAP_COORDPT p) const
    {
        POINT w{};
        PM_MapToWindow(rec.displayView, &p, &w, 1);
        return w;
    }

    std::vector<char> saved()
    {
        const std::string file = folders.path().toStdString() + "/doc" + std::to_string(saves++) + ".mpd";
        EXPECT_EQ(MapSave(window, file.c_str()), 1);
        std::ifstream in(file, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    }

    // Runs the operation (which must change the document and close one
    // step) and checks undo and redo against the saved files.
    void expectUndoRule(const std::function<void()> &operation)
    {
        const std::vector<char> before = saved();
        operation();
        if (HasFatalFailure())
            return;
        const std::vector<char> after = saved();
        EXPECT_NE(after, before) << "the operation changed nothing";
        ASSERT_EQ(Undo_Undo(kernel()), 1);
        EXPECT_EQ(firstDifference(saved(), before), "") << "undo";
        ASSERT_EQ(Undo_Redo(kernel()), 1);
        EXPECT_EQ(firstDifference(saved(), after), "") << "redo";
    }

    static std::string firstDifference(const std::vector<char> &a, const std::vector<char> &b)
    {
        if (a == b)
            return "";
        size_t i = 0;
        while (i < a.size() && i < b.size() && a[i] == b[i])
            ++i;
        return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
               ", first difference at " + std::to_string(i);
    }
    uint16_t lastStepCode() { return Undo_CurrentStep(kernel()).code; }
    bool modified() const { return rec.flags & WNDRES_MODIFIED; }

    std::vector<MessageBoxRequest> boxes;
    MessageBoxHook previousHook;
    int saves = 0;
};
