#include "host/CertificateCheck.h"

#include "host/NetworkSettings.h"

#include <QFileInfo>

#include <cpprest/http_client.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <stdexcept>

namespace CertificateCheck {

const char* const kRefusedFormat =
    "服务的证书未通过校验：%s，请求没有发出；服务使用私有证书时，请在配置文件的[Network]中用CaFile指定签发它的证书";
const char* const kSecureConnectionFailedFormat = "与服务的加密连接失败（%s），请检查服务地址和它的https设置";
const char* const kCaFileUnreadableFormat = "配置文件[Network]中CaFile指定的证书文件“%s”无法读取";
const char* const kCaFileHoldsNoCertificateFormat = "配置文件[Network]中CaFile指定的文件“%s”不含证书";

namespace {

std::string Filled(const char* format, const std::string& text)
{
    std::string filled = format;
    filled.replace(filled.find("%s"), 2, text);
    return filled;
}

// A refused certificate reaches the requester only as the number of the TLS library's first error
// of the handshake. The verification's own reason is put first, under a library number of ours, so
// that it survives the trip and can be told in words.
int ReasonLibrary()
{
    static const int library = ERR_get_next_error_library();
    return library;
}

int VerifyChain(X509_STORE_CTX* store, void*)
{
    const int verified = X509_verify_cert(store);
    if (verified > 0)
        return verified;
    int reason = X509_STORE_CTX_get_error(store);
    if (reason == X509_V_OK)
        reason = X509_V_ERR_UNSPECIFIED;
    ERR_clear_error();
    ERR_raise(ReasonLibrary(), reason);
    return verified;
}

// The problem as a user would say it, then the TLS library's own words.
std::string ProblemWords(int reason)
{
    const char* said = "证书无效";
    switch (reason) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        said = "证书是自签名的";
        break;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        said = "签发证书的机构不受信任";
        break;
    case X509_V_ERR_CERT_HAS_EXPIRED:
        said = "证书已过期";
        break;
    case X509_V_ERR_CERT_NOT_YET_VALID:
        said = "证书尚未生效";
        break;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        said = "证书上的名称与服务地址不符";
        break;
    default:
        break;
    }
    return std::string(said) + "（" + X509_verify_cert_error_string(reason) + "）";
}

} // namespace

void Configure(web::http::client::http_client_config& config, const std::string& host)
{
    const NetworkSettings& settings = LoadNetworkSettings();
    config.set_validate_certificates(settings.verifyCertificates);
    if (!settings.verifyCertificates)
        return;
    const std::string caFile = settings.caFile.toStdString();
    if (!caFile.empty() && !QFileInfo(settings.caFile).isReadable())
        throw std::runtime_error(Filled(kCaFileUnreadableFormat, caFile));
    // The address's brackets are no part of an IPv6 address.
    std::string name = host;
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    config.set_ssl_context_callback([name, caFile](boost::asio::ssl::context& context) {
        SSL_CTX* ssl = context.native_handle();
        if (!caFile.empty() && SSL_CTX_load_verify_locations(ssl, caFile.c_str(), nullptr) != 1) {
            // Readable it was a moment ago: what it holds is no certificate.
            ERR_clear_error();
            throw std::runtime_error(Filled(kCaFileHoldsNoCertificateFormat, caFile));
        }
        // The name is checked by the verification itself, so a mismatch has its own reason.
        X509_VERIFY_PARAM* param = SSL_CTX_get0_param(ssl);
        if (X509_VERIFY_PARAM_set1_ip_asc(param, name.c_str()) != 1)
            X509_VERIFY_PARAM_set1_host(param, name.c_str(), name.size());
        ERR_clear_error();
        SSL_CTX_set_cert_verify_callback(ssl, &VerifyChain, nullptr);
    });
}

std::optional<std::string> SecureConnectionFailure(const std::exception& error)
{
    const auto* http = dynamic_cast<const web::http::http_exception*>(&error);
    if (!http)
        return std::nullopt;
    // The TLS library's numbers carry their library above the reason; the system's are small.
    const unsigned long code = static_cast<unsigned int>(http->error_code().value());
    if (code <= ERR_REASON_MASK)
        return std::nullopt;
    if (ERR_GET_LIB(code) == ReasonLibrary())
        return Filled(kRefusedFormat, ProblemWords(ERR_GET_REASON(code)));
    const char* words = ERR_reason_error_string(code);
    return Filled(kSecureConnectionFailedFormat, words ? words : http->what());
}

} // namespace CertificateCheck
