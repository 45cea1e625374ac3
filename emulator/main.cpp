// aigc-emulator: the local stand-in for every cloud service the module talks to.
#include "EmulatorServer.h"

#include <csignal>
#include <cstdlib>
#include <exception>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char *kUsage =
    "usage: aigc-emulator [--host 127.0.0.1] [--port N] [--client-id ID] [--client-secret SECRET]\n"
    "                     [--store-access-key AK] [--store-secret-key SK] [--store-bucket NAME]\n"
    "                     [--data-dir DIR] [--transcription-app-id ID] [--transcription-key KEY]\n"
    "                     [--recognition-step-ms MS] [--tls-cert FILE --tls-key FILE]\n"
    "  --port 0 (the default) picks a free port; the first line printed tells which.\n"
    "  --version prints the version.\n"
    "  --data-dir keeps stored objects and uploaded audio there; by default a temporary folder\n"
    "  is used and removed at exit.\n"
    "  --recognition-step-ms is the least time a recognition task runs and each state of a\n"
    "  transcription task shows (1000).\n"
    "  --tls-cert and --tls-key (PEM files) serve every endpoint over HTTPS.\n";

std::optional<int> ParseInt(const std::string &text, int low, int high)
{
    try {
        std::size_t used = 0;
        const int value = std::stoi(text, &used);
        if (used == text.size() && value >= low && value <= high)
            return value;
    } catch (const std::exception &) {
    }
    return std::nullopt;
}

// Each option and what its value does; false when the value is unusable.
using Setter = std::function<bool(EmulatorOptions &, const std::string &)>;

Setter Text(std::string EmulatorOptions::*member)
{
    return [member](EmulatorOptions &options, const std::string &value) {
        options.*member = value;
        return true;
    };
}

Setter Number(int EmulatorOptions::*member, int low, int high)
{
    return [member, low, high](EmulatorOptions &options, const std::string &value) {
        const auto number = ParseInt(value, low, high);
        if (number)
            options.*member = *number;
        return number.has_value();
    };
}

const std::map<std::string, Setter> &Options()
{
    static const std::map<std::string, Setter> options = {
        {"--host", Text(&EmulatorOptions::host)},
        {"--port", Number(&EmulatorOptions::port, 0, 65535)},
        {"--client-id", Text(&EmulatorOptions::clientId)},
        {"--client-secret", Text(&EmulatorOptions::clientSecret)},
        {"--store-access-key", Text(&EmulatorOptions::storeAccessKey)},
        {"--store-secret-key", Text(&EmulatorOptions::storeSecretKey)},
        {"--store-bucket", Text(&EmulatorOptions::storeBucket)},
        {"--data-dir", Text(&EmulatorOptions::dataDir)},
        {"--transcription-app-id", Text(&EmulatorOptions::transcriptionAppId)},
        {"--transcription-key", Text(&EmulatorOptions::transcriptionKey)},
        {"--recognition-step-ms", Number(&EmulatorOptions::recognitionStepMs, 0, 600000)},
        {"--tls-cert", Text(&EmulatorOptions::tlsCertFile)},
        {"--tls-key", Text(&EmulatorOptions::tlsKeyFile)},
    };
    return options;
}

// Accepts "--name value" and "--name=value". Returns false after printing what was wrong.
bool ParseArguments(int argc, char **argv, EmulatorOptions &options)
{
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--version") {
            std::cout << "aigc-emulator " QOV_VERSION "\n";
            std::exit(0);
        }
        if (name == "--help" || name == "-h") {
            std::cout << kUsage;
            std::exit(0);
        }
        const auto option = Options().find(name);
        if (option == Options().end()) {
            std::cerr << "aigc-emulator: unknown option " << name << "\n" << kUsage;
            return false;
        }
        if (!value) {
            if (i + 1 >= argc) {
                std::cerr << "aigc-emulator: " << name << " needs a value\n" << kUsage;
                return false;
            }
            value = argv[++i];
        }
        if (!option->second(options, *value)) {
            std::cerr << "aigc-emulator: not a value for " << name << ": " << *value << "\n";
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    EmulatorOptions options;
    if (!ParseArguments(argc, argv, options))
        return 2;

    // The serving threads inherit this mask, so the termination signals reach only sigwait below
    // and the server is stopped from an ordinary thread rather than a signal handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        EmulatorServer server(options);
        const int port = server.Start();
        const char *scheme = options.tlsCertFile.empty() ? "http" : "https";
        std::cout << "aigc-emulator listening on " << scheme << "://" << options.host << ":" << port << std::endl;
        int received = 0;
        sigwait(&stopSignals, &received);
        server.Stop();
    } catch (const std::exception &e) {
        std::cerr << "aigc-emulator: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
