#pragma once

#include "EmulatorOptions.h"

#include <filesystem>
#include <memory>
#include <thread>

namespace httplib {
class Server;
}

class ChatService;
class ControlService;
class DataFolder;
class EndpointRouter;
class FaultSwitches;
class ImageService;
class LongSpeechService;
class ObjectStore;
class ObjectStoreService;
class RecognitionQueue;
class RecognitionService;
class RequestRecorder;
class ShortSpeechService;
class TokenRegistry;
class TokenService;
class TranscriptionService;

// Serves every emulated cloud endpoint plus the /__control routes on one loopback port, from a
// thread of its own, so tests can run it in-process and the program can run it standalone.
class EmulatorServer {
public:
    // Throws std::runtime_error for options it cannot serve with (a bucket name that is no bucket
    // name, a data folder it cannot use).
    explicit EmulatorServer(EmulatorOptions options);
    ~EmulatorServer();

    EmulatorServer(const EmulatorServer &) = delete;
    EmulatorServer &operator=(const EmulatorServer &) = delete;

    // Binds, starts serving and returns the bound port. Throws std::runtime_error when the
    // address cannot be bound or Start() was called before: a server runs once.
    int Start();
    // Stops serving, cuts short any injected delay and joins the serving thread. Idempotent.
    void Stop();
    // The bound port, 0 before Start().
    int Port() const;
    // Where stored objects and uploaded audio are kept.
    const std::filesystem::path &DataPath() const;

private:
    EmulatorOptions options_;
    std::unique_ptr<DataFolder> dataFolder_;
    std::unique_ptr<ObjectStore> objectStore_;
    std::unique_ptr<RecognitionQueue> recognitionQueue_;
    std::unique_ptr<httplib::Server> http_;
    std::unique_ptr<FaultSwitches> faults_;
    std::unique_ptr<RequestRecorder> recorder_;
    std::unique_ptr<TokenRegistry> tokens_;
    std::unique_ptr<EndpointRouter> router_;
    std::unique_ptr<TokenService> tokenService_;
    std::unique_ptr<ChatService> chatService_;
    std::unique_ptr<ImageService> imageService_;
    std::unique_ptr<ShortSpeechService> shortSpeechService_;
    std::unique_ptr<LongSpeechService> longSpeechService_;
    std::unique_ptr<ObjectStoreService> objectStoreService_;
    std::unique_ptr<RecognitionService> recognitionService_;
    std::unique_ptr<TranscriptionService> transcriptionService_;
    std::unique_ptr<ControlService> controlService_;
    std::thread thread_;
    int port_ = 0;
};
