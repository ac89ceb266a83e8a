#include "engine/window/bitmap_push_button.h"

#include "platform/resources.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr HINSTANCE kModule = 0x5150;

// A module whose bitmaps are "OKU", "OKD", "OKF" (no "OKX") in four colours.
class BitmapPushButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkdir("bitmaps");
        for (auto [suffix, colour] : {std::pair{"U", Qt::red}, {"D", Qt::green}, {"F", Qt::blue}}) {
            QImage image(20, 10, QImage::Format_RGB32);
            image.fill(colour);
            ASSERT_TRUE(image.save(dir.path() + "/bitmaps/OK" + suffix + ".png"));
        }
        SetModuleResourceFolder(kModule, dir.path().toStdString());
    }
    void TearDown() override { SetModuleResourceFolder(kModule, ""); }

    QTemporaryDir dir;
};

TEST_F(BitmapPushButtonTest, PicturesFollowTheStateAndSizeTheButton)
{
    CBitmapPushButton b("OK", nullptr, kModule);
    EXPECT_TRUE(b.PushFrame());
    EXPECT_EQ(b.BorderWidth(), 5);
    ASSERT_TRUE(b.AutoLoadImages());
    EXPECT_EQ(b.size(), QSize(30, 20)) << "the picture plus twice the border";
    EXPECT_EQ(b.CurrentImage().pixel(0, 0), QColor(Qt::red).rgb());
    b.setDown(true);
    EXPECT_EQ(b.CurrentImage().pixel(0, 0), QColor(Qt::green).rgb());
    b.setDown(false);
    b.setEnabled(false);
    EXPECT_EQ(b.CurrentImage().pixel(0, 0), QColor(Qt::red).rgb()) << "no X picture: the up one";

    b.SetBorderWidth(2);
    b.setEnabled(true);
    ASSERT_TRUE(b.AutoLoadImages());
    EXPECT_EQ(b.size(), QSize(24, 14));
    const QImage shown = b.grab().toImage();
    EXPECT_EQ(shown.pixel(12, 7), QColor(Qt::red).rgb()) << "the picture is drawn in the middle";
}

TEST_F(BitmapPushButtonTest, ATextWithoutPicturesLoadsNothing)
{
    CBitmapPushButton b("Missing", nullptr, kModule);
    const QSize before = b.size();
    EXPECT_FALSE(b.AutoLoadImages());
    EXPECT_TRUE(b.CurrentImage().isNull());
    EXPECT_EQ(b.size(), before);
    (void)b.grab(); // draws only the frame
    b.setText("OK");
    EXPECT_TRUE(b.AutoLoadImages()) << "loaded again after the text changed";
}

} // namespace
