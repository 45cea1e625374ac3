#include "apps/studio/SubtitleSentences.h"

#include <QFile>
#include <QStringList>

namespace {

const QString kArrow = QStringLiteral("-->");

} // namespace

QList<SubtitleSentence> ReadSubtitleSentences(const QString& path)
{
    QList<SubtitleSentence> sentences;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sentences;
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    SubtitleSentence* current = nullptr;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) {
            current = nullptr;
            continue;
        }
        const qsizetype arrow = line.indexOf(kArrow);
        if (arrow > 0) {
            sentences.append({line.left(arrow).trimmed(), line.mid(arrow + kArrow.size()).trimmed(), QString()});
            current = &sentences.last();
        } else if (current) {
            if (!current->text.isEmpty())
                current->text += QLatin1Char('\n');
            current->text += line;
        }
    }
    return sentences;
}
