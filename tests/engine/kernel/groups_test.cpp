#include "docmodel_fixture.h"

#include <cstring>

using namespace docmodeltest;

namespace {

class GroupsTest : public DocModelTest {
protected:
    std::string aspectName(OBJHANDLE a)
    {
        char n[ASPECT_NAME_SIZE + 1] = {};
        std::memcpy(n, OBJectLock(kernel, a) + offsetof(Aspect, name), ASPECT_NAME_SIZE);
        return n;
    }

    std::vector<std::string> aspectNames()
    {
        std::vector<std::string> out;
        for (OBJHANDLE a : targets(groups, REF_GROUP_MEMBER))
            out.push_back(aspectName(a));
        return out;
    }
};

TEST_F(GroupsTest, NewRootHasThePermanentAspectActive)
{
    const OBJHANDLE root = CreateGroupsRoot(kernel);
    ASSERT_NE(root, 0u);
    const OBJHANDLE permanent = GetActiveAspect(kernel, root);
    ASSERT_NE(permanent, 0u);
    EXPECT_EQ(aspectName(permanent), "$Permanent");
    EXPECT_EQ(AspectCreate(kernel, root, "$Permanent"), permanent);
    EXPECT_EQ(targets(root, REF_GROUP_MEMBER).size(), 1u);
    // The document's own root, with its link to AllOBJects before the aspect.
    EXPECT_EQ(aspectName(aspect), "$Permanent");
}

TEST_F(GroupsTest, AspectsSortByNameAndTheActiveOneStays)
{
    const OBJHANDLE zeta = AspectCreate(kernel, groups, "Zeta");
    const OBJHANDLE beta = AspectCreate(kernel, groups, "Beta");
    EXPECT_EQ(aspectNames(), (std::vector<std::string>{"$Permanent", "Beta", "Zeta"}));
    EXPECT_EQ(AspectActivate(kernel, groups, "Zeta"), zeta);
    AspectCreate(kernel, groups, "Alpha"); // inserted before the active aspect
    EXPECT_EQ(GetActiveAspect(kernel, groups), zeta);

    EXPECT_EQ(AspectActivate(kernel, groups, "Missing"), 0u);
    EXPECT_EQ(GetActiveAspect(kernel, groups), zeta);
    EXPECT_EQ(AspectFind(kernel, groups, "Beta"), beta);
    EXPECT_EQ(AspectFind(kernel, groups, "beta"), 0u);

    // Removing an aspect before the active one keeps it; removing the active
    // one leaves none active.
    RemoveReference(kernel, groups, REF_GROUP_MEMBER, beta);
    EXPECT_EQ(GetActiveAspect(kernel, groups), zeta);
    RemoveReference(kernel, groups, REF_GROUP_MEMBER, zeta);
    EXPECT_EQ(GetActiveAspect(kernel, groups), 0u);

    // Long names are cut to the field, for creation and look-up alike.
    const OBJHANDLE longOne = AspectCreate(kernel, groups, "an aspect with a long name");
    EXPECT_EQ(aspectName(longOne), "an aspect with a lo");
    EXPECT_EQ(AspectCreate(kernel, groups, "an aspect with a long name"), longOne);
}

TEST_F(GroupsTest, AspectFindSurvivesAnotherCollationOrder)
{
    AspectCreate(kernel, groups, "B");
    AspectCreate(kernel, groups, "C");
    const OBJHANDLE d = AspectCreate(kernel, groups, "D");
    // Renamed in place, as a document sorted by another collation reads.
    std::memcpy(OBJectLock(kernel, d) + offsetof(Aspect, name), "A", 2);
    ASSERT_EQ(aspectNames(), (std::vector<std::string>{"$Permanent", "B", "C", "A"}));
    EXPECT_EQ(AspectFind(kernel, groups, "A"), d);
    const size_t before = targets(groups, REF_GROUP_MEMBER).size();
    EXPECT_EQ(AspectCreate(kernel, groups, "A"), d);
    EXPECT_EQ(targets(groups, REF_GROUP_MEMBER).size(), before);
}

TEST_F(GroupsTest, CompareAspects)
{
    const OBJHANDLE a = AspectCreate(kernel, groups, "a");
    const OBJHANDLE b = AspectCreate(kernel, groups, "b");
    const OBJHANDLE obj = CreateOBJect(kernel, CLASS_POLYLINE);
    EXPECT_LT(CompareAspects(kernel, 0, a, 0, b), 0);
    EXPECT_GT(CompareAspects(kernel, 0, b, 0, a), 0);
    EXPECT_EQ(CompareAspects(kernel, 0, a, 0, a), 0);
    EXPECT_EQ(CompareAspects(kernel, 0, a, 0, obj), 1);
    EXPECT_EQ(CompareAspects(kernel, 0, obj, 0, a), -1);
    EXPECT_EQ(CompareAspects(kernel, 0, obj, 0, all), obj > all ? 1 : -1);
}

TEST_F(GroupsTest, GroupNames)
{
    const OBJHANDLE g = GroupCreate(&record, "forest");
    ASSERT_NE(g, 0u);
    EXPECT_EQ(targets(aspect, REF_GROUP_MEMBER).back(), g);

    uint32_t length = 0;
    char exact[6];
    std::memset(exact, '#', sizeof exact);
    EXPECT_EQ(GroupNameGet(kernel, g, &length, exact, 6), 1);
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(std::string(exact, 6), "forest"); // no room: no zero byte
    length = 0;
    EXPECT_EQ(GroupNameGet(kernel, g, &length, nullptr, 0), 1);
    EXPECT_EQ(length, 6u);
    char small[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(GroupNameGet(kernel, g, nullptr, small, 3), 1);
    EXPECT_EQ(std::string(small, 4), "for#");

    EXPECT_EQ(GrupNameSet(kernel, g, "oak"), 1);
    EXPECT_EQ(DataSpaceSize(kernel, g), 4u);
    char buf[16];
    EXPECT_EQ(GroupNameGet(kernel, g, &length, buf, sizeof buf), 1);
    EXPECT_EQ(length, 3u);
    EXPECT_STREQ(buf, "oak");
    EXPECT_EQ(GrupNameSet(kernel, g, ""), 1);
    EXPECT_EQ(GroupNameGet(kernel, g, &length, buf, sizeof buf), 1);
    EXPECT_EQ(length, 0u);
    EXPECT_STREQ(buf, "");

    const OBJHANDLE unnamed = GroupCreate(&record, nullptr);
    EXPECT_EQ(DataSpaceSize(kernel, unnamed), 0u);
    EXPECT_EQ(GrupNameSet(kernel, unnamed, nullptr), 0);
    EXPECT_EQ(GrupNameSet(kernel, aspect, "x"), 0);
    EXPECT_EQ(GroupNameGet(kernel, aspect, &length, buf, sizeof buf), 0);
}

TEST_F(GroupsTest, GroupsNestAndRefuseToContainThemselves)
{
    const OBJHANDLE obj = makeObject(layer0);
    const OBJHANDLE g2 = makeGroup(0, {obj});
    const OBJHANDLE g1 = makeGroup(aspect, {g2});
    EXPECT_EQ(GroupParentGet(kernel, obj), g2);
    EXPECT_EQ(GroupParentGet(kernel, g2), g1);

    EXPECT_EQ(CheckGroup(kernel, g1, obj), 1);
    EXPECT_EQ(CheckGroup(kernel, g1, g1), 1);
    EXPECT_EQ(CheckGroup(kernel, obj, g1), 0);

    EXPECT_EQ(PutInGroup(kernel, g1, g2), 0); // into its own member
    EXPECT_EQ(PutInGroup(kernel, g1, g1), 0);
    EXPECT_EQ(PutInGroup(kernel, obj, layer0), 0); // not a group or aspect
    EXPECT_EQ(PutInGroup(kernel, aspect, g1), 0);
    EXPECT_EQ(GroupParentGet(kernel, g1), aspect);

    EXPECT_EQ(PutInGroup(kernel, obj, g2), 1); // already there
    EXPECT_EQ(targets(g2, REF_GROUP_MEMBER), std::vector<OBJHANDLE>{obj});
    EXPECT_EQ(PutInGroup(kernel, obj, g1), 1); // moved up
    EXPECT_EQ(targets(g2, REF_GROUP_MEMBER), std::vector<OBJHANDLE>{});
    EXPECT_EQ(targets(g1, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{g2, obj}));
}

TEST_F(GroupsTest, CycleInADamagedTreeIsRefused)
{
    const OBJHANDLE a = makeGroup(0, {});
    const OBJHANDLE b = makeGroup(a, {});
    // A damaged document: a a member of its own member b.
    ASSERT_NE(InsertRefInPos(kernel, b, REF_GROUP_MEMBER, a, -1, -1), OBJ_INVALID);
    const OBJHANDLE c = makeGroup(aspect, {});
    // The climb from b never ends at c: linking under b is refused, not looped.
    EXPECT_EQ(CheckGroup(kernel, c, b), 1);
    EXPECT_EQ(PutInGroup(kernel, c, b), 0);
    EXPECT_EQ(GroupParentGet(kernel, c), aspect);
    // Attributes climb the parents and stop.
    GraphDispl rec{};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, b, 0, GRM_GETATTRIBUTES, 1, LPARAM(&rec)), 0);
    // Selecting inside the cycle ends too.
    const OBJHANDLE obj = makeObject(layer0);
    ASSERT_NE(InsertRefInPos(kernel, a, REF_GROUP_MEMBER, obj, -1, -1), OBJ_INVALID);
    EXPECT_NE(SelectNextGroupLevel(kernel, selList, obj, nullptr), 0u);
}

