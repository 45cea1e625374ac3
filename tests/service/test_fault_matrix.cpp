// Every way the services can fail each client, each client run as the service task the tools run:
// one end per run with the client's code and the words the user is shown, no file half-written,
// and the log record the client keeps.
#include "copywriting/CopywritingTask.h"
#include "dubbing/CTxt2AudioNetOper.h"
#include "dubbing/LongSpeechTask.h"
#include "dubbing/ShortSpeechTask.h"
#include "host/CQOVResNewWS.h"
#include "painting/CTxt2ImageNetOper.h"
#include "painting/PaintingOutcome.h"
#include "painting/PaintingTask.h"
#include "service/PolledSteps.h"
#include "service/RequestFailure.h"
#include "service/RestClient.h"
#include "service/TransLog.h"
#include "subtitles/CAudio2TxtNetOper.h"
#include "subtitles/CWaveToText.h"
#include "subtitles/CWaveToTextMgr.h"
#include "subtitles/SubtitleChain.h"
#include "support/FaultEnvironment.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Kind = TaskError::Kind;

enum class Client { Copywriting, ShortSpeech, LongSpeech, Painting, CloudRecognition, FileTranscription, ObjectStore };
constexpr const char* kClients[] = {"Copywriting",      "ShortSpeech",       "LongSpeech", "Painting",
                                    "CloudRecognition", "FileTranscription", "ObjectStore"};
enum class Step { Token, Chat, Synthesize, Create, Poll, Download, Upload, Query, Delete, Prepare, Merge, Progress,
                  Result };
constexpr const char* kSteps[] = {"Token",  "Chat",   "Synthesize", "Create", "Poll",     "Download", "Upload",
                                  "Query",  "Delete", "Prepare",    "Merge",  "Progress", "Result"};
constexpr Fault kFaults[] = {Fault::Refused,    Fault::Status500, Fault::Slow,           Fault::NotJson,
                             Fault::WrongTypes, Fault::Truncated, Fault::ClosedMidReply, Fault::Huge};

// The words a user is shown: the whole text, or how it begins when the network library's or the
// parser's own words follow.
struct Words
{
    const char* text = "";
    bool prefix = false;
};
Words Starts(const char* text) { return {text, true}; }

// Polling: each failed poll is reported and polling goes on until the task is stopped.
enum class Ends { Success, Failure, Polling };

// code: the client's failure code, or what a success carries (the poll code that ended a polled
// task, the store's status); fileBytes: the one file left behind, 0 for none.
struct Expect
{
    Ends ends;
    int code = 0;
    Words words;
    size_t fileBytes = 0;
    // None: the kind of the cell's fault (KindOf).
    Kind kind = Kind::None;
};
Expect Fails(int code, Words words = {}, Kind kind = Kind::None) { return {Ends::Failure, code, words, 0, kind}; }
Expect Succeeds(int code = 0, Words words = {}, size_t bytes = 0) { return {Ends::Success, code, words, bytes}; }
Expect PollsOn(Words words = {}) { return {Ends::Polling, 0, words}; }

struct Cell
{
    Client client;
    Step step;
    Fault fault;
    Expect expect;

    std::string Name() const { return std::string(kClients[int(client)]) + kSteps[int(step)] + FaultName(fault); }
    friend void PrintTo(const Cell& cell, std::ostream* out) { *out << cell.Name(); }
};
using Cells = std::vector<Cell>;

Cells Some(Client client, Step step, const Expect& expect,
           const std::vector<Fault>& faults = std::vector<Fault>(std::begin(kFaults), std::end(kFaults)))
{
    Cells cells;
    for (const Fault fault : faults)
        cells.push_back({client, step, fault, expect});
    return cells;
}

// A JSON request failing every way, each ending as base does with the words for its fault.
Cells JsonFaults(Client client, Step step, Expect base, const char* status500, const char* malformed)
{
    const Words words[] = {Starts(FaultEnvironment::kConnectText), {status500}, Starts(FaultEnvironment::kTimedOutText),
                           Starts(malformed), Starts(malformed), Starts(malformed), {FaultEnvironment::kCutText},
                           {FaultEnvironment::kTooLargeText}};
    Cells cells;
    for (size_t i = 0; i < std::size(kFaults); ++i) {
        base.words = words[i];
        cells.push_back({client, step, kFaults[i], base});
    }
    return cells;
}

Cells TokenFaults(Client client, const Expect& base)
{
    return JsonFaults(client, Step::Token, base, "Token获取失败，请检查配置文件，错误代码：500", "Token服务的回复格式有误：");
}

// A client's two cells over HTTPS: refused at its first step, working through its last.
Cells OverTls(Client client, Step first, const Expect& refused, Step last, const Expect& works = Succeeds())
{
    return {{client, first, Fault::UntrustedCertificate, refused}, {client, last, Fault::TrustedThroughCaFile, works}};
}

