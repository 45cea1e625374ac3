#include "ImageFixture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include <cstdlib>

namespace image_test {

std::string CreateBody(const std::string &prompt, int width, int height, int count, const std::string &reference)
{
    auto body = web::json::value::object();
    body["prompt"] = web::json::value::string(prompt);
    body["version"] = web::json::value::string("v2");
    body["width"] = web::json::value::number(width);
    body["height"] = web::json::value::number(height);
    body["image_num"] = web::json::value::number(count);
    if (!reference.empty()) {
        body["image"] = web::json::value::string(reference);
        body["change_degree"] = web::json::value::number(1);
    }
    return body.serialize();
}

std::string EncodedImage(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return bytes.toBase64().toStdString();
}

double MeanDifference(const QImage &a, const QImage &b)
{
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(left.size(), right.size());
    if (left.size() != right.size() || left.isNull())
        return 0;
    double total = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto *l = reinterpret_cast<const QRgb *>(left.constScanLine(y));
        const auto *r = reinterpret_cast<const QRgb *>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            total += std::abs(qRed(l[x]) - qRed(r[x])) + std::abs(qGreen(l[x]) - qGreen(r[x])) +
                     std::abs(qBlue(l[x]) - qBlue(r[x]));
        }
    }
    return total / (3.0 * left.width() * left.height());
}

}  // namespace image_test

web::json::value ImageTest::Create(const std::string &body) const
{
    return Call(image_test::kCreatePath, body, token_);
}

web::json::value ImageTest::Query(const std::string &taskIdJson) const
{
    return Call(image_test::kQueryPath, R"({"task_id":)" + taskIdJson + "}", token_);
}

std::int64_t ImageTest::Start(const std::string &body) const
{
    const auto reply = Create(body);
    const bool started = reply.has_object_field("data") && reply.at("data").has_number_field("task_id");
    EXPECT_TRUE(started) << reply.serialize();
    return started ? reply.at("data").at("task_id").as_number().to_int64() : 0;
}

web::json::value ImageTest::AwaitSuccess(std::int64_t taskId) const
{
    web::json::value reply;
    const bool done = emulator_test::PollUntil(
        [&] {
            reply = Query("\"" + std::to_string(taskId) + "\"");
            return !reply.has_object_field("data") || reply.at("data").at("task_status").as_string() == "SUCCESS";
        },
        std::chrono::milliseconds(50), image_test::kTaskTimeout);
    if (done && reply.has_object_field("data"))
        return reply.at("data");
    ADD_FAILURE() << "task " << taskId << " did not succeed";
    return web::json::value::null();
}

std::vector<QImage> ImageTest::Pictures(const web::json::value &data) const
{
    std::vector<QImage> pictures;
    if (!data.has_array_field("sub_task_result_list"))
        return pictures;
    for (const auto &entry : data.at("sub_task_result_list").as_array()) {
        const auto res = Fetch(entry.at("final_image_list").at(0).at("img_url").as_string());
        QImage picture;
        if (res && res->status == 200)
            picture.loadFromData(QByteArray::fromStdString(res->body), "PNG");
        pictures.push_back(picture);
    }
    return pictures;
}

httplib::Result ImageTest::Fetch(const std::string &url) const
{
    const std::string origin = BaseUrl();
    EXPECT_EQ(url.rfind(origin, 0), 0u) << url;
    return Client().Get(url.substr(origin.size()));
}
