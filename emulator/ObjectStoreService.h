#pragma once

#include <httplib.h>

#include <optional>
#include <string>

class EndpointRouter;
class ObjectStore;

// The object store on the emulator's own port, path-style: PUT, GET, HEAD and DELETE of
// /BUCKET/KEY for the one bucket it serves, every request signed with the store's header
// signature (ObjectStoreSignature). Bodies stream to and from disk.
class ObjectStoreService {
public:
    static constexpr const char *kPutEndpoint = "store-put";
    static constexpr const char *kGetEndpoint = "store-get";  // HEAD too
    static constexpr const char *kDeleteEndpoint = "store-delete";

    static constexpr const char *kAccessDenied = "AccessDenied";
    static constexpr const char *kInvalidAccessKeyId = "InvalidAccessKeyId";
    static constexpr const char *kSignatureDoesNotMatch = "SignatureDoesNotMatch";
    static constexpr const char *kInvalidDigest = "InvalidDigest";
    static constexpr const char *kBadDigest = "BadDigest";
    static constexpr const char *kEntityTooLarge = "EntityTooLarge";
    static constexpr const char *kKeyTooLong = "KeyTooLongError";
    static constexpr const char *kInvalidUri = "InvalidURI";
    static constexpr const char *kIncompleteBody = "IncompleteBody";
    static constexpr const char *kNoSuchKey = "NoSuchKey";
    static constexpr const char *kInternalError = "InternalError";

    struct Account {
        std::string accessKeyId;
        std::string secretAccessKey;
        std::string bucket;
    };

    ObjectStoreService(ObjectStore &store, Account account);
    void Register(EndpointRouter &router);

    // Lower-case letters, digits, dots and hyphens, 3 to 63 long, starting and ending with a
    // letter or digit: the names a bucket can have.
    static bool IsValidBucketName(const std::string &name);
    // A key decoded from the request path: %XX escapes become bytes, '+' stays '+'.
    static std::string DecodeKey(const std::string &encoded);

private:
    void HandlePut(const httplib::Request &req, httplib::Response &res, const httplib::ContentReader &reader);
    void HandleGet(const httplib::Request &req, httplib::Response &res) const;
    void HandleDelete(const httplib::Request &req, httplib::Response &res);
    // The object's key when the request carries this account's valid signature; otherwise the
    // refusal is in `res` and the result is std::nullopt.
    std::optional<std::string> Authorize(const httplib::Request &req, httplib::Response &res) const;

    ObjectStore &store_;
    Account account_;
};
