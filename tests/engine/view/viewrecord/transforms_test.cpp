#include "engine/view/viewrecord/view_transforms.h"
#include "tests/engine/view/viewrecord/view_support.h"

#include <cstdlib>
#include <vector>

namespace {

struct ScopedBuffer {
    Buffer b;
    ScopedBuffer(uint32_t itemSize) { BufferInit(&b, 0, itemSize, 20); }
    ~ScopedBuffer() { BufferDelete(&b); }
    template <typename T>
    T *items()
    {
        return static_cast<T *>(BufferGetPointer(&b));
    }
};

std::vector<int32_t> Parts(Buffer *parts)
{
    auto *p = static_cast<int32_t *>(BufferGetPointer(parts));
    return std::vector<int32_t>(p, p + 2 * BufferGetValidNumber(parts));
}

const std::vector<MAP_COORDPT> kHoleRing = {{0, 0}, {10, 0}, {10, 10}, {5, 10}, {5, 6},  {4, 6}, {4, 4},
                                            {6, 4}, {6, 6},  {5, 6},   {5, 10}, {0, 10}, {0, 0}};

} // namespace

TEST(Transforms, WorkedExamples)
{
    ScopedView v;
    v->scale = 2.0;
    v->inverseScale = 0.5;
    v->worldRect = {100, 0, 300, 100};
    const MAP_COORDPT world{150, 40};
    POINT window;
    PM_WorldToWindow(v.get(), &world, &window, 1);
    EXPECT_EQ(window.x, 100);
    EXPECT_EQ(window.y, 120);
    MAP_COORDPT back;
    PM_WindowToWorld(v.get(), &window, &back, 1);
    EXPECT_EQ(back.x, 150);
    EXPECT_EQ(back.y, 40);
    // One unit left of the visible rectangle: rnd(-0.5) = 0, rnd(-1.7) = -1.
    struct Case {
        double scale;
        int32_t x;
    } cases[] = {{0.5, 0}, {1.7, -1}};
    for (const Case &c : cases) {
        v->scale = c.scale;
        const MAP_COORDPT left{99, 100};
        PM_WorldToWindow(v.get(), &left, &window, 1);
        EXPECT_EQ(window.x, c.x) << c.scale;
    }
    EXPECT_EQ(PM_Round(-1.7), -1);
    EXPECT_EQ(PM_Round(-0.7), 0);
    EXPECT_EQ(PM_Round(1e300), INT32_MAX);
    // Without a module rectangles pass unchanged, even unordered.
    const MAP_COORDRECT r{10, 0, 5, 20};
    MAP_COORDRECT out;
    EXPECT_EQ(PM_MapToWorldRect(v.get(), &r, &out), 2);
    EXPECT_EQ(out.x1, 10);
    EXPECT_EQ(out.x2, 5);
}

TEST(Transforms, FarCoordinatesSaturateInsteadOfOverflowing)
{
    ScopedView v;
    v->scale = 1.0;
    v->inverseScale = 1.0;
    v->worldRect = {INT32_MIN + 1, INT32_MIN + 1, INT32_MIN + 100, INT32_MIN + 100};
    const MAP_COORDPT far{INT32_MAX, INT32_MAX};
    POINT w;
    PM_WorldToWindow(v.get(), &far, &w, 1);
    EXPECT_EQ(w.x, INT32_MAX);
    const POINT farWindow{INT32_MAX, INT32_MIN};
    MAP_COORDPT back;
    PM_WindowToWorld(v.get(), &farWindow, &back, 1);
    EXPECT_EQ(back.x, 0);  // -2147483647 + 2147483647, in 64 bits
    EXPECT_EQ(back.y, 99); // -2147483548 + 2147483647
}

TEST(Transforms, MapWindowRoundTripsAtSeveralZooms)
{
    ModuleSandbox sandbox;
    sandbox.Register("tm", "tm.so");
    for (bool projected : {false, true}) {
        ScopedView v;
        // Plain: a map in centimetres; projected: geographic thousandths of a
        // second around London shown on the British grid in millimetres.
        const MAP_COORDRECT world{529000000, 179000000, 531000000, 181000000};
        if (projected) {
            ASSERT_TRUE(MakeProjected(v.get(), "BNG"));
        }
        for (double zoom : {1.0, 40.0, 1000.0, 30000.0}) {
            MAP_COORDRECT shown = world;
            WorldRectEnlarge(&shown, 1.0 / zoom - 1.0);
            v->resizeMode = 1;
            ShowWorld(v.get(), shown, 801, 601);
            for (int i = 0; i < 50; ++i) {
                const POINT px{std::rand() % 800, std::rand() % 600};
                MAP_COORDPT map;
                ASSERT_EQ(PM_WindowToMap(v.get(), &px, &map, 1), 1);
                POINT again;
                ASSERT_EQ(PM_MapToWindow(v.get(), &map, &again, 1), 1);
                // Window to world rounds to a world unit (scale pixels at
                // most, half of it each way); a projection adds the rounding
                // of a map unit, about 31 mm of the world here.
                const int tolerance =
                    1 + int(std::ceil(v->scale / 2)) + (projected ? int(std::ceil(32.0 * v->scale)) : 0);
                EXPECT_LE(std::abs(again.x - px.x), tolerance) << zoom << " " << projected;
                EXPECT_LE(std::abs(again.y - px.y), tolerance) << zoom << " " << projected;
            }
            // World to window to world is exact at a pixel's resolution.
            const MAP_COORDPT w{shown.x1 + 12345 % std::max(1, int(shown.x2 - shown.x1)), shown.y2};
            POINT p;
            MAP_COORDPT w2;
            PM_WorldToWindow(v.get(), &w, &p, 1);
            PM_WindowToWorld(v.get(), &p, &w2, 1);
            EXPECT_LE(std::abs(w2.x - w.x), int(v->inverseScale / 2 + 1)) << zoom;
        }
        if (projected) {
            // Map rectangles go through 28 samples; they hold their corners.
            const MAP_COORDRECT map{-600000, 185000000, -400000, 186000000};
            MAP_COORDRECT worldRect, back;
            PM_MapToWorldRect(v.get(), &map, &worldRect);
            PM_WorldToMapRect(v.get(), &worldRect, &back);
            EXPECT_LE(back.x1, map.x1);
            EXPECT_GE(back.x2, map.x2);
            EXPECT_LE(back.y1, map.y1);
            EXPECT_GE(back.y2, map.y2);
        }
    }
}

