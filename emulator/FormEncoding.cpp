#include "FormEncoding.h"

#include <algorithm>
#include <cctype>

namespace FormEncoding {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string Decode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

Fields Parse(std::string_view text)
{
    Fields fields;
    while (!text.empty()) {
        const auto amp = text.find('&');
        const auto pair = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        if (pair.empty())
            continue;
        const auto eq = pair.find('=');
        if (eq == std::string_view::npos)
            fields.emplace_back(Decode(pair), std::string());
        else
            fields.emplace_back(Decode(pair.substr(0, eq)), Decode(pair.substr(eq + 1)));
    }
    return fields;
}

std::optional<std::string> Find(const Fields &fields, std::string_view name)
{
    const auto it = std::find_if(fields.begin(), fields.end(), [&](const auto &field) { return field.first == name; });
    if (it == fields.end())
        return std::nullopt;
    return it->second;
}

std::string_view QueryOf(std::string_view target)
{
    const auto question = target.find('?');
    if (question == std::string_view::npos)
        return {};
    auto query = target.substr(question + 1);
    return query.substr(0, query.find('#'));
}

bool IsFormContentType(std::string_view contentType)
{
    constexpr std::string_view kForm = "application/x-www-form-urlencoded";
    if (contentType.size() < kForm.size())
        return false;
    for (std::size_t i = 0; i < kForm.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(contentType[i])) != kForm[i])
            return false;
    }
    const auto rest = contentType.substr(kForm.size());
    return rest.empty() || rest.front() == ';' || rest.front() == ' ';
}

}  // namespace FormEncoding
