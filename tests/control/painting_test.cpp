// Painting: the three roads draw the same pixels as the engine's own paint
// of the view, the drawing thread reports its start and finish and hands a
// stopped area on to the next paint, and the widget shows the surface.
#include "control_fixture.h"

#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/map_painting.h"
#include "engine/window/window_selection.h"
#include "platform/dc.h"
#include "platform/event.h"
#include "platform/gdi_objects.h"
#include "platform/window.h"
#include "platform/window_dc.h"

#include <QElapsedTimer>
#include <QImage>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <memory>

namespace {

// Whether this build runs under the race checker (ThreadSanitizer).
#if defined(__SANITIZE_THREAD__)
constexpr bool kRaceChecked = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr bool kRaceChecked = true;
#else
constexpr bool kRaceChecked = false;
#endif
#else
constexpr bool kRaceChecked = false;
#endif

class Painting : public ControlTest {
protected:
    void SetUp() override
    {
        // Qt splits its own large fills and image conversions (the widget's,
        // the scroll bars', the copies the tests make) into pieces that its
        // shared thread pool runs. The pool's threads keep their own lists
        // under Qt's mutex, which the race checker cannot see, and as Qt's
        // internals have no symbols, its reports about them name nothing a
        // suppression could name: under the checker the pool keeps a single
        // thread, never retired, so that no two of its threads meet. The
        // drawing thread and the window's thread draw and wait as always.
        if (kRaceChecked) {
            QThreadPool::globalInstance()->setExpiryTimeout(-1);
            QThreadPool::globalInstance()->setMaxThreadCount(1);
        }
        ControlTest::SetUp();
        if (HasFatalFailure())
            return;
        Polygon({{0, 0}, {400, 0}, {400, 300}, {0, 300}});
        Polyline({{-100, -50}, {500, 350}});
        const OBJHANDLE chosen = Polygon({{100, 100}, {250, 100}, {175, 220}});
        map_selection_Set(hwnd(), &chosen, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0);
        ASSERT_EQ(ctl->Command(mCmdViewAllObjects), 1);
        Settle();
    }

    // Every paint that was asked for has been drawn; no event is kept.
    void Settle()
    {
        UpdateWindow(hwnd());
        ctl->WaitForDrawing();
        sink->events.clear();
    }

    // The surface blackened, so that a road that draws nothing shows.
    void Blacken()
    {
        const HDC dc = GetDC(hwnd());
        const HGDIOBJ brush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
        Rectangle(dc, -1, -1, 1000, 1000);
        SelectObject(dc, brush);
    }
    QImage Surface() const { return GetWindowSurface(hwnd()).convertToFormat(QImage::Format_RGB32); }

    // What the engine paints of this view into an image of the client size.
    QImage Reference()
    {
        RECT client{};
        GetClientRect(hwnd(), &client);
        QImage image(client.right, client.bottom, QImage::Format_RGB32);
        image.fill(Qt::white);
        const HDC dc = CreateImageDC(&image);
        EXPECT_EQ(OnDstrPaint(ctl->wndRes(), dc, &client, 0), 1);
        DeleteDC(dc);
        return image;
    }

    // What the drawing thread's passes met: how many ran, and whether the
    // first, held once it had taken over its area, was let go by a stop.
    struct PassRecord {
        std::atomic<int> passes{0};
        std::atomic<bool> stopSeen{false};
    };
    using HeldPass = std::shared_ptr<PassRecord>;

    // The next threaded pass is held just before it draws until the
    // control asks it to stop, so that a test meets a pass under way
    // whatever the machine's load; later passes run freely. The wait is
    // bounded, so that a stop that never comes fails the test instead of
    // hanging it.
    HeldPass HoldFirstPassUntilStopped()
    {
        auto record = std::make_shared<PassRecord>();
        const HANDLE stop = ctl->wndRes()->stopEvent;
        ctl->SetDrawingPassHookForTesting([record, stop] {
            if (record->passes++ == 0)
                record->stopSeen = WaitForSingleObject(stop, 30000) == WAIT_OBJECT_0;
        });
        return record;
    }

