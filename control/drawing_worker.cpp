#include "control/drawing_worker.h"

DrawingWorker::DrawingWorker(uint stackSize) : stackSize_(stackSize) {}

DrawingWorker::~DrawingWorker()
{
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !busy_; });
        quit_ = true;
    }
    changed_.notify_all();
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
            return;
        const std::function<void()> job = std::move(job_);
        job_ = nullptr;
        lock.unlock();
        job();
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}
