#include "BodySpool.h"

#include "RandomText.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace {

constexpr std::size_t kNameLength = 24;

}  // namespace

BodySpool::BodySpool(const std::filesystem::path &folder) : path_(folder / ("body-" + RandomText::Hex(kNameLength)))
{
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}

BodySpool::~BodySpool()
{
    if (mapped_ != nullptr)
        munmap(mapped_, size_);
    if (fd_ >= 0)
        close(fd_);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

BodySpool::Status BodySpool::Receive(const httplib::ContentReader &reader, std::uint64_t maxBytes)
{
    bool tooLarge = false;
    bool diskFailed = fd_ < 0;
    const bool whole = reader([&](const char *data, std::size_t length) {
        if (diskFailed)
            return false;
        if (size_ + length > maxBytes) {
            tooLarge = true;
            return false;
        }
        while (length > 0) {
            const auto written = write(fd_, data, length);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                diskFailed = true;
                return false;
            }
            data += written;
            length -= static_cast<std::size_t>(written);
            size_ += static_cast<std::uint64_t>(written);
        }
        return true;
    });
    if (tooLarge)
        return Status::TooLarge;
    if (diskFailed)
        return Status::DiskFailed;
    return whole ? Status::Whole : Status::Broken;
}

std::string_view BodySpool::Bytes()
{
    if (size_ == 0 || fd_ < 0)
        return {};
    if (mapped_ == nullptr) {
        void *mapped = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
        if (mapped == MAP_FAILED)
            return {};
        mapped_ = mapped;
    }
    return {static_cast<const char *>(mapped_), size_};
}
