#include "subtitles/MultipartFormBuilder.h"

#include "mediakit/CodePage936.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An open file part: its descriptor closes with it.
class OpenFile
{
public:
    explicit OpenFile(const std::string& cp936Path)
    {
        const std::string path = CodePage936::ToUtf8(cp936Path);
        if (path.empty())
            return;
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat status;
        if (m_fd >= 0 && (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode))) {
            ::close(m_fd);
            m_fd = -1;
        } else if (m_fd >= 0) {
            m_size = size_t(status.st_size);
        }
    }
    ~OpenFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    OpenFile(OpenFile&& other) noexcept : m_fd(other.m_fd), m_size(other.m_size) { other.m_fd = -1; }

    bool IsOpen() const { return m_fd >= 0; }
    size_t Size() const { return m_size; }

    // Reads exactly Size() bytes into at; false when the file ends early or a read fails.
    bool ReadInto(char* at) const
    {
        size_t done = 0;
        while (done < m_size) {
            const ssize_t got = ::read(m_fd, at + done, m_size - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            done += size_t(got);
        }
        return true;
    }

private:
    int m_fd = -1;
    size_t m_size = 0;
};

std::string FilePartHeader(const std::string& boundary, const std::string& name, const std::string& path)
{
    const std::string fileName = MultipartFormBuilder::FileNameOf(path);
    return "\r\n--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"; filename=\"" + fileName +
           "\"\r\nContent-Type: " + MultipartFormBuilder::ContentTypeOf(fileName) + "\r\n\r\n";
}

} // namespace

MultipartFormBuilder::MultipartFormBuilder()
{
    m_boundary = kBoundaryPrefix;
    const size_t alphabet = std::strlen(kBoundaryAlphabet);
    for (int i = 0; i < kBoundaryRandomLength; ++i)
        m_boundary += kBoundaryAlphabet[size_t(std::rand()) % alphabet];
}

void MultipartFormBuilder::AddTextPart(std::string name, std::string value)
{
    m_textParts.emplace_back(std::move(name), std::move(value));
}

void MultipartFormBuilder::AddFilePart(std::string name, std::string path)
{
    m_fileParts.emplace_back(std::move(name), std::move(path));
}

std::string MultipartFormBuilder::ContentType() const
{
    return "multipart/form-data; boundary=" + m_boundary;
}

bool MultipartFormBuilder::Build()
{
    m_body.clear();
    m_body.shrink_to_fit();
    std::vector<OpenFile> files;
    std::vector<std::string> headers;
    size_t total = 0;
    for (const auto& [name, value] : m_textParts) {
        headers.push_back("\r\n--" + m_boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n");
        total += headers.back().size() + value.size();
    }
    for (const auto& [name, path] : m_fileParts) {
        files.emplace_back(path);
        if (!files.back().IsOpen())
            return false;
        headers.push_back(FilePartHeader(m_boundary, name, path));
        total += headers.back().size() + files.back().Size();
    }
    const std::string closing = "\r\n--" + m_boundary + "--\r\n";
    total += closing.size();

    std::string body;
    body.reserve(total);
    size_t header = 0;
    for (const auto& part : m_textParts)
        body.append(headers[header++]).append(part.second);
    for (const OpenFile& file : files) {
        body.append(headers[header++]);
        const size_t at = body.size();
        body.resize(at + file.Size());
        if (!file.ReadInto(body.data() + at))
            return false;
    }
    body.append(closing);
    m_body = std::move(body);
    return true;
}

std::string MultipartFormBuilder::FileNameOf(const std::string& path)
{
    const size_t separator = CodePage936::LastSeparator(path);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string MultipartFormBuilder::ContentTypeOf(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "jpg" || extension == "jpeg")
        return "image/jpeg";
    if (extension == "txt" || extension == "log")
        return "text/plain";
    return "application/octet-stream";
}
