#include "ImageReplies.h"

#include <random>

namespace ImageReplies {

namespace {

using web::json::value;

// Below 2^53, so a client that reads numbers as doubles still gets the exact id.
std::int64_t NextLogId()
{
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<std::int64_t> pick(1'000'000'000, (std::int64_t{1} << 53) - 1);
    return pick(engine);
}

value WithLogId()
{
    auto body = value::object();
    body["log_id"] = value::number(NextLogId());
    return body;
}

const char *StatusName(ImageTaskStore::Status status)
{
    switch (status) {
    case ImageTaskStore::Status::Init:
        return "INIT";
    case ImageTaskStore::Status::Running:
        return "RUNNING";
    case ImageTaskStore::Status::Success:
        break;
    }
    return "SUCCESS";
}

value SubTask(const ImageTaskStore::Snapshot &task, int index, const std::function<std::string(int)> &urlOf)
{
    const bool done = task.status == ImageTaskStore::Status::Success;
    auto entry = value::object();
    // Pictures are drawn together with their task, so each one reports its task's progress.
    entry["sub_task_status"] = value::string(done ? "SUCCESS" : "RUNNING");
    entry["sub_task_progress"] = value::number(done ? 1 : 0);
    entry["sub_task_error_code"] = value::number(0);
    auto images = value::array();
    if (done) {
        const ImageRequest &request = *task.request;
        // The review marks one picture of a flagged set, the last; it is still drawn and served.
        const bool blocked = request.flagged && index == request.count - 1;
        auto image = value::object();
        image["img_url"] = value::string(urlOf(index));
        image["width"] = value::number(request.width);
        image["height"] = value::number(request.height);
        image["img_approve_conclusion"] = value::string(blocked ? kBlocked : kApproved);
        images[0] = image;
    }
    entry["final_image_list"] = images;
    return entry;
}

}  // namespace

value Failure(const ImageError &error)
{
    auto body = WithLogId();
    body["error_code"] = value::number(error.code);
    body["error_msg"] = value::string(error.message);
    return body;
}

value Created(std::int64_t taskId)
{
    auto body = WithLogId();
    auto data = value::object();
    data["task_id"] = value::number(taskId);
    body["data"] = data;
    return body;
}

value Progress(const ImageTaskStore::Snapshot &task, const std::function<std::string(int)> &urlOf)
{
    auto subTasks = value::array();
    for (int index = 0; index < task.request->count; ++index)
        subTasks[static_cast<std::size_t>(index)] = SubTask(task, index, urlOf);
    auto data = value::object();
    data["task_id"] = value::number(task.id);
    data["task_status"] = value::string(StatusName(task.status));
    data["task_progress"] = value::number(task.status == ImageTaskStore::Status::Success ? 1 : 0);
    data["sub_task_result_list"] = subTasks;
    auto body = WithLogId();
    body["data"] = data;
    return body;
}

std::string CreatedWithWrongTypes()
{
    auto body = value::object();
    body["log_id"] = value::string("1234567890");
    body["data"] = value::string("1700000000123456");
    return body.serialize();
}

std::string ProgressWithWrongTypes()
{
    auto image = value::object();
    image["img_url"] = value::number(404);
    image["width"] = value::string("512");
    image["height"] = value::boolean(true);
    image["img_approve_conclusion"] = value::number(1);
    auto entry = value::object();
    entry["sub_task_status"] = value::number(2);
    entry["sub_task_progress"] = value::string("1");
    entry["sub_task_error_code"] = value::string("0");
    entry["final_image_list"] = image;  // an object where a list belongs
    auto data = value::object();
    data["task_id"] = value::array();
    data["task_status"] = value::string("SUCCESS");
    data["task_progress"] = value::string("1");
    data["sub_task_result_list"] = value::array({entry});
    auto body = value::object();
    body["log_id"] = value::string("1234567890");
    body["data"] = data;
    return body.serialize();
}

std::string FileWithWrongTypes()
{
    auto body = value::object();
    body["image"] = value::array({value::number(137), value::number(80), value::number(78), value::number(71)});
    return body.serialize();
}

}  // namespace ImageReplies
