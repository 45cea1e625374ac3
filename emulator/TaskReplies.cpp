#include "TaskReplies.h"

namespace TaskReplies {

namespace {

web::json::value Info(const std::string &id, const char *status)
{
    auto info = web::json::value::object();
    info["task_id"] = web::json::value::string(id);
    info["task_status"] = web::json::value::string(status);
    return info;
}

}  // namespace

web::json::value Created(std::int64_t logId, const std::string &id)
{
    auto body = web::json::value::object();
    body["log_id"] = web::json::value::number(logId);
    body["task_id"] = web::json::value::string(id);
    body["task_status"] = web::json::value::string(kCreatedStatus);
    return body;
}

web::json::value Running(const std::string &id) { return Info(id, kRunningStatus); }

web::json::value Failed(const std::string &id, int errorNumber, const std::string &message)
{
    auto result = web::json::value::object();
    result["err_no"] = web::json::value::number(errorNumber);
    result["err_msg"] = web::json::value::string(message);
    auto info = Info(id, kFailureStatus);
    info["task_result"] = result;
    return info;
}

web::json::value Succeeded(const std::string &id, const web::json::value &result)
{
    auto info = Info(id, kSuccessStatus);
    info["task_result"] = result;
    return info;
}

web::json::value WrongCreateReply()
{
    auto body = web::json::value::object();
    body["log_id"] = web::json::value::string("1234");
    body["task_id"] = web::json::value::number(5);
    body["task_status"] = web::json::value::boolean(true);
    return body;
}

web::json::value WrongQueryReply(const web::json::value &tasksInfo)
{
    auto body = web::json::value::object();
    body["log_id"] = web::json::value::string("1234");
    body["tasks_info"] = tasksInfo;
    return body;
}

web::json::value WrongTaskInfo(int status, const web::json::value &result)
{
    auto info = web::json::value::object();
    info["task_id"] = web::json::value::array();
    info["task_status"] = web::json::value::number(status);
    info["task_result"] = result;
    return info;
}

}  // namespace TaskReplies
