#include "host/FileReadStreamBuffer.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

concurrency::streams::istream FileReadStreamBuffer::Open(const QString& path, uint64_t& size)
{
    size = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return concurrency::streams::istream();
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return concurrency::streams::istream();
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    size = uint64_t(status.st_size);
    auto buffer = std::make_shared<FileReadStreamBuffer>(fd, size);
    return concurrency::streams::streambuf<uint8_t>(buffer).create_istream();
}

FileReadStreamBuffer::FileReadStreamBuffer(int fd, uint64_t size)
    : streambuf_state_manager<uint8_t>(std::ios_base::in)
    , m_fd(fd)
    , m_size(size)
{
}

FileReadStreamBuffer::~FileReadStreamBuffer()
{
    CloseFile();
}

void FileReadStreamBuffer::CloseFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

pplx::task<void> FileReadStreamBuffer::_close_read()
{
    CloseFile();
    return streambuf_state_manager<uint8_t>::_close_read();
}

int64_t FileReadStreamBuffer::ReadAt(uint8_t* ptr, size_t count, uint64_t position) const
{
    if (m_fd < 0)
        return -1;
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(m_fd, ptr + done, count - done, off_t(position + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += size_t(got);
    }
    return int64_t(done);
}

FileReadStreamBuffer::pos_type FileReadStreamBuffer::getpos(std::ios_base::openmode direction) const
{
    if (!(direction & std::ios_base::in) || !is_open())
        return pos_type(traits::eof());
    return pos_type(off_type(m_position));
}

FileReadStreamBuffer::pos_type FileReadStreamBuffer::seekpos(pos_type pos, std::ios_base::openmode direction)
{
    const off_type target = off_type(pos);
    if (!(direction & std::ios_base::in) || !is_open() || target < 0 || uint64_t(target) > m_size)
        return pos_type(traits::eof());
    m_position = uint64_t(target);
    return pos;
}

FileReadStreamBuffer::pos_type FileReadStreamBuffer::seekoff(off_type offset, std::ios_base::seekdir way,
                                                             std::ios_base::openmode mode)
{
    const off_type base = way == std::ios_base::beg ? 0 : way == std::ios_base::cur ? off_type(m_position)
                                                                                     : off_type(m_size);
    return seekpos(pos_type(base + offset), mode);
}

bool FileReadStreamBuffer::acquire(uint8_t*& ptr, size_t& count)
{
    ptr = nullptr;
    count = 0;
    return false;
}

FileReadStreamBuffer::int_type FileReadStreamBuffer::_sgetc()
{
    uint8_t byte = 0;
    return ReadAt(&byte, 1, m_position) == 1 ? int_type(byte) : traits::eof();
}

FileReadStreamBuffer::int_type FileReadStreamBuffer::_sbumpc()
{
    const int_type c = _sgetc();
    if (c != traits::eof())
        ++m_position;
    return c;
}

pplx::task<FileReadStreamBuffer::int_type> FileReadStreamBuffer::_nextc()
{
    if (m_position < m_size)
        ++m_position;
    return pplx::task_from_result<int_type>(_sgetc());
}

pplx::task<FileReadStreamBuffer::int_type> FileReadStreamBuffer::_ungetc()
{
    if (m_position == 0)
        return pplx::task_from_result<int_type>(traits::eof());
    --m_position;
    return pplx::task_from_result<int_type>(_sgetc());
}

pplx::task<size_t> FileReadStreamBuffer::_getn(uint8_t* ptr, size_t count)
{
    const int64_t got = ReadAt(ptr, count, m_position);
    if (got < 0)
        return pplx::task_from_exception<size_t>(
            std::make_exception_ptr(std::system_error(errno, std::generic_category(), "cannot read the file")));
    m_position += uint64_t(got);
    return pplx::task_from_result<size_t>(size_t(got));
}

size_t FileReadStreamBuffer::_scopy(uint8_t* ptr, size_t count)
{
    const int64_t got = ReadAt(ptr, count, m_position);
    return got < 0 ? 0 : size_t(got);
}
