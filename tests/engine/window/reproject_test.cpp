#include "engine/window/reproject.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/page.h"
#include "engine/window/window_text.h"
#include "platform/window.h"
#include "window_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Stand-ins for a module's Forward entry: a plain shift and its inverse,
// and one that keeps only the first two points of what it is given.
constexpr int32_t kDx = 1000, kDy = -250;

extern "C" int32_t ShiftForward(HGLOBAL, const MAP_COORDPT *src, MAP_COORDPT *dst, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
        dst[i] = MAP_COORDPT{src[i].x + kDx, src[i].y + kDy};
    return n;
}

extern "C" int32_t ShiftBack(HGLOBAL, const MAP_COORDPT *src, MAP_COORDPT *dst, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
        dst[i] = MAP_COORDPT{src[i].x - kDx, src[i].y - kDy};
    return n;
}

extern "C" int32_t KeepTwo(HGLOBAL, const MAP_COORDPT *src, MAP_COORDPT *dst, int32_t n)
{
    for (int32_t i = 0; i < n && i < 2; ++i)
        dst[i] = src[i];
    return n < 2 ? n : 2;
}

// A quarter turn counter-clockwise about the origin, and back.
extern "C" int32_t QuarterTurn(HGLOBAL, const MAP_COORDPT *src, MAP_COORDPT *dst, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
        dst[i] = MAP_COORDPT{-src[i].y, src[i].x};
    return n;
}

extern "C" int32_t QuarterTurnBack(HGLOBAL, const MAP_COORDPT *src, MAP_COORDPT *dst, int32_t n)
{
    for (int32_t i = 0; i < n; ++i)
        dst[i] = MAP_COORDPT{src[i].y, -src[i].x};
    return n;
}

struct Point3 {
    int32_t x, y, z;
};

class Reproject : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        AttachedMapWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        kernel = rec.kernel;
        layers = GetRootOBJKern(kernel, rec.rootObject, CLASS_LAYERS);
        layer = GetActiveLayer(kernel, layers);
        ASSERT_NE(layer, 0u);
    }
    // A polyline or polygon with the given points, on the layer.
    OBJHANDLE pointSet(uint16_t cls, const std::vector<MAP_COORDPT> &pts)
    {
        const OBJHANDLE h = CreateOBJect(kernel, cls);
        EXPECT_NE(h, 0u);
        TransferOBJectData(kernel, h, const_cast<MAP_COORDPT *>(pts.data()), uint32_t(pts.size() * 8), 1);
        StoreField(OBJectLock(kernel, h), PS_COUNT, uint32_t(pts.size()));
        finish(h, pts);
        return h;
    }

    OBJHANDLE pointSet3(const std::vector<Point3> &pts)
    {
        const OBJHANDLE h = CreateOBJect(kernel, CLASS_POLYGON);
        TransferOBJectData(kernel, h, const_cast<Point3 *>(pts.data()), uint32_t(pts.size() * 12), 1);
        char *fixed = OBJectLock(kernel, h);
        StoreField(fixed, PS_COUNT, uint32_t(pts.size()));
        StoreField(fixed, PS_ZFLAGS, uint16_t(1));
        std::vector<MAP_COORDPT> xy;
        for (const Point3 &p : pts)
            xy.push_back({p.x, p.y});
        finish(h, xy);
        return h;
    }

    void finish(OBJHANDLE h, const std::vector<MAP_COORDPT> &pts)
    {
        _COORDRECT r;
        InitBoundRect(&r);
        for (const MAP_COORDPT &p : pts)
            PtToBoundRect(&r, &p);
        SendOBJectMessage(kernel, h, h, 0, GRM_SETBOUNDRECT, 0, reinterpret_cast<LPARAM>(&r));
        ASSERT_NE(InsertLayerRef(kernel, h, layer), OBJ_INVALID);
    }

    std::vector<char> dataOf(OBJHANDLE h)
    {
        std::vector<char> d(DataSpaceSize(kernel, h));
        TransferOBJectData(kernel, h, d.data(), uint32_t(d.size()), 0);
        return d;
    }

    _COORDRECT boundOf(OBJHANDLE h)
    {
        _COORDRECT r{};
        SendOBJectMessage(kernel, h, h, 0, GRM_GETBOUNDRECT, 0, reinterpret_cast<LPARAM>(&r));
        return r;
    }

    void forward(ProjConvertProc proc)
    {
        rec.displayView->projection.Forward = proc;
        ASSERT_EQ(PM_ReprojectObjects(window), 1);
    }

    OBJHANDLE text(MAP_COORDPT anchor, int rotation, uint16_t flags)
    {
        OBJHANDLE h = 0;
        EXPECT_EQ(map_text_CreateEx(window, &h, "Bridge\nover the river", &anchor, "Liberation Sans", 12, 0,
                                    RGB(0, 0, 0), rotation, 0, flags, 0, 0, 0),
                  1);
        EXPECT_NE(h, 0u);
        return h;
    }

    struct TextState {
        int32_t x, y, rotation;
    };
    TextState textState(OBJHANDLE h)
    {
        TextState t{};
        EXPECT_EQ(TextObjectPositionGet(kernel, h, &t.x, &t.y), 1);
        EXPECT_EQ(TextObjectRotationGet(kernel, h, &t.rotation), 1);
        return t;
    }

    OBJectKernel *kernel = nullptr;
    OBJHANDLE layers = 0, layer = 0;
};