// What a failure caused by each fault is, whichever client met it.
Kind KindOf(Fault fault)
{
    switch (fault) {
    case Fault::Refused:
        return Kind::Refused;
    case Fault::Status500:
        return Kind::Status;
    case Fault::Slow:
        return Kind::TimedOut;
    case Fault::UntrustedCertificate:
        return Kind::Certificate;
    default:
        return Kind::Reply;
    }
}

bool IsOverTls(Fault fault)
{
    return fault == Fault::UntrustedCertificate || fault == Fault::TrustedThroughCaFile;
}

// The cells of these faults end otherwise.
Cells With(Cells cells, std::initializer_list<std::pair<Fault, Expect>> others)
{
    for (Cell& cell : cells)
        for (const auto& [fault, expect] : others)
            if (cell.fault == fault)
                cell.expect = expect;
    return cells;
}

const std::string kAudio(4000, 'A');
const std::string kImage = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(3000, 'P');
const char* const kSpeechStatus = "语音合成服务请求失败，HTTP状态码：500";
const char* const kSpeechMalformed = "语音合成服务的回复格式有误：";
const char* const kImageMalformed = "图片生成服务的回复格式有误：";
const char* const kRecognitionMalformed = "识别服务的回复格式有误：";
const char* const kNoAudio = "语音合成服务没有返回音频，请稍后重试";

