#pragma once

#include "support/FakeServer.h"

#include <cstddef>
#include <memory>
#include <string>

// The ways a service fails one request in the fault matrices.
enum class Fault
{
    Refused,        // nothing listens: the connection is refused
    Status500,      // an error page with status 500
    Slow,           // no reply before the client's request time-out
    NotJson,        // status 200 with an HTML page
    WrongTypes,     // status 200 with the expected members, wrongly typed
    Truncated,      // status 200 with the body cut in half, framed as if complete
    ClosedMidReply, // status 200 announcing the whole body; half of it comes, then the connection closes
    Huge,           // status 200 with a 50 MB body
    // Over HTTPS only: the good reply behind a certificate nobody trusts, or behind one the
    // settings' CaFile trusts.
    UntrustedCertificate,
    TrustedThroughCaFile,
};

const char* FaultName(Fault fault);

struct HugeProgress;

// A fake server that holds its port for its whole life, so that it can stop listening (connections
// are refused, no other socket can take the port) and listen again at the same address. Serves a
// route with a fault instead of its good reply. Given an identity, it speaks HTTPS and presents it.
class FaultyServer
{
public:
    static constexpr size_t kHugeBytes = size_t(50) << 20;

    explicit FaultyServer(const TlsIdentity* tls = nullptr);
    ~FaultyServer();
    FaultyServer(const FaultyServer&) = delete;
    FaultyServer& operator=(const FaultyServer&) = delete;

    // The listener now: routes and records.
    FakeServer& Server() { return *m_server; }
    std::string Url(const std::string& path) const;
    int Port() const { return m_port; }

    // Listening again, with no routes, records or stalls.
    void Reset() { Relisten(m_tls); }
    // Connections are refused from now until Reset().
    void Refuse() { m_server->StopListening(); }
    // Answers method+path with its good reply, and refuses connections once that reply is out.
    void ReplyThenRefuse(const std::string& method, const std::string& path, const std::string& good,
                         const std::string& contentType = "application/json");
    // Takes one PUT of an object under prefix, and refuses connections once it has answered.
    void StoreThenRefuse(const std::string& prefix);
    // Answers method+path with fault applied to its good reply. wrongTypes is the reply whose members
    // have the wrong types; Refused makes the whole server refuse, UntrustedCertificate makes it
    // listen again behind a stranger's certificate (the routes scripted before are gone).
    void Serve(const std::string& method, const std::string& path, Fault fault, const std::string& good,
               const std::string& wrongTypes, const std::string& contentType = "application/json");
    // The same for every path under prefix that has no route of its own (object keys made of new
    // GUIDs).
    void ServePrefix(const std::string& method, const std::string& prefix, Fault fault, const std::string& good,
                     const std::string& wrongTypes, const std::string& contentType = "application/json");
    // Answers every path under prefix with status and a body of kHugeBytes, which a client that
    // only needs the status should not read.
    void ServeHugeStatus(const std::string& method, const std::string& prefix, int status);
    // Waits (at most FakeServer::kStallLimit) until the last huge body served has been sent whole
    // or the client stopped receiving it, and returns the bytes that went out: short of kHugeBytes
    // when the client closed the connection instead of reading on.
    size_t HugeBytesSent() const;

private:
    // Listening again at the port, presenting tls (nothing: plain HTTP), with no routes or records.
    void Relisten(const TlsIdentity* tls);
    // Refuses for Refused (and returns no handler: it is no route), puts a stranger's certificate in
    // place for UntrustedCertificate, and returns the handler of fault.
    FakeServer::Handler Prepare(Fault fault, const std::string& good, const std::string& wrongTypes,
                                const std::string& contentType);

    const TlsIdentity* m_tls = nullptr;
    int m_reserve = -1; // bound, never listening: keeps the port ours
    int m_port = 0;
    std::unique_ptr<FakeServer> m_server;
    std::shared_ptr<HugeProgress> m_huge;
};
