#include "SpeechTaskQueue.h"

#include "AudioEncoder.h"
#include "RandomText.h"
#include "SpeechSynthesizer.h"
#include "Utf8Text.h"

#include <utility>

namespace {

constexpr std::size_t kIdDigits = 24;
constexpr std::size_t kSignDigits = 32;

std::int64_t EpochSeconds(std::chrono::system_clock::time_point when)
{
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

std::string SpokenPart(const std::string &text)
{
    const auto chars = Utf8Text::Decode(text);
    if (chars.size() <= SpeechTaskQueue::kMaxSpokenCharacters)
        return text;
    return Utf8Text::Encode(std::u32string_view(chars).substr(0, SpeechTaskQueue::kMaxSpokenCharacters));
}

}  // namespace

SpeechTaskQueue::~SpeechTaskQueue() { Stop(); }

std::string SpeechTaskQueue::Add(const std::string &text, const SpeechSettings &settings, SpeechFormat format)
{
    Task task;
    task.text = SpokenPart(text);
    task.settings = settings;
    task.format = format;
    task.created = std::chrono::steady_clock::now();
    task.view.format = format;
    task.view.sign = RandomText::Hex(kSignDigits);
    task.view.expires = EpochSeconds(std::chrono::system_clock::now() + kLinkLifetime);

    std::string id = RandomText::Hex(kIdDigits);
    std::lock_guard lock(mutex_);
    while (tasks_.count(id) != 0)
        id = RandomText::Hex(kIdDigits);
    tasks_.emplace(id, std::move(task));
    order_.push_back(id);
    pending_.push_back(id);
    EvictOldFinished();
    // Started with the first task, so a server that is never asked for long text has no worker.
    if (!worker_.joinable() && !stopping_)
        worker_ = std::thread([this] { Work(); });
    wake_.notify_one();
    return id;
}

std::optional<SpeechTaskQueue::View> SpeechTaskQueue::Find(const std::string &id) const
{
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end())
        return std::nullopt;
    View view = it->second.view;
    const bool shownLongEnough = std::chrono::steady_clock::now() - it->second.created >= kMinimumRunning;
    if (!it->second.finished || !shownLongEnough)
        view.status = Status::Running;
    return view;
}

std::shared_ptr<const std::string> SpeechTaskQueue::Audio(const std::string &id, SpeechFormat format) const
{
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end() || it->second.format != format)
        return nullptr;
    return it->second.audio;
}

void SpeechTaskQueue::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void SpeechTaskQueue::Work()
{
    for (;;) {
        std::string id;
        std::string text;
        SpeechSettings settings;
        SpeechFormat format = SpeechFormat::Mp3;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (stopping_)
                return;
            id = pending_.front();
            pending_.pop_front();
            const auto &task = tasks_.at(id);
            text = task.text;
            settings = task.settings;
            format = task.format;
        }
        std::shared_ptr<const std::string> audio;
        try {
            const auto pcm = SpeechSynthesizer::Speak(text, settings, &stopping_);
            if (!pcm)
                return;
            audio = std::make_shared<const std::string>(AudioEncoder::Encode(*pcm, format));
        } catch (const std::exception &) {
            audio = nullptr;
        }
        Finish(id, std::move(audio));
    }
}

void SpeechTaskQueue::Finish(const std::string &id, std::shared_ptr<const std::string> audio)
{
    std::lock_guard lock(mutex_);
    const auto it = tasks_.find(id);
    if (it == tasks_.end())
        return;
    it->second.finished = true;
    it->second.view.status = audio ? Status::Success : Status::Failure;
    it->second.audio = std::move(audio);
    it->second.text.clear();
}

void SpeechTaskQueue::EvictOldFinished()
{
    for (auto it = order_.begin(); it != order_.end() && tasks_.size() > kMaxTasks;) {
        if (tasks_.at(*it).finished) {
            tasks_.erase(*it);
            it = order_.erase(it);
        } else {
            ++it;
        }
    }
}
