#include "platform/map_mode.h"

#include "platform/dc.h"

#include <gtest/gtest.h>

namespace {

class MapModeTest : public ::testing::Test {
protected:
    void SetUp() override { dc = CreateCompatibleDC(0); }
    void TearDown() override { DeleteDC(dc); }
    POINT toDevice(POINT p)
    {
        EXPECT_TRUE(LPtoDP(dc, &p, 1));
        return p;
    }
    HDC dc = 0;
};

TEST_F(MapModeTest, TextModeMovesByTheOriginsOnly)
{
    EXPECT_EQ(GetMapMode(dc), MM_TEXT);
    SetWindowOrgEx(dc, 10, 20, nullptr);
    SetViewportOrgEx(dc, 1, 2, nullptr);
    EXPECT_TRUE(SetWindowExtEx(dc, 100, 100, nullptr));
    EXPECT_TRUE(SetViewportExtEx(dc, 7, 7, nullptr));
    const POINT p = toDevice({15, 30});
    EXPECT_EQ(p.x, 6);
    EXPECT_EQ(p.y, 12);
    SIZE e{};
    GetWindowExtEx(dc, &e);
    EXPECT_EQ(e.cx, 1);
}

TEST_F(MapModeTest, AnisotropicScalesEachAxisAndRoundTrips)
{
    EXPECT_EQ(SetMapMode(dc, MM_ANISOTROPIC), MM_TEXT);
    SetWindowOrgEx(dc, 1000, 2000, nullptr);
    SetWindowExtEx(dc, 10000, 5000, nullptr);
    SetViewportExtEx(dc, 1181, -1181, nullptr);
    const POINT corner = toDevice({11000, 7000});
    EXPECT_EQ(corner.x, 1181);
    EXPECT_EQ(corner.y, -1181);
    const POINT mid = toDevice({6000, 4500});
    EXPECT_EQ(mid.x, 591); // 590.5 rounds away from zero
    EXPECT_EQ(mid.y, -591);
    POINT back = corner;
    DPtoLP(dc, &back, 1);
    EXPECT_EQ(back.x, 11000);
    EXPECT_EQ(back.y, 7000);
    SIZE previous{};
    EXPECT_TRUE(SetViewportExtEx(dc, 2, 2, &previous));
    EXPECT_EQ(previous.cx, 1181);
}

TEST_F(MapModeTest, IsotropicTakesTheSmallerScale)
{
    SetMapMode(dc, MM_ISOTROPIC);
    SetWindowExtEx(dc, 100, 100, nullptr);
    SetViewportExtEx(dc, 400, -200, nullptr);
    const POINT p = toDevice({100, 100});
    EXPECT_EQ(p.x, 200);
    EXPECT_EQ(p.y, -200);
}

TEST_F(MapModeTest, BadInputIsRefusedAndChangesNothing)
{
    EXPECT_EQ(SetMapMode(dc, 3), 0);
    EXPECT_EQ(SetMapMode(0, MM_ANISOTROPIC), 0);
    SetMapMode(dc, MM_ANISOTROPIC);
    EXPECT_FALSE(SetWindowExtEx(dc, 0, 5, nullptr));
    EXPECT_FALSE(SetViewportExtEx(dc, 5, 0, nullptr));
    SIZE e{};
    GetWindowExtEx(dc, &e);
    EXPECT_EQ(e.cx, 1);
    EXPECT_EQ(e.cy, 1);
    POINT p{1, 1};
    EXPECT_FALSE(LPtoDP(0, &p, 1));
    EXPECT_FALSE(LPtoDP(dc, &p, -1));
    EXPECT_FALSE(SetWindowOrgEx(0, 1, 1, nullptr));
    // Results saturate at the 32-bit limits.
    SetViewportExtEx(dc, 1000, 1000, nullptr);
    POINT far{2000000000, -2000000000};
    LPtoDP(dc, &far, 1);
    EXPECT_EQ(far.x, 2147483647);
    EXPECT_EQ(far.y, -2147483647 - 1);
}

} // namespace
