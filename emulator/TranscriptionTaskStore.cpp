#include "TranscriptionTaskStore.h"

#include "RandomText.h"

#include <fstream>
#include <system_error>
#include <utility>

namespace {

constexpr std::size_t kIdDigits = 32;
constexpr const char *kAudioName = "audio";
constexpr std::size_t kCopyBlock = 1 << 20;

bool WriteFile(const std::filesystem::path &path, std::string_view bytes)
{
    const auto temporary = path.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

bool Append(std::ofstream &out, const std::filesystem::path &from)
{
    std::ifstream in(from, std::ios::binary);
    std::vector<char> block(kCopyBlock);
    while (in && out) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        out.write(block.data(), in.gcount());
    }
    return in.eof() && out.good();
}

}  // namespace

TranscriptionTaskStore::TranscriptionTaskStore(std::filesystem::path folder, std::chrono::milliseconds step)
    : folder_(std::move(folder)), step_(step)
{
}

std::string TranscriptionTaskStore::Create(Announcement announcement)
{
    std::lock_guard lock(mutex_);
    EvictOld();
    std::string id = RandomText::Hex(kIdDigits);
    while (tasks_.count(id) != 0)
        id = RandomText::Hex(kIdDigits);
    Task task;
    task.announced = std::move(announcement);
    task.folder = folder_ / id;
    tasks_.emplace(id, std::move(task));
    order_.push_back(id);
    return id;
}

bool TranscriptionTaskStore::Exists(const std::string &id) const
{
    std::lock_guard lock(mutex_);
    return tasks_.count(id) != 0;
}

TranscriptionError TranscriptionTaskStore::AddSlice(const std::string &id, const std::string &sliceId,
                                                    std::string_view bytes)
{
    std::filesystem::path path;
    {
        std::lock_guard lock(mutex_);
        const auto it = tasks_.find(id);
        if (it == tasks_.end())
            return TranscriptionError::Make(TranscriptionError::kUnknownTask, "no task " + id);
        const Task &task = it->second;
        if (task.phase != Phase::Open)
            return TranscriptionError::Make(TranscriptionError::kUploadFailed, "the task's slices were merged already");
        if (task.slices.count(sliceId) == 0 && task.slices.size() >= static_cast<std::size_t>(task.announced.slices))
            return TranscriptionError::Make(TranscriptionError::kTooManySlices,
                                            "the task announced " + std::to_string(task.announced.slices) + " slices");
        std::uint64_t total = bytes.size();
        for (const auto &[other, size] : task.slices)
            total += other == sliceId ? 0 : size;
        if (total > task.announced.fileLength)
            return TranscriptionError::Make(TranscriptionError::kLengthMismatch,
                                            "the slices hold more than the announced " +
                                                std::to_string(task.announced.fileLength) + " bytes");
        path = SlicePath(task, sliceId);
    }

    // Written outside the lock: a large slice must not hold up every other request meanwhile.
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    if (!WriteFile(path, bytes))
        return TranscriptionError::Make(TranscriptionError::kUploadFailed, "the slice cannot be stored");

    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end() || it->second.phase != Phase::Open) {
        std::filesystem::remove(path, ignored);
        return TranscriptionError::Make(TranscriptionError::kUploadFailed, "the task was merged meanwhile");
    }
    it->second.slices[sliceId] = bytes.size();
    return {};
}

TranscriptionTaskStore::Merged TranscriptionTaskStore::Merge(const std::string &id)
{
    Merged merged;
    std::vector<std::filesystem::path> slices;
    {
        std::lock_guard lock(mutex_);
        const auto it = tasks_.find(id);
        if (it == tasks_.end()) {
            merged.error = TranscriptionError::Make(TranscriptionError::kUnknownTask, "no task " + id);
            return merged;
        }
        Task &task = it->second;
        if (task.phase != Phase::Open) {
            merged.error = TranscriptionError::Make(TranscriptionError::kMergeFailed, "the task was merged already");
            return merged;
        }
        if (task.slices.empty()) {
            merged.error = TranscriptionError::Make(TranscriptionError::kMergeFailed, "no slice was uploaded");
            return merged;
        }
        std::uint64_t total = 0;
        for (const auto &[sliceId, size] : task.slices) {
            total += size;
            slices.push_back(SlicePath(task, sliceId));
        }
        if (total != task.announced.fileLength) {
            merged.error = TranscriptionError::Make(TranscriptionError::kLengthMismatch,
                                                    std::to_string(total) + " bytes arrived, " +
                                                        std::to_string(task.announced.fileLength) + " were announced");
            return merged;
        }
        task.phase = Phase::Merging;
        merged.audio = task.folder / kAudioName;
        merged.language = task.announced.language;
    }

    bool written = true;
    {
        std::ofstream out(merged.audio, std::ios::binary | std::ios::trunc);
        for (const auto &slice : slices)
            written = written && Append(out, slice);
    }
    std::error_code ignored;
    for (const auto &slice : slices)
        std::filesystem::remove(slice, ignored);

    std::lock_guard lock(mutex_);
    Task &task = tasks_.at(id);  // a merging task is never evicted
    task.slices.clear();
    if (!written) {
        task.phase = Phase::Open;
        std::filesystem::remove(merged.audio, ignored);
        merged.error = TranscriptionError::Make(TranscriptionError::kMergeFailed, "the slices cannot be joined");
        return merged;
    }
    task.phase = Phase::Recognising;
    task.mergedAt = std::chrono::steady_clock::now();
    return merged;
}

