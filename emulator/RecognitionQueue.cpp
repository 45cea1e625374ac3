#include "RecognitionQueue.h"

#include "SpeechRecognizer.h"

#include <utility>

RecognitionQueue::RecognitionQueue() = default;

RecognitionQueue::~RecognitionQueue() { Stop(); }

void RecognitionQueue::Post(Job job)
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        jobs_.push_back(std::move(job));
        // Workers start with the jobs that need them, so a server that recognises nothing holds
        // no threads for it.
        if (workers_.size() < kWorkers)
            workers_.emplace_back([this] { Work(); });
    }
    wake_.notify_one();
}

void RecognitionQueue::Stop()
{
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
        workers.swap(workers_);
    }
    wake_.notify_all();
    for (auto &worker : workers)
        worker.join();
}

void RecognitionQueue::Work()
{
    SpeechRecognizer recognizer;
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
        // Jobs report their own failures; one that throws regardless must not end the process.
        try {
            job(recognizer, stopping_);
        } catch (...) {
        }
    }
}
