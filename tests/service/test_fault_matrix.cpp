// Every way the services can fail each client, driven as the service task the windows and the
// command line run: one end per run, the client's code and the words the user is shown, no file
// half-written, and the log record the client keeps.
#include "copywriting/CopywritingTask.h"
#include "dubbing/CTxt2AudioNetOper.h"
#include "dubbing/ShortSpeechTask.h"
#include "host/CQOVResNewWS.h"
#include "painting/CTxt2ImageNetOper.h"
#include "service/PollCodes.h"
#include "service/PolledClient.h"
#include "service/RestClient.h"
#include "service/ServiceTask.h"
#include "service/TransLog.h"
#include "subtitles/CAudio2TxtNetOper.h"
#include "subtitles/CWaveToText.h"
#include "subtitles/CWaveToTextMgr.h"
#include "subtitles/SubtitleChain.h"
#include "support/FaultEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Kind = TaskError::Kind;

enum class Client { Copywriting, ShortSpeech, LongSpeech, Painting, CloudRecognition, FileTranscription, ObjectStore };
constexpr const char* kClients[] = {"Copywriting", "ShortSpeech", "LongSpeech", "Painting",
                                    "CloudRecognition", "FileTranscription", "ObjectStore"};
enum class Step { Token, Chat, Synthesize, Create, Poll, Download, Upload, Query, Delete, Prepare, Merge, Progress,
                  Result };
constexpr const char* kSteps[] = {"Token",  "Chat",  "Synthesize", "Create", "Poll",     "Download", "Upload",
                                  "Query",  "Delete", "Prepare",   "Merge",  "Progress", "Result"};
constexpr Fault kFaults[] = {Fault::Refused,   Fault::Status500, Fault::Slow,           Fault::NotJson,
                             Fault::WrongTypes, Fault::Truncated, Fault::ClosedMidReply, Fault::Huge};

// The words a user is shown: the whole text, or how it begins when the library's or the parser's
// own words follow.
struct Words
{
    const char* text = "";
    bool prefix = false;
};
Words Starts(const char* text) { return {text, true}; }

const char* const kConnect = FaultEnvironment::kConnectText;
const char* const kTimedOut = FaultEnvironment::kTimedOutText;

// How a run ends. Polling: a failed poll is reported and polling goes on until the task is stopped.
enum class Ends { Success, Failure, Polling };

// code: the client's failure code, or what a success carries (the poll code that ended a polled
// task, the store's status); fileBytes: the one file left behind, 0 for none.
struct Expect
{
    Ends ends;
    int code = 0;
    Words words;
    size_t fileBytes = 0;
    Kind kind = Kind::Service;
};

Expect Fails(int code, Words words = {}, Kind kind = Kind::Service) { return {Ends::Failure, code, words, 0, kind}; }
Expect Succeeds(int code = 0, Words words = {}, size_t fileBytes = 0) { return {Ends::Success, code, words, fileBytes}; }
Expect PollsOn(Words words = {}) { return {Ends::Polling, 0, words}; }

struct Cell
{
    Client client;
    Step step;
    Fault fault;
    Expect expect;

    std::string Name() const
    {
        return std::string(kClients[int(client)]) + kSteps[int(step)] + FaultName(fault);
    }
    friend void PrintTo(const Cell& cell, std::ostream* out) { *out << cell.Name(); }
};

std::vector<Cell> EveryFault(Client client, Step step, const Expect& expect)
{
    std::vector<Cell> cells;
    for (const Fault fault : kFaults)
        cells.push_back({client, step, fault, expect});
    return cells;
}

// A JSON request failing every way: each cell ends as end makes of the words for its fault.
std::vector<Cell> JsonFaults(Client client, Step step, const std::function<Expect(Words)>& end, const char* status500,
                             const char* malformed)
{
    const Words words[] = {Starts(kConnect),  {status500},          Starts(kTimedOut),
                           Starts(malformed), Starts(malformed),    Starts(malformed),
                           {FaultEnvironment::kCutText}, {FaultEnvironment::kTooLargeText}};
    std::vector<Cell> cells;
    for (size_t i = 0; i < std::size(kFaults); ++i)
        cells.push_back({client, step, kFaults[i], end(words[i])});
    return cells;
}

std::vector<Cell> TokenFaults(Client client, const std::function<Expect(Words)>& end)
{
    return JsonFaults(client, Step::Token, end, "Token获取失败，请检查配置文件，错误代码：500", "Token服务的回复格式有误：");
}