Cells AllCells()
{
    using C = Client;
    using S = Step;
    // Three tries at the download, then the task ends; a failed image download is named in the
    // text and the task still finishes.
    const Expect gaveUp = Fails(CTxt2AudioNetOper::PollGaveUp, {"下载失败，已尝试3次，请稍后重新合成"});
    const Expect imageMissing = Succeeds(CTxt2ImageNetOper::PollFinished, {"下载失败"});
    const std::vector<Fault> notJson = {Fault::Refused, Fault::Status500, Fault::Slow, Fault::ClosedMidReply,
                                        Fault::Huge};
    // The store's replies have no members to type wrongly.
    const std::vector<Fault> store = {Fault::Refused,   Fault::Status500,      Fault::Slow, Fault::NotJson,
                                      Fault::Truncated, Fault::ClosedMidReply, Fault::Huge};
    const Words untrusted = Starts(FaultEnvironment::kUntrustedText);
    const std::initializer_list<std::pair<Fault, Expect>> refusals = {
        {Fault::Refused, Fails(0)}, {Fault::Status500, Fails(500)}, {Fault::Slow, Fails(0)}};
    const std::vector<Cells> parts = {
        TokenFaults(C::Copywriting, Fails(CopywritingTask::kNoToken)),
        JsonFaults(C::Copywriting, S::Chat, Fails(CopywritingTask::kRequestFailed), "文案服务请求失败，HTTP状态码：500",
                   "文案服务的回复格式有误："),

        TokenFaults(C::ShortSpeech, Fails(0)),
        // A page where audio was expected is no audio, however long it is; audio cut short but
        // framed as whole cannot be told from a shorter text's audio.
        With(JsonFaults(C::ShortSpeech, S::Synthesize, Fails(0), kSpeechStatus, ""),
             {{Fault::NotJson, Fails(0, {kNoAudio})},
              {Fault::WrongTypes, Fails(0, {kNoAudio})},
              {Fault::Truncated, Succeeds(0, {}, kAudio.size() / 2)},
              {Fault::Huge, Succeeds(0, {}, FaultyServer::kHugeBytes)}}),

        TokenFaults(C::LongSpeech, Fails(CTxt2AudioNetOper::NoToken)),
        JsonFaults(C::LongSpeech, S::Create, Fails(CTxt2AudioNetOper::NotCreated), kSpeechStatus, kSpeechMalformed),
        // The service may recover.
        JsonFaults(C::LongSpeech, S::Poll, PollsOn(), kSpeechStatus, kSpeechMalformed),
        // The audio is no JSON: a page, wrong types or a cut framed as whole are just bytes.
        With(Some(C::LongSpeech, S::Download, gaveUp, notJson),
             {{Fault::Huge, Succeeds(CTxt2AudioNetOper::PollFinished, {}, FaultyServer::kHugeBytes)}}),

        TokenFaults(C::Painting, Fails(CTxt2ImageNetOper::NoToken)),
        JsonFaults(C::Painting, S::Create, Fails(CTxt2ImageNetOper::NotCreated), "图片生成服务请求失败，HTTP状态码：500",
                   kImageMalformed),
        // A status other than 200 leaves the text as it was; a reply that arrived whole in a shape
        // the service never sends ends the task.
        With(JsonFaults(C::Painting, S::Poll, PollsOn(), "", kImageMalformed),
             {{Fault::Status500, PollsOn()},
              {Fault::WrongTypes, Fails(CTxt2ImageNetOper::PollError, Starts(kImageMalformed))}}),
        With(Some(C::Painting, S::Download, imageMissing, notJson),
             {{Fault::Huge, Succeeds(CTxt2ImageNetOper::PollFinished, {}, FaultyServer::kHugeBytes)}}),

        TokenFaults(C::CloudRecognition, Fails(CAudio2TxtNetOper::NoToken)),
        // The store's verdict is its status: a refusal or no answer fails the upload, while a page,
        // a cut body or a huge one after status 200 means the object is stored (the body is not read).
        Some(C::CloudRecognition, S::Upload, Fails(CAudio2TxtNetOper::UploadFailed, {"my talk.mp3上传失败!"}),
             {Fault::Refused, Fault::Status500, Fault::Slow}),
        Some(C::CloudRecognition, S::Upload, Succeeds(), {Fault::NotJson, Fault::ClosedMidReply, Fault::Huge}),
        JsonFaults(C::CloudRecognition, S::Create, Fails(CAudio2TxtNetOper::NotCreated),
                   "创建识别任务失败，HTTP状态码：500", kRecognitionMalformed),
        With(JsonFaults(C::CloudRecognition, S::Query, PollsOn(), "查询识别任务失败，HTTP状态码：500",
                        kRecognitionMalformed),
             {{Fault::WrongTypes, Fails(CAudio2TxtNetOper::PollError, Starts(kRecognitionMalformed))}}),
        // The object left behind is the store's loss, not the task's: it still finishes with its files.
        Some(C::CloudRecognition, S::Delete, Succeeds(), notJson),

        // The transcription client has no words of its own: a failed request fails its step,
        // whatever went wrong on the way. The upload's reply is not examined (a refused upload
        // shows at the merge), but it has to arrive. The service said finished when the result
        // fails, and that is the code the task fails with.
        Some(C::FileTranscription, S::Prepare, Fails(CWaveToText::PrepareFailed)),
        With(Some(C::FileTranscription, S::Upload, Fails(CWaveToText::UploadFailed)),
             {{Fault::NotJson, Succeeds()}, {Fault::WrongTypes, Succeeds()}, {Fault::Truncated, Succeeds()}}),
        Some(C::FileTranscription, S::Merge, Fails(CWaveToText::MergeFailed)),
        Some(C::FileTranscription, S::Progress, PollsOn()),
        Some(C::FileTranscription, S::Result, Fails(9)),

        // Status 200 is the store's yes, whatever follows it.
        With(Some(C::ObjectStore, S::Upload, Succeeds(200), store), refusals),
        With(Some(C::ObjectStore, S::Delete, Succeeds(200), store), refusals),

        // Over HTTPS: the first request meets a certificate nobody trusts and ends in its
        // handshake, saying why; behind the one CaFile trusts, the whole task works.
        OverTls(C::Copywriting, S::Token, Fails(CopywritingTask::kNoToken, untrusted), S::Chat),
        OverTls(C::ShortSpeech, S::Token, Fails(0, untrusted), S::Synthesize, Succeeds(0, {}, kAudio.size())),
        OverTls(C::LongSpeech, S::Token, Fails(CTxt2AudioNetOper::NoToken, untrusted), S::Download,
                Succeeds(CTxt2AudioNetOper::PollFinished, {}, kAudio.size())),
        OverTls(C::Painting, S::Token, Fails(CTxt2ImageNetOper::NoToken, untrusted), S::Download,
                Succeeds(CTxt2ImageNetOper::PollFinished, {}, kImage.size())),
        OverTls(C::CloudRecognition, S::Token, Fails(CAudio2TxtNetOper::NoToken, untrusted), S::Delete),
        OverTls(C::FileTranscription, S::Prepare, Fails(CWaveToText::PrepareFailed), S::Result),
        OverTls(C::ObjectStore, S::Upload, Fails(0, untrusted), S::Upload, Succeeds(200)),
    };
    Cells all;
    for (const Cells& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Runs body as a service task until its end arrives; a task that polls on is stopped after its
// second failed poll. Nothing may follow the end.
struct TaskRun
{
    std::optional<TaskEnd> end;
    std::vector<int> progress;
    std::vector<QString> texts;

    void Run(ServiceTask::Body body, const std::function<bool(int)>& failedPoll = {})
    {
        ServiceTask task;
        QEventLoop loop;
        int ends = 0;
        int failedPolls = 0;
        QObject::connect(&task, &ServiceTask::progress, [&](int code, const QString& text) {
            progress.push_back(code);
            texts.push_back(text);
            if (failedPoll && failedPoll(code) && ++failedPolls == 2)
                task.Stop();
        });
        QObject::connect(&task, &ServiceTask::ended, [&](const TaskEnd& ended) {
            end = ended;
            ++ends;
            loop.quit();
        });
        ASSERT_TRUE(task.Start(std::move(body)));
        QTimer::singleShot(20s, &loop, &QEventLoop::quit);
        loop.exec();
        ASSERT_TRUE(end) << "the task never ended; " << failedPolls << " failed polls";
        const size_t reported = progress.size();
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(progress.size(), reported) << "progress after the end";
    }
};

void ExpectWords(const QString& said, const Words& words, const std::string& lead = {})
{
    const std::string text = words.text;
    const std::string error = said.toStdString();
    if (words.prefix) {
        EXPECT_TRUE(error.rfind(text, 0) == 0 && error.size() > text.size()) << error;
    } else {
        EXPECT_EQ(error, text.empty() ? text : lead + text);
    }
}

// Nothing half-written: folder holds these files, whole, and nothing else.
void ExpectFiles(const QString& folder, const QList<std::pair<QString, QString>>& files)
{
    QStringList names;
    for (const auto& [name, text] : files) {
        names << name;
        EXPECT_EQ(QString::fromUtf8(ReadBytes(QDir(folder).filePath(name))), text) << name.toStdString();
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), names);
}

class FaultMatrix : public ::testing::TestWithParam<Cell>
{
protected:
    void SetUp() override
    {
        RestClient::SetRequestTimeout(FaultEnvironment::kRequestTimeout);
        ASSERT_TRUE(m_out.isValid() && m_in.isValid());
        // A process has its settings over HTTP or over HTTPS: the HTTPS cells make theirs in a child.
        if (!IsOverTls(cell().fault))
            Prepare();
    }

    // Every server afresh, the token route failing when that is the cell's step.
    void Prepare()
    {
        Env().Reset();
        if (cell().step == Step::Token)
            Env().ServeToken(cell().fault);
    }

    FaultEnvironment& Env() const
    {
        return FaultEnvironment::Get(IsOverTls(cell().fault) ? FaultEnvironment::Transport::Https
                                                            : FaultEnvironment::Transport::Http);
    }

    void RunCell();
    // The HTTPS cell in this process, whose settings are its own; its failures go to standard error
    // and its exit status says whether there were any.
    [[noreturn]] void RunCellOverTls();

    const Cell& cell() const { return GetParam(); }
    const Expect& expect() const { return GetParam().expect; }
    std::string TaskId() const { return "t-" + cell().Name(); }

    // failedPoll: whether a progress code is a poll that failed.
    const TaskEnd& Run(ServiceTask::Body body, const std::function<bool(int)>& failedPoll = {})
    {
        m_run.Run(std::move(body), expect().ends == Ends::Polling ? failedPoll : std::function<bool(int)>());
        return m_run.end ? *m_run.end : m_noEnd;
    }

    // codeOnSuccess: the body's success carries a code.
    void ExpectEnd(const TaskEnd& end, bool codeOnSuccess = false) const
    {
        switch (expect().ends) {
        case Ends::Success:
            EXPECT_TRUE(end.Succeeded()) << end.error.text.toStdString();
            if (codeOnSuccess) {
                EXPECT_EQ(end.value.toInt(), expect().code);
            }
            break;
        case Ends::Failure:
            EXPECT_TRUE(end.Failed());
            EXPECT_EQ(end.error.code, expect().code);
            EXPECT_EQ(end.error.kind, expect().kind != Kind::None ? expect().kind : KindOf(cell().fault));
            // Codes of different clients overlap: the end says whose this one is.
            if (cell().client != Client::ObjectStore) {
                EXPECT_STRNE(end.error.domain, "");
            }
            break;
        case Ends::Polling:
            EXPECT_TRUE(end.Stopped()) << end.error.text.toStdString();
            break;
        }
    }

    // The one file of a client that writes one, whole, or none.
    void ExpectOutput(const QString& name) const
    {
        const bool written = expect().fileBytes != 0;
        const QStringList files = QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(files, written ? QStringList{name} : QStringList{});
        if (written) {
            EXPECT_EQ(size_t(QFileInfo(m_out.filePath(name)).size()), expect().fileBytes);
        }
    }

    // path answers good, or fails as the cell says when it is its step. A refused poll is the
    // create's reply, then no connection at all.
    void Serve(Step step, const std::string& path, const std::string& good, const std::string& wrongTypes)
    {
        const bool polls = cell().step == Step::Poll || cell().step == Step::Query;
        Env().Services().Server().Reply("POST", path, 200, good);
        if (polls && cell().fault == Fault::Refused) {
            if (step == Step::Create)
                Env().Services().ReplyThenRefuse("POST", path, good);
        } else if (step == cell().step) {
            Env().Services().Serve("POST", path, cell().fault, good, wrongTypes);
        }
    }

    // The file server's good reply, or the cell's fault when it is the download.
    void ServeFile(const char* path, const std::string& body, const char* type)
    {
        if (cell().step == Step::Download)
            Env().Files().Serve("GET", path, cell().fault, body, "", type);
        else
            Env().Files().Server().Reply("GET", path, 200, body, type);
    }

    // A polled task, as the windows and the command line run it: the error text its end, or its
    // last failed poll, gave.
    QString RunPolled(ServiceTask::Body body, int failedCode, const std::string& url)
    {
        const TaskEnd& end = Run(std::move(body), [failedCode](int code) { return code == failedCode; });
        ExpectEnd(end);
        if (expect().ends == Ends::Success) {
            EXPECT_EQ(m_run.progress.back(), expect().code) << "the last report is the finishing poll's";
        }
        QString error = end.error.text;
        if (end.value.canConvert<PaintingOutcome>()) {
            error = end.value.value<PaintingOutcome>().notes;
        } else if (!end.Failed()) {
            for (const QString& text : m_run.texts) {
                if (const QString reason = PolledSteps::ReasonOf(text); !reason.isEmpty())
                    error = reason;
            }
        }
        ExpectWords(error, expect().words, cell().step == Step::Download ? url : "");
        return error;
    }

    size_t StoreRequests(const char* method) const
    {
        size_t count = 0;
        for (const RecordedRequest& request : Env().Store().Server().Requests())
            count += request.method == method ? 1 : 0;
        return count;
    }

    void Copywriting();
    void ShortSpeech();
    void LongSpeech();
    void Painting();
    void Subtitles();
    void ObjectStore();

    QTemporaryDir m_out;
    QTemporaryDir m_in;
    TaskRun m_run;
    const TaskEnd m_noEnd = TaskEnd::Failure(Kind::None, 0, QStringLiteral("no end"));
};

void FaultMatrix::Copywriting()
{
    Serve(Step::Chat, FaultEnvironment::kChatPath, R"({"result":"生成的文案"})",
          R"({"error_code":"336003","result":{"text":"x"}})");
    const qsizetype logged = GetCopywritingLog().ItemCount();
    const TaskEnd& end = Run(CopywritingTask::Make(QStringLiteral("话题"), m_out.path() + QLatin1Char('/')));
    ExpectEnd(end);
    ExpectWords(end.error.text, expect().words);
    QList<std::pair<QString, QString>> files;
    if (end.Succeeded())
        files << std::pair(QFileInfo(CopywritingTask::ResultOf(end).path).fileName(), QStringLiteral("生成的文案"));
    ExpectFiles(m_out.path(), files);
    EXPECT_EQ(GetCopywritingLog().ItemCount(), logged + (end.Succeeded() ? 1 : 0)) << "only a generated text is logged";
}

void FaultMatrix::ShortSpeech()
{
    if (cell().step == Step::Synthesize)
        Env().Services().Serve("POST", FaultEnvironment::kShortSpeechPath, cell().fault, kAudio,
                               R"({"err_no":502,"err_msg":["token invalid"]})", "audio/mp3");
    const qsizetype logged = GetDubbingLog().ItemCount();
    const QString path = m_out.filePath(QStringLiteral("Audio.mp3"));
    const TaskEnd& end = Run(ShortSpeechTask::Make({QStringLiteral("短文本"), path, 5, 5, 5, 1, 3}));
    ExpectEnd(end);
    ExpectWords(end.error.text, expect().words);
    if (end.Succeeded()) {
        EXPECT_EQ(end.value.toString(), path);
    }
    ExpectOutput(QStringLiteral("Audio.mp3"));
    EXPECT_EQ(GetDubbingLog().ItemCount(), logged + (end.Succeeded() ? 1 : 0)) << "only audio is logged";
}

void FaultMatrix::LongSpeech()
{
    const char* const audioPath = "/speech/audio.mp3";
    const std::string url = Env().Files().Url(audioPath);
    Serve(Step::Create, "/tts/v1/create", R"({"log_id":1,"task_id":")" + TaskId() + R"("})",
          R"({"error_code":"0","task_id":["t"]})");
    Serve(Step::Poll, "/tts/v1/query",
          R"({"tasks_info":[{"task_id":")" + TaskId() + R"(","task_status":"Success","task_result":{"speech_url":")" +
              url + R"("}}]})",
          R"({"tasks_info":"not a list"})");
    ServeFile(audioPath, kAudio, "audio/mp3");
    const qsizetype logged = GetDubbingLog().ItemCount();

    const QString path = m_out.filePath(QStringLiteral("Audio.mp3"));
    const QString error = RunPolled(LongSpeechTask::Make({QStringLiteral("长文本"), path, 5, 5, 5, 1, 3}),
                                    CTxt2AudioNetOper::PollFailed, url);
    ExpectOutput(QStringLiteral("Audio.mp3"));
    const QList<TransLogItem> items = GetDubbingLog().Items();
    if (cell().step == Step::Token) {
        EXPECT_EQ(items.size(), logged) << "nothing was sent, nothing is logged";
    } else if (cell().step == Step::Create) {
        ASSERT_EQ(items.size(), logged + 1);
        EXPECT_EQ(items.back().Files, error) << "the record says why";
    } else {
        const auto record = GetDubbingLog().FindTask(QString::fromStdString(TaskId()));
        ASSERT_TRUE(record);
        EXPECT_EQ(record->Stat, expect().code);
        if (expect().ends != Ends::Polling) {
            EXPECT_EQ(record->Files, expect().code == CTxt2AudioNetOper::PollFinished ? path : error);
        }
    }
    if (cell().step == Step::Download && expect().code == CTxt2AudioNetOper::PollGaveUp) {
        EXPECT_EQ(Env().Services().Server().RequestsTo("/tts/v1/query").size(), 3u)
            << "three polls, each with a try, then no more";
        EXPECT_EQ(m_run.progress, (std::vector<int>{PolledSteps::kCreated, 0, 0, -1}))
            << "two failed tries go on, the third ends the task";
    }
}

