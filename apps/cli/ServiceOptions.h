#pragma once

#include <QString>

#include <chrono>
#include <optional>

class CliArguments;

// Reading the numeric options of the service commands.
namespace ServiceOptions {

// --name as an integer within [low, high], fallback when absent; nothing when malformed.
std::optional<int> Integer(const CliArguments& arguments, const QString& name, int fallback, int low, int high);
// --timeout in seconds (default 600): how long a command waits for a service task.
std::optional<std::chrono::seconds> Timeout(const CliArguments& arguments);
// "<work folder>/<name>/", created.
QString OutputFolder(const QString& name);
// "yyyy_MM_dd_HH_mm_ss" of now, as result files are named.
QString TimeStamp();

} // namespace ServiceOptions
