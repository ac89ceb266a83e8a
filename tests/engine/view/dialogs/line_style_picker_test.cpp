#include "engine/view/dialogs/line_style_picker.h"

#include "engine/view/linestyle/line_style.h"
#include "platform/dc.h"
#include "platform/system_colors.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// The sample as the renderer draws it straight onto a cleared item.
QImage directSample(int style, QSize size, COLORREF color)
{
    QImage image(size, QImage::Format_RGB32);
    const COLORREF w = GetSysColor(COLOR_WINDOW);
    image.fill(QColor(GetRValue(w), GetGValue(w), GetBValue(w)));
    const HDC dc = CreateImageDC(&image);
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, style, dc, color, LineStyleSampleWidth(style, 1), 0);
    const int m = size.height() / 2;
    const POINT a{5, m}, b{size.width() - 5, m};
    LineStyleDrawSegment(&ctx, &a, &b, dc);
    LineStyleContextRelease(&ctx);
    DeleteDC(dc);
    return image;
}

int pixelsOf(const QImage &image, QRgb rgb)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
    return n;
}

TEST(LineStylePickerTest, ANewPickerHasStyleZeroBlackAndNoItems)
{
    CLineStylePicker p;
    EXPECT_EQ(p.GetStyle(), 0);
    EXPECT_EQ(p.GetColor(), 0u);
    EXPECT_EQ(p.count(), 0);
    EXPECT_FALSE(p.IsIndeterminate());
    p.SetStyle(12);
    p.Initialize();
    EXPECT_EQ(p.count(), CLineStylePicker::kStyleCount);
    EXPECT_EQ(p.currentIndex(), 12) << "the stored style is selected";
    p.Initialize();
    EXPECT_EQ(p.count(), CLineStylePicker::kStyleCount) << "items are added once";
    EXPECT_EQ(map_presentation_Reinit(0), 0);
}

TEST(LineStylePickerTest, TheFirstPaintFillsTheList)
{
    CLineStylePicker p;
    p.resize(120, 24);
    (void)p.grab();
    EXPECT_TRUE(p.IsInitialized());
    EXPECT_EQ(p.count(), CLineStylePicker::kStyleCount);
}

TEST(LineStylePickerTest, SetStyleAndSetColorRepaintOnlyOnChangeButAlwaysSetTheIndeterminateFlag)
{
    CLineStylePicker p;
    p.Initialize();
    p.SetStyle(5);
    const int repaints = p.RepaintRequests();
    p.SetStyle(5);
    EXPECT_EQ(p.RepaintRequests(), repaints);
    p.SetStyle(-1);
    EXPECT_EQ(p.GetStyle(), -1);
    EXPECT_TRUE(p.IsIndeterminate());
    EXPECT_EQ(p.currentIndex(), -1) << "no selection";
    p.SetStyle(-1);
    EXPECT_TRUE(p.IsIndeterminate());
    p.SetStyle(7);
    EXPECT_FALSE(p.IsIndeterminate());
    EXPECT_EQ(p.GetStyle(), 7);

    const int before = p.RepaintRequests();
    p.SetColor(0);
    EXPECT_EQ(p.RepaintRequests(), before);
    p.SetColor(RGB(255, 0, 0));
    EXPECT_EQ(p.GetColor(), RGB(255, 0, 0));
    EXPECT_EQ(p.RepaintRequests(), before + 1);
}

TEST(LineStylePickerTest, AUsersChoiceIsKeptAndToldToTheParent)
{
    QWidget dialog;
    auto *p = new CLineStylePicker(&dialog);
    p->setObjectName("1030");
    std::vector<std::pair<int, int>> heard;
    p->SetParentNotify([&](int id, int code, CLineStylePicker *) { heard.emplace_back(id, code); });
    p->Initialize();
    p->SetStyle(-1);
    p->setCurrentIndex(9);
    p->OnSelchange();
    EXPECT_EQ(p->GetStyle(), 9);
    EXPECT_FALSE(p->IsIndeterminate());
    EXPECT_EQ(heard, (std::vector<std::pair<int, int>>{{1030, 0x300}}));

    CLineStylePicker orphan;
    int told = 0;
    orphan.SetParentNotify([&](int, int, CLineStylePicker *) { ++told; });
    orphan.Initialize();
    orphan.SetStyle(-1);
    orphan.setCurrentIndex(3);
    orphan.OnSelchange();
    EXPECT_EQ(told, 0);
    EXPECT_TRUE(orphan.IsIndeterminate()) << "without a parent the state stays";
    EXPECT_EQ(orphan.GetStyle(), -1);
}

TEST(LineStylePickerTest, EveryItemIsTheRenderersOwnSample)
{
    CLineStylePicker p;
    p.SetColor(RGB(0, 0, 200));
    const QSize size(100, 16);
    for (int style : {0, 1, 7, 20, 33, 50, 73}) {
        const QImage item = p.ItemImage(style, size, 0);
        const QImage direct = directSample(style, size, RGB(0, 0, 200));
        EXPECT_EQ(item, direct) << "style " << style;
        EXPECT_GT(pixelsOf(item, qRgb(0, 0, 200)), 0) << "style " << style << " draws something";
    }
}

TEST(LineStylePickerTest, ASelectedItemShowsOnlyAFocusFrame)
{
    CLineStylePicker p;
    const QSize size(60, 16);
    const QImage plain = p.ItemImage(0, size, 0);
    const QImage selected = p.ItemImage(0, size, ODS_SELECTED);
    int changed = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (plain.pixel(x, y) != selected.pixel(x, y)) {
                ++changed;
                const bool onFrame = x == 2 || x == size.width() - 3 || y == 2 || y == size.height() - 3;
                EXPECT_TRUE(onFrame) << x << "," << y;
            }
    EXPECT_GT(changed, 0);
}

TEST(LineStylePickerTest, AnIndeterminatePickerShowsAGreyCrossInItsEditPartOnly)
{
    CLineStylePicker p;
    p.SetStyle(-1);
    const QSize size(40, 16);
    const QImage edit = p.ItemImage(-1, size, ODS_COMBOBOXEDIT);
    EXPECT_EQ(edit.pixel(1, 2) & 0xFFFFFF, 0x808080u) << "the cross starts at (left + 1, top + 2)";
    EXPECT_EQ(edit.pixel(1, 14) & 0xFFFFFF, 0x808080u) << "and (left + 1, bottom - 2)";
    EXPECT_EQ(pixelsOf(edit, 0), 0) << "no sample";
    const QImage listItem = p.ItemImage(4, size, 0);
    EXPECT_EQ(pixelsOf(listItem, qRgb(128, 128, 128)), 0);
    EXPECT_GT(pixelsOf(listItem, 0), 0) << "the list still shows every sample";
}

TEST(LineStylePickerTest, AWideSampleOnALowItemStillDrawsAtMidHeight)
{
    CLineStylePicker p;
    int wide = 0;
    for (int s = 0; s < CLineStylePicker::kStyleCount; ++s)
        if (LineStyleSampleWidth(s, 1) > LineStyleSampleWidth(wide, 1))
            wide = s;
    const QSize size(50, 3);
    EXPECT_EQ(p.ItemImage(wide, size, 0), directSample(wide, size, 0));
}

} // namespace
