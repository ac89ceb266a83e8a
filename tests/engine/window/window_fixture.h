// A map window for window-level tests: the engine's class table, a window
// record with a new document, and a headless window of 400 x 300 pixels
// with its own registry and profile folders.
#pragma once

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/object_classes.h"
#include "engine/window/wndres.h"
#include "platform/window.h"
#include "tests/support/temp_settings.h"

#include <gtest/gtest.h>

class MapWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearClassTable();
        ASSERT_EQ(InitGraphClasses(0), 1);
        ASSERT_EQ(WndRes_Constructor(&rec), 1);
        window = CreateHeadlessWindow(nullptr);
        SetClientSize(window, 400, 300);
    }
    void TearDown() override
    {
        WndRes_Destructor(&rec);
        DestroyWindow(window);
    }

    // As the control attaches: with the page.
    void attach() { ASSERT_EQ(WndRes_AttachToWindow(&rec, window, 1), 1); }

    TempSettingsFolders folders;
    _WNDRES rec;
    HWND window = 0;
};

// The same, attached to its window from the start.
class AttachedMapWindowTest : public MapWindowTest {
protected:
    void SetUp() override
    {
        MapWindowTest::SetUp();
        if (!HasFatalFailure())
            attach();
    }
};
