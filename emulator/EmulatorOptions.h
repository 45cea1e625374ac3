#pragma once

#include <string>

// What the local services are started with. The credentials are the ones the run script writes
// into the module's settings, so a default start works with a freshly configured module.
struct EmulatorOptions {
    std::string host = "127.0.0.1";
    int port = 0;  // 0: any free port, reported by EmulatorServer::Start()
    std::string clientId = "qov-local-key";
    std::string clientSecret = "qov-local-secret";

    // The object store on the same port.
    std::string storeAccessKey = "qov-local-ak";
    std::string storeSecretKey = "qov-local-sk";
    std::string storeBucket = "qov-subtitles";
    // Stored objects and uploaded audio; empty: a fresh temporary folder, removed at exit.
    std::string dataDir;

    // The file-transcription account.
    std::string transcriptionAppId = "qovlocal";
    std::string transcriptionKey = "qov-local-transcription-key";

    // A PEM certificate and its key: both set, every endpoint is served over HTTPS instead of HTTP.
    std::string tlsCertFile;
    std::string tlsKeyFile;

    // How long recognition tasks take at the least: a recognition task runs this long, and each
    // intermediate state of a transcription task shows this long, however fast the audio is
    // recognised, so clients see their tasks in progress. Tests set it short.
    int recognitionStepMs = 1000;
};
