#include "ObjectStoreService.h"

#include "Digest.h"
#include "EndpointRouter.h"
#include "ObjectStore.h"
#include "ObjectStoreSignature.h"
#include "StoreErrorReply.h"

#include <ctime>
#include <memory>
#include <regex>
#include <utility>

namespace {

constexpr const char *kDefaultContentType = "application/octet-stream";
constexpr std::size_t kReadChunkBytes = 64 * 1024;
constexpr std::size_t kMd5Bytes = 16;

std::string WrongTypesReply()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?><Error><Code><Code>42</Code></Code><Message/></Error>)";
}

std::string HttpDate(std::int64_t epochSeconds)
{
    const std::time_t time = static_cast<std::time_t>(epochSeconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    return text;
}

std::string Quoted(const std::string &etag) { return "\"" + etag + "\""; }

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

ObjectStoreService::ObjectStoreService(ObjectStore &store, Account account) : store_(store), account_(std::move(account))
{
}

void ObjectStoreService::Register(EndpointRouter &router)
{
    // Bucket names hold no characters a regular expression treats specially except the dot.
    const std::string pattern = "/" + std::regex_replace(account_.bucket, std::regex("\\."), "\\.") + "/(.+)";
    using Req = httplib::Request;
    using Res = httplib::Response;
    router.AddStreamingEndpoint(
        kPutEndpoint, "PUT", pattern,
        [this](const Req &req, Res &res, const httplib::ContentReader &reader) { HandlePut(req, res, reader); },
        WrongTypesReply());
    router.AddEndpoint(
        kGetEndpoint, "GET", pattern, [this](const Req &req, Res &res) { HandleGet(req, res); }, WrongTypesReply());
    router.AddEndpoint(
        kDeleteEndpoint, "DELETE", pattern, [this](const Req &req, Res &res) { HandleDelete(req, res); },
        WrongTypesReply());
}

bool ObjectStoreService::IsValidBucketName(const std::string &name)
{
    static const std::regex kBucket("[a-z0-9][a-z0-9.-]{1,61}[a-z0-9]");
    return std::regex_match(name, kBucket);
}

std::string ObjectStoreService::DecodeKey(const std::string &encoded)
{
    std::string out;
    out.reserve(encoded.size());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size() && HexValue(encoded[i + 1]) >= 0 &&
            HexValue(encoded[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2]));
            i += 2;
        } else {
            out += encoded[i];
        }
    }
    return out;
}

void ObjectStoreService::HandlePut(const httplib::Request &req, httplib::Response &res,
                                   const httplib::ContentReader &reader)
{
    const auto key = Authorize(req, res);
    if (!key) {
        EndpointRouter::DiscardBody(req, res, reader);
        return;
    }
    std::optional<std::string> expectedMd5;
    if (req.has_header("Content-MD5")) {
        expectedMd5 = Digest::Base64Decode(req.get_header_value("Content-MD5"));
        if (!expectedMd5 || expectedMd5->size() != kMd5Bytes) {
            StoreErrorReply::Send(res, 400, kInvalidDigest, "the Content-MD5 you specified is not valid");
            EndpointRouter::DiscardBody(req, res, reader);
            return;
        }
    }
    if (req.has_header("Content-Length") &&
        req.get_header_value<std::uint64_t>("Content-Length") > ObjectStore::kMaxObjectBytes) {
        StoreErrorReply::Send(res, 400, kEntityTooLarge, "your proposed upload exceeds the maximum allowed object size");
        res.set_header("Connection", "close");
        return;
    }

    std::string contentType = req.get_header_value("Content-Type");
    if (contentType.empty())
        contentType = kDefaultContentType;
    const auto result = store_.Put(*key, contentType, expectedMd5, [&reader](const ObjectStore::Receiver &receive) {
        return reader([&receive](const char *data, std::size_t length) { return receive(data, length); });
    });
    switch (result.status) {
    case ObjectStore::PutStatus::Stored:
        res.status = 200;
        res.set_header("ETag", Quoted(result.meta.etag));
        return;
    case ObjectStore::PutStatus::DigestMismatch:
        StoreErrorReply::Send(res, 400, kBadDigest, result.error);
        return;
    case ObjectStore::PutStatus::TooLarge:
        StoreErrorReply::Send(res, 400, kEntityTooLarge, result.error);
        res.set_header("Connection", "close");
        return;
    case ObjectStore::PutStatus::BodyFailed:
        StoreErrorReply::Send(res, 400, kIncompleteBody, result.error);
        res.set_header("Connection", "close");
        return;
    case ObjectStore::PutStatus::DiskFailed:
        StoreErrorReply::Send(res, 500, kInternalError, result.error);
        res.set_header("Connection", "close");
        return;
    }
}

