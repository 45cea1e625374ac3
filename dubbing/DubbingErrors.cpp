#include "dubbing/DubbingErrors.h"

#include "service/CodeTable.h"

namespace DubbingErrors {

namespace {

constexpr CodeText kCreationCodes[] = {
    {336200, "内部错误"},
    {336201, "未知task id"},
    {336202, "无效参数值"},
    {336203, "缺少必要参数"},
    {336204, "请开通付费，购买调用字符数资源"},
    {336212, "请求数据为非法json"},
    {336213, "缺少必要header"},
};

} // namespace

utility::string_t ForCreationCode(int32_t code)
{
    return utility::string_t("错误信息:") + TextForCode(kCreationCodes, code, kUnknownCodeText) + "。";
}

const char* const kStatusFormat = "语音合成服务请求失败，HTTP状态码：%d";
const char* const kMalformedReply = "语音合成服务的回复格式有误：";
const char* const kDownloadFailed = "%s下载失败";
const char* const kDownloadGaveUpFormat = "，已尝试%d次，请稍后重新合成";
const char* const kShortFailed = "语音合成失败：%s";
const char* const kShortNoAudio = "语音合成服务没有返回音频，请稍后重试";

} // namespace DubbingErrors
