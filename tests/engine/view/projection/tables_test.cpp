#include "engine/view/projection/datum_table.h"
#include "engine/view/projection/unit_table.h"

#include <gtest/gtest.h>

#include <string>

TEST(UnitTable, LooksUpEveryIdAndOnlyThose)
{
    for (int id : {0, 32, -1, 1000})
        EXPECT_EQ(FindUnitInfo(id), nullptr) << id;
    int count = 0;
    for (const tagUnitInfo *u = GetPtrUnitInfo(); u->id != -1; ++u, ++count) {
        EXPECT_EQ(u->id, count + 1);
        EXPECT_EQ(FindUnitInfo(u->id), u);
        EXPECT_TRUE(u->kind == 1 || u->kind == 2 || u->kind == 4 || u->kind == 8);
    }
    EXPECT_EQ(count, 31);
    ASSERT_NE(FindUnitInfo(31), nullptr);
    char name[20];
    UnitStringGet(31, 0, name, sizeof name);
    EXPECT_STREQ(name, "Tonder");
}

TEST(UnitTable, ConvertsThroughItsFactors)
{
    EXPECT_DOUBLE_EQ(1.0 * FindUnitInfo(21)->factor, 1.0); // square HI English converts like m²
    EXPECT_DOUBLE_EQ(1.0 * FindUnitInfo(1)->factor, 10000.0);
    EXPECT_DOUBLE_EQ(FindUnitInfo(16)->factor, FindUnitInfo(1)->factor * FindUnitInfo(1)->factor);
    EXPECT_NEAR(0.3048 * FindUnitInfo(12)->factor, 1.0, 1e-12); // a foot
    EXPECT_NEAR(0.0254 * FindUnitInfo(11)->factor, 1.0, 1e-12); // an inch
}

TEST(UnitTable, NamesAsShown)
{
    struct Case {
        int id;
        int shortFlag;
        int result;
        const char *text;
    } cases[] = {
        {6, 0, 1, "1/10  Second"}, {7, 1, 1, ""},         {2, 0, 1, "millimetre"}, {15, 1, 1, " ml"},
        {20, 1, 1, " km\xB2"},     {9, 1, 1, " HI inch"}, {40, 0, 0, "unchanged"}, {0, 1, 0, "unchanged"},
    };
    for (const Case &c : cases) {
        char buffer[32] = "unchanged";
        EXPECT_EQ(UnitStringGet(c.id, c.shortFlag, buffer, sizeof buffer), c.result) << c.id;
        EXPECT_STREQ(buffer, c.text) << c.id;
        char again[32] = "unchanged";
        EXPECT_EQ(UnitStringGet2(c.id, c.shortFlag, again, sizeof again), c.result);
    }
    char small[4];
    EXPECT_EQ(UnitStringGet(4, 0, small, sizeof small), 1);
    EXPECT_STREQ(small, "met"); // cut to fit with its terminating zero
}

TEST(DatumTable, FindsRowsByExactName)
{
    EXPECT_EQ(DatumIDGet("WGS-84"), 116);
    EXPECT_EQ(DatumIDGet("wgs-84"), -1);
    EXPECT_EQ(DatumIDGet("<None>"), 0);
    EXPECT_EQ(DatumIDGet(""), 119);
    EXPECT_EQ(DatumIDGet("Finnish_Nautical_Chart"), 43);
    EXPECT_EQ(DatumIDGet("Astro_Beacon_\"E\""), 11);
    EXPECT_EQ(DatumIDGet(nullptr), -1);
    const DatumInfo *t = DatumTable();
    EXPECT_STREQ(t[87].name, "Ordnance_Survey_of_Gr._Britain_'36");
    EXPECT_EQ(t[87].dx, 375);
    EXPECT_EQ(t[87].dy, -111);
    EXPECT_EQ(t[87].dz, 431);
    EXPECT_DOUBLE_EQ(t[87].semiMajorAxisShift, 573.604);
    EXPECT_STREQ(t[118].name, "Zanderij");
}

TEST(DatumTable, NamesByIndex)
{
    std::string name = "kept";
    EXPECT_EQ(DatumNameGet(119, name), 1);
    EXPECT_EQ(name, "");
    name = "kept";
    EXPECT_EQ(DatumNameGet(120, name), 0);
    EXPECT_EQ(DatumNameGet(-1, name), 0);
    EXPECT_EQ(name, "kept");
    char buffer[8];
    EXPECT_EQ(DatumNameGet(40, buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "Europea");
    EXPECT_EQ(DatumNameGet(120, buffer, sizeof buffer), 0);
}
