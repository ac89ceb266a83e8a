// A map window with undo on for the tests of the polygon commands (buffers,
// cutting, circles): the selection read and set through the window, the
// document's saved bytes to show an undone command left nothing behind, the
// progress notices and a polygon's area. The dialog and message box hooks
// are cleared after each test.
#pragma once

#include "engine/editing/set_geometry.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/selection_list.h"
#include "engine/window/window_selection.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "tests/engine/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

class PolygonCommandTest : public EditingTest {
protected:
    using Ring = std::vector<MAP_COORDPT>;
    using Progress = std::vector<std::pair<WPARAM, LPARAM>>;

    void SetUp() override
    {
        EditingTest::SetUp();
        rec.undoEnabled = 1;
    }
    void TearDown() override
    {
        SetModalDialogHook({});
        SetMessageBoxHook({});
        EditingTest::TearDown();
    }

    std::vector<OBJHANDLE> selected()
    {
        int32_t count = 0;
        map_selection_Get(window, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 1);
        std::vector<OBJHANDLE> out(size_t(std::max(count, 0)));
        if (count > 0)
            map_selection_Get(window, &count, out.data(), count, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, 1);
        return out;
    }
    void select(const std::vector<OBJHANDLE> &objects)
    {
        ASSERT_EQ(SetSelection(window, objects.data(), uint32_t(objects.size()), 0, 0), objects.size());
    }
    // The document as saved to a file of the given name.
    std::vector<char> saved(const char *name = "doc.mpd")
    {
        const std::string path = folders.path().toStdString() + "/" + name;
        EXPECT_EQ(MapSave(window, path.c_str()), 1);
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The progress notices received so far: (kind, value) each.
    Progress progress() const
    {
        Progress out;
        for (const ReceivedMessage &m : received)
            if (m.msg == MAPN_PROGRESS)
                out.push_back({m.wParam, m.lParam});
        return out;
    }
    double area(OBJHANDLE polygon)
    {
        const Ring ring = points(polygon);
        return std::fabs(SetOfLinesegmentArea(uint32_t(ring.size()), ring.data()));
    }
};
