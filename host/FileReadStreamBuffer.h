#pragma once

#include <QString>

#include <cpprest/astreambuf.h>
#include <cpprest/streams.h>

#include <cstdint>
#include <memory>

// A read-only stream buffer over a local file for request bodies. The HTTP client asks for each
// piece of the body straight into its own send buffer, and this buffer reads the file into it on
// the spot: no buffer of its own, no copy, no allocation per piece, so an upload of any size keeps
// the process's memory flat. (The library's own file buffer hands every piece through freshly
// allocated memory on pool threads, which the allocator keeps per thread.)
class FileReadStreamBuffer : public concurrency::streams::details::streambuf_state_manager<uint8_t>
{
public:
    // An input stream of the whole file, or a null stream (no error thrown) when it cannot be
    // opened; size then holds 0.
    static concurrency::streams::istream Open(const QString& path, uint64_t& size);

    FileReadStreamBuffer(int fd, uint64_t size);
    ~FileReadStreamBuffer() override;

    bool can_seek() const override { return is_open(); }
    bool has_size() const override { return true; }
    utility::size64_t size() const override { return m_size; }
    size_t buffer_size(std::ios_base::openmode) const override { return 0; }
    void set_buffer_size(size_t, std::ios_base::openmode) override {}
    size_t in_avail() const override { return 0; }
    pos_type getpos(std::ios_base::openmode direction) const override;
    pos_type seekpos(pos_type pos, std::ios_base::openmode direction) override;
    pos_type seekoff(off_type offset, std::ios_base::seekdir way, std::ios_base::openmode mode) override;
    bool acquire(uint8_t*& ptr, size_t& count) override;
    void release(uint8_t*, size_t) override {}

protected:
    pplx::task<int_type> _putc(uint8_t) override { return pplx::task_from_result<int_type>(traits::eof()); }
    pplx::task<size_t> _putn(const uint8_t*, size_t) override { return pplx::task_from_result<size_t>(0); }
    pplx::task<int_type> _bumpc() override { return pplx::task_from_result<int_type>(_sbumpc()); }
    int_type _sbumpc() override;
    pplx::task<int_type> _getc() override { return pplx::task_from_result<int_type>(_sgetc()); }
    int_type _sgetc() override;
    pplx::task<int_type> _nextc() override;
    pplx::task<int_type> _ungetc() override;
    pplx::task<size_t> _getn(uint8_t* ptr, size_t count) override;
    size_t _scopy(uint8_t* ptr, size_t count) override;
    pplx::task<bool> _sync() override { return pplx::task_from_result(true); }
    uint8_t* _alloc(size_t) override { return nullptr; }
    void _commit(size_t) override {}
    pplx::task<void> _close_read() override;

private:
    // Reads at the position without moving it; -1 on a read error.
    int64_t ReadAt(uint8_t* ptr, size_t count, uint64_t position) const;
    void CloseFile();

    int m_fd = -1;
    uint64_t m_size = 0;
    uint64_t m_position = 0;
};
