#pragma once

#include "dubbing/ShortSpeechTask.h"
#include "service/Task.h"

#include <QString>

#include <memory>
#include <vector>

class TaskGroup;

// The speech of a localisation's captions, kept per caption in the project folder under a name
// made from what it depends on (its text, the voice and the levels), so a rerun after a failure,
// a kill or an edit asks the service only for speech it does not have. Each file is written
// whole or not at all. A task: progress as captions are spoken, one end.
class LocalizeSpeech : public Task
{
    Q_OBJECT
public:
    explicit LocalizeSpeech(QObject* parent = nullptr);
    ~LocalizeSpeech() override;

    // The file the speech of text is kept in, in folder, for the voice (whose text and path are
    // not used).
    static QString SpeechPath(const QString& folder, const QString& text, const ShortSpeechTask::Request& voice);

    // What the next Start speaks: texts (several may be the same) into folder.
    void Prepare(const QString& folder, const std::vector<QString>& texts, const ShortSpeechTask::Request& voice,
                 int jobs);
    bool Start() override;
    void Stop() override;
    bool Busy() const override { return m_busy; }

    // For each text, its speech file (after a successful end).
    const std::vector<QString>& Paths() const { return m_paths; }
    // The requests this run made: speech already kept costs none.
    int Requests() const { return m_requests; }

private:
    std::vector<QString> m_paths;
    std::vector<ShortSpeechTask::Request> m_missing;
    std::unique_ptr<TaskGroup> m_group;
    int m_jobs = 4;
    int m_requests = 0;
    bool m_busy = false;
};
