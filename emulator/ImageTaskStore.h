#pragma once

#include "ImageRequest.h"
#include "RenderQueue.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The image tasks started since the server came up and their drawn pictures. A task waits a
// moment, then runs while its pictures are drawn in the background, and succeeds once all are
// drawn and it has run long enough for a polling client to see it in progress.
class ImageTaskStore {
public:
    enum class Status { Init, Running, Success };

    struct Snapshot {
        std::int64_t id = 0;
        Status status = Status::Init;
        std::shared_ptr<const ImageRequest> request;
        std::chrono::system_clock::time_point created;
    };

    static constexpr std::chrono::milliseconds kInitPhase{300};
    static constexpr std::chrono::milliseconds kMinRunTime{800};
    // Finished tasks go, oldest first, once their pictures add up to more than this or there
    // are more tasks than kMaxTasks, so a long soak does not grow without end.
    static constexpr std::size_t kMaxKeptBytes = std::size_t{256} << 20;
    static constexpr std::size_t kMaxTasks = 1000;

    ImageTaskStore() = default;
    ~ImageTaskStore();
    ImageTaskStore(const ImageTaskStore &) = delete;
    ImageTaskStore &operator=(const ImageTaskStore &) = delete;

    // Starts drawing and returns the new task's id, always above every earlier one.
    std::int64_t Create(ImageRequest request);
    std::optional<Snapshot> Find(std::int64_t id) const;
    // Null until that picture is drawn, or when there is no such task or picture.
    std::shared_ptr<const std::string> Png(std::int64_t id, int index) const;
    // Abandons the drawing not yet started and joins the drawing thread.
    void Stop();

private:
    struct Task {
        std::shared_ptr<const ImageRequest> request;
        std::chrono::steady_clock::time_point started;
        std::chrono::system_clock::time_point created;
        std::vector<std::shared_ptr<const std::string>> pngs;
        int drawn = 0;
    };

    void Draw(std::int64_t id, int index, const ImageRequest &request);
    std::int64_t NextId(std::chrono::system_clock::time_point now);
    void Evict(std::int64_t keep);

    mutable std::mutex mutex_;
    std::map<std::int64_t, Task> tasks_;  // ids grow with time, so the first is the oldest
    std::size_t keptBytes_ = 0;
    std::int64_t lastId_ = 0;
    // Last, so it is destroyed first: no drawing job outlives the members it writes to.
    RenderQueue queue_;
};
