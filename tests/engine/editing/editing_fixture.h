// A map window with its document for the editing tests, and helpers that
// make polygons and polylines in the active layer.
#pragma once

#include "engine/editing/point_set.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/object_classes.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/wndres.h"
#include "platform/window.h"
#include "tests/support/temp_settings.h"

#include <gtest/gtest.h>

#include <vector>

// A message the map window received.
struct ReceivedMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class EditingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearClassTable();
        ASSERT_EQ(InitGraphClasses(0), 1);
        ASSERT_EQ(WndRes_Constructor(&rec), 1);
        window = CreateHeadlessWindow([this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            received.push_back({msg, wParam, lParam});
            return 0;
        });
        SetClientSize(window, 400, 300);
        ASSERT_EQ(WndRes_AttachToWindow(&rec, window, 1), 1);
    }
    // Makes the view show the map rectangle.
    void showWorld(MAP_COORDRECT r)
    {
        PM_OnWndSize(rec.displayView, window, 0, nullptr);
        ASSERT_NE(PM_SetWorldRect(rec.displayView, window, &r, 0), 0);
    }
    void TearDown() override
    {
        WndRes_Destructor(&rec);
        DestroyWindow(window);
    }

    OBJectKernel *kernel() const { return rec.kernel; }

    OBJHANDLE make(uint16_t cls, const std::vector<MAP_COORDPT> &points)
    {
        OBJHANDLE h = ObjectCreateInActiveLayer(window, cls);
        EXPECT_NE(h, 0u);
        EXPECT_EQ(PointSetReplacePoints(kernel(), &h, points.data(), uint32_t(points.size())), 1);
        return h;
    }
    OBJHANDLE polygon(const std::vector<MAP_COORDPT> &points) { return make(CLASS_POLYGON, points); }
    OBJHANDLE polyline(const std::vector<MAP_COORDPT> &points) { return make(CLASS_POLYLINE, points); }

    std::vector<MAP_COORDPT> points(OBJHANDLE h)
    {
        std::vector<MAP_COORDPT> out;
        PointSetAccess a;
        if (LockPointSet(kernel(), h, a))
            for (uint32_t i = 0; i < a.count; ++i)
                out.push_back(a.at(i));
        return out;
    }
    MAP_COORDRECT bound(OBJHANDLE h)
    {
        PointSetAccess a;
        return LockPointSet(kernel(), h, a) ? a.bound() : MAP_COORDRECT{0, 0, 0, 0};
    }
    // The wParam of each message of the kind received so far.
    std::vector<WPARAM> receivedOf(UINT msg) const
    {
        std::vector<WPARAM> out;
        for (const ReceivedMessage &m : received)
            if (m.msg == msg)
                out.push_back(m.wParam);
        return out;
    }

    TempSettingsFolders folders;
    _WNDRES rec;
    HWND window = 0;
    std::vector<ReceivedMessage> received;
};

inline bool operator==(const MAP_COORDPT &a, const MAP_COORDPT &b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}
inline bool operator==(const Linesegment &a, const Linesegment &b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}
inline std::ostream &operator<<(std::ostream &o, const MAP_COORDPT &p)
{
    return o << "(" << p.x << "," << p.y << ")";
}
inline std::ostream &operator<<(std::ostream &o, const MAP_COORDRECT &r)
{
    return o << "[" << r.x1 << "," << r.y1 << "," << r.x2 << "," << r.y2 << "]";
}
inline std::ostream &operator<<(std::ostream &o, const Linesegment &s)
{
    return o << "(" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ")";
}
