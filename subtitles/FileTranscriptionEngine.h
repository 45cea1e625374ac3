#pragma once

#include "subtitles/RecognitionEngine.h"

class CWaveToText;

// The file-transcription service (engine 0) behind the subtitle task's engine interface.
class FileTranscriptionEngine : public RecognitionEngine
{
public:
    explicit FileTranscriptionEngine(CWaveToText& client);

    int Create(const QString& audio, const QString& srt, int model, const pplx::cancellation_token& cancel,
               QString& taskId) override;
    int Poll(const pplx::cancellation_token& cancel) override;
    Outcome Read(int code) override;
    QString Status(int lastCode) const override;
    TaskError::Kind FailureKind() const override;
    QString TransportReason() const override;

private:
    CWaveToText& m_client;
};