void FaultMatrix::Painting()
{
    const char* const imagePath = "/files/a.png";
    const std::string url = Env().Files().Url(imagePath) + "?sign=1";
    Serve(Step::Create, "/ernievilg/v1/txt2imgv2", R"({"log_id":1,"data":{"task_id":")" + TaskId() + R"("}})",
          R"({"data":{"task_id":["t"]}})");
    Serve(Step::Poll, "/ernievilg/v1/getImgv2",
          R"({"data":{"task_status":"SUCCESS","task_progress":1,"sub_task_result_list":[{"final_image_list":[)"
          R"({"img_url":")" + url + R"(","img_approve_conclusion":"pass","width":64,"height":64}]}]}})",
          R"({"data":"not an object"})");
    ServeFile(imagePath, kImage, "image/png");
    const qsizetype logged = GetPaintingLog().ItemCount();

    const std::string folder = m_out.path().toStdString() + '/';
    RunPolled(PaintingTask::Make({"雪山", folder, 512, 512, 1, ""}), CTxt2ImageNetOper::PollFailed, url);
    ExpectOutput(QStringLiteral("a.png"));
    if (cell().step == Step::Token || cell().step == Step::Create) {
        EXPECT_EQ(GetPaintingLog().ItemCount(), logged) << "a task the service did not make is not logged";
    } else {
        const auto record = GetPaintingLog().FindTask(QString::fromStdString(TaskId()));
        ASSERT_TRUE(record);
        EXPECT_EQ(record->Stat, expect().code);
    }
}

