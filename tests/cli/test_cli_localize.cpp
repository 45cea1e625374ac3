#include "LocalServices.h"
#include "mediakit/SrtReader.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>

#include <cpprest/json.h>
#include <httplib.h>

#include <csignal>

namespace {

// Two recordings of English speech the recognizer's test data ships, a second apart: captions
// enough to fit, to resume and to edit one of.
const char* const kFirstSpeech =
    "/usr/share/pocketsphinx/test/data/librivox/sense_and_sensibility_01_austen_64kb-0870.wav";
const char* const kSecondSpeech =
    "/usr/share/pocketsphinx/test/data/librivox/sense_and_sensibility_01_austen_64kb-0880.wav";

class Localize : public LocalServices
{
protected:
    // A short video of English speech in a folder of its own: its project folder goes beside it.
    // short: the second recording alone, one caption.
    QString Video(const QString& folder, bool shortOne = false)
    {
        QDir().mkpath(Path(folder));
        const QString video = Path(folder + QStringLiteral("/talk.mp4"));
        bool ok = false;
        if (shortOne) {
            const QString said = MediaFixtures::RunFfmpeg(
                QStringList{"-f", "lavfi", "-i", "color=c=blue:s=96x64:r=10", "-i", QString::fromUtf8(kSecondSpeech),
                            "-shortest", "-c:v", "mpeg4", "-c:a", "aac", video},
                &ok);
            EXPECT_TRUE(ok) << said.toStdString();
            return video;
        }
        const QString said = MediaFixtures::RunFfmpeg(
            QStringList{"-f", "lavfi", "-i", "color=c=blue:s=96x64:r=10", "-i", QString::fromUtf8(kFirstSpeech), "-i",
                        QString::fromUtf8(kSecondSpeech), "-filter_complex",
                        "anullsrc=r=16000:cl=mono,atrim=duration=1[pause];[1:a][pause][2:a]concat=n=3:v=0:a=1[a]",
                        "-map", "0:v", "-map", "[a]", "-shortest", "-c:v", "mpeg4", "-c:a", "aac", video},
            &ok);
        EXPECT_TRUE(ok) << said.toStdString();
        return video;
    }

    // The texts the speech services were asked to say since the last clear.
    QStringList Spoken()
    {
        httplib::Client control("127.0.0.1", m_port);
        QStringList texts;
        for (const char* endpoint : {"tts-short", "tts-create"}) {
            const auto reply = control.Get((std::string("/__control/requests?endpoint=") + endpoint).c_str());
            if (!reply || reply->status != 200)
                return {QStringLiteral("<no record>")};
            // The text alone: a token or a key may differ from run to run.
            static const QRegularExpression text(QStringLiteral("(?:^|&)tex=([^&]*)"));
            const web::json::value requests = web::json::value::parse(reply->body);
            for (const web::json::value& request : requests.as_array()) {
                const QString body = QString::fromStdString(request.at("body").as_string());
                const QRegularExpressionMatch found = text.match(body);
                texts << (found.hasMatch() ? found.captured(1) : body);
            }
        }
        return texts;
    }

    void ClearRequests()
    {
        httplib::Client control("127.0.0.1", m_port);
        ASSERT_TRUE(control.Delete("/__control/requests"));
    }

    // Which 20 ms frames of a 16-bit mono WAV track hold speech.
    static std::vector<bool> Voiced(const QByteArray& wav)
    {
        constexpr qsizetype kHeader = 44;
        constexpr qsizetype kFrame = 320; // samples at 16 kHz
        std::vector<bool> voiced;
        const auto* samples = reinterpret_cast<const qint16*>(wav.constData() + std::min(kHeader, wav.size()));
        const qsizetype count = std::max<qsizetype>(0, wav.size() - kHeader) / 2;
        for (qsizetype at = 0; at + kFrame <= count; at += kFrame) {
            double energy = 0;
            for (qsizetype i = at; i < at + kFrame; ++i)
                energy += double(samples[i]) * samples[i];
            voiced.push_back(energy / kFrame > 300.0 * 300.0);
        }
        return voiced;
    }

    // Where sound starts after a pause in an audio file, in seconds, by the ffmpeg program's
    // silence detection; the start itself when it is not silent.
    static QList<double> Onsets(const QString& audio)
    {
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"), {"-nostdin", "-i", audio, "-af", "silencedetect=n=-35dB:d=0.05", "-f",
                                                "null", "-"});
        ffmpeg.waitForFinished(60000);
        const QString said = QString::fromUtf8(ffmpeg.readAllStandardError());
        QList<double> onsets;
        if (!said.contains(QStringLiteral("silence_start: 0")))
            onsets << 0.0;
        static const QRegularExpression end(QStringLiteral("silence_end: ([0-9.]+)"));
        for (auto found = end.globalMatch(said); found.hasNext();)
            onsets << found.next().captured(1).toDouble();
        return onsets;
    }

    static QString Probe(const QString& video, const QString& entries)
    {
        QProcess probe;
        probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", entries, "-of", "csv=p=0", video});
        probe.waitForFinished(30000);
        return QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
    }
};

