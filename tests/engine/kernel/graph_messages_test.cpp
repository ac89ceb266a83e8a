#include "graph_fixture.h"

#include "engine/kernel/graph_services.h"
#include "platform/global_memory.h"

#include <cfloat>
#include <cstring>
#include <string>

using namespace graphtest;

namespace {

LRESULT send(OBJectKernel *k, OBJHANDLE to, uint16_t msg, WPARAM w = 0, LPARAM l = 0, uint16_t sub = 0)
{
    return SendOBJectMessage(k, 0, to, sub, msg, w, l);
}

std::string describe(OBJectKernel *k, OBJHANDLE h)
{
    const HGLOBAL mem = HGLOBAL(send(k, h, GRM_DESCRIBE));
    if (!mem)
        return "<none>";
    std::string s(static_cast<const char *>(GlobalLock(mem)));
    GlobalUnlock(mem);
    EXPECT_GE(GlobalSize(mem), s.size() + 1 + 120) << "the block keeps 120 bytes to spare";
    GlobalFree(mem);
    return s;
}

} // namespace

TEST_F(GraphTest, NewObjectsStartWithTheHeadDefaults)
{
    const OBJHANDLE poly = CreateOBJect(kernel, CLASS_POLYGON);
    const char *p = OBJectLock(kernel, poly);
    EXPECT_EQ(LoadField<_COORDRECT>(p, GOH_BOUND), kEmptyBoundRect);
    EXPECT_EQ(LoadField<uint16_t>(p, GOH_FLAGS), 7);
    EXPECT_EQ(LoadField<int32_t>(p, GOH_SELPOINT), INT32_MAX);
    EXPECT_EQ(LoadField<uint32_t>(p, PS_COUNT), 0u);

    const OBJHANDLE group = CreateOBJect(kernel, CLASS_GROUP);
    EXPECT_EQ(LoadField<int32_t>(OBJectLock(kernel, group), GOH_SELSLOT), -1);

    // Lists too small for the head keep their reference slots intact.
    const OBJHANDLE ids = CreateOBJect(kernel, CLASS_IDSLIST);
    const OBJHANDLE id = CreateOBJect(kernel, CLASS_ID);
    putOn(ids, id, REF_IDLIST_MEMBER);
    send(kernel, ids, GRM_SETBOUNDRECT, 0, LPARAM(&kEmptyWorldRect));
    send(kernel, ids, GRM_SETFLAGS, 0xFFFF, 0xFFFF);
    EXPECT_EQ(GetNthReferenced(kernel, ids, 0), id);
    EXPECT_EQ(GetNthReferenceID(kernel, ids, 0), REF_IDLIST_MEMBER);
}

