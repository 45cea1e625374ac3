#include "apps/cli/PaintCommand.h"

#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/PolledRun.h"
#include "apps/cli/ServiceOptions.h"
#include "painting/CTxt2ImageNetOper.h"
#include "service/PollCodes.h"

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

int Run(CommandRun& run)
{
    if (run.Positional().size() != 1)
        return run.Usage(QStringLiteral("paint takes one PROMPT (quote it when it has spaces), not %1 words")
                             .arg(run.Positional().size()));
    const QString prompt = run.Positional().front();
    if (prompt.trimmed().isEmpty())
        return run.Usage(QStringLiteral("the PROMPT is empty"));
    OptionReader options(run.Arguments());
    const QSize size = options.Size(QStringLiteral("size"), kDefaultSize);
    const int count = options.Integer(QStringLiteral("count"), kDefaultCount, 1, 8);
    const auto timeout = options.Timeout();
    const QString reference = options.Text(QStringLiteral("reference"));
    if (options.Problem())
        return run.Usage(*options.Problem());

    CTxt2ImageNetOper client;
    const QString folder = ServiceOptions::OutputFolder(QStringLiteral("AIImage"));
    const PolledClient driven{
        [&](PollCodes& codes, const pplx::cancellation_token& cancel) {
            client.SetProgressCallback(&PollCodes::Push);
            const int code = client.Start(prompt.toStdString(), folder.toStdString(), size.width(), size.height(),
                                          count, reference.toStdString(), &codes, cancel);
            return code == CTxt2ImageNetOper::Started ? 0 : code;
        },
        [&client] { return QString::fromStdString(client.TaskId()); }, [&client] { client.Stop(); },
        [&client] { return ErrorText(client); }, &ReadPoll,
        [&client] { return client.Refused() ? QString::fromStdString(client.GetErrorText()) : QString(); }};
    // Every image the poller downloaded before it stopped was written whole.
    int code = 0;
    if (const std::optional<int> status = PolledRun::Wait(run, QStringLiteral("image"), driven, timeout, code))
        return *status;

    QJsonArray paths;
    for (const ImgRetData& result : client.Results()) {
        const QString path = QString::fromStdString(result.localPath);
        if (QString::fromStdString(result.conclusion).compare(QLatin1String("pass"), Qt::CaseInsensitive) == 0 &&
            QFile::exists(path)) {
            paths.append(path);
            run.Line(path);
        }
    }
    run.Set(QStringLiteral("paths"), paths);
    run.Set(QStringLiteral("width"), size.width());
    run.Set(QStringLiteral("height"), size.height());
    run.Set(QStringLiteral("count"), count);
    const QString error = QString::fromStdString(client.GetErrorText());
    if (paths.isEmpty())
        return run.Fail(error.isEmpty() ? QStringLiteral("no image passed the service's review") : error);
    // Images that were made but are missing or held back are worth a word.
    if (!error.isEmpty())
        run.Warn(error);
    return run.Succeed();
}

} // namespace

const CliCommand& PaintCommand()
{
    static const CliCommand command{
        "paint", "PROMPT [--size WxH] [--count 1-8] [--reference FILE] [--timeout S]",
        "images for PROMPT (default 640x360, 4); prints the path of every image that passed\n"
        "review, one per line; --timeout bounds the wait for the task (600 s by default)",
        {QStringLiteral("size"), QStringLiteral("count"), QStringLiteral("reference"), QStringLiteral("timeout")},
        &Run};
    return command;
}
