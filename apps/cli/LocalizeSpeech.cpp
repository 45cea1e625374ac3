#include "apps/cli/LocalizeSpeech.h"

#include "apps/cli/LocalizeProject.h"
#include "dubbing/LongSpeechTask.h"
#include "service/ServiceTask.h"
#include "service/TaskGroup.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <set>

LocalizeSpeech::LocalizeSpeech(QObject* parent) : Task(parent) {}

LocalizeSpeech::~LocalizeSpeech() = default;

QString LocalizeSpeech::SpeechPath(const QString& folder, const QString& text, const ShortSpeechTask::Request& voice)
{
    const QString key = LocalizeProject::InputsHash({QString::number(voice.voice), QString::number(voice.speed),
                                                     QString::number(voice.pitch), QString::number(voice.volume),
                                                     QString::number(voice.aue), text});
    return QDir(folder).filePath(key + QStringLiteral(".wav"));
}

void LocalizeSpeech::Prepare(const QString& folder, const std::vector<QString>& texts,
                             const ShortSpeechTask::Request& voice, int jobs)
{
    m_jobs = jobs;
    m_paths.clear();
    m_missing.clear();
    std::set<QString> asked;
    for (const QString& text : texts) {
        const QString path = SpeechPath(folder, text, voice);
        m_paths.push_back(path);
        // A text said twice is asked for once.
        if (QFileInfo(path).isFile() || !asked.insert(path).second)
            continue;
        ShortSpeechTask::Request request = voice;
        request.text = text;
        request.wantedPath = path;
        request.logged = false;
        m_missing.push_back(request);
    }
}

bool LocalizeSpeech::Start()
{
    if (m_busy)
        return false;
    m_busy = true;
    m_requests = 0;
    if (m_missing.empty()) {
        // Every caption's speech is kept: the end still comes after Start returns, as a task's does.
        QTimer::singleShot(0, this, [this] {
            m_busy = false;
            emit ended(TaskEnd::Success());
        });
        return true;
    }
    m_group = std::make_unique<TaskGroup>();
    m_group->SetPolicy(TaskGroup::Policy::StopOnFailure);
    for (const ShortSpeechTask::Request& request : m_missing) {
        m_group->Add([request]() -> std::unique_ptr<Task> {
            return std::make_unique<ServiceTask>(ShortSpeechTask::Takes(request.text) ? ShortSpeechTask::Make(request)
                                                                                     : LongSpeechTask::Make(request));
        });
    }
    connect(m_group.get(), &TaskGroup::itemStarted, this, [this] { ++m_requests; });
    connect(m_group.get(), &TaskGroup::itemEnded, this, [this] {
        emit progress(m_group->Finished(), QStringLiteral("%1/%2").arg(m_group->Finished()).arg(m_missing.size()));
    });
    connect(m_group.get(), &TaskGroup::ended, this, [this](const TaskEnd& end) {
        m_busy = false;
        emit ended(end);
    });
    m_busy = m_group->Start(m_jobs);
    return m_busy;
}

void LocalizeSpeech::Stop()
{
    if (m_busy && m_group)
        m_group->Stop();
}
