#include "docmodel_fixture.h"
#include "engine/kernel/selection_measures.h"
#include "engine/kernel/unimplemented.h"

#include <cstddef>

namespace {

using docmodeltest::DocModelTest;

class SelectionMeasures : public DocModelTest {
protected:
    void SetUp() override
    {
        DocModelTest::SetUp();
        record.displayView = view;
    }
    void TearDown() override
    {
        record.displayView = nullptr;
        DocModelTest::TearDown();
    }

    OBJHANDLE square(int32_t side)
    {
        const OBJHANDLE h = makePointSet(CLASS_POLYGON, {{0, 0}, {side, 0}, {side, side}, {0, side}});
        putOn(layer0, h);
        return h;
    }
    // An object measured by its bound rectangle.
    OBJHANDLE legend(const _COORDRECT &r)
    {
        const OBJHANDLE h = CreateOBJect(kernel, CLASS_LEGEND);
        SendOBJectMessage(kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
        putOn(layer0, h);
        return h;
    }

    // The kernel only asks whether the window has its view record; it never
    // reads the record, which lives on a floor above.
    std::max_align_t viewStandIn{};
    PresentationManager *view = reinterpret_cast<PresentationManager *>(&viewStandIn);
};

TEST_F(SelectionMeasures, SelectingAndDeselectingFollowTheSwitches)
{
    struct Case {
        int32_t areaOn, lengthOn;
        double area, length; // after selecting the square of side 10
    };
    const Case cases[] = {{1, 1, 100, 40}, {1, 0, 100, 0}, {0, 1, 0, 40}, {0, 0, 0, 0}};
    for (const Case &c : cases) {
        const OBJHANDLE s = square(10);
        record.calcSelArea = c.areaOn;
        record.calcSelLength = c.lengthOn;
        record.selArea = record.selLength = 0;
        const uint32_t changes = ChangeCounterValue();
        AddToSelectionWithoutRemoving(kernel, selList, s);
        EXPECT_DOUBLE_EQ(record.selArea, c.area) << c.areaOn << c.lengthOn;
        EXPECT_DOUBLE_EQ(record.selLength, c.length) << c.areaOn << c.lengthOn;
        EXPECT_GT(ChangeCounterValue(), changes) << "every selection change is counted";
        RemoveReference(kernel, selList, REF_SELECTED, s);
        EXPECT_EQ(record.selArea, 0.0);
        EXPECT_EQ(record.selLength, 0.0);
    }
}

TEST_F(SelectionMeasures, AddAnswersAndBadArguments)
{
    const OBJHANDLE s = square(10);
    record.calcSelArea = 1;
    record.calcSelLength = 1;
    EXPECT_EQ(SelectionAreaAdd(kernel, window, s, 1), 1);
    EXPECT_EQ(SelectionLengthAdd(kernel, window, s, 1), 1);
    EXPECT_EQ(SelectionAreaAdd(kernel, window, s, 0), 1);
    EXPECT_DOUBLE_EQ(record.selArea, 0.0);
    EXPECT_DOUBLE_EQ(record.selLength, 40.0);
    EXPECT_EQ(SelectionAreaAdd(kernel, 0, s, 1), 0);
    EXPECT_EQ(SelectionAreaAdd(kernel, window, 0, 1), 0);
    EXPECT_EQ(SelectionAreaAdd(nullptr, window, s, 1), 0);
    EXPECT_EQ(SelectionLengthAdd(kernel, target, s, 1), 0) << "a window without a record";
    record.calcSelArea = 0;
    EXPECT_EQ(SelectionAreaAdd(kernel, window, s, 1), 0);
    EXPECT_DOUBLE_EQ(record.selArea, 0.0);
    EXPECT_EQ(SelectionMeasuresUpdate(nullptr, window, selList, s, 1), 0);
    EXPECT_EQ(SelectionMeasuresUpdate(kernel, window, selList, s, 1), 1);
    EXPECT_DOUBLE_EQ(record.selLength, 80.0);
}

TEST_F(SelectionMeasures, RectangleChangesAddTheirAreaIn64Bits)
{
    record.calcSelArea = 1;
    struct Case {
        const char *what;
        _COORDRECT now;
        bool withOld;
        _COORDRECT old;
        double change;
    };
    const Case cases[] = {
        {"10 x 10 grows to 10 x 20", {0, 0, 10, 20}, true, {0, 0, 10, 10}, 100},
        {"no old rectangle: the whole area", {0, 0, 10, 20}, false, {}, 200},
        {"an old rectangle without width counts 0", {0, 0, 10, 20}, true, {5, 0, 5, 10}, 200},
        {"500 m square in centimetres", {0, 0, 50000, 50000}, true, {0, 0, 10, 10}, 2499999900.0},
        {"the widest rectangle", {INT32_MIN, 0, INT32_MAX, 2}, false, {}, 2.0 * 4294967295.0},
    };
    for (const Case &c : cases) {
        const OBJHANDLE h = legend(c.now);
        record.selArea = 0;
        EXPECT_EQ(SelectionAreaRectChanged(kernel, h, c.withOld ? &c.old : nullptr), 1) << c.what;
        EXPECT_EQ(record.selArea, c.change) << c.what;
    }
    // Refused: texts, objects of no window, windows without a view.
    record.selArea = 0;
    const OBJHANDLE text = CreateOBJect(kernel, CLASS_TEXT);
    EXPECT_EQ(SelectionAreaRectChanged(kernel, text, nullptr), 0);
    OBJectKernel *other = KernelNew();
    const OBJHANDLE loose = CreateOBJect(other, CLASS_LEGEND);
    EXPECT_EQ(SelectionAreaRectChanged(other, loose, nullptr), 0);
    KernelDelete(other);
    const OBJHANDLE h = legend({0, 0, 10, 10});
    record.displayView = nullptr;
    EXPECT_EQ(SelectionAreaRectChanged(kernel, h, nullptr), 0);
    record.displayView = view;
    EXPECT_EQ(SelectionAreaRectChanged(kernel, 0, nullptr), 0);
    EXPECT_EQ(record.selArea, 0.0);
}

TEST_F(SelectionMeasures, InvalidatingASelectedObjectAddsItsRectangleChange)
{
    record.calcSelArea = 1;
    const OBJHANDLE h = legend({0, 0, 10, 10});
    AddToSelectionWithoutRemoving(kernel, selList, h);
    EXPECT_DOUBLE_EQ(record.selArea, 100.0);
    const _COORDRECT old{0, 0, 10, 10}, now{0, 0, 10, 20};
    SendOBJectMessage(kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&now));
    const uint32_t changes = ChangeCounterValue();
    SendOBJectMessage(kernel, 0, h, 0, GRM_INVALIDATE, 0, LPARAM(&old));
    EXPECT_DOUBLE_EQ(record.selArea, 200.0);
    EXPECT_GT(ChangeCounterValue(), changes);
    // Point sets report their own changes; objects not selected none.
    const OBJHANDLE s = square(10);
    AddToSelectionWithoutRemoving(kernel, selList, s);
    SendOBJectMessage(kernel, 0, s, 0, GRM_INVALIDATE, 0, LPARAM(&old));
    const OBJHANDLE loose = legend({0, 0, 30, 30});
    SendOBJectMessage(kernel, 0, loose, 0, GRM_INVALIDATE, 0, LPARAM(&old));
    EXPECT_DOUBLE_EQ(record.selArea, 300.0);
    // Measuring off: nothing is added.
    record.calcSelArea = 0;
    SendOBJectMessage(kernel, 0, h, 0, GRM_INVALIDATE, 0, LPARAM(&old));
    EXPECT_DOUBLE_EQ(record.selArea, 300.0);
}

TEST_F(SelectionMeasures, ClearingLeavesExactlyZero)
{
    record.calcSelArea = 1;
    record.calcSelLength = 1;
    // Lengths that doubles do not hold exactly: a running sum that went up
    // and down would not come back to 0 on its own.
    for (int i = 1; i < 8; ++i) {
        const OBJHANDLE line = makePointSet(CLASS_POLYLINE, {{0, 0}, {i, 1}, {3 * i, 7}});
        putOn(layer0, line);
        AddToSelectionWithoutRemoving(kernel, selList, line);
    }
    AddToSelectionWithoutRemoving(kernel, selList, square(3));
    EXPECT_GT(record.selLength, 0.0);
    SelListClear(kernel, selList);
    EXPECT_EQ(record.selArea, 0.0);
    EXPECT_EQ(record.selLength, 0.0);
    EXPECT_EQ(record.calcSelArea, 1) << "the switches come back";
    EXPECT_EQ(record.calcSelLength, 1);
    SelectionMeasuresClear(0); // no window: nothing to do
}

} // namespace
