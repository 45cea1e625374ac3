#include "apps/cli/PaintCommand.h"

#include "apps/cli/BatchInput.h"
#include "apps/cli/BatchJob.h"
#include "apps/cli/BatchRun.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/PolledRun.h"
#include "apps/cli/ServiceOptions.h"
#include "painting/CTxt2ImageNetOper.h"
#include "service/PollCodes.h"
#include "service/ServiceTask.h"

#include <QFile>
#include <QJsonArray>

namespace {

// The painting window's first choices: 640x360, four images.
constexpr QSize kDefaultSize(640, 360);
constexpr int kDefaultCount = 4;
PolledClient::Step ReadPoll(int code)
{
    switch (code) {
    case CTxt2ImageNetOper::PollFinished:
        return {QStringLiteral("done"), true};
    case CTxt2ImageNetOper::PollError:
        return {QStringLiteral("failed"), true, true};
    case CTxt2ImageNetOper::PollPending:
        return {QStringLiteral("running"), false};
    default:
        return {QStringLiteral("no answer, asking again"), false};
    }
}

// The client's error text; a refusal in the service's own words comes after a sentence that names
// the service and what it refused.
QString ErrorText(const CTxt2ImageNetOper& client)
{
    const QString text = QString::fromStdString(client.GetErrorText());
    return client.Refused() ? QStringLiteral("the painting service refused the description: %1").arg(text) : text;
}

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
        , m_driven{[this](PollCodes& codes, const pplx::cancellation_token& cancel) {
                       m_client.SetProgressCallback(&PollCodes::Push);
                       const int code = m_client.Start(m_prompt.toStdString(), m_folder.toStdString(),
                                                       m_picture.size.width(), m_picture.size.height(),
                                                       m_picture.count, m_picture.reference.toStdString(), &codes,
                                                       cancel);
                       return code == CTxt2ImageNetOper::Started ? 0 : code;
                   },
                   [this] { return QString::fromStdString(m_client.TaskId()); }, [this] { m_client.Stop(); },
                   [this] { return ErrorText(m_client); }, &ReadPoll,
                   [this] {
                       return m_client.Refused() ? QString::fromStdString(m_client.GetErrorText()) : QString();
                   }}
    {
    }

    std::optional<int> Start(ServiceTask& task) override
    {
        m_folder = ServiceOptions::OutputFolder(QStringLiteral("AIImage"));
        PolledRun::Start(m_run, QStringLiteral("image"), m_driven, task);
        return std::nullopt;
    }

    int Finish(TaskWait::Ending ending, const TaskEnd& end) override
    {
        // Every image the poller downloaded before it stopped was written whole.
        int code = 0;
        if (const std::optional<int> status =
                PolledRun::Finish(m_run, QStringLiteral("image"), m_driven, m_timeout, ending, end, code))
            return *status;
        QJsonArray paths;
        for (const ImgRetData& result : m_client.Results()) {
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
        const QString error = QString::fromStdString(m_client.GetErrorText());
        if (paths.isEmpty())
            return m_run.Fail(error.isEmpty() ? QStringLiteral("no image passed the service's review") : error);
        // Images that were made but are missing or held back are worth a word.
        if (!error.isEmpty())
            m_run.Warn(error);
        return m_run.Succeed();
    }

private:
    CommandRun& m_run;
    const QString m_prompt;
    const Picture m_picture;
    const std::chrono::seconds m_timeout;
    QString m_folder;
    CTxt2ImageNetOper m_client;
    const PolledClient m_driven;
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
        "paint", "PROMPT|--from FILE [--jobs N] [--size WxH] [--count 1-8] [--reference FILE] [--timeout S]",
        "images for PROMPT (default 640x360, 4); prints the path of every image that passed\n"
        "review, one per line; --timeout bounds the wait for the task (600 s by default); with\n"
        "--from, images for each line of FILE that is not blank, --jobs at once (4), each line's\n"
        "paths printed as its task ends",
        QStringList{QStringLiteral("size"), QStringLiteral("count"), QStringLiteral("reference"),
                    QStringLiteral("timeout")} +
            BatchInput::Names() + BatchRun::Names(),
        &Run};
    return command;
}