// The cell of fault in cells ends otherwise.
std::vector<Cell> With(std::vector<Cell> cells, Fault fault, const Expect& expect)
{
    for (Cell& cell : cells)
        if (cell.fault == fault)
            cell.expect = expect;
    return cells;
}

std::function<Expect(Words)> FailsWith(int code, Kind kind = Kind::Service)
{
    return [code, kind](Words words) { return Fails(code, words, kind); };
}

const std::string kAudio(4000, 'A');
const std::string kImage = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(3000, 'P');
const char* const kSpeechStatus = "语音合成服务请求失败，HTTP状态码：500";
const char* const kSpeechMalformed = "语音合成服务的回复格式有误：";
const char* const kImageMalformed = "图片生成服务的回复格式有误：";
const char* const kRecognitionMalformed = "识别服务的回复格式有误：";
const char* const kNoAudio = "语音合成服务没有返回音频，请稍后重试";
// Three tries at the download, then the task ends.
const char* const kGaveUp = "下载失败，已尝试3次，请稍后重新合成";
const char* const kDownloadFailed = "下载失败";
const char* const kUploadFailed = "my talk.mp3上传失败!";

std::vector<Cell> AllCells()
{
    std::vector<std::vector<Cell>> parts = {
        TokenFaults(Client::Copywriting, FailsWith(CopywritingTask::kNoToken, Kind::Network)),
        JsonFaults(Client::Copywriting, Step::Chat, FailsWith(CopywritingTask::kRequestFailed),
                   "文案服务请求失败，HTTP状态码：500", "文案服务的回复格式有误："),

        TokenFaults(Client::ShortSpeech, FailsWith(0)),
        {
            {Client::ShortSpeech, Step::Synthesize, Fault::Refused, Fails(0, Starts(kConnect))},
            {Client::ShortSpeech, Step::Synthesize, Fault::Status500, Fails(0, {kSpeechStatus})},
            {Client::ShortSpeech, Step::Synthesize, Fault::Slow, Fails(0, Starts(kTimedOut))},
            // A page where audio was expected is no audio, however long it is.
            {Client::ShortSpeech, Step::Synthesize, Fault::NotJson, Fails(0, {kNoAudio})},
            {Client::ShortSpeech, Step::Synthesize, Fault::WrongTypes, Fails(0, {kNoAudio})},
            // Audio cut short but framed as whole cannot be told from a shorter text's audio.
            {Client::ShortSpeech, Step::Synthesize, Fault::Truncated, Succeeds(0, {}, kAudio.size() / 2)},
            {Client::ShortSpeech, Step::Synthesize, Fault::ClosedMidReply, Fails(0, {FaultEnvironment::kCutText})},
            {Client::ShortSpeech, Step::Synthesize, Fault::Huge, Succeeds(0, {}, FaultyServer::kHugeBytes)},
        },

        TokenFaults(Client::LongSpeech, FailsWith(CTxt2AudioNetOper::NoToken)),
        JsonFaults(Client::LongSpeech, Step::Create, FailsWith(CTxt2AudioNetOper::NotCreated), kSpeechStatus,
                   kSpeechMalformed),
        // A failed poll is reported and polling goes on: the service may recover.
        JsonFaults(Client::LongSpeech, Step::Poll, PollsOn, kSpeechStatus, kSpeechMalformed),
        // The audio is no JSON: a page, wrong types or a cut framed as whole are just bytes.
        {
            {Client::LongSpeech, Step::Download, Fault::Refused, Succeeds(CTxt2AudioNetOper::PollGaveUp, {kGaveUp})},
            {Client::LongSpeech, Step::Download, Fault::Status500, Succeeds(CTxt2AudioNetOper::PollGaveUp, {kGaveUp})},
            {Client::LongSpeech, Step::Download, Fault::Slow, Succeeds(CTxt2AudioNetOper::PollGaveUp, {kGaveUp})},
            {Client::LongSpeech, Step::Download, Fault::ClosedMidReply,
             Succeeds(CTxt2AudioNetOper::PollGaveUp, {kGaveUp})},
            {Client::LongSpeech, Step::Download, Fault::Huge,
             Succeeds(CTxt2AudioNetOper::PollFinished, {}, FaultyServer::kHugeBytes)},
        },

        TokenFaults(Client::Painting, FailsWith(CTxt2ImageNetOper::NoToken)),
        JsonFaults(Client::Painting, Step::Create, FailsWith(CTxt2ImageNetOper::NotCreated),
                   "图片生成服务请求失败，HTTP状态码：500", kImageMalformed),
        // A poll that fails on the way is reported and polling goes on; a status other than 200
        // leaves the text as it was. A reply that arrived whole in a shape the service never sends
        // ends the task.
        With(With(JsonFaults(Client::Painting, Step::Poll, PollsOn, "", kImageMalformed), Fault::Status500,
                  PollsOn()),
             Fault::WrongTypes, Succeeds(CTxt2ImageNetOper::PollError, Starts(kImageMalformed))),
        // A failed download is named in the text and the task still finishes.
        {
            {Client::Painting, Step::Download, Fault::Refused, Succeeds(CTxt2ImageNetOper::PollFinished, {kDownloadFailed})},
            {Client::Painting, Step::Download, Fault::Status500,
             Succeeds(CTxt2ImageNetOper::PollFinished, {kDownloadFailed})},
            {Client::Painting, Step::Download, Fault::Slow, Succeeds(CTxt2ImageNetOper::PollFinished, {kDownloadFailed})},
            {Client::Painting, Step::Download, Fault::ClosedMidReply,
             Succeeds(CTxt2ImageNetOper::PollFinished, {kDownloadFailed})},
            {Client::Painting, Step::Download, Fault::Huge,
             Succeeds(CTxt2ImageNetOper::PollFinished, {}, FaultyServer::kHugeBytes)},
        },

        TokenFaults(Client::CloudRecognition, FailsWith(CAudio2TxtNetOper::NoToken)),
        // The store's verdict is its status: a refusal or no answer fails the upload, while a page,
        // a cut body or a huge one after status 200 means the object is stored (the body is not read).
        {
            {Client::CloudRecognition, Step::Upload, Fault::Refused, Fails(CAudio2TxtNetOper::UploadFailed, {kUploadFailed})},
            {Client::CloudRecognition, Step::Upload, Fault::Status500,
             Fails(CAudio2TxtNetOper::UploadFailed, {kUploadFailed})},
            {Client::CloudRecognition, Step::Upload, Fault::Slow, Fails(CAudio2TxtNetOper::UploadFailed, {kUploadFailed})},
            {Client::CloudRecognition, Step::Upload, Fault::NotJson, Succeeds()},
            {Client::CloudRecognition, Step::Upload, Fault::ClosedMidReply, Succeeds()},
            {Client::CloudRecognition, Step::Upload, Fault::Huge, Succeeds()},
        },
        JsonFaults(Client::CloudRecognition, Step::Create, FailsWith(CAudio2TxtNetOper::NotCreated),
                   "创建识别任务失败，HTTP状态码：500", kRecognitionMalformed),
        // A reply that arrived whole in a shape the service never sends ends the task as failed.
        With(JsonFaults(Client::CloudRecognition, Step::Query, PollsOn, "查询识别任务失败，HTTP状态码：500",
                        kRecognitionMalformed),
             Fault::WrongTypes, Fails(CAudio2TxtNetOper::PollError, Starts(kRecognitionMalformed))),
        // The object left behind is the store's loss, not the task's: it still finishes with its files.
        {
            {Client::CloudRecognition, Step::Delete, Fault::Refused, Succeeds()},
            {Client::CloudRecognition, Step::Delete, Fault::Status500, Succeeds()},
            {Client::CloudRecognition, Step::Delete, Fault::Slow, Succeeds()},
            {Client::CloudRecognition, Step::Delete, Fault::ClosedMidReply, Succeeds()},
            {Client::CloudRecognition, Step::Delete, Fault::Huge, Succeeds()},
        },

        // The transcription client shows no message of its own: a failed request is a failed step,
        // whatever went wrong on the way.
        EveryFault(Client::FileTranscription, Step::Prepare, Fails(CWaveToText::PrepareFailed)),
        // The upload's reply is not examined (a refused upload shows at the merge), but it has to arrive.
        With(With(With(EveryFault(Client::FileTranscription, Step::Upload, Fails(CWaveToText::UploadFailed)),
                       Fault::NotJson, Succeeds()),
                  Fault::WrongTypes, Succeeds()),
             Fault::Truncated, Succeeds()),
        EveryFault(Client::FileTranscription, Step::Merge, Fails(CWaveToText::MergeFailed)),
        EveryFault(Client::FileTranscription, Step::Progress, PollsOn()),
        // The service said finished, so the task fails with that last code when its sentences never come.
        EveryFault(Client::FileTranscription, Step::Result, Fails(9)),
    };
    // Status 200 is the store's yes, whatever follows it.
    for (const Step step : {Step::Upload, Step::Delete}) {
        parts.push_back({
            {Client::ObjectStore, step, Fault::Refused, Fails(0, {}, Kind::Network)},
            {Client::ObjectStore, step, Fault::Status500, Fails(500)},
            {Client::ObjectStore, step, Fault::Slow, Fails(0, {}, Kind::Network)},
            {Client::ObjectStore, step, Fault::NotJson, Succeeds(200)},
            {Client::ObjectStore, step, Fault::Truncated, Succeeds(200)},
            {Client::ObjectStore, step, Fault::ClosedMidReply, Succeeds(200)},
            {Client::ObjectStore, step, Fault::Huge, Succeeds(200)},
        });
    }
    std::vector<Cell> all;
    for (const std::vector<Cell>& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Runs body as a service task until its end arrives. A task that polls on is stopped once
// stopAfter reports passed failedPoll. Nothing after the end: progress or a second end would
// show in the counts.
struct TaskRun
{
    std::optional<TaskEnd> end;
    std::vector<int> progress;
    int failedPolls = 0;

    void Run(ServiceTask::Body body, const std::function<bool(int)>& failedPoll = {}, int stopAfter = 2)
    {
        progress.clear();
        ServiceTask task;
        QEventLoop loop;
        int ends = 0;
        QObject::connect(&task, &ServiceTask::progress, [&](int code, const QString&) {
            progress.push_back(code);
            if (failedPoll && failedPoll(code) && ++failedPolls == stopAfter)
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
    if (words.prefix)
        EXPECT_TRUE(error.rfind(text, 0) == 0 && error.size() > text.size()) << error;
    else
        EXPECT_EQ(error, text.empty() ? text : lead + text);
}

// Nothing half-written: folder holds the one file, whole, or nothing at all.
void ExpectOnlyFile(const QString& folder, const QString& name, size_t bytes)
{
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    if (bytes == 0) {
        EXPECT_TRUE(files.isEmpty()) << files.join(QLatin1Char(' ')).toStdString();
    } else {
        EXPECT_EQ(files, QStringList{name});
        EXPECT_EQ(size_t(QFileInfo(QDir(folder).filePath(name)).size()), bytes);
    }
}

QString Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
}

class FaultMatrix : public ::testing::TestWithParam<Cell>
{
protected:
    void SetUp() override
    {
        RestClient::SetRequestTimeout(FaultEnvironment::kRequestTimeout);
        m_env.Reset();
        ASSERT_TRUE(m_out.isValid() && m_in.isValid());
        m_subtitles = m_env.WorkDir() + QStringLiteral("/AITxt");
        QDir(m_subtitles).removeRecursively();
        if (cell().step == Step::Token)
            m_env.ServeToken(cell().fault);
    }

    const Cell& cell() const { return GetParam(); }
    // A task that polls on is stopped after its second failed poll; others run to their end.
    void Run(ServiceTask::Body body, const std::function<bool(int)>& failedPoll = {})
    {
        m_run.Run(std::move(body), expect().ends == Ends::Polling ? failedPoll : std::function<bool(int)>());
    }
    const Expect& expect() const { return GetParam().expect; }
    std::string TaskId() const { return "t-" + cell().Name(); }

    void ExpectEnd(const TaskEnd& end) const
    {
        switch (expect().ends) {
        case Ends::Success:
            EXPECT_TRUE(end.Succeeded()) << end.error.text.toStdString();
            break;
        case Ends::Failure:
            ASSERT_TRUE(end.Failed());
            EXPECT_EQ(end.error.code, expect().code);
            EXPECT_EQ(end.error.kind, expect().kind);
            break;
        case Ends::Polling:
            EXPECT_TRUE(end.Stopped()) << end.error.text.toStdString();
            break;
        }
    }

    // path answers good, or fails as the cell says when it is the cell's step. A poll refused is
    // the create's reply and then no connection at all.
    void Serve(Step step, const std::string& path, const std::string& good, const std::string& wrongTypes)
    {
        const bool polls = cell().step == Step::Poll || cell().step == Step::Query;
        m_env.Services().Server().Reply("POST", path, 200, good);
        if (polls && cell().fault == Fault::Refused) {
            if (step == Step::Create)
                m_env.Services().ReplyThenRefuse("POST", path, good);
        } else if (step == cell().step) {
            m_env.Services().Serve("POST", path, cell().fault, good, wrongTypes);
        }
    }

    void Copywriting();
    void ShortSpeech();
    void LongSpeech();
    void Painting();
    void Subtitles();
    void ObjectStore();

    FaultEnvironment& m_env = FaultEnvironment::Get();
    QTemporaryDir m_out;
    QTemporaryDir m_in;
    QString m_subtitles;
    TaskRun m_run;
};

void FaultMatrix::Copywriting()
{
    Serve(Step::Chat, FaultEnvironment::kChatPath, R"({"result":"生成的文案"})", R"({"error_code":"336003","result":{"text":"x"}})");
    const qsizetype logged = GetCopywritingLog().ItemCount();
    ASSERT_NO_FATAL_FAILURE(Run(CopywritingTask::Make(QStringLiteral("话题"), m_out.path() + QLatin1Char('/'))));
    ExpectEnd(*m_run.end);
    ExpectWords(m_run.end->error.text, expect().words);
    ExpectOnlyFile(m_out.path(), {}, 0);
    EXPECT_EQ(GetCopywritingLog().ItemCount(), logged) << "only a generated text is logged";
}

void FaultMatrix::ShortSpeech()
{
    if (cell().step == Step::Synthesize)
        m_env.Services().Serve("POST", FaultEnvironment::kShortSpeechPath, cell().fault, kAudio,
                               R"({"err_no":502,"err_msg":["token invalid"]})", "audio/mp3");
    const qsizetype logged = GetDubbingLog().ItemCount();
    const QString path = m_out.filePath(QStringLiteral("Audio.mp3"));
    ASSERT_NO_FATAL_FAILURE(Run(ShortSpeechTask::Make({QStringLiteral("短文本"), path, 5, 5, 5, 1, 3})));
    ExpectEnd(*m_run.end);
    ExpectWords(m_run.end->error.text, expect().words);
    if (m_run.end->Succeeded()) {
        EXPECT_EQ(m_run.end->value.toString(), path);
    }
    ExpectOnlyFile(m_out.path(), QStringLiteral("Audio.mp3"), expect().fileBytes);
    EXPECT_EQ(GetDubbingLog().ItemCount(), logged + (m_run.end->Succeeded() ? 1 : 0)) << "only audio is logged";
}

// A client that polls on its own, driven as the command line drives it.
template <typename NetOper, typename StartClient>
PolledClient Driven(NetOper& client, StartClient start, std::function<bool(int)> ends)
{
    return PolledClient{
        [&client, start](PollCodes& codes, const pplx::cancellation_token& cancel) {
            client.SetProgressCallback(&PollCodes::Push);
            const int code = start(codes, cancel);
            return code == NetOper::Started ? 0 : code;
        },
        [&client] { return QString::fromStdString(client.TaskId()); }, [&client] { client.Stop(); },
        [&client] { return QString::fromStdString(client.GetErrorText()); },
        [ends](int code) { return PolledClient::Step{QString::number(code), ends(code)}; }};
}

void FaultMatrix::LongSpeech()
{
    const char* const audioPath = "/speech/audio.mp3";
    const std::string audioUrl = m_env.Files().Url(audioPath);
    Serve(Step::Create, "/tts/v1/create", R"({"log_id":1,"task_id":")" + TaskId() + R"("})",
          R"({"error_code":"0","task_id":["t"]})");
    Serve(Step::Poll, "/tts/v1/query",
              R"({"tasks_info":[{"task_id":")" + TaskId() +
                  R"(","task_status":"Success","task_result":{"speech_url":")" + audioUrl + R"("}}]})",
              R"({"tasks_info":"not a list"})");
    if (cell().step == Step::Download)
        m_env.Files().Serve("GET", audioPath, cell().fault, kAudio, "", "audio/mp3");
    else
        m_env.Files().Server().Reply("GET", audioPath, 200, kAudio, "audio/mp3");
    const qsizetype logged = GetDubbingLog().ItemCount();

    const QString path = m_out.filePath(QStringLiteral("Audio.mp3"));
    CTxt2AudioNetOper client;
    const PolledClient driven = Driven(
        client,
        [&client, path](PollCodes& codes, const pplx::cancellation_token& cancel) {
            return client.Start("长文本", path.toStdString(), "mp3-16k", 1, 5, 5, 5, &codes, cancel);
        },
        [](int code) { return code == CTxt2AudioNetOper::PollFinished || code == CTxt2AudioNetOper::PollGaveUp; });
    ASSERT_NO_FATAL_FAILURE(Run([&driven](const ServiceTask::Worker& worker) { return driven.Drive(worker); },
                                      [](int code) { return code == CTxt2AudioNetOper::PollFailed; }));
    const TaskEnd& end = *m_run.end;
    ExpectEnd(end);
    const QString error = QString::fromStdString(client.GetErrorText());
    ExpectWords(error, expect().words, cell().step == Step::Download ? audioUrl : "");
    ExpectOnlyFile(m_out.path(), QStringLiteral("Audio.mp3"), expect().fileBytes);
    if (end.Failed()) {
        EXPECT_EQ(end.error.text, error);
        const QList<TransLogItem> items = GetDubbingLog().Items();
        if (cell().step == Step::Token) {
            EXPECT_EQ(items.size(), logged) << "nothing was sent, nothing is logged";
        } else {
            ASSERT_EQ(items.size(), logged + 1);
            EXPECT_EQ(items.back().Files, error) << "the record says why";
        }
        return;
    }
    const auto record = GetDubbingLog().FindTask(QString::fromStdString(TaskId()));
    ASSERT_TRUE(record);
    if (end.Stopped()) {
        EXPECT_EQ(record->Stat, 0);
        return;
    }
    EXPECT_EQ(end.value.toInt(), expect().code);
    EXPECT_EQ(record->Stat, expect().code);
    EXPECT_EQ(record->Files, expect().code == CTxt2AudioNetOper::PollFinished ? path : error);
    if (expect().code == CTxt2AudioNetOper::PollGaveUp) {
        EXPECT_EQ(m_env.Services().Server().RequestsTo("/tts/v1/query").size(), 3u)
            << "three polls, each with a try, then no more";
        EXPECT_EQ(m_run.progress, (std::vector<int>{PolledClient::kCreated, 0, 0, -1}))
            << "two failed tries go on, the third ends the task";
    }
}

