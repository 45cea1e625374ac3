#pragma once

#include "subtitles/RecognitionEngine.h"

class CAudio2TxtNetOper;

// The cloud recognition service behind the subtitle task's engine interface.
class CloudRecognitionEngine : public RecognitionEngine
{
public:
    explicit CloudRecognitionEngine(CAudio2TxtNetOper& client);

    int Create(const QString& audio, const QString& srt, int model, const pplx::cancellation_token& cancel,
               QString& taskId) override;
    int Poll(const pplx::cancellation_token& cancel) override;
    Outcome Read(int code) override;
    QString Status(int lastCode) const override;
    TaskError::Kind FailureKind() const override;

private:
    CAudio2TxtNetOper& m_client;
};