    // One paint of the whole window by the road chosen.
    QImage PaintBy(bool offscreen, bool threads)
    {
        ctl->SetOffscreenDrawing(offscreen);
        ctl->SetUseThreads(threads);
        Blacken();
        ctl->FullRepaint();
        UpdateWindow(hwnd());
        ctl->WaitForDrawing();
        return Surface();
    }
};

TEST_F(Painting, TheThreeRoadsDrawTheEnginesPixels)
{
    const QImage reference = Reference();
    RECT client{};
    GetClientRect(hwnd(), &client);
    ASSERT_EQ(reference.size(), QSize(client.right, client.bottom));
    int inked = 0;
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width(); ++x)
            inked += reference.pixel(x, y) != qRgb(255, 255, 255);
    ASSERT_GT(inked, 1000) << "the map shows";

    EXPECT_EQ(PaintBy(false, false), reference) << "synchronous";
    EXPECT_EQ(PaintBy(true, false), reference) << "off-screen";
    sink->events.clear();
    EXPECT_EQ(PaintBy(false, true), reference) << "drawing thread";
    const std::vector<RecordedEvent> progress = sink->Of(EVENT_PROGRESS);
    EXPECT_EQ(progress, (std::vector<RecordedEvent>{{EVENT_PROGRESS, {6, -1}}, {EVENT_PROGRESS, {6, -2}}}));

    // The widget shows what the surface holds.
    QApplication::processEvents();
    const QImage shown =
        ctl->grab(QRect(0, 0, client.right, client.bottom)).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, reference);
}

TEST_F(Painting, AnEmptyInvalidAreaDrawsNothingAndClearsThePendingArea)
{
    Blacken();
    ctl->FullRepaint();
    ValidateRect(hwnd(), nullptr);
    sink->events.clear();
    const HDC dc = GetDC(hwnd());
    RECT client{};
    GetClientRect(hwnd(), &client);
    sink->events.clear();
    ctl->OnDraw(dc, client, RECT{0, 0, 0, 0});
    ctl->WaitForDrawing();
    EXPECT_EQ(ctl->view()->erasedFlag, 0);
    EXPECT_EQ(Surface().pixel(200, 150), qRgb(0, 0, 0));
    EXPECT_TRUE(sink->Of(EVENT_PROGRESS).empty()) << "no thread was started";
}

TEST_F(Painting, TwoQuickPaintsDrawTheUnionOnce)
{
    ctl->SetUseThreads(true);
    Settle();
    ctl->view()->erasedFlag = 0;
    ctl->view()->erasedRect = RECT{0, 0, 0, 0};
    const HeldPass held = HoldFirstPassUntilStopped();
    sink->events.clear();
    const HDC dc = GetDC(hwnd());
    const RECT client{0, 0, 400, 300};
    ctl->OnDraw(dc, client, RECT{10, 10, 60, 40});
    // The first pass has taken over its area and waits; the second paint
    // stops it.
    ctl->OnDraw(dc, client, RECT{300, 200, 350, 260});
    ctl->WaitForDrawing();
    EXPECT_TRUE(held->stopSeen.load()) << "the first pass was still drawing when the second paint came";
    EXPECT_EQ(held->passes.load(), 2);
    const RECT drawn = ctl->LastThreadArea();
    EXPECT_EQ(drawn.left, 10);
    EXPECT_EQ(drawn.top, 10);
    EXPECT_EQ(drawn.right, 350);
    EXPECT_EQ(drawn.bottom, 260);
    // Both threads started; only the second finished.
    EXPECT_EQ(sink->Of(EVENT_PROGRESS),
              (std::vector<RecordedEvent>{
                  {EVENT_PROGRESS, {6, -1}}, {EVENT_PROGRESS, {6, -1}}, {EVENT_PROGRESS, {6, -2}}}));
    EXPECT_EQ(ctl->view()->erasedFlag, 0) << "nothing is pending any more";
}

