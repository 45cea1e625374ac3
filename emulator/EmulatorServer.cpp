#include "EmulatorServer.h"

#include "ChatService.h"
#include "ControlService.h"
#include "DataFolder.h"
#include "EndpointRouter.h"
#include "FaultSwitches.h"
#include "ImageService.h"
#include "JsonReply.h"
#include "LongSpeechService.h"
#include "ObjectStore.h"
#include "ObjectStoreService.h"
#include "RecognitionQueue.h"
#include "RecognitionService.h"
#include "RequestRecorder.h"
#include "ShortSpeechService.h"
#include "TokenRegistry.h"
#include "TokenService.h"
#include "TranscriptionService.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <utility>

namespace {

// Delayed requests hold a worker each for the whole delay; plenty of workers keep the control
// routes and other clients answered meanwhile.
constexpr std::size_t kWorkerThreads = 32;
// The router caps ordinary bodies itself; the library's one limit only has to admit the
// largest object the store takes, plus room for its headers' worth of slack.
constexpr std::size_t kMaxPayloadBytes = ObjectStore::kMaxObjectBytes + (1u << 20);
// First path segments of the other services, which the store's bucket must not shadow.
const char *const kReservedBuckets[] = {"aasr", "api", "chat", "ernievilg", "files", "oauth", "tts"};
// Short, so stopping does not wait long for idle keep-alive connections to time out.
constexpr time_t kKeepAliveSeconds = 2;
constexpr time_t kSocketTimeoutSeconds = 5;
constexpr auto kStartTimeout = std::chrono::seconds(5);

void ConfigureHttp(httplib::Server &http)
{
    http.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    http.set_payload_max_length(kMaxPayloadBytes);
    http.set_keep_alive_timeout(kKeepAliveSeconds);
    // A reply's headers and body go out in two writes; without this the second waits for the
    // client's delayed acknowledgement, some 25 ms per request on a kept-alive connection.
    http.set_tcp_nodelay(true);
    http.set_read_timeout(kSocketTimeoutSeconds);
    http.set_write_timeout(kSocketTimeoutSeconds);
    // Replies the HTTP library makes up itself (unknown path, body too large) get a JSON body too;
    // replies a handler already filled in are left alone.
    http.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request &req, httplib::Response &res) {
        if (!res.body.empty() || res.content_provider_)
            return httplib::Server::HandlerResponse::Unhandled;
        if (res.status == 404)
            JsonReply::SendError(res, 404, "not_found", "no route for " + req.method + " " + req.path);
        else
            JsonReply::SendError(res, res.status, "http_error", "request refused with HTTP " + std::to_string(res.status));
        return httplib::Server::HandlerResponse::Handled;
    }));
    http.set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr error) {
        std::string what = "unknown failure";
        try {
            if (error)
                std::rethrow_exception(error);
        } catch (const std::exception &e) {
            what = e.what();
        } catch (...) {
        }
        JsonReply::SendError(res, 500, "internal_error", what);
    });
}

EmulatorOptions Checked(EmulatorOptions options)
{
    if (!ObjectStoreService::IsValidBucketName(options.storeBucket))
        throw std::runtime_error("not a bucket name: " + options.storeBucket);
    for (const char *reserved : kReservedBuckets) {
        if (options.storeBucket == reserved)
            throw std::runtime_error("the bucket name " + options.storeBucket + " is taken by another service");
    }
    if (options.storeAccessKey.empty() || options.storeSecretKey.empty())
        throw std::runtime_error("the store's access key and secret key must not be empty");
    if (options.tlsCertFile.empty() != options.tlsKeyFile.empty())
        throw std::runtime_error("HTTPS needs both a certificate and its key");
    return options;
}

// The same endpoints over HTTPS when a certificate is given, with the library's OpenSSL server.
std::unique_ptr<httplib::Server> MakeServer(const EmulatorOptions &options)
{
    if (options.tlsCertFile.empty())
        return std::make_unique<httplib::Server>();
    auto server = std::make_unique<httplib::SSLServer>(options.tlsCertFile.c_str(), options.tlsKeyFile.c_str());
    if (!server->is_valid())
        throw std::runtime_error("cannot serve HTTPS with the certificate " + options.tlsCertFile + " and the key " +
                                 options.tlsKeyFile);
    return server;
}

}  // namespace

