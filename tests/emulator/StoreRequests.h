#pragma once

#include <httplib.h>

#include <string>

// Requests to the emulator's object store signed the way a client of the store signs them,
// computed here with Qt's own HMAC and MD5 rather than with anything of the emulator's.
namespace store_test {

inline constexpr const char *kAccessKey = "qov-local-ak";
inline constexpr const char *kSecretKey = "qov-local-sk";
inline constexpr const char *kBucket = "qov-subtitles";
inline constexpr const char *kDate = "Tue, 02 Jan 2024 03:04:05 GMT";

struct Request {
    std::string method = "GET";
    std::string key;
    std::string body;
    std::string contentType;
    bool withMd5 = true;  // PUT only
    std::string secret = kSecretKey;
    std::string accessKey = kAccessKey;
    std::string path;  // the request path as sent and signed; empty: PathOf(key)
};

Request Put(const std::string &key, const std::string &body, const std::string &contentType = "audio/mpeg");
// GET, HEAD or DELETE of `key`.
Request Bodiless(const std::string &method, const std::string &key);

// "/BUCKET/" + the key with every byte but letters, digits and "-._~/" percent-encoded.
std::string PathOf(const std::string &key);
std::string Md5Base64(const std::string &bytes);
std::string Sign(const std::string &secret, const std::string &stringToSign);
// The Date, Authorization and (for a PUT with a body) Content-MD5 headers of `request`.
httplib::Headers SignedHeaders(const Request &request);
// A client that sends paths exactly as given.
httplib::Client Client(int port);
httplib::Result Send(int port, const Request &request);

}  // namespace store_test
