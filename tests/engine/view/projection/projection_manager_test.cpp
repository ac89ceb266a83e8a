#include "engine/view/projection/projection_manager.h"
#include "platform/global_memory.h"
#include "platform/module.h"
#include "tests/engine/view/projection/module_sandbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Recorded {
    double forwardScale;
    double backwardScale;
    int32_t forwardDatum;
    int32_t backwardDatum;
    int32_t forwardScaleCalls;
    int32_t backwardScaleCalls;
    char text[64];
};

Recorded ReadState(const ProjectionTag &tag)
{
    Recorded r;
    std::memcpy(&r, GlobalLock(tag.hInstanceData), sizeof r);
    GlobalUnlock(tag.hInstanceData);
    return r;
}

ProjectionTag EmptyTag()
{
    ProjectionTag t{};
    ProjMan_InitProjection(&t);
    ProjMan_SetDefaultUnits(&t);
    return t;
}

std::vector<std::string> ListEntries(HGLOBAL list)
{
    std::vector<std::string> out;
    const char *p = static_cast<const char *>(GlobalLock(list));
    while (*p) {
        out.emplace_back(p);
        p += out.back().size() + 1;
    }
    GlobalUnlock(list);
    return out;
}

} // namespace

TEST(ProjectionManager, EmptyRecordHasPlaceholdersThatWarnAndReturnZero)
{
    ModuleSandbox sandbox;
    ProjectionTag t = EmptyTag();
    EXPECT_EQ(t.hLib, 0u);
    MAP_COORDPT p{1, 2}, q{0, 0};
    EXPECT_EQ(t.Forward(t.hInstanceData, &p, &q, 1), 0);
    EXPECT_EQ(t.SetForwardScale(0, 1.0, 0), 0);
    EXPECT_EQ(t.Constructor(), 0u);
    char name[10];
    EXPECT_EQ(ProjMan_Identify(&t, name, 10), 0);
    ASSERT_EQ(sandbox.boxes.size(), 4u);
    EXPECT_EQ(sandbox.boxes[0].caption, "Projection Manager Warning");
    EXPECT_EQ(sandbox.boxes[0].text.rfind("ProjMan_DUMMY:\n this function should not be called", 0), 0u);
    EXPECT_EQ(t.baseUnit, 4);
    EXPECT_EQ(t.baseDatum, 43);
    EXPECT_EQ(t.areaUnit, 20);
    EXPECT_EQ(t.lengthUnit, 5);
}

TEST(ProjectionManager, LoadsOnlyRegisteredModulesFromTheModulesFolder)
{
    ModuleSandbox sandbox;
    ProjectionTag t = EmptyTag();
    // Not registered: whatever the path says, nothing is loaded.
    EXPECT_EQ(ProjMan_LoadProjection((sandbox.modulesFolder() + "tm.so").c_str(), &t), 0);
    EXPECT_EQ(t.hLib, 0u);
    sandbox.Register("Transverse Mercator", "tm.so");
    // A stored path from another machine: only its file name counts.
    EXPECT_EQ(ProjMan_LoadProjection("C:\\Program Files\\Old\\tm.so", &t), 1);
    ASSERT_NE(t.hLib, 0u);
    char path[300];
    ASSERT_GT(GetModuleFileNameA(t.hLib, path, sizeof path), 0u);
    EXPECT_EQ(std::string(path), std::filesystem::canonical(sandbox.modulesFolder() + "tm.so").string());
    EXPECT_NE(t.hInstanceData, 0u);
    const HMODULE loaded = t.hLib;
    // A failed load leaves the record as it was.
    EXPECT_EQ(ProjMan_LoadProjection("/tmp/evil/missing.so", &t), 0);
    EXPECT_EQ(ProjMan_LoadProjection("../tm.so/..", &t), 0);
    EXPECT_EQ(t.hLib, loaded);
    EXPECT_EQ(ProjMan_FreeProjection(&t), 1);
    EXPECT_EQ(t.hLib, 0u);
    EXPECT_EQ(t.hInstanceData, 0u);
    EXPECT_EQ(t.baseUnit, 4); // units survive freeing
    EXPECT_TRUE(sandbox.boxes.empty());
}

TEST(ProjectionManager, ListsRegisteredModulesByTheirNames)
{
    ModuleSandbox sandbox;
    EXPECT_EQ(ProjMan_GetProjectionList(), 0u);
    sandbox.Register("a", "tm.so");
    sandbox.Register("b", "missing.so");
    sandbox.Register("c", "/etc/passwd");
    sandbox.Register("d", std::string(300, 'x'));
    sandbox.Register("e", "tm.so", REG_BINARY);
    sandbox.Register("f", "recording.so");
    const HGLOBAL list = ProjMan_GetProjectionList();
    ASSERT_NE(list, 0u);
    const auto entries = ListEntries(list);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], "Transverse Mercator (UTM, BNG, ITM)");
    EXPECT_EQ(entries[1], sandbox.modulesFolder() + "tm.so");
    EXPECT_EQ(entries[2], "Recording");
    EXPECT_EQ(entries[3], sandbox.modulesFolder() + "recording.so");
    EXPECT_EQ(GlobalFree(list), 0u);
}