TEST_F(GroupsTest, MakeGroupRefusalsShowNothing)
{
    const OBJHANDLE a = makeObject(layer0);
    const OBJHANDLE b = makeObject(layer0);
    const OBJHANDLE c = makeObject(layer0);
    makeGroup(aspect, {b});
    AddToSelectionWithoutRemoving(kernel, selList, a);
    EXPECT_EQ(MakeGroup(kernel, groups, selList, 0), 0u);
    AddToSelectionWithoutRemoving(kernel, selList, b); // b has another parent
    EXPECT_EQ(MakeGroup(kernel, groups, selList, 0), 0u);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(GroupParentGet(kernel, a), 0u);
    (void)c;
}

TEST_F(GroupsTest, MakeGroupGathersTheSelectionAndSelectsTheGroup)
{
    const OBJHANDLE outer = makeGroup(aspect, {});
    const OBJHANDLE a = makeObject(layer0);
    const OBJHANDLE b = makeObject(layer0, {20, 20, 30, 30});
    PutInGroup(kernel, a, outer);
    PutInGroup(kernel, b, outer);
    AddToSelectionWithoutRemoving(kernel, selList, a);
    AddToSelectionWithoutRemoving(kernel, selList, b);

    const OBJHANDLE g = MakeGroup(kernel, groups, selList, undo);
    ASSERT_NE(g, 0u);
    EXPECT_EQ(targets(g, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{a, b}));
    EXPECT_EQ(GroupParentGet(kernel, g), outer);
    EXPECT_EQ(targets(outer, REF_GROUP_MEMBER), std::vector<OBJHANDLE>{g});
    EXPECT_EQ(selected(), std::vector<OBJHANDLE>{g});
    _COORDRECT r{};
    SendOBJectMessage(kernel, 0, g, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    EXPECT_EQ(r.x1, 0);
    EXPECT_EQ(r.x2, 30);
}

TEST_F(GroupsTest, UnGroupMovesMembersUpAndSelectsThem)
{
    const OBJHANDLE obj = makeObject(layer0);
    const OBJHANDLE inner = makeGroup(0, {makeObject(layer0)});
    const OBJHANDLE g = makeGroup(aspect, {obj, inner});

    EXPECT_EQ(UnGroup(kernel, g, selList, 0), g);
    EXPECT_EQ(selected(), (std::vector<OBJHANDLE>{obj, inner}));
    EXPECT_TRUE(graphFlags(obj) & GF_SELECTED);
    OBJectDelete(kernel, g);
    // Under an aspect: groups go to the aspect, other objects get no parent.
    EXPECT_EQ(GroupParentGet(kernel, inner), aspect);
    EXPECT_EQ(GroupParentGet(kernel, obj), 0u);

    // Under a group: every member goes to it.
    const OBJHANDLE x = makeObject(layer0);
    const OBJHANDLE mid = makeGroup(0, {x});
    const OBJHANDLE top = makeGroup(aspect, {mid});
    EXPECT_EQ(UnGroup(kernel, mid, selList, 0), mid);
    OBJectDelete(kernel, mid);
    EXPECT_EQ(GroupParentGet(kernel, x), top);

    EXPECT_EQ(UnGroup(kernel, obj, selList, 0), 0u);
    EXPECT_EQ(UnGroup(kernel, top, 0, 0), 0u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(GroupsTest, GroupAttributesComeFromItsParents)
{
    const OBJHANDLE g = makeGroup(aspect, {});
    GraphDispl rec{};
    rec.mask = GD_LINECOLOR;
    rec.lineColor = 0x123456;
    EXPECT_EQ(SendOBJectMessage(kernel, 0, g, 0, GRM_GETATTRIBUTES, 1, LPARAM(&rec)), GD_LINECOLOR);
    EXPECT_EQ(rec.lineColor, 0x123456u);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, aspect, 0, GRM_GETATTRIBUTES, 1, LPARAM(&rec)), 0);

    char line[130] = {};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, g, 0, OBJM_INFOLINE, 0, LPARAM(line)), 1);
    EXPECT_NE(std::strstr(line, "<Group>"), nullptr);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, aspect, 0, OBJM_INFOLINE, 0, LPARAM(line)), 1);
    EXPECT_NE(std::strstr(line, "<Aspect>"), nullptr);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, groups, 0, OBJM_INFOLINE, 0, LPARAM(line)), 1);
    EXPECT_NE(std::strstr(line, "<Groups>"), nullptr);
}

} // namespace
