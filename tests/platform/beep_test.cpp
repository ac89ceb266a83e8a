#include "platform/beep.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Beep, SoundsReachTheInstalledSinkInOrder)
{
    std::vector<UINT> heard;
    BeepSink old = SetBeepSink([&](UINT type) { heard.push_back(type); });
    EXPECT_TRUE(MessageBeep(0));
    EXPECT_TRUE(MessageBeep(MB_ICONEXCLAMATION));
    BeepSink mine = SetBeepSink(std::move(old));
    EXPECT_TRUE(mine) << "the sink given back is the one installed";
    // The default again: the offscreen platform stays silent and nothing
    // reaches the removed sink.
    EXPECT_TRUE(MessageBeep(0));
    EXPECT_EQ(heard, (std::vector<UINT>{0, MB_ICONEXCLAMATION}));
}

TEST(Beep, ASinkMayBeepAndSwapSinksItself)
{
    std::vector<UINT> heard;
    BeepSink inner = [&](UINT type) { heard.push_back(100 + type); };
    BeepSink old = SetBeepSink([&](UINT type) {
        heard.push_back(type);
        SetBeepSink(inner); // no deadlock: the sink runs outside the lock
        MessageBeep(type + 1);
    });
    MessageBeep(1);
    SetBeepSink(std::move(old));
    EXPECT_EQ(heard, (std::vector<UINT>{1, 102}));
}

} // namespace
