#include "engine/polygon/area_labels/area_labels.h"

// Before any Qt header: the kernel's records have a field that Qt's
// keywords would take.
#include "tests/engine/editing/editing_fixture.h"

#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "platform/bitblt.h"
#include "platform/child_window.h"
#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/surface_widget.h"
#include "platform/system_colors.h"
#include "platform/window_dc.h"

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

namespace {

QRgb ToQRgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Every pixel of the rectangle has the colour.
bool Filled(const QImage &image, const RECT &r, QRgb colour)
{
    for (int y = int(r.top); y < int(r.bottom); ++y)
        for (int x = int(r.left); x < int(r.right); ++x)
            if (image.pixel(x, y) != colour)
                return false;
    return true;
}

} // namespace

TEST(AreaLabel, ShowsItsTextOverTheMapAndPutsThePixelsBackWhenItGoes)
{
    SurfaceWidget map(nullptr);
    map.resize(300, 200);
    map.show();
    const HWND window = map.handle();
    // A map surface painted all green.
    const HDC dc = GetDC(window);
    ASSERT_NE(dc, 0u);
    const HBRUSH green = CreateSolidBrush(RGB(0, 160, 0));
    const HGDIOBJ old = SelectObject(dc, green);
    BitBlt(dc, 0, 0, 300, 200, 0, 0, 0, PATCOPY);
    SelectObject(dc, old);
    DeleteObject(green);
    ReleaseDC(window, dc);

    const HWND label = AreaLabelCreate(window, 150, 100, "1234.50 m2");
    ASSERT_NE(label, 0u);
    RECT r{};
    ASSERT_TRUE(GetChildWindowRect(label, &r));
    EXPECT_NEAR((r.left + r.right) / 2.0, 150, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2.0, 100, 1);
    EXPECT_GT(r.right - r.left, r.bottom - r.top);
    QPointer<QLabel> shown = ChildWindowLabel(label);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->text(), QString("1234.50 m2"));
    // The text stands on the tooltip background where the label is.
    const QImage with = GetWindowSurface(window);
    EXPECT_FALSE(Filled(with, r, qRgb(0, 160, 0)));
    EXPECT_EQ(with.pixel(int(r.left), int(r.top)), ToQRgb(GetSysColor(COLOR_INFOBK)));

    // Same length, inside: the same label with the new text.
    HWND updated = label;
    AreaLabelUpdate(&updated, 150, 100, "1234.75 m2");
    EXPECT_EQ(updated, label);
    EXPECT_EQ(GetChildWindowText(label), "1234.75 m2");
    // Another length: a new label; the old one is gone with its pixels.
    AreaLabelUpdate(&updated, 150, 100, "98.1 m2");
    EXPECT_NE(updated, label);
    EXPECT_FALSE(IsWindow(label));
    EXPECT_TRUE(shown.isNull());
    AreaLabelUpdate(&updated, 40, 30, "98.2 m2"); // outside: moved
    RECT moved{};
    ASSERT_TRUE(GetChildWindowRect(updated, &moved));
    EXPECT_NEAR((moved.left + moved.right) / 2.0, 40, 1);

    DestroyWindow(updated);
    EXPECT_TRUE(Filled(GetWindowSurface(window), RECT{0, 0, 300, 200}, qRgb(0, 160, 0)));
    HWND gone = updated;
    AreaLabelUpdate(&gone, 1, 1, "x"); // not a window: nothing happens
    EXPECT_EQ(gone, updated);
}

namespace {

class PartsOfAreaTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        showWorld({-100, -100, 1100, 1100});
    }
    void switchOn(uint32_t value = 1)
    {
        ASSERT_EQ(
            rec.settingsKey->SetValue("Settings", "Calculate Parts of Dividing Polygon Area", &value, 0), 1);
    }
    // The label's centre on the map.
    MAP_COORDPT centre(HWND label)
    {
        RECT r{};
        EXPECT_TRUE(GetChildWindowRect(label, &r));
        const POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        MAP_COORDPT m{};
        PM_WindowToMap(rec.displayView, &p, &m, 1);
        return m;
    }
    double number(HWND label) { return std::atof(GetChildWindowText(label).c_str()); }
    std::array<HWND, 3> labels{};
};

} // namespace

