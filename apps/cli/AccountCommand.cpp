#include "apps/cli/AccountCommand.h"

#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "subtitles/CWaveToTextMgr.h"

namespace {

// The account file holds a value a line: a line break would cut the key where it stands, and
// the other control characters are no part of any id or key.
bool HasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

int Show(CommandRun& run, const CWaveToTextMgr& manager)
{
    const QString id = manager.GetUserID();
    const bool keySet = !manager.GetUserKey().isEmpty();
    run.Set(QStringLiteral("id"), id);
    run.Set(QStringLiteral("key_set"), keySet);
    if (id.isEmpty() && !keySet)
        run.Line(QStringLiteral("no transcription account is set"));
    else if (!keySet)
        run.Line(QStringLiteral("%1 (no key set)").arg(id));
    else if (id.isEmpty())
        run.Line(QStringLiteral("no id set (a key is)"));
    else
        run.Line(id);
    return run.Succeed();
}

int Run(CommandRun& run)
{
    if (!run.Positional().isEmpty())
        return run.Usage(QStringLiteral("account takes no words, only options"));
    const std::optional<QString> id = run.Arguments().Option(QStringLiteral("id"));
    const std::optional<QString> key = run.Arguments().Option(QStringLiteral("key"));
    const bool clear = run.Arguments().Flag(QStringLiteral("clear"));
    if (clear && (id || key))
        return run.Usage(QStringLiteral("--clear empties the account; it goes without --id and --key"));
    if (bool(id) != bool(key))
        return run.Usage(QStringLiteral("--id and --key are set together"));
    if (id && (id->trimmed().isEmpty() || key->trimmed().isEmpty()))
        return run.Usage(QStringLiteral("--id and --key need values; --clear empties the account"));
    if (id && (HasControlCharacter(*id) || HasControlCharacter(*key)))
        return run.Usage(QStringLiteral("--id and --key hold no line breaks, tabs or other control characters"));

    CWaveToTextMgr manager;
    run.Set(QStringLiteral("file"), CWaveToTextMgr::AccountFilePath());
    if (!clear && !id)
        return Show(run, manager);
    if (!manager.SetUserIDandKey(clear ? QString() : id->trimmed(), clear ? QString() : key->trimmed()))
        return run.Fail(QStringLiteral("cannot write %1").arg(CWaveToTextMgr::AccountFilePath()));
    return Show(run, manager);
}

} // namespace

const CliCommand& AccountCommand()
{
    static const CliCommand command{
        "account", "[--id ID --key KEY | --clear]",
        "the file-transcription account of the subtitles tool (in iTarn.ini): prints its id, never\n"
        "its key; --id and --key set both, --clear empties them",
        {QStringLiteral("id"), QStringLiteral("key")},
        &Run,
        {QStringLiteral("clear")}};
    return command;
}