// Both recognition engines, through the subtitle task the tools run.
void FaultMatrix::Subtitles()
{
    const bool cloud = cell().client == Client::CloudRecognition;
    if (cloud) {
        Serve(Step::Create, "/aasr/v1/create",
              R"({"log_id":1,"task_id":")" + TaskId() + R"(","task_status":"Created"})",
              R"({"task_id":["t"],"task_status":7})");
        Serve(Step::Query, "/aasr/v1/query",
              R"({"log_id":2,"tasks_info":[{"task_id":")" + TaskId() +
                  R"(","task_status":"Success","task_result":{"result":["你好，世界"],)"
                  R"("detailed_result":[{"res":["你好，","世界"],"begin_time":0,"end_time":1500}]}}]})",
              R"({"tasks_info":"not an array"})");
        // The store's replies carry nothing the client reads; the faults get a body to cut or pad.
        if (cell().step == Step::Delete && cell().fault == Fault::Refused)
            Env().Store().StoreThenRefuse(FaultEnvironment::kStorePrefix);
        else if (cell().step == Step::Upload || cell().step == Step::Delete)
            Env().Store().ServePrefix(cell().step == Step::Upload ? "PUT" : "DELETE", FaultEnvironment::kStorePrefix,
                                      cell().fault, std::string(2048, ' '), "", "application/xml");
    } else {
        const std::string base = FaultEnvironment::kTranscriptionBase;
        const std::string accepted = R"({"ok":0,"err_no":0,"failed":null,"data":""})";
        const struct
        {
            Step step;
            std::string path, good, wrongTypes;
        } steps[] = {
            {Step::Prepare, base + "/prepare", R"({"ok":0,"err_no":0,"failed":null,"data":")" + TaskId() + "\"}",
             R"({"ok":"0","data":["t"]})"},
            {Step::Upload, base + "/upload", accepted, R"({"ok":[0]})"},
            {Step::Merge, base + "/merge", accepted, R"({"ok":"0"})"},
            {Step::Progress, base + "/getProgress",
             R"({"err_no":0,"failed":null,"data":"{\"status\":9,\"desc\":\"done\"}"})",
             R"({"err_no":0,"data":{"status":9}})"},
            {Step::Result, base + "/getResult",
             R"({"err_no":0,"failed":null,"data":"[{\"bg\":\"0\",\"ed\":\"1500\",\"onebest\":\"你好\",\"speaker\":\"1\"}]"})",
             R"({"err_no":0,"data":[{"bg":0}]})"},
        };
        // Refusing from the step on: the request before it is the last one answered.
        for (size_t i = 0; i < std::size(steps); ++i) {
            Env().Services().Server().Reply("POST", steps[i].path, 200, steps[i].good);
            if (steps[i].step != cell().step)
                continue;
            if (cell().fault == Fault::Refused && i > 0)
                Env().Services().ReplyThenRefuse("POST", steps[i - 1].path, steps[i - 1].good);
            else
                Env().Services().Serve("POST", steps[i].path, cell().fault, steps[i].good, steps[i].wrongTypes);
        }
    }
    const QString audio = m_in.filePath(QStringLiteral("my talk.mp3"));
    ASSERT_TRUE(WriteBytes(audio, QByteArray(6000, 'M')));
    const QString folder = Env().WorkDir() + QStringLiteral("/AITxt");
    QDir(folder).removeRecursively();
    const qsizetype logged = GetSubtitlesLog().ItemCount();

    CWaveToTextMgr manager;
    ASSERT_TRUE(manager.SetUserIDandKey(QStringLiteral("fault-app"), QStringLiteral("fault-key")));
    WaveTransSrt* task = manager.AddWave(cloud ? 1 : 0, audio, 1, 0.0f, 1.0f, QUuid(), 80001);
    ASSERT_TRUE(task);
    // Every poll is progress to the task; a failed one leaves the engine's code for it.
    const int failed = cloud ? CAudio2TxtNetOper::PollFailed : -1;
    const TaskEnd& end = Run([task](const ServiceTask::Worker& worker) { return SubtitleChain::Run(*task, worker); },
                             [task, failed](int code) {
                                 return code == WaveTransSrt::NotifyProgress && task->GetLastCode() == failed;
                             });
    ExpectEnd(end);
    if (end.Failed()) {
        EXPECT_TRUE(end.error.text.startsWith(QStringLiteral("转写失败"))) << end.error.text.toStdString();
    }
    if (cloud && !end.Succeeded())
        ExpectWords(QString::fromStdString(task->CloudClient().GetErrorText()), expect().words);

    QList<std::pair<QString, QString>> files;
    if (end.Succeeded()) {
        EXPECT_EQ(end.value.toString(), task->GetSrtPath());
        const QString srt = QFileInfo(task->GetSrtPath()).fileName();
        const QString text = cloud ? QStringLiteral("你好，世界") : QStringLiteral("你好");
        files << std::pair(srt, QStringLiteral("1\r\n00:00:00,000 --> 00:00:01,500\r\n%1\r\n\r\n").arg(text));
        if (cloud)
            files << std::pair(QFileInfo(srt).completeBaseName() + QStringLiteral(".txt"), text);
    }
    ExpectFiles(folder, files);

    // A task the service never made is not logged; one it made is finished only with its files,
    // and failed when the service said so.
    const auto record = GetSubtitlesLog().FindTask(QString::fromStdString(TaskId()));
    if (end.Failed() && cell().step != Step::Query && cell().step != Step::Result) {
        EXPECT_EQ(GetSubtitlesLog().ItemCount(), logged);
    } else {
        ASSERT_TRUE(record);
        EXPECT_EQ(record->Stat, end.Succeeded() ? 2 : cloud && end.Failed() ? CAudio2TxtNetOper::PollError : 0);
    }
    if (!cloud)
        return;
    if (cell().step == Step::Token) {
        EXPECT_EQ(StoreRequests("PUT"), 0u) << "nothing is uploaded without a token";
    }
    // The object goes when the task was never made or has ended; a stopped task keeps it.
    const bool ended = (cell().step == Step::Create || cell().step == Step::Query || end.Succeeded()) && !end.Stopped();
    const bool unreachable = cell().step == Step::Delete && cell().fault == Fault::Refused;
    EXPECT_EQ(StoreRequests("DELETE"), ended && !unreachable ? 1u : 0u);
}