TEST_F(Reproject, PointSetsWithAndWithoutHeightsGoThereAndBack)
{
    const OBJHANDLE line = pointSet(CLASS_POLYLINE, {{0, 0}, {100, 50}, {-20, 300}});
    const OBJHANDLE area = pointSet(CLASS_POLYGON, {{10, 10}, {60, 10}, {60, 40}});
    const OBJHANDLE hill = pointSet3({{5, 5, 111}, {25, 5, 222}, {25, 45, 333}});
    const auto lineBefore = dataOf(line), areaBefore = dataOf(area), hillBefore = dataOf(hill);

    forward(ShiftForward);
    const std::vector<char> hillMoved = dataOf(hill);
    Point3 first;
    std::memcpy(&first, hillMoved.data(), sizeof first);
    EXPECT_EQ(first.x, 5 + kDx);
    EXPECT_EQ(first.y, 5 + kDy);
    EXPECT_EQ(first.z, 111) << "heights stay, and points step by 12 bytes";
    Point3 third;
    std::memcpy(&third, hillMoved.data() + 24, sizeof third);
    EXPECT_EQ(third.x, 25 + kDx);
    EXPECT_EQ(third.z, 333);
    const _COORDRECT b = boundOf(line);
    EXPECT_EQ(b.x1, -20 + kDx);
    EXPECT_EQ(b.x2, 100 + kDx);
    const _COORDRECT lb = boundOf(layer);
    EXPECT_EQ(lb.x1, -20 + kDx) << "the layer's rectangle is rebuilt from its objects";
    EXPECT_EQ(lb.y2, 300 + kDy);

    forward(ShiftBack);
    EXPECT_EQ(dataOf(line), lineBefore);
    EXPECT_EQ(dataOf(area), areaBefore);
    EXPECT_EQ(dataOf(hill), hillBefore);
}

