// A map window attached with its page, whose view measures in
// centimetres, and page setups built over it.
#pragma once

#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/page.h"
#include "engine/window/page_setup/page_set.h"
#include "platform/global_memory.h"
#include "platform/printers.h"
#include "tests/engine/window/window_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

inline constexpr int32_t kUnitCentimetre = 3;
inline constexpr int32_t kUnitDegreeTenthSecond = 6;

class PageSetTest : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        // The window takes its page from the printers there are when its
        // record is made: none, unless a test names some.
        SetFakePrinters(printers());
        AttachedMapWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        rec.displayView->projection.transformedUnit = kUnitCentimetre;
    }
    void TearDown() override
    {
        AttachedMapWindowTest::TearDown();
        SetFakePrinters(std::nullopt);
    }
    virtual std::vector<FakePrinter> printers() const { return {}; }

    std::unique_ptr<CPageSet> makeSet(int undo = 0, int save = 0)
    {
        auto set = std::make_unique<CPageSet>(&rec, undo, 0, save);
        EXPECT_FALSE(set->Failed());
        return set;
    }

    // The window's block as it is now.
    VPSetup block() const
    {
        VPSetup s{};
        const void *p = GlobalLock(rec.pageSetup);
        std::memcpy(&s, p, sizeof s);
        GlobalUnlock(rec.pageSetup);
        return s;
    }
    void setBlock(const VPSetup &s)
    {
        void *p = GlobalLock(rec.pageSetup);
        std::memcpy(p, &s, sizeof s);
        GlobalUnlock(rec.pageSetup);
    }
    // A4 portrait (2100 x 2970) as a custom paper, margins 127.
    static VPSetup a4Custom()
    {
        VPSetup s{};
        std::strcpy(s.paperName, "Custom Size...");
        s.paperWidth = 2100;
        s.paperHeight = 2970;
        s.leftMargin = s.topMargin = s.rightMargin = s.bottomMargin = 127;
        s.paperNumber = 256;
        s.orientation = 1;
        return s;
    }

    PageRecord pageObject() const
    {
        PageRecord r{};
        EXPECT_TRUE(PageRead(rec.kernel, PageGetFromWindow(window), &r));
        return r;
    }
};
