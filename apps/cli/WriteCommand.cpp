#include "apps/cli/WriteCommand.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliOutput.h"
#include "copywriting/CCopywritingNetOper.h"
#include "host/QOVPaths.h"

#include <future>

namespace {

void Completed(void* context, int32_t code)
{
    static_cast<std::promise<int32_t>*>(context)->set_value(code);
}

} // namespace

int RunWriteCommand(const CliArguments& arguments)
{
    if (arguments.Positional().size() != 1 || !arguments.UnknownOptions({}).isEmpty())
        return PrintUsage(QStringLiteral("write takes exactly one TOPIC"));
    const QString topic = arguments.Positional().front();
    if (topic.trimmed().isEmpty())
        return PrintUsage(QStringLiteral("the topic is empty"));

    const QString folder = ZuGetPath(ZU_PATH_WORK) + QStringLiteral("/Copywriting/");
    ZuCreateDirectory(folder, 0);

    std::promise<int32_t> done;
    CCopywritingNetOper client;
    client.SetCompletionHandler(&Completed);
    if (client.Start(topic.toStdString(), folder.toStdString(), &done) != CCopywritingNetOper::Success)
        return PrintFailure(client.GetErrorText());
    if (done.get_future().get() != CCopywritingNetOper::Success)
        return PrintFailure(client.GetErrorText());
    PrintLine(client.OutputPath());
    return ExitOk;
}
