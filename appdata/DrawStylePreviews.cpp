// Draws the style library's preview pictures with the local image service's painter: one scene,
// the same for every style, with the style's name added to its prompt, so a tile shows what the
// style does to a picture.
//   draw_style_previews STYLE_XML FOLDER      writes every style's Preview below FOLDER
#include "ImagePainter.h"
#include "ImageRequest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QXmlStreamReader>

#include <cstdio>

namespace {

const QString kScene = QStringLiteral("雪山下的湖泊");
// Twice the tile's 70 by 40 pixels, so the picture stays sharp when scaled down.
constexpr int kWidth = 140;
constexpr int kHeight = 80;

struct StyleEntry
{
    QString name;
    QString preview; // relative to the library's folder
};

// The root's children are the styles; empty when the file cannot be read.
QList<StyleEntry> ReadStyles(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QList<StyleEntry> styles;
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (token != QXmlStreamReader::StartElement || ++depth != 2)
            continue;
        styles.append({xml.attributes().value(QLatin1String("Name")).toString(),
                       xml.attributes().value(QLatin1String("Preview")).toString()});
    }
    return xml.hasError() ? QList<StyleEntry>() : styles;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: draw_style_previews STYLE_XML FOLDER\n");
        return 2;
    }
    const QList<StyleEntry> styles = ReadStyles(QString::fromLocal8Bit(argv[1]));
    if (styles.isEmpty()) {
        std::fprintf(stderr, "draw_style_previews: no styles in %s\n", argv[1]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    for (const StyleEntry& style : styles) {
        if (style.preview.isEmpty())
            continue;
        ImageRequest request;
        request.prompt = (kScene + QStringLiteral("\r\n") + style.name).toStdString();
        request.width = kWidth;
        request.height = kHeight;
        request.count = 1;
        const QString path = folder.filePath(style.preview);
        QDir().mkpath(QFileInfo(path).path());
        if (!ImagePainter::Paint(request, 0).save(path, "PNG")) {
            std::fprintf(stderr, "draw_style_previews: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
