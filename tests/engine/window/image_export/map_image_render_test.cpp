#include "tests/engine/window/image_export/image_fixture.h"

#include "engine/kernel/settings.h"
#include "engine/window/image_export/map_image_render.h"
#include "engine/window/map_painting.h"
#include "platform/clipboard.h"
#include "platform/device_limit.h"
#include "platform/window.h"

#include <QSvgRenderer>

#include <QByteArray>
#include <QPainter>

#include <vector>

namespace {

constexpr QRgb kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kWhite = 0xFFFFFFFF;

// The device's bitmap limit, lowered for one test.
struct BitmapLimit {
    explicit BitmapLimit(int64_t pixels) { SetDeviceBitmapLimit(pixels); }
    ~BitmapLimit() { SetDeviceBitmapLimit(0); }
};

TEST(ImageSquareSide, SizesOutsideTheRangeGiveAThousandAndMemoryCapsTheRest)
{
    struct Case {
        int64_t value;
        int side;
    };
    for (const Case c : {Case{99, 1000}, Case{100, 100}, Case{400, 400}, Case{0, 1000}, Case{-5, 1000},
                         Case{2147483647, 1000}, Case{2147483646, MaxImageSquareSide()}})
        EXPECT_EQ(ImageSquareSide(c.value), c.side) << c.value;
    const BitmapLimit limit(300 * 300);
    EXPECT_EQ(ImageSquareSide(2147483646), 300);
    EXPECT_EQ(ImageSquareSide(99), 300);
}

TEST(CreateBitmapWithRetry, ShrinksByAtLeastAPixelAndGivesUp)
{
    constexpr HBITMAP kMade = 77; // the factory's answer; no bitmap is allocated
    std::vector<std::pair<int, int>> tried;
    auto refuseAbove = [&](int limit) {
        return [&, limit](HDC, int w, int h) -> HBITMAP {
            tried.emplace_back(w, h);
            return w <= limit && h <= limit ? kMade : 0;
        };
    };
    // Small sizes shrink by one pixel a time (a hundredth would be 0).
    int64_t w = 60, h = 40;
    HBITMAP b = CreateBitmapWithRetry(0, &w, &h, refuseAbove(50));
    EXPECT_EQ(b, kMade);
    EXPECT_EQ(w, 50);
    EXPECT_EQ(h, 30);
    EXPECT_EQ(tried.size(), 11u);

    // Large sizes by a hundredth.
    tried.clear();
    w = 10000;
    h = 5000;
    b = CreateBitmapWithRetry(0, &w, &h, refuseAbove(9900));
    EXPECT_EQ(b, kMade);
    EXPECT_EQ(w, 9900);
    EXPECT_EQ(h, 4950);

    // A device that never gives a bitmap: a bounded number of attempts.
    tried.clear();
    w = 2147483646;
    h = 2147483646;
    EXPECT_EQ(CreateBitmapWithRetry(0, &w, &h, refuseAbove(0)), 0u);
    EXPECT_EQ(int(tried.size()), kMaxBitmapAttempts);
    for (size_t i = 1; i < tried.size(); ++i)
        EXPECT_LT(tried[i].first, tried[i - 1].first);
    tried.clear();
    w = 3;
    h = 2;
    EXPECT_EQ(CreateBitmapWithRetry(0, &w, &h, refuseAbove(0)), 0u);
    EXPECT_EQ(tried.size(), 2u); // 3 x 2, 2 x 1, then a side reaches 0
}

TEST_F(MapImageTest, AWideRectangleGivesABitmapSWideAndProportionallyHigh)
{
    const MAP_COORDRECT rect{0, 0, 64, 32};
    const PresentationManager *view = rec.displayView;
    const MAP_COORDRECT worldBefore = view->worldRect;
    const HBITMAP bitmap = RenderMapRectToBitmap(window, &rect, 400, 1);
    ASSERT_NE(bitmap, 0u);
    const QImage image = GetBitmapImage(bitmap);
    DeleteObject(bitmap);
    EXPECT_EQ(image.width(), 400);
    EXPECT_NEAR(image.height(), 200, 1);
    // The blue line at y = 24 lies a quarter down, the red square below it,
    // the rest is white.
    EXPECT_EQ(image.pixel(200, 50), kBlue);
    EXPECT_EQ(image.pixel(120, 100), kRed);
    EXPECT_EQ(image.pixel(350, 120), kWhite);
    // The window's own view is back and untouched.
    EXPECT_EQ(rec.displayView, view);
    EXPECT_EQ(view->worldRect.x1, worldBefore.x1);
    EXPECT_EQ(view->worldRect.y2, worldBefore.y2);
    EXPECT_EQ(view->scale, 1.0);
}

TEST_F(MapImageTest, TheCaptionSitsAtTheLowerRightCorner)
{
    // An area without objects: only the caption is not white.
    const MAP_COORDRECT rect{100, 100, 300, 300};
    const HBITMAP bitmap = RenderMapRectToBitmap(window, &rect, 400, 0);
    ASSERT_NE(bitmap, 0u);
    const QImage image = GetBitmapImage(bitmap);
    DeleteObject(bitmap);
    int dark = 0, right = 0, bottom = 0, left = image.width();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                ++dark;
                right = std::max(right, x);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
            }
    ASSERT_GT(dark, 10);
    EXPECT_LE(right, image.width() - 10);
    EXPECT_GE(right, image.width() - 14);
    EXPECT_LE(bottom, image.height() - 4);
    EXPECT_GE(bottom, image.height() - 12);
    EXPECT_GT(left, image.width() / 3);
}

