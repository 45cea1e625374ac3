#include "StoredObject.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

StoredObject::StoredObject(int fd, ObjectMeta meta) : fd_(fd), meta_(std::move(meta)) {}

StoredObject::~StoredObject()
{
    if (fd_ >= 0)
        close(fd_);
}

StoredObject::StoredObject(StoredObject &&other) noexcept : fd_(std::exchange(other.fd_, -1)), meta_(std::move(other.meta_))
{
}

StoredObject &StoredObject::operator=(StoredObject &&other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        meta_ = std::move(other.meta_);
    }
    return *this;
}

long long StoredObject::Read(std::uint64_t offset, char *buffer, std::size_t length) const
{
    if (offset >= meta_.size)
        return 0;
    length = static_cast<std::size_t>(std::min<std::uint64_t>(length, meta_.size - offset));
    std::size_t done = 0;
    while (done < length) {
        const auto got = pread(fd_, buffer + done, length - done, static_cast<off_t>(ContentOffset() + offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(done);
}
