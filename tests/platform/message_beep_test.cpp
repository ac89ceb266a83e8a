#include "platform/message_beep.h"

#include <gtest/gtest.h>

TEST(MessageBeep, EachBeepIsCountedAndTheCountResets)
{
    MessageBeepCountReset();
    EXPECT_EQ(MessageBeepCount(), 0u);
    EXPECT_EQ(MessageBeep(MB_OK_SOUND), 1);
    EXPECT_EQ(MessageBeep(0xFFFFFFFF), 1);
    EXPECT_EQ(MessageBeepCount(), 2u);
    MessageBeepCountReset();
    EXPECT_EQ(MessageBeepCount(), 0u);
}
