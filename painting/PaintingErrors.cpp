#include "painting/PaintingErrors.h"

#include "service/CodeTable.h"

namespace PaintingErrors {

namespace {

constexpr CodeText kSubTaskCodes[] = {
    {282004, "请求中包含非法参数或字数超限，请检查后重新尝试"},
    {280224, "请求中包含非法参数或字数超限，请检查后重新尝试"},
    {17, "日配额流量超限"},
    {18, "QPS超限额"},
    {216630, "服务器内部错误，请在此请求"},
    {501, "文本黄反拦截"},
    {201, "模型生图失败"},
    {216100, "参数不满足格式要求"},
    {282003, "缺少必要参数"},
};

} // namespace

const char* ForSubTaskCode(int32_t code)
{
    return TextForCode(kSubTaskCodes, code, kUnknownCodeText);
}

const char* const kDownloadFailedFormat = "%s下载失败";
const char* const kCreateStatusFormat = "图片生成服务请求失败，HTTP状态码：%d";
const char* const kCreateRefused = "图片生成服务没有创建任务，请检查描述、尺寸和张数后重试";
const char* const kMalformedReply = "图片生成服务的回复格式有误：";

} // namespace PaintingErrors
