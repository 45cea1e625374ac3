#pragma once

#include <cstddef>
#include <string>

struct evp_md_ctx_st;

// MD5 of a body that arrives piece by piece, so a large upload is checked without being held.
class Md5Accumulator {
public:
    Md5Accumulator();
    ~Md5Accumulator();
    Md5Accumulator(const Md5Accumulator &) = delete;
    Md5Accumulator &operator=(const Md5Accumulator &) = delete;

    void Add(const char *data, std::size_t length);
    // The 16 raw digest bytes; call once, after the last Add().
    std::string Finish();

private:
    evp_md_ctx_st *context_ = nullptr;
};