TEST_F(MapImageTest, TheNextPaintIsNotClippedToTheRenderedArea)
{
    MAP_COORDRECT clip{};
    const MAP_COORDRECT rect{0, 0, 8, 8}; // holds neither object
    const HBITMAP bitmap = RenderMapRectToBitmap(window, &rect, 200, 1);
    ASSERT_NE(bitmap, 0u);
    DeleteObject(bitmap);
    EXPECT_EQ(LayersClipRectGet(window, 0, &clip), 0);
    const RECT all{0, 0, W, H};
    OnDstrPaint(&rec, dc, &all, 0);
    EXPECT_GT(countColour(RGB(0, 0, 255)), 0);
    // A clip rectangle that was there before the rendering stays as it was.
    const MAP_COORDRECT before{1, 2, 3, 4};
    LayersClipRectSet(window, 0, &before);
    DeleteObject(RenderMapRectToBitmap(window, &rect, 200, 1));
    ASSERT_EQ(LayersClipRectGet(window, 0, &clip), 1);
    EXPECT_EQ(clip.x2, 3);
    EXPECT_EQ(clip.y2, 4);
}

TEST_F(MapImageTest, BadInputGivesNoBitmap)
{
    const MAP_COORDRECT flat{0, 10, 64, 10}, thin{5, 0, 5, 40}, good{0, 0, 64, 48};
    EXPECT_EQ(RenderMapRectToBitmap(window, &flat, 200, 1), 0u);
    EXPECT_EQ(RenderMapRectToBitmap(window, &thin, 200, 1), 0u);
    EXPECT_EQ(RenderMapRectToBitmap(window, nullptr, 200, 1), 0u);
    const HWND bare = CreateHeadlessWindow(nullptr);
    EXPECT_EQ(RenderMapRectToBitmap(bare, &good, 200, 1), 0u);
    EXPECT_EQ(ExClipBitmapPgon(bare, &good, 200), 0);
    DestroyWindow(bare);
    EXPECT_EQ(RenderSetToClipboardBitmap(window, 0, kCopySelection), 0u);
    EXPECT_EQ(RenderSetToClipboardMetafile(window, 0, kCopySelection), 0u);
    // The corners in either order give the same picture.
    const MAP_COORDRECT swapped{64, 48, 0, 0};
    const HBITMAP a = RenderMapRectToBitmap(window, &good, 200, 1),
                  b = RenderMapRectToBitmap(window, &swapped, 200, 1);
    EXPECT_EQ(GetBitmapImage(a), GetBitmapImage(b));
    DeleteObject(a);
    DeleteObject(b);
}

TEST_F(MapImageTest, TheCopiedBitmapWidthSettingSizesTheSetsBitmap)
{
    struct Case {
        const char *stored;
        int side;
    };
    for (const Case c : {Case{"99", 1000}, Case{"100", 100}, Case{"400", 400}, Case{"junk", 1000}}) {
        SCOPED_TRACE(c.stored);
        SettingsStringSet(rec.settingsKey, "Settings", "Copied Bitmap Width", c.stored);
        const HBITMAP bitmap = RenderSetToClipboardBitmap(window, layers, kCopySelection);
        ASSERT_NE(bitmap, 0u);
        const QImage image = GetBitmapImage(bitmap);
        DeleteObject(bitmap);
        EXPECT_NEAR(std::max(image.width(), image.height()), c.side, 1);
    }
}

