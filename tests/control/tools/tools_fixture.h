// The control with a small map, and the mouse and keys of a user: presses,
// releases and double clicks through QTest, moves as the window system
// sends them, keys through QTest (the key-state tracker sees them). After a
// sequence the surface is compared with a fresh paint of the document.
#pragma once

#include "../control_fixture.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/map_painting.h"
#include "engine/window/window_selection.h"
#include "engine/window/wndres.h"
#include "platform/dc.h"
#include "platform/key_state.h"
#include "platform/window.h"
#include "platform/window_dc.h"
#include "platform/window_messages.h"

#include <QImage>
#include <QMouseEvent>
#include <QTest>

class ToolsTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        if (HasFatalFailure())
            return;
        ReleaseAllKeys();
        // A frame that fixes the view: map units 0 .. 1000 across.
        frame = Polyline({{0, 0}, {1000, 0}, {1000, 750}, {0, 750}});
        ASSERT_EQ(ctl->Command(mCmdViewAllObjects), 1);
        Settle();
    }
    void TearDown() override
    {
        ReleaseAllKeys();
        ControlTest::TearDown();
    }

    OBJectKernel *kernel() const { return ctl->wndRes()->kernel; }
    uint16_t LastStep() const { return Undo_CurrentStep(kernel()).code; }
    int32_t Steps() const { return Undo_KernelUndoStepsCount(kernel()); }
    int32_t Selected()
    {
        int32_t count = 0;
        map_selection_Get(hwnd(), &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 0);
        return count;
    }
    OBJHANDLE FirstSelected()
    {
        int32_t count = 0;
        OBJHANDLE h = 0;
        map_selection_Get(hwnd(), &count, &h, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 0);
        return count ? h : 0;
    }
    std::vector<MAP_COORDPT> PointsOf(OBJHANDLE h)
    {
        const bool polygon = GetOBJectClassID(kernel(), h) == CLASS_POLYGON;
        auto get = polygon ? map_polygon_Get : map_polyline_Get;
        int32_t total = 0;
        get(hwnd(), h, &total, nullptr, 0);
        std::vector<MAP_COORDPT> p(size_t(std::max(total, 0)));
        if (total > 0)
            get(hwnd(), h, &total, p.data(), total);
        return p;
    }

    // Window point of a map point, and back.
    QPoint W(int32_t x, int32_t y) const
    {
        const MAP_COORDPT m{x, y};
        POINT w{};
        PM_MapToWindow(ctl->view(), &m, &w, 1);
        return QPoint(w.x, w.y);
    }
    MAP_COORDPT M(QPoint p) const
    {
        const POINT w{p.x(), p.y()};
        MAP_COORDPT m{};
        PM_WindowToMap(ctl->view(), &w, &m, 1);
        return m;
    }

    // The user's hand.
    void Move(QPoint p, Qt::MouseButtons held = Qt::NoButton)
    {
        QMouseEvent e(QEvent::MouseMove, p, ctl->mapToGlobal(p), Qt::NoButton, held, Qt::NoModifier);
        QApplication::sendEvent(ctl, &e);
    }
    void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(ctl, b, {}, p); }
    void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseRelease(ctl, b, {}, p); }
    void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton)
    {
        Move(p);
        QTest::mouseClick(ctl, b, {}, p);
    }
    // The second press of a double click and its release.
    void DoubleClick(QPoint p)
    {
        Click(p);
        QTest::mouseDClick(ctl, Qt::LeftButton, {}, p);
        Release(p);
    }
    void Drag(QPoint from, QPoint to, int steps = 4)
    {
        Move(from);
        Press(from);
        for (int i = 1; i <= steps; ++i)
            Move(from + (to - from) * i / steps, Qt::LeftButton);
        Release(to);
    }
    void Key(Qt::Key key, bool down)
    {
        if (down)
            QTest::keyPress(ctl, key);
        else
            QTest::keyRelease(ctl, key);
    }

    // Objects made by the test are shown: the whole map painted again.
    void Show()
    {
        ctl->FullRepaint();
        Settle();
    }
    void Settle()
    {
        UpdateWindow(hwnd());
        ctl->WaitForDrawing();
        QApplication::processEvents();
        UpdateWindow(hwnd());
        ctl->WaitForDrawing();
        sink->events.clear();
    }
    QImage Surface() const { return GetWindowSurface(hwnd()).convertToFormat(QImage::Format_RGB32); }
    QImage Reference()
    {
        RECT client{};
        GetClientRect(hwnd(), &client);
        QImage image(client.right, client.bottom, QImage::Format_RGB32);
        image.fill(Qt::white);
        const HDC dc = CreateImageDC(&image);
        OnDstrPaint(ctl->wndRes(), dc, &client, 0);
        DeleteDC(dc);
        return image;
    }
    // Nothing of the tool is left on the surface.
    void ExpectCleanSurface()
    {
        EXPECT_EQ(ctl->OperationState(), 0);
        UpdateWindow(hwnd());
        ctl->WaitForDrawing();
        QApplication::processEvents();
        UpdateWindow(hwnd());
        ctl->WaitForDrawing();
        const QImage s = Surface();
        const QImage r = Reference();
        int differ = 0;
        QRect where;
        for (int y = 0; y < std::min(s.height(), r.height()); ++y)
            for (int x = 0; x < std::min(s.width(), r.width()); ++x)
                if (s.pixel(x, y) != r.pixel(x, y)) {
                    ++differ;
                    where |= QRect(x, y, 1, 1);
                }
        if (differ && qEnvironmentVariableIsSet("TOOLS_DUMP")) {
            s.save(QString("/tmp/surface_%1.png").arg(dumps));
            r.save(QString("/tmp/reference_%1.png").arg(dumps++));
        }
        EXPECT_EQ(differ, 0) << "pixels that differ from a fresh paint, within (" << where.left() << ", "
                             << where.top() << ") - (" << where.right() << ", " << where.bottom() << ")";
    }

    std::vector<RecordedEvent> Without(DISPID id) const
    {
        std::vector<RecordedEvent> r;
        for (const RecordedEvent &e : sink->events)
            if (e.id != id)
                r.push_back(e);
        return r;
    }

    OBJHANDLE frame = 0;
    int dumps = 0;
};
