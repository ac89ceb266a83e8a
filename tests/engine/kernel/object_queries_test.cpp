#include "engine/kernel/object_queries.h"

#include "docmodel_fixture.h"
#include "engine/kernel/coded_points.h"
#include "engine/kernel/cover_record.h"
#include "engine/kernel/global_memory_helpers.h"
#include "engine/kernel/map_obj_arr.h"
#include "platform/global_memory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using docmodeltest::DocModelTest;

class QueriesTest : public DocModelTest {
protected:
    // The handle list as a moveable block, the way callers hand it over.
    HGLOBAL listOf(const std::vector<OBJHANDLE> &handles)
    {
        const HGLOBAL mem = GlobalAlloc(GHND, handles.size() * sizeof(OBJHANDLE));
        std::memcpy(GlobalLock(mem), handles.data(), handles.size() * sizeof(OBJHANDLE));
        GlobalUnlock(mem);
        return mem;
    }

    std::vector<OBJHANDLE> contents(HGLOBAL mem, int32_t n)
    {
        const auto *p = static_cast<const OBJHANDLE *>(GlobalLock(mem));
        std::vector<OBJHANDLE> out(p, p + n);
        GlobalUnlock(mem);
        return out;
    }
};

TEST_F(QueriesTest, CheckTypeMatchesEachClassToItsBit)
{
    struct Case {
        uint16_t classId;
        ObjTypeMask bit;
    } cases[] = {
        {CLASS_POLYLINE, 0x0001}, {CLASS_POLYGON, 0x0002}, {CLASS_TEXT, 0x0004},  {CLASS_LEGEND, 0x0008},
        {CLASS_BITMAP, 0x0010},   {CLASS_PAGE, 0x0020},    {CLASS_NAIL, 0x0040},  {CLASS_PRESDESCR, 0x0080},
        {CLASS_PRESENT, 0x0100},  {CLASS_LAYER, 0x0200},   {CLASS_GROUP, 0x0400},
    };
    for (const Case &c : cases) {
        const OBJHANDLE h = CreateOBJect(kernel, c.classId);
        ASSERT_NE(h, 0u) << std::hex << c.classId;
        EXPECT_EQ(CheckType(kernel, h, c.bit), 1) << std::hex << c.classId;
        EXPECT_EQ(CheckType(kernel, h, OTM_ANY), 1) << std::hex << c.classId;
        EXPECT_EQ(CheckType(kernel, h, 0x07FF & ~c.bit), 0) << std::hex << c.classId;
        EXPECT_EQ(CheckType(kernel, h, c.bit | OTM_SELECTION), 1) << "selection bits are not looked at";
    }
    for (uint16_t other : {CLASS_DISTRICT, CLASS_ID, CLASS_EXTRA, CLASS_ASPECT}) {
        const OBJHANDLE h = CreateOBJect(kernel, other);
        EXPECT_EQ(CheckType(kernel, h, 0xFFFFFFFF), 0) << std::hex << other;
    }
    const OBJHANDLE any = makeObject(layer0);
    EXPECT_EQ(CheckType(nullptr, any, OTM_ANY), 0);
    EXPECT_EQ(CheckType(kernel, 0, OTM_ANY), 0);
    EXPECT_EQ(CheckType(kernel, 0xFFFFFFFF, OTM_ANY), 0);
}

TEST_F(QueriesTest, EnclosingGroupsOfAListOfObjects)
{
    const OBJHANDLE a = makeObject(layer0), b = makeObject(layer0), c = makeObject(layer0);
    const OBJHANDLE d = makeObject(layer0);
    const OBJHANDLE g = makeGroup(aspect, {a, b, c});
    const OBJHANDLE outer = makeGroup(aspect, {d});
    const OBJHANDLE top = makeGroup(aspect, {});
    ASSERT_EQ(PutInGroup(kernel, outer, top), 1);

    struct Case {
        const char *what;
        std::vector<OBJHANDLE> list;
        int complete, drop;
        std::vector<OBJHANDLE> expected;
    } cases[] = {
        {"a whole group replaced by the group", {a, b, c}, 1, 1, {g}},
        {"members kept beside their group", {a, b, c}, 1, 0, {a, b, c, g}},
        {"an incomplete group left out", {a, b}, 1, 1, {a, b}},
        {"an incomplete group taken without the completeness test", {a}, 0, 0, {a, g}},
        {"nested groups climbed", {d}, 1, 1, {top}},
        {"a duplicate listed once", {a, a}, 0, 0, {a, g}},
        {"handles that name no object dropped", {0, a, 0xFFFFFFFF}, 1, 0, {a}},
    };
    for (const Case &cs : cases) {
        SCOPED_TRACE(cs.what);
        HGLOBAL mem = listOf(cs.list);
        int32_t n = int32_t(cs.list.size());
        EXPECT_EQ(AddEnclosingGroups(kernel, &mem, &n, cs.complete, cs.drop), int32_t(cs.expected.size()));
        EXPECT_EQ(n, int32_t(cs.expected.size()));
        EXPECT_EQ(contents(mem, n), cs.expected);
        EXPECT_GE(GlobalSize(mem), size_t(n) * 4);
        GlobalFree(mem);
    }
    for (OBJHANDLE h : {a, b, c, d, g, outer, top})
        EXPECT_EQ(GetOBJectFlag(kernel, h, OBJF_USERMARK), 0);

    int32_t n = 1;
    HGLOBAL none = 0;
    EXPECT_EQ(AddEnclosingGroups(nullptr, &none, &n, 1, 1), 0);
    EXPECT_EQ(AddEnclosingGroups(kernel, &none, &n, 1, 1), 0);
    EXPECT_EQ(AddEnclosingGroups(kernel, nullptr, &n, 1, 1), 0);
}

