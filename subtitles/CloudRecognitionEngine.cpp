#include "subtitles/CloudRecognitionEngine.h"

#include "subtitles/CAudio2TxtNetOper.h"

CloudRecognitionEngine::CloudRecognitionEngine(CAudio2TxtNetOper& client)
    : RecognitionEngine(std::chrono::milliseconds(CAudio2TxtNetOper::kPollIntervalMs), CAudio2TxtNetOper::kCodes)
    , m_client(client)
{
}

int CloudRecognitionEngine::Create(const QString& audio, const QString& srt, int model,
                                   const pplx::cancellation_token& cancel, QString& taskId)
{
    const int code = m_client.Begin(audio.toStdString(), model, srt.toStdString(), cancel);
    taskId = QString::fromStdString(m_client.GetTaskID());
    return code == CAudio2TxtNetOper::Started ? 0 : code;
}

int CloudRecognitionEngine::Poll(const pplx::cancellation_token& cancel)
{
    return m_client.Poll(cancel);
}

RecognitionEngine::Outcome CloudRecognitionEngine::Read(int code)
{
    switch (code) {
    case CAudio2TxtNetOper::PollFailed:
        // The poller asks again: only the task's own end or a stop ends it.
    case CAudio2TxtNetOper::PollPending:
        return {};
    case CAudio2TxtNetOper::PollError:
        return {Step::Failed, {}, m_client.GetWriteError()};
    case CAudio2TxtNetOper::PollFinished:
        return {Step::Finished, QString::fromStdString(m_client.GetSubtitlePath()), {}};
    default:
        return {Step::Report, {}, {}};
    }
}

QString CloudRecognitionEngine::Status(int /*lastCode*/) const
{
    return QString::fromStdString(m_client.GetErrorText());
}

TaskError::Kind CloudRecognitionEngine::FailureKind() const
{
    const TaskError::Kind kind = m_client.FailureKind();
    return kind == TaskError::Kind::None ? TaskError::Kind::Service : kind;
}
