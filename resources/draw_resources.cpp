// Draws the module's images into the folder given on the command line. The pictures are ours, in
// one flat style on the editor's dark theme; run it again after changing a drawing and commit
// the PNG files it writes.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

const QColor kAccent(0x3D, 0x9B, 0xF0);
const QColor kLight(0xDD, 0xE2, 0xE8);
const QColor kTile(0x2E, 0x32, 0x38);
const QColor kTileEdge(0x45, 0x4A, 0x52);

QImage Canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage AddItem()
{
    QImage image = Canvas(20, 20);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kLight, 1.2));
    p.setBrush(QColor(255, 255, 255, 24));
    p.drawRoundedRect(QRectF(1.5, 1.5, 17, 17), 4, 4);
    p.setPen(QPen(kLight, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 5.5), QPointF(10, 14.5));
    p.drawLine(QPointF(5.5, 10), QPointF(14.5, 10));
    return image;
}

QImage SubtitlesIllustration()
{
    QImage image = Canvas(160, 180);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A screen with a speech wave above two subtitle lines.
    QLinearGradient screen(0, 20, 0, 130);
    screen.setColorAt(0, QColor(0x35, 0x3B, 0x45));
    screen.setColorAt(1, QColor(0x24, 0x28, 0x2F));
    p.setPen(QPen(kTileEdge, 2));
    p.setBrush(screen);
    p.drawRoundedRect(QRectF(10, 20, 140, 110), 10, 10);
    p.setPen(QPen(kAccent, 4, Qt::SolidLine, Qt::RoundCap));
    const int bars[] = {10, 22, 36, 18, 40, 28, 14, 30, 20, 8};
    for (int i = 0; i < 10; ++i) {
        const qreal x = 35 + i * 10;
        p.drawLine(QPointF(x, 65 - bars[i] / 2.0), QPointF(x, 65 + bars[i] / 2.0));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kLight);
    p.drawRoundedRect(QRectF(30, 98, 100, 8), 4, 4);
    p.setBrush(QColor(kLight.red(), kLight.green(), kLight.blue(), 150));
    p.drawRoundedRect(QRectF(45, 112, 70, 8), 4, 4);
    // The stand below the screen.
    p.setBrush(kTileEdge);
    p.drawRect(QRectF(72, 130, 16, 22));
    p.drawRoundedRect(QRectF(45, 150, 70, 8), 4, 4);
    return image;
}

QImage RoundButton(bool play)
{
    QImage image = Canvas(30, 30);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(play ? kAccent : QColor(0xE0, 0x5A, 0x4F));
    p.drawEllipse(QRectF(2, 2, 26, 26));
    p.setBrush(Qt::white);
    if (play) {
        QPainterPath triangle;
        triangle.moveTo(12, 9);
        triangle.lineTo(21.5, 15);
        triangle.lineTo(12, 21);
        triangle.closeSubpath();
        p.drawPath(triangle);
    } else {
        p.drawRoundedRect(QRectF(10.5, 10.5, 9, 9), 1.5, 1.5);
    }
    return image;
}

QImage Tile(bool selected)
{
    QImage image = Canvas(301, 78);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 78);
    fill.setColorAt(0, selected ? QColor(0x2C, 0x46, 0x62) : kTile.lighter(108));
    fill.setColorAt(1, selected ? QColor(0x22, 0x36, 0x4D) : kTile);
    p.setPen(QPen(selected ? kAccent : kTileEdge, selected ? 2 : 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1, 1, 299, 76), 8, 8);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: draw_resources FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const struct
    {
        int id;
        QImage image;
    } images[] = {{2000, AddItem()},     {2001, SubtitlesIllustration()}, {2003, RoundButton(true)},
                  {2004, RoundButton(false)}, {2005, Tile(false)},          {2006, Tile(true)}};
    for (const auto& entry : images) {
        const QString path = QStringLiteral("%1/%2.png").arg(folder).arg(entry.id);
        if (!entry.image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
