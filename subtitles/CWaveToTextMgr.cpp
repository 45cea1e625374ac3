#include "subtitles/CWaveToTextMgr.h"

#include "host/QOVMessage.h"
#include "host/QOVPaths.h"
#include "host/QOVProfile.h"

#include <QObject>

#include <cmath>

namespace {

const char* const kAccountFile = "iTarn.ini";
const char* const kAccountSection = "WaveToText";
const char* const kIdKey = "ID";
const char* const kKeyKey = "Key";
constexpr unsigned kProfileBuffer = 255;
const char* const kOutputFolder = "AITxt";

// Ranges this close are the same range: frame numbers from float seconds round both ways.
constexpr float kRangeTolerance = 0.1f;

QString ReadAccount(const char* key)
{
    QString value;
    GetPrivateProfileStringW(QLatin1String(kAccountSection), QLatin1String(key), QString(), value, kProfileBuffer,
                             CWaveToTextMgr::AccountFilePath());
    return value;
}

// The writer removes a key for a null text; an empty account is still written.
QString Written(const QString& value)
{
    return value.isNull() ? QString::fromLatin1("") : value;
}

bool SamePath(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

CWaveToTextMgr::CWaveToTextMgr()
    : m_userId(ReadAccount(kIdKey))
    , m_userKey(ReadAccount(kKeyKey))
{
}

CWaveToTextMgr::~CWaveToTextMgr()
{
    Clear();
}

QString CWaveToTextMgr::AccountFilePath()
{
    return ZuGetPath(ZU_PATH_CONFIG) + QLatin1Char('/') + QLatin1String(kAccountFile);
}

WaveTransSrt* CWaveToTextMgr::AddWave(int engine, const QString& path, int isAudio, float start, float end,
                                      const QUuid& objectId, int model)
{
    if (engine == 0 && IsUserInfoEmpty())
        return nullptr;
    if (WaveTransSrt* found = FindData(path, isAudio, start, end))
        return found;

    const QString folder = ZuGetPath(ZU_PATH_WORK) + QLatin1Char('/') + QLatin1String(kOutputFolder);
    ZuCreateDirectory(folder, 0);

    auto* task = new WaveTransSrt(engine);
    if (isAudio == 0)
        task->m_mediaPath = path;
    task->m_audioPath = isAudio != 0 ? path : ReserveWaveSrtPath(path, QStringLiteral(".mp3"), folder, start, end);
    task->m_srtPath = GetWaveSrtPath(path, QStringLiteral(".srt"), folder, start, end);
    task->m_objectId = objectId;
    task->m_isAudio = isAudio;
    task->m_state = isAudio != 0 ? WaveTransSrt::StateAudioReady : WaveTransSrt::StateCreated;
    task->m_rangeStart = start;
    task->m_rangeEnd = end;
    task->SetWavToSrtCallBack(&CWaveToTextMgr::NotifyCallback, this);
    if (engine != 0)
        task->m_model = model;
    else
        task->InitEnv(m_userId, m_userKey);
    task->m_lastCode = 0;
    m_tasks.append(task);
    return task;
}

WaveTransSrt* CWaveToTextMgr::FindData(const QString& path, int isAudio, float start, float end) const
{
    if (path.isEmpty())
        return nullptr;
    for (WaveTransSrt* task : m_tasks) {
        if (isAudio != 0 && SamePath(task->m_audioPath, path))
            return task;
        if (SamePath(task->m_mediaPath, path) && std::fabs(task->m_rangeStart - start) < kRangeTolerance &&
            std::fabs(task->m_rangeEnd - end) < kRangeTolerance)
            return task;
    }
    return nullptr;
}

void CWaveToTextMgr::GetWaveSrtFile(const QString& path, int isAudio, QString& srtPath, float start, float end) const
{
    if (const WaveTransSrt* task = FindData(path, isAudio, start, end))
        srtPath = task->GetSrtPath();
}

void CWaveToTextMgr::StartTranslate(WaveTransSrt* task)
{
    if (task)
        KeepFailure(task, task->m_isAudio != 0 ? task->StartTranslate() : task->StartTransAudio());
}

void CWaveToTextMgr::KeepFailure(WaveTransSrt* task, int code)
{
    // A start that worked leaves the code alone: the engine's first poll, or the extraction, may
    // already have put a newer one there.
    if (code != 0)
        task->m_lastCode = code;
}

void CWaveToTextMgr::StopTranslate(WaveTransSrt* task)
{
    if (task && task->m_engine == 0)
        task->StopWavToTxt();
}

void CWaveToTextMgr::RestartTranslate(WaveTransSrt* task)
{
    if (task)
        KeepFailure(task, task->RestartWavToTxt());
}

void CWaveToTextMgr::DeleteWave(WaveTransSrt* task)
{
    if (m_tasks.removeOne(task))
        delete task;
}

void CWaveToTextMgr::Clear()
{
    while (!m_tasks.isEmpty())
        delete m_tasks.takeLast();
}

void CWaveToTextMgr::SetRecvWndMsg(QObject* window, uint32_t message)
{
    m_window = window;
    m_message = message;
}

int CWaveToTextMgr::IsUserInfoEmpty() const
{
    return m_userId.isEmpty() || m_userKey.isEmpty() ? 1 : 0;
}

bool CWaveToTextMgr::SetUserIDandKey(const QString& id, const QString& key)
{
    m_userId = id;
    m_userKey = key;
    if (!id.isEmpty() && !key.isEmpty()) {
        for (WaveTransSrt* task : m_tasks)
            task->InitEnv(id, key);
    }
    // The folder may not exist before the first account is saved. An empty value is written as
    // such, not removed: the file then says the account was cleared.
    ZuCreateDirectory(ZuGetPath(ZU_PATH_CONFIG), 0);
    const QString path = AccountFilePath();
    const QString section = QLatin1String(kAccountSection);
    const bool idWritten = WritePrivateProfileStringW(section, QLatin1String(kIdKey), Written(id), path);
    const bool keyWritten = WritePrivateProfileStringW(section, QLatin1String(kKeyKey), Written(key), path);
    return idWritten && keyWritten;
}

int CWaveToTextMgr::GetWavTransResulut(WaveTransSrt* task, int code)
{
    if (code == WaveTransSrt::NotifyAudioExtracted) {
        task->m_state = WaveTransSrt::StateAudioReady;
        const int started = task->StartTranslate();
        KeepFailure(task, started);
        // Nobody waits for this start's result: the window would show the extraction forever.
        if (started != 0)
            Post(task, WaveTransSrt::NotifyFailed);
    } else {
        Post(task, code);
    }
    return 1;
}

void CWaveToTextMgr::RefreshSubtProgress(WaveTransSrt* task, int code)
{
    Post(task, code);
}

int CWaveToTextMgr::NotifyCallback(void* manager, WaveTransSrt* task, int code)
{
    return static_cast<CWaveToTextMgr*>(manager)->GetWavTransResulut(task, code);
}

void CWaveToTextMgr::Post(WaveTransSrt* task, int code)
{
    QOVPostMessage(m_window, int(m_message), uintptr_t(code), intptr_t(task));
}
