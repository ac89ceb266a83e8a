#include "control/drawing_worker.h"

#include "platform/hold_point.h"

DrawingWorker::DrawingWorker(uint stackSize) : stackSize_(stackSize) {}

DrawingWorker::~DrawingWorker()
{
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !busy_; });
        quit_ = true;
        changed_.notify_all();
        // The loop's last touch of the members is seen to come before they
        // go. QThread::wait below orders it as well, but through Qt's own
        // locks, which a race checker does not see.
        if (thread_)
            changed_.wait(lock, [this] { return exited_; });
    }
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

bool DrawingWorker::Run(std::function<void()> job)
{
    if (!job)
        return false;
    if (!thread_) {
        thread_ = QThread::create([this] { Loop(); });
        if (!thread_)
            return false;
        thread_->setStackSize(stackSize_);
        thread_->start(QThread::NormalPriority);
        if (!thread_->isRunning()) {
            delete thread_;
            thread_ = nullptr;
            return false;
        }
    }
    {
        std::lock_guard lock(mutex_);
        if (busy_)
            return false;
        job_ = std::move(job);
        busy_ = true;
    }
    thread_->setPriority(QThread::NormalPriority);
    changed_.notify_all();
    return true;
}

void DrawingWorker::Wait()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
}

bool DrawingWorker::Busy() const
{
    std::lock_guard lock(mutex_);
    return busy_;
}

void DrawingWorker::SetPriority(QThread::Priority priority)
{
    if (thread_ && thread_->isRunning())
        thread_->setPriority(priority);
}

void DrawingWorker::Loop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return job_ || quit_; });
        if (quit_)
            break;
        const std::function<void()> job = std::move(job_);
        job_ = nullptr;
        lock.unlock();
        job();
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
    exited_ = true;
    changed_.notify_all();
}

void DrawingWorker::SetPassHookForTesting(std::function<void()> hook)
{
    std::lock_guard lock(mutex_);
    passHook_ = std::move(hook);
}

void DrawingWorker::PassPoint(HANDLE stop)
{
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        hook = passHook_;
    }
    if (hook)
        hook();
    HoldPoint(kDrawingPassHoldPoint, stop);
}