TEST(ProjectionManager, ModuleLackingAnEntryIsNotLoaded)
{
    ModuleSandbox sandbox;
    sandbox.Register("r", "recording_no_setup.so");
    sandbox.Register("t", "tm.so");
    ProjectionTag t = EmptyTag();
    // Into an empty record and into a record holding a module: both keep
    // what they had, and the module's code is never run.
    const size_t blocksBefore = GlobalBlockCount();
    EXPECT_EQ(ProjMan_LoadProjection("recording_no_setup.so", &t), 0);
    EXPECT_EQ(t.hLib, 0u);
    EXPECT_EQ(GlobalBlockCount(), blocksBefore); // its Constructor never ran
    ASSERT_EQ(ProjMan_LoadProjection("tm.so", &t), 1);
    const HMODULE tm = t.hLib;
    const HGLOBAL state = t.hInstanceData;
    EXPECT_EQ(ProjMan_LoadProjection("recording_no_setup.so", &t), 0);
    EXPECT_EQ(t.hLib, tm);
    EXPECT_EQ(t.hInstanceData, state);
    ASSERT_EQ(sandbox.boxes.size(), 2u);
    for (const MessageBoxRequest &box : sandbox.boxes) {
        EXPECT_EQ(box.text, "error loading function from projection dll");
        EXPECT_EQ(box.caption, "Projection Manager Warning");
    }
    // Nor does the list offer it.
    const HGLOBAL list = ProjMan_GetProjectionList();
    ASSERT_NE(list, 0u);
    EXPECT_EQ(ListEntries(list).size(), 2u); // tm.so alone: its name and path
    GlobalFree(list);
    ProjMan_FreeProjection(&t);
}

TEST(ProjectionManager, DirectionFollowsTheKinds)
{
    ModuleSandbox sandbox;
    sandbox.Register("r", "recording.so");
    struct Case {
        int32_t base, transformed, result;
        bool exchanged;
    } cases[] = {
        {CS_CARTESIAN, CS_SPHERIC, 0, true},
        {CS_SPHERIC, CS_CARTESIAN, 1, false},
        {CS_SPHERIC, CS_SPHERIC, 1, false},
        {CS_CARTESIAN, CS_CARTESIAN, 1, false},
    };
    for (const Case &c : cases) {
        ProjectionTag t = EmptyTag();
        ASSERT_EQ(ProjMan_LoadProjection("recording.so", &t), 1);
        t.baseKind = c.base;
        t.transformedKind = c.transformed;
        EXPECT_EQ(ProjMan_SetBackwardAndForwardFunctions(&t), c.result);
        // Calling it again re-binds first: the slots stay exchanged once.
        EXPECT_EQ(ProjMan_SetBackwardAndForwardFunctions(&t), c.result);
        MAP_COORDPT p{0, 0};
        t.Forward(t.hInstanceData, &p, &p, 1);
        EXPECT_EQ(p.x, c.exchanged ? -1000 : 1000);
        ProjMan_FreeProjection(&t);
    }
}

TEST(ProjectionManager, ScalesFollowTheDirection)
{
    ModuleSandbox sandbox;
    sandbox.Register("r", "recording.so");
    ProjectionTag t = EmptyTag();
    ASSERT_EQ(ProjMan_LoadProjection("recording.so", &t), 1);
    t.baseUnit = 6;        // 1/10 second
    t.transformedUnit = 3; // centimetre
    t.baseDatum = 87;
    t.transformedDatum = 116;
    ProjMan_UpdateScales(&t, 1);
    Recorded r = ReadState(t);
    EXPECT_DOUBLE_EQ(r.forwardScale, 1.0 / 36000.0);
    EXPECT_DOUBLE_EQ(r.backwardScale, 100.0);
    EXPECT_EQ(r.forwardDatum, 87);
    EXPECT_EQ(r.backwardDatum, 116);
    // Exchanged: the two systems change sides, each datum with its unit, so
    // the module still gets the angular side's datum with the forward scale.
    ProjMan_UpdateScales(&t, 0);
    r = ReadState(t);
    EXPECT_DOUBLE_EQ(r.forwardScale, 1.0 / 100.0);
    EXPECT_DOUBLE_EQ(r.backwardScale, 36000.0);
    EXPECT_EQ(r.forwardDatum, 116);
    EXPECT_EQ(r.backwardDatum, 87);

    ProjectionTag u = EmptyTag();
    ASSERT_EQ(ProjMan_LoadProjection("recording.so", &u), 1);
    u.baseUnit = 99; // not in the unit table
    ProjMan_UpdateScales(&u, 1);
    r = ReadState(u);
    EXPECT_EQ(r.forwardScaleCalls, 0);
    EXPECT_EQ(r.backwardScaleCalls, 1);
    ProjMan_UpdateScales(&u, 0);
    r = ReadState(u);
    EXPECT_EQ(r.forwardScaleCalls, 1);
    EXPECT_EQ(r.backwardScaleCalls, 1);
    ProjMan_FreeProjection(&t);
    ProjMan_FreeProjection(&u);
}

