#pragma once

#include <QString>

// MD5 digest of a NUL-terminated byte string, as 32 lower-case hexadecimal characters.
QString MD5String(const char* text);
