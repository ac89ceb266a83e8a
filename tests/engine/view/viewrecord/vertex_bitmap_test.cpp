// The vertex bitmap of a map window: geometry, setting and clearing, clearing
// before a repaint, scrolling, the snap search and its settings.
#include "engine/view/viewrecord/vertex_bitmap.h"

#include "engine/kernel/graph_classes.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "tests/engine/window/window_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class VertexBitmapWindow : public AttachedMapWindowTest {
protected:
    // A client area of width x height pixels with its bitmap made, as a
    // size change makes it.
    void size(int width, int height)
    {
        SetClientSize(window, width, height);
        RECT client{};
        GetClientRect(window, &client);
        PM_OnWndSize(rec.displayView, window, 0, &client);
        ASSERT_NE(rec.vertexBits, nullptr);
    }
    void set(std::initializer_list<POINT> points)
    {
        const std::vector<POINT> v(points);
        ASSERT_EQ(PointsSet(rec.hWnd, nullptr, v.data(), int(v.size())), 1);
    }
    bool bit(int x, int y) const { return ::VertexBitmapTest(&rec, x, y) == 1; }
    int countBits() const
    {
        int n = 0;
        for (uint32_t i = 0; i < rec.vertexSize; ++i)
            n += __builtin_popcount(rec.vertexBits[i]);
        return n;
    }
};

