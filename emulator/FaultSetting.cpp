#include "FaultSetting.h"

namespace {

constexpr int kMaxDelayMs = 10 * 60 * 1000;

// Reads an integer member in [low, high]; absent members leave `out` alone.
bool ReadInt(const web::json::object &body, const char *name, int low, int high, std::optional<int> &out,
             std::string &error)
{
    const auto it = body.find(name);
    if (it == body.end() || it->second.is_null())
        return true;
    if (!it->second.is_integer()) {
        error = std::string(name) + " must be an integer";
        return false;
    }
    const auto value = it->second.as_number().to_int64();
    if (value < low || value > high) {
        error = std::string(name) + " must be between " + std::to_string(low) + " and " + std::to_string(high);
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

bool ReadBool(const web::json::object &body, const char *name, bool &out, std::string &error)
{
    const auto it = body.find(name);
    if (it == body.end() || it->second.is_null())
        return true;
    if (!it->second.is_boolean()) {
        error = std::string(name) + " must be true or false";
        return false;
    }
    out = it->second.as_bool();
    return true;
}

bool ReadAnswer(const web::json::object &body, std::optional<std::string> &out, std::string &error)
{
    const auto it = body.find("answer");
    if (it == body.end() || it->second.is_null())
        return true;
    if (it->second.is_string()) {
        for (const char *const *name = FaultSetting::kAnswerFaults; *name; ++name) {
            if (it->second.as_string() == *name) {
                out = *name;
                return true;
            }
        }
    }
    error = "answer must be one of";
    for (const char *const *name = FaultSetting::kAnswerFaults; *name; ++name)
        error += std::string(name == FaultSetting::kAnswerFaults ? " " : ", ") + *name;
    return false;
}

}  // namespace

const char *const FaultSetting::kAnswerFaults[] = {"drop_line", "swap_ids", "repeat_id", "prose",
                                                   "drop_glossary", "too_long", nullptr};

std::optional<FaultSetting> FaultSetting::FromJson(const web::json::value &body, std::string &error)
{
    if (!body.is_object()) {
        error = "the fault must be a JSON object";
        return std::nullopt;
    }
    const auto &members = body.as_object();
    FaultSetting setting;
    std::optional<int> delay;
    const bool ok = ReadInt(members, "status", 100, 599, setting.status, error) &&
                    ReadInt(members, "delay_ms", 0, kMaxDelayMs, delay, error) &&
                    ReadInt(members, "times", 1, 1000000, setting.times, error) &&
                    ReadBool(members, "malformed", setting.malformed, error) &&
                    ReadBool(members, "wrong_types", setting.wrongTypes, error) &&
                    ReadBool(members, "close", setting.close, error) && ReadAnswer(members, setting.answer, error);
    if (!ok)
        return std::nullopt;
    setting.delayMs = delay.value_or(0);
    if (setting.answer && !setting.times)
        setting.times = 1;
    return setting;
}

web::json::value FaultSetting::ToJson() const
{
    auto json = web::json::value::object();
    if (status)
        json["status"] = web::json::value::number(*status);
    json["delay_ms"] = web::json::value::number(delayMs);
    json["malformed"] = web::json::value::boolean(malformed);
    json["wrong_types"] = web::json::value::boolean(wrongTypes);
    json["close"] = web::json::value::boolean(close);
    if (times)
        json["times"] = web::json::value::number(*times);
    if (answer)
        json["answer"] = web::json::value::string(*answer);
    return json;
}
