#include "subtitles/MultipartFormBuilder.h"

#include "mediakit/CodePage936.h"

#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <deque>

namespace {

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
    std::deque<QFile> files;
    std::vector<std::string> headers;
    size_t total = 0;
    for (const auto& [name, value] : m_textParts) {
        headers.push_back("\r\n--" + m_boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n");
        total += headers.back().size() + value.size();
    }
    for (const auto& [name, path] : m_fileParts) {
        QFile& file = files.emplace_back(QString::fromStdString(CodePage936::ToUtf8(path)));
        // Only a regular file says how many bytes it holds before they are read.
        if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
            return false;
        headers.push_back(FilePartHeader(m_boundary, name, path));
        total += headers.back().size() + size_t(file.size());
    }
    const std::string closing = "\r\n--" + m_boundary + "--\r\n";
    total += closing.size();

    std::string body;
    body.reserve(total);
    size_t header = 0;
    for (const auto& part : m_textParts)
        body.append(headers[header++]).append(part.second);
    for (QFile& file : files) {
        body.append(headers[header++]);
        const size_t at = body.size();
        const qint64 size = file.size();
        body.resize(at + size_t(size));
        if (file.read(body.data() + at, size) != size)
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
