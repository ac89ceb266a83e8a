#include "engine/kernel/module_startup.h"

#include "platform/gdi_objects.h"
#include "platform/message_box.h"
#include "platform/resources.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <string>

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(MapLibraryStartup(), 1); }
};

TEST_F(Startup, CursorAndIconTable)
{
    EXPECT_EQ(GetGDIObject(-1), 0u);
    EXPECT_EQ(GetGDIObject(7), 0u);
    EXPECT_EQ(GetGDIObject(23), 0u);
    EXPECT_EQ(GetGDIObject(1), LoadCursorA(0, IDC_ARROW));
    EXPECT_EQ(CursorShapeOf(GetGDIObject(0)), Qt::CrossCursor);
    EXPECT_EQ(CursorShapeOf(GetGDIObject(2)), Qt::WaitCursor);
    EXPECT_EQ(CursorShapeOf(GetGDIObject(14)), Qt::SizeAllCursor);
    for (int n : {3, 4, 5, 6, 8, 9, 10, 11, 15, 16, 17, 18, 19, 20, 21, 22}) {
        ASSERT_NE(GetGDIObject(n), 0u) << "cursor number " << n;
        EXPECT_EQ(CursorImage(GetGDIObject(n)).size(), QSize(32, 32)) << n;
        EXPECT_EQ(CursorHotSpot(GetGDIObject(n)), QPoint(15, 15)) << n;
    }
    EXPECT_NE(GetGDIObject(3), GetGDIObject(4));
    EXPECT_FALSE(IconImage(GetGDIObject(12)).isNull());
    EXPECT_FALSE(IconImage(GetGDIObject(13)).isNull());
    EXPECT_EQ(MapLibraryStartup(), 1) << "a second start-up changes nothing";
    EXPECT_EQ(GetGDIObject(1), LoadCursorA(0, IDC_ARROW));
}

TEST_F(Startup, StringsOfTheLibrary)
{
    char text[64];
    EXPECT_EQ(LoadStringMap(172, text, sizeof text), 16);
    EXPECT_STREQ(text, "Default Settings");
    EXPECT_EQ(LoadStringMap(9999, text, sizeof text), 0);
    EXPECT_STREQ(text, "");
}

TEST_F(Startup, ErrorMessageBoxes)
{
    std::vector<MessageBoxRequest> shown;
    auto previous = SetMessageBoxHook([&](const MessageBoxRequest &r) {
        shown.push_back(r);
        return IDOK;
    });
    GormExceptionMessage(std::runtime_error("M"), "T");
    GormExceptionMessage(std::runtime_error(std::string(500, 'm')), "Cannot read: ");
    errno = ENOENT;
    GormLastErrorMessageBox();
    SetMessageBoxHook(previous);

    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "TM") << "no separator";
    EXPECT_EQ(shown[0].type & 0xF0, MB_ICONSTOP);
    EXPECT_EQ(shown[1].text, "Cannot read: " + std::string(259, 'm'));
    EXPECT_EQ(shown[2].text, "No such file or directory");
    EXPECT_EQ(shown[2].type & 0xF0, MB_ICONINFORMATION);
}

// Last: the exit frees the marker bitmaps.
TEST_F(Startup, MarkerBitmapsLiveUntilExit)
{
    HBITMAP markers[MARKER_BITMAP_COUNT];
    for (int i = 0; i < MARKER_BITMAP_COUNT; ++i) {
        markers[i] = MarkerBitmap(i);
        ASSERT_NE(markers[i], 0u) << i;
        // Every mark is 7 x 7, drawn centred on its point.
        EXPECT_EQ(GetBitmapImage(markers[i]).size(), QSize(7, 7)) << i;
    }
    EXPECT_EQ(MarkerBitmap(5), 0u);
    MapLibraryExit();
    for (int i = 0; i < MARKER_BITMAP_COUNT; ++i) {
        EXPECT_EQ(MarkerBitmap(i), 0u);
        EXPECT_EQ(GetObjectType(markers[i]), 0u) << "deleted";
    }
}

} // namespace
