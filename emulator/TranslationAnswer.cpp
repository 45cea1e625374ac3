#include "TranslationAnswer.h"

#include "ApertiumTranslator.h"
#include "JsonReply.h"

#include <cctype>
#include <vector>

namespace {

// Letters only: Apertium passes a word it does not know through, but reads digits as numbers.
std::string Placeholder(size_t index)
{
    std::string name = "QQGLOSS";
    do {
        name += char('A' + index % 26);
        index /= 26;
    } while (index > 0);
    return name;
}

bool WordByte(const std::string &text, size_t at)
{
    return at < text.size() && (std::isalnum(static_cast<unsigned char>(text[at])) || (text[at] & 0x80));
}

// Where `term` occurs from `from` on as a whole word, ignoring ASCII case.
size_t FindWord(const std::string &text, const std::string &term, size_t from)
{
    if (term.empty())
        return std::string::npos;
    for (size_t at = from; at + term.size() <= text.size(); ++at) {
        bool same = true;
        for (size_t i = 0; i < term.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(text[at + i])) == std::tolower(static_cast<unsigned char>(term[i]));
        if (same && (at == 0 || !WordByte(text, at - 1)) && !WordByte(text, at + term.size()))
            return at;
    }
    return std::string::npos;
}

std::string Field(const web::json::value &object, const char *name)
{
    return object.is_object() && object.has_string_field(name) ? object.at(name).as_string() : std::string();
}

}  // namespace

std::optional<web::json::value> TranslationAnswer::RequestIn(const std::string &content)
{
    const auto request = JsonReply::Parse(content);
    if (!request || !request->is_object() || Field(*request, "task") != "translate")
        return std::nullopt;
    return request;
}

std::string TranslationAnswer::Protect(const std::string &line, const web::json::value &glossary)
{
    std::string protectedLine = line;
    for (size_t i = 0; i < glossary.size(); ++i) {
        const std::string source = Field(glossary.at(i), "source");
        for (size_t at = FindWord(protectedLine, source, 0); at != std::string::npos;
             at = FindWord(protectedLine, source, at + 1))
            protectedLine.replace(at, source.size(), Placeholder(i));
    }
    return protectedLine;
}

std::string TranslationAnswer::Restore(const std::string &line, const web::json::value &glossary, bool sources)
{
    std::string restored = line;
    // The longest placeholders first, so that one is never found inside another.
    for (size_t i = glossary.size(); i-- > 0;) {
        const std::string name = Placeholder(i);
        for (size_t at = restored.find(name); at != std::string::npos; at = restored.find(name, at))
            restored.replace(at, name.size(), Field(glossary.at(i), sources ? "source" : "target"));
    }
    return restored;
}

bool TranslationAnswer::Spoil(const std::string &fault, web::json::value &lines)
{
    const size_t count = lines.size();
    if (fault == "prose")
        return false;
    if (fault == "drop_line" && count > 0) {
        web::json::value kept = web::json::value::array();
        for (size_t i = 0, at = 0; i < count; ++i) {
            if (i != count / 2)
                kept[at++] = lines.at(i);
        }
        lines = kept;
    } else if (fault == "swap_ids" && count > 1) {
        const web::json::value first = lines.at(0).at("id");
        lines[0]["id"] = lines.at(1).at("id");
        lines[1]["id"] = first;
    } else if (fault == "repeat_id" && count > 0) {
        web::json::value copy = lines.at(0);
        copy["text"] = web::json::value::string(Field(copy, "text") + " (otra vez)");
        lines[count] = copy;
    } else if (fault == "too_long" && count > 0) {
        const std::string text = Field(lines.at(0), "text");
        lines[0]["text"] = web::json::value::string(text + " " + text + " " + text);
    }
    return true;
}

bool TranslationAnswer::Answer(const web::json::value &request, const std::string &fault, std::string &result,
                               std::string &error)
{
    const std::string from = Field(request, "source_language");
    const std::string to = Field(request, "target_language");
    const auto mode = ApertiumTranslator::ModeFor(from, to);
    if (!mode) {
        error = "no translator for the language pair " + from + "-" + to;
        return false;
    }
    const web::json::value glossary =
        request.has_array_field("glossary") ? request.at("glossary") : web::json::value::array();
    const web::json::value lines = request.has_array_field("lines") ? request.at("lines") : web::json::value::array();
    std::vector<std::string> texts;
    for (size_t i = 0; i < lines.size(); ++i)
        texts.push_back(Protect(Field(lines.at(i), "text"), glossary));
    const auto translated = ApertiumTranslator::Translate(*mode, texts);
    if (!translated) {
        error = "the translator for " + from + "-" + to + " could not be run";
        return false;
    }
    web::json::value answer = web::json::value::array();
    for (size_t i = 0; i < lines.size(); ++i) {
        web::json::value line = web::json::value::object(true);
        line["id"] = web::json::value::string(Field(lines.at(i), "id"));
        line["text"] = web::json::value::string(Restore((*translated)[i], glossary, fault == "drop_glossary"));
        answer[i] = line;
    }
    if (!Spoil(fault, answer)) {
        result = "I am sorry, but I cannot translate these lines right now.";
        return true;
    }
    web::json::value object = web::json::value::object(true);
    object["lines"] = answer;
    result = "```json\n" + object.serialize() + "\n```";
    return true;
}
