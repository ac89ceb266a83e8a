#include "platform/wait_cursor.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(WaitCursor, ShowsForItsLifetimeAndNests)
{
    ASSERT_FALSE(WaitCursor::Showing());
    {
        WaitCursor outer;
        EXPECT_TRUE(WaitCursor::Showing());
        {
            WaitCursor inner;
            EXPECT_TRUE(WaitCursor::Showing());
        }
        EXPECT_TRUE(WaitCursor::Showing());
    }
    EXPECT_FALSE(WaitCursor::Showing());
    // A road out by an exception puts it back too.
    try {
        WaitCursor during;
        throw std::runtime_error("out");
    } catch (const std::runtime_error &) {
    }
    EXPECT_FALSE(WaitCursor::Showing());
}
