#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/view/clipping/object_points.h"
#include "engine/view/clipping/point_clipping.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "tests/engine/view/clipping/clip_support.h"
#include "tests/engine/window/window_fixture.h"

#include <cstring>

namespace {

using Points = std::vector<MAP_COORDPT>;

class ObjectPoints : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        AttachedMapWindowTest::SetUp();
        // One world unit per pixel; world (0, 300) at the window's top left.
        show(0, 300, 1.0);
        view()->clipFlag = 0;
    }

    PresentationManager *view() { return rec.displayView; }

    void show(int32_t left, int32_t top, double scale)
    {
        view()->scale = scale;
        view()->inverseScale = 1.0 / scale;
        view()->worldRect = MAP_COORDRECT{left, int32_t(top - 300 / scale), int32_t(left + 400 / scale), top};
        view()->displayRect = RECT{0, 0, 400, 300};
    }

    // A point set with its points (8 or 12 bytes each) and bound rectangle.
    OBJHANDLE make(uint16_t cls, const Points &points, bool heights = false)
    {
        const OBJHANDLE h = CreateOBJect(rec.kernel, cls);
        EXPECT_NE(h, 0u);
        std::vector<char> bytes;
        for (const MAP_COORDPT &p : points) {
            const int32_t xyz[3] = {p.x, p.y, 777};
            const char *c = reinterpret_cast<const char *>(xyz);
            bytes.insert(bytes.end(), c, c + (heights ? 12 : 8));
        }
        if (!bytes.empty())
            TransferOBJectData(rec.kernel, h, bytes.data(), uint32_t(bytes.size()), 1);
        char *p = OBJectLock(rec.kernel, h);
        StoreField<uint32_t>(p, PS_COUNT, uint32_t(points.size()));
        StoreField<uint16_t>(p, PS_ZFLAGS, heights ? 1 : 0);
        _COORDRECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const MAP_COORDPT &q : points)
            r = {std::min(r.x1, q.x), std::min(r.y1, q.y), std::max(r.x2, q.x), std::max(r.y2, q.y)};
        SendOBJectMessage(rec.kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
        return h;
    }

    bool noBridgeFlag(OBJHANDLE h)
    {
        return SendOBJectMessage(rec.kernel, 0, h, 0, GRM_GETFLAGS, GF_NOBRIDGE, 0) != 0;
    }

    struct Result {
        int32_t m = 0;
        Points points;
        std::vector<int32_t> parts;
        int first = -1, last = -1, clipped = -1;
    };
    Result toWindow(OBJHANDLE h, int bridge = 0)
    {
        Result r;
        r.m =
            ObjectPointsToWindow(window, h, &out.b, &work.b, &parts.b, &r.first, &r.last, &r.clipped, bridge);
        r.points = out.points(r.m);
        r.parts = parts.parts();
        return r;
    }

    ScopedBuffer out{8}, work{8}, parts{4};
};

TEST_F(ObjectPoints, InsideTheClipRectangleIsConvertedWhole)
{
    view()->clipFlag = 1;
    view()->clipRect = MAP_COORDRECT{0, 0, 100, 100};
    struct Case {
        uint16_t cls;
        Points in;
        Points out;
        int last;
    };
    const Case cases[] = {
        // Edges may touch the clip rectangle.
        {CLASS_POLYLINE, {{0, 0}, {100, 100}, {50, 0}}, {{0, 300}, {100, 200}, {50, 300}}, 1},
        {CLASS_POLYGON, {{10, 10}, {20, 10}, {20, 20}}, {{10, 290}, {20, 290}, {20, 280}, {10, 290}}, 0},
    };
    for (const Case &c : cases) {
        const Result r = toWindow(make(c.cls, c.in));
        EXPECT_EQ(r.points, c.out) << c.cls;
        EXPECT_EQ(r.parts, (std::vector<int32_t>{0, r.m}));
        EXPECT_EQ(r.clipped, 0);
        EXPECT_EQ(r.first, 1);
        EXPECT_EQ(r.last, c.last);
    }
}

