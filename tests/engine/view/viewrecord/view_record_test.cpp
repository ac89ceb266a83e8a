#include "engine/view/viewrecord/presentation_manager.h"
#include "tests/engine/view/viewrecord/view_support.h"
#include "platform/window.h"

#include <cstring>

TEST(ViewRecord, ConstructsWithItsDefaults)
{
    ScopedView v;
    EXPECT_EQ(v->scale, 1.0);
    EXPECT_EQ(v->inverseScale, 1.0);
    EXPECT_EQ(PM_GetRadius(v.get()), 3);
    EXPECT_EQ(v->screenWidthMm, 274);
    EXPECT_EQ(v->screenHeightMm, 206);
    EXPECT_EQ(v->hScrollRange, 1024);
    EXPECT_EQ(v->vScrollPos, 512);
    EXPECT_EQ(v->resizeMode, 2);
    EXPECT_EQ(v->clipFlag, 1);
    EXPECT_TRUE(WorldRectIsEmpty(&v->worldRect));
    EXPECT_EQ(v->projection.areaUnit, 20);
    EXPECT_EQ(v->projection.lengthUnit, 5);
    EXPECT_EQ(v->projection.baseUnit, 4);
    EXPECT_EQ(v->worldPoints.itemSize, 8u);
    EXPECT_EQ(v->pointCodes.itemSize, 1u);
    EXPECT_EQ(v->pointCodes.growBy, 20u);
}

TEST(ViewRecord, InitStructWithoutProjectionRoundTrips)
{
    ModuleSandbox sandbox;
    ScopedView v;
    v->projection.baseUnit = 3;
    PM_InitStructTag init;
    std::memset(&init, 0x55, sizeof init);
    EXPECT_EQ(PM_GetInitStruct(v.get(), &init), 1);
    EXPECT_EQ(init.baseUnit, 3);
    EXPECT_EQ(init.lengthUnit, 5);
    EXPECT_EQ(init.modulePath[0], 0);
    EXPECT_EQ(init.parameterText[0], 0);
    ScopedView w;
    EXPECT_EQ(PM_InitFromInitStruct(w.get(), &init), 1);
    EXPECT_EQ(w->projection.hLib, 0u);
    EXPECT_EQ(w->projection.baseUnit, 3);
}

TEST(ViewRecord, InitStructWithModuleRoundTrips)
{
    ModuleSandbox sandbox;
    sandbox.Register("tm", "tm.so");
    ScopedView v;
    ASSERT_TRUE(MakeProjected(v.get(), "UTM 33N"));
    PM_InitStructTag init{};
    PM_GetInitStruct(v.get(), &init);
    EXPECT_STREQ(init.parameterText, "UTM 33N");
    EXPECT_EQ(std::string(init.modulePath),
              std::filesystem::canonical(sandbox.modulesFolder() + "tm.so").string());
    EXPECT_EQ(init.baseUnit, 8);
    ScopedView w;
    EXPECT_EQ(PM_InitFromInitStruct(w.get(), &init), 1);
    PM_InitStructTag again{};
    PM_GetInitStruct(w.get(), &again);
    EXPECT_EQ(std::memcmp(&init, &again, sizeof init), 0);
    EXPECT_TRUE(sandbox.boxes.empty());
}

TEST(ViewRecord, MissingSavedModuleIsNamedAndKeptForTheNextSave)
{
    ModuleSandbox sandbox; // nothing registered
    ScopedView v;
    PM_InitStructTag saved{};
    saved.baseKind = CS_CARTESIAN;
    saved.baseUnit = 3;
    saved.transformedKind = CS_SPHERIC;
    saved.transformedUnit = 6;
    std::strcpy(saved.modulePath, "C:\\Gorm\\osgb.dll");
    std::strcpy(saved.parameterText, "zone=30");
    EXPECT_EQ(PM_InitFromInitStruct(v.get(), &saved), 0);
    EXPECT_EQ(v->projection.hLib, 0u);
    EXPECT_EQ(v->projection.baseUnit, 3); // the saved units stay
    ASSERT_EQ(sandbox.boxes.size(), 1u);
    EXPECT_NE(sandbox.boxes[0].text.find("\"osgb.dll\""), std::string::npos);
    PM_InitStructTag written;
    std::memset(&written, 0x11, sizeof written);
    PM_GetInitStruct(v.get(), &written);
    EXPECT_EQ(std::memcmp(&written, &saved, sizeof saved), 0);
    PM_ForgetPendingProjection(v.get());
    PM_GetInitStruct(v.get(), &written);
    EXPECT_EQ(written.modulePath[0], 0);
}

