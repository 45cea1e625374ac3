#include "translation/TranslationReply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

namespace TranslationReply {

namespace {

// Where the object opened at start closes, strings and their escapes skipped; -1 when it never
// does.
qsizetype Closing(const QString& text, qsizetype start)
{
    int depth = 0;
    bool inString = false;
    for (qsizetype i = start; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inString) {
            if (c == QLatin1Char('\\'))
                ++i;
            else if (c == QLatin1Char('"'))
                inString = false;
        } else if (c == QLatin1Char('"')) {
            inString = true;
        } else if (c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char('}') && --depth == 0) {
            return i;
        }
    }
    return -1;
}

std::optional<QString> IdOf(const QJsonValue& value)
{
    if (value.isString())
        return value.toString().trimmed();
    // Models turn "7" into 7 now and then; the number is still the line's.
    if (value.isDouble() && value.toDouble() == double(qint64(value.toDouble())))
        return QString::number(qint64(value.toDouble()));
    return std::nullopt;
}

} // namespace

std::optional<QJsonObject> OutermostObject(const QString& text)
{
    for (qsizetype start = text.indexOf(QLatin1Char('{')); start >= 0;
         start = text.indexOf(QLatin1Char('{'), start + 1)) {
        const qsizetype end = Closing(text, start);
        if (end < 0)
            continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(text.mid(start, end - start + 1).toUtf8(), &error);
        if (error.error == QJsonParseError::NoError && document.isObject())
            return document.object();
    }
    return std::nullopt;
}

Lines Read(const QString& answer)
{
    Lines read;
    const std::optional<QJsonObject> object = OutermostObject(answer);
    if (!object || !object->value(QLatin1String("lines")).isArray())
        return read;
    read.found = true;
    std::map<QString, int> copies;
    for (const QJsonValue& item : object->value(QLatin1String("lines")).toArray()) {
        const QJsonObject line = item.toObject();
        const std::optional<QString> id = IdOf(line.value(QLatin1String("id")));
        if (!id)
            continue;
        if (++copies[*id] > 1) {
            read.texts.erase(*id);
            read.repeated.insert(*id);
            continue;
        }
        const QJsonValue text = line.value(QLatin1String("text"));
        // Breaks and doubled spaces a model or translator leaves are not the caption's: the layout
        // breaks its lines afresh.
        if (text.isString())
            read.texts[*id] = text.toString().simplified();
    }
    return read;
}

} // namespace TranslationReply
