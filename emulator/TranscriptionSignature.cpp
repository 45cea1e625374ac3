#include "TranscriptionSignature.h"

#include "Digest.h"

namespace TranscriptionSignature {

std::string Sign(const std::string &appId, const std::string &key, const std::string &ts)
{
    return Digest::Base64Encode(Digest::HmacSha1(key, Digest::Hex(Digest::Md5(appId + ts))));
}

}  // namespace TranscriptionSignature
