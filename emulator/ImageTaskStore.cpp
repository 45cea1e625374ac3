#include "ImageTaskStore.h"

#include "ImagePainter.h"

#include <algorithm>
#include <utility>

namespace {

// Ids look like the service's: creation time in milliseconds followed by three more digits.
constexpr std::int64_t kIdsPerMillisecond = 1000;

}  // namespace

ImageTaskStore::~ImageTaskStore() { Stop(); }

std::int64_t ImageTaskStore::Create(ImageRequest request)
{
    const auto shared = std::make_shared<const ImageRequest>(std::move(request));
    std::int64_t id = 0;
    {
        std::lock_guard lock(mutex_);
        const auto now = std::chrono::system_clock::now();
        id = NextId(now);
        Task task{shared, std::chrono::steady_clock::now(), now, {}, 0};
        task.pngs.resize(static_cast<std::size_t>(shared->count));
        tasks_.emplace(id, std::move(task));
    }
    // One job per picture, so stopping waits for one picture at most, not a whole set.
    for (int index = 0; index < shared->count; ++index)
        queue_.Post([this, id, index, shared] { Draw(id, index, *shared); });
    return id;
}

std::optional<ImageTaskStore::Snapshot> ImageTaskStore::Find(std::int64_t id) const
{
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end())
        return std::nullopt;
    const Task &task = it->second;
    const auto age = std::chrono::steady_clock::now() - task.started;
    Status status = Status::Running;
    if (age < kInitPhase)
        status = Status::Init;
    else if (age >= kMinRunTime && task.drawn == task.request->count)
        status = Status::Success;
    return Snapshot{id, status, task.request, task.created};
}

std::shared_ptr<const std::string> ImageTaskStore::Png(std::int64_t id, int index) const
{
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end() || index < 0 || index >= static_cast<int>(it->second.pngs.size()))
        return nullptr;
    return it->second.pngs[static_cast<std::size_t>(index)];
}

void ImageTaskStore::Stop() { queue_.Stop(); }

void ImageTaskStore::Draw(std::int64_t id, int index, const ImageRequest &request)
{
    auto png = std::make_shared<const std::string>(ImagePainter::EncodePng(ImagePainter::Paint(request, index)));
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end())
        return;
    keptBytes_ += png->size();
    it->second.pngs[static_cast<std::size_t>(index)] = std::move(png);
    ++it->second.drawn;
    Evict(id);
}

std::int64_t ImageTaskStore::NextId(std::chrono::system_clock::time_point now)
{
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    lastId_ = std::max(lastId_ + 1, static_cast<std::int64_t>(millis) * kIdsPerMillisecond);
    return lastId_;
}

void ImageTaskStore::Evict(std::int64_t keep)
{
    for (auto it = tasks_.begin(); it != tasks_.end() && (keptBytes_ > kMaxKeptBytes || tasks_.size() > kMaxTasks);) {
        const Task &task = it->second;
        if (it->first == keep || task.drawn < task.request->count) {
            ++it;
            continue;
        }
        for (const auto &png : task.pngs)
            keptBytes_ -= png->size();
        it = tasks_.erase(it);
    }
}