// The store's verdict is its status; a body calling the client as the recognition client does.
TaskEnd StoreCall(CQOVResNewWS& client, Step step, const QString& endpoint, const QString& file,
                  const ServiceTask::Worker& worker)
{
    SHuaweiObsPolicy policy;
    policy.endpoint = endpoint;
    policy.accessKeyId = QStringLiteral("fault-ak");
    policy.secretAccessKey = QStringLiteral("fault-sk");
    policy.bucketName = QLatin1String(FaultEnvironment::kStoreBucket);
    policy.localFilePath = file;
    policy.objectKey = QStringLiteral("4f1c_audio.mp3");
    client.SetTimeout(1s);
    client.SetCancellation(worker.Token());
    const int done = step == Step::Upload ? client.huaweiObsUploadFile(policy) : client.huaweiObsDeleteFile(policy);
    if (done != 0)
        return TaskEnd::Success(client.LastStatus());
    const RequestFailure failure = RequestFailure::Of(client.LastException(), client.LastStatus(), {});
    return TaskEnd::Failure(failure.kind, client.LastStatus(), client.LastError());
}

QString UploadFile(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("audio.mp3"));
    EXPECT_TRUE(WriteBytes(path, QByteArray(300000, 'a')));
    return path;
}

void FaultMatrix::ObjectStore()
{
    Env().Store().ServePrefix(cell().step == Step::Upload ? "PUT" : "DELETE", FaultEnvironment::kStorePrefix,
                              cell().fault, std::string(4096, ' '), "", "application/xml");
    CQOVResNewWS client;
    const QString file = UploadFile(m_in);
    const QString endpoint = Env().StoreEndpoint();
    ExpectEnd(Run([&](const ServiceTask::Worker& worker) {
                  return StoreCall(client, cell().step, endpoint, file, worker);
              }),
              true);
    EXPECT_EQ(client.LastStatus(), expect().code);
    EXPECT_EQ(client.LastError().isEmpty(), expect().ends == Ends::Success) << client.LastError().toStdString();
    EXPECT_TRUE(client.LastError().contains(QString::fromUtf8(expect().words.text))) << client.LastError().toStdString();
    if (cell().fault == Fault::Huge) {
        EXPECT_LT(Env().Store().HugeBytesSent(), FaultyServer::kHugeBytes / 2) << "the body was received all the same";
    }
}

