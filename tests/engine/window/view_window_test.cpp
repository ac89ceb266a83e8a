#include "engine/window/view_window.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/page.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "window_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

class ViewWindow : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        AttachedMapWindowTest::SetUp();
        view = rec.displayView;
    }

    PresentationManager *view = nullptr;
};

TEST_F(ViewWindow, Version4UnitsAreRenumbered)
{
    // A missing module is reported, not fatal: the values still land.
    auto old = SetMessageBoxHook([](const MessageBoxRequest &) { return IDOK; });
    struct Case {
        int given, stored;
    } cases[] = {{0, 6}, {2, 8}, {3, 1}, {7, 5}, {8, 9}, {-1, -1}};
    for (const Case &c : cases) {
        EXPECT_EQ(PM_InitFromVer4(window, 3, c.given, 3, c.given, c.given, c.given, "", ""), 1);
        EXPECT_EQ(view->projection.baseUnit, c.stored) << c.given;
        EXPECT_EQ(view->projection.transformedUnit, c.stored) << c.given;
        EXPECT_EQ(view->projection.areaUnit, c.stored) << c.given;
        EXPECT_EQ(view->projection.lengthUnit, c.stored) << c.given;
    }
    SetMessageBoxHook(std::move(old));
    EXPECT_EQ(PM_InitFromVer4(0, 3, 0, 3, 0, 0, 0, "", ""), 0);
}

TEST_F(ViewWindow, ErasedBackgroundIsRecordedAndInvalidated)
{
    ValidateRect(window, nullptr);
    PM_InitErasedRect(view);
    const RECT a{10, 10, 20, 20}, b{50, 5, 60, 15};
    EXPECT_EQ(PM_EraseBackground(window, &a), 1);
    EXPECT_EQ(PM_EraseBackground(window, &b), 1);
    EXPECT_EQ(view->erasedFlag, 1);
    EXPECT_EQ(view->erasedRect.left, 10);
    EXPECT_EQ(view->erasedRect.top, 5);
    EXPECT_EQ(view->erasedRect.right, 60);
    EXPECT_EQ(view->erasedRect.bottom, 20);
    RECT update{};
    ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(update.right, 60);
    EXPECT_EQ(PM_EraseBackground(window, nullptr), 0);
    EXPECT_EQ(PM_EraseBackground(0, &a), 0);
}

TEST_F(ViewWindow, DistanceSearchOnAPlainView)
{
    _COORDPT end{100, 0};
    ASSERT_EQ(ScaleSetFindPointInDistance(window, {0, 0}, &end, 1000.0), 1);
    EXPECT_NEAR(end.x, 1000, 1) << "without a projection the ground length is the plane length";
    EXPECT_EQ(end.y, 0);
    EXPECT_EQ(ScaleSetFindPointInDistance(0, {0, 0}, &end, 1.0), 0);
    EXPECT_EQ(ScaleSetFindPointInDistance(window, {0, 0}, nullptr, 1.0), 0);
}

TEST_F(ViewWindow, MeasuresUseTheWindowsDecimalCharacter)
{
    const int metre = 4;
    ASSERT_NE(FindUnitInfo(metre), nullptr);
    view->projection.baseUnit = metre;
    view->projection.transformedUnit = metre;
    char text[200];
    rec.decimalChar = ',';
    ASSERT_EQ(PM_MeasureToText(window, view, metre, 123.45, text), 1);
    EXPECT_NE(std::string(text).find("123,45"), std::string::npos) << text;
    rec.decimalChar = '.';
    ASSERT_EQ(PM_MeasureToText(window, view, metre, 123.45, text), 1);
    EXPECT_NE(std::string(text).find("123.45"), std::string::npos) << text;
    EXPECT_EQ(PM_MeasureToText(window, view, 9999, 1.0, text), 0);
}

TEST_F(ViewWindow, PrintingNeedsAPage)
{
    const RECT target{0, 0, 1000, 1000};
    int count = -1;
    EXPECT_EQ(PM_SetForPrint(rec.printView, window, &target, nullptr, nullptr), 1);
    // Taken off its layer, the page is no longer the window's.
    const OBJHANDLE page = PageGetFromWindow(window);
    ASSERT_NE(RemoveReference(rec.kernel, GetPageLayer(window), REF_LAYER_MEMBER, page), OBJ_INVALID);
    ASSERT_EQ(PageGetFromWindow(window), 0u);
    EXPECT_EQ(PM_SetForPrint(rec.printView, window, &target, nullptr, nullptr), 0);
    EXPECT_EQ(PM_SetForMultiPagePrint(rec.printView, window, &target, &target, nullptr, 1, &count), 0);
    EXPECT_EQ(count, -1);
}

} // namespace
