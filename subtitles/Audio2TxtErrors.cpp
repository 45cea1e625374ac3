#include "subtitles/Audio2TxtErrors.h"

#include "service/RestClient.h"

namespace Audio2TxtErrors {

utility::string_t CreateRefused(int32_t code, const utility::string_t& message)
{
    utility::string_t text = RestClient::FormatNumber("创建识别任务失败，错误代码：%d", code);
    if (!message.empty())
        text += "，" + message;
    return text;
}

const char* const kUploadFailedFormat = "%s上传失败!";
const char* const kCreateStatusFormat = "创建识别任务失败，HTTP状态码：%d";
const char* const kQueryStatusFormat = "查询识别任务失败，HTTP状态码：%d";
const char* const kQueryRefusedFormat = "查询识别任务失败，错误代码：%d";
const char* const kMalformedReply = "识别服务的回复格式有误：";
const char* const kNotAnObject = "回复或其中的任务不是JSON对象";
const char* const kNoTaskResult = "已结束的任务没有任务结果（task_result）";
const char* const kTaskFailed = "识别任务失败，服务没有说明原因";

} // namespace Audio2TxtErrors
