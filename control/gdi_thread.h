// The control's drawing thread: one paint of the map off the user-interface
// thread, over the union of the view's pending rectangle and the area it
// was made for. It runs on the control's drawing worker (drawing_worker.h),
// draws into the worker's scratch image and copies the finished area into
// the window's retained surface, posts the engine's progress message
// (kind 6) at its start and at its finish, and stops between two objects
// when the window's stop event is set.
#pragma once

#include "platform/types.h"

#include <QThread>
#include <atomic>

class CMapCtrl;
class DrawingWorker;

class CGDIThread {
public:
    // The stack the display pass gets: it recurses through nested groups.
    static constexpr uint kStackSize = 8u << 20;

    CGDIThread(CMapCtrl *control, HDC dc, const RECT &rect);
    // Waits for the paint (the control stops it first).
    ~CGDIThread();
    CGDIThread(const CGDIThread &) = delete;
    CGDIThread &operator=(const CGDIThread &) = delete;

    // Hands the paint to the worker at normal priority; false when the
    // worker's thread cannot be had.
    bool Start(DrawingWorker *worker);
    bool Finished() const { return finished_; }
    void Wait();
    void SetPriority(QThread::Priority priority);
    // The area the thread drew (or tried to), window coordinates.
    RECT drawnArea() const { return drawn_; }
    // 1 when it was stopped, 0 when it finished.
    int exitCode() const { return exitCode_; }

private:
    void InitInstance();

    CMapCtrl *control_;
    HDC dc_;
    RECT rect_;
    RECT drawn_{0, 0, 0, 0};
    int exitCode_ = 0;
    DrawingWorker *worker_ = nullptr;
    std::atomic<bool> finished_{false};
};
