#include "LocalServices.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

constexpr auto kLimit = 60s;
// Back to the line's start and erase it: how a progress line is redrawn and, at the end, removed.
const QByteArray kErase("\r\x1b[K");

// A WAV header announcing an hour of 16 kHz mono 16-bit audio; the samples follow as they are fed.
QByteArray HourLongWavHeader()
{
    const auto le32 = [](quint32 value) { return QByteArray(reinterpret_cast<const char*>(&value), 4); };
    const auto le16 = [](quint16 value) { return QByteArray(reinterpret_cast<const char*>(&value), 2); };
    const quint32 bytes = 3600u * 16000u * 2u;
    return QByteArray("RIFF") + le32(36 + bytes) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(16000) +
           le32(32000) + le16(2) + le16(16) + "data" + le32(bytes);
}

using Progress = LocalServices;

TEST_F(Progress, ExtractionShowsItsPercentageOnATerminalAndErasesItAtTheEnd)
{
    const QString destination = m_folders.Root() + "/tone.mp3";
    const auto process = OnTerminal({"extract", MediaFixtures::VideoWithAudio(), destination, "--json"});
    ASSERT_TRUE(process->Started());
    ASSERT_EQ(process->Finish(kLimit), 0) << process->Output().toStdString();
    const QByteArray output = process->Output();
    // The first and the last amount are always drawn, however fast the work goes.
    EXPECT_TRUE(output.contains(kErase + "extract    0% [........................] 0.0 of 10."))
        << output.toStdString();
    EXPECT_TRUE(output.contains(kErase + "extract  100% [########################] 10."));
    // Erased before the result, which stands alone on its line.
    const qsizetype erased = output.lastIndexOf(kErase);
    ASSERT_GE(erased, 0);
    const QByteArray after = output.mid(erased + kErase.size());
    EXPECT_TRUE(QJsonDocument::fromJson(after).object().value("ok").toBool()) << after.toStdString();
    EXPECT_TRUE(QFile::exists(destination));
}

TEST_F(Progress, CtrlCStopsAnExtractionWaitingForInputAndLeavesNothing)
{
    // The source is a pipe this test feeds: the extraction cannot end before it is interrupted.
    const QString fifo = m_folders.Root() + "/feed.wav";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = m_folders.Root() + "/out";
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto process = OnTerminal({"extract", fifo, folder + "/a.wav", "--codec", "pcm"});
    ASSERT_TRUE(process->Started());

    const auto previousPipeAction = std::signal(SIGPIPE, SIG_IGN);
    int writer = -1;
    QByteArray pending = HourLongWavHeader();
    const QByteArray silence(3200, '\0'); // a tenth of a second
    const auto feed = [&] {
        if (writer < 0)
            writer = open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer < 0)
            return;
        if (pending.isEmpty())
            pending = silence;
        const ssize_t written = write(writer, pending.constData(), size_t(pending.size()));
        if (written > 0)
            pending.remove(0, written);
    };
    // A pipe does not say how long it is: the line counts the seconds done.
    EXPECT_TRUE(process->WaitFor(kErase + "extract  0.", kLimit, feed)) << process->Output().toStdString();
    process->TypeInterrupt();
    const int status = process->Finish(kLimit, feed);
    if (writer >= 0)
        close(writer);
    std::signal(SIGPIPE, previousPipeAction);

    EXPECT_EQ(status, 130) << process->Output().toStdString();
    EXPECT_TRUE(process->Output().contains("interrupted"));
    EXPECT_TRUE(FilesIn(folder).isEmpty()) << FilesIn(folder).join(' ').toStdString();
}

TEST_F(Progress, ServiceTasksShowTheirStateAndCtrlCStopsThem)
{
    SetAccount();
    const QString speech = Speech();
    const QString longText = QString("今天的天气很好，我们一起去公园散步。").repeated(34); // 612 characters
    const struct
    {
        QStringList arguments;
        const char* queryEndpoint;
        const char* folder;
        QByteArrayList shows; // on the terminal while the task runs
    } cases[] = {
        {{"dub", longText}, "tts-query", "AIAudio", {": created  0:0", "task "}},
        {{"paint", "雪山下的湖泊", "--count", "1"}, "image-query", "AIImage", {": created  0:0", "task "}},
        {{"subtitles", speech, "--engine", "file"}, "transcription-progress", "AITxt", {"生成任务中"}},
        {{"subtitles", speech, "--engine", "cloud"}, "aasr-query", "AITxt", {"生成任务中"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').right(30).toStdString());
        // Every query hangs, so the task stays running until the user gives up on it.
        SetFault(c.queryEndpoint, R"({"delay_ms":600000})");
        const auto process = OnTerminal(c.arguments);
        ASSERT_TRUE(process->Started());
        for (const QByteArray& text : QByteArrayList{kErase + c.arguments.front().toUtf8() + "  "} + c.shows)
            EXPECT_TRUE(process->WaitFor(text, kLimit))
                << text.toStdString() << " in " << process->Output().toStdString();
        process->TypeInterrupt();
        EXPECT_EQ(process->Finish(kLimit), 130) << process->Output().toStdString();
        EXPECT_TRUE(process->Output().endsWith("interrupted\r\n")) << process->Output().toStdString();
        EXPECT_TRUE(FilesIn(m_folders.Work() + '/' + QLatin1String(c.folder)).isEmpty());
    }
}

} // namespace
