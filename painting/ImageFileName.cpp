#include "painting/ImageFileName.h"

#include "service/LocalTime.h"

#include <QFileInfo>

namespace {

bool Usable(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0)) &&
           name.size() <= 200;
}

} // namespace

QString ImageFileName(const QString& url, int index, const QString& folder, QSet<QString>& taken)
{
    // left() of a negative length (no query, no fragment) keeps the whole address.
    QString address = url.left(url.indexOf(QLatin1Char('?')));
    address = address.left(address.indexOf(QLatin1Char('#')));
    QString name = address.mid(address.lastIndexOf(QLatin1Char('/')) + 1);
    if (!Usable(name)) {
        name = QStringLiteral("Image%1_%2.png")
                   .arg(LocalTimeText("%Y_%m_%d_%H_%M_%S"))
                   .arg(index + 1);
    }
    QString unique = name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    for (int n = 2; taken.contains(unique) || QFileInfo::exists(folder + unique); ++n)
        unique = dot > 0 ? name.left(dot) + QStringLiteral("_%1").arg(n) + name.mid(dot) : name + QStringLiteral("_%1").arg(n);
    taken.insert(unique);
    return unique;
}
