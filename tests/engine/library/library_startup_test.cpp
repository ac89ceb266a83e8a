// libmap.so runs its start-up when it is loaded, before main.
#include "engine/map.h"
#include "platform/module.h"
#include "platform/resources.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EngineLibrary, StartedWhenLoaded)
{
    const HINSTANCE instance = MapInstance();
    ASSERT_NE(instance, 0u) << "the library's own module";
    char path[1024];
    ASSERT_GT(GetModuleFileNameA(instance, path, sizeof path), 0u);
    EXPECT_TRUE(std::string(path).ends_with("/libmap.so")) << path;
    EXPECT_EQ(GormModule(), instance) << "the engine's profile is the library's";
    EXPECT_EQ(ModuleResourceFolder(instance), ":/resources/map");

    EXPECT_EQ(IsClassRegistered(GraphClassTable()[0].id), 1) << "classes registered before any kernel";
    char text[64];
    EXPECT_EQ(LoadStringMap(798, text, sizeof text), 32);
    EXPECT_STREQ(text, "Browsing the initialization file");
    EXPECT_NE(GetGDIObject(22), 0u);
    EXPECT_NE(MarkerBitmap(4), 0u);
    EXPECT_EQ(MapLibraryStartup(), 1) << "starting again changes nothing";
    EXPECT_EQ(MapInstance(), instance);
}

} // namespace