EmulatorServer::EmulatorServer(EmulatorOptions options)
    : options_(Checked(std::move(options))),
      dataFolder_(std::make_unique<DataFolder>(options_.dataDir)),
      objectStore_(std::make_unique<ObjectStore>(dataFolder_->Path() / "store")),
      recognitionQueue_(std::make_unique<RecognitionQueue>()),
      http_(MakeServer(options_)),
      faults_(std::make_unique<FaultSwitches>()),
      recorder_(std::make_unique<RequestRecorder>()),
      tokens_(std::make_unique<TokenRegistry>()),
      router_(std::make_unique<EndpointRouter>(*http_, *faults_, *recorder_)),
      tokenService_(std::make_unique<TokenService>(*tokens_, options_.clientId, options_.clientSecret)),
      chatService_(std::make_unique<ChatService>(*tokens_, *faults_)),
      imageService_(std::make_unique<ImageService>(*tokens_)),
      shortSpeechService_(std::make_unique<ShortSpeechService>(*tokens_)),
      longSpeechService_(std::make_unique<LongSpeechService>(*tokens_)),
      objectStoreService_(std::make_unique<ObjectStoreService>(
          *objectStore_, ObjectStoreService::Account{options_.storeAccessKey, options_.storeSecretKey,
                                                     options_.storeBucket})),
      recognitionService_(std::make_unique<RecognitionService>(*tokens_, *objectStore_, *recognitionQueue_,
                                                               options_.storeBucket,
                                                               std::chrono::milliseconds(options_.recognitionStepMs))),
      transcriptionService_(std::make_unique<TranscriptionService>(
          TranscriptionService::Account{options_.transcriptionAppId, options_.transcriptionKey}, *recognitionQueue_,
          dataFolder_->Path() / "transcription", std::chrono::milliseconds(options_.recognitionStepMs))),
      controlService_(std::make_unique<ControlService>(*router_, *faults_, *recorder_))
{
    ConfigureHttp(*http_);
    tokenService_->Register(*router_);
    chatService_->Register(*router_);
    imageService_->Register(*router_);
    shortSpeechService_->Register(*router_);
    longSpeechService_->Register(*router_);
    objectStoreService_->Register(*router_);
    recognitionService_->Register(*router_);
    transcriptionService_->Register(*router_);
    controlService_->Register();
    router_->Seal();
}

EmulatorServer::~EmulatorServer() { Stop(); }

int EmulatorServer::Start()
{
    if (port_ != 0)
        throw std::runtime_error("an emulator server can only be started once");
    const std::string where = options_.host + ":" + std::to_string(options_.port);
    if (options_.port == 0) {
        const int port = http_->bind_to_any_port(options_.host);
        if (port <= 0)
            throw std::runtime_error("cannot bind " + where);
        port_ = port;
    } else {
        if (!http_->bind_to_port(options_.host, options_.port))
            throw std::runtime_error("cannot bind " + where);
        port_ = options_.port;
    }

    auto listenEnded = std::make_shared<std::atomic<bool>>(false);
    thread_ = std::thread([this, listenEnded] {
        http_->listen_after_bind();
        *listenEnded = true;
    });
    // Until the library marks itself running, its stop() would be ignored and Stop() would hang.
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!http_->is_running() && !*listenEnded && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!http_->is_running()) {
        Stop();
        throw std::runtime_error("the emulator did not start serving on " + where);
    }
    return port_;
}

void EmulatorServer::Stop()
{
    if (!thread_.joinable())
        return;
    faults_->Interrupt();
    http_->stop();
    thread_.join();
    recognitionQueue_->Stop();
    imageService_->Stop();
    longSpeechService_->Stop();
}

int EmulatorServer::Port() const { return port_; }

const std::filesystem::path &EmulatorServer::DataPath() const { return dataFolder_->Path(); }
