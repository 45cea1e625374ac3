#pragma once

#include "RecognizedSentence.h"
#include "SpeechRecognizer.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The recognition tasks of the service on the object store. A task runs until its recording is
// recognised and at least the given time has passed, so every client sees it running first.
class RecognitionTaskStore {
public:
    enum class Status { Running, Success, Failure };

    struct View {
        Status status = Status::Running;
        SpeechRecognizer::Language language = SpeechRecognizer::Language::Mandarin;
        int errorNumber = 0;
        std::string errorMessage;
        std::int64_t durationMs = 0;
        std::vector<RecognizedSentence> sentences;
    };

    // The oldest finished tasks give way beyond this many, so a long soak does not grow without end.
    static constexpr std::size_t kMaxTasks = 1000;

    explicit RecognitionTaskStore(std::chrono::milliseconds minRunning);

    // A new running task's id, 24 hex digits.
    std::string Add(SpeechRecognizer::Language language);
    void Succeed(const std::string &id, std::int64_t durationMs, std::vector<RecognizedSentence> sentences);
    void Fail(const std::string &id, int number, std::string message);
    std::optional<View> Find(const std::string &id) const;

private:
    struct Task {
        View view;
        bool finished = false;
        std::chrono::steady_clock::time_point created;
    };

    void Finish(const std::string &id, View view);

    std::chrono::milliseconds minRunning_;
    mutable std::mutex mutex_;
    std::map<std::string, Task> tasks_;
    std::deque<std::string> order_;  // oldest first
};
