#pragma once

#include "service/ServiceTask.h"

#include <QString>

// A short text's speech as a service task, for the window and the command line: the token, the
// request and the file all on the worker. It succeeds with the audio file's path (a QString in the
// end's value) or fails with the reason; a stop leaves no file.
namespace ShortSpeechTask {

// From this many characters on, a text goes to the long-text service as a polled task instead: the
// window and the command line both choose by this.
inline constexpr qsizetype kLongTextCharacters = 512;

// Whether text is short enough for one request.
inline bool Takes(const QString& text)
{
    return text.size() < kLongTextCharacters;
}

struct Request
{
    QString text;
    QString wantedPath; // numbered when taken
    int speed = 5;
    int pitch = 5;
    int volume = 5;
    int voice = 0;
    int aue = 3;
    // Off when the speech is a part of a larger result that the dubbing log records as a whole.
    bool logged = true;
};

// Whose numbers a failed task's code is (TaskError::domain).
inline constexpr const char* kCodes = "short speech";

ServiceTask::Body Make(const Request& request);

} // namespace ShortSpeechTask
