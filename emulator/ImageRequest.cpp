#include "ImageRequest.h"

#include "Utf8Text.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <utility>

namespace {

struct Size {
    int width;
    int height;
};

// Landscape, portrait and square at three scales each; nothing else is drawn.
constexpr std::array<Size, 9> kSizes = {{{640, 360},
                                         {1280, 720},
                                         {2560, 1440},
                                         {360, 640},
                                         {720, 1280},
                                         {1440, 2560},
                                         {512, 512},
                                         {1024, 1024},
                                         {2048, 2048}}};

// Words the content review refuses, matched anywhere in the prompt, Latin letters in any case.
const std::array<std::string, 4> kBlockedWords = {"违禁", "违规", "blocked", "nsfw"};

bool IsBlank(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c) != 0; });
}

// Reads an integer member; a fraction, a numeric string or a value beyond int is refused.
std::optional<int> ReadInt(const web::json::value &value)
{
    if (!value.is_integer() || !value.as_number().is_int64())
        return std::nullopt;
    const auto number = value.as_number().to_int64();
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(number);
}

// Plain Base64 of a JPEG or PNG; a data-URL prefix or any other picture format is refused.
std::optional<QImage> DecodeReference(const std::string &base64)
{
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(base64),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return std::nullopt;
    QByteArray bytes = decoded.decoded;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "jpeg" && format != "png")
        return std::nullopt;
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

}  // namespace

std::optional<ImageRequest> ImageRequest::FromJson(const web::json::value &body, ImageError &error)
{
    if (!body.is_object()) {
        error = ImageError::InvalidJson();
        return std::nullopt;
    }
    const auto &members = body.as_object();
    for (const char *required : {"prompt", "width", "height", "image_num"}) {
        const auto it = members.find(required);
        if (it == members.end() || it->second.is_null()) {
            error = ImageError::MissingParameters();
            return std::nullopt;
        }
    }
    error = ImageError::InvalidParam();
    const auto &prompt = members.at("prompt");
    if (!prompt.is_string() || IsBlank(prompt.as_string()) ||
        Utf8Text::Decode(prompt.as_string()).size() > static_cast<std::size_t>(kMaxPromptCodePoints))
        return std::nullopt;
    const auto width = ReadInt(members.at("width"));
    const auto height = ReadInt(members.at("height"));
    const auto count = ReadInt(members.at("image_num"));
    if (!width || !height || !IsSupportedSize(*width, *height) || !count || *count < 1 || *count > kMaxImages)
        return std::nullopt;
    if (const auto version = members.find("version"); version != members.end() && !version->second.is_null()) {
        if (!version->second.is_string() || version->second.as_string() != kVersion)
            return std::nullopt;
    }

    ImageRequest request;
    request.prompt = prompt.as_string();
    request.width = *width;
    request.height = *height;
    request.count = *count;
    request.flagged = IsFlagged(request.prompt);
    if (const auto degree = members.find("change_degree"); degree != members.end() && !degree->second.is_null()) {
        const auto value = ReadInt(degree->second);
        if (!value || *value < kMinChangeDegree || *value > kMaxChangeDegree)
            return std::nullopt;
        request.changeDegree = *value;
    }
    if (const auto image = members.find("image"); image != members.end() && !image->second.is_null()) {
        if (!image->second.is_string())
            return std::nullopt;
        auto reference = DecodeReference(image->second.as_string());
        if (!reference)
            return std::nullopt;
        request.reference = std::move(*reference);
    }
    error = {};
    return request;
}

bool ImageRequest::IsSupportedSize(int width, int height)
{
    return std::any_of(kSizes.begin(), kSizes.end(),
                       [&](const Size &size) { return size.width == width && size.height == height; });
}

bool ImageRequest::IsFlagged(const std::string &prompt)
{
    std::string folded = prompt;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c); });
    return std::any_of(kBlockedWords.begin(), kBlockedWords.end(),
                       [&](const std::string &word) { return folded.find(word) != std::string::npos; });
}
