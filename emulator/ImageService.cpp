#include "ImageService.h"

#include "EndpointRouter.h"
#include "FormEncoding.h"
#include "ImageError.h"
#include "ImageReplies.h"
#include "ImageRequest.h"
#include "ImageTaskStore.h"
#include "JsonReply.h"
#include "RandomText.h"
#include "RequestOrigin.h"
#include "TokenRegistry.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <charconv>
#include <optional>
#include <string_view>
#include <utility>

namespace {

constexpr std::size_t kSigningKeyLength = 32;
constexpr int kSignatureLength = 32;

void SendFailure(httplib::Response &res, const ImageError &error)
{
    JsonReply::Send(res, 200, ImageReplies::Failure(error));
}

// Decimal digits only, nothing around them; task ids and picture numbers are never negative.
std::optional<std::int64_t> ParseNumber(std::string_view text)
{
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < 0)
        return std::nullopt;
    return number;
}

}  // namespace

ImageService::ImageService(TokenRegistry &tokens)
    : tokens_(tokens), tasks_(std::make_unique<ImageTaskStore>()), signingKey_(RandomText::Hex(kSigningKeyLength))
{
}

ImageService::~ImageService() { Stop(); }

void ImageService::Register(EndpointRouter &router)
{
    router.AddEndpoint(
        kCreateEndpoint, "POST", kCreatePath,
        [this](const httplib::Request &req, httplib::Response &res) { HandleCreate(req, res); },
        ImageReplies::CreatedWithWrongTypes());
    router.AddEndpoint(
        kQueryEndpoint, "POST", kQueryPath,
        [this](const httplib::Request &req, httplib::Response &res) { HandleQuery(req, res); },
        ImageReplies::ProgressWithWrongTypes());
    router.AddEndpoint(
        kFileEndpoint, "GET", std::string(kFilePrefix) + R"(([0-9]+)/(?:[0-9]+)_([0-9]+)\.png)",
        [this](const httplib::Request &req, httplib::Response &res) { HandleFile(req, res); },
        ImageReplies::FileWithWrongTypes());
}

void ImageService::Stop() { tasks_->Stop(); }

void ImageService::HandleCreate(const httplib::Request &req, httplib::Response &res)
{
    if (!HasValidToken(req, res))
        return;
    const auto body = JsonReply::Parse(req.body);
    if (!body) {
        SendFailure(res, ImageError::InvalidJson());
        return;
    }
    ImageError error;
    auto request = ImageRequest::FromJson(*body, error);
    if (!request) {
        SendFailure(res, error);
        return;
    }
    JsonReply::Send(res, 200, ImageReplies::Created(tasks_->Create(std::move(*request))));
}

void ImageService::HandleQuery(const httplib::Request &req, httplib::Response &res) const
{
    if (!HasValidToken(req, res))
        return;
    const auto body = JsonReply::Parse(req.body);
    if (!body || !body->is_object()) {
        SendFailure(res, ImageError::InvalidJson());
        return;
    }
    const auto &members = body->as_object();
    const auto member = members.find("task_id");
    if (member == members.end() || member->second.is_null()) {
        SendFailure(res, ImageError::MissingParameters());
        return;
    }
    // Ids are sent back as text by most clients and as the number they were given by some.
    std::optional<std::int64_t> id;
    if (member->second.is_string())
        id = ParseNumber(member->second.as_string());
    else if (member->second.is_integer() && member->second.as_number().is_int64())
        id = member->second.as_number().to_int64();
    else {
        SendFailure(res, ImageError::InvalidParam());
        return;
    }
    const auto task = id ? tasks_->Find(*id) : std::nullopt;
    if (!task) {
        SendFailure(res, ImageError::TaskNotFound());
        return;
    }
    const std::string origin = RequestOrigin(req);
    const auto expires = std::chrono::duration_cast<std::chrono::seconds>(
                             (task->created + kUrlLifetime).time_since_epoch())
                             .count();
    JsonReply::Send(res, 200, ImageReplies::Progress(*task, [&](int index) {
                        return PictureUrl(origin, task->id, index, static_cast<std::int64_t>(expires));
                    }));
}

void ImageService::HandleFile(const httplib::Request &req, httplib::Response &res) const
{
    const auto id = ParseNumber(req.matches[1].str());
    const auto index = ParseNumber(req.matches[2].str());
    const auto png = id && index && *index < ImageRequest::kMaxImages ? tasks_->Png(*id, static_cast<int>(*index)) : nullptr;
    if (!png) {
        JsonReply::SendError(res, 404, "not_found", "no picture at " + req.path);
        return;
    }
    res.status = 200;
    res.set_content(*png, kPngContentType);
}

bool ImageService::HasValidToken(const httplib::Request &req, httplib::Response &res) const
{
    const auto fields = FormEncoding::Parse(FormEncoding::QueryOf(req.target));
    if (tokens_.IsValid(FormEncoding::Find(fields, "access_token").value_or("")))
        return true;
    SendFailure(res, ImageError::InvalidToken());
    return false;
}

std::string ImageService::PictureUrl(const std::string &origin, std::int64_t taskId, int index, std::int64_t expires) const
{
    // The file name carries the task too: clients name downloads after it, and names that repeat
    // across tasks would overwrite earlier pictures.
    const std::string path = kFilePrefix + std::to_string(taskId) + "/" + std::to_string(taskId) + "_" +
                             std::to_string(index) + ".png";
    const std::string stamp = std::to_string(expires);
    const auto signature = QCryptographicHash::hash(QByteArray::fromStdString(signingKey_ + path + stamp),
                                                    QCryptographicHash::Sha256)
                               .toHex()
                               .left(kSignatureLength);
    return origin + path + "?sign=" + signature.toStdString() + "&expires=" + stamp;
}