TEST_F(Painting, AStoppedThreadKeepsItsAreaPendingAndAsksForItsPaint)
{
    ctl->SetUseThreads(true);
    Settle();
    ctl->view()->erasedFlag = 0;
    ctl->view()->erasedRect = RECT{0, 0, 0, 0};
    Blacken();
    const HeldPass held = HoldFirstPassUntilStopped();
    sink->events.clear();
    const HDC dc = GetDC(hwnd());
    ctl->OnDraw(dc, RECT{0, 0, 400, 300}, RECT{20, 30, 120, 90});
    ctl->StopDrawingThread();
    EXPECT_TRUE(held->stopSeen.load()) << "the pass was still drawing when the stop came";
    EXPECT_EQ(ctl->view()->erasedFlag & 1, 1);
    EXPECT_EQ(ctl->view()->erasedRect.left, 20);
    EXPECT_EQ(ctl->view()->erasedRect.top, 30);
    EXPECT_EQ(ctl->view()->erasedRect.right, 120);
    EXPECT_EQ(ctl->view()->erasedRect.bottom, 90);
    EXPECT_EQ(Surface().pixel(70, 60), qRgb(0, 0, 0)) << "a stopped paint copies nothing";
    // Whoever stopped it, the area is due to be painted again.
    RECT due{};
    ASSERT_TRUE(GetUpdateRect(hwnd(), &due, FALSE));
    EXPECT_EQ(due.left, 20);
    EXPECT_EQ(due.top, 30);
    EXPECT_EQ(due.right, 120);
    EXPECT_EQ(due.bottom, 90);
    EXPECT_FALSE(ctl->PictureComplete());

    // The next paint draws the area that was left with its own.
    ctl->SetDrawingPassHookForTesting({});
    const RECT more{200, 200, 210, 210};
    InvalidateRect(hwnd(), &more, FALSE);
    UpdateWindow(hwnd());
    ctl->WaitForDrawing();
    const RECT drawn = ctl->LastThreadArea();
    EXPECT_EQ(drawn.left, 20);
    EXPECT_EQ(drawn.top, 30);
    EXPECT_EQ(drawn.right, 210);
    EXPECT_EQ(drawn.bottom, 210);
    EXPECT_NE(Surface().pixel(70, 60), qRgb(0, 0, 0));
    EXPECT_EQ(ctl->view()->erasedFlag, 0);
    EXPECT_TRUE(ctl->PictureComplete());
    // Both threads started; only the second finished.
    EXPECT_EQ(sink->Of(EVENT_PROGRESS),
              (std::vector<RecordedEvent>{
                  {EVENT_PROGRESS, {6, -1}}, {EVENT_PROGRESS, {6, -1}}, {EVENT_PROGRESS, {6, -2}}}));
}

