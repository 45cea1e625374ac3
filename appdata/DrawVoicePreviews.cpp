// Draws the voice library's preview pictures: a bust on a coloured ground, the hue moving round
// the colour wheel from voice to voice, with long hair for the female speakers.
//   draw_voice_previews VOICE_XML FOLDER      writes every voice's Preview below FOLDER
#include "LibraryStep.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

// Drawn at twice the tile's 40 pixels, so the picture stays sharp when scaled down.
constexpr int kSize = 80;

QImage DrawPreview(int index, int count, bool female)
{
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const int hue = (index * 360 / std::max(count, 1) + 200) % 360;
    QLinearGradient ground(0, 0, kSize, kSize);
    ground.setColorAt(0, QColor::fromHsv(hue, 120, 215));
    ground.setColorAt(1, QColor::fromHsv((hue + 30) % 360, 170, 140));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(0, 0, kSize, kSize), 14, 14);

    const QColor skin(0xF4, 0xE6, 0xDA);
    const QColor hair = QColor::fromHsv(hue, 60, 60);
    const QColor shirt = QColor::fromHsv((hue + 180) % 360, 90, 235);
    if (female) {
        // Hair falling behind the shoulders.
        p.setBrush(hair);
        QPainterPath back;
        back.addRoundedRect(QRectF(21, 14, 38, 46), 18, 18);
        p.drawPath(back);
    }
    p.setBrush(shirt);
    p.drawEllipse(QRectF(12, 56, 56, 44));
    p.setBrush(skin);
    p.drawRect(QRectF(35, 46, 10, 12));
    p.drawEllipse(QRectF(25, 18, 30, 34));
    p.setBrush(hair);
    QPainterPath top;
    top.moveTo(24, 34);
    top.cubicTo(22, 12, 58, 12, 56, 34);
    top.cubicTo(50, female ? 24 : 27, 34, female ? 22 : 25, 24, 34);
    p.drawPath(top);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const auto draw = [](const QXmlStreamAttributes& voice, int index, int count, const QString& path) {
        const bool female = voice.value(QLatin1String("Gender")) == QLatin1String("female");
        const bool saved = DrawPreview(index, count, female).save(path, "PNG");
        return saved ? QString() : QStringLiteral("cannot write %1").arg(path);
    };
    return LibraryStep::Run(argc, argv, "draw_voice_previews", "voice", QStringLiteral("Preview"), draw);
}
