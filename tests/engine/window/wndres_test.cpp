#include "engine/window/wndres.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/settings.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/map_notifications.h"
#include "platform/registry.h"
#include "tests/support/temp_settings.h"
#include "window_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string settingText(const char *name)
{
    char buf[64] = {};
    return m_RegValueGet("Settings", name, buf, sizeof buf) ? buf : std::string("<missing>");
}

int settingDword(const char *name)
{
    int v = -12345;
    return m_RegValueGet("Settings", name, &v) ? v : -12345;
}

using WindowRecord = MapWindowTest;

TEST_F(WindowRecord, FreshRecordHasItsDefaultsUntilAttached)
{
    EXPECT_EQ(rec.showSelectedNodes, 1);
    EXPECT_EQ(rec.undoEnabled, 1);
    EXPECT_EQ(rec.rasterLimit, 8);
    EXPECT_EQ(rec.rasterKeep, 3);
    EXPECT_EQ(rec.selLineColor, 0u);
    EXPECT_EQ(rec.selLineWidth, 0);
    EXPECT_EQ(rec.hWnd, 0u);
    EXPECT_EQ(rec.gui, nullptr);
    ASSERT_NE(rec.kernel, nullptr);
    EXPECT_EQ(GetOBJectClassID(rec.kernel, rec.rootObject), CLASS_ALLOBJECTS);
    EXPECT_EQ(rec.decimalChar, '.');
    EXPECT_EQ(rec.thousandChar, ' ');
    ASSERT_NE(rec.displayView, nullptr);
    EXPECT_EQ(rec.displayView->screenWidthMm, 274);
    EXPECT_EQ(GetWndRes(window), nullptr) << "not attached yet";
}

TEST_F(WindowRecord, AttachingWritesTheMissingDefaults)
{
    attach();
    EXPECT_EQ(GetWndRes(window), &rec);
    EXPECT_EQ(settingDword("Calculate area of selected objects"), 1);
    EXPECT_EQ(settingDword("Calculate length of selected objects"), 1);
    EXPECT_EQ(settingDword("MGRS - Number Digits"), 3);
    EXPECT_EQ(settingDword("MGRS - UTM Zone"), 32);
    EXPECT_EQ(settingText("Display Size X"), "274 mm");
    EXPECT_EQ(settingText("Display Size Y"), "206 mm");
    EXPECT_EQ(settingDword("Selected Line Color"), -12345) << "left absent";
    EXPECT_EQ(rec.selLineColor, 255u);
    EXPECT_EQ(rec.selLineStyle, 1);
    EXPECT_EQ(rec.selLineWidth, 2);
    ASSERT_NE(rec.gui, nullptr);
    EXPECT_EQ(rec.gui->pickRadius, 2);
    EXPECT_EQ(rec.gui->displayOptions, 13);
    EXPECT_EQ(rec.gui->noSelectionCursor, 0);

    HWND other = CreateHeadlessWindow(nullptr);
    EXPECT_EQ(WndRes_AttachToWindow(&rec, other, 0), 0) << "a second attach is refused";
    EXPECT_EQ(rec.hWnd, window);
    EXPECT_EQ(GetWndRes(other), nullptr);
    DestroyWindow(other);
}

TEST_F(WindowRecord, SettingsAreReadAndRepaired)
{
    struct Case {
        const char *stored;
        int32_t width;
        const char *after;
    } cases[] = {
        {"29 mm", 274, "274 mm"},
        {"500", 500, "500 mm"},
        {"10000000 mm", 10000000, "10000000 mm"},
        {"abc", 274, "274 mm"},
    };
    attach();
    for (const Case &c : cases) {
        ASSERT_EQ(m_RegValueSet("Settings", "Display Size X", c.stored), 1);
        WndResLoadDisplaySize(&rec);
        EXPECT_EQ(rec.displayView->screenWidthMm, c.width) << c.stored;
        EXPECT_EQ(settingText("Display Size X"), c.after) << c.stored;
    }
    ASSERT_EQ(m_RegValueSet("Settings", "Selected Line Ending", -1), 1);
    ASSERT_EQ(m_RegValueSet("Settings", "Selected Line Corner", 1), 1);
    ASSERT_EQ(m_RegValueSet("Settings", "Change Selection Cursor", 0), 1);
    ASSERT_EQ(m_RegValueSet("Settings", "Selected Line Color", "red"), 1); // wrong type
    WndRes_InitFromRegistry(&rec, 1);
    EXPECT_EQ(rec.selLineFlags, 0x02) << "the ending test is signed";
    EXPECT_EQ(rec.gui->noSelectionCursor, 1);
    EXPECT_EQ(rec.selLineColor, 255u) << "a value of another type keeps the default";
}

