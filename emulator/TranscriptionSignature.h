#pragma once

#include <string>

// The signature every request of the file-transcription service carries:
// signa = Base64(HMAC-SHA1(key, lower-case hex MD5(app_id + ts))).
namespace TranscriptionSignature {

std::string Sign(const std::string &appId, const std::string &key, const std::string &ts);

}  // namespace TranscriptionSignature
