#include "ObjectStoreSignature.h"

#include "Digest.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace ObjectStoreSignature {

namespace {

std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string HeaderOf(const httplib::Headers &headers, const char *name)
{
    const auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
}

}  // namespace

std::optional<Authorization> ParseAuthorization(std::string_view header)
{
    if (header.size() <= kScheme.size() + 1 || header.substr(0, kScheme.size()) != kScheme ||
        header[kScheme.size()] != ' ')
        return std::nullopt;
    const auto credentials = header.substr(kScheme.size() + 1);
    const auto colon = credentials.rfind(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == credentials.size())
        return std::nullopt;
    Authorization parsed{std::string(credentials.substr(0, colon)), std::string(credentials.substr(colon + 1))};
    if (parsed.accessKeyId.find_first_of(" \t") != std::string::npos)
        return std::nullopt;
    return parsed;
}

std::string ResourceOf(std::string_view target) { return std::string(target.substr(0, target.find('?'))); }

std::string StringToSign(std::string_view method, const httplib::Headers &headers, std::string_view resource)
{
    // Repeated x-obs- headers count as one, their values joined by commas in the order sent.
    std::map<std::string, std::string> extensions;
    for (const auto &[name, value] : headers) {
        std::string lower = Lower(name);
        if (lower.rfind(kHeaderPrefix, 0) != 0)
            continue;
        auto &joined = extensions[lower];
        joined += (joined.empty() ? "" : ",") + std::string(Trim(value));
    }
    std::string text;
    text.append(method).append("\n");
    text.append(HeaderOf(headers, "Content-MD5")).append("\n");
    text.append(HeaderOf(headers, "Content-Type")).append("\n");
    text.append(HeaderOf(headers, "Date")).append("\n");
    for (const auto &[name, value] : extensions)
        text.append(name).append(":").append(value).append("\n");
    text.append(resource);
    return text;
}

std::string Sign(std::string_view secretKey, std::string_view stringToSign)
{
    return Digest::Base64Encode(Digest::HmacSha1(secretKey, stringToSign));
}

}  // namespace ObjectStoreSignature
