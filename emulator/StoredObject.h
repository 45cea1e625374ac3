#pragma once

#include "ObjectMeta.h"

#include <cstddef>
#include <cstdint>
#include <string>

// An object opened for reading. It holds its file open, so the bytes stay readable to the end
// even when the object is replaced or deleted meanwhile. Move-only.
class StoredObject {
public:
    StoredObject(int fd, ObjectMeta meta);
    ~StoredObject();
    StoredObject(StoredObject &&other) noexcept;
    StoredObject &operator=(StoredObject &&other) noexcept;
    StoredObject(const StoredObject &) = delete;
    StoredObject &operator=(const StoredObject &) = delete;

    const ObjectMeta &Meta() const { return meta_; }
    // The open file and where the content starts in it, for readers that take a file region.
    int Fd() const { return fd_; }
    std::uint64_t ContentOffset() const { return ObjectMeta::kBlockBytes; }
    // Up to `length` bytes of content from `offset`; fewer only at the end. -1 on a read error.
    long long Read(std::uint64_t offset, char *buffer, std::size_t length) const;

private:
    int fd_ = -1;
    ObjectMeta meta_;
};