void FaultMatrix::Painting()
{
    const char* const imagePath = "/files/a.png";
    const std::string imageUrl = m_env.Files().Url(imagePath) + "?sign=1";
    Serve(Step::Create, "/ernievilg/v1/txt2imgv2", R"({"log_id":1,"data":{"task_id":")" + TaskId() + R"("}})",
          R"({"data":{"task_id":["t"]}})");
    Serve(Step::Poll, "/ernievilg/v1/getImgv2",
              R"({"data":{"task_status":"SUCCESS","task_progress":1,"sub_task_result_list":[{"final_image_list":[)"
              R"({"img_url":")" + imageUrl + R"(","img_approve_conclusion":"pass","width":64,"height":64}]}]}})",
              R"({"data":"not an object"})");
    if (cell().step == Step::Download)
        m_env.Files().Serve("GET", imagePath, cell().fault, kImage, "", "image/png");
    else
        m_env.Files().Server().Reply("GET", imagePath, 200, kImage, "image/png");
    const qsizetype logged = GetPaintingLog().ItemCount();

    CTxt2ImageNetOper client;
    const std::string folder = m_out.path().toStdString() + '/';
    const PolledClient driven = Driven(
        client,
        [&client, folder](PollCodes& codes, const pplx::cancellation_token& cancel) {
            return client.Start("雪山", folder, 512, 512, 1, "", &codes, cancel);
        },
        [](int code) { return code == CTxt2ImageNetOper::PollFinished || code == CTxt2ImageNetOper::PollError; });
    ASSERT_NO_FATAL_FAILURE(Run([&driven](const ServiceTask::Worker& worker) { return driven.Drive(worker); },
                                      [](int code) { return code == CTxt2ImageNetOper::PollFailed; }));
    const TaskEnd& end = *m_run.end;
    ExpectEnd(end);
    const QString error = QString::fromStdString(client.GetErrorText());
    ExpectWords(error, expect().words, cell().step == Step::Download ? imageUrl : "");
    ExpectOnlyFile(m_out.path(), QStringLiteral("a.png"), expect().fileBytes);
    if (end.Failed()) {
        EXPECT_EQ(end.error.text, error);
        EXPECT_EQ(GetPaintingLog().ItemCount(), logged) << "a task the service did not make is not logged";
        return;
    }
    const auto record = GetPaintingLog().FindTask(QString::fromStdString(TaskId()));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Stat, end.Stopped() ? 0 : expect().code);
    if (end.Succeeded()) {
        EXPECT_EQ(end.value.toInt(), expect().code);
    }
}