TEST_F(QueriesTest, EnclosingGroupsEndOnACycle)
{
    const OBJHANDLE a = makeObject(layer0);
    const OBJHANDLE g1 = makeGroup(aspect, {a});
    const OBJHANDLE g2 = makeGroup(g1, {});
    ASSERT_NE(InsertRefInPos(kernel, g2, REF_GROUP_MEMBER, g1, -1, -1), OBJ_INVALID);
    HGLOBAL mem = listOf({a});
    int32_t n = 1;
    EXPECT_EQ(AddEnclosingGroups(kernel, &mem, &n, 0, 0), 3);
    EXPECT_EQ(contents(mem, n), (std::vector<OBJHANDLE>{a, g1, g2}));
    GlobalFree(mem);
}

TEST_F(QueriesTest, RemoveNonRootRefsLeavesTheUndoListOnlyItsRootLink)
{
    const OBJHANDLE extra = CreateOBJect(kernel, CLASS_EXTRA);
    const OBJHANDLE object = makeObject(layer0);
    ASSERT_NE(InsertRefInPos(kernel, undo, REF_EXTRA, extra, -1, -1), OBJ_INVALID);
    ASSERT_NE(InsertRefInPos(kernel, undo, REF_GROUP_MEMBER, object, -1, -1), OBJ_INVALID);
    const uint32_t objectIncoming = GetNumberOfReferencesTo(kernel, object);

    EXPECT_EQ(RemoveNonRootRefs(kernel, undo), 1);
    EXPECT_EQ(targets(undo, 0), std::vector<OBJHANDLE>{all});
    EXPECT_EQ(GetNthReferenceID(kernel, undo, 0), REF_ROOT_BACK);
    EXPECT_EQ(GetNumberOfReferencesFrom(kernel, extra, 0), 0u) << "partners go too";
    EXPECT_EQ(GetNumberOfReferencesTo(kernel, object), objectIncoming - 1);
    EXPECT_GE(FindReference(kernel, all, REF_ROOT, undo), 0) << "the root still holds the undo list";

    EXPECT_EQ(RemoveNonRootRefs(kernel, undo), 0) << "nothing left to remove";
    EXPECT_EQ(RemoveNonRootRefs(nullptr, undo), 0);
    EXPECT_EQ(RemoveNonRootRefs(kernel, 0), 0);
    EXPECT_EQ(RemoveNonRootRefs(kernel, 0xFFFFFFFF), 0);
}

// ---------------------------------------------------------------------------
// Handle arrays

TEST(MapObjArr, GrowsAppendsAndBoundsItsIndices)
{
    CMapObjArr a;
    EXPECT_TRUE(a.IsEmpty());
    for (OBJHANDLE h = 1; h <= 300; ++h)
        EXPECT_EQ(a.Add(h * 0x01000001u), int32_t(h - 1));
    EXPECT_EQ(a.GetSize(), 300);
    EXPECT_EQ(a[299], 300u * 0x01000001u) << "handles keep all 32 bits";
    EXPECT_EQ(a.GetAt(300), 0u);
    EXPECT_EQ(a.GetAt(-1), 0u);
    EXPECT_FALSE(a.SetAt(300, 5));
    EXPECT_TRUE(a.SetSize(2, 100));
    EXPECT_EQ(a.GetGrowBy(), 100);
    EXPECT_EQ(a.GetSize(), 2);
    EXPECT_FALSE(a.SetSize(-1));
    CMapObjArr b;
    b.Add(9);
    EXPECT_EQ(a.Append(b), 2);
    EXPECT_EQ(a[2], 9u);
    EXPECT_TRUE(a.RemoveAt(0));
    EXPECT_EQ(a[0], 0x02000002u);
    EXPECT_FALSE(a.RemoveAt(1, 5));
    a.RemoveAll();
    EXPECT_EQ(a.GetData(), nullptr);
}

// ---------------------------------------------------------------------------
// Global memory helpers