TEST_F(Reproject, FewerPointsFromTheModuleShortenTheObject)
{
    const OBJHANDLE line = pointSet(CLASS_POLYLINE, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    forward(KeepTwo);
    EXPECT_EQ(LoadField<uint32_t>(OBJectLock(kernel, line), PS_COUNT), 2u);
    const _COORDRECT b = boundOf(line);
    EXPECT_EQ(b.y2, 0) << "the rectangle comes from the kept points";
}

TEST_F(Reproject, TextsAndThePageGoThereAndBack)
{
    const OBJHANDLE line = pointSet(CLASS_POLYLINE, {{0, 0}, {5000, 2500}});
    const OBJHANDLE hill = pointSet3({{5, 5, 111}, {2500, 5, 222}, {2500, 4500, 333}});
    struct Case {
        MAP_COORDPT anchor;
        int rotation;
        uint16_t flags;
    };
    const Case cases[] = {
        {{1000, 2000}, 0, 0},
        {{-3000, 700}, 450, TEXT_ALIGN_HCENTER | TEXT_ALIGN_BOTTOM},
        {{200, -200}, 3150, TEXT_LOCK_MAP},
        {{4000, 4000}, 1234, TEXT_LOCK_SCREEN},
    };
    std::vector<OBJHANDLE> texts;
    for (const Case &c : cases)
        texts.push_back(text(c.anchor, c.rotation, c.flags));
    const MAP_COORDPT origin{-500, -800}, extension{21010, 29690};
    ASSERT_EQ(PageSetOrgExtInWindow(window, &origin, &extension), 1);
    const auto lineBefore = dataOf(line), hillBefore = dataOf(hill);

    forward(ShiftForward);
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        const TextState t = textState(texts[i]);
        EXPECT_EQ(t.x, cases[i].anchor.x + kDx);
        EXPECT_EQ(t.y, cases[i].anchor.y + kDy);
        EXPECT_EQ(t.rotation, cases[i].rotation) << "a shift keeps the direction of a text";
        const _COORDRECT b = boundOf(texts[i]);
        EXPECT_TRUE(b.x1 <= t.x && t.x <= b.x2 && b.y1 <= t.y && t.y <= b.y2)
            << "the box is measured again around the moved anchor";
    }
    MAP_COORDPT o{}, e{};
    ASSERT_EQ(PageGetOrgExtInWindow(window, &o, &e), 1);
    EXPECT_EQ(o.x, origin.x + kDx);
    EXPECT_EQ(o.y, origin.y + kDy);
    EXPECT_EQ(e.x, extension.x);
    EXPECT_EQ(e.y, extension.y);

    forward(ShiftBack);
    for (size_t i = 0; i < texts.size(); ++i) {
        const TextState t = textState(texts[i]);
        EXPECT_EQ(t.x, cases[i].anchor.x);
        EXPECT_EQ(t.y, cases[i].anchor.y);
        EXPECT_EQ(t.rotation, cases[i].rotation);
    }
    ASSERT_EQ(PageGetOrgExtInWindow(window, &o, &e), 1);
    EXPECT_EQ(o.x, origin.x);
    EXPECT_EQ(o.y, origin.y);
    EXPECT_EQ(dataOf(line), lineBefore);
    EXPECT_EQ(dataOf(hill), hillBefore);
}

TEST_F(Reproject, TextsTurnWithTheProjection)
{
    // A quarter turn adds 90 degrees to every text, to the tenth, and turns
    // the page's corner (the extent keeps its size with its signs turned).
    const struct {
        int rotation, turned;
    } cases[] = {{0, 900}, {450, 1350}, {2700, 0}, {3599, 899}, {1, 901}};
    std::vector<OBJHANDLE> texts;
    for (const auto &c : cases)
        texts.push_back(text({1500, 2500}, c.rotation, 0));
    forward(QuarterTurn);
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        const TextState t = textState(texts[i]);
        EXPECT_EQ(t.x, -2500);
        EXPECT_EQ(t.y, 1500);
        EXPECT_EQ(t.rotation, cases[i].turned);
    }
    forward(QuarterTurnBack);
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(textState(texts[i]).rotation, cases[i].rotation);
}

TEST_F(Reproject, EmptyDocumentAndBadWindows)
{
    MAP_COORDPT origin{}, extension{};
    ASSERT_EQ(PageGetOrgExtInWindow(window, &origin, &extension), 1);
    rec.displayView->projection.Forward = ShiftForward;
    EXPECT_EQ(PM_ReprojectObjects(window), 1);
    MAP_COORDPT moved{};
    ASSERT_EQ(PageGetOrgExtInWindow(window, &moved, &extension), 1);
    EXPECT_EQ(moved.x, origin.x + kDx) << "the page moves even without objects";
    EXPECT_EQ(moved.y, origin.y + kDy);
    HWND bare = CreateHeadlessWindow(nullptr);
    EXPECT_EQ(PM_ReprojectObjects(bare), 0);
    EXPECT_EQ(PM_ReprojectObjects(0), 0);
    PM_ReprojectPage(bare);
    DestroyWindow(bare);
}

} // namespace