TEST_F(WindowRecord, RootsByClassAndTreeFlags)
{
    const OBJHANDLE layers = GetRootOBJKern(rec.kernel, rec.rootObject, CLASS_LAYERS);
    ASSERT_NE(layers, 0u);
    EXPECT_EQ(GetRootOBJKern(rec.kernel, rec.rootObject, 0x1234 | 0x1000), layers);
    EXPECT_EQ(GetOBJectClassID(rec.kernel, GetRootOBJKern(rec.kernel, rec.rootObject, 0x2000)), CLASS_GROUPS);
    EXPECT_EQ(GetRootOBJKern(rec.kernel, rec.rootObject, CLASS_ALLOBJECTS), rec.rootObject);
    EXPECT_EQ(GetRootOBJKern(rec.kernel, rec.rootObject, 0x0123), 0u);
    EXPECT_EQ(GetRootOBJKern(rec.kernel, 0, CLASS_LAYERS), 0u);
    EXPECT_EQ(GetRootOBJKern(nullptr, rec.rootObject, CLASS_LAYERS), 0u);
}

TEST_F(WindowRecord, VertexBitmapIsBoundedByTheClientArea)
{
    attach();
    RECT client{0, 0, 0, 0};
    GetClientRect(window, &client);
    PM_OnWndSize(rec.displayView, window, 0, &client);
    ASSERT_NE(rec.vertexBits, nullptr);
    EXPECT_EQ(rec.vertexStride, (400 + 7) / 8);
    EXPECT_EQ(rec.vertexSize, uint32_t((300 + 1) * ((400 + 7) / 8)));
    struct Case {
        int x, y, inside;
    } cases[] = {
        {0, 0, 1},  {399, 299, 1}, {399, 300, 1}, {400, 0, 0},
        {-1, 5, 0}, {5, -1, 0},    {0, 301, 0},   {100000, 100000, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(VertexBitmapMark(&rec, c.x, c.y), c.inside) << c.x << "," << c.y;
        EXPECT_EQ(VertexBitmapTest(&rec, c.x, c.y), c.inside) << c.x << "," << c.y;
    }
}

TEST_F(WindowRecord, NotificationTargetIsPackedOnReplacement)
{
    attach();
    const HWND t1 = 0x12345, t2 = 7;
    EXPECT_EQ(map_notification_Set(window, t1, 0x8000), 0u);
    EXPECT_EQ(map_notification_Set(window, t2, 0x8001), 0x8000u * 65536 + (t1 & 0xFFFF));
    EXPECT_EQ(rec.notifyWnd, t2);
    EXPECT_EQ(rec.notifyMsg, 0x8001u);
}

TEST(WindowRecordBadInput, WindowsWithoutARecordFail)
{
    TempSettingsFolders folders;
    HWND bare = CreateHeadlessWindow(nullptr);
    HWND foreign = CreateHeadlessWindow(nullptr);
    _WNDRES detached;
    SetWindowLongPtrA(foreign, GWLP_USERDATA, reinterpret_cast<intptr_t>(&detached)); // hWnd does not match
    for (HWND w : {HWND(0), bare, foreign, HWND(0xFFFFFFF0)}) {
        EXPECT_EQ(GetWndRes(w), nullptr) << w;
        EXPECT_EQ(map_notification_Set(w, 5, 6), 0u) << w;
    }
    EXPECT_EQ(WndRes_Constructor(nullptr), 0);
    EXPECT_EQ(WndRes_Destructor(nullptr), 0);
    EXPECT_EQ(WndRes_InitFromRegistry(nullptr, 1), 0);
    _WNDRES rec;
    ASSERT_EQ(WndRes_Constructor(&rec), 1);
    EXPECT_EQ(WndRes_AttachToWindow(&rec, 0, 0), 0);
    EXPECT_EQ(WndRes_AttachToWindow(&rec, 0xFFFFFFF0, 0), 0) << "not a window";
    EXPECT_EQ(VertexBitmapMark(&rec, 0, 0), 0) << "no bitmap before the first size";
    WndRes_Destructor(&rec);
    DestroyWindow(bare);
    DestroyWindow(foreign);
}

} // namespace
