// Draws the style library's preview pictures with the local image service's painter: one scene,
// the same for every style, with the style's name added to its prompt, so a tile shows what the
// style does to a picture.
//   draw_style_previews STYLE_XML FOLDER      writes every style's Preview below FOLDER
#include "LibraryStep.h"

#include "ImagePainter.h"
#include "ImageRequest.h"

#include <QGuiApplication>
#include <QImage>

namespace {

const QString kScene = QStringLiteral("雪山下的湖泊");
// Twice the tile's 70 by 40 pixels, so the picture stays sharp when scaled down.
constexpr int kWidth = 140;
constexpr int kHeight = 80;

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const auto draw = [](const QXmlStreamAttributes& style, int, int, const QString& path) {
        const QString name = style.value(QLatin1String("Name")).toString();
        ImageRequest request;
        request.prompt = (kScene + QStringLiteral("\r\n") + name).toStdString();
        request.width = kWidth;
        request.height = kHeight;
        request.count = 1;
        const bool saved = ImagePainter::Paint(request, 0).save(path, "PNG");
        return saved ? QString() : QStringLiteral("cannot write %1").arg(path);
    };
    return LibraryStep::Run(argc, argv, "draw_style_previews", "style", QStringLiteral("Preview"), draw);
}
