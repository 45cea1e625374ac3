#include "apps/cli/ExtractCommand.h"

#include "apps/cli/BatchJob.h"
#include "apps/cli/BatchRun.h"
#include "apps/cli/CliArguments.h"
#include "apps/cli/CliCommand.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/InterruptSignal.h"
#include "apps/cli/OptionReader.h"
#include "service/ResultFile.h"
#include "service/ServiceTask.h"
#include "subtitles/AudioTranscode.h"
#include "subtitles/AudioTranscodeText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// An extraction has no time limit of its own; the wait's limit only has to outlast any of them.
constexpr std::chrono::hours kNoLimit(24);

struct Format
{
    QString codec;
    QString channels;
    QString rate;
    QString bits;
    int start = 0;
    int end = 0;

    int Transcode(const QString& source, const QString& destination, AudioTranscodeWatch& watch) const
    {
        return WatchedTranscodeAudio(
            source, destination, start, end,
            codec == QLatin1String("mp3") ? FFAPI::ACODEC_MP3 : FFAPI::ACODEC_PCM_S16LE,
            channels == QLatin1String("2") ? FFAPI::ACHANNEL_STEREO : FFAPI::ACHANNEL_MONO,
            rate == QLatin1String("8000") ? FFAPI::ASAMPLERATE_8000 : FFAPI::ASAMPLERATE_16000,
            bits == QLatin1String("8") ? FFAPI::ASAMPLEBIT_U8 : FFAPI::ASAMPLEBIT_S16, watch);
    }

    void Describe(CommandRun& run, const QString& source, const QString& destination) const
    {
        run.Set(QStringLiteral("source"), source);
        run.Set(QStringLiteral("destination"), destination);
        run.Set(QStringLiteral("start"), start);
        run.Set(QStringLiteral("end"), end);
        run.Set(QStringLiteral("codec"), codec);
        run.Set(QStringLiteral("channels"), channels.toInt());
        run.Set(QStringLiteral("rate"), rate.toInt());
        run.Set(QStringLiteral("bits"), bits.toInt());
    }
};

// One source of a batch into a file of its own in the output folder, on a worker of the task pool.
class ExtractJob : public BatchJob
{
public:
    ExtractJob(CommandRun& run, const QString& source, const QString& folder, const Format& format)
        : m_run(run)
        , m_source(source)
        , m_folder(folder)
        , m_format(format)
    {
    }

    std::optional<int> Start(ServiceTask& task) override
    {
        // Two sources of one name in different folders keep a file each; the name is held from
        // here, so no other run takes it while this one extracts.
        const QString extension = m_format.codec == QLatin1String("mp3") ? QStringLiteral("mp3") : QStringLiteral("wav");
        const QString wanted = QDir(m_folder).filePath(QFileInfo(m_source).completeBaseName() + QLatin1Char('.') + extension);
        m_format.Describe(m_run, m_source, wanted);
        QString error;
        m_destination = ResultFile::Reserve(wanted, &error);
        if (m_destination.isEmpty())
            return m_run.Fail(error);
        m_run.Set(QStringLiteral("destination"), m_destination);
        const QString source = m_source;
        const QString destination = m_destination;
        const Format format = m_format;
        task.Start([source, destination, format](const ServiceTask::Worker& worker) {
            AudioTranscodeWatch watch;
            watch.stop = [&worker] { return worker.Stopping(); };
            const int result = format.Transcode(source, destination, watch);
            if (result == TRANSCODE_CANCELLED)
                return TaskEnd::Stop();
            if (result != TRANSCODE_OK)
                return TaskEnd::Failure({TaskError::Kind::Local, result,
                                         TranscodeResultText(result, source, destination, format.start, format.end,
                                                             watch.systemError),
                                         kExtractionCodes});
            return TaskEnd::Success(GetAudioDuration(QFile::encodeName(destination).constData()));
        });
        return std::nullopt;
    }

    int Finish(TaskWait::Ending ending, const TaskEnd& end) override
    {
        if (!end.Succeeded())
            QFile::remove(m_destination);
        if (ending == TaskWait::Ending::Interrupted)
            return m_run.Interrupted();
        if (end.Failed()) {
            m_run.Set(QStringLiteral("code"), end.error.code);
            return m_run.Fail(end.error.text);
        }
        if (!end.Succeeded())
            return m_run.Fail(QStringLiteral("the extraction of %1 was stopped").arg(m_source));
        m_run.Set(QStringLiteral("seconds"), end.value.toDouble());
        m_run.Line(m_destination);
        return m_run.Succeed();
    }

private:
    CommandRun& m_run;
    const QString m_source;
    const QString m_folder;
    const Format m_format;
    QString m_destination;
};

