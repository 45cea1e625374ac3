#pragma once

#include "ObjectMeta.h"
#include "StoredObject.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// The objects of the one bucket the emulator serves, each a file in a folder of its own named
// after a hash of its key. Bodies go to disk as they arrive and are renamed into place once
// complete, so readers only ever see whole objects and no object is held in memory.
class ObjectStore {
public:
    // The biggest object one request may store, as with the real store's single upload.
    static constexpr std::uint64_t kMaxObjectBytes = std::uint64_t{5} << 30;
    static constexpr std::size_t kMaxKeyBytes = 1024;

    // Hands the body to `receive` piece by piece and returns true once all of it has arrived.
    using Receiver = std::function<bool(const char *data, std::size_t length)>;
    using Feed = std::function<bool(const Receiver &receive)>;

    enum class PutStatus { Stored, DigestMismatch, TooLarge, BodyFailed, DiskFailed };
    struct PutResult {
        PutStatus status = PutStatus::DiskFailed;
        ObjectMeta meta;
        std::string error;
    };

    // Creates the folder when missing. Throws std::runtime_error when it cannot be used.
    explicit ObjectStore(std::filesystem::path folder);

    // `expectedMd5` holds the 16 raw digest bytes the client announced, if it announced any.
    PutResult Put(const std::string &key, const std::string &contentType, const std::optional<std::string> &expectedMd5,
                  const Feed &feed);
    std::optional<StoredObject> Open(const std::string &key) const;
    // False when there was no such object.
    bool Remove(const std::string &key);

private:
    std::filesystem::path PathOf(const std::string &key) const;

    std::filesystem::path objects_;
    std::filesystem::path incoming_;
};