TEST(Transforms, PolygonSplitsAtItsBridge)
{
    ScopedView v;
    v->scale = v->inverseScale = 1.0;
    v->worldRect = {0, 0, 10, 10};
    v->clipFlag = 0;
    ScopedBuffer source(8), dest(8), parts(4), runs(4), closing(8);
    BufferFill(&source.b, kHoleRing.data(), uint32_t(kHoleRing.size()));
    int bridge = 1;
    EXPECT_EQ(PM_bMapToWindow(v.get(), &source.b, &dest.b, &parts.b, &runs.b, 13, kPolygonClassId, &bridge),
              13);
    EXPECT_EQ(bridge, 1);
    EXPECT_EQ(Parts(&parts.b), (std::vector<int32_t>{0, 4, 4, 6, 10, 3}));
    EXPECT_EQ(dest.items<POINT>()[3].y, 0); // (5, 10) at the top of the window

    // A plain ring has no bridge; a polyline is never split.
    const MAP_COORDPT square[5] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
    BufferFill(&source.b, square, 5);
    bridge = 1;
    PM_bMapToWindow(v.get(), &source.b, &dest.b, &parts.b, &runs.b, 5, kPolygonClassId, &bridge);
    EXPECT_EQ(bridge, 0);
    EXPECT_EQ(Parts(&parts.b), (std::vector<int32_t>{0, 5}));
    BufferFill(&source.b, kHoleRing.data(), 13);
    bridge = 1;
    PM_bMapToWindow(v.get(), &source.b, &dest.b, &parts.b, &runs.b, 13, kPolylineClassId, &bridge);
    EXPECT_EQ(bridge, 0);
    bridge = 1;
    PM_PointsToWindow(v.get(), kHoleRing.data(), &dest.b, &parts.b, &runs.b, &closing.b, 13, kPolylineClassId,
                      &bridge);
    EXPECT_EQ(bridge, 1);
    // The array form closes the ring first: 14 points come out.
    bridge = 1;
    EXPECT_EQ(PM_PointsToWindow(v.get(), kHoleRing.data(), &dest.b, &parts.b, &runs.b, &closing.b, 13,
                                kPolygonClassId, &bridge),
              14);
    EXPECT_EQ(bridge, 1);
    EXPECT_EQ(PM_RLTP_CheckPoint(3, kHoleRing.data(), 13), 1);
    EXPECT_EQ(PM_RLTP_CheckPoint(12, kHoleRing.data(), 13), 0);
}

TEST(Transforms, BufferFormsUseTheModuleCount)
{
    ModuleSandbox sandbox;
    sandbox.Register("r", "recording.so");
    ScopedView v;
    PM_InitStructTag init{};
    init.baseKind = init.transformedKind = CS_CARTESIAN;
    init.baseUnit = init.transformedUnit = 4;
    std::strcpy(init.modulePath, "recording.so");
    ASSERT_EQ(PM_InitFromInitStruct(v.get(), &init), 1);
    v->scale = v->inverseScale = 1.0;
    v->worldRect = {1000, 2000, 1100, 2100};
    v->clipFlag = 0;
    ScopedBuffer source(8), dest(8), parts(4), runs(4);
    const MAP_COORDPT pts[2] = {{0, 0}, {50, 100}};
    BufferFill(&source.b, pts, 2);
    BufferSetType(&source.b, 1);
    int bridge = 0;
    EXPECT_EQ(PM_bMapToWindow(v.get(), &source.b, &dest.b, &parts.b, &runs.b, 2, kPolylineClassId, &bridge),
              2);
    EXPECT_EQ(dest.items<POINT>()[0].x, 0);
    EXPECT_EQ(dest.items<POINT>()[0].y, 100);
    EXPECT_EQ(dest.items<POINT>()[1].x, 50);
    EXPECT_EQ(dest.items<POINT>()[1].y, 0);
    EXPECT_EQ(BufferGetType(&v->worldPoints), 1u);
    ScopedBuffer world(8);
    EXPECT_EQ(PM_bMapToWorld(v.get(), &source.b, &world.b, 2), 2);
    EXPECT_EQ(world.items<MAP_COORDPT>()[1].y, 2100);
    const MAP_COORDRECT r{0, 0, 10, 20};
    const MAP_COORDPT vec = PM_MapVectorToWorldVectorFromRect(v.get(), &r, 3, 4);
    EXPECT_EQ(vec.x, 3);
    EXPECT_EQ(vec.y, 4);
}
