#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodec, Windows1252RoundTrip)
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all.push_back(char(c));
    EXPECT_EQ(ToWindows1252(FromWindows1252(all)), all);
    EXPECT_EQ(FromWindows1252("\x80\x99\xE9"), QString::fromUtf8("\u20AC\u2122\u00E9"));
    EXPECT_EQ(ToWindows1252(QString::fromUtf8("\u4E2D")), "?");
}

} // namespace