TEST(ProjectionManager, CopyGivesTheDestinationItsOwnModuleAndState)
{
    ModuleSandbox sandbox;
    sandbox.Register("r", "recording.so");
    const size_t blocksBefore = GlobalBlockCount();
    ProjectionTag source = EmptyTag();
    ASSERT_EQ(ProjMan_LoadProjection("recording.so", &source), 1);
    source.StringBasedSetup(source.hInstanceData, "zone 7");
    source.baseUnit = 8;
    ProjectionTag copy = EmptyTag();
    EXPECT_EQ(ProjMan_CopyProjection(&copy, &source), 1);
    ASSERT_NE(copy.hLib, 0u);
    EXPECT_NE(copy.hInstanceData, source.hInstanceData);
    EXPECT_STREQ(ReadState(copy).text, "zone 7");
    EXPECT_EQ(copy.baseUnit, 8);
    ProjMan_FreeProjection(&source);
    MAP_COORDPT p{0, 0};
    EXPECT_EQ(copy.Forward(copy.hInstanceData, &p, &p, 1), 1); // still loaded
    // Copying an empty record frees the destination's module, copies units.
    ProjectionTag empty = EmptyTag();
    empty.baseUnit = 3;
    EXPECT_EQ(ProjMan_CopyProjection(&copy, &empty), 1);
    EXPECT_EQ(copy.hLib, 0u);
    EXPECT_EQ(copy.baseUnit, 3);
    EXPECT_EQ(GlobalBlockCount(), blocksBefore); // every state block was freed
}

TEST(ProjectionManager, CopyReloadsByNameAndNeverByACutPath)
{
    ModuleSandbox sandbox;
    sandbox.Register("t", "tm.so");
    // A modules folder so deep that "tm.so" in it is cut to ".../tm" by a
    // 199-character path, with another module planted at that cut path.
    const std::string base = std::filesystem::canonical(sandbox.modulesFolder()).string() + "/";
    const std::string folder = base + std::string(197 - base.size() - 1, 'd') + "/";
    ASSERT_EQ(folder.size(), 197u);
    std::filesystem::create_directory(folder);
    std::filesystem::create_symlink(std::string(MAP_MODULES_DIR) + "/tm.so", folder + "tm.so");
    std::filesystem::create_symlink(std::string(MAP_TEST_MODULES_DIR) + "/recording.so",
                                    (folder + "tm.so").substr(0, 199));
    setenv("MAP_MODULES_DIR", folder.c_str(), 1);

    ProjectionTag source = EmptyTag();
    ASSERT_EQ(ProjMan_LoadProjection("tm.so", &source), 1);
    EXPECT_EQ(ProjectionModuleFileName(&source), "tm.so");
    ASSERT_EQ(source.StringBasedSetup(source.hInstanceData, "UTM 33N"), 1);
    ProjectionTag copy = EmptyTag();
    ASSERT_EQ(ProjMan_CopyProjection(&copy, &source), 1);
    char name[100] = {};
    ASSERT_EQ(ProjMan_Identify(&copy, name, sizeof name), 1);
    EXPECT_STREQ(name, "Transverse Mercator (UTM, BNG, ITM)");
    tagProjInfo info{};
    ASSERT_EQ(ProjMan_GetProjInfo(&copy, &info), 1);
    EXPECT_STREQ(info.text, "UTM 33N"); // the state came along
    ProjMan_FreeProjection(&copy);

    // A module taken out of the list since it was loaded is not copied: the
    // copy fails and the destination keeps what it had.
    sandbox.Register("t", "other.so");
    ProjectionTag kept = EmptyTag();
    kept.baseUnit = 3;
    EXPECT_EQ(ProjMan_CopyProjection(&kept, &source), 0);
    EXPECT_EQ(kept.hLib, 0u);
    EXPECT_EQ(kept.baseUnit, source.baseUnit); // the units are copied in every case
    EXPECT_TRUE(sandbox.boxes.empty());
    ProjMan_FreeProjection(&source);
}
