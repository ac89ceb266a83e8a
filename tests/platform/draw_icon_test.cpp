#include "platform/draw_icon.h"

#include "platform/dc.h"
#include "platform/resources.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// An icon of 4 x 4 pixels: the left half opaque red, the right half
// transparent, in a resource folder bound to module 0.
class DrawIconTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(dir_.path() + "/icons");
        QImage icon(4, 4, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 2; ++x)
                icon.setPixel(x, y, qRgb(255, 0, 0));
        ASSERT_TRUE(icon.save(dir_.path() + "/icons/41.png"));
        previous_ = ModuleResourceFolder(0);
        SetModuleResourceFolder(0, dir_.path().toStdString());
    }
    void TearDown() override { SetModuleResourceFolder(0, previous_); }

    QTemporaryDir dir_;
    std::string previous_;
};

TEST_F(DrawIconTest, OpaquePixelsCoverTransparentOnesLeaveTheTarget)
{
    QImage target(6, 6, QImage::Format_RGB32);
    target.fill(qRgb(0, 0, 255));
    const HDC dc = CreateImageDC(&target);
    const HICON icon = LoadIconA(0, 41);
    ASSERT_NE(icon, 0u);
    EXPECT_TRUE(DrawIcon(dc, 3, -1, icon)) << "partly outside";
    EXPECT_EQ(QColor(target.pixel(3, 0)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(target.pixel(4, 2)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(target.pixel(5, 0)), QColor(0, 0, 255)) << "transparent";
    EXPECT_EQ(QColor(target.pixel(3, 3)), QColor(0, 0, 255)) << "below the icon";
    EXPECT_EQ(QColor(target.pixel(2, 0)), QColor(0, 0, 255)) << "left of it";
    EXPECT_FALSE(DrawIcon(dc, 0, 0, 0));
    EXPECT_FALSE(DrawIcon(0, 0, 0, icon));
    DeleteDC(dc);
}

} // namespace
