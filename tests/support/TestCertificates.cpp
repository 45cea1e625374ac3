#include "support/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

template <typename T, void (*Free)(T*)>
struct Freed
{
    void operator()(T* p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Freed<EVP_PKEY, EVP_PKEY_free>>;
using Cert = std::unique_ptr<X509, Freed<X509, X509_free>>;
using File = std::unique_ptr<FILE, int (*)(FILE*)>;

bool AddExtension(X509* cert, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    const bool added = extension && X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

TlsIdentity Make(const QTemporaryDir& folder, const char* stem, long serial)
{
    const TlsIdentity identity{folder.filePath(QStringLiteral("%1.pem").arg(QLatin1String(stem))).toStdString(),
                               folder.filePath(QStringLiteral("%1.key").arg(QLatin1String(stem))).toStdString()};
    Key key(EVP_EC_gen("P-256"));
    Cert cert(X509_new());
    if (!key || !cert)
        throw std::runtime_error("cannot make a test certificate");
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 7L * 24 * 3600);
    X509_set_pubkey(cert.get(), key.get());
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1,
                               0);
    X509_set_issuer_name(cert.get(), name);
    if (!AddExtension(cert.get(), NID_basic_constraints, "critical,CA:TRUE") ||
        !AddExtension(cert.get(), NID_subject_alt_name, "IP:127.0.0.1") ||
        X509_sign(cert.get(), key.get(), EVP_sha256()) == 0)
        throw std::runtime_error("cannot sign a test certificate");
    File certFile(std::fopen(identity.certFile.c_str(), "w"), &std::fclose);
    File keyFile(std::fopen(identity.keyFile.c_str(), "w"), &std::fclose);
    if (!certFile || !keyFile || PEM_write_X509(certFile.get(), cert.get()) != 1 ||
        PEM_write_PrivateKey(keyFile.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        throw std::runtime_error("cannot write a test certificate");
    return identity;
}

} // namespace

const TestCertificates& TestCertificates::Get()
{
    static const TestCertificates certificates;
    return certificates;
}

TestCertificates::TestCertificates()
{
    if (!m_folder.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    m_trusted = Make(m_folder, "trusted", 1);
    m_stranger = Make(m_folder, "stranger", 2);
}