TEST_F(GraphTest, DefaultAnswersOfTheGraphicalMessages)
{
    const OBJHANDLE poly = makePointSet(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 5}});
    const OBJHANDLE lone = makePointSet(CLASS_POLYLINE, {{1, 1}, {2, 2}});
    putOn(layer, poly);
    _COORDPT pt{9, 9};
    double value = 0;
    struct Case {
        const char *what;
        OBJHANDLE to;
        uint16_t msg;
        WPARAM w;
        LPARAM l;
        uint16_t sub;
        LRESULT result;
    } cases[] = {
        {"selected of a non-list", poly, GRM_GETSELECTED, 0, 0, 0, -2},
        {"selected of an empty list", layers, GRM_GETSELECTED, 0, 0, 0, -1},
        {"visible through its layer", poly, GRM_GETVISIBLE, 0, 0, 0, 1},
        {"visible from its layer", lone, GRM_GETVISIBLE, 0, 0, REF_LAYER_MEMBER, 1},
        {"visible without layer", lone, GRM_GETVISIBLE, 0, 0, 0, 0},
        {"selectable without layer", lone, GRM_GETSELECTABLE, 0, 0, 0, 0},
        {"a list is visible", layer, GRM_GETVISIBLE, 0, 0, 0, 1},
        {"flags masked", poly, GRM_GETFLAGS, 0x0005, 0, 0, 5},
        {"flags set", poly, GRM_SETFLAGS, 0x0009, 0x0008, 0, 0x000E},
        // 24 bytes of points in a reserve of 16: the block grew by 16.
        {"data space of a point set", poly, GRM_GETMAXDATASPACE, 0, 0, 0, 32},
        {"line options", poly, GRM_GETLINEOPTIONS, 0, 0, 0, 0},
        {"anchor", poly, GRM_GETANCHOR, 0, LPARAM(&pt), 0, 0},
        {"value", poly, GRM_GETVALUE, 3, LPARAM(&value), 0, 0},
        {"unhandled number", poly, 0x4006, 0, 0, 0, 0},
        {"above the range", poly, 0x4043, 0, 0, 0, 0},
        {"undo list visible", undo, GRM_GETVISIBLE, 0, 0, 0, 1},
        {"nail selectable", CreateOBJect(kernel, CLASS_NAIL), GRM_GETSELECTABLE, 0, 0, 0, 1},
        {"presentation selectable", CreateOBJect(kernel, CLASS_PRESENT), GRM_GETSELECTABLE, 0, 0, 0, 1},
        {"height object", CreateOBJect(kernel, CLASS_ZOBJ), GRM_GETVISIBLE, 0, 0, 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(send(kernel, c.to, c.msg, c.w, c.l, c.sub), c.result) << c.what;
    EXPECT_EQ(pt.x, 0);
    EXPECT_EQ(pt.y, 0);
    EXPECT_EQ(value, DBL_MAX);

    // The shown flag hides an object whatever its layer says.
    send(kernel, poly, GRM_SETFLAGS, GF_SHOWN, 0);
    EXPECT_EQ(send(kernel, poly, GRM_GETVISIBLE), 0);
    EXPECT_EQ(send(kernel, poly, GRM_GETSELECTABLE), 1);
}

TEST_F(GraphTest, BoundRectanglesPropagateUpTheTree)
{
    const OBJHANDLE a = makePointSet(CLASS_POLYGON, {{0, 0}, {10, 10}});
    const OBJHANDLE b = makePointSet(CLASS_POLYGON, {{5, 5}, {20, 8}});
    putOn(layer, a);
    EXPECT_EQ(bound(layer), (_COORDRECT{0, 0, 10, 10}));
    EXPECT_EQ(bound(layers), (_COORDRECT{0, 0, 10, 10}));
    putOn(layer, b);
    EXPECT_EQ(bound(layer), (_COORDRECT{0, 0, 20, 10}));
    EXPECT_EQ(bound(layers), (_COORDRECT{0, 0, 20, 10}));

    // A member that moved outward widens the holders; one that moved in from
    // a border makes them recompute.
    _COORDRECT prev = bound(b);
    setPoints(b, {{5, 5}, {30, -4}});
    send(kernel, b, GRM_INVALIDATE, 0, LPARAM(&prev));
    EXPECT_EQ(bound(layers), (_COORDRECT{0, -4, 30, 10}));
    prev = bound(b);
    setPoints(b, {{5, 5}, {6, 6}});
    send(kernel, b, GRM_INVALIDATE, 0, LPARAM(&prev));
    EXPECT_EQ(bound(layer), (_COORDRECT{0, 0, 10, 10}));
    EXPECT_EQ(bound(layers), (_COORDRECT{0, 0, 10, 10}));

    // Removing the object that held the left edge shrinks the layer.
    ASSERT_GE(OBJectDelete(kernel, a), 0);
    EXPECT_EQ(bound(layer), (_COORDRECT{5, 5, 6, 6}));
    EXPECT_EQ(bound(layers), (_COORDRECT{5, 5, 6, 6}));

    // A group follows its members and tells the window.
    const OBJHANDLE group = CreateOBJect(kernel, CLASS_GROUP);
    putOn(FirstReference(kernel, groups, REF_GROUP_MEMBER, nullptr), group, REF_GROUP_MEMBER);
    putOn(group, b, REF_GROUP_MEMBER);
    EXPECT_EQ(bound(group), (_COORDRECT{5, 5, 6, 6}));
    windowMessages.clear();
    prev = bound(b);
    setPoints(b, {{-1, 5}, {6, 6}});
    send(kernel, b, GRM_INVALIDATE, 0, LPARAM(&prev));
    EXPECT_EQ(bound(group), (_COORDRECT{-1, 5, 6, 6}));
    int listChanged = 0;
    for (const WindowMessage &m : windowMessages)
        listChanged += m.msg == MAPN_LISTCHANGED && (m.lParam == LPARAM(group) || m.lParam == LPARAM(b));
    EXPECT_EQ(listChanged, 2) << "the object and its group";

    // Recomputing from scratch gives the same answer.
    send(kernel, layer, GRM_CALCBOUNDRECT, 0, 0, REF_LAYER_MEMBER);
    EXPECT_EQ(bound(layer), (_COORDRECT{-1, 5, 6, 6}));
}

TEST_F(GraphTest, LargestDataSpaceFollowsTheMembers)
{
    const OBJHANDLE a = makePointSet(CLASS_POLYLINE, {{0, 0}});
    putOn(layer, a);
    const LRESULT small = send(kernel, a, GRM_GETMAXDATASPACE);
    EXPECT_EQ(send(kernel, layer, GRM_GETMAXDATASPACE), small);
    ASSERT_NE(ReSizeOBJect(kernel, a, 1000), 0u);
    const LRESULT big = send(kernel, a, GRM_GETMAXDATASPACE);
    EXPECT_GT(big, small);
    EXPECT_EQ(send(kernel, layer, GRM_GETMAXDATASPACE), big);
    EXPECT_EQ(send(kernel, layers, GRM_GETMAXDATASPACE), big);
    ASSERT_NE(ReSizeOBJect(kernel, a, -900), 0u);
    EXPECT_EQ(send(kernel, layers, GRM_GETMAXDATASPACE), send(kernel, a, GRM_GETMAXDATASPACE));
}

TEST_F(GraphTest, SelectionClimbsLayerAndLayers)
{
    const OBJHANDLE a = makePointSet(CLASS_POLYGON, {{0, 0}});
    const OBJHANDLE b = makePointSet(CLASS_POLYGON, {{1, 1}});
    putOn(layer, a);
    putOn(layer, b);
    _COORDPT pt{7, 8};
    send(kernel, b, GRM_SETSELECTED, WPARAM(-1), LPARAM(&pt));
    const int32_t slotOfB = FindReference(kernel, layer, REF_LAYER_MEMBER, b);
    _COORDPT out{0, 0};
    EXPECT_EQ(send(kernel, layer, GRM_GETSELECTED, 0, LPARAM(&out)), slotOfB);
    EXPECT_EQ(out.x, 7);
    EXPECT_EQ(send(kernel, layers, GRM_GETSELECTED), FindReference(kernel, layers, REF_LAYER_MEMBER, layer));
    // Removing a member in front of the selected one moves the selection down.
    ASSERT_GE(OBJectDelete(kernel, a), 0);
    EXPECT_EQ(send(kernel, layer, GRM_GETSELECTED), slotOfB - 1);
    send(kernel, b, GRM_CLEARSELECTED);
    EXPECT_EQ(send(kernel, layer, GRM_GETSELECTED), -1);
}

TEST_F(GraphTest, UndoListKeepsTheWholeSelectedHandle)
{
    _COORDPT pt{3, 4};
    send(kernel, undo, GRM_SETSELECTED, WPARAM(0x12345), LPARAM(&pt));
    _COORDPT out{0, 0};
    EXPECT_EQ(send(kernel, undo, GRM_GETSELECTED, 0, LPARAM(&out)), 0x12345);
    EXPECT_EQ(out.y, 4);
    EXPECT_EQ(LoadField<_COORDRECT>(OBJectLock(kernel, undo), UNDO_RECT), kEmptyBoundRect);
    send(kernel, undo, GRM_CLEARSELECTED);
    EXPECT_EQ(send(kernel, undo, GRM_GETSELECTED), -1);
    EXPECT_EQ(send(kernel, undo, GRM_SETSELECTEDREF), 0);

    char line[128] = {};
    EXPECT_EQ(send(kernel, undo, OBJM_INFOLINE, 0, LPARAM(line)), 1);
    EXPECT_EQ(std::string(line).rfind("Selected OBJect / point: \t", 0), 0u);
    EXPECT_EQ(send(kernel, undo, OBJM_INFOLINE, 1, LPARAM(line)), 1);
    EXPECT_STREQ(line, "-- GRAPHICAL OBJECT INFORMATIONS -----------");
}

TEST_F(GraphTest, InfoLinesOfTheDefaultProcedure)
{
    const OBJHANDLE poly = makePointSet(CLASS_POLYGON, {{-5, 2}, {100, 7}});
    char line[128];
    std::vector<std::string> lines;
    for (WPARAM n = 0; send(kernel, poly, OBJM_INFOLINE, n, LPARAM(line)) == 1 && n < 20; ++n)
        lines.emplace_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "Bound.Rect: \t\t((    -5,     2), (   100,     7))");
    EXPECT_EQ(lines[2], "Graph. Flags:\t\t   7");
    EXPECT_EQ(lines[3], "");
    // A list object: the layer's own procedure adds lines of its own, so the
    // family's default procedure is asked directly.
    lines.clear();
    for (WPARAM n = 0;
         DefGraphOBjectProc(kernel, layer, layer, 0, OBJM_INFOLINE, n, LPARAM(line)) == 1 && n < 20; ++n)
        lines.emplace_back(line);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[4], "Max. data space: \t\t       0");
}

