#include "RequestRecorder.h"

#include "Utf8Text.h"

#include <chrono>
#include <utility>
#include <vector>

void RequestRecorder::Record(Entry entry)
{
    entry.bodySize = entry.body.size();
    entry.receivedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    if (entry.body.size() > kMaxBodyBytes)
        entry.body.resize(kMaxBodyBytes);
    // Bodies go out as JSON strings, which must be valid UTF-8 whatever the client sent.
    entry.body = Utf8Text::Sanitize(entry.body);
    entry.path = Utf8Text::Sanitize(entry.path);
    entry.query = Utf8Text::Sanitize(entry.query);
    entry.contentType = Utf8Text::Sanitize(entry.contentType);

    std::lock_guard lock(mutex_);
    totalBodyBytes_ += entry.body.size();
    entries_.push_back(std::move(entry));
    while (entries_.size() > kMaxEntries || totalBodyBytes_ > kMaxTotalBodyBytes) {
        totalBodyBytes_ -= entries_.front().body.size();
        entries_.pop_front();
    }
}

void RequestRecorder::Clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
    totalBodyBytes_ = 0;
}

web::json::value RequestRecorder::ToJson(const std::string &endpoint) const
{
    std::vector<web::json::value> items;
    std::lock_guard lock(mutex_);
    for (const auto &entry : entries_) {
        if (!endpoint.empty() && entry.endpoint != endpoint)
            continue;
        auto item = web::json::value::object();
        item["endpoint"] = web::json::value::string(entry.endpoint);
        item["method"] = web::json::value::string(entry.method);
        item["path"] = web::json::value::string(entry.path);
        item["query"] = web::json::value::string(entry.query);
        item["content_type"] = web::json::value::string(entry.contentType);
        item["body"] = web::json::value::string(entry.body);
        item["body_size"] = web::json::value::number(static_cast<uint64_t>(entry.bodySize));
        item["received_ms"] = web::json::value::number(entry.receivedMs);
        items.push_back(std::move(item));
    }
    return web::json::value::array(std::move(items));
}
