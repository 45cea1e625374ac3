#pragma once

#include "RecognizedSentence.h"
#include "SpeechRecognizer.h"
#include "TranscriptionError.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The file-transcription tasks: what each announced, the slices uploaded so far (on disk, in a
// folder per task), and, once merged, how recognition goes. A merged task walks through the
// service's states over time, each shown for at least one step, before it is done.
class TranscriptionTaskStore {
public:
    static constexpr int kCreated = 0;
    static constexpr int kUploaded = 1;
    static constexpr int kMerged = 2;
    static constexpr int kTranscribing = 3;
    static constexpr int kFinishing = 4;
    static constexpr int kDone = 9;
    // Beyond this many tasks the oldest that are not being merged or recognised go, files and all.
    static constexpr std::size_t kMaxTasks = 200;

    struct Announcement {
        std::string fileName;
        std::uint64_t fileLength = 0;
        int slices = 0;
        SpeechRecognizer::Language language = SpeechRecognizer::Language::Mandarin;
    };
    struct Progress {
        int status = kCreated;
        TranscriptionError error;  // set once a failed task shows its failure
    };
    struct Result {
        bool done = false;
        TranscriptionError error;
        std::vector<RecognizedSentence> sentences;
    };
    struct Merged {
        TranscriptionError error;
        std::filesystem::path audio;  // the whole recording, to be recognised
        SpeechRecognizer::Language language = SpeechRecognizer::Language::Mandarin;
    };

    TranscriptionTaskStore(std::filesystem::path folder, std::chrono::milliseconds step);

    // A new task's id, 32 hex digits.
    std::string Create(Announcement announcement);
    bool Exists(const std::string &id) const;
    // Stores one slice; the same slice id again replaces it.
    TranscriptionError AddSlice(const std::string &id, const std::string &sliceId, std::string_view bytes);
    // Joins the slices in slice-id order into one recording.
    Merged Merge(const std::string &id);
    void Succeed(const std::string &id, std::vector<RecognizedSentence> sentences);
    void Fail(const std::string &id, TranscriptionError error);

    std::optional<Progress> ProgressOf(const std::string &id) const;
    std::optional<Result> ResultOf(const std::string &id) const;
    // What the service says of a state in its progress replies.
    static std::string DescriptionOf(int status);

private:
    enum class Phase { Open, Merging, Recognising, Recognised, Failed };
    struct Task {
        Announcement announced;
        std::filesystem::path folder;
        std::map<std::string, std::uint64_t> slices;  // slice id -> bytes
        Phase phase = Phase::Open;
        std::chrono::steady_clock::time_point mergedAt;
        std::chrono::steady_clock::time_point finishedAt;
        TranscriptionError error;
        std::vector<RecognizedSentence> sentences;
    };

    Progress ProgressOf(const Task &task) const;
    void Finish(const std::string &id, Phase phase, TranscriptionError error, std::vector<RecognizedSentence> sentences);
    void EvictOld();
    static std::filesystem::path SlicePath(const Task &task, const std::string &sliceId);

    std::filesystem::path folder_;
    std::chrono::milliseconds step_;
    mutable std::mutex mutex_;
    std::map<std::string, Task> tasks_;
    std::deque<std::string> order_;  // oldest first
};