namespace {

// Stand-ins for the layer and identifier procedures: the layer fills a red
// line colour where the record has none, the identifier gives a width.
LRESULT redLayer(OBJectKernel *k, OBJHANDLE s, OBJHANDLE r, uint16_t sub, uint16_t m, WPARAM w, LPARAM l)
{
    if (m == GRM_GETATTRIBUTES) {
        GraphDispl mine{GD_LINECOLOR, RGB(255, 0, 0), 0, 0, 0, 0, 0};
        auto *rec = reinterpret_cast<GraphDispl *>(l);
        return w ? MergeGraphAttributes(&mine, rec, rec) : MergeGraphAttributes(rec, &mine, rec);
    }
    return DefGraphOBjectProc(k, s, r, sub, m, w, l);
}

LRESULT widthId(OBJectKernel *, OBJHANDLE, OBJHANDLE, uint16_t, uint16_t m, WPARAM w, LPARAM l)
{
    if (m != GRM_GETATTRIBUTES)
        return 0;
    GraphDispl mine{GD_LINEWIDTH | GD_LINECOLOR, RGB(0, 0, 255), 0, 7, 0, 0, 0x02};
    auto *rec = reinterpret_cast<GraphDispl *>(l);
    return w ? MergeGraphAttributes(&mine, rec, rec) : MergeGraphAttributes(rec, &mine, rec);
}

} // namespace