TEST_F(ObjectPoints, ClippedToTheClipRectangleWhileTheFlagIsSet)
{
    view()->clipFlag = 1;
    view()->clipRect = MAP_COORDRECT{0, 0, 10, 10};
    const OBJHANDLE line = make(CLASS_POLYLINE, {{-10, 5}, {20, 5}});
    Result r = toWindow(line);
    EXPECT_EQ(r.points, (Points{{0, 295}, {10, 295}}));
    EXPECT_EQ(r.parts, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(r.clipped, 1);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.last, 0);
    // The polygon comes back as its fill ring: closed along the clip edge,
    // with the stroked run leaving that edge out.
    const OBJHANDLE polygon = make(CLASS_POLYGON, {{5, 2}, {15, 2}, {15, 8}, {5, 8}});
    r = toWindow(polygon);
    EXPECT_EQ(r.points, (Points{{10, 298}, {10, 292}, {5, 292}, {5, 298}, {10, 298}}));
    EXPECT_EQ(r.parts, (std::vector<int32_t>{1, 4}));
    EXPECT_EQ(r.first, 1);
    EXPECT_EQ(r.last, 0);
    // The same objects with the flag clear are not clipped at all.
    view()->clipFlag = 0;
    r = toWindow(line);
    // World to window adds 0.5 and truncates toward zero: -9.5 gives -9.
    EXPECT_EQ(r.points, (Points{{-9, 295}, {20, 295}}));
    EXPECT_EQ(r.clipped, 0);
}

// Window points beyond the 16-bit range wrap in the renderer: a zoomed-in
// object is held to the guard rectangle even with the clip flag clear.
TEST_F(ObjectPoints, ZoomedInObjectsStayWithinTheWindowGuard)
{
    show(0, 3, 100.0); // 100 pixels per world unit
    const OBJHANDLE line = make(CLASS_POLYLINE, {{-1000, 1}, {1000, 2}});
    const OBJHANDLE polygon =
        make(CLASS_POLYGON, {{-1000, -1000}, {1000, -1000}, {1000, 1000}, {-1000, 1000}});
    for (const OBJHANDLE h : {line, polygon}) {
        const Result r = toWindow(h);
        EXPECT_EQ(r.clipped, 1);
        ASSERT_GT(r.m, 1);
        for (const MAP_COORDPT &p : r.points) {
            EXPECT_LE(std::abs(p.x), kWindowGuardPixels + 1) << p;
            EXPECT_LE(std::abs(p.y), kWindowGuardPixels + 1) << p;
        }
    }
    // The polygon covers the whole guard: its fill is the guard's corners
    // and nothing of its outline is stroked.
    const Result r = toWindow(polygon);
    EXPECT_EQ(r.m, 5);
    EXPECT_TRUE(r.parts.empty());
    // A small object at the same zoom is left alone.
    const Result small = toWindow(make(CLASS_POLYLINE, {{1, 1}, {2, 2}}));
    EXPECT_EQ(small.clipped, 0);
    EXPECT_EQ(small.points, (Points{{100, 200}, {200, 100}}));
}

