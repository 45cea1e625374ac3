#include "subtitles/FileTranscriptionEngine.h"

#include "subtitles/CWaveToText.h"
#include "subtitles/WavToTextErrorInfo.h"
#include "subtitles/WttReply.h"

namespace {

// Codes of the service from here on are its errors.
constexpr int kFirstServiceError = 26000;
// The poll's code for a request that got no readable answer.
constexpr int kFailedPoll = -1;

} // namespace

FileTranscriptionEngine::FileTranscriptionEngine(CWaveToText& client)
    : RecognitionEngine(std::chrono::milliseconds(1000), "file transcription")
    , m_client(client)
{
}

int FileTranscriptionEngine::Create(const QString& audio, const QString& srt, int /*model*/,
                                    const pplx::cancellation_token& cancel, QString& taskId)
{
    const int code = m_client.Start(audio, srt, 0, nullptr, nullptr, cancel);
    taskId = m_client.GetTaskID();
    return code;
}

int FileTranscriptionEngine::Poll(const pplx::cancellation_token& cancel)
{
    return m_client.PollProgress(cancel);
}

RecognitionEngine::Outcome FileTranscriptionEngine::Read(int code)
{
    // A poll that got no readable answer is one failed poll: the poller asks again.
    if (code == kFailedPoll)
        return {};
    if (code < 0 || code >= kFirstServiceError)
        return {Step::Failed, {}, {}};
    if (code != nsWtt::kProgressFinished)
        return {};
    // Finished only with its subtitle file written: a result that never came is a failure.
    QString failure;
    if (!m_client.WriteSubtitleFiles(&failure))
        return {Step::Failed, {}, failure};
    return {Step::Finished, m_client.GetSrtFile(), {}};
}

QString FileTranscriptionEngine::Status(int lastCode) const
{
    return GetWavToTextErrorInfo(lastCode);
}

TaskError::Kind FileTranscriptionEngine::FailureKind() const
{
    const RequestFailure failure = m_client.LastFailure();
    return failure ? failure.kind : TaskError::Kind::Service;
}

QString FileTranscriptionEngine::TransportReason() const
{
    return QString::fromStdString(m_client.LastFailure().text);
}
