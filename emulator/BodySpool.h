#pragma once

#include <httplib.h>

#include <cstdint>
#include <filesystem>
#include <string_view>

// A request body written to a file as it arrives and then mapped into memory, so a large upload
// can be parsed as one run of bytes without ever being held on the heap.
class BodySpool {
public:
    enum class Status { Whole, TooLarge, Broken, DiskFailed };

    // The file is made in `folder` and removed with the spool.
    explicit BodySpool(const std::filesystem::path &folder);
    ~BodySpool();
    BodySpool(const BodySpool &) = delete;
    BodySpool &operator=(const BodySpool &) = delete;

    // Reads the whole body, refusing one of more than `maxBytes`.
    Status Receive(const httplib::ContentReader &reader, std::uint64_t maxBytes);
    // The bytes received; empty when nothing was, or the file cannot be mapped.
    std::string_view Bytes();

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    void *mapped_ = nullptr;
};
