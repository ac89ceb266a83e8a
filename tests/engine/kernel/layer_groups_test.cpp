#include "docmodel_fixture.h"

#include <cstring>

using namespace docmodeltest;

namespace {

class LayerGroupsTest : public DocModelTest {
protected:
    void SetUp() override
    {
        DocModelTest::SetUp();
        root = LG_RootGet(kernel, all);
        ASSERT_NE(root, 0u);
        l1 = CreateLayerOBJect(kernel, layers, 1, "one");
        l2 = CreateLayerOBJect(kernel, layers, 2, "two");
        ResetLayerGroups(&record);
    }

    OBJHANDLE root = 0, l1 = 0, l2 = 0;
};

TEST_F(LayerGroupsTest, NewDocumentHasTheRootWithItsLayers)
{
    EXPECT_EQ(GroupFlagsGet(kernel, root), GROUPF_LAYERGROUP | GROUPF_LGROOT);
    char name[8] = {};
    uint32_t length = 0;
    EXPECT_EQ(GroupNameGet(kernel, root, &length, name, sizeof name), 1);
    EXPECT_STREQ(name, "Root");
    EXPECT_EQ(GroupParentGet(kernel, root), aspect);
    EXPECT_EQ(targets(root, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{layer0, l1, l2}));
    EXPECT_EQ(map_LG_RootGet(&record), root);
    EXPECT_EQ(LG_CreateRoot(kernel, layer0), root);
    EXPECT_EQ(LG_IsRoot(kernel, root), 1);
    EXPECT_EQ(LG_IsLayerGroup(kernel, root), 1);

    // Reset links new layers and answers 0 all the same.
    const OBJHANDLE l3 = CreateLayerOBJect(kernel, layers, 3, "three");
    EXPECT_EQ(ResetLayerGroups(kernel, all), 0);
    EXPECT_EQ(GroupParentGet(kernel, l3), root);
    EXPECT_EQ(targets(root, REF_GROUP_MEMBER).size(), 4u);
    // Reset leaves layers that have a parent where they are.
    EXPECT_EQ(ResetLayerGroups(kernel, all), 0);
    EXPECT_EQ(targets(root, REF_GROUP_MEMBER).size(), 4u);
}

TEST_F(LayerGroupsTest, CreateTakesMembersSetLeavesThemUnderAnAncestor)
{
    const OBJHANDLE members[] = {l1, l2};
    OBJHANDLE g = 0;
    ASSERT_EQ(map_LG_Create(&record, "roads", &g, members, 2, 0), 1);
    ASSERT_NE(g, 0u);
    EXPECT_EQ(GroupParentGet(kernel, g), root);
    EXPECT_EQ(targets(g, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{l1, l2}));
    EXPECT_EQ(targets(root, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{layer0, g}));

    // A nested layer group: set leaves layers of its ancestors in place.
    OBJHANDLE inner = 0;
    ASSERT_EQ(map_LG_Create(&record, "minor", &inner, nullptr, 0, 0), 1);
    ASSERT_EQ(ParentGroupSet(kernel, inner, g), 1);
    EXPECT_EQ(map_LG_Set(&record, nullptr, inner, members, 2, 0), 1);
    EXPECT_TRUE(targets(inner, REF_GROUP_MEMBER).empty());
    const OBJHANDLE fromRoot[] = {layer0};
    EXPECT_EQ(map_LG_Set(&record, "minor roads", inner, fromRoot, 1, 0), 1);
    EXPECT_EQ(GroupParentGet(kernel, layer0), root); // the root is an ancestor too

    // Forced, the members move.
    EXPECT_EQ(LG_SetInt(&record, nullptr, inner, members, 2, 0, 1), 1);
    EXPECT_EQ(targets(inner, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{l1, l2}));

    // Objects that are neither layers nor layer groups are skipped, and so
    // is a member that would contain the group.
    const OBJHANDLE odd[] = {makeObject(layer0), root, g};
    EXPECT_EQ(LG_SetInt(kernel, nullptr, inner, odd, 3, 0, 1), 1);
    EXPECT_EQ(targets(inner, REF_GROUP_MEMBER), (std::vector<OBJHANDLE>{l1, l2}));
    EXPECT_EQ(GroupParentGet(kernel, g), root);
}

TEST_F(LayerGroupsTest, GetReportsNameAndMembers)
{
    const OBJHANDLE members[] = {l1, l2};
    OBJHANDLE g = 0;
    ASSERT_EQ(map_LG_Create(&record, "abc", &g, members, 2, 0), 1);

    uint32_t length = 0;
    int32_t count = -1;
    EXPECT_EQ(map_LG_Get(&record, g, &length, nullptr, 0, &count, nullptr, 0), 1);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(count, 2);

    char buf[3] = {'#', '#', '#'};
    OBJHANDLE out[1] = {};
    count = -1;
    EXPECT_EQ(map_LG_Get(&record, g, &length, buf, 3, &count, out, 1), 1);
    EXPECT_EQ(std::string(buf, 3), "abc");
    EXPECT_EQ(out[0], l1);
    EXPECT_EQ(count, 2);

    // An ordinary group is not a layer group.
    const OBJHANDLE plain = makeGroup(aspect, {});
    EXPECT_EQ(map_LG_Set(&record, "x", plain, members, 2, 0), 0);
    EXPECT_EQ(map_LG_Get(&record, plain, &length, buf, 3, &count, out, 1), 0);
}

TEST_F(LayerGroupsTest, TreeChecks)
{
    const OBJHANDLE empty = makeGroup(aspect, {});
    const OBJHANDLE withLine = makeGroup(aspect, {makeObject(layer0)});
    const OBJHANDLE withLayer = makeGroup(aspect, {});
    ASSERT_EQ(InsertRefInPos(kernel, withLayer, REF_GROUP_MEMBER, CreateLayerOBJect(kernel, 0, 9, ""), -1,
                             -1) != OBJ_INVALID,
              true);
    EXPECT_EQ(LG_CheckIfLGTree(kernel, empty), 1);
    EXPECT_EQ(LG_CheckIfLGTree(kernel, withLine), 0);
    EXPECT_EQ(LG_CheckIfLGTree(kernel, withLayer), 1);
    EXPECT_EQ(LG_CheckIfLGTree(kernel, l1), 1);

    EXPECT_EQ(LG_SetGroupTreeAsLG(kernel, withLine), 0);
    EXPECT_EQ(LG_IsLayerGroup(kernel, withLine), 0);
    EXPECT_EQ(LG_SetGroupTreeAsLG(kernel, withLayer), 1);
    EXPECT_EQ(LG_IsLayerGroup(kernel, withLayer), 1);

    EXPECT_EQ(LG_SetGroupAsLG(kernel, all, empty), 1);
    EXPECT_EQ(LG_IsLayerGroup(kernel, empty), 1);
    EXPECT_EQ(GroupParentGet(kernel, empty), root);
    EXPECT_EQ(LG_SetGroupAsLG(kernel, all, l1), 0);
}

TEST_F(LayerGroupsTest, ParentGroupSetRefusesCycles)
{
    OBJHANDLE a = 0, b = 0;
    ASSERT_EQ(map_LG_Create(&record, "a", &a, nullptr, 0, 0), 1);
    ASSERT_EQ(map_LG_Create(&record, "b", &b, nullptr, 0, 0), 1);
    EXPECT_EQ(ParentGroupSet(kernel, b, a), 1);
    EXPECT_EQ(ParentGroupSet(kernel, b, a), 1); // already there
    EXPECT_EQ(ParentGroupSet(kernel, a, b), 0); // under its own member
    EXPECT_EQ(ParentGroupSet(kernel, a, a), 0);
    EXPECT_EQ(GroupParentGet(kernel, a), root);

    // A layer group goes only under layer groups; 0 means the root.
    const OBJHANDLE plain = makeGroup(aspect, {});
    EXPECT_EQ(ParentGroupSet(kernel, b, plain), 0);
    EXPECT_EQ(ParentGroupSet(kernel, b, 0), 1);
    EXPECT_EQ(GroupParentGet(kernel, b), root);

    // An ordinary group joins a layer group only with a layer tree, and is
    // flagged as one; 0 means the first aspect.
    const OBJHANDLE withLine = makeGroup(aspect, {makeObject(layer0)});
    EXPECT_EQ(ParentGroupSet(kernel, withLine, a), 0);
    EXPECT_EQ(ParentGroupSet(kernel, plain, a), 1);
    EXPECT_EQ(LG_IsLayerGroup(kernel, plain), 1);
    const OBJHANDLE plain2 = makeGroup(makeGroup(aspect, {}), {});
    EXPECT_EQ(ParentGroupSet(kernel, plain2, 0), 1);
    EXPECT_EQ(GroupParentGet(kernel, plain2), aspect);
}

TEST_F(LayerGroupsTest, DisconnectRehomesMembers)
{
    const OBJHANDLE members[] = {l1};
    OBJHANDLE lg = 0;
    ASSERT_EQ(map_LG_Create(&record, "lg", &lg, members, 1, 0), 1);
    EXPECT_EQ(DisconnectMemberGroup(kernel, lg, l1), 1);
    EXPECT_EQ(GroupParentGet(kernel, l1), root);
    EXPECT_EQ(DisconnectMemberGroup(kernel, lg, l1), 0); // no longer a member

    const OBJHANDLE inner = makeGroup(0, {});
    const OBJHANDLE plain = makeGroup(aspect, {inner});
    ASSERT_EQ(InsertRefInPos(kernel, plain, REF_GROUP_MEMBER, l2, -1, -1) != OBJ_INVALID, true);
    RemoveReference(kernel, root, REF_GROUP_MEMBER, l2);
    EXPECT_EQ(DisconnectMemberGroup(kernel, plain, l2), 1);
    EXPECT_EQ(GroupParentGet(kernel, l2), 0u);
    EXPECT_EQ(DisconnectMemberGroup(kernel, plain, inner), 1);
    EXPECT_EQ(GroupParentGet(kernel, inner), aspect);
}

TEST_F(LayerGroupsTest, DeleteFromTreeRemovesEveryLink)
{
    OBJHANDLE a = 0, b = 0;
    ASSERT_EQ(map_LG_Create(&record, "a", &a, nullptr, 0, 0), 1);
    ASSERT_EQ(map_LG_Create(&record, "b", &b, nullptr, 0, 0), 1);
    ParentGroupSet(kernel, b, a);
    InsertRefInPos(kernel, a, REF_GROUP_MEMBER, l1, -1, -1);
    InsertRefInPos(kernel, b, REF_GROUP_MEMBER, l1, -1, -1);
    EXPECT_EQ(DeleteFromLGTree(kernel, root, l1), 1);
    EXPECT_EQ(GroupParentGet(kernel, l1), 0u);
    EXPECT_EQ(targets(a, REF_GROUP_MEMBER), std::vector<OBJHANDLE>{b});
}

TEST_F(LayerGroupsTest, DeleteGroupsGathersLayersInTheRoot)
{
    const OBJHANDLE m1[] = {l1};
    const OBJHANDLE m2[] = {l2};
    OBJHANDLE a = 0, b = 0;
    ASSERT_EQ(map_LG_Create(&record, "a", &a, m1, 1, 0), 1);
    ASSERT_EQ(map_LG_Create(&record, "b", &b, m2, 1, 0), 1);
    ASSERT_EQ(ParentGroupSet(kernel, b, a), 1);
    const OBJHANDLE line = makeObject(layer0);
    const OBJHANDLE plain = makeGroup(aspect, {line});

    // One group: its layers go to its parent group.
    EXPECT_EQ(DeleteGroupsFromTree(&record, b), 1);
    EXPECT_EQ(GroupParentGet(kernel, l2), a);
    EXPECT_EQ(GetOBJectClassID(kernel, b), 0);

    // The whole tree: the root gathers every layer, other groups go.
    EXPECT_EQ(DeleteGroupsFromTree(&record, groups), 1);
    EXPECT_EQ(LG_RootGet(kernel, all), root);
    for (OBJHANDLE l : {layer0, l1, l2})
        EXPECT_EQ(GroupParentGet(kernel, l), root) << l;
    EXPECT_EQ(targets(root, REF_GROUP_MEMBER).size(), 3u);
    EXPECT_EQ(GroupParentGet(kernel, line), 0u);
    EXPECT_EQ(GetOBJectClassID(kernel, plain), 0);
    EXPECT_EQ(DeleteGroupsFromTree(&record, line), 0);
}

TEST_F(LayerGroupsTest, AttachToRoot)
{
    const OBJHANDLE page = makePageLayer();
    EXPECT_EQ(LG_AttachToRoot(kernel, page), 1);
    EXPECT_EQ(GroupParentGet(kernel, page), root);
    EXPECT_EQ(LG_AttachToRoot(kernel, page), 1);
    EXPECT_EQ(targets(root, REF_GROUP_MEMBER).back(), page);
}

} // namespace
