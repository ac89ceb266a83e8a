#include "platform/resources.h"

#include "platform/gdi_objects.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace {

// A module's resource folder on disk, bound to module 0 (the program).
class Resources : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString root = dir_.path();
        QDir().mkpath(root + "/cursors");
        QDir().mkpath(root + "/icons");
        QDir().mkpath(root + "/bitmaps");
        write(root + "/strings.txt", "# comment\n"
                                     "1\tOne\n"
                                     "2\tTab\\there\\nnew line \\\\ slash\n"
                                     "3\tCaf\xc3\xa9 \xe2\x82\xac\r\n"
                                     "bad line\n"
                                     "1\tduplicate ignored\n");
        write(root + "/cursors/hotspots.txt", "77\t3\t4\n");
        image(8, 8).save(root + "/cursors/77.png");
        image(10, 10).save(root + "/cursors/78.png");
        image(32, 32).save(root + "/icons/5.png");
        image(9, 6).save(root + "/bitmaps/dot.png");
        previous_ = ModuleResourceFolder(0);
        SetModuleResourceFolder(0, root.toStdString());
    }
    void TearDown() override { SetModuleResourceFolder(0, previous_); }

    static void write(const QString &path, const char *text)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    static QImage image(int w, int h)
    {
        QImage i(w, h, QImage::Format_ARGB32);
        i.fill(Qt::black);
        return i;
    }

    QTemporaryDir dir_;
    std::string previous_;
};

TEST_F(Resources, StringTable)
{
    char buf[64];
    EXPECT_EQ(LoadStringA(0, 1, buf, sizeof buf), 3);
    EXPECT_STREQ(buf, "One");
    EXPECT_EQ(LoadStringA(0, 2, buf, sizeof buf), 25);
    EXPECT_STREQ(buf, "Tab\there\nnew line \\ slash");
    EXPECT_EQ(LoadStringA(0, 3, buf, sizeof buf), 6);
    EXPECT_STREQ(buf, "Caf\xe9 \x80") << "kept in Windows-1252";
    char small[3];
    EXPECT_EQ(LoadStringA(0, 1, small, sizeof small), 2);
    EXPECT_STREQ(small, "On");
    EXPECT_EQ(LoadStringA(0, 99, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(LoadStringA(0, 1, buf, 0), 0);
}

TEST_F(Resources, CursorsAreSharedAndCarryTheirHotSpot)
{
    const HCURSOR c = LoadCursorA(0, 77);
    ASSERT_NE(c, 0u);
    EXPECT_EQ(LoadCursorA(0, 77), c) << "loaded once";
    EXPECT_EQ(CursorShapeOf(c), Qt::BitmapCursor);
    EXPECT_EQ(CursorImage(c).size(), QSize(8, 8));
    EXPECT_EQ(CursorHotSpot(c), QPoint(3, 4));
    EXPECT_EQ(CursorHotSpot(LoadCursorA(0, 78)), QPoint(5, 5)) << "the centre without a hot spot line";
    EXPECT_EQ(CursorFromHandle(c).hotSpot(), QPoint(3, 4));
    EXPECT_EQ(LoadCursorA(0, 79), 0u);

    const HCURSOR arrow = LoadCursorA(0, IDC_ARROW);
    EXPECT_EQ(CursorShapeOf(arrow), Qt::ArrowCursor);
    EXPECT_EQ(LoadCursorA(0, IDC_ARROW), arrow);
    EXPECT_EQ(CursorShapeOf(LoadCursorA(0, IDC_WAIT)), Qt::WaitCursor);
    EXPECT_EQ(CursorShapeOf(LoadCursorA(0, IDC_SIZEALL)), Qt::SizeAllCursor);
    EXPECT_EQ(CursorFromHandle(LoadCursorA(0, IDC_CROSS)).shape(), Qt::CrossCursor);
    EXPECT_FALSE(IsCursorHandle(0));
    EXPECT_TRUE(CursorImage(12345).isNull());

    const HICON icon = LoadIconA(0, 5);
    ASSERT_NE(icon, 0u);
    EXPECT_EQ(IconImage(icon).size(), QSize(32, 32));
    EXPECT_EQ(LoadIconA(0, 6), 0u);
}

TEST_F(Resources, IconsByName)
{
    image(16, 16).save(QString::fromStdString(ModuleResourceFolder(0)) + "/icons/ICO_TEST.png");
    const HICON icon = LoadIconA(0, "ICO_TEST");
    ASSERT_NE(icon, 0u);
    EXPECT_EQ(LoadIconA(0, "ICO_TEST"), icon) << "loaded once";
    EXPECT_EQ(IconImage(icon).size(), QSize(16, 16));
    EXPECT_NE(LoadIconA(0, 5u), icon) << "numbered icons are others";
    EXPECT_EQ(LoadIconA(0, "ICO_MISSING"), 0u);
    EXPECT_EQ(LoadIconA(0, "../icons/5"), 0u) << "names never leave the folder";
    EXPECT_EQ(LoadIconA(0, static_cast<const char *>(nullptr)), 0u);
    EXPECT_EQ(LoadIconA(0, ""), 0u);
}

TEST_F(Resources, BitmapsAreNewEachTime)
{
    const HBITMAP a = LoadBitmapA(0, "dot");
    const HBITMAP b = LoadBitmapA(0, "dot");
    ASSERT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(GetBitmapImage(a).size(), QSize(9, 6));
    EXPECT_TRUE(DeleteObject(a));
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_EQ(LoadBitmapA(0, "missing"), 0u);
    EXPECT_EQ(LoadBitmapA(0, "../strings"), 0u) << "names never leave the folder";
    EXPECT_EQ(LoadBitmapA(0, nullptr), 0u);
}

TEST(ResourceFolder, DefaultsToTheModuleName)
{
    EXPECT_EQ(ModuleResourceFolder(0), ":/resources/test_platform");
    EXPECT_EQ(ModuleResourceFolder(0xFFFF), "") << "an unknown module has none";
}

} // namespace