TEST(GlobalMemoryHelpers, AllocateResizeAndFreeLockedBlocks)
{
    const size_t before = GlobalBlockCount();
    const HGLOBAL mem = GlobalAllocCompact(16);
    ASSERT_NE(mem, 0u);
    const auto *bytes = static_cast<const uint8_t *>(GlobalLock(mem));
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 16), std::vector<uint8_t>(16, 0));
    GlobalUnlock(mem);
    EXPECT_EQ(ReSizeGlobalHandle(mem, 64, GMEM_MOVEABLE), mem);
    EXPECT_EQ(GlobalSize(mem), 64u);
    GlobalLock(mem);
    EXPECT_EQ(ReSizeGlobalHandle(mem, 8, GMEM_MOVEABLE), 0u) << "a locked block stays as it is";
    EXPECT_EQ(GlobalSize(mem), 64u);
    GlobalLock(mem);
    EXPECT_EQ(GlobalFreeUnlocked(mem), 0u);
    EXPECT_EQ(GlobalBlockCount(), before);
    EXPECT_EQ(GlobalFreeUnlocked(0), 0u);
    EXPECT_EQ(ReSizeGlobalHandle(0, 8, GMEM_MOVEABLE), 0u);
    const HGLOBAL plain = GetGlobalHandle(GMEM_MOVEABLE, 4);
    ASSERT_NE(plain, 0u);
    EXPECT_EQ(GlobalFreeUnlocked(plain), 0u);
}

// ---------------------------------------------------------------------------
// Coded points

TEST(CodedPoints, PackAndUnpackKinds)
{
    struct Case {
        int32_t x, y, kind;
        _COORDPT packed;
        int32_t backX, backY, backKind;
    } cases[] = {
        {0, 5, 1, {-0x7FFFFFFF, 5}, 0, 5, 1},
        {7, 0, 2, {7, -0x7FFFFFFF}, 7, 0, 2},
        {1, 2, 0, {1, 2}, 1, 2, 0},
        {1, 2, 9, {1, 2}, 1, 2, 0},
        {0, 0, 3, {INT32_MIN, 0x7FFFFFFF}, INT32_MIN, 0, 2},
        {0, 0, 4, {int32_t(0x80000001u), 0x7FFFFFFF}, 0, 0, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " kind " << c.kind);
        _COORDPT p{};
        CoordPtPackKind(&p, c.x, c.y, c.kind);
        EXPECT_EQ(p.x, c.packed.x);
        EXPECT_EQ(p.y, c.packed.y);
        int32_t x = 99, y = 99, kind = 99;
        CoordPtUnpackKind(&p, &x, &y, &kind);
        EXPECT_EQ(x, c.backX);
        EXPECT_EQ(y, c.backY);
        EXPECT_EQ(kind, c.backKind);
    }
    const _COORDPT extreme{INT32_MIN, INT32_MIN};
    int32_t x = 0, y = 0, kind = 9;
    CoordPtUnpackKind(&extreme, &x, &y, &kind);
    EXPECT_EQ(kind, 0) << "0x80000000 is not a code";
    EXPECT_EQ(x, INT32_MIN);
    CoordPtPackKind(nullptr, 1, 1, 1);
    CoordPtUnpackKind(nullptr, &x, &y, &kind);
}

// ---------------------------------------------------------------------------
// Cover records

TEST(CoverRecords, NameLetterAndExistence)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "cover_record_test";
    std::filesystem::create_directories(dir);
    const std::string existing = (dir / "map.mpD").string();
    std::fclose(std::fopen(existing.c_str(), "w"));
    const size_t blocks = GlobalBlockCount();

    std::string name = (dir / "map.mpd").string();
    HGLOBAL out = 0;
    EXPECT_EQ(CoverCreateStruct(&out, name.data(), 'K'), 1);
    EXPECT_EQ(name, existing) << "the third character after the dot becomes D";
    ASSERT_NE(out, 0u);
    EXPECT_EQ(GlobalSize(out), 520u);
    const auto *rec = static_cast<const CoverRecord *>(GlobalLock(out));
    EXPECT_STREQ(rec->fileName, existing.c_str());
    EXPECT_EQ(rec->kind, 13u);
    EXPECT_EQ(rec->letter, 'K');
    GlobalUnlock(out);
    GlobalFree(out);

    struct Case {
        std::string name;
        const char *extension;
        std::string after;
        int exists;
    } cases[] = {
        {(dir / "other.mpd").string(), "cov", (dir / "other.cov").string(), 0},
        {(dir / "map.xyz").string(), "mpD", existing, 1},
        {(dir / "short.a").string(), "longer", (dir / "short.l").string(), 0},
        {(dir / "nodot").string(), "cov", (dir / "nodot").string(), 0},
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<char> buffer(c.name.begin(), c.name.end());
        buffer.push_back('\0'); // exactly the name's room: a longer extension must not overrun it
        HGLOBAL mem = 0;
        EXPECT_EQ(CoverCreateStruct2(&mem, buffer.data(), 'C', c.extension), c.exists);
        EXPECT_EQ(std::string(buffer.data()), c.after);
        ASSERT_NE(mem, 0u);
        GlobalFree(mem);
    }
    std::string two = "a.b";
    EXPECT_EQ(CoverCreateStruct(&out, two.data(), 'X'), 0);
    EXPECT_EQ(two, "a.b") << "no third character after the dot";
    GlobalFree(out);

    EXPECT_EQ(CoverCreateStruct(nullptr, name.data(), 'K'), 0);
    out = 77;
    EXPECT_EQ(CoverCreateStruct(&out, nullptr, 'K'), 0);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(GlobalBlockCount(), blocks);
    std::filesystem::remove_all(dir);
}

} // namespace
