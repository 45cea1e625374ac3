#pragma once

#include <cpprest/details/basic_types.h>

#include <cstdint>

namespace nsWtt {

// What every request of the file-transcription service carries afresh.
struct stCommonParam
{
    utility::string_t ts;    // the request time, whole seconds since 1970 UTC, decimal
    utility::string_t signa; // Base64 of HMAC-SHA1(key, MD5 hex of application id + ts)
};

// Fills param for the given second; 0, or -1 when a digest cannot be computed.
int32_t MakeCommonParam(const utility::string_t& appId, const utility::string_t& key, int64_t seconds,
                        stCommonParam& param);

} // namespace nsWtt