TEST_F(PartsOfAreaTest, LabelsStandInsideTheLargestPartsAndStayWhileTheyFit)
{
    polygon({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}});
    OBJHANDLE line = polyline({{300, -50}, {300, 1050}});
    // Off: nothing is shown.
    EXPECT_EQ(CalculatePartsOfPolygonArea(window, line, labels.data()), 0);
    EXPECT_EQ(labels, (std::array<HWND, 3>{}));

    switchOn();
    ASSERT_EQ(CalculatePartsOfPolygonArea(window, line, labels.data()), 1);
    ASSERT_NE(labels[0], 0u);
    ASSERT_NE(labels[1], 0u);
    EXPECT_EQ(labels[2], 0u);
    EXPECT_GT(centre(labels[0]).x, 300); // the larger part is on the right
    EXPECT_LT(centre(labels[1]).x, 300);
    EXPECT_NEAR(number(labels[0]) / number(labels[1]), 7.0 / 3.0, 0.01);
    EXPECT_EQ(GetChildWindowText(labels[0]).front() == ' ', false);

    // The line's end moves a little: the labels keep their place, the texts
    // follow.
    const std::array<HWND, 3> before = labels;
    const std::string text = GetChildWindowText(labels[0]);
    ASSERT_EQ(
        PointSetReplacePoints(kernel(), &line, std::vector<MAP_COORDPT>{{300, -50}, {320, 1050}}.data(), 2),
        1);
    ASSERT_EQ(CalculatePartsOfPolygonArea(window, line, labels.data()), 1);
    EXPECT_EQ(labels[0], before[0]);
    EXPECT_NE(GetChildWindowText(labels[0]), text);

    // Across into four parts: the three largest get labels; the labels that
    // no longer stand inside their parts are made anew.
    ASSERT_EQ(PointSetReplacePoints(
                  kernel(), &line,
                  std::vector<MAP_COORDPT>{{-50, 100}, {1050, 300}, {-50, 600}, {1050, 900}}.data(), 4),
              1);
    ASSERT_EQ(CalculatePartsOfPolygonArea(window, line, labels.data()), 1);
    for (HWND label : labels)
        ASSERT_NE(label, 0u);
    EXPECT_GE(number(labels[0]), number(labels[1]));
    EXPECT_GE(number(labels[1]), number(labels[2]));

    // A line that enters and stops: the polygon is one part.
    ASSERT_EQ(
        PointSetReplacePoints(kernel(), &line, std::vector<MAP_COORDPT>{{-50, 500}, {500, 500}}.data(), 2),
        1);
    ASSERT_EQ(CalculatePartsOfPolygonArea(window, line, labels.data()), 1);
    EXPECT_NE(labels[0], 0u);
    EXPECT_EQ(labels[1], 0u);
    EXPECT_EQ(labels[2], 0u);

    // The setting off again leaves them; no line or a line that divides
    // nothing removes them.
    switchOn(0);
    EXPECT_EQ(CalculatePartsOfPolygonArea(window, line, labels.data()), 0);
    EXPECT_TRUE(IsWindow(labels[0]));
    switchOn();
    EXPECT_EQ(CalculatePartsOfPolygonArea(window, polyline({{2000, 2000}, {2100, 2100}}), labels.data()), 0);
    EXPECT_EQ(labels, (std::array<HWND, 3>{}));
    EXPECT_EQ(CalculatePartsOfPolygonArea(window, line, labels.data()), 1);
    EXPECT_EQ(CalculatePartsOfPolygonArea(window, 0, labels.data()), 0);
    EXPECT_EQ(labels, (std::array<HWND, 3>{}));
    // A polygon as the line, no window: refused.
    EXPECT_EQ(CalculatePartsOfPolygonArea(window, polygon({{0, 0}, {5, 0}, {5, 5}}), labels.data()), 0);
    EXPECT_EQ(CalculatePartsOfPolygonArea(0, line, labels.data()), 0);
}
