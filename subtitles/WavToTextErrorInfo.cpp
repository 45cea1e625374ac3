#include "subtitles/WavToTextErrorInfo.h"

#include "host/QOVStringTable.h"
#include "service/CodeTable.h"

namespace {

// The file-transcription service's error numbers.
const CodeText kServiceCodes[] = {
    {26000, "转写内部通用错误"},
    {26100, "转写配置文件错误"},
    {26101, "转写配置文件app_id / secret_key为空"},
    {26102, "转写配置文件lfasr_host错误"},
    {26103, "转写配置文件file_piece_size错误"},
    {26104, "转写配置文件file_piece_size建议设置10M - 30M之间"},
    {26105, "转写配置文件store_path错误，或目录不可读写"},
    {26201, "转写参数上传文件不能为空或文件不存在"},
    {26202, "转写参数类型不能为空"},
    {26203, "转写参数客户端生成签名错误"},
    {26301, "转写断点续传持久化文件读写错误"},
    {26302, "转写断点续传文件夹读写错误"},
    {26303, "转写恢复断点续传流程错误, 请见日志"},
    {26401, "转写上传文件路径错误"},
    {26402, "转写上传文件类型不支持错误"},
    {26403, "转写本地文件上传超过限定大小500M"},
    {26404, "转写上传文件读取错误"},
    {26500, "HTTP请求失败"},
    {26501, "转写获取版本号接口错误"},
    {26502, "转写预处理接口错误"},
    {26503, "转写上传文件接口错误"},
    {26504, "转写合并文件接口错误"},
    {26505, "转写获取进度接口错误"},
    {26506, "转写获取结果接口错误"},
    {26600, "转写业务通用错误"},
    {26601, "非法应用信息"},
    {26602, "任务ID不存在"},
    {26603, "接口访问频率受限（默认1秒内不得超过20次）"},
    {26604, "获取结果次数超过限制，最多100次"},
    {26605, "任务正在处理中，请稍后重试"},
    {26606, "空音频，请检查"},
    {26607, "转写语种未授权或已过有效期"},
    {26610, "请求参数错误"},
    {26621, "预处理文件大小受限（500M）"},
    {26622, "预处理音频时长受限（5小时）"},
    {26623, "预处理音频格式受限"},
    {26625, "预处理服务时长不足。您剩余的可用服务时长不足"},
    {26631, "音频文件大小受限（500M）"},
    {26632, "音频时长受限（5小时）"},
    {26633, "音频服务时长不足。您剩余的可用服务时长不足"},
    {26634, "文件下载失败"},
    {26635, "文件长度校验失败"},
    {26640, "文件上传失败"},
    {26641, "上传分片超过限制"},
    {26642, "分片合并失败"},
    {26643, "计算音频时长失败, 请检查您的音频是否加密或者损坏"},
    {26650, "音频格式转换失败, 请检查您的音频是否加密或者损坏"},
    {26660, "计费计量失败"},
    {26670, "转写结果集解析失败"},
    {26680, "引擎处理阶段错误"},
};

// The editor's texts, loaded once and kept for the life of the module.
struct HostTexts
{
    QString checkInfo = ZuLoadString(QStringLiteral("NLE_CHECK_INFO"));
    // For the start failures -1 to -4, in that order.
    QString startFailures[4] = {ZuLoadString(QStringLiteral("NLE_ACCESS_FAIL_OR_STOP")),
                                ZuLoadString(QStringLiteral("NLE_PREPARE_FAIL")),
                                ZuLoadString(QStringLiteral("NLE_UPLOAD_FAIL")),
                                ZuLoadString(QStringLiteral("NLE_MERGE_FAIL"))};
};

} // namespace

QString GetWavToTextErrorInfo(int code)
{
    static const HostTexts texts;
    if (code >= -4 && code <= -1)
        return texts.startFailures[-code - 1] + texts.checkInfo;
    if (const char* text = TextForCode(kServiceCodes, code, nullptr))
        return QString::fromUtf8(text);
    return texts.checkInfo;
}