TEST_F(VertexBitmapWindow, GeometryAndBitOrder)
{
    size(100, 50);
    EXPECT_EQ(rec.vertexStride, 13);
    EXPECT_EQ(rec.vertexSize, 663u);
    EXPECT_EQ(countBits(), 0) << "a new bitmap is clear";
    set({{9, 1}});
    EXPECT_EQ(rec.vertexBits[14], 0x40);

    struct Case {
        int x, y;
        bool inside;
    } cases[] = {
        {0, 0, true},   {100, 50, true}, {100, 0, true}, {0, 50, true},         {101, 0, false},
        {0, 51, false}, {-1, 0, false},  {0, -1, false}, {INT32_MAX, 0, false}, {INT32_MIN, INT32_MIN, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(VertexBitmapMark(&rec, c.x, c.y), c.inside ? 1 : 0) << c.x << "," << c.y;
        EXPECT_EQ(bit(c.x, c.y), c.inside) << c.x << "," << c.y;
    }
}

TEST_F(VertexBitmapWindow, RightEdgeOfAWholeByteRowDoesNotAliasTheNextRow)
{
    size(400, 300); // 50 bytes a row: no bit is left for x = 400
    EXPECT_EQ(VertexBitmapMark(&rec, 400, 0), 0);
    EXPECT_FALSE(bit(0, 1));
    EXPECT_EQ(countBits(), 0);
}

TEST_F(VertexBitmapWindow, SetGivesMapPointsAndUnsetClears)
{
    size(100, 50);
    const POINT w[] = {{10, 10}, {20, 30}, {500, 500}};
    MAP_COORDPT map[3]{};
    ASSERT_EQ(PointsSet(window, map, w, 3), 1);
    MAP_COORDPT expected[3]{};
    PM_WindowToMap(rec.displayView, w, expected, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(map[i].x == expected[i].x && map[i].y == expected[i].y) << i;
    EXPECT_EQ(countBits(), 2) << "the point outside changes nothing";
    ASSERT_EQ(PointsUnset(window, w, 3), 1);
    EXPECT_EQ(countBits(), 0);
}

TEST_F(VertexBitmapWindow, ClearsAnswerAsTheyShould)
{
    size(100, 50);
    set({{1, 1}, {99, 49}});
    EXPECT_EQ(PointsClear(window), 0) << "answers 0 even when it cleared";
    EXPECT_EQ(countBits(), 0);
    set({{1, 1}});
    EXPECT_EQ(PointsClearProc(window), 1);
    EXPECT_EQ(countBits(), 0);
}

TEST_F(VertexBitmapWindow, ClearRectClearsExactlyItsColumnsAndRows)
{
    size(100, 50);
    std::vector<POINT> all;
    for (int y = 0; y <= 50; ++y)
        for (int x = 0; x <= 100; ++x)
            all.push_back({x, y});
    ASSERT_EQ(PointsSet(window, nullptr, all.data(), int(all.size())), 1);
    const RECT r{20, 0, 30, 50};
    ASSERT_EQ(PointsClearRect(window, &r), 1);
    for (const POINT &p : all)
        EXPECT_EQ(bit(p.x, p.y), p.x < 20 || p.x > 30) << p.x << "," << p.y;

    const RECT outside{200, 200, 300, 300};
    EXPECT_EQ(PointsClearRect(window, &outside), 0) << "nothing of the client area";
    ASSERT_EQ(PointsClearRect(window, nullptr), 1);
    EXPECT_EQ(countBits(), 0) << "the whole client area clears the whole block";
}

TEST_F(VertexBitmapWindow, ClearRectAfterAResizeRemakesTheBitmap)
{
    size(100, 50);
    set({{5, 5}});
    // The window grows without the view being told: the old block is too
    // small for the new stride, so it is made again rather than overrun.
    SetClientSize(window, 300, 200);
    const RECT part{0, 0, 10, 10};
    ASSERT_EQ(PointsClearRect(window, &part), 1);
    EXPECT_EQ(rec.vertexStride, 38);
    EXPECT_EQ(rec.vertexSize, 201u * 38u);
    EXPECT_EQ(countBits(), 0);
    EXPECT_EQ(VertexBitmapMark(&rec, 300, 200), 1) << "the far corner of the new area";
}

TEST_F(VertexBitmapWindow, ScrollMovesBytesAndKeepsUncoveredBits)
{
    size(100, 50); // 51 rows
    set({{0, 0}, {16, 10}});
    EXPECT_EQ(PointsScroll(window, 0, 51), 0) << "as many rows as the bitmap has: nothing moves";
    EXPECT_EQ(PointsScroll(window, 101, 0), 0);
    EXPECT_EQ(PointsScroll(window, 0, 0), 0);
    EXPECT_TRUE(bit(0, 0) && bit(16, 10));

    ASSERT_EQ(PointsScroll(window, 0, 50), 1);
    EXPECT_TRUE(bit(0, 50)) << "the first row moves to the last";
    EXPECT_TRUE(bit(0, 0)) << "uncovered rows keep their bits";

    PointsClear(window);
    set({{16, 10}});
    ASSERT_EQ(PointsScroll(window, 8, -2), 1);
    EXPECT_TRUE(bit(24, 8));
    ASSERT_EQ(PointsScroll(window, -16, 0), 1);
    EXPECT_TRUE(bit(8, 8));
}

TEST_F(VertexBitmapWindow, SeekTakesTheFirstBitInRowOrder)
{
    size(100, 50);
    rec.gui->pickRadius = 2;
    rec.gui->noSelectionCursor = 0;
    set({{12, 10}, {9, 9}});
    POINT p{10, 10};
    _COORDPT map{};
    ASSERT_EQ(DisplayPointSeek(window, &p, &map), 1);
    EXPECT_EQ(p.x, 9);
    EXPECT_EQ(p.y, 9);
    MAP_COORDPT expected{};
    PM_WindowToMap(rec.displayView, &p, &expected, 1);
    EXPECT_TRUE(map.x == expected.x && map.y == expected.y);

    POINT far{60, 40};
    ASSERT_EQ(DisplayPointSeek(window, &far, &map), 0);
    EXPECT_EQ(far.x, 60);
    PM_WindowToMap(rec.displayView, &far, &expected, 1);
    EXPECT_TRUE(map.x == expected.x && map.y == expected.y) << "the unchanged point's map point";
}

TEST_F(VertexBitmapWindow, SeekSettingsSwitchAndRadius)
{
    size(100, 50);
    set({{40, 10}});
    struct Case {
        int radius, off;
        POINT at;
        int found;
    } cases[] = {
        {2, 1, {40, 10}, 0},                          // "Change Selection Cursor" 0: never snaps
        {0, 0, {40, 10}, 1},                          // radius 0: the pixel itself
        {0, 0, {41, 10}, 0},    {-5, 0, {40, 10}, 1}, // a negative radius searches the pixel only
        {1000, 0, {0, 0}, 0},                         // clamped to 32: 40 - 0 is beyond it
        {1000, 0, {20, 10}, 1},
    };
    for (const Case &c : cases) {
        rec.gui->pickRadius = c.radius;
        rec.gui->noSelectionCursor = c.off;
        POINT p = c.at;
        EXPECT_EQ(DisplayPointSeek(window, &p, nullptr), c.found) << c.radius << " " << c.at.x;
        if (!c.found) {
            EXPECT_TRUE(p.x == c.at.x && p.y == c.at.y);
        }
    }
}

TEST_F(VertexBitmapWindow, MovingTheMarkedPointsMovesTheirBits)
{
    size(100, 50);
    MAP_COORDRECT world{0, 0, 10000, 5000};
    ASSERT_EQ(PM_SetWorldRect(rec.displayView, window, &world, 0), 1);
    const POINT wa{10, 10}, wb{30, 20};
    MAP_COORDPT a{}, b{};
    PM_WindowToMap(rec.displayView, &wa, &a, 1);
    PM_WindowToMap(rec.displayView, &wb, &b, 1);
    // The marks go where the map points are drawn.
    POINT pa{}, pb{};
    PM_MapToWindow(rec.displayView, &a, &pa, 1);
    PM_MapToWindow(rec.displayView, &b, &pb, 1);
    ASSERT_EQ(PointsMoveMarked(window, &a, nullptr), 1);
    EXPECT_TRUE(bit(pa.x, pa.y));
    ASSERT_EQ(PointsMoveMarked(window, &b, nullptr), 1);
    EXPECT_FALSE(bit(pa.x, pa.y));
    EXPECT_TRUE(bit(pb.x, pb.y));
    EXPECT_EQ(countBits(), 1);
    _COORDPT first{}, second{};
    SelListPointsGet(window, &first, &second);
    EXPECT_TRUE(first.x == b.x && first.y == b.y);
    EXPECT_EQ(second.x, 2147483647) << "a missing point stores the empty point";
}

TEST_F(VertexBitmapWindow, WindowsWithoutBitmapOrRecordRefuse)
{
    const POINT p{1, 1};
    POINT q{1, 1};
    const HWND bare = CreateHeadlessWindow(nullptr);
    for (HWND w : {HWND(0), bare}) {
        EXPECT_EQ(PointsSet(w, nullptr, &p, 1), 0);
        EXPECT_EQ(PointsUnset(w, &p, 1), 0);
        EXPECT_EQ(PointsClearRect(w, nullptr), 0);
        EXPECT_EQ(PointsScroll(w, 8, 8), 0);
        EXPECT_EQ(DisplayPointSeek(w, &q, nullptr), 0);
        EXPECT_EQ(PointsMoveMarked(w, nullptr, nullptr), 0);
        EXPECT_EQ(PointsRefresh(w), 0);
    }
    DestroyWindow(bare);
    // An attached window before its first size has no bitmap yet.
    VertexBitmapFree(&rec);
    EXPECT_EQ(PointsSet(window, nullptr, &p, 1), 0);
    EXPECT_EQ(PointsClearRect(window, nullptr), 0);
    EXPECT_EQ(DisplayPointSeek(window, &q, nullptr), 0);
    EXPECT_EQ(VertexBitmapMark(&rec, 0, 0), 0);
}

TEST_F(VertexBitmapWindow, RefreshClearsAndPaintsAtOnce)
{
    size(100, 50);
    std::atomic<int> paints{0};
    const HWND painted = CreateHeadlessWindow([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_PAINT)
            ++paints;
        return 0;
    });
    // The record moves to a window whose handler counts its paints.
    SetClientSize(painted, 100, 50);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    rec.hWnd = painted;
    SetWindowLongPtrA(painted, GWLP_USERDATA, reinterpret_cast<intptr_t>(&rec));
    set({{3, 3}});
    ASSERT_EQ(PointsRefresh(painted), 1);
    EXPECT_EQ(countBits(), 0);
    EXPECT_EQ(paints.load(), 1);
    SetWindowLongPtrA(painted, GWLP_USERDATA, 0);
    rec.hWnd = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<intptr_t>(&rec));
    DestroyWindow(painted);
}

TEST_F(VertexBitmapWindow, DrawingThreadAndSnapSearchShareTheBitmap)
{
    size(200, 100);
    rec.gui->pickRadius = 3;
    rec.gui->noSelectionCursor = 0;
    std::atomic<bool> stop{false};
    std::thread painter([&] {
        for (int round = 0; round < 200 && !stop; ++round) {
            for (int i = 0; i < 50; ++i)
                VertexBitmapMark(&rec, (round + i * 7) % 200, (i * 3) % 100);
            PointsClearRect(window, nullptr);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        POINT p{i % 200, (i / 7) % 100};
        DisplayPointSeek(window, &p, nullptr);
        EXPECT_TRUE(p.x >= 0 && p.x <= 200 && p.y >= 0 && p.y <= 100);
    }
    stop = true;
    painter.join();
}

} // namespace
