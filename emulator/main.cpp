// aigc-emulator: the local stand-in for every cloud service the module talks to.
#include "EmulatorServer.h"

#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char *kUsage =
    "usage: aigc-emulator [--host 127.0.0.1] [--port N] [--client-id ID] [--client-secret SECRET]\n"
    "  --port 0 (the default) picks a free port; the first line printed tells which.\n"
    "  --version prints the version.\n";

std::optional<int> ParsePort(const std::string &text)
{
    try {
        std::size_t used = 0;
        const int port = std::stoi(text, &used);
        if (used == text.size() && port >= 0 && port <= 65535)
            return port;
    } catch (const std::exception &) {
    }
    return std::nullopt;
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
        if (name != "--host" && name != "--port" && name != "--client-id" && name != "--client-secret") {
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
        if (name == "--host") {
            options.host = *value;
        } else if (name == "--client-id") {
            options.clientId = *value;
        } else if (name == "--client-secret") {
            options.clientSecret = *value;
        } else if (const auto port = ParsePort(*value)) {
            options.port = *port;
        } else {
            std::cerr << "aigc-emulator: not a port: " << *value << "\n";
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
        std::cout << "aigc-emulator listening on http://" << options.host << ":" << port << std::endl;
        int received = 0;
        sigwait(&stopSignals, &received);
        server.Stop();
    } catch (const std::exception &e) {
        std::cerr << "aigc-emulator: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