TEST_F(ObjectPoints, BridgeTestRunsOnceUnclippedAndEveryTimeClipped)
{
    // An outer ring joined to a hole by a bridge walked both ways.
    const Points holed{{0, 0},   {100, 0}, {100, 100}, {50, 100}, {50, 60},  {40, 60},
                       {40, 40}, {60, 40}, {60, 60},   {50, 60},  {50, 100}, {0, 100}};
    const Points plain{{0, 0}, {10, 0}, {20, 0}, {30, 0}, {30, 10}, {20, 10}, {10, 10}, {0, 10}};
    const OBJHANDLE few = make(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    toWindow(few, 1);
    EXPECT_FALSE(noBridgeFlag(few)) << "fewer than 8 points: no test, no flag";

    const OBJHANDLE bridged = make(CLASS_POLYGON, holed);
    Result r = toWindow(bridged, 1);
    EXPECT_EQ(r.parts.size(), 6u) << "split at both walks of the bridge: outer, hole, outer";
    EXPECT_FALSE(noBridgeFlag(bridged));

    const OBJHANDLE none = make(CLASS_POLYGON, plain);
    r = toWindow(none, 1);
    EXPECT_EQ(r.parts, (std::vector<int32_t>{0, 9}));
    EXPECT_TRUE(noBridgeFlag(none)) << "tested once, found none";
    EXPECT_EQ(r.points.front(), r.points.back());

    view()->clipFlag = 1;
    view()->clipRect = MAP_COORDRECT{0, 0, 70, 70};
    const OBJHANDLE clipped = make(CLASS_POLYGON, plain);
    r = toWindow(clipped, 1);
    EXPECT_EQ(r.clipped, 0) << "inside: drawn unclipped";
    view()->clipRect = MAP_COORDRECT{0, 0, 15, 15};
    const OBJHANDLE cut = make(CLASS_POLYGON, plain);
    toWindow(cut, 1);
    toWindow(cut, 1);
    EXPECT_FALSE(noBridgeFlag(cut)) << "clipped: the test runs on every call and leaves no flag";
}

TEST_F(ObjectPoints, PointsWithHeightsAndDamagedCounts)
{
    const OBJHANDLE h3 = make(CLASS_POLYLINE, {{1, 1}, {2, 2}, {3, 1}}, true);
    EXPECT_EQ(toWindow(h3).points, (Points{{1, 299}, {2, 298}, {3, 299}}));
    // A count larger than the data space holds reads only the stored points.
    const OBJHANDLE h = make(CLASS_POLYLINE, {{1, 1}, {2, 2}});
    StoreField<uint32_t>(OBJectLock(rec.kernel, h), PS_COUNT, 1000000);
    EXPECT_EQ(toWindow(h).points, (Points{{1, 299}, {2, 298}}));
    // The same with clipping: the line leaves the rectangle at its corner.
    view()->clipFlag = 1;
    view()->clipRect = MAP_COORDRECT{0, 0, 1, 1};
    EXPECT_EQ(toWindow(h).points, (Points{{1, 299}, {1, 299}}));
}

TEST_F(ObjectPoints, BadObjectsWindowsAndBuffers)
{
    const OBJHANDLE line = make(CLASS_POLYLINE, {{1, 1}, {2, 2}});
    const OBJHANDLE empty = make(CLASS_POLYGON, {});
    const OBJHANDLE text = CreateOBJect(rec.kernel, CLASS_TEXT);
    const OBJHANDLE freed = make(CLASS_POLYLINE, {{1, 1}, {2, 2}});
    KillOBJect(rec.kernel, freed);
    for (const OBJHANDLE h : {OBJHANDLE(0), empty, text, freed, OBJHANDLE(0xFFFFFF)})
        EXPECT_EQ(toWindow(h).m, 0) << h;
    EXPECT_EQ(ObjectPointsToWindow(0, line, &out.b, &work.b, &parts.b, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(ObjectPointsToWindow(window, line, nullptr, &work.b, &parts.b, nullptr, nullptr, nullptr, 0),
              0);
    EXPECT_EQ(ObjectPointsToWindow(window, line, &out.b, &out.b, &parts.b, nullptr, nullptr, nullptr, 0), 0);
    ScopedBuffer bytes(1);
    EXPECT_EQ(ObjectPointsToWindow(window, line, &out.b, &work.b, &bytes.b, nullptr, nullptr, nullptr, 0), 0);
    // The out values may be left out.
    EXPECT_EQ(ObjectPointsToWindow(window, line, &out.b, &work.b, &parts.b, nullptr, nullptr, nullptr, 0), 2);
}

TEST(RepeatedWindowPoints, ThinnedPerPart)
{
    using P = std::vector<POINT>;
    struct Case {
        const char *what;
        P in;
        std::vector<int32_t> parts;
        bool polygon;
        P out;
        std::vector<int32_t> partsOut;
    };
    const Case cases[] = {
        {"short parts are kept whole",
         {{1, 1}, {1, 1}, {2, 2}},
         {0, 3},
         false,
         {{1, 1}, {1, 1}, {2, 2}},
         {0, 3}},
        {"repeats dropped, the last point kept",
         {{1, 1}, {1, 1}, {2, 2}, {2, 2}, {2, 2}},
         {0, 5},
         false,
         {{1, 1}, {2, 2}, {2, 2}},
         {0, 3}},
        {"polyline parts packed from the first start",
         {{9, 9}, {1, 1}, {1, 1}, {1, 1}, {3, 3}, {5, 5}, {5, 5}, {5, 5}, {6, 6}},
         {1, 4, 5, 4},
         false,
         {{9, 9}, {1, 1}, {3, 3}, {5, 5}, {6, 6}},
         {1, 2, 3, 2}},
        {"polygon points between parts travel along",
         {{1, 1}, {1, 1}, {1, 1}, {2, 2}, {7, 7}, {8, 8}, {3, 3}, {3, 3}, {3, 3}, {4, 4}, {9, 9}},
         {0, 4, 6, 4},
         true,
         {{1, 1}, {2, 2}, {7, 7}, {8, 8}, {3, 3}, {4, 4}, {9, 9}},
         {0, 2, 4, 2}},
    };
    for (const Case &c : cases) {
        ScopedBuffer pts(8), prt(4);
        BufferFill(&pts.b, c.in.data(), uint32_t(c.in.size()));
        BufferFill(&prt.b, c.parts.data(), uint32_t(c.parts.size()));
        BufferSetValidNumber(&prt.b, uint32_t(c.parts.size() / 2));
        const int32_t m = RemoveRepeatedWindowPoints(&pts.b, &prt.b, int32_t(c.in.size()), c.polygon);
        const std::vector<POINT> got = pts.read<POINT>(m);
        ASSERT_EQ(got.size(), c.out.size()) << c.what;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(got[i].x == c.out[i].x && got[i].y == c.out[i].y) << c.what << " at " << i;
        EXPECT_EQ(prt.parts(), c.partsOut) << c.what;
    }
    // Parts that overlap or leave the list change nothing.
    ScopedBuffer pts(8), prt(4);
    const P in{{1, 1}, {1, 1}, {1, 1}, {1, 1}, {2, 2}};
    BufferFill(&pts.b, in.data(), 5);
    const std::vector<int32_t> bad{0, 5, 2, 3};
    BufferFill(&prt.b, bad.data(), 4);
    BufferSetValidNumber(&prt.b, 2);
    EXPECT_EQ(RemoveRepeatedWindowPoints(&pts.b, &prt.b, 5, 0), 5);
    EXPECT_EQ(prt.parts(), bad);
}

TEST(PointInClipRect, FlagClearAnswersOneForAnyPoint)
{
    PresentationManager view;
    PM_Constructor(&view);
    view.clipFlag = 0;
    const MAP_COORDPT far{INT32_MIN, INT32_MAX}, in{5, 5};
    EXPECT_EQ(PM_PointInClipRect(&view, &far), 1);
    view.clipFlag = 1;
    view.clipRect = MAP_COORDRECT{0, 0, 10, 10};
    EXPECT_EQ(PM_PointInClipRect(&view, &far), 0);
    EXPECT_EQ(PM_PointInClipRect(&view, &in), 1);
    const MAP_COORDPT corner{10, 0};
    EXPECT_EQ(PM_PointInClipRect(&view, &corner), 1) << "edges inclusive";
    EXPECT_EQ(PM_PointInClipRect(nullptr, &in), 0);
    EXPECT_EQ(PM_PointInClipRect(&view, nullptr), 0);
    PM_Destructor(&view);
}

} // namespace
