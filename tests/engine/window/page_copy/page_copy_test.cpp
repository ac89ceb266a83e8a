#include "tests/engine/window/clipboard/clipboard_fixture.h"

#include "engine/kernel/settings.h"
#include "engine/window/page.h"
#include "engine/window/page_copy.h"
#include "engine/window/window_identifiers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_text.h"

#include <algorithm>

namespace {

bool samePoints(const std::vector<MAP_COORDPT> &a, const std::vector<MAP_COORDPT> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](MAP_COORDPT p, MAP_COORDPT q) { return p.x == q.x && p.y == q.y; });
}

// A window with its page; the tests place objects relative to the page's
// printable rectangle and its strip (the printable width, the page height).
class PageCopyTest : public ClipboardWindowTest {
protected:
    void SetUp() override
    {
        ClipboardWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        ForgetCopiedPage();
        page = PageGetFromWindow(window);
        ASSERT_NE(page, 0u);
        PageRecord r{};
        ASSERT_TRUE(PageRead(kernel, page, &r));
        pr = r.printable;
        origin = r.origin;
        extension = r.extension;
        ASSERT_LT(pr.x1, pr.x2);
        ASSERT_LT(pr.y1, pr.y2);
        // The printable area lies inside the page, below its top.
        ASSERT_GT(int64_t(origin.y) + extension.y, pr.y2);
        w = pr.x2 - pr.x1;
        h = pr.y2 - pr.y1;
    }
    void TearDown() override
    {
        ForgetCopiedPage();
        ClipboardWindowTest::TearDown();
    }

    MAP_COORDPT at(double fx, double fy) const { return {int32_t(pr.x1 + fx * w), int32_t(pr.y1 + fy * h)}; }
    MAP_COORDPT pageOrigin()
    {
        MAP_COORDPT o{}, e{};
        PageGetOrgExtInWindow(window, &o, &e);
        return o;
    }
    MAP_COORDRECT bounds(OBJHANDLE hnd)
    {
        MAP_COORDRECT b{};
        map_object_boundrect_Get(window, hnd, &b);
        return b;
    }
    // The user deletes everything, as one undo step: the copy is still
    // rendered from the document as it stood.
    void deleteAll()
    {
        for (uint16_t cls : {CLASS_POLYGON, CLASS_POLYLINE, CLASS_TEXT})
            for (OBJHANDLE object : objectsOf(cls))
                Undo_DeleteTree(kernel, object);
        Undo_SetNewStep(window, kernel, UNDO_OP_DELETE);
    }

    OBJHANDLE page = 0;
    MAP_COORDRECT pr{};
    MAP_COORDPT origin{}, extension{};
    int32_t w = 0, h = 0;
};

TEST_F(PageCopyTest, PastingWithoutACopyDoesNothing)
{
    const MAP_COORDPT before = pageOrigin();
    make(CLASS_POLYGON, {at(0.1, 0.1), at(0.3, 0.1), at(0.3, 0.3)});
    EXPECT_EQ(PastePage(window), 0);
    EXPECT_EQ(pageOrigin().x, before.x);
    EXPECT_EQ(pageOrigin().y, before.y);
    EXPECT_EQ(objectsOf(CLASS_POLYGON).size(), 1u);
}

TEST_F(PageCopyTest, ATextAboveThePrintableAreaStaysBehindAPolygonThereGoes)
{
    // Between the printable area's top and the page's top: inside the strip.
    const int32_t top = int32_t((int64_t(pr.y2) + origin.y + extension.y) / 2);
    const MAP_COORDPT anchor{pr.x1 + w / 4, top};
    OBJHANDLE text = 0;
    map_text_Create(window, &text, "Title", &anchor, "Arial", 10, 0, 0xFFFFFFFF, 0, 0, 0, 0);
    ASSERT_NE(text, 0u);
    const MAP_COORDRECT tb = bounds(text);
    ASSERT_GT(tb.y1, pr.y2) << "the test wants the text wholly above the printable area";
    const int32_t side = std::max<int32_t>((tb.y1 - pr.y2) / 2, 2);
    make(CLASS_POLYGON,
         {{pr.x1 + w / 2, tb.y1}, {pr.x1 + w / 2 + side, tb.y1}, {pr.x1 + w / 2, tb.y1 + side}});
    const OBJHANDLE kept = make(CLASS_POLYGON, {at(0.1, 0.1), at(0.2, 0.1), at(0.2, 0.2)});
    select({kept});

    EXPECT_EQ(CopyPage(window), 0);
    // The selection is as it was.
    int32_t selected = 0;
    map_selection_Get(window, &selected, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, 0);
    EXPECT_EQ(selected, 1);
    const std::string copied = readText();
    EXPECT_EQ(copied.find("Title"), std::string::npos) << copied;

    // What was copied, pasted back where it was.
    deleteAll();
    ASSERT_EQ(DstrEditPaste(window), 1);
    EXPECT_EQ(objectsOf(CLASS_TEXT).size(), 0u);
    EXPECT_EQ(objectsOf(CLASS_POLYGON).size(), 2u);
}

