#pragma once

#include "ImageError.h"
#include "ImageTaskStore.h"

#include <cpprest/json.h>

#include <cstdint>
#include <functional>
#include <string>

// The bodies the image services answer with. Every one carries a numeric log_id, as the real
// replies do and as clients quote in their error reports.
namespace ImageReplies {

inline constexpr const char *kApproved = "pass";
inline constexpr const char *kBlocked = "block";

web::json::value Failure(const ImageError &error);
web::json::value Created(std::int64_t taskId);
// The task's state; `urlOf(index)` gives the address a drawn picture is fetched from.
web::json::value Progress(const ImageTaskStore::Snapshot &task, const std::function<std::string(int)> &urlOf);

// Each endpoint's reply shape with members of unexpected types, for the wrong_types fault.
std::string CreatedWithWrongTypes();
std::string ProgressWithWrongTypes();
std::string FileWithWrongTypes();

}  // namespace ImageReplies
