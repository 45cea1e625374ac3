#pragma once

#include "ImageError.h"

#include <QImage>

#include <cpprest/json.h>

#include <optional>
#include <string>

// What one image-creation request asks for, checked the way the service checks it: the body must
// carry every member with the right type, a size from the fixed list, a count in range and, if a
// reference image is sent, one that decodes.
struct ImageRequest {
    static constexpr int kMaxImages = 8;
    static constexpr int kMaxPromptCodePoints = 1000;
    static constexpr int kMinChangeDegree = 1;
    static constexpr int kMaxChangeDegree = 10;
    static constexpr const char *kVersion = "v2";

    std::string prompt;
    int width = 0;
    int height = 0;
    int count = 0;
    QImage reference;  // null when none was sent
    int changeDegree = kMinChangeDegree;
    // The prompt names something the content review refuses; one picture of the set is marked.
    bool flagged = false;

    // Fills `error` and returns std::nullopt when the body is refused.
    static std::optional<ImageRequest> FromJson(const web::json::value &body, ImageError &error);
    static bool IsSupportedSize(int width, int height);
    static bool IsFlagged(const std::string &prompt);
};