TEST(ViewRecord, Version4UnitsAreRenumbered)
{
    ModuleSandbox sandbox;
    ScopedView v;
    PM_InitFromVer4Values(v.get(), CS_CARTESIAN, 0, CS_SPHERIC, 3, 7, 8, "", "");
    EXPECT_EQ(v->projection.baseUnit, 6);
    EXPECT_EQ(v->projection.transformedUnit, 1);
    EXPECT_EQ(v->projection.areaUnit, 5);
    EXPECT_EQ(v->projection.lengthUnit, 9);
    EXPECT_EQ(v->projection.baseDatum, 0);
    PM_InitFromVer4Values(v.get(), CS_CARTESIAN, -1, CS_SPHERIC, 2, 20, 4, "", "");
    EXPECT_EQ(v->projection.baseUnit, -1);
    EXPECT_EQ(v->projection.transformedUnit, 8);
    EXPECT_EQ(v->projection.areaUnit, 21);
    EXPECT_EQ(v->projection.lengthUnit, 2);
}

TEST(ViewRecord, ProjectionFromALongModulesFolderIsStoredByName)
{
    ModuleSandbox sandbox;
    sandbox.Register("tm", "tm.so");
    // A copy of the module in a folder whose path does not fit the stored
    // field: the view stores the module's bare name, which loads again.
    std::string deep = sandbox.modulesFolder();
    while (deep.size() < 300)
        deep += "a-rather-long-folder-name/";
    std::filesystem::create_directories(deep);
    std::filesystem::copy_file(std::filesystem::canonical(sandbox.modulesFolder() + "tm.so"), deep + "tm.so");
    setenv("MAP_MODULES_DIR", deep.c_str(), 1);
    ScopedView v;
    ASSERT_TRUE(MakeProjected(v.get(), "UTM 33N"));
    PM_InitStructTag init{};
    ASSERT_EQ(PM_GetInitStruct(v.get(), &init), 1);
    EXPECT_STREQ(init.modulePath, "tm.so");
    ScopedView w;
    EXPECT_EQ(PM_InitFromInitStruct(w.get(), &init), 1);
    EXPECT_NE(w->projection.hLib, 0u);
    EXPECT_TRUE(sandbox.boxes.empty()) << "no warning";
}

TEST(ViewRecord, CopyIsIndependentOfItsSource)
{
    ModuleSandbox sandbox;
    sandbox.Register("tm", "tm.so");
    ScopedView v;
    ASSERT_TRUE(MakeProjected(v.get(), "BNG"));
    MAP_COORDPT p{0, 0};
    BufferSetDataItem(&v->worldPoints, &p);
    {
        PresentationManager copy;
        EXPECT_EQ(PM_Copy(&copy, v.get()), 1);
        EXPECT_NE(copy.projection.hInstanceData, v->projection.hInstanceData);
        EXPECT_EQ(copy.worldPoints.handle, 0u);
        PM_Destructor(&copy);
    }
    EXPECT_NE(v->worldPoints.handle, 0u);
    const MAP_COORDPT london{-142 * 3600, 51501 * 3600};
    MAP_COORDPT grid;
    EXPECT_EQ(v->projection.Forward(v->projection.hInstanceData, &london, &grid, 1), 1);
}

TEST(ViewRecord, CopyFailsWhenTheModuleIsGone)
{
    ModuleSandbox sandbox;
    sandbox.Register("tm", "tm.so");
    ScopedView v;
    ASSERT_TRUE(MakeProjected(v.get(), "BNG"));
    std::filesystem::remove(sandbox.modulesFolder() + "tm.so");
    PresentationManager copy;
    EXPECT_EQ(PM_Copy(&copy, v.get()), 0);
    EXPECT_EQ(copy.projection.hLib, 0u) << "the copy has no projection";
    PM_Destructor(&copy);
}

TEST(ViewRecord, ErasedRectangleCollectsInvalidations)
{
    ScopedView v;
    const HWND w = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    SetClientSize(w, 100, 100);
    const RECT a{10, 10, 20, 20}, b{30, 5, 40, 15};
    PM_InvalidateRect(v.get(), w, &a, 0);
    EXPECT_EQ(v->erasedFlag, 1);
    PM_InvalidateRect(v.get(), w, &b, 0);
    EXPECT_EQ(v->erasedRect.left, 10);
    EXPECT_EQ(v->erasedRect.top, 5);
    EXPECT_EQ(v->erasedRect.right, 40);
    EXPECT_EQ(v->erasedRect.bottom, 20);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(w, &update, FALSE));
    PM_InitErasedRect(v.get());
    EXPECT_EQ(v->erasedFlag, 0);
    EXPECT_EQ(v->erasedRect.right, 0);
    DestroyWindow(w);
}