void FaultMatrix::RunCellOverTls()
{
    Prepare();
    RunCell();
    if (cell().fault == Fault::UntrustedCertificate) {
        for (FaultyServer* server : {&Env().Tokens(), &Env().Services(), &Env().Files(), &Env().Store()})
            EXPECT_TRUE(server->Server().Requests().empty()) << "a request went out after the handshake failed";
    }
    const ::testing::TestResult& result = *::testing::UnitTest::GetInstance()->current_test_info()->result();
    for (int i = 0; i < result.total_part_count(); ++i) {
        const ::testing::TestPartResult& part = result.GetTestPartResult(i);
        if (part.failed())
            std::fprintf(stderr, "%s:%d: %s\n", part.file_name() ? part.file_name() : "?", part.line_number(),
                         part.message());
    }
    std::fflush(stderr);
    // At once: the servers and workers of this process need no orderly end.
    std::_Exit(result.Failed() ? 1 : 0);
}

TEST_P(FaultMatrix, EndsOnceAndLeavesNoHalfFile)
{
    if (!IsOverTls(cell().fault))
        return RunCell();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunCellOverTls(), ::testing::ExitedWithCode(0), "");
}

void FaultMatrix::RunCell()
{
    // In the order of Client: both recognition engines run through the subtitle task.
    static constexpr void (FaultMatrix::*kRuns[])() = {&FaultMatrix::Copywriting, &FaultMatrix::ShortSpeech,
                                                        &FaultMatrix::LongSpeech,  &FaultMatrix::Painting,
                                                        &FaultMatrix::Subtitles,   &FaultMatrix::Subtitles,
                                                        &FaultMatrix::ObjectStore};
    static_assert(std::size(kRuns) == std::size(kClients));
    (this->*kRuns[int(cell().client)])();
}

INSTANTIATE_TEST_SUITE_P(Every, FaultMatrix, ::testing::ValuesIn(AllCells()),
                         [](const ::testing::TestParamInfo<Cell>& info) { return info.param.Name(); });

// An error page of any size says no; its first lines go to the trace, the rest is not received.
TEST(ObjectStoreFaults, AHugeErrorPageIsARefusalAndIsNotReceived)
{
    FaultEnvironment& env = FaultEnvironment::Get();
    env.Reset();
    const QTemporaryDir dir;
    const QString file = UploadFile(dir);
    for (const Step step : {Step::Upload, Step::Delete}) {
        env.Store().ServeHugeStatus(step == Step::Upload ? "PUT" : "DELETE", FaultEnvironment::kStorePrefix, 403);
        CQOVResNewWS client;
        TaskRun run;
        ASSERT_NO_FATAL_FAILURE(run.Run([&](const ServiceTask::Worker& worker) {
            return StoreCall(client, step, env.StoreEndpoint(), file, worker);
        }));
        EXPECT_TRUE(run.end->Failed());
        EXPECT_EQ(run.end->error.code, 403);
        EXPECT_LT(env.Store().HugeBytesSent(), FaultyServer::kHugeBytes / 2);
    }
}

} // namespace