TEST_F(GraphTest, AttributesMergeLayerAndIdentifier)
{
    const OBJectClassProc oldLayer = SetOBJectClassFN(CLASS_LAYER, redLayer);
    const OBJectClassProc oldId = SetOBJectClassFN(CLASS_ID, widthId);
    const OBJHANDLE poly = makePointSet(CLASS_POLYGON, {{0, 0}});
    putOn(layer, poly);
    GraphDispl rec{};
    EXPECT_EQ(send(kernel, poly, GRM_GETATTRIBUTES, 1, LPARAM(&rec)), LRESULT(GD_LINECOLOR));
    EXPECT_EQ(rec.lineColor, RGB(255, 0, 0));

    const OBJHANDLE id = CreateOBJect(kernel, CLASS_ID);
    putOn(poly, id, REF_ID);
    EXPECT_EQ(send(kernel, poly, GRM_GETFLAGS, GF_HASID), GF_HASID);
    // Asked as the drawing asks: the identifier's values win.
    rec = {};
    EXPECT_EQ(send(kernel, poly, GRM_GETATTRIBUTES, 1, LPARAM(&rec)), LRESULT(GD_LINECOLOR | GD_LINEWIDTH));
    EXPECT_EQ(rec.lineColor, RGB(0, 0, 255));
    EXPECT_EQ(rec.lineWidth, 7u);
    EXPECT_EQ(rec.lineOptions, 0x02);
    // Asked with 0: what the layer gave wins over the identifier.
    rec = {};
    send(kernel, poly, GRM_GETATTRIBUTES, 0, LPARAM(&rec));
    EXPECT_EQ(rec.lineColor, RGB(255, 0, 0));
    EXPECT_EQ(rec.lineWidth, 7u);

    RemoveReference(kernel, poly, REF_ID, id);
    EXPECT_EQ(send(kernel, poly, GRM_GETFLAGS, GF_HASID), 0);
    SetOBJectClassFN(CLASS_LAYER, oldLayer);
    SetOBJectClassFN(CLASS_ID, oldId);
}

