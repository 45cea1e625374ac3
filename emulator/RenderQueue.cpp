#include "RenderQueue.h"

#include <utility>

RenderQueue::~RenderQueue() { Stop(); }

void RenderQueue::Post(Job job)
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        jobs_.push_back(std::move(job));
        if (!worker_.joinable())
            worker_ = std::thread([this] { Run(); });
    }
    wake_.notify_one();
}

void RenderQueue::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    // Only Stop() joins, and the thread is only started under the lock while not stopping, so no
    // thread can appear after this check.
    if (worker_.joinable())
        worker_.join();
}

void RenderQueue::Run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_)
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}