// An automation call that stops the pass under way (as every operation on
// the store or the view does) and changes nothing that needs a paint: the
// control draws the stopped area again by itself, with no paint asked for
// from outside.
TEST_F(Painting, APassStoppedByAnOperationIsDrawnAgainByItself)
{
    const QImage reference = Reference();
    ctl->SetUseThreads(true);
    Settle();
    Blacken();
    const HeldPass held = HoldFirstPassUntilStopped();
    sink->events.clear();
    ctl->FullRepaint();
    UpdateWindow(hwnd());
    Call("UnitsSet", {VariantFromLong(0), VariantFromLong(ctl->UnitsGet(0))});
    EXPECT_TRUE(held->stopSeen.load()) << "the operation stopped the pass under way";
    // Events are handled until the end of a pass arrives; the bound only
    // keeps a lost pass from hanging the test.
    const RecordedEvent finished{EVENT_PROGRESS, {6, -2}};
    QElapsedTimer clock;
    clock.start();
    while (!std::ranges::count(sink->events, finished) && clock.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_EQ(std::ranges::count(sink->events, finished), 1) << "a pass drew the stopped area";
    ctl->WaitForDrawing();
    EXPECT_EQ(held->passes.load(), 2);
    EXPECT_EQ(Surface(), reference);
    EXPECT_TRUE(ctl->PictureComplete());
}

// The picture is complete once nothing is drawn or due: not while a paint is
// due, nor while a pass draws; reading it (also through automation) stops
// nothing.
TEST_F(Painting, ThePictureIsCompleteOnlyWhenNothingIsDrawnOrDue)
{
    auto complete = [&] { return Call("PictureComplete", {}, nullptr, DISPATCH_PROPERTYGET).boolVal != 0; };
    for (const bool threads : {false, true}) {
        SCOPED_TRACE(threads ? "drawing thread" : "synchronous");
        ctl->SetUseThreads(threads);
        Settle();
        EXPECT_TRUE(complete());
        ctl->FullRepaint();
        EXPECT_FALSE(complete()) << "a paint is due";
        Settle();
        EXPECT_TRUE(complete());
    }
    // A pass held before it draws, let go by the test.
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto reached = std::make_shared<std::atomic<int>>(0);
    const HANDLE stop = ctl->wndRes()->stopEvent;
    ctl->SetDrawingPassHookForTesting([release, reached, stop] {
        ++*reached;
        while (!release->load() && WaitForSingleObject(stop, 5) != WAIT_OBJECT_0) {
        }
    });
    ctl->FullRepaint();
    UpdateWindow(hwnd());
    QElapsedTimer clock;
    clock.start();
    while (reached->load() == 0 && clock.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(reached->load(), 1) << "the pass reached its hold point";
    EXPECT_FALSE(complete()) << "a pass draws";
    EXPECT_FALSE(complete());
    EXPECT_TRUE(ctl->DrawingThreadRunning()) << "reading stopped nothing";
    release->store(true);
    ctl->WaitForDrawing();
    ctl->SetDrawingPassHookForTesting({});
    EXPECT_TRUE(complete());
    EXPECT_EQ(reached->load(), 1);
}

TEST_F(Painting, AControlDestroyedWhileItDrawsStopsThePassBeforeItGoes)
{
    ctl->SetUseThreads(true);
    Settle();
    const HeldPass held = HoldFirstPassUntilStopped();
    const HDC dc = GetDC(hwnd());
    ctl->OnDraw(dc, RECT{0, 0, 400, 300}, RECT{0, 0, 400, 300});
    ctl = nullptr;
    object = ComPtr<MapControl>();
    QApplication::processEvents();
    EXPECT_TRUE(held->stopSeen.load()) << "the window's end stopped the pass under way";
    EXPECT_EQ(held->passes.load(), 1);
    for (const RecordedEvent &e : sink->Of(EVENT_PROGRESS))
        EXPECT_NE(e, (RecordedEvent{EVENT_PROGRESS, {6, -2}})) << "the stopped pass did not finish";
}

} // namespace

namespace {

TEST_F(Painting, ARubberBandDrawsItsRectanglesAndTheMapOnlyAfterAViewChange)
{
    ctl->SetUseThreads(false);
    ctl->SetOperationState(1);
    RubberBand &band = ctl->m_RubberBand;
    band.window = hwnd();
    band.view = ctl->view();
    // The map rectangles of two window rectangles.
    auto mapRectOf = [&](RECT w) {
        MAP_COORDRECT m{};
        PM_WindowToMapRect(ctl->view(), &w, &m);
        return MAP_COORDRECT{std::min(m.x1, m.x2), std::min(m.y1, m.y2), std::max(m.x1, m.x2),
                             std::max(m.y1, m.y2)};
    };
    band.previous = mapRectOf(RECT{20, 20, 80, 60});
    band.current = mapRectOf(RECT{150, 100, 250, 180});
    Blacken();
    const HDC dc = GetDC(hwnd());
    ctl->view()->erasedFlag = 0;
    ctl->OnDraw(dc, RECT{0, 0, 400, 300}, RECT{0, 0, 400, 300});
    QImage shown = Surface();
    EXPECT_EQ(shown.pixel(300, 250), qRgb(0, 0, 0)) << "no view change: the map is not drawn";
    EXPECT_NE(shown.pixel(band.windowRect.left, band.windowRect.top), qRgb(0, 0, 0)) << "current rectangle";
    EXPECT_NE(shown.pixel(20, 20), qRgb(0, 0, 0)) << "previous rectangle";

    // After a view change the map is drawn and only the current rectangle.
    Blacken();
    ctl->view()->erasedFlag = 1;
    ctl->OnDraw(dc, RECT{0, 0, 400, 300}, RECT{0, 0, 400, 300});
    shown = Surface();
    EXPECT_NE(shown.pixel(300, 250), qRgb(0, 0, 0));
    EXPECT_EQ(ctl->view()->erasedFlag, 0);

    // A rectangle narrower than 2 pixels is not drawn.
    Blacken();
    ctl->view()->erasedFlag = 0;
    band.previous = mapRectOf(RECT{0, 0, 0, 0});
    WorldRectInit(&band.previous);
    band.current = mapRectOf(RECT{100, 100, 101, 200});
    ctl->OnDraw(dc, RECT{0, 0, 400, 300}, RECT{0, 0, 400, 300});
    shown = Surface();
    for (int y = 90; y < 210; ++y)
        for (int x = 95; x < 106; ++x)
            ASSERT_EQ(shown.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
    ctl->SetOperationState(0);
}

} // namespace
