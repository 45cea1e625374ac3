#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the store knows of an object besides its bytes. It is kept in a fixed-size block at the
// head of the object's file, so an object and its description are replaced by one rename.
struct ObjectMeta {
    static constexpr std::size_t kBlockBytes = 8192;

    std::string key;
    std::string contentType;
    std::string etag;  // MD5 of the content, lower-case hex
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // seconds since the epoch

    // The block, padded with spaces and ending in a line break; std::nullopt when the description
    // does not fit (keys and content types are limited long before that).
    std::optional<std::string> ToBlock() const;
    static std::optional<ObjectMeta> FromBlock(const std::string &block);
};
