#pragma once

#include <cstddef>
#include <string>

// Identifiers that only need to be unpredictable enough that two runs never collide.
namespace RandomText {

std::string Hex(std::size_t length);
std::string Alphanumeric(std::size_t length);

}  // namespace RandomText
