#include "translation/TranslationRequest.h"

#include <QCryptographicHash>

#include <cpprest/json.h>

namespace TranslationRequest {

namespace {

// Changed whenever the request's wording changes, so that an older answer is asked for anew.
constexpr const char* kKeyVersion = "translate-1";

web::json::value Text(const QString& text)
{
    return web::json::value::string(text.toStdString());
}

// A caption of the context whose translation is not known yet goes as its source alone.
web::json::value Pair(const QString& source, const QString& target)
{
    web::json::value pair = web::json::value::object(true);
    pair["source"] = Text(source);
    if (!target.isEmpty())
        pair["target"] = Text(target);
    return pair;
}

QString Instructions(const Content& content)
{
    QStringList sentences{
        QStringLiteral("Translate the text of every entry of \"lines\" from the language with the ISO 639-1 code "
                       "\"%1\" into the language with the code \"%2\".")
            .arg(content.from, content.to),
        QStringLiteral("Keep each line's \"id\" exactly as it is and answer every id once; never merge, split or "
                       "leave out lines."),
        QStringLiteral("Where a line holds the \"source\" of a \"glossary\" entry, use that entry's \"target\" in "
                       "its translation."),
        QStringLiteral("Keep each translation within its \"max_chars\" characters where you can, shortening the "
                       "wording rather than the meaning."),
        QStringLiteral("\"context\" holds the captions just before these, for their meaning only: do not "
                       "translate it."),
        QStringLiteral("Answer with one JSON object {\"lines\":[{\"id\":\"...\",\"text\":\"...\"}]} and nothing "
                       "else."),
    };
    return (sentences + content.notes).join(QLatin1Char(' '));
}

} // namespace

std::string Build(const Content& content)
{
    web::json::value glossary = web::json::value::array();
    for (size_t i = 0; i < content.glossary.size(); ++i)
        glossary[i] = Pair(content.glossary[i].source, content.glossary[i].target);
    web::json::value context = web::json::value::array();
    for (size_t i = 0; i < content.context.size(); ++i)
        context[i] = Pair(content.context[i].source, content.context[i].target);
    web::json::value lines = web::json::value::array();
    for (size_t i = 0; i < content.lines.size(); ++i) {
        web::json::value line = web::json::value::object(true);
        line["id"] = Text(content.lines[i].id);
        line["text"] = Text(content.lines[i].text);
        line["max_chars"] = web::json::value::number(content.lines[i].maxChars);
        lines[i] = line;
    }
    web::json::value message = web::json::value::object(true);
    message["task"] = web::json::value::string("translate");
    message["source_language"] = Text(content.from);
    message["target_language"] = Text(content.to);
    message["instructions"] = Text(Instructions(content));
    message["glossary"] = glossary;
    message["context"] = context;
    message["lines"] = lines;
    return message.serialize();
}

QString Key(const Content& content)
{
    Content keyed = content;
    keyed.context.clear();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray(kKeyVersion));
    hash.addData(QByteArray::fromStdString(Build(keyed)));
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace TranslationRequest
