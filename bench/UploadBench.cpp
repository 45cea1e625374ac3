// The object-store upload as the recognition client makes it, measured from outside:
//   bench_upload sink
//       a PUT sink on 127.0.0.1 that reads every body and throws it away; prints its port, serves
//       until its standard input closes
//   bench_upload upload FILE ENDPOINT AK SK BUCKET KEY
//       one upload; prints its time, the time of the digest pass alone, and the resident memory
//       before and at its peak
//   bench_upload headers ENDPOINT AK SK BUCKET KEY [CONTENT_MD5]
//       the Date and Authorization lines (and the address) that let another client PUT the same
//       request to the same store
#include "host/CQOVResNewWS.h"
#include "host/ObsAddress.h"
#include "host/ObsRequestSigner.h"
#include "host/QOVDigest.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>

#include <httplib.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

namespace {

// A field of /proc/self/status in kilobytes ("VmRSS", "VmHWM").
long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::atol(line.c_str() + prefix.size());
    }
    return -1;
}

// Starts the peak (VmHWM) afresh from the current resident size.
void ResetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

int Sink()
{
    httplib::Server server;
    std::atomic<long long> received{0};
    server.Put(".*", [&](const httplib::Request&, httplib::Response& response, const httplib::ContentReader& read) {
        long long bytes = 0;
        read([&](const char*, size_t length) {
            bytes += (long long)length;
            return true;
        });
        received += bytes;
        response.status = 200;
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0) {
        std::fprintf(stderr, "cannot bind a sink to 127.0.0.1\n");
        return 1;
    }
    std::printf("sink listening on 127.0.0.1:%d\n", port);
    std::fflush(stdout);
    std::thread serving([&] { server.listen_after_bind(); });
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
    server.stop();
    serving.join();
    std::fprintf(stderr, "sink received %lld bytes\n", received.load());
    return 0;
}

SHuaweiObsPolicy Policy(char** argv)
{
    SHuaweiObsPolicy policy;
    policy.endpoint = QString::fromLocal8Bit(argv[0]);
    policy.accessKeyId = QString::fromLocal8Bit(argv[1]);
    policy.secretAccessKey = QString::fromLocal8Bit(argv[2]);
    policy.bucketName = QString::fromLocal8Bit(argv[3]);
    policy.objectKey = QString::fromLocal8Bit(argv[4]);
    return policy;
}

int Upload(const QString& file, SHuaweiObsPolicy policy)
{
    policy.localFilePath = file;
    QByteArray digest;
    qint64 size = 0;
    QElapsedTimer digestTimer;
    digestTimer.start();
    if (!MD5OfFile(file, digest, size)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
        return 1;
    }
    const double digestSeconds = double(digestTimer.nsecsElapsed()) / 1e9;

    const long before = StatusKb("VmRSS");
    ResetPeak();
    CQOVResNewWS store;
    QElapsedTimer timer;
    timer.start();
    const int result = store.huaweiObsUploadFile(policy);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const long peak = StatusKb("VmHWM");
    if (!result) {
        std::fprintf(stderr, "upload failed: %s\n", qPrintable(store.LastError()));
        return 1;
    }
    std::printf("bytes=%lld seconds=%.3f digest_seconds=%.3f rss_before_kb=%ld peak_kb=%ld growth_kb=%ld\n",
                (long long)size, seconds, digestSeconds, before, peak, peak - before);
    return 0;
}

int Headers(const SHuaweiObsPolicy& policy, const QByteArray& contentMd5)
{
    ObsAddress address;
    QString error;
    if (!ObsAddress::Resolve(policy.endpoint, policy.bucketName, policy.objectKey, address, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QByteArray date = ObsRequestSigner::HttpDate(QDateTime::currentDateTimeUtc());
    const QByteArray toSign = ObsRequestSigner::StringToSign("PUT", contentMd5, "application/octet-stream", date, {},
                                                             address.canonicalResource);
    std::printf("Date: %s\n", date.constData());
    std::printf("Authorization: %s\n",
                ObsRequestSigner::Authorization(policy.accessKeyId.toUtf8(),
                                                ObsRequestSigner::Signature(policy.secretAccessKey.toUtf8(), toSign))
                    .constData());
    std::printf("Url: %s%s\n", qPrintable(address.baseUrl), address.requestPath.constData());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "sink" && argc == 2)
        return Sink();
    if (mode == "upload" && argc == 8)
        return Upload(QString::fromLocal8Bit(argv[2]), Policy(argv + 3));
    if (mode == "headers" && (argc == 7 || argc == 8))
        return Headers(Policy(argv + 2), argc == 8 ? QByteArray(argv[7]) : QByteArray());
    std::fprintf(stderr, "usage: bench_upload sink\n"
                         "       bench_upload upload FILE ENDPOINT AK SK BUCKET KEY\n"
                         "       bench_upload headers ENDPOINT AK SK BUCKET KEY [CONTENT_MD5]\n");
    return 2;
}
