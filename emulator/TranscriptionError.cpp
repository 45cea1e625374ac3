#include "TranscriptionError.h"

#include <map>

TranscriptionError TranscriptionError::Make(int number, const std::string &detail)
{
    return {number, detail.empty() ? TextOf(number) : TextOf(number) + ": " + detail};
}

std::string TranscriptionError::TextOf(int number)
{
    static const std::map<int, std::string> texts = {
        {kGeneral, "转写业务通用错误"},
        {kInvalidApplication, "非法应用信息"},
        {kUnknownTask, "任务ID不存在"},
        {kStillProcessing, "任务正在处理中，请稍后重试"},
        {kEmptyAudio, "空音频，请检查"},
        {kLanguageNotAllowed, "转写语种未授权或已过有效期"},
        {kBadParameter, "请求参数错误"},
        {kFileTooLarge, "预处理文件大小受限（500M）"},
        {kUploadTooLarge, "音频文件大小受限（500M）"},
        {kTooLong, "音频时长受限（5小时）"},
        {kLengthMismatch, "文件长度校验失败"},
        {kUploadFailed, "文件上传失败"},
        {kTooManySlices, "上传分片超过限制"},
        {kMergeFailed, "分片合并失败"},
        {kUnconvertible, "音频格式转换失败, 请检查您的音频是否加密或者损坏"},
        {kEngineFailed, "引擎处理阶段错误"},
    };
    const auto it = texts.find(number);
    return it == texts.end() ? texts.at(kGeneral) : it->second;
}
