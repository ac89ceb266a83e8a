#include "engine/editing/integer_math.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
} // namespace

TEST(IntegerMath, DetSgnIsTheExactSignAtTheLimits)
{
    struct Case {
        LONG a, b, c, d;
        int sign;
    } cases[] = {
        {1, 2, 3, 4, -1},            // 4 - 6
        {4, 3, 1, 2, 1},             // 8 - 3
        {2, 4, 1, 2, 0},             // parallel
        {kMin, kMin, kMax, kMin, 1}, // 2^62 + 2^31 (2^31 - 1): overflows 64 bits in a naive form
        {kMin, kMax, kMin, kMax, 0},
        {kMin, kMax, kMax, kMin, 1},
        {kMax, kMin, kMin, kMax, -1}, // (2^31 - 1)^2 - 2^62
        {kMax, kMax, kMax, kMax - 1, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DetSgn(c.a, c.b, c.c, c.d), c.sign) << c.a << " " << c.b << " " << c.c << " " << c.d;
}

TEST(IntegerMath, MulDivTruncatesAndAnswersZeroForAZeroDivisor)
{
    EXPECT_EQ(MulDiv64_32(6, 7, 2), 21);
    EXPECT_EQ(MulDiv64_32(7, 3, 2), 10);   // 10.5 truncated
    EXPECT_EQ(MulDiv64_32(-7, 3, 2), -10); // towards zero
    EXPECT_EQ(MulDiv64_32(kMax, kMax, kMax), kMax);
    EXPECT_EQ(MulDiv64_32(kMin, kMin, kMin), kMin);
    EXPECT_EQ(MulDiv64_32(5, 5, 0), 0);
    EXPECT_EQ(MulDiv64_32(kMax, kMax, 1), kMax); // saturates
    EXPECT_EQ(MulDiv64_32(kMin, kMax, 1), kMin);
    EXPECT_EQ(MulDiv64(int64_t(1) << 40, int64_t(1) << 40, int64_t(1) << 30), int64_t(1) << 50);
}