void TranscriptionTaskStore::Succeed(const std::string &id, std::vector<RecognizedSentence> sentences)
{
    Finish(id, Phase::Recognised, {}, std::move(sentences));
}

void TranscriptionTaskStore::Fail(const std::string &id, TranscriptionError error)
{
    Finish(id, Phase::Failed, std::move(error), {});
}

std::optional<TranscriptionTaskStore::Progress> TranscriptionTaskStore::ProgressOf(const std::string &id) const
{
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end())
        return std::nullopt;
    return ProgressOf(it->second);
}

std::optional<TranscriptionTaskStore::Result> TranscriptionTaskStore::ResultOf(const std::string &id) const
{
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end())
        return std::nullopt;
    const Progress progress = ProgressOf(it->second);
    Result result;
    result.error = progress.error;
    result.done = progress.status == kDone && !progress.error;
    if (result.done)
        result.sentences = it->second.sentences;
    return result;
}

std::string TranscriptionTaskStore::DescriptionOf(int status)
{
    switch (status) {
    case kCreated: return "任务已创建";
    case kUploaded: return "音频已上传";
    case kMerged: return "音频已合并";
    case kTranscribing: return "音频转写中";
    case kFinishing: return "转写结果整理中";
    case kDone: return "转写完成";
    default: return {};
    }
}

// A merged task shows "merged" for a step, "transcribing" until the recording is recognised and
// a second step has passed, then "finishing" for one more step before it is done; a failure shows
// where "finishing" would.
TranscriptionTaskStore::Progress TranscriptionTaskStore::ProgressOf(const Task &task) const
{
    Progress progress;
    switch (task.phase) {
    case Phase::Open:
        progress.status = task.slices.empty() ? kCreated : kUploaded;
        return progress;
    case Phase::Merging:
        progress.status = kUploaded;
        return progress;
    default:
        break;
    }
    const auto elapsed = std::chrono::steady_clock::now() - task.mergedAt;
    if (elapsed < step_) {
        progress.status = kMerged;
        return progress;
    }
    const auto recognisedAfter = std::max<std::chrono::steady_clock::duration>(2 * step_, task.finishedAt - task.mergedAt);
    if (task.phase == Phase::Recognising || elapsed < recognisedAfter) {
        progress.status = kTranscribing;
        return progress;
    }
    if (task.phase == Phase::Failed) {
        progress.status = kFinishing;
        progress.error = task.error;
        return progress;
    }
    progress.status = elapsed < recognisedAfter + step_ ? kFinishing : kDone;
    return progress;
}

void TranscriptionTaskStore::Finish(const std::string &id, Phase phase, TranscriptionError error,
                                    std::vector<RecognizedSentence> sentences)
{
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end())
        return;
    Task &task = it->second;
    task.phase = phase;
    task.finishedAt = std::chrono::steady_clock::now();
    task.error = std::move(error);
    task.sentences = std::move(sentences);
    // The recording has served its purpose.
    std::error_code ignored;
    std::filesystem::remove_all(task.folder, ignored);
}

// Call with the lock held.
void TranscriptionTaskStore::EvictOld()
{
    for (auto it = order_.begin(); it != order_.end() && tasks_.size() >= kMaxTasks;) {
        const auto task = tasks_.find(*it);
        if (task->second.phase == Phase::Merging || task->second.phase == Phase::Recognising) {
            ++it;
            continue;
        }
        std::error_code ignored;
        std::filesystem::remove_all(task->second.folder, ignored);
        tasks_.erase(task);
        it = order_.erase(it);
    }
}

std::filesystem::path TranscriptionTaskStore::SlicePath(const Task &task, const std::string &sliceId)
{
    return task.folder / (sliceId + ".slice");
}