TEST_F(PageCopyTest, PastedObjectsAreClippedToThePrintableAreaOnTheMovedBackPage)
{
    // As the editor sets it: the intersection replaces its operands.
    m_RegValueSet("Settings", "Delete Polygons After Intersection", 1);
    // A polygon over the printable area's right edge, with an identifier.
    const OBJHANDLE wide = make(CLASS_POLYGON, {at(0.6, 0.2), at(1.4, 0.2), at(1.4, 0.4), at(0.6, 0.4)});
    ASSERT_EQ(map_object_id_Set(window, wide, "P7", "Field", 0, 0, 0), 1);
    // A polyline across the same edge, and one wholly inside.
    make(CLASS_POLYLINE, {at(0.5, 0.6), at(1.5, 0.6)});
    const std::vector<MAP_COORDPT> shortLine{at(0.2, 0.8), at(0.4, 0.85)};
    make(CLASS_POLYLINE, shortLine);
    ASSERT_EQ(CopyPage(window), 0);

    // The document changes and the page moves away.
    deleteAll();
    ASSERT_EQ(PageMoveOrigin(kernel, page, 50000, 70000), 1);
    // An object already there before the paste is left alone.
    const std::vector<MAP_COORDPT> stayingPoints{at(0.7, 0.05), at(1.3, 0.05), at(1.3, 0.1)};
    const OBJHANDLE staying = make(CLASS_POLYGON, stayingPoints);

    PastePage(window);
    EXPECT_EQ(pageOrigin().x, origin.x);
    EXPECT_EQ(pageOrigin().y, origin.y);
    EXPECT_TRUE(samePoints(pointsOf(staying), stayingPoints));

    // The polygon: its intersection with the printable rectangle, with the
    // pasted polygon's identifier.
    const std::vector<OBJHANDLE> polygons = objectsOf(CLASS_POLYGON);
    ASSERT_EQ(polygons.size(), 2u) << "the clipped polygon and the one left alone, no frame";
    const OBJHANDLE clipped = polygons[0] == staying ? polygons[1] : polygons[0];
    const MAP_COORDRECT cb = bounds(clipped);
    EXPECT_NEAR(cb.x1, at(0.6, 0).x, 1);
    EXPECT_NEAR(cb.x2, pr.x2, 1);
    EXPECT_NEAR(cb.y1, at(0, 0.2).y, 1);
    EXPECT_NEAR(cb.y2, at(0, 0.4).y, 1);
    EXPECT_EQ(map_id_Search(window, "P7", "Field"), clipped);

    // The polylines: the crossing one's part inside the strip remains, the
    // short one stays whole.
    const std::vector<OBJHANDLE> lines = objectsOf(CLASS_POLYLINE);
    ASSERT_EQ(lines.size(), 2u);
    bool sawShort = false, sawPiece = false;
    for (const OBJHANDLE line : lines) {
        const MAP_COORDRECT b = bounds(line);
        EXPECT_LE(b.x2, pr.x2);
        EXPECT_GE(b.x1, pr.x1);
        if (samePoints(pointsOf(line), shortLine))
            sawShort = true;
        else if (std::abs(b.x1 - at(0.5, 0).x) <= 1 && std::abs(b.x2 - pr.x2) <= 1)
            sawPiece = true;
    }
    EXPECT_TRUE(sawShort);
    EXPECT_TRUE(sawPiece);
}

} // namespace