size_t StoreRequests(FaultyServer& store, const char* method)
{
    size_t count = 0;
    for (const RecordedRequest& request : store.Server().Requests())
        count += request.method == method ? 1 : 0;
    return count;
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
        const char* method = cell().step == Step::Upload ? "PUT" : "DELETE";
        if (cell().step == Step::Delete && cell().fault == Fault::Refused)
            m_env.Store().StoreThenRefuse(FaultEnvironment::kStorePrefix);
        else if (cell().step == Step::Upload || cell().step == Step::Delete)
            m_env.Store().ServePrefix(method, FaultEnvironment::kStorePrefix, cell().fault, std::string(2048, ' '), "",
                                      "application/xml");
    } else {
        const std::string base = FaultEnvironment::kTranscriptionBase;
        const std::string prepared = R"({"ok":0,"err_no":0,"failed":null,"data":")" + TaskId() + "\"}";
        const std::string accepted = R"({"ok":0,"err_no":0,"failed":null,"data":""})";
        const std::string finished = R"({"err_no":0,"failed":null,"data":"{\"status\":9,\"desc\":\"done\"}"})";
        // Refusing from the step on: the request before it is the last one answered.
        const struct
        {
            Step step;
            std::string path, good, wrongTypes;
        } steps[] = {
            {Step::Prepare, base + "/prepare", prepared, R"({"ok":"0","data":["t"]})"},
            {Step::Upload, base + "/upload", accepted, R"({"ok":[0]})"},
            {Step::Merge, base + "/merge", accepted, R"({"ok":"0"})"},
            {Step::Progress, base + "/getProgress", finished, R"({"err_no":0,"data":{"status":9}})"},
            {Step::Result, base + "/getResult",
             R"({"err_no":0,"failed":null,"data":"[{\"bg\":\"0\",\"ed\":\"1500\",\"onebest\":\"你好\",\"speaker\":\"1\"}]"})",
             R"({"err_no":0,"data":[{"bg":0}]})"},
        };
        for (size_t i = 0; i < std::size(steps); ++i) {
            m_env.Services().Server().Reply("POST", steps[i].path, 200, steps[i].good);
            if (steps[i].step != cell().step)
                continue;
            if (cell().fault == Fault::Refused && i > 0)
                m_env.Services().ReplyThenRefuse("POST", steps[i - 1].path, steps[i - 1].good);
            else
                m_env.Services().Serve("POST", steps[i].path, cell().fault, steps[i].good, steps[i].wrongTypes);
        }
    }
    QFile audio(m_in.filePath(QStringLiteral("my talk.mp3")));
    ASSERT_TRUE(audio.open(QIODevice::WriteOnly));
    audio.write(QByteArray(6000, 'M'));
    audio.close();
    const qsizetype logged = GetSubtitlesLog().ItemCount();

    CWaveToTextMgr manager;
    ASSERT_TRUE(manager.SetUserIDandKey(QStringLiteral("fault-app"), QStringLiteral("fault-key")));
    WaveTransSrt* task = manager.AddWave(cloud ? 1 : 0, audio.fileName(), 1, 0.0f, 1.0f, QUuid(), 80001);
    ASSERT_TRUE(task);
    // Every poll is progress to the task; the failed ones leave the engine's code for it.
    const int failed = cloud ? CAudio2TxtNetOper::PollFailed : -1;
    ASSERT_NO_FATAL_FAILURE(
        Run([task](const ServiceTask::Worker& worker) { return SubtitleChain::Run(*task, worker); },
                  [task, failed](int code) {
                      return code == WaveTransSrt::NotifyProgress && task->GetLastCode() == failed;
                  }));
    const TaskEnd& end = *m_run.end;
    ExpectEnd(end);
    if (end.Failed()) {
        EXPECT_TRUE(end.error.text.startsWith(QStringLiteral("转写失败"))) << end.error.text.toStdString();
    }
    if (cloud && !end.Succeeded())
        ExpectWords(QString::fromStdString(task->CloudClient().GetErrorText()), expect().words);

    // Nothing half-written: the subtitle files whole, or none at all.
    const QString srt = QFileInfo(task->GetSrtPath()).fileName();
    QStringList written;
    if (end.Succeeded()) {
        EXPECT_EQ(end.value.toString(), task->GetSrtPath());
        written << srt;
        const QString text = cloud ? QStringLiteral("你好，世界") : QStringLiteral("你好");
        EXPECT_EQ(Read(task->GetSrtPath()), QStringLiteral("1\r\n00:00:00,000 --> 00:00:01,500\r\n%1\r\n\r\n").arg(text));
        if (cloud) {
            written << QFileInfo(srt).completeBaseName() + QStringLiteral(".txt");
            EXPECT_EQ(Read(QDir(m_subtitles).filePath(written.back())), text);
        }
    }
    EXPECT_EQ(QDir(m_subtitles).entryList(QDir::Files | QDir::Hidden, QDir::Name), written);

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
    const size_t deletes = StoreRequests(m_env.Store(), "DELETE");
    if (cell().step == Step::Token) {
        EXPECT_EQ(StoreRequests(m_env.Store(), "PUT"), 0u) << "nothing is uploaded without a token";
    }
    if (cell().step == Step::Create) {
        EXPECT_EQ(deletes, 1u) << "an object stored for a task that was never made is taken out again";
    }
    if (end.Stopped()) {
        EXPECT_EQ(deletes, 0u) << "a stopped task keeps its object";
    }
    if (cell().step == Step::Query && end.Failed()) {
        EXPECT_EQ(deletes, 1u);
    }
    if (end.Succeeded()) {
        EXPECT_EQ(deletes, cell().step == Step::Delete && cell().fault == Fault::Refused ? 0u : 1u);
    }
}

