// Reads back a task-log folder of FILES files with RECORDS records each and reports how many
// records per second LoadLogs takes in.
#include "service/TransLog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void WriteLogFile(const QString& path, int file, int records)
{
    QByteArray bytes;
    bytes.reserve(records * 190);
    for (int i = 0; i < records; ++i) {
        bytes += QStringLiteral("\r\r\n2026-12-01 10:%1:%2  : TaskID=%3-%4-0b96c2d8-03b7-4272-920e, "
                                "SrcInfo=雪山下的湖泊，清晨的薄雾 %4, Stat=2, Files=/home/user/QOV/AIImage/%3_%4.png|")
                     .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                     .arg(i % 60, 2, 10, QLatin1Char('0'))
                     .arg(file)
                     .arg(i)
                     .toUtf8();
    }
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 100;
    const int records = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;

    QTemporaryDir root;
    const QString folder = root.path() + QStringLiteral("/AI作画/");
    QDir().mkpath(folder);
    for (int f = 0; f < files; ++f)
        WriteLogFile(folder + QStringLiteral("Log2026_12_01_10_00_%1.txt").arg(f, 3, 10, QLatin1Char('0')), f, records);

    TransLog log(folder, QDateTime::currentDateTime().addDays(1));
    std::vector<double> seconds;
    for (int r = 0; r < rounds; ++r) {
        log.ClearItems();
        QElapsedTimer timer;
        timer.start();
        log.LoadLogs();
        seconds.push_back(double(timer.nsecsElapsed()) / 1e9);
        if (log.ItemCount() != qsizetype(files) * records) {
            std::fprintf(stderr, "read %lld records, expected %lld\n", (long long)log.ItemCount(),
                         (long long)files * records);
            return 1;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    const double total = double(files) * records;
    std::printf("LoadLogs: %d files x %d records, %d rounds\n", files, records, rounds);
    std::printf("  best   %.3f s  %.0f records/s\n", seconds.front(), total / seconds.front());
    std::printf("  median %.3f s  %.0f records/s\n", seconds[seconds.size() / 2], total / seconds[seconds.size() / 2]);
    return 0;
}
