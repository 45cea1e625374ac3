#include "SpeechUrl.h"

#include <charconv>

namespace SpeechUrl {

std::optional<Parts> Parse(std::string_view url, const std::string &bucket)
{
    for (const std::string_view scheme : {"https://", "http://"}) {
        if (url.substr(0, scheme.size()) == scheme) {
            url.remove_prefix(scheme.size());
            break;
        }
        if (scheme == "http://")
            return std::nullopt;
    }
    const auto slash = url.find('/');
    if (slash == std::string_view::npos || slash + 1 == url.size())
        return std::nullopt;
    std::string_view authority = url.substr(0, slash);
    const std::string prefix = bucket + ".";
    if (authority.substr(0, prefix.size()) != prefix || authority.size() == prefix.size())
        return std::nullopt;
    authority.remove_prefix(prefix.size());

    Parts parts;
    // Everything after the authority is the key, whatever it holds: keys are not encoded here.
    parts.key = std::string(url.substr(slash + 1));
    const auto colon = authority.rfind(':');
    if (colon == std::string_view::npos) {
        parts.host = std::string(authority);
        return parts;
    }
    const auto digits = authority.substr(colon + 1);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parts.port);
    if (error != std::errc() || end != digits.data() + digits.size() || parts.port <= 0 || parts.port > 65535 ||
        colon == 0)
        return std::nullopt;
    parts.host = std::string(authority.substr(0, colon));
    return parts;
}

}  // namespace SpeechUrl
