#include "text_fixture.h"

#include <cmath>

namespace {

constexpr int32_t kH = 3527; // a 10-point page text at 1 : 1 000 000, map units

TEST_F(TextTest, UnrotatedLinesHangFromTheAnchor)
{
    const OBJHANDLE h = makeText("Wide\r\nW", {1000, 20000}, 10, 0);
    const SIZE e = measure("Wide");
    const int32_t w = int32_t(int64_t(kH) * e.cx / e.cy);
    const TextObjectData d = data(h);
    EXPECT_EQ(d.offsetX, 0);
    EXPECT_EQ(d.offsetY, 0);
    EXPECT_EQ(d.bound, (MAP_COORDRECT{1000, 20000 - 2 * kH, 1000 + w, 20000})) << "two lines, the wider one";
}

TEST_F(TextTest, AlignmentBitsAddUp)
{
    // 1 | 2 puts the anchor one and a half widths right of the origin, 4 | 8
    // one and a half heights below it.
    const OBJHANDLE h =
        makeText("Text", {10000, 10000}, 10,
                 TEXT_ALIGN_HCENTER | TEXT_ALIGN_RIGHT | TEXT_ALIGN_VCENTER | TEXT_ALIGN_BOTTOM);
    const SIZE e = measure("Text");
    const int32_t w = int32_t(int64_t(kH) * e.cx / e.cy);
    const TextObjectData d = data(h);
    EXPECT_EQ(d.offsetX, -(w / 2) - w);
    EXPECT_EQ(d.offsetY, kH / 2 + kH);
    EXPECT_EQ(d.bound, (MAP_COORDRECT{10000 + d.offsetX, 10000 + d.offsetY - kH, 10000 + d.offsetX + w,
                                      10000 + d.offsetY}));
    // The centre alone: the anchor in the middle of the box.
    const OBJHANDLE c = makeText("Text", {10000, 10000}, 10, TEXT_ALIGN_HCENTER | TEXT_ALIGN_VCENTER);
    EXPECT_EQ(data(c).offsetX, -(w / 2));
    EXPECT_EQ(data(c).offsetY, kH / 2);
}

TEST_F(TextTest, RotatedTextBoundsItsTurnedCorners)
{
    // Rotated by 900 the line runs up the map from the anchor, its lines
    // stacking to the right. The angle is 900 * 3.14 / 1800 radians, a hair
    // under a right angle, and every product is truncated on its own.
    const OBJHANDLE h = makeText("Up", {5000, 5000}, 10, 0, 900);
    const SIZE e = measure("Up");
    const int64_t w = int64_t(kH) * e.cx / e.cy, t = kH;
    const double a = 900 * 0.0017444444444444445, c = std::cos(a), s = std::sin(a);
    ASSERT_GT(c, 0);
    const TextObjectData d = data(h);
    EXPECT_EQ(d.offsetX, 0);
    EXPECT_EQ(d.offsetY, 0);
    const int32_t wc = int32_t(w * c), ws = int32_t(w * s), ts = int32_t(t * s), tc = int32_t(t * c);
    EXPECT_EQ(d.bound, (MAP_COORDRECT{5000, 5000 - tc, 5000 + ts + wc, 5000 + ws}));
    EXPECT_NEAR(d.bound.x2 - d.bound.x1, t, 3) << "the box's height runs across";
    EXPECT_NEAR(d.bound.y2 - d.bound.y1, w, 3) << "its width runs up";
}

TEST_F(TextTest, EmptyTextCollapsesToTheOrigin)
{
    const OBJHANDLE h = makeText("", {700, 800}, 10, TEXT_ALIGN_RIGHT | TEXT_ALIGN_BOTTOM, 450);
    const TextObjectData d = data(h);
    EXPECT_EQ(d.textLength, 0u);
    EXPECT_EQ(TextObjectLineCount(TextObjectLock(kernel, h)), 0);
    EXPECT_EQ(d.bound, (MAP_COORDRECT{700, 800, 700, 800}));
}

TEST_F(TextTest, RecalcRectInvalidatesTheNewRectangleIntoTheLayer)
{
    const OBJHANDLE h = makeText("Layer", {30000, 30000}, 10, 0);
    const OBJHANDLE layer = GetOBJectLayer(kernel, h);
    ASSERT_NE(layer, 0u);
    _COORDRECT lr{};
    SendOBJectMessage(kernel, layer, layer, 0, GRM_GETBOUNDRECT, 0, LPARAM(&lr));
    const MAP_COORDRECT b = data(h).bound;
    EXPECT_TRUE(lr.x1 <= b.x1 && lr.y1 <= b.y1 && lr.x2 >= b.x2 && lr.y2 >= b.y2) << lr << " " << b;
}

TEST_F(TextTest, MoveShiftsAnchorAndRectangleWithoutRecomputing)
{
    const OBJHANDLE h = makeText("Move", {1000, 1000}, 10, 0);
    TextObjectData d = data(h);
    ASSERT_EQ(TextObjectMove(kernel, h, 250, -40), 1);
    const TextObjectData m = data(h);
    EXPECT_EQ(m.anchorX, 1250);
    EXPECT_EQ(m.anchorY, 960);
    EXPECT_EQ(m.bound, (MAP_COORDRECT{d.bound.x1 + 250, d.bound.y1 - 40, d.bound.x2 + 250, d.bound.y2 - 40}));
    // Far moves saturate rather than wrap.
    ASSERT_EQ(TextObjectMove(kernel, h, INT32_MAX, INT32_MAX), 1);
    EXPECT_EQ(data(h).anchorX, INT32_MAX);
    EXPECT_EQ(data(h).bound.x2, INT32_MAX);
}

TEST_F(TextTest, ZoomFitsTheTextToARectangle)
{
    const OBJHANDLE h = makeText("Zoom", {1000, 20000}, 10, 0);
    const MAP_COORDRECT old = data(h).bound;
    const int32_t oldHeight = old.y2 - old.y1;
    const MAP_COORDRECT r{4000, 4000, 9000, 4000 + 2 * oldHeight};
    TextObjectZoom(window, h, &r);
    TextObjectData d = data(h);
    EXPECT_EQ(d.size, 20);
    EXPECT_EQ(d.anchorX, 4000);
    EXPECT_EQ(d.anchorY, r.y2) << "top left";
    EXPECT_EQ(d.bound.y2 - d.bound.y1, 7054) << "recomputed at 20 points";
    // The anchor follows the alignment: right and bottom win over centre.
    d.flags = TEXT_ALIGN_HCENTER | TEXT_ALIGN_RIGHT | TEXT_ALIGN_BOTTOM;
    store(h, d);
    TextObjectRecalcRect(window, h);
    const MAP_COORDRECT again{0, 0, 500, data(h).bound.y2 - data(h).bound.y1};
    TextObjectZoom(window, h, &again);
    EXPECT_EQ(data(h).size, 20);
    EXPECT_EQ(data(h).anchorX, 500);
    EXPECT_EQ(data(h).anchorY, 0);
    d = data(h);
    d.flags = TEXT_ALIGN_HCENTER | TEXT_ALIGN_VCENTER;
    store(h, d);
    TextObjectZoom(window, h, &again);
    EXPECT_EQ(data(h).anchorX, 250);
}

TEST_F(TextTest, ZoomOfATextWithoutHeightKeepsItsSize)
{
    const OBJHANDLE h = makeText("", {100, 100}, 10, 0);
    const MAP_COORDRECT r{0, 0, 50, 50};
    TextObjectZoom(window, h, &r);
    EXPECT_EQ(data(h).size, 10);
    EXPECT_EQ(data(h).anchorX, 0);
    EXPECT_EQ(data(h).anchorY, 50);
}

TEST_F(TextTest, FindVertexPrefersACornerToTheAnchor)
{
    // Anchor in the middle of the box; window pixels are 100 map units.
    const OBJHANDLE h = makeText("Find", {20000, 15000}, 10, TEXT_ALIGN_HCENTER | TEXT_ALIGN_VCENTER);
    const TextObjectData d = data(h);
    POINT anchor{}, topLeft{};
    const MAP_COORDPT a{d.anchorX, d.anchorY}, tl{d.bound.x1, d.bound.y2};
    PM_MapToWindow(rec.displayView, &a, &anchor, 1);
    PM_MapToWindow(rec.displayView, &tl, &topLeft, 1);
    _COORDPT out{};
    // Near both: the corner wins.
    ASSERT_EQ(TextObjectFindVertex(kernel, h, rec.displayView, anchor.x, anchor.y, &out, 100), 1);
    EXPECT_EQ(out.x, d.bound.x1);
    EXPECT_EQ(out.y, d.bound.y2);
    // Near the anchor only.
    ASSERT_EQ(TextObjectFindVertex(kernel, h, rec.displayView, anchor.x + 1, anchor.y, &out, 2), 1);
    EXPECT_EQ(out.x, d.anchorX);
    EXPECT_EQ(out.y, d.anchorY);
    // The right-bottom corner, and nothing far away.
    const MAP_COORDPT rb{d.bound.x2, d.bound.y1};
    POINT rbw{};
    PM_MapToWindow(rec.displayView, &rb, &rbw, 1);
    ASSERT_EQ(TextObjectFindVertex(kernel, h, rec.displayView, rbw.x, rbw.y - 1, &out, 1), 1);
    EXPECT_EQ(out.x, d.bound.x2);
    EXPECT_EQ(out.y, d.bound.y1);
    EXPECT_EQ(TextObjectFindVertex(kernel, h, rec.displayView, 399, 0, &out, 2), 0);
    // A negative radius takes the view's pick radius.
    rec.displayView->pickRadius = 1;
    EXPECT_EQ(TextObjectFindVertex(kernel, h, rec.displayView, topLeft.x + 1, topLeft.y + 1, &out, -1), 1);
    EXPECT_EQ(TextObjectFindVertex(kernel, h, rec.displayView, topLeft.x + 2, topLeft.y + 2, &out, -1), 0);
}

TEST_F(TextTest, ContainsPointIncludesTheEdges)
{
    const OBJHANDLE h = makeText("In", {1000, 5000}, 10, 0);
    const MAP_COORDRECT b = data(h).bound;
    EXPECT_EQ(TextObjectContainsPoint(kernel, h, b.x1, b.y1), 1);
    EXPECT_EQ(TextObjectContainsPoint(kernel, h, b.x2, b.y2), 1);
    EXPECT_EQ(TextObjectContainsPoint(kernel, h, b.x2 + 1, b.y2), 0);
    EXPECT_EQ(TextObjectContainsPoint(kernel, h, b.x1, b.y1 - 1), 0);
    EXPECT_EQ(TextObjectContainsPoint(kernel, 0, b.x1, b.y1), 0);
}

} // namespace
