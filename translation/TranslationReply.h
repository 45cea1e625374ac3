#pragma once

#include <QJsonObject>
#include <QString>

#include <map>
#include <optional>
#include <set>

// What a language model's answer to a translation request holds. Models wrap their JSON in a code
// fence or in sentences, so the answer is searched for its outermost JSON object; within it, an id
// answered twice is as good as not answered, since which copy is right cannot be told.
namespace TranslationReply {

struct Lines
{
    bool found = false; // the answer held a JSON object with "lines"
    std::map<QString, QString> texts; // ids answered exactly once, with their text
    std::set<QString> repeated;       // ids answered more than once
};

// The first JSON object of text that parses whole, searched from the outside in.
std::optional<QJsonObject> OutermostObject(const QString& text);
Lines Read(const QString& answer);

} // namespace TranslationReply
