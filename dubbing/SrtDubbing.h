#pragma once

#include "dubbing/ShortSpeechTask.h"
#include "service/ServiceTask.h"
#include "service/TaskEnd.h"
#include "service/TaskGroup.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class QTemporaryDir;

// A subtitle file spoken as one voice-over track, for the command line and the studio alike:
// every caption is a speech request (short or long by the window's rule), a few at once and the
// earliest first; then the speech is laid into the track. Progress and the one end arrive as
// signals, as a task's do, and Stop() never blocks. The captions' speech lives in a scratch folder
// that is gone by the time the end arrives; a failed or stopped run leaves no track.
class SrtDubbing : public QObject
{
    Q_OBJECT
public:
    struct Caption
    {
        int number = 0; // as the file numbers it
        qint64 start = 0; // milliseconds
        qint64 end = 0;
        QString text;
    };

    struct Settings
    {
        ShortSpeechTask::Request voice; // its text and path are the captions'
        bool mp3 = true;
        int jobs = 4;
        std::chrono::milliseconds captionLimit{600000};
        QString wantedPath; // numbered when taken
        QString source; // what the dubbing log names as the track's source: the subtitle file
    };

    // Keys of a successful end's value (a QVariantMap): the track's path, and the numbers of the
    // captions whose speech runs on past its slot even sped up (a QVariantList of int).
    static constexpr const char* kPath = "path";
    static constexpr const char* kRunOn = "run_on";

    explicit SrtDubbing(QObject* parent = nullptr);
    ~SrtDubbing() override;

    // The captions of an SRT file that have something to say, in the order of their starts (the
    // order they are needed in); false with error when the file cannot be read or says nothing.
    // encoding: the file's character set as the user named it; empty: detected.
    static bool Read(const QString& path, std::vector<Caption>& captions, QString& error,
                     const QString& encoding = QString());

    // A caption this long (milliseconds) after the end of the one before it, or after the track's
    // start, leaves the track silent for as long: most likely a time typed wrong.
    static constexpr qint64 kLongSilence = 3600000;
    struct Silence
    {
        int number = 0;    // the caption's, as the file numbers it
        qint64 length = 0; // milliseconds
        bool first = false; // before the first caption, from the track's start
    };
    // The silences longer than kLongSilence before captions in the order Read gives them.
    static std::vector<Silence> LongSilences(const std::vector<Caption>& captions);

    // False, and nothing started, while a run is under way or when there is nothing to speak.
    bool Start(std::vector<Caption> captions, const Settings& settings, QString& error);
    void Stop();
    bool Busy() const { return m_busy; }

    int Count() const { return int(m_captions.size()); }
    // The state progress last reported, for a watcher that connects after Start.
    const QString& State() const { return m_state; }
    // The caption whose failure ended the run (0: none).
    int FailedCaption() const { return m_failedCaption; }

signals:
    // The run's state in words ("3 of 12 captions spoken, speaking 4, 5").
    void progress(int code, const QString& text);
    void ended(const TaskEnd& end);

private:
    void OnCaptionsSpoken(const TaskEnd& end);
    void OnTrackMade(const TaskEnd& end);
    void Finish(const TaskEnd& end);
    void ReportSpeaking();

    std::vector<Caption> m_captions;
    Settings m_settings;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<TaskGroup> m_group;
    std::vector<bool> m_speaking;
    std::vector<QString> m_speech;
    ServiceTask m_track;
    int m_failedCaption = 0;
    QString m_state;
    bool m_stopping = false;
    bool m_busy = false;
};