void ObjectStoreService::HandleGet(const httplib::Request &req, httplib::Response &res) const
{
    const auto key = Authorize(req, res);
    if (!key)
        return;
    auto opened = store_.Open(*key);
    if (!opened) {
        StoreErrorReply::Send(res, 404, kNoSuchKey, "the specified key does not exist", {{"Key", *key}});
        return;
    }
    auto object = std::make_shared<StoredObject>(std::move(*opened));
    const ObjectMeta &meta = object->Meta();
    res.status = 200;
    res.set_header("ETag", Quoted(meta.etag));
    res.set_header("Last-Modified", HttpDate(meta.modified));
    if (meta.size == 0) {
        res.set_content("", meta.contentType.c_str());
        return;
    }
    // The object stays open, and so readable, until the reply has gone out.
    res.set_content_provider(static_cast<std::size_t>(meta.size), meta.contentType.c_str(),
                             [object](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
                                 char buffer[kReadChunkBytes];
                                 const auto got = object->Read(offset, buffer, std::min(length, sizeof buffer));
                                 return got > 0 && sink.write(buffer, static_cast<std::size_t>(got));
                             });
}

void ObjectStoreService::HandleDelete(const httplib::Request &req, httplib::Response &res)
{
    const auto key = Authorize(req, res);
    if (!key)
        return;
    // Deleting what is not there succeeds too, so a repeated delete is harmless.
    store_.Remove(*key);
    res.status = 204;
}

std::optional<std::string> ObjectStoreService::Authorize(const httplib::Request &req, httplib::Response &res) const
{
    const std::string resource = ObjectStoreSignature::ResourceOf(req.target);
    const StoreErrorReply::Details where = {{"Resource", resource}};
    if (!req.has_header("Authorization")) {
        StoreErrorReply::Send(res, 403, kAccessDenied, "anonymous access is not allowed; sign the request", where);
        return std::nullopt;
    }
    const auto authorization = ObjectStoreSignature::ParseAuthorization(req.get_header_value("Authorization"));
    if (!authorization) {
        StoreErrorReply::Send(res, 403, kAccessDenied,
                              "the Authorization header is not \"OBS AccessKeyId:Signature\"", where);
        return std::nullopt;
    }
    if (authorization->accessKeyId != account_.accessKeyId) {
        StoreErrorReply::Send(res, 403, kInvalidAccessKeyId, "the access key id you provided does not exist",
                              {{"AccessKeyId", authorization->accessKeyId}, {"Resource", resource}});
        return std::nullopt;
    }
    if (!req.has_header("Date") && !req.has_header("x-obs-date")) {
        StoreErrorReply::Send(res, 403, kAccessDenied, "the request carries neither Date nor x-obs-date", where);
        return std::nullopt;
    }
    const std::string stringToSign = ObjectStoreSignature::StringToSign(req.method, req.headers, resource);
    if (ObjectStoreSignature::Sign(account_.secretAccessKey, stringToSign) != authorization->signature) {
        StoreErrorReply::Send(res, 403, kSignatureDoesNotMatch,
                              "the request signature we calculated does not match the signature you provided",
                              {{"StringToSign", stringToSign},
                               {"SignatureProvided", authorization->signature},
                               {"AccessKeyId", authorization->accessKeyId}});
        return std::nullopt;
    }

    const std::string prefix = "/" + account_.bucket + "/";
    const std::string path = DecodeKey(resource);
    if (path.rfind(prefix, 0) != 0) {
        StoreErrorReply::Send(res, 400, kInvalidUri, "the bucket is not spelt out plainly in the path", where);
        return std::nullopt;
    }
    std::string key = path.substr(prefix.size());
    if (key.empty() || key.size() > ObjectStore::kMaxKeyBytes) {
        StoreErrorReply::Send(res, 400, kKeyTooLong, "keys are 1 to 1024 bytes long", where);
        return std::nullopt;
    }
    return key;
}