TEST_F(Localize, AVideoBecomesItsSpanishVersionAndARerunRedoesNothing)
{
    const QString video = Video(QStringLiteral("whole"));
    const Outcome outcome = Run({"localize", video, "--to", "es"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QString result = outcome.out.trimmed();
    EXPECT_EQ(result, Path(QStringLiteral("whole/talk.es.mp4")));
    for (int step = 1; step <= 5; ++step)
        EXPECT_TRUE(outcome.err.contains(QStringLiteral("step %1/5").arg(step))) << outcome.err.toStdString();

    // The dubbed sound, and subtitles in both languages with the translation first and default.
    EXPECT_EQ(Probe(result, QStringLiteral("stream=codec_type")).split('\n'),
              (QStringList{"video", "audio", "subtitle", "subtitle"}));
    EXPECT_EQ(Probe(result, QStringLiteral("stream_tags=language")).split('\n').mid(2), (QStringList{"spa", "eng"}));
    const QString project = Path(QStringLiteral("whole/talk.es.qovaigc"));
    std::vector<Caption> spanish;
    QString error;
    ASSERT_TRUE(SrtReader::Read(project + QStringLiteral("/captions.es.srt"), spanish, error)) << error.toStdString();
    ASSERT_FALSE(spanish.empty());
    const QJsonObject report =
        QJsonDocument::fromJson(ReadBytes(project + QStringLiteral("/report.json"))).object();
    EXPECT_EQ(report.value(QStringLiteral("captions")).toArray().size(), qsizetype(spanish.size()));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("over the speed cap"))) << "the table's summary";

    // Each caption's speech starts at its caption's start.
    const QList<double> onsets = Onsets(project + QStringLiteral("/track.es.wav"));
    for (const Caption& caption : spanish) {
        const bool heard = std::any_of(onsets.begin(), onsets.end(),
                                       [&](double at) { return std::abs(at * 1000 - caption.start) <= 120; });
        EXPECT_TRUE(heard) << "caption " << caption.index << " at " << caption.start << " ms";
    }

    ClearRequests();
    const Outcome again = Run({"localize", video, "--to", "es"});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.out.trimmed(), result) << "the kept result, not a new one";
    EXPECT_EQ(again.err.count(QStringLiteral("kept from the last run")), 5) << again.err.toStdString();
    EXPECT_TRUE(Spoken().isEmpty());
}

TEST_F(Localize, AnEditedCaptionIsTheOnlyOneSpokenAgain)
{
    const QString video = Video(QStringLiteral("edited"));
    ASSERT_EQ(Run({"localize", video, "--to", "es"}).exitCode, 0);
    const QString translated = Path(QStringLiteral("edited/talk.es.qovaigc/captions.es.srt"));
    std::vector<Caption> captions;
    QString error;
    ASSERT_TRUE(SrtReader::Read(translated, captions, error)) << error.toStdString();
    QByteArray bytes = ReadBytes(translated);
    const QByteArray first = captions.front().text.section(QLatin1Char('\n'), 0, 0).toUtf8();
    ASSERT_GE(bytes.indexOf(first), 0);
    bytes.replace(bytes.indexOf(first), first.size(), "Hola a todos.");
    ASSERT_TRUE(WriteBytes(translated, bytes));

    ClearRequests();
    const Outcome outcome = Run({"localize", video, "--to", "es"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QStringList spoken = Spoken();
    ASSERT_EQ(spoken.size(), 1) << spoken.join('\n').toStdString();
    EXPECT_TRUE(spoken.front().contains(QStringLiteral("Hola"))) << spoken.front().toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("step 3/5 translate: kept"))) << "the edit is kept, not translated over";
    EXPECT_EQ(outcome.out.trimmed(), Path(QStringLiteral("edited/talk.es_2.mp4"))) << "the first video is kept";
}

