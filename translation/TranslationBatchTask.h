#pragma once

#include "service/ServiceTask.h"
#include "translation/TranslationBatch.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <map>

// One batch as a service task: the cache asked first, then the token and the batch's requests on
// the worker; a batch that came back whole is kept in the cache.
namespace TranslationBatchTask {

// The failure codes.
constexpr int kNoToken = -1;
constexpr int kRequestFailed = -2;
constexpr int kLinesMissing = -3;
// Whose numbers a failed task's code is (TaskError::domain).
constexpr const char* kCodes = "translation";

struct Result
{
    std::map<QString, QString> texts;
    int requests = 0;
    QStringList askedAgain;
    bool cached = false;
};

// cacheFolder: where answers are kept; empty: nowhere.
ServiceTask::Body Make(TranslationBatch::Setup setup, const QString& cacheFolder);
Result ResultOf(const TaskEnd& end);

} // namespace TranslationBatchTask

Q_DECLARE_METATYPE(TranslationBatchTask::Result)
