#include "tests/engine/editing/display_fixture.h"

#include "engine/kernel/references.h"
#include "engine/window/map_painting.h"
#include "platform/event.h"
#include "platform/surface_widget.h"
#include "platform/window_dc.h"

#include <QApplication>
#include <QPixmap>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

using MapPainting = DisplayTest;

const RECT kWhole{0, 0, DisplayTest::W, DisplayTest::H};

TEST_F(MapPainting, DrawsTheMapThenTheSelection)
{
    const OBJHANDLE l = layer({RGB(255, 0, 0), 0, 1, kBlue});
    polygon(kSquare, l);
    const OBJHANDLE chosen = polygon({{40, 10}, {60, 10}, {60, 30}, {40, 30}}, l);
    select(chosen);
    EXPECT_EQ(OnDstrPaint(&rec, dc, &kWhole, 0), 1);
    EXPECT_EQ(pixel(20, 20), kBlue);
    EXPECT_EQ(pixel(40, 20), kBlack) << "the selection's look";
    EXPECT_TRUE(VertexBitmapTest(&rec, 40, H - 10));

    // Only the selection.
    image.fill(0xFFFFFFFFu);
    EXPECT_EQ(OnDstrPaint(&rec, dc, &kWhole, 1), 1);
    EXPECT_EQ(pixel(20, 20), kWhite);
    EXPECT_EQ(pixel(40, 20), kBlack);
}

TEST_F(MapPainting, OnlyTheRectangleIsPaintedAndItsVerticesCleared)
{
    const OBJHANDLE l = layer({RGB(255, 0, 0), 0, 1, kBlue});
    polygon(kSquare, l);
    polygon({{40, 10}, {60, 10}, {60, 30}, {40, 30}}, l);
    VertexBitmapMark(&rec, 50, 5);
    const RECT left{0, 0, 32, H};
    // The answer is the selection run's: an empty selection lies nowhere,
    // so the clip test refuses it.
    EXPECT_EQ(OnDstrPaint(&rec, dc, &left, 0), 0);
    EXPECT_EQ(pixel(20, 20), kBlue);
    EXPECT_EQ(pixel(50, 20), kWhite) << "outside the painted rectangle";
    EXPECT_TRUE(VertexBitmapTest(&rec, 50, 5)) << "outside: kept";
    VertexBitmapMark(&rec, 5, 5);
    EXPECT_EQ(OnDstrPaint(&rec, dc, &left, 1), 0);
    EXPECT_FALSE(VertexBitmapTest(&rec, 5, 5)) << "inside: cleared for the repaint";
}

TEST_F(MapPainting, ALeftOverClipRectangleDoesNotNarrowThePaint)
{
    polygon(kSquare, layer({RGB(255, 0, 0), 0, 1, kBlue}));
    const MAP_COORDRECT leftOver{50, 40, 60, 45};
    LayersClipRectSet(window, 0, &leftOver);
    EXPECT_NE(OnDstrPaint(&rec, dc, &kWhole, 0), -1);
    EXPECT_EQ(pixel(20, 20), kBlue);
    MAP_COORDRECT after{};
    ASSERT_EQ(LayersClipRectGet(window, 0, &after), 1) << "the other call's rectangle is back";
    EXPECT_EQ(after.x1, 50);
    LayersClipRectSet(window, 0, nullptr);
    EXPECT_NE(OnDstrPaint(&rec, dc, &kWhole, 0), -1);
    EXPECT_EQ(LayersClipRectGet(window, 0, &after), 0) << "a paint leaves no rectangle behind";
}

TEST_F(MapPainting, StopBeforeTheCallDrawsNothing)
{
    const OBJHANDLE h = polygon(kSquare, layer({RGB(255, 0, 0), 0, 1, kBlue}));
    select(h);
    SetEvent(rec.stopEvent);
    EXPECT_EQ(OnDstrPaint(&rec, dc, &kWhole, 0), -1);
    EXPECT_EQ(countNotWhite(), 0);
    StopAndWaitDrawing(&rec);
}

