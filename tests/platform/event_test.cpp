#include "platform/event.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(Event, ManualResetStaysSignalledUntilReset)
{
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    SetEvent(e);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    ResetEvent(e);
    EXPECT_EQ(WaitForSingleObject(e, 10), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseEventHandle(e));
}

TEST(Event, AutoResetWakesOneWait)
{
    HANDLE e = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    std::thread t([e] { SetEvent(e); });
    EXPECT_EQ(WaitForSingleObject(e, INFINITE), WAIT_OBJECT_0);
    t.join();
    CloseEventHandle(e);
}

TEST(Event, ForeignHandlesFail)
{
    EXPECT_FALSE(SetEvent(nullptr));
    EXPECT_FALSE(ResetEvent(nullptr));
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseEventHandle(nullptr));
}

} // namespace
