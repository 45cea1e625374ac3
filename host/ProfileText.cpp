#include "host/ProfileText.h"

#include <QStringDecoder>

namespace {

// "[name]" gives name; anything else gives nothing.
std::optional<QString> SectionName(const QString& trimmedLine)
{
    if (!trimmedLine.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmedLine.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return trimmedLine.mid(1, close - 1).trimmed();
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

} // namespace

namespace ProfileText {

QStringList Lines(const QByteArray& bytes)
{
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        text = decoder(bytes.mid(2));
    } else {
        text = QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

std::optional<QString> Find(const QStringList& lines, const QString& section, const QString& key)
{
    bool inSection = false;
    bool seenSection = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (const auto name = SectionName(line)) {
            // Only the first section of a name counts, as on the original platform.
            if (inSection)
                return std::nullopt;
            inSection = !seenSection && SameName(*name, section);
            seenSection = seenSection || inSection;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (SameName(line.left(eq).trimmed(), key))
            return Unquoted(line.mid(eq + 1));
    }
    return std::nullopt;
}

std::optional<QStringList> WithValue(QStringList lines, const QString& section, const QString& key,
                                     const QString& value)
{
    while (!lines.isEmpty() && lines.back().trimmed().isEmpty())
        lines.removeLast();

    const QString newLine = key + QLatin1Char('=') + value;
    qsizetype sectionStart = -1;
    qsizetype sectionEnd = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i].trimmed());
        if (!name)
            continue;
        if (sectionStart >= 0) {
            sectionEnd = i;
            break;
        }
        if (SameName(*name, section))
            sectionStart = i;
    }

    if (sectionStart < 0) {
        if (value.isNull())
            return std::nullopt;
        lines << QLatin1Char('[') + section + QLatin1Char(']') << newLine;
        return lines;
    }
    qsizetype keyLine = -1;
    for (qsizetype i = sectionStart + 1; i < sectionEnd; ++i) {
        const QString line = lines[i].trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!line.startsWith(QLatin1Char(';')) && eq >= 0 && SameName(line.left(eq).trimmed(), key)) {
            keyLine = i;
            break;
        }
    }
    if (value.isNull()) {
        if (keyLine >= 0)
            lines.removeAt(keyLine);
    } else if (keyLine >= 0) {
        lines[keyLine] = newLine;
    } else {
        qsizetype insertAt = sectionEnd;
        while (insertAt > sectionStart + 1 && lines[insertAt - 1].trimmed().isEmpty())
            --insertAt;
        lines.insert(insertAt, newLine);
    }
    return lines;
}

} // namespace ProfileText
