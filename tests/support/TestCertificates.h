#pragma once

#include <QTemporaryDir>

#include <string>

// A certificate for 127.0.0.1 and its key, as PEM files.
struct TlsIdentity
{
    std::string certFile;
    std::string keyFile;
};

// The certificates a process's HTTPS servers present, made once: one the tests' settings trust
// through CaFile, and a stranger that no authority on the machine or in the settings signed. Both
// are self-signed, as the local services' own is, and both name 127.0.0.1 correctly, so the one
// thing that tells them apart is who trusts them.
class TestCertificates
{
public:
    static const TestCertificates& Get();

    const TlsIdentity& Trusted() const { return m_trusted; }
    const TlsIdentity& Stranger() const { return m_stranger; }
    // What the settings name as CaFile.
    const std::string& CaFile() const { return m_trusted.certFile; }

private:
    TestCertificates();

    QTemporaryDir m_folder;
    TlsIdentity m_trusted;
    TlsIdentity m_stranger;
};
