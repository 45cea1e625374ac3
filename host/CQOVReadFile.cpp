#include "host/CQOVReadFile.h"

#include <QFile>

CQOVReadFile::CQOVReadFile() = default;

CQOVReadFile::~CQOVReadFile() = default;

int CQOVReadFile::Open(const QString& path, int mode)
{
    Close();
    if (path.isEmpty() || (mode != ModeWrite && mode != ModeRead))
        return 0;
    auto file = std::make_unique<QFile>(path);
    const QIODevice::OpenMode flags =
        mode == ModeWrite ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::ReadOnly;
    if (!file->open(flags))
        return 0;
    m_file = std::move(file);
    m_firstLine = true;
    return 1;
}

int CQOVReadFile::WriteString(const QString& text)
{
    if (!m_file || !m_file->isWritable())
        return 0;
    const QByteArray bytes = text.toUtf8();
    return m_file->write(bytes) == bytes.size() ? 1 : 0;
}

int CQOVReadFile::ReadString(QString& out)
{
    if (!m_file || !m_file->isReadable() || m_file->atEnd())
        return 0;
    QByteArray line = m_file->readLine();
    if (m_firstLine && line.startsWith("\xEF\xBB\xBF"))
        line.remove(0, 3);
    m_firstLine = false;
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    out = QString::fromUtf8(line);
    return 1;
}

void CQOVReadFile::Close()
{
    m_file.reset();
}

