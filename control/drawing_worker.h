// The thread that runs the control's drawing thread bodies, one at a time,
// for the life of the control. Kept from one paint to the next, it keeps
// what the drawing holds per thread (its scratch image of the client's
// size, the painters' buffers) and saves starting a thread for every paint.
#pragma once

#include "platform/types.h"

#include <QImage>
#include <QThread>

#include <condition_variable>
#include <functional>
#include <mutex>

class DrawingWorker {
public:
    explicit DrawingWorker(uint stackSize);
    // Waits for the job in hand, then ends the thread.
    ~DrawingWorker();
    DrawingWorker(const DrawingWorker &) = delete;
    DrawingWorker &operator=(const DrawingWorker &) = delete;

    // Hands the job to the thread (started on the first job) at normal
    // priority. False when the thread cannot be started or still runs a
    // job: the caller waits for each job before it hands over the next.
    bool Run(std::function<void()> job);
    // Returns once no job is in hand.
    void Wait();
    bool Busy() const;
    // The priority of the thread while it runs the job in hand.
    void SetPriority(QThread::Priority priority);
    // The thread's own scratch image, for the jobs alone.
    QImage &Scratch() { return scratch_; }

    // Tests only: `hook` runs on the thread wherever a job calls PassPoint()
    // (a drawing pass does once it has taken over the pending area, just
    // before it draws), so that a test can hold a pass that is under way.
    // No hook is set outside tests; an empty function removes it.
    void SetPassHookForTesting(std::function<void()> hook);
    // Runs this worker's hook, then the process's hold point of drawing
    // passes (platform/hold_point.h), which tests that reach the control
    // only through automation use; `stop` is the pass's stop event.
    void PassPoint(HANDLE stop);

private:
    void Loop();

    const uint stackSize_;
    QThread *thread_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    bool busy_ = false;
    bool quit_ = false;
    bool exited_ = false;
    std::function<void()> passHook_;
    QImage scratch_;
};
