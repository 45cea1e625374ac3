#include "subtitles/WttSignature.h"

#include "host/QOVDigest.h"
#include "host/ZBase64.h"

#include <QByteArray>
#include <QString>

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <string>

namespace nsWtt {

int32_t MakeCommonParam(const utility::string_t& appId, const utility::string_t& key, int64_t seconds,
                        stCommonParam& param)
{
    const utility::string_t ts = std::to_string(seconds);
    const QByteArray digest = MD5String((appId + ts).c_str()).toLatin1();
    if (digest.size() != 32)
        return -1;
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!HMAC(EVP_sha1(), key.data(), int(key.size()), reinterpret_cast<const unsigned char*>(digest.constData()),
              size_t(digest.size()), mac, &length) ||
        length != 20)
        return -1;
    param.ts = ts;
    param.signa = ZBase64::Encode(mac, int(length)).toStdString();
    return 0;
}

} // namespace nsWtt
