#include "ObjectStore.h"

#include "Digest.h"
#include "Md5Accumulator.h"
#include "RandomText.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace {

constexpr std::size_t kTempNameLength = 24;

bool WriteAll(int fd, const char *data, std::size_t length, off_t offset)
{
    while (length > 0) {
        const auto written = pwrite(fd, data, length, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        length -= static_cast<std::size_t>(written);
        offset += written;
    }
    return true;
}

// The file being written; removed unless it was renamed into place.
class IncomingFile {
public:
    explicit IncomingFile(std::filesystem::path path)
        : path_(std::move(path)), fd_(open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600))
    {
    }
    ~IncomingFile()
    {
        if (fd_ >= 0)
            close(fd_);
        if (!kept_) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
    }
    IncomingFile(const IncomingFile &) = delete;
    IncomingFile &operator=(const IncomingFile &) = delete;

    int Fd() const { return fd_; }
    bool MoveTo(const std::filesystem::path &target)
    {
        if (close(std::exchange(fd_, -1)) != 0)
            return false;
        kept_ = std::rename(path_.c_str(), target.c_str()) == 0;
        return kept_;
    }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    bool kept_ = false;
};

std::string ErrnoText() { return std::strerror(errno); }

}  // namespace

ObjectStore::ObjectStore(std::filesystem::path folder) : objects_(folder / "objects"), incoming_(folder / "incoming")
{
    std::error_code error;
    std::filesystem::create_directories(objects_, error);
    if (!error)
        std::filesystem::create_directories(incoming_, error);
    if (error)
        throw std::runtime_error("the object store cannot use " + folder.string() + ": " + error.message());
}

ObjectStore::PutResult ObjectStore::Put(const std::string &key, const std::string &contentType,
                                        const std::optional<std::string> &expectedMd5, const Feed &feed)
{
    PutResult result;
    IncomingFile file(incoming_ / RandomText::Hex(kTempNameLength));
    if (file.Fd() < 0) {
        result.error = "cannot create a file for the object: " + ErrnoText();
        return result;
    }

    Md5Accumulator md5;
    std::uint64_t size = 0;
    bool diskFailed = false;
    bool tooLarge = false;
    const bool complete = feed([&](const char *data, std::size_t length) {
        if (size + length > kMaxObjectBytes) {
            tooLarge = true;
            return false;
        }
        if (!WriteAll(file.Fd(), data, length, static_cast<off_t>(ObjectMeta::kBlockBytes + size))) {
            diskFailed = true;
            return false;
        }
        md5.Add(data, length);
        size += length;
        return true;
    });
    if (tooLarge) {
        result.status = PutStatus::TooLarge;
        result.error = "the object is larger than " + std::to_string(kMaxObjectBytes) + " bytes";
        return result;
    }
    if (diskFailed) {
        result.error = "cannot write the object: " + ErrnoText();
        return result;
    }
    if (!complete) {
        result.status = PutStatus::BodyFailed;
        result.error = "the request body ended before its announced length";
        return result;
    }

    const std::string digest = md5.Finish();
    if (expectedMd5 && *expectedMd5 != digest) {
        result.status = PutStatus::DigestMismatch;
        result.error = "the Content-MD5 you specified did not match what was received";
        return result;
    }
    result.meta.key = key;
    result.meta.contentType = contentType;
    result.meta.etag = Digest::Hex(digest);
    result.meta.size = size;
    result.meta.modified =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    const auto block = result.meta.ToBlock();
    if (!block) {
        result.error = "the object's key and content type are too long to keep";
        return result;
    }
    if (!WriteAll(file.Fd(), block->data(), block->size(), 0) || !file.MoveTo(PathOf(key))) {
        result.error = "cannot store the object: " + ErrnoText();
        return result;
    }
    result.status = PutStatus::Stored;
    return result;
}

std::optional<StoredObject> ObjectStore::Open(const std::string &key) const
{
    const int fd = open(PathOf(key).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string block(ObjectMeta::kBlockBytes, '\0');
    const auto got = pread(fd, block.data(), block.size(), 0);
    auto meta = got == static_cast<ssize_t>(block.size()) ? ObjectMeta::FromBlock(block) : std::nullopt;
    // Keys are stored beside their hash, so a file of another key is never taken for this one.
    if (!meta || meta->key != key) {
        close(fd);
        return std::nullopt;
    }
    return StoredObject(fd, std::move(*meta));
}

bool ObjectStore::Remove(const std::string &key)
{
    std::error_code ignored;
    return std::filesystem::remove(PathOf(key), ignored);
}

std::filesystem::path ObjectStore::PathOf(const std::string &key) const
{
    return objects_ / (Digest::Hex(Digest::Sha256(key)) + ".object");
}
