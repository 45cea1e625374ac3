#include "apps/cli/PaintCommand.h"

#include "apps/cli/BatchInput.h"
#include "apps/cli/BatchJob.h"
#include "apps/cli/BatchRun.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/PolledProgress.h"
#include "apps/cli/ServiceOptions.h"
#include "painting/PaintingOutcome.h"
#include "painting/PaintingTask.h"
#include "service/ServiceTask.h"

#include <QFile>
#include <QJsonArray>

namespace {

// The painting window's first choices: 640x360, four images.
constexpr QSize kDefaultSize(640, 360);
constexpr int kDefaultCount = 4;

struct Picture
{
    QSize size;
    int count = kDefaultCount;
    QString reference;
};

// One description's images, from the polled task to the paths that passed review.
class PaintJob : public BatchJob
{
public:
    PaintJob(CommandRun& run, const QString& prompt, const Picture& picture, std::chrono::seconds timeout)
        : m_run(run)
        , m_prompt(prompt)
        , m_picture(picture)
        , m_timeout(timeout)
    {
    }

    std::optional<int> Start(ServiceTask& task) override
    {
        const QString folder = ServiceOptions::OutputFolder(QStringLiteral("AIImage"));
        m_run.Progress().SetState(QStringLiteral("creating the image task"));
        task.Start(PaintingTask::Make({m_prompt.toStdString(), folder.toStdString(), m_picture.size.width(),
                                       m_picture.size.height(), m_picture.count, m_picture.reference.toStdString()}));
        return std::nullopt;
    }

    QString Read(int code, const QString& text) override { return m_polled.Read(code, text); }

    int Finish(TaskWait::Ending ending, const TaskEnd& end) override
    {
        // A refusal in the service's own words comes after a sentence that names the service and
        // what it refused.
        TaskEnd judged = end;
        if (end.Failed() && !end.value.toString().isEmpty())
            judged.error.text = QStringLiteral("the painting service refused the description: %1").arg(end.error.text);
        // Every image the task downloaded before it stopped was written whole.
        if (const std::optional<int> status = m_polled.Finish(m_run, m_timeout, ending, judged))
            return *status;
        const PaintingOutcome outcome = end.value.value<PaintingOutcome>();
        QJsonArray paths;
        for (const ImgRetData& result : outcome.results) {
            const QString path = QString::fromStdString(result.localPath);
            if (QString::fromStdString(result.conclusion).compare(QLatin1String("pass"), Qt::CaseInsensitive) == 0 &&
                QFile::exists(path)) {
                paths.append(path);
                m_run.Line(path);
            }
        }
        m_run.Set(QStringLiteral("paths"), paths);
        m_run.Set(QStringLiteral("width"), m_picture.size.width());
        m_run.Set(QStringLiteral("height"), m_picture.size.height());
        m_run.Set(QStringLiteral("count"), m_picture.count);
        if (paths.isEmpty())
            return m_run.Fail(outcome.notes.isEmpty() ? QStringLiteral("no image passed the service's review")
                                                      : outcome.notes);
        // Images that were made but are missing or held back are worth a word.
        if (!outcome.notes.isEmpty())
            m_run.Warn(outcome.notes);
        return m_run.Succeed();
    }

private:
    CommandRun& m_run;
    const QString m_prompt;
    const Picture m_picture;
    const std::chrono::seconds m_timeout;
    PolledProgress m_polled{QStringLiteral("image")};
};

int Run(CommandRun& run)
{
    BatchInput input;
    if (const std::optional<int> status = BatchInput::Read(run, QStringLiteral("PROMPT"), input))
        return *status;
    OptionReader options(run.Arguments());
    Picture picture;
    picture.size = options.Size(QStringLiteral("size"), kDefaultSize);
    picture.count = options.Integer(QStringLiteral("count"), kDefaultCount, 1, 8);
    const auto timeout = options.Timeout();
    picture.reference = options.Text(QStringLiteral("reference"));
    const int places = BatchRun::Places(options, BatchRun::kRequestPlaces);
    if (options.Problem())
        return run.Usage(*options.Problem());

    return BatchRun::OverTexts(run, input, places, timeout, QStringLiteral("prompt"), [&](CommandRun& item, const QString& text) {
        return std::make_unique<PaintJob>(item, text, picture, timeout);
    });
}

} // namespace

const CliCommand& PaintCommand()
{
    static const CliCommand command{
        "paint",
        "PROMPT|--from FILE [--encoding NAME] [--jobs N] [--size WxH] [--count 1-8] [--reference FILE] "
        "[--timeout S]",
        "images for PROMPT (default 640x360, 4); prints the path of every image that passed\n"
        "review, one per line; --timeout bounds the wait for the task (600 s by default); with\n"
        "--from, images for each line of FILE that is not blank, --jobs at once (4), each line's\n"
        "paths printed as its task ends. FILE's character set is told from its bytes; --encoding\n"
        "names it when it cannot be",
        QStringList{QStringLiteral("size"), QStringLiteral("count"), QStringLiteral("reference"),
                    QStringLiteral("timeout")} +
            BatchInput::Names() + BatchRun::Names(),
        &Run};
    return command;
}
