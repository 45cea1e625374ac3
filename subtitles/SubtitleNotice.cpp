#include "subtitles/SubtitleNotice.h"

#include "subtitles/WavToTextErrorInfo.h"
#include "subtitles/WaveTransSrt.h"

QString SubtitleNoticeText(int code, const WaveTransSrt& task)
{
    switch (code) {
    case WaveTransSrt::NotifyAudioExtracted:
        return QStringLiteral("视频提取音频完成");
    case WaveTransSrt::NotifyExtracting:
        return QStringLiteral("视频提取音频中...");
    case WaveTransSrt::NotifyExtractionFailed:
        return QStringLiteral("视频提取音频失败！");
    case WaveTransSrt::NotifyFailed:
        return GetWavToTextErrorInfo(task.GetLastCode());
    case WaveTransSrt::NotifyProgress:
        return QStringLiteral("生成中，请稍候...");
    case WaveTransSrt::NotifyFinished:
        return QStringLiteral("生成成功！");
    default:
        return QString();
    }
}