// Killed at the start of each step that asks the services or writes the track, the rerun ends as
// an uninterrupted run does, and no caption is spoken twice (scripts/localize-resume.sh kills at
// random moments instead, twenty times).
TEST_F(Localize, AKilledRunResumesWithoutSpeakingAnythingTwice)
{
    const QString whole = Video(QStringLiteral("reference"));
    ASSERT_EQ(Run({"localize", whole, "--to", "es", "--jobs", "1"}).exitCode, 0);
    const QString reference = Path(QStringLiteral("reference/talk.es.qovaigc"));
    for (const int step : {1, 3, 4, 5}) {
        SCOPED_TRACE(step);
        const QString folder = QStringLiteral("killed%1").arg(step);
        const QString video = Video(folder);
        ClearRequests();
        QProcess process;
        process.setEnvironment(Environment());
        process.start(QStringLiteral(QOVAIGC_BIN), WithFolders({"localize", video, "--to", "es", "--jobs", "1"}));
        QString err;
        const QString mark = QStringLiteral("step %1/5").arg(step);
        while (!err.contains(mark) && process.state() != QProcess::NotRunning && process.waitForReadyRead(60000))
            err += QString::fromUtf8(process.readAllStandardError());
        ASSERT_TRUE(err.contains(mark)) << err.toStdString();
        process.kill();
        process.waitForFinished(10000);
        const Outcome rerun = Run({"localize", video, "--to", "es", "--jobs", "1"});
        ASSERT_EQ(rerun.exitCode, 0) << rerun.err.toStdString();
        const QString project = Path(folder + QStringLiteral("/talk.es.qovaigc"));
        for (const char* name : {"captions.en.srt", "captions.es.srt"})
            EXPECT_EQ(ReadBytes(project + '/' + name), ReadBytes(reference + '/' + name)) << name;
        // The speech engine's voice wavers a little differently each time it speaks, so the two
        // tracks' samples differ; where they speak and for how long may not.
        const QByteArray resumed = ReadBytes(project + QStringLiteral("/track.es.wav"));
        const QByteArray whole = ReadBytes(reference + QStringLiteral("/track.es.wav"));
        ASSERT_EQ(resumed.size(), whole.size());
        const std::vector<bool> heard = Voiced(resumed);
        const std::vector<bool> expected = Voiced(whole);
        ASSERT_FALSE(expected.empty());
        size_t differ = 0;
        for (size_t i = 0; i < heard.size(); ++i)
            differ += heard[i] != expected[i] ? 1 : 0;
        // A frame at the edge of a word may fall either side of the threshold.
        EXPECT_LE(differ, expected.size() / 50) << "of " << expected.size() << " frames";
        const QStringList spoken = Spoken();
        EXPECT_EQ(QSet<QString>(spoken.begin(), spoken.end()).size(), spoken.size()) << spoken.join('\n').toStdString();
    }
}

// The slowest voice cannot say the captions in their time even sped up: the lines are asked for
// in shorter words, and what still runs on is named; --fresh then asks for everything again.
TEST_F(Localize, SpeechTooLongIsAskedShorterThenNamedAndFreshStartsOver)
{
    const QString video = Video(QStringLiteral("slow"), true);
    const Outcome slow = Run({"localize", video, "--to", "es", "--speed", "0"});
    ASSERT_EQ(slow.exitCode, 0) << slow.err.toStdString();
    EXPECT_TRUE(slow.err.contains(QStringLiteral("asked for shorter wordings"))) << slow.err.toStdString();
    EXPECT_TRUE(slow.err.contains(QStringLiteral("run on past their slot even at 1.3x speed")));
    const QJsonObject report =
        QJsonDocument::fromJson(ReadBytes(Path(QStringLiteral("slow/talk.es.qovaigc/report.json")))).object();
    EXPECT_GE(report.value(QStringLiteral("over_speed_cap")).toInt(), 1);

    ClearRequests();
    const Outcome fresh = Run({"localize", video, "--to", "es", "--speed", "0", "--fresh"});
    ASSERT_EQ(fresh.exitCode, 0) << fresh.err.toStdString();
    EXPECT_FALSE(fresh.err.contains(QStringLiteral("kept from the last run")));
    EXPECT_FALSE(Spoken().isEmpty()) << "speech is asked for again";
    EXPECT_EQ(fresh.out.trimmed(), Path(QStringLiteral("slow/talk.es_2.mp4")));
}

TEST_F(Localize, AVideoWithoutSpeechOrAWrongLanguageEndsInWords)
{
    EXPECT_EQ(Run({"localize", Path("missing.mp4"), "--to", "es"}).exitCode, 1);
    bool ok = false;
    const QString mute = Path(QStringLiteral("mute.mp4"));
    MediaFixtures::RunFfmpeg(QStringList{"-f", "lavfi", "-i", "color=c=blue:s=96x64:r=10:d=2", "-c:v", "mpeg4", mute}, &ok);
    ASSERT_TRUE(ok);
    const Outcome silent = Run({"localize", mute, "--to", "es"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_TRUE(silent.err.contains(QStringLiteral("recognise: the video's sound could not be extracted")))
        << silent.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("mute.es.mp4"))));
    const Outcome same = Run({"localize", Video(QStringLiteral("same"), true), "--to", "en"});
    EXPECT_EQ(same.exitCode, 2) << same.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("same/talk.en.mp4"))));
}

} // namespace
