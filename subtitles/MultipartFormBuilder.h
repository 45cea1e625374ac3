#pragma once

#include <string>
#include <utility>
#include <vector>

// One multipart/form-data body, byte for byte as the transcription service's upload reads it: a
// CR LF before the first delimiter, all text parts before all file parts, each file read whole
// into the body, and the closing delimiter. Names, values and paths are byte strings (code page
// 936 for the upload).
class MultipartFormBuilder
{
public:
    static constexpr const char* kBoundaryPrefix = "----CppRestSdkClient";
    static constexpr const char* kBoundaryAlphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static constexpr int kBoundaryRandomLength = 16;

    // Makes the boundary from the runtime's rand(), which the module leaves unseeded.
    MultipartFormBuilder();

    void AddTextPart(std::string name, std::string value);
    void AddFilePart(std::string name, std::string path);

    // Builds the body once, reserving its whole size before the files are read into it, so a
    // large file is held once. False, with an empty body, when a file cannot be opened or read.
    bool Build();
    const std::string& Body() const { return m_body; }
    const std::string& Boundary() const { return m_boundary; }
    // "multipart/form-data; boundary=" and the boundary.
    std::string ContentType() const;

    // The name after the last "/" or "\" of a path; the whole path without either.
    static std::string FileNameOf(const std::string& path);
    // By the name's extension, ignoring case: JPEG pictures, plain texts, else binary data.
    static std::string ContentTypeOf(const std::string& fileName);

private:
    std::string m_boundary;
    std::string m_body;
    std::vector<std::pair<std::string, std::string>> m_textParts;
    std::vector<std::pair<std::string, std::string>> m_fileParts;
};