int RunOne(CommandRun& run, const Format& format)
{
    const QString source = run.Positional()[0];
    const QString destination = run.Positional()[1];
    format.Describe(run, source, destination);

    AudioTranscodeWatch watch;
    watch.progress = [&run](double done, double total) { run.Progress().SetAmount(done, total); };
    watch.stop = [] { return InterruptSignal::Requested(); };
    const int result = format.Transcode(source, destination, watch);
    if (result == TRANSCODE_CANCELLED)
        return run.Interrupted();
    if (result != TRANSCODE_OK) {
        run.Set(QStringLiteral("code"), result);
        return run.Fail(TranscodeResultText(result, source, destination, format.start, format.end, watch.systemError));
    }
    run.Set(QStringLiteral("seconds"), GetAudioDuration(QFile::encodeName(destination).constData()));
    return run.Succeed();
}

int Run(CommandRun& run)
{
    const std::optional<QString> folder = run.Arguments().Option(QStringLiteral("output-dir"));
    if (!folder && run.Positional().size() != 2)
        return run.Usage(QStringLiteral("extract takes SOURCE and DEST, or SOURCE... with --output-dir DIR, not %1 words")
                             .arg(run.Positional().size()));
    if (folder && run.Positional().isEmpty())
        return run.Usage(QStringLiteral("extract --output-dir takes one SOURCE or more"));
    OptionReader options(run.Arguments());
    // The subtitles tool's own choice: MP3, one channel, 16000 Hz, 16-bit, the whole file.
    Format format;
    format.codec = options.Choice(QStringLiteral("codec"), {QStringLiteral("mp3"), QStringLiteral("pcm")});
    format.channels = options.Choice(QStringLiteral("channels"), {QStringLiteral("1"), QStringLiteral("2")});
    format.rate = options.Choice(QStringLiteral("rate"), {QStringLiteral("16000"), QStringLiteral("8000")});
    format.bits = options.Choice(QStringLiteral("bits"), {QStringLiteral("16"), QStringLiteral("8")});
    format.start = options.Count(QStringLiteral("start"));
    format.end = options.Count(QStringLiteral("end"));
    const int places = BatchRun::Places(options, BatchRun::CorePlaces());
    if (options.Problem())
        return run.Usage(*options.Problem());
    // An end of 0 is the end of the file; any other end must come after the start.
    if (format.end > 0 && format.end <= format.start)
        return run.Usage(EmptyRangeText(format.start, format.end));
    if (!folder)
        return RunOne(run, format);

    if (!QFileInfo(*folder).isDir())
        return run.Fail(QStringLiteral("the output folder %1 is not there").arg(*folder));
    const QStringList sources = run.Positional();
    BatchRun batch(run, places, std::chrono::duration_cast<std::chrono::seconds>(kNoLimit));
    return batch.Execute(sources, [&](CommandRun& item, int index) -> std::unique_ptr<BatchJob> {
        return std::make_unique<ExtractJob>(item, sources[index], *folder, format);
    });
}

} // namespace

const CliCommand& ExtractCommand()
{
    static const CliCommand command{
        "extract",
        "SOURCE DEST|SOURCE... --output-dir DIR [--jobs N] [--start S] [--end E] [--codec mp3|pcm] [--channels 1|2] "
        "[--rate 16000|8000] [--bits 16|8]",
        "the audio of SOURCE into DEST, its format from DEST's extension (seconds S to E; defaults:\n"
        "whole file, mp3, 1 channel, 16000 Hz, 16-bit); prints nothing on success; with --output-dir,\n"
        "each SOURCE into DIR as NAME.mp3 (NAME.wav for pcm; the next free NAME_2… when taken),\n"
        "--jobs at once (by default one a core), each path printed as it is written",
        QStringList{QStringLiteral("start"), QStringLiteral("end"), QStringLiteral("codec"), QStringLiteral("channels"),
                    QStringLiteral("rate"), QStringLiteral("bits"), QStringLiteral("output-dir")} +
            BatchRun::Names(),
        &Run};
    return command;
}
