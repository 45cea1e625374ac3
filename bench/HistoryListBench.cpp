// Fills the history list with ROWS entries (default 10,000) and times full paints of its visible
// area, grabbed into an image, for a painting list (four thumbnails a row) and a text list.
#include "history/CItemListWnd.h"
#include "host/CZuBuffer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kImages = 8;

std::vector<std::unique_ptr<CZuBuffer>> MakeThumbnails(const QTemporaryDir& dir)
{
    std::vector<std::unique_ptr<CZuBuffer>> buffers;
    for (int i = 0; i < kImages; ++i) {
        QImage image(512, 512, QImage::Format_ARGB32);
        image.fill(QColor::fromHsv(i * 45, 200, 220));
        const QString path = dir.filePath(QStringLiteral("%1.png").arg(i));
        image.save(path);
        auto buffer = std::make_unique<CZuBuffer>(0xFFFFFFFF);
        if (!buffer->CreateFromFile(path)) {
            std::fprintf(stderr, "cannot load %s\n", qPrintable(path));
            std::exit(1);
        }
        buffers.push_back(std::move(buffer));
    }
    return buffers;
}

void Fill(CItemListWnd& list, int rows, const std::vector<std::unique_ptr<CZuBuffer>>* thumbnails)
{
    list.DeleteAllItems();
    for (int i = 0; i < rows; ++i) {
        auto item = std::make_unique<TaskItemData>();
        item->TaskID = QStringLiteral("task-%1").arg(i);
        item->SrcInfo = QStringLiteral("雪山下的湖泊，清晨的薄雾，远处有一座木屋 %1").arg(i);
        item->Files = QStringLiteral("/home/user/QOV/AIImage/%1.png|").arg(i);
        if (thumbnails) {
            for (int t = 0; t < 4; ++t)
                item->Thumbnails.append((*thumbnails)[size_t((i + t) % kImages)].get());
        } else {
            item->FileLine = QStringLiteral("文件：2026_12_01_10_00_%1.txt").arg(i);
            item->TextLine = QStringLiteral("文本内容：一段由模型写出的文案，用来检验换行与省略号 %1").arg(i).repeated(3);
        }
        list.AddItem(std::move(item));
    }
    list.UpdateScrollInfo();
}

// Milliseconds of each grab, the first (cold) one left out.
std::vector<double> TimePaints(CItemListWnd& list, int rounds)
{
    list.grab();
    std::vector<double> ms;
    for (int r = 0; r < rounds; ++r) {
        // A different part of the list each time, as a user scrolling would see.
        list.ScrollTo((r * 997 * list.GetRowHeight()) % (list.GetItemCount() * list.GetRowHeight()));
        QElapsedTimer timer;
        timer.start();
        const QImage image = list.grab().toImage();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (image.isNull())
            std::exit(1);
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

// QOV_BENCH_SHOT=<prefix> keeps what was painted, to look at.
void Report(const char* name, const std::vector<double>& ms, CItemListWnd& list)
{
    const QString prefix = qEnvironmentVariable("QOV_BENCH_SHOT");
    if (!prefix.isEmpty())
        list.grab().save(prefix + QLatin1String(name) + QStringLiteral(".png"));
    std::printf("  %-9s best %.2f ms  median %.2f ms  max %.2f ms\n", name, ms.front(), ms[ms.size() / 2], ms.back());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 50;

    QTemporaryDir dir;
    const auto thumbnails = MakeThumbnails(dir);
    CItemListWnd list;
    list.Create(nullptr, QRect(0, 0, 800, 600), CItemListWnd::kScrollBarId);

    std::printf("history list: %d entries, 800 x 600 visible, %d paints each\n", rows, rounds);
    list.SetRowHeight(60);
    Fill(list, rows, &thumbnails);
    Report("painting", TimePaints(list, rounds), list);
    list.SetRowHeight(60);
    Fill(list, rows, nullptr);
    Report("text", TimePaints(list, rounds), list);
    return 0;
}
