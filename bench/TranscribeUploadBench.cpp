// Peak resident memory and time of CWaveToText::Start (prepare, upload, merge) for an audio file
// of SIZE_MB megabytes (default 200) against a local service: the one at URL when given (the local
// services' ".../api", with their account APP_ID and KEY), else a sink served by a child process
// that reads and discards the upload. The growth of the peak over the resident size before Start
// is printed as a ratio against the file size. Target: at most 1.2 x the size + 30 MB.
#include "subtitles/CWaveToText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

// The service's three start replies; the upload's bytes are read and dropped as they arrive.
[[noreturn]] void ServeSink(int portPipe)
{
    httplib::Server server;
    server.Post("/api/prepare", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(R"({"ok":0,"err_no":0,"failed":null,"data":"bench-task"})", "application/json");
    });
    server.Post("/api/merge", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(R"({"ok":0,"err_no":0,"failed":null,"data":""})", "application/json");
    });
    server.Post("/api/upload", [](const httplib::Request& request, httplib::Response& response,
                                  const httplib::ContentReader& reader) {
        bool read = request.is_multipart_form_data()
                        ? reader([](const httplib::MultipartFormData&) { return true; },
                                 [](const char*, size_t) { return true; })
                        : reader([](const char*, size_t) { return true; });
        response.status = read ? 200 : 400;
        response.set_content(R"({"ok":0,"err_no":0,"failed":null,"data":""})", "application/json");
    });
    server.set_payload_max_length(size_t(1) << 34);
    const int port = server.bind_to_any_port("127.0.0.1");
    if (write(portPipe, &port, sizeof port) != sizeof port)
        std::_Exit(1);
    close(portPipe);
    server.listen_after_bind();
    std::_Exit(0);
}

// A kilobyte-sized field of /proc/self/status, in bytes.
double StatusBytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::atof(line.c_str() + prefix.size()) * 1024.0;
    }
    return -1.0;
}

bool WriteAudio(const QString& path, long long bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    std::mt19937 random(7);
    std::vector<char> chunk(1 << 20);
    for (char& c : chunk)
        c = char(random());
    for (long long left = bytes; left > 0 && out; left -= (long long)chunk.size())
        out.write(chunk.data(), std::streamsize(std::min<long long>(left, (long long)chunk.size())));
    return bool(out);
}

} // namespace

int main(int argc, char** argv)
{
    const long long sizeMb = argc > 1 ? std::atoll(argv[1]) : 200;
    std::string url = argc > 2 ? argv[2] : "";
    const QString appId = QString::fromUtf8(argc > 3 ? argv[3] : "qovlocal");
    const QString key = QString::fromUtf8(argc > 4 ? argv[4] : "qov-local-transcription-key");

    pid_t sink = -1;
    if (url.empty()) {
        // Forked before this process starts any thread.
        int ports[2];
        if (pipe(ports) != 0)
            return 1;
        sink = fork();
        if (sink == 0) {
            close(ports[0]);
            ServeSink(ports[1]);
        }
        close(ports[1]);
        int port = 0;
        if (sink < 0 || read(ports[0], &port, sizeof port) != sizeof port || port <= 0) {
            std::fprintf(stderr, "the sink did not start\n");
            return 1;
        }
        url = "http://127.0.0.1:" + std::to_string(port) + "/api";
    }

    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("app/InitFile"));
    QFile settings(root.filePath(QStringLiteral("app/InitFile/AIGC.ini")));
    if (!settings.open(QIODevice::WriteOnly))
        return 1;
    settings.write(("[FileTranscription]\nURL=" + url + "\n").c_str());
    settings.close();
    qputenv("QOV_APP_DIR", root.filePath(QStringLiteral("app")).toUtf8());

    const long long bytes = sizeMb * 1024 * 1024;
    const QString audio = root.filePath(QStringLiteral("long.wav"));
    if (!WriteAudio(audio, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(audio));
        return 1;
    }

    CWaveToText object;
    object.InitEnv(appId, key);
    // Warm the client's libraries up with a failing start, then reset the peak to the present.
    object.Start(root.filePath(QStringLiteral("missing.wav")), QString(), 0, nullptr, nullptr);
    std::ofstream("/proc/self/clear_refs") << "5";
    const double before = StatusBytes("VmRSS");

    QElapsedTimer timer;
    timer.start();
    const int32_t code = object.Start(audio, root.filePath(QStringLiteral("long.srt")), 0, nullptr, nullptr);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double peak = StatusBytes("VmHWM");

    if (sink > 0) {
        kill(sink, SIGTERM);
        waitpid(sink, nullptr, 0);
    }
    const double growth = peak - before;
    const double limit = 1.2 * double(bytes) + 30.0 * kMiB;
    std::printf("file:              %.0f MiB\n", double(bytes) / kMiB);
    std::printf("Start:             code %d in %.3f s\n", code, seconds);
    std::printf("resident before:   %.1f MiB\n", before / kMiB);
    std::printf("peak during Start: %.1f MiB\n", peak / kMiB);
    std::printf("growth / file size: %.3f (target at most %.3f)\n", growth / double(bytes), limit / double(bytes));
    return code == 0 && growth <= limit ? 0 : 1;
}
