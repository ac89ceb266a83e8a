#include "platform/dispatch_exception.h"

#include <gtest/gtest.h>

namespace {

TEST(DispatchException, CarriesNumberAndTextAcrossTheLibraryBoundary)
{
    struct Case {
        int number;
        std::string given;
        std::string expected;
    };
    const Case cases[] = {
        {1050, "", "Wrong file name or file format"},
        {1051, "", "It is not allowed to assign both dimension and resolution for the same coordinate"},
        {1052, "The raster scale must be > 0\n", "The raster scale must be > 0\n"},
        {1050, "own text", "own text"},
    };
    for (const Case &k : cases) {
        try {
            ThrowDispatchException(k.number, k.given); // thrown inside the platform library
            ADD_FAILURE() << "nothing thrown";
        } catch (const DispatchException &e) {
            EXPECT_EQ(e.Number(), k.number);
            EXPECT_EQ(e.Text(), k.expected);
        }
    }
    EXPECT_EQ(DispatchErrorText(1052), "");
    EXPECT_THROW(ThrowDispatchException(1051), std::runtime_error);
}

} // namespace
