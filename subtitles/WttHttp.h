#pragma once

#include "service/RequestFailure.h"
#include "subtitles/WttParams.h"

#include <cpprest/details/basic_types.h>
#include <pplx/pplxtasks.h>

#include <cstdint>

// The two ways a request reaches the file-transcription service. Both make a new client on the
// base address with the library's default configuration (its 30-second time-out bounds every
// wait), return 0 with the reply's body text for status 200 and -1 for any other status, a
// transport failure, a body cut off or one larger than the JSON reply limit; nothing throws. When
// a request fails, failure (if given) says how, in the words the other clients use.
namespace WttHttp {

// A POST whose parameters travel only in the query, in the map's order, encoded as
// web::uri_builder::append_query encodes by default; form content type, empty body.
int32_t PostFormRequest(const utility::string_t& baseUrl, const utility::string_t& path,
                        const nsWtt::ParamMap& params, utility::string_t& reply,
                        const pplx::cancellation_token& cancel = pplx::cancellation_token::none(),
                        RequestFailure* failure = nullptr);

// A POST of a multipart body: the parameter named "content" is the file part (its value the
// file's path), the others text parts; names and values go in code page 936. The body is built
// once and streamed from that one buffer. A file that cannot be read fails the request.
int32_t PostMultipartRequest(const utility::string_t& baseUrl, const utility::string_t& path,
                             const nsWtt::ParamMap& params, utility::string_t& reply,
                             const pplx::cancellation_token& cancel = pplx::cancellation_token::none(),
                             RequestFailure* failure = nullptr);

} // namespace WttHttp
