#include "apps/cli/WriteCommand.h"

#include "apps/cli/BatchInput.h"
#include "apps/cli/BatchJob.h"
#include "apps/cli/BatchRun.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/ServiceOptions.h"
#include "apps/cli/TaskWait.h"
#include "copywriting/CopywritingTask.h"
#include "service/ServiceTask.h"

namespace {

class WriteJob : public BatchJob
{
public:
    WriteJob(CommandRun& run, const QString& topic, std::chrono::seconds timeout)
        : m_run(run)
        , m_topic(topic)
        , m_timeout(timeout)
    {
    }

    std::optional<int> Start(ServiceTask& task) override
    {
        m_run.Set(QStringLiteral("topic"), m_topic);
        m_run.Progress().SetState(QStringLiteral("generating the text"));
        task.Start(CopywritingTask::Make(m_topic, ServiceOptions::OutputFolder(QStringLiteral("Copywriting"))));
        return std::nullopt;
    }

    int Finish(TaskWait::Ending ending, const TaskEnd& end) override
    {
        if (const std::optional<int> status = TaskWait::Judge(m_run, ending, end, m_timeout, QStringLiteral("text")))
            return *status;
        const CopywritingTask::Result result = CopywritingTask::ResultOf(end);
        m_run.Set(QStringLiteral("path"), result.path);
        m_run.Set(QStringLiteral("text"), result.text);
        m_run.Line(result.path);
        return m_run.Succeed();
    }

private:
    CommandRun& m_run;
    const QString m_topic;
    const std::chrono::seconds m_timeout;
};

int Run(CommandRun& run)
{
    BatchInput input;
    if (const std::optional<int> status = BatchInput::Read(run, QStringLiteral("TOPIC"), input))
        return *status;
    OptionReader options(run.Arguments());
    const auto timeout = options.Timeout();
    const int places = BatchRun::Places(options, BatchRun::kRequestPlaces);
    if (options.Problem())
        return run.Usage(*options.Problem());

    return BatchRun::OverTexts(run, input, places, timeout, QString(), [&](CommandRun& item, const QString& text) {
        return std::make_unique<WriteJob>(item, text, timeout);
    });
}

} // namespace

const CliCommand& WriteCommand()
{
    static const CliCommand command{
        "write", "TOPIC|--from FILE [--encoding NAME] [--jobs N] [--timeout S]",
        "generated text for TOPIC; prints the text file's path; with --from, a text for each line of\n"
        "FILE that is not blank, --jobs at once (4), each path printed as it is written. FILE's\n"
        "character set is told from its bytes; --encoding names it when it cannot be",
        QStringList{QStringLiteral("timeout")} + BatchInput::Names() + BatchRun::Names(), &Run};
    return command;
}
