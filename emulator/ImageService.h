#pragma once

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class EndpointRouter;
class ImageTaskStore;
class TokenRegistry;

// Picture generation as a task: POST the prompt to start one, POST its id to poll it, then GET
// each drawn picture from the address the finished task lists. Like the service it stands in
// for, the two POST endpoints always answer HTTP 200 and report failures in the body.
class ImageService {
public:
    static constexpr const char *kCreateEndpoint = "image-create";
    static constexpr const char *kQueryEndpoint = "image-query";
    static constexpr const char *kFileEndpoint = "image-file";
    static constexpr const char *kCreatePath = "/ernievilg/v1/txt2imgv2";
    static constexpr const char *kQueryPath = "/ernievilg/v1/getImgv2";
    static constexpr const char *kFilePrefix = "/files/img/";
    static constexpr const char *kPngContentType = "image/png";
    // How long a picture address claims to stay valid; the emulator serves it regardless.
    static constexpr std::chrono::hours kUrlLifetime{24};

    explicit ImageService(TokenRegistry &tokens);
    ~ImageService();
    ImageService(const ImageService &) = delete;
    ImageService &operator=(const ImageService &) = delete;

    void Register(EndpointRouter &router);
    // Abandons the drawing not yet started and joins the drawing thread; call once the server
    // no longer takes requests.
    void Stop();

private:
    void HandleCreate(const httplib::Request &req, httplib::Response &res);
    void HandleQuery(const httplib::Request &req, httplib::Response &res) const;
    void HandleFile(const httplib::Request &req, httplib::Response &res) const;
    bool HasValidToken(const httplib::Request &req, httplib::Response &res) const;
    std::string PictureUrl(const std::string &origin, std::int64_t taskId, int index, std::int64_t expires) const;

    TokenRegistry &tokens_;
    std::unique_ptr<ImageTaskStore> tasks_;
    // Signs picture addresses, so they look like the real ones and differ between runs.
    std::string signingKey_;
};
