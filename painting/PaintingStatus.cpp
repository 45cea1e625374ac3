#include "painting/PaintingStatus.h"

#include "painting/CTxt2ImageNetOper.h"

namespace PaintingStatus {

namespace {

const char* const kGenerating = "生成任务中";
const char* const kTaskFailed = "生成任务失败";
const char* const kNetworkProblem = "网络存在问题";
const char* const kPolling = "生成中，请稍候...";
const char* const kGenerated = "生成成功！";
const char* const kSomeNotDownloaded = "生成成功！其中 %1 张图片下载失败";
const char* const kNonePassed = "没有通过审核的图片";
const char* const kNoResults = "还没有生成的图片";
const char* const kReferenceUnreadable = "无法读取参考图：%1";
const char* const kReferenceGone = "参考图已不存在：%1";
const char* const kReferenceNotSent = "参考图只支持 jpg、png、bmp 文件，此图不会随生成请求发送";
const char* const kReferenceTyped = "输入的路径不会被载入，请用“...”按钮选择参考图";

} // namespace

QString ForProgress(int32_t code)
{
    // The worker polls on: a failed poll is no end. How a task ended is told by its end alone.
    if (code == CTxt2ImageNetOper::PollFailed)
        return QString::fromUtf8(kNetworkProblem);
    return code == CTxt2ImageNetOper::PollPending ? QString::fromUtf8(kPolling) : QString();
}

QString Generated()
{
    return QString::fromUtf8(kGenerated);
}

QString ForFailure(const QString& errorText)
{
    return errorText.isEmpty() ? QString::fromUtf8(kTaskFailed) : errorText;
}

QString ForNoPassedImage(const QString& errorText, bool anyResult)
{
    if (!errorText.isEmpty())
        return errorText;
    return QString::fromUtf8(anyResult ? kNonePassed : kNoResults);
}

QString ForMissingImages(int missing)
{
    return QString::fromUtf8(kSomeNotDownloaded).arg(missing);
}

QString Generating()
{
    return QString::fromUtf8(kGenerating);
}

QString ForReference(ReferenceImageChoice::Outcome outcome, const QString& path)
{
    switch (outcome) {
    case ReferenceImageChoice::ChosenNotSent:
        return QString::fromUtf8(kReferenceNotSent);
    case ReferenceImageChoice::Unreadable:
        return QString::fromUtf8(kReferenceUnreadable).arg(path);
    case ReferenceImageChoice::Gone:
        return QString::fromUtf8(kReferenceGone).arg(path);
    case ReferenceImageChoice::Typed:
        return QString::fromUtf8(kReferenceTyped);
    default:
        return QString();
    }
}

} // namespace PaintingStatus
