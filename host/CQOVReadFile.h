#pragma once

#include <QString>

#include <memory>

class QFile;

// A UTF-8 text file opened for writing (mode 0: created or truncated) or reading (mode 1).
class CQOVReadFile
{
public:
    enum Mode { ModeWrite = 0, ModeRead = 1 };

    CQOVReadFile();
    ~CQOVReadFile();
    CQOVReadFile(const CQOVReadFile&) = delete;
    CQOVReadFile& operator=(const CQOVReadFile&) = delete;

    // Non-zero when the file is open afterwards; an open file is closed first.
    int Open(const QString& path, int mode);
    // Writes the text as UTF-8 (no byte-order mark). Non-zero when every byte was written.
    int WriteString(const QString& text);
    // Reads the next line without its line break ("\n" or "\r\n"). Non-zero while a line was read;
    // a byte-order mark at the start of the file is skipped.
    int ReadString(QString& out);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

private:
    std::unique_ptr<QFile> m_file;
    bool m_firstLine = true;
};
