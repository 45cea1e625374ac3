#include "translation/TranslationBatchTask.h"

#include "service/AigcSettings.h"
#include "service/ChatSession.h"
#include "translation/TranslationCache.h"
#include "translation/TranslationErrors.h"

namespace TranslationBatchTask {

namespace {

// The translation section may name a chat address of its own; the account is copywriting's.
utility::string_t ChatUrl()
{
    const utility::string_t& own = LoadTranslateSettings().URL;
    return own.empty() ? LoadCopywritingSettings().URL : own;
}

bool Covers(const std::map<QString, QString>& texts, const std::vector<TranslationLine>& lines)
{
    for (const TranslationLine& line : lines) {
        if (!texts.count(line.id))
            return false;
    }
    return true;
}

} // namespace

ServiceTask::Body Make(TranslationBatch::Setup setup, const QString& cacheFolder)
{
    return [setup = std::move(setup), cacheFolder](const ServiceTask::Worker& worker) {
        const TranslationCache cache(cacheFolder);
        const auto cancel = worker.Token();
        const CopywritingSettings& account = LoadCopywritingSettings();
        ChatSession chat(ChatUrl(), account.APIKey, account.SecretKey, TranslationErrors::ChatWording());
        const TranslationBatch::Ask ask = [&](const std::string& content, QString& answer, RequestFailure& failure) {
            if (!chat.Ask(content, cancel)) {
                failure = chat.LastFailure();
                return false;
            }
            answer = QString::fromStdString(chat.Answer());
            return true;
        };
        TranslationBatch batch(setup, ask);
        const QString key = TranslationRequest::Key(batch.FirstContent());
        if (const auto kept = cache.Load(key); kept && Covers(*kept, setup.lines))
            return TaskEnd::Success(QVariant::fromValue(Result{*kept, 0, {}, true}));

        if (!chat.FetchToken(cancel)) {
            if (worker.Stopping())
                return TaskEnd::Stop();
            return chat.Failure(kNoToken, kCodes);
        }
        if (!batch.Run()) {
            if (worker.Stopping())
                return TaskEnd::Stop();
            if (batch.Failure())
                return TaskEnd::Failure(
                    {batch.Failure().kind, kRequestFailed,
                     TranslationErrors::Failed(batch.Failure(), setup.from, setup.to), kCodes});
            return TaskEnd::Failure(
                {TaskError::Kind::Reply, kLinesMissing, TranslationErrors::Missing(batch.Missing()), kCodes});
        }
        cache.Store(key, batch.Texts());
        return TaskEnd::Success(QVariant::fromValue(
            Result{batch.Texts(), batch.Requests(), QStringList(batch.AskedAgain().begin(), batch.AskedAgain().end()),
                   false}));
    };
}

Result ResultOf(const TaskEnd& end)
{
    return end.value.value<Result>();
}

} // namespace TranslationBatchTask
