#pragma once
// One HTTP exchange as three nested handles: the internet handle (agent and
// proxy), the connection (host and port) and the request (verb, path, flags).
// Each is opened from its parent and must be closed before it; destroying the
// objects newest first does exactly that. Backed by libcurl's easy interface.

#include <cstdint>
#include <memory>

#include "common/Text.h"

namespace tallowin::platform {

using common::Bytes;
using common::Text;

// Request flags, with the values callers of the request operation know them by.
enum RequestFlag : std::uint32_t {
    kFlagReload = 0x80000000,                // never answered from a cache
    kFlagNeedFile = 0x00000010,              // nothing to do: bodies are kept in memory
    kFlagNoCookies = 0x00080000,             // the process-wide cookie store stays out
    kFlagNoAutoRedirect = 0x00200000,        // the redirect response itself is returned
    kFlagSecure = 0x00800000,                // TLS, verified against the system store
    kFlagIgnoreRedirectToHttps = 0x00004000  // HTTP to HTTPS redirects are followed too
};

class InternetSession {
public:
    // proxyList: empty for a direct connection, "http=" + P for HTTP traffic only, or P
    // ("host:port") for everything. Null when the handle cannot be opened.
    static std::unique_ptr<InternetSession> Open(const Text& agent, const Text& proxyList);
    ~InternetSession();
    InternetSession(const InternetSession&) = delete;
    InternetSession& operator=(const InternetSession&) = delete;

    const Text& Agent() const { return agent_; }
    // The proxy for a URL of the given kind; empty for a direct connection.
    Text ProxyFor(bool secure) const;

private:
    InternetSession(Text agent, Text proxyList);
    Text agent_;
    Text proxyList_;
};

class InternetConnection {
public:
    // Null for an empty host or a port outside 0..65535.
    static std::unique_ptr<InternetConnection> Open(const InternetSession& session,
                                                    const Text& host, int port);
    ~InternetConnection();
    InternetConnection(const InternetConnection&) = delete;
    InternetConnection& operator=(const InternetConnection&) = delete;

    const InternetSession& Session() const { return session_; }
    const Text& Host() const { return host_; }
    int Port() const { return port_; }

private:
    InternetConnection(const InternetSession& session, Text host, int port);
    const InternetSession& session_;
    Text host_;
    int port_;
};

class InternetRequest {
public:
    // Null when the request cannot be prepared (for instance a path the URL parser rejects).
    static std::unique_ptr<InternetRequest> Open(const InternetConnection& connection,
                                                 const Text& verb, const Text& path,
                                                 std::uint32_t flags);
    ~InternetRequest();
    InternetRequest(const InternetRequest&) = delete;
    InternetRequest& operator=(const InternetRequest&) = delete;

    // Sends exactly the given header block ("\r\n"-separated lines; the platform adds only
    // Host, the agent and Content-Length) and the body, and appends the response body to
    // `body` piece by piece as it arrives. Failures are not reported: they leave the body
    // short and the header block empty.
    void Send(const Text& headers, const Bytes* requestBody, Bytes& body);

    // Status line and header lines of the final response, each ended by "\r\n", when the
    // block and a terminating zero fit in bufferLength bytes; otherwise bufferLength spaces.
    Text RawHeaders(int bufferLength) const;

private:
    InternetRequest(const InternetConnection& connection, void* curl, std::uint32_t flags,
                    Text verb);
    const InternetConnection& connection_;
    void* curl_;
    std::uint32_t flags_;
    Text verb_;
    std::string rawHeaders_;
};

// Trust a further CA certificate file (PEM) in place of the system store; for tests
// that run TLS servers with a throw-away CA. Empty path: back to the system store.
void AddTrustedCaFileForTests(const Text& path);

}  // namespace tallowin::platform
