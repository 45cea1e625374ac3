#pragma once

#include "EmulatorFixture.h"

#include <QImage>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// An emulator with a token at hand and helpers to start, poll and download image tasks.
class ImageTest : public TokenTest {
protected:
    web::json::value Create(const std::string &body) const;
    web::json::value Query(const std::string &taskIdJson) const;
    // Starts a task and returns its id, failing the test when the reply carries none.
    std::int64_t Start(const std::string &body) const;
    // Polls until the task succeeds; the reply's "data", or null after a timeout.
    web::json::value AwaitSuccess(std::int64_t taskId) const;
    // Every picture of a finished task, decoded; empty entries for those that did not download.
    std::vector<QImage> Pictures(const web::json::value &data) const;
    httplib::Result Fetch(const std::string &url) const;
};

namespace image_test {

inline constexpr const char *kCreatePath = "/ernievilg/v1/txt2imgv2";
inline constexpr const char *kQueryPath = "/ernievilg/v1/getImgv2";
inline constexpr auto kTaskTimeout = std::chrono::seconds(30);

std::string CreateBody(const std::string &prompt, int width, int height, int count,
                       const std::string &reference = {});
// A picture in the given format, Base64-encoded as the service expects it.
std::string EncodedImage(const QImage &image, const char *format);
// Mean absolute channel difference, 0 to 255; the pictures must have the same size.
double MeanDifference(const QImage &a, const QImage &b);

}  // namespace image_test