// The store's verdict is its status and its replies carry nothing else the client needs.
TaskEnd StoreCall(CQOVResNewWS& client, Step step, const QString& file, const ServiceTask::Worker& worker)
{
    SHuaweiObsPolicy policy;
    policy.endpoint = QStringLiteral("127.0.0.1:%1").arg(FaultEnvironment::Get().Store().Server().Port());
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
    return TaskEnd::Failure(client.LastStatus() == 0 ? Kind::Network : Kind::Service, client.LastStatus(),
                            client.LastError());
}

QString UploadFile(const QTemporaryDir& dir)
{
    QFile file(dir.filePath(QStringLiteral("audio.mp3")));
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray(300000, 'a'));
    return file.fileName();
}

void FaultMatrix::ObjectStore()
{
    m_env.Store().ServePrefix(cell().step == Step::Upload ? "PUT" : "DELETE", FaultEnvironment::kStorePrefix,
                              cell().fault, std::string(4096, ' '), "", "application/xml");
    CQOVResNewWS client;
    const QString file = UploadFile(m_in);
    ASSERT_NO_FATAL_FAILURE(Run(
        [&](const ServiceTask::Worker& worker) { return StoreCall(client, cell().step, file, worker); }));
    ExpectEnd(*m_run.end);
    if (m_run.end->Succeeded()) {
        EXPECT_EQ(m_run.end->value.toInt(), expect().code);
    }
    EXPECT_EQ(client.LastStatus(), expect().code);
    EXPECT_EQ(client.LastError().isEmpty(), m_run.end->Succeeded()) << client.LastError().toStdString();
    if (cell().fault == Fault::Huge) {
        EXPECT_LT(m_env.Store().HugeBytesSent(), FaultyServer::kHugeBytes / 2) << "the body was received all the same";
    }
}

TEST_P(FaultMatrix, EndsOnceAndLeavesNoHalfFile)
{
    switch (cell().client) {
    case Client::Copywriting:
        return Copywriting();
    case Client::ShortSpeech:
        return ShortSpeech();
    case Client::LongSpeech:
        return LongSpeech();
    case Client::Painting:
        return Painting();
    case Client::CloudRecognition:
    case Client::FileTranscription:
        return Subtitles();
    case Client::ObjectStore:
        return ObjectStore();
    }
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
        ASSERT_NO_FATAL_FAILURE(
            run.Run([&](const ServiceTask::Worker& worker) { return StoreCall(client, step, file, worker); }));
        EXPECT_TRUE(run.end->Failed());
        EXPECT_EQ(run.end->error.code, 403);
        EXPECT_LT(env.Store().HugeBytesSent(), FaultyServer::kHugeBytes / 2);
    }
}

} // namespace