TEST_F(MapPainting, BadInput)
{
    EXPECT_EQ(OnDstrPaint(nullptr, dc, &kWhole, 0), 0);
    EXPECT_EQ(OnDstrPaint(&rec, 0, &kWhole, 0), 0);
    EXPECT_EQ(OnDstrPaint(&rec, dc, nullptr, 0), 0);
    // A document without Layers root.
    RemoveReference(rec.kernel, rec.rootObject, REF_ROOT, layers);
    EXPECT_EQ(OnDstrPaint(&rec, dc, &kWhole, 0), 0);
    EXPECT_EQ(countNotWhite(), 0);
    EXPECT_EQ(OnDstrRBD(window, POINT{5, 5}), 1);
}

TEST_F(MapPainting, RefreshInvalidatesTheWholeClientArea)
{
    ValidateRect(window, nullptr);
    RefreshMapWindow(window);
    RECT r{};
    ASSERT_TRUE(GetUpdateRect(window, &r, FALSE));
    EXPECT_EQ(r.right, W);
    EXPECT_EQ(r.bottom, H);
}

// A paint on a second thread into the window's retained surface, stopped
// by the user-interface thread; the widget shows what the surface holds.
TEST_F(MapPainting, PaintOnADrawingThreadStopsAtTheStopEvent)
{
    // The map window as a widget, with this record attached to it.
    WndRes_Destructor(&rec);
    ASSERT_EQ(WndRes_Constructor(&rec), 1);
    SurfaceWidget widget(nullptr);
    widget.resize(W, H);
    widget.show();
    QApplication::processEvents();
    const HWND hwnd = widget.handle();
    ASSERT_EQ(WndRes_AttachToWindow(&rec, hwnd, 1), 1);
    const HWND headless = window;
    window = hwnd;
    SetUpViewOnly();
    const OBJHANDLE l = layer({RGB(255, 0, 0), 0, 1, kBlue});
    // Enough objects that the pass is still running when it is stopped.
    for (int i = 0; i < 40000; ++i)
        polyline({{i % 30, (i / 30) % 20}, {i % 30 + 3, (i / 30) % 20 + 2}}, l);
    const OBJHANDLE chosen = polygon({{40, 10}, {60, 10}, {60, 30}, {40, 30}}, l);
    select(chosen);

    std::atomic<long> result{2};
    std::thread drawing([&] {
        const HDC surface = GetDC(hwnd);
        RECT client{};
        GetClientRect(hwnd, &client);
        result = OnDstrPaint(&rec, surface, &client, 0);
        InvalidateRect(hwnd, nullptr, FALSE); // queued to the widget's thread
    });
    for (int spins = 0; DisplayPassesRunning(&rec) == 0 && result == 2 && spins < 10000000; ++spins)
        std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(StopAndWaitDrawing(&rec), 1);
    const auto waited = std::chrono::steady_clock::now() - start;
    drawing.join();
    EXPECT_EQ(result, -1);
    EXPECT_LT(waited, std::chrono::seconds(2)) << "the pass polls the event before every object";
    EXPECT_EQ(DisplayPassesRunning(&rec), 0);

    const QImage surface = GetWindowSurface(hwnd);
    ASSERT_EQ(surface.size(), QSize(W, H));
    for (int y = H - 30; y <= H - 10; ++y)
        for (int x = 40; x <= 60; ++x)
            ASSERT_EQ(gdi::FromPixel(surface.pixel(x, y)), kWhite) << "the selection is not drawn";

    QApplication::processEvents();
    const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, surface.convertToFormat(QImage::Format_RGB32));
    WndRes_Destructor(&rec);
    ASSERT_EQ(WndRes_Constructor(&rec), 1);
    window = headless;
}

} // namespace
