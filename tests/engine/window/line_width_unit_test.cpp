#include "engine/window/line_width_unit.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/window_record.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "platform/window.h"
#include "window_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using LineWidthUnit = AttachedMapWindowTest;

TEST_F(LineWidthUnit, PixelsViewUnitAndFallbacks)
{

    LineWidthUnitRecord r;
    std::strcpy(r.text, "old");
    EXPECT_EQ(LineWidthUnitText(&r, 0, window, 0), 1);
    EXPECT_STREQ(r.text, " pix");

    // The view's world unit: its short name, else its long name.
    const int unit = rec.displayView->projection.transformedUnit;
    char shortName[100] = {}, longName[100] = {};
    UnitStringGet(unit, 1, shortName, sizeof shortName);
    UnitStringGet(unit, 0, longName, sizeof longName);
    ASSERT_TRUE(shortName[0] || longName[0]) << "the default unit has a name";
    EXPECT_EQ(LineWidthUnitText(&r, 0, window, 1), 1);
    EXPECT_STREQ(r.text, shortName[0] ? shortName : longName);
    EXPECT_EQ(LineWidthUnitString(0, window, 1), r.text);

    rec.displayView->projection.transformedUnit = 9999; // not a unit
    std::strcpy(r.text, "kept");
    EXPECT_EQ(LineWidthUnitText(&r, 0, window, 1), 0);
    EXPECT_STREQ(r.text, "kept");
    EXPECT_EQ(LineWidthUnitString(0, window, 1), " m");

    EXPECT_EQ(LineWidthUnitString(0, 0, 1), " m") << "no window, no view";
    EXPECT_EQ(LineWidthUnitText(nullptr, 0, window, 0), 0);
}

} // namespace