TEST_F(MapImageTest, OnlyTheWholeMapCopyShowsUnselectedObjects)
{
    SettingsStringSet(rec.settingsKey, "Settings", "Copied Bitmap Width", "200");
    for (const int command : {kCopyCut, kCopySelection, kCopyWholeMap, kCopyPage}) {
        SCOPED_TRACE(command);
        const HBITMAP bitmap = RenderSetToClipboardBitmap(window, layers, command);
        ASSERT_NE(bitmap, 0u);
        const QImage image = GetBitmapImage(bitmap);
        DeleteObject(bitmap);
        EXPECT_GT(count(image, kRed), 0);
        EXPECT_EQ(count(image, kBlue) > 0, command == kCopyWholeMap);
    }
}

QByteArray svgOf(HENHMETAFILE picture)
{
    QByteArray bytes(int(GetEnhMetaFileBits(picture, 0, nullptr)), '\0');
    GetEnhMetaFileBits(picture, UINT(bytes.size()), reinterpret_cast<BYTE *>(bytes.data()));
    return bytes;
}

TEST_F(MapImageTest, TheMetafileFrameFollowsTheCopiedMetafileWidth)
{
    EXPECT_EQ(MetafileFrameSide(10), 10000);
    EXPECT_EQ(MetafileFrameSide(1), 999);
    // The frame does not depend on the recording's resolution: a low one
    // keeps the test quick.
    const BitmapLimit limit(200 * 200);
    struct Case {
        const char *stored;
        int frame;
    };
    for (const Case c : {Case{"10", 10000}, Case{"1", 999}, Case{"400", MetafileFrameSide(400)},
                         Case{"400.5", 10000}, Case{"0.5", 10000}}) {
        SCOPED_TRACE(c.stored);
        SettingsStringSet(rec.settingsKey, "Settings", "Copied Metafile Width", c.stored);
        const HENHMETAFILE picture = RenderSetToClipboardMetafile(window, layers, kCopyWholeMap);
        ASSERT_NE(picture, 0u);
        const QByteArray svg = svgOf(picture);
        DeleteEnhMetaFile(picture);
        QSvgRenderer renderer(svg);
        ASSERT_TRUE(renderer.isValid());
        EXPECT_EQ(renderer.viewBox(), QRect(0, 0, c.frame, c.frame));
        EXPECT_TRUE(svg.contains("<title>GORM 5.0 </title>"));
        EXPECT_TRUE(svg.contains("<desc> Gorm 5.0 Metafile</desc>"));
    }
    EXPECT_GT(MetafileFrameSide(400), 399990);
}

TEST_F(MapImageTest, TheMetafileShowsTheSetOnNoBackground)
{
    for (const int command : {kCopySelection, kCopyWholeMap}) {
        SCOPED_TRACE(command);
        const HENHMETAFILE picture = RenderSetToClipboardMetafile(window, layers, command);
        ASSERT_NE(picture, 0u);
        QSvgRenderer renderer(svgOf(picture));
        DeleteEnhMetaFile(picture);
        // About the recording's own resolution, so that thin lines stay whole.
        QImage image(1200, 1200, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        EXPECT_GT(count(image, kRed), 100);
        EXPECT_EQ(count(image, kBlue) > 1000, command == kCopyWholeMap);
        EXPECT_EQ(qAlpha(image.pixel(1199, 0)), 0); // no background
        if (command == kCopyWholeMap) {
            // The set is 64 units wide and fills the picture's width: the
            // square's right side (x = 30) lies at 30/64 of it, not cut off
            // or moved by a smaller window.
            int right = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if ((image.pixel(x, y) & 0xFFFFFF) == (kRed & 0xFFFFFF))
                        right = std::max(right, x);
            EXPECT_NEAR(right, 1200 * 30 / 64, 8);
        }
    }
}

TEST_F(MapImageTest, TheBitmapGoesToTheClipboardUnlessItIsHeldElsewhere)
{
    const MAP_COORDRECT rect{0, 0, 64, 48};
    ASSERT_EQ(ExClipBitmapPgon(window, &rect, 120), 1);
    ASSERT_TRUE(OpenClipboard(window));
    const QImage image = GetBitmapImage(HBITMAP(GetClipboardData(CF_BITMAP)));
    CloseClipboard();
    EXPECT_EQ(image.width(), 120);
    EXPECT_GT(count(image, kBlue), 0);

    const HWND other = CreateHeadlessWindow(nullptr);
    ASSERT_TRUE(OpenClipboard(other));
    EXPECT_EQ(ExClipBitmapPgon(window, &rect, 120), 0);
    CloseClipboard();
    DestroyWindow(other);
}

} // namespace
