#include "editor/shell/documents/document_files.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(LockText, ReadsWhatItWritesAndBothDecimalSeparators)
{
    for (double t : {46000.5, 45999.123456789, 0.25}) {
        const std::string text = LockText(t);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << text;
        EXPECT_EQ(text.find(','), std::string::npos) << text;
        const std::optional<double> back = ParseLockText(text);
        ASSERT_TRUE(back) << text;
        EXPECT_NEAR(*back, t, 1e-9);
    }
    struct Case {
        const char *text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"46000,25\r\n", 46000.25}, {" 46000.5 \r\nrest", 46000.5}, {"46000", 46000.0},
        {"", std::nullopt},         {"\r\n", std::nullopt},         {"abc\r\n", std::nullopt},
        {"46000.5x", std::nullopt}, {"4600,0,5", std::nullopt},     {"nan", std::nullopt},
        {"inf", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseLockText(c.text), c.value);
    }
}

TEST(LockText, FreshOnlyWithinItsLifetimeEitherSide)
{
    const double now = 46000.5;
    const double second = 1.0 / 86400.0;
    struct Case {
        double secondsAgo;
        bool fresh;
    };
    const Case cases[] = {{0, true},   {40, true},    {43.1, true},   {43.3, false}, {50, false},
                          {-20, true}, {-43.1, true}, {-43.3, false}, {-3600, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.secondsAgo);
        EXPECT_EQ(LockIsFresh(now - c.secondsAgo * second, now), c.fresh);
    }
}

TEST(LockText, DayCountIsTodaysSince1899)
{
    // 1 January 2026 is day 46023; the clock of this machine is later.
    const double now = DayCountNow();
    EXPECT_GT(now, 46023.0);
    EXPECT_LT(now, 80000.0);
}

TEST(NetworkFolders, FileSystemTypes)
{
    struct Case {
        int64_t type;
        bool network;
    };
    const Case cases[] = {
        {0x6969, true},     {0x517B, true},  {int64_t(0xFF534D42), true}, {int64_t(0xFE534D42), true},
        {0x65735546, true}, {0xEF53, false}, {0x01021994, false},         {0x58465342, false},
        {0, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(IsNetworkFileSystemType(c.type), c.network);
    }
    EXPECT_FALSE(IsNetworkFolder("/tmp"));
    EXPECT_FALSE(IsNetworkFolder(""));
    EXPECT_FALSE(IsNetworkFolder("/no/such/folder"));
}

} // namespace
