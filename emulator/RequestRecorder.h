#pragma once

#include <cpprest/json.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

// Remembers what each endpoint received so client tests can check what their code really sent.
// Bounded, so a long soak against the program does not grow without end.
class RequestRecorder {
public:
    struct Entry {
        std::string endpoint;
        std::string method;
        std::string path;
        std::string query;  // raw, still percent-encoded
        std::string contentType;
        std::string body;
        std::size_t bodySize = 0;  // before any cut to kMaxBodyBytes
        std::int64_t receivedMs = 0;  // when it was recorded, on a clock that only goes forward
    };

    static constexpr std::size_t kMaxEntries = 1000;
    static constexpr std::size_t kMaxBodyBytes = 1 << 20;
    // Oldest entries go first once the kept bodies add up to this.
    static constexpr std::size_t kMaxTotalBodyBytes = 64 << 20;

    void Record(Entry entry);
    void Clear();
    // Oldest first; an empty `endpoint` lists every endpoint.
    web::json::value ToJson(const std::string &endpoint) const;

private:
    mutable std::mutex mutex_;
    std::deque<Entry> entries_;
    std::size_t totalBodyBytes_ = 0;
};
