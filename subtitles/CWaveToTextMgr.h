#pragma once

#include "service/QOVAIGCExport.h"
#include "subtitles/WavToTextErrorInfo.h"
#include "subtitles/WaveSrtPath.h"
#include "subtitles/WaveTransSrt.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <cstdint>

class QObject;

// The subtitle tasks of a window or of a host without one: creates them, finds them again by
// source and range, keeps the file-transcription account (iTarn.ini) and posts every task's
// notifications to the receiving window as its message, the code as word parameter and the task
// as long parameter.
class QOVAIGC_API CWaveToTextMgr
{
public:
    // Reads the account.
    CWaveToTextMgr();
    // Destroys every task, last first.
    virtual ~CWaveToTextMgr();
    CWaveToTextMgr(const CWaveToTextMgr&) = delete;
    CWaveToTextMgr& operator=(const CWaveToTextMgr&) = delete;

    // The task of path and range, or a new one named after them in the subtitles output folder;
    // null for engine 0 without an account. isAudio 0: path is a video whose audio is extracted
    // first. model is the cloud engine's.
    WaveTransSrt* AddWave(int engine, const QString& path, int isAudio, float start, float end, const QUuid& objectId,
                          int model);
    // The first task of that audio file, or of that video with a range within 0.1 s of the one
    // given; null when none.
    WaveTransSrt* FindData(const QString& path, int isAudio, float start, float end) const;
    // The subtitle path of the task FindData finds; srtPath is left alone when there is none.
    void GetWaveSrtFile(const QString& path, int isAudio, QString& srtPath, float start, float end) const;

    // Recognition of an audio task, extraction of a video task; the result becomes its last code.
    void StartTranslate(WaveTransSrt* task);
    void StopTranslate(WaveTransSrt* task);
    void RestartTranslate(WaveTransSrt* task);
    // Destroys the task; a pointer that is not one of this manager's is ignored.
    void DeleteWave(WaveTransSrt* task);
    void Clear();

    // Where the notifications go; window may be null (nothing is posted).
    void SetRecvWndMsg(QObject* window, uint32_t message);

    int IsUserInfoEmpty() const;
    // Stores the account, hands it to every task when both are set, and writes both to iTarn.ini
    // (also when empty). False when the file could not be written.
    bool SetUserIDandKey(const QString& id, const QString& key);
    QString GetUserID() const { return m_userId; }
    QString GetUserKey() const { return m_userKey; }

    // Every task's notification callback: code 1 starts recognition of the extracted audio (and
    // posts 4 when that start fails), every other code is posted. Returns 1.
    int GetWavTransResulut(WaveTransSrt* task, int code);
    // Posts code for task, as a task's notification would be.
    void RefreshSubtProgress(WaveTransSrt* task, int code);

    const QList<WaveTransSrt*>& Tasks() const { return m_tasks; }

    // Path of the account file.
    static QString AccountFilePath();

private:
    static int NotifyCallback(void* manager, WaveTransSrt* task, int code);
    static void KeepFailure(WaveTransSrt* task, int code);
    void Post(WaveTransSrt* task, int code);

    QList<WaveTransSrt*> m_tasks;
    QString m_userId;
    QString m_userKey;
    QObject* m_window = nullptr;
    uint32_t m_message = 0;
};