TEST(GraphAttributes, MergeTakesEachFieldFromTheFirstThatHasIt)
{
    const GraphDispl a{GD_LINECOLOR | GD_FILLPATTERN, 1, 0, 0, 0, 9, 0x01};
    const GraphDispl b{GD_LINECOLOR | GD_LINEWIDTH | 0x100, 2, 0, 5, 0, 0, 0x04};
    GraphDispl c{0, 3, 4, 6, 7, 8, 0};
    EXPECT_EQ(MergeGraphAttributes(&a, &b, &c), uint32_t(GD_LINECOLOR | GD_FILLPATTERN | GD_LINEWIDTH));
    EXPECT_EQ(c.lineColor, 1u);
    EXPECT_EQ(c.lineWidth, 5u);
    EXPECT_EQ(c.fillPattern, 9);
    EXPECT_EQ(c.lineStyle, 4) << "unset in both: kept";
    EXPECT_EQ(c.fillColor, 7u);
    EXPECT_EQ(c.lineOptions, 0x05);
    EXPECT_EQ(MergeGraphAttributes(nullptr, &b, &c), 0u);
}

TEST_F(GraphTest, SumMeasureAddsAreasAndLengthsOfMembers)
{
    putOn(layer, makePointSet(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
    putOn(layer, makePointSet(CLASS_POLYLINE, {{0, 0}, {3, 4}}));
    const OBJHANDLE page = CreateOBJect(kernel, CLASS_PAGE);
    const _COORDRECT pr{0, 0, 2, 3};
    send(kernel, page, GRM_SETBOUNDRECT, 0, LPARAM(&pr));
    putOn(layer, page);
    struct Case {
        WPARAM w;
        double sum;
    } cases[] = {
        {0x8001, 106.0}, {0x4001, 100.0}, {0x0001, 0.0}, {0x8002, 45.0}, {0x4002, 40.0},
    };
    for (const Case &c : cases) {
        double total = 1.0;
        send(kernel, layer, GRM_SUMMEASURE, c.w, LPARAM(&total));
        EXPECT_DOUBLE_EQ(total, 1.0 + c.sum) << std::hex << c.w;
    }
    EXPECT_EQ(send(kernel, layer, GRM_SUMMEASURE, 0x8001, 0), 0);

    // A cycle of forward links ends.
    const OBJHANDLE g1 = CreateOBJect(kernel, CLASS_GROUP);
    const OBJHANDLE g2 = CreateOBJect(kernel, CLASS_GROUP);
    putOn(g1, g2, REF_GROUP_MEMBER);
    putOn(g2, g1, REF_GROUP_MEMBER);
    putOn(g2, makePointSet(CLASS_POLYGON, {{0, 0}, {2, 0}, {2, 2}}), REF_GROUP_MEMBER);
    double total = 0;
    send(kernel, g1, GRM_SUMMEASURE, 0x8001, LPARAM(&total));
    EXPECT_DOUBLE_EQ(total, 2.0);
}

TEST_F(GraphTest, DescribeTexts)
{
    const OBJHANDLE line = makePointSet(CLASS_POLYLINE, {{0, 0}, {10, 0}});
    putOn(layer, line);
    EXPECT_EQ(describe(kernel, line),
              "ObjClass:Polyline;Id:;Layer:0;Bounding Rect: 0:0:10:0;Number of Points: 2 Points: 0:0,10:0");
    EXPECT_EQ(describe(kernel, selList), "NoSelection");

    const OBJHANDLE id = CreateOBJect(kernel, CLASS_ID);
    const char idText[] = "A1\tOak";
    TransferOBJectData(kernel, id, const_cast<char *>(idText), sizeof idText, 1);
    putOn(line, id, REF_ID);
    putOn(selList, line, REF_SELECTED);
    EXPECT_EQ(
        describe(kernel, selList),
        "ObjClass:Polyline;Id:A1:Oak;Layer:0;Bounding Rect: 0:0:10:0;Number of Points: 2 Points: 0:0,10:0");
    putOn(selList, makePointSet(CLASS_POLYGON, {{1, 1}}), REF_SELECTED);
    EXPECT_EQ(describe(kernel, selList).rfind("ObjClass:MultiSelection;Bounding Rect: ", 0), 0u);
    EXPECT_NE(describe(kernel, selList).find("MultiSelection:Id:A1:Oak;;"), std::string::npos);

    // A text of 2,046 bytes needs a bigger block than the first 2,048 bytes.
    const OBJHANDLE text = CreateOBJect(kernel, CLASS_TEXT);
    const std::string body(2046, 'x');
    TransferOBJectData(kernel, text, const_cast<char *>(body.c_str()), uint32_t(body.size() + 1), 1);
    StoreField<uint32_t>(OBJectLock(kernel, text), 172, uint32_t(body.size()));
    const std::string d = describe(kernel, text);
    EXPECT_EQ(d.rfind("ObjClass:Text;Id:;Bounding Rect: ", 0), 0u);
    EXPECT_EQ(d.substr(d.size() - body.size() - 5), "Text:" + body);
}

TEST_F(GraphTest, DescribeOfBadObjectsGivesNoBlock)
{
    const size_t blocks = GlobalBlockCount();
    EXPECT_EQ(send(kernel, 0, GRM_DESCRIBE), 0);
    EXPECT_EQ(GraphDescribe(nullptr, layer), 0u);
    EXPECT_EQ(GraphDescribe(kernel, 99999), 0u);
    EXPECT_EQ(GlobalBlockCount(), blocks);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(GraphTest, NotificationsCarryTheFullHandle)
{
    ASSERT_EQ(map_notification_Set(window, target, WM_USER + 50), 0u) << "no previous target";
    // Push the next handles above 65535.
    for (int i = 0; i < 65536; ++i)
        ASSERT_NE(CreateOBJect(kernel, CLASS_EXTRA), 0u);
    const OBJHANDLE poly = makePointSet(CLASS_POLYGON, {{0, 0}});
    ASSERT_GT(poly, 0xFFFFu);
    putOn(layer, poly);
    ASSERT_FALSE(notifications.empty());
    EXPECT_EQ(notifications.back().msg, WM_USER + 50);
    EXPECT_EQ(notifications.back().wParam, MAPNC_PUT_INTO);
    EXPECT_EQ(notifications.back().lParam, LPARAM(poly));
    send(kernel, poly, GRM_REMOVED);
    EXPECT_EQ(notifications.back().wParam, MAPNC_GROUP_CHANGED);
    EXPECT_EQ(notifications.back().lParam, LPARAM(poly));
    OBJectDelete(kernel, poly);
    EXPECT_EQ(notifications.back().wParam, MAPNC_TAKEN_FROM);
    EXPECT_EQ(notifications.back().lParam, LPARAM(poly));
}

TEST_F(GraphTest, HeightsTurnPointsIntoTriples)
{
    const OBJHANDLE line = makePointSet(CLASS_POLYLINE, {{1, 2}, {3, 4}, {5, 6}});
    EXPECT_EQ(IsObject3d(kernel, line), 0);
    EXPECT_EQ(send(kernel, line, GRM_SETZ, 1, 50), 1);
    EXPECT_EQ(IsObject3d(kernel, line), 1);
    EXPECT_EQ(send(kernel, line, GRM_GETZ, 1), 50);
    EXPECT_EQ(send(kernel, line, GRM_GETZ, 0), 0);
    EXPECT_EQ(send(kernel, line, GRM_GETZ, 3), 0);
    const _COORDPT p{3, 4};
    EXPECT_EQ(send(kernel, line, GRM_FINDZ, 0, LPARAM(&p)), 50);
    const char *data = DataSpaceBegin(OBJectLock(kernel, line));
    EXPECT_EQ(LoadField<int32_t>(data, 24), 5) << "third point x after conversion";
    EXPECT_EQ(LoadField<int32_t>(data, 28), 6);
    Z_BOUNDS range{0, 0};
    send(kernel, line, GRM_GETZRANGE, 0, LPARAM(&range));
    EXPECT_EQ(range.low, 0) << "the other points got height 0";
    EXPECT_EQ(range.high, 50);
    const OBJHANDLE flat = CreateOBJect(kernel, CLASS_POLYGON);
    send(kernel, flat, GRM_GETZRANGE, 0, LPARAM(&range));
    EXPECT_EQ(range.low, INT32_MAX);
    EXPECT_EQ(range.high, -INT32_MAX);
}
