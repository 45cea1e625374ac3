#include "RandomText.h"

#include <random>
#include <string_view>

namespace RandomText {

namespace {

std::string Draw(std::string_view alphabet, std::size_t length)
{
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        out += alphabet[pick(engine)];
    return out;
}

}  // namespace

std::string Hex(std::size_t length) { return Draw("0123456789abcdef", length); }

std::string Alphanumeric(std::size_t length)
{
    return Draw("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", length);
}

}  // namespace RandomText
