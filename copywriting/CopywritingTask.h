#pragma once

#include "service/ServiceTask.h"

#include <QString>

// A generation as a service task, for the window and the command line: the token and the request
// both run on the worker. It succeeds with the generated text's file path and the text (a
// CopywritingTask::Result in the end's value), or fails with its code (-1 no token, -2 the
// request failed) and its message.
namespace CopywritingTask {

// The failure codes, the numbers copywriting has always reported.
constexpr int kNoToken = -1;
constexpr int kRequestFailed = -2;
// Whose numbers a failed task's code is (TaskError::domain).
constexpr const char* kCodes = "copywriting";

struct Result
{
    QString path;
    QString text;
};

ServiceTask::Body Make(const QString& topic, const QString& outputFolder);
Result ResultOf(const TaskEnd& end);

} // namespace CopywritingTask

Q_DECLARE_METATYPE(CopywritingTask::Result)
