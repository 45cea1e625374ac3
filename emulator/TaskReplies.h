#pragma once

#include <cpprest/json.h>

#include <cstdint>
#include <string>

// The replies the two task services (long speech and recognition) have in common: a task made,
// one task's state in a query reply, and the fault switch's wrongly typed create and query replies.
namespace TaskReplies {

inline constexpr const char *kCreatedStatus = "Created";
inline constexpr const char *kRunningStatus = "Running";
inline constexpr const char *kSuccessStatus = "Success";
inline constexpr const char *kFailureStatus = "Failure";
// The query's member that lists the task ids.
inline constexpr const char *kTaskIdsMember = "task_ids";

// The create reply of a task the service just took on.
web::json::value Created(std::int64_t logId, const std::string &id);
// One entry of a query reply's tasks_info: a task still running.
web::json::value Running(const std::string &id);
// A task that failed, with its error number and message as task_result.
web::json::value Failed(const std::string &id, int errorNumber, const std::string &message);
// A task that succeeded, with what it made as task_result.
web::json::value Succeeded(const std::string &id, const web::json::value &result);

// The create reply with every member of the wrong type.
web::json::value WrongCreateReply();
// A query reply whose log_id is a string, around tasksInfo (which a service may shape wrongly too).
web::json::value WrongQueryReply(const web::json::value &tasksInfo);
// A tasks_info entry whose id is an array and whose status is a number, with the result given.
web::json::value WrongTaskInfo(int status, const web::json::value &result);

}  // namespace TaskReplies
