#include "MultipartParser.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace MultipartParser {

namespace {

constexpr std::string_view kCrLf = "\r\n";

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::size_t Find(std::string_view text, std::string_view pattern, std::size_t from)
{
    if (from > text.size())
        return std::string_view::npos;
    const std::boyer_moore_horspool_searcher searcher(pattern.begin(), pattern.end());
    const auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), searcher);
    return found == text.end() ? std::string_view::npos : static_cast<std::size_t>(found - text.begin());
}

// Reads one parameter value at `pos` (after '='): a quoted string with backslash escapes, or a
// token up to the next ';'. Advances `pos` past it.
std::optional<std::string> ParameterValue(std::string_view text, std::size_t &pos)
{
    if (pos < text.size() && text[pos] == '"') {
        std::string value;
        for (++pos; pos < text.size(); ++pos) {
            if (text[pos] == '\\' && pos + 1 < text.size()) {
                value += text[++pos];
            } else if (text[pos] == '"') {
                ++pos;
                return value;
            } else {
                value += text[pos];
            }
        }
        return std::nullopt;  // the quote never closes
    }
    const auto end = std::min(text.find(';', pos), text.size());
    std::string value(Trim(text.substr(pos, end - pos)));
    pos = end;
    return value;
}

// The parameters after the first ';' of a header value, names lower-cased.
std::optional<std::vector<std::pair<std::string, std::string>>> Parameters(std::string_view value)
{
    std::vector<std::pair<std::string, std::string>> parameters;
    std::size_t pos = value.find(';');
    while (pos != std::string_view::npos && pos < value.size()) {
        ++pos;
        while (pos < value.size() && (value[pos] == ' ' || value[pos] == '\t'))
            ++pos;
        if (pos >= value.size())
            break;
        const auto eq = value.find('=', pos);
        if (eq == std::string_view::npos)
            return std::nullopt;
        std::string name(Trim(value.substr(pos, eq - pos)));
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        pos = eq + 1;
        while (pos < value.size() && (value[pos] == ' ' || value[pos] == '\t'))
            ++pos;
        auto parsed = ParameterValue(value, pos);
        if (!parsed)
            return std::nullopt;
        parameters.emplace_back(std::move(name), std::move(*parsed));
        while (pos < value.size() && value[pos] != ';') {
            if (value[pos] != ' ' && value[pos] != '\t')
                return std::nullopt;  // junk after a value
            ++pos;
        }
    }
    return parameters;
}

// Fills the part's name, file name and content type from its header block, or says what is wrong.
std::string ReadHeaders(std::string_view block, Part &part)
{
    bool disposed = false;
    std::size_t pos = 0;
    while (pos < block.size()) {
        auto end = block.find(kCrLf, pos);
        if (end == std::string_view::npos)
            end = block.size();
        const auto line = block.substr(pos, end - pos);
        pos = end + kCrLf.size();
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return "a part header is not \"Name: value\"";
        const auto name = Trim(line.substr(0, colon));
        const auto value = Trim(line.substr(colon + 1));
        if (EqualsIgnoringCase(name, "Content-Type")) {
            part.contentType = std::string(value);
        } else if (EqualsIgnoringCase(name, "Content-Disposition")) {
            const auto type = Trim(value.substr(0, value.find(';')));
            if (!EqualsIgnoringCase(type, "form-data"))
                return "a part is not form-data";
            const auto parameters = Parameters(value);
            if (!parameters)
                return "a part's Content-Disposition cannot be read";
            std::optional<std::string> partName;
            for (const auto &[key, text] : *parameters) {
                if (key == "name")
                    partName = text;
                else if (key == "filename")
                    part.filename = text;
            }
            if (!partName || partName->empty())
                return "a part has no name";
            part.name = std::move(*partName);
            disposed = true;
        }
    }
    return disposed ? std::string() : "a part has no Content-Disposition";
}

Result Fail(std::string error)
{
    Result result;
    result.error = std::move(error);
    return result;
}

}  // namespace

std::optional<std::string> BoundaryOf(std::string_view contentType)
{
    const auto type = Trim(contentType.substr(0, contentType.find(';')));
    if (!EqualsIgnoringCase(type, "multipart/form-data"))
        return std::nullopt;
    const auto parameters = Parameters(contentType);
    if (!parameters)
        return std::nullopt;
    for (const auto &[name, value] : *parameters) {
        if (name == "boundary" && !value.empty() && value.size() <= kMaxBoundaryLength)
            return value;
    }
    return std::nullopt;
}

Result Parse(std::string_view body, std::string_view boundary)
{
    if (boundary.empty() || boundary.size() > kMaxBoundaryLength)
        return Fail("the boundary is empty or too long");
    const std::string delimiter = "--" + std::string(boundary);
    const std::string innerDelimiter = "\r\n" + delimiter;

    // The first delimiter opens the body or follows a line break (after a preamble).
    std::size_t pos = body.substr(0, delimiter.size()) == delimiter ? 0 : Find(body, innerDelimiter, 0);
    if (pos == std::string_view::npos)
        return Fail("the body holds no delimiter of its boundary");
    if (pos != 0 || body.substr(0, delimiter.size()) != delimiter)
        pos += kCrLf.size();

    Result result;
    for (;;) {
        pos += delimiter.size();
        if (body.substr(pos, 2) == "--") {
            result.ok = true;
            return result;
        }
        // Transport padding may follow a delimiter before its line break.
        while (pos < body.size() && (body[pos] == ' ' || body[pos] == '\t'))
            ++pos;
        if (body.substr(pos, kCrLf.size()) != kCrLf)
            return Fail(pos >= body.size() ? "the body ends without its closing delimiter"
                                           : "a delimiter is not followed by a line break");
        pos += kCrLf.size();
        if (result.parts.size() == kMaxParts)
            return Fail("the body has more than " + std::to_string(kMaxParts) + " parts");

        Part part;
        const auto headersEnd = Find(body.substr(0, std::min(body.size(), pos + kMaxHeaderBytes + 4)), "\r\n\r\n", pos);
        // A part without headers at all starts straight with the empty line.
        const bool noHeaders = body.substr(pos, kCrLf.size()) == kCrLf;
        if (noHeaders)
            return Fail("a part has no Content-Disposition");
        if (headersEnd == std::string_view::npos)
            return Fail(body.size() - pos > kMaxHeaderBytes ? "a part's headers are too long"
                                                            : "the body ends inside a part's headers");
        if (std::string error = ReadHeaders(body.substr(pos, headersEnd - pos), part); !error.empty())
            return Fail(std::move(error));
        pos = headersEnd + 4;

        // A delimiter counts only where it ends the line, or closes the body.
        auto next = Find(body, innerDelimiter, pos);
        while (next != std::string_view::npos) {
            const auto after = body.substr(next + innerDelimiter.size(), 2);
            if (after == "--" || after == kCrLf || (!after.empty() && (after[0] == ' ' || after[0] == '\t')))
                break;
            next = Find(body, innerDelimiter, next + 1);
        }
        if (next == std::string_view::npos)
            return Fail("the body ends inside a part");
        part.content = body.substr(pos, next - pos);
        result.parts.push_back(std::move(part));
        pos = next + kCrLf.size();
    }
}

}  // namespace MultipartParser
