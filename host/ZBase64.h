#pragma once

#include <QString>

// Standard Base64 (with padding, no line breaks).
class ZBase64
{
public:
    static QString Encode(const unsigned char* data, int length);
};
