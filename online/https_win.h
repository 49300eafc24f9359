#pragma once
#include "online/fetch.h"

#include <cstddef>
#include <optional>
#include <string>

namespace vemora {

// Bounds of one request to a web service. Each step has its own time-out, and
// the whole request one more, however slowly a server trickles.
struct HttpGetOptions {
    int resolveMs = 4000;
    int connectMs = 4000;
    int sendMs = 4000;
    int receiveMs = 6000; // each wait for the headers or the next piece of the body
    int totalMs = 12000;
    std::size_t maxBytes = 1u << 20;
    // For the tests' own TLS server alone: take a certificate from an authority
    // this computer does not trust, when the host is 127.0.0.1 and never another.
    bool trustUnknownCaOnLoopback = false;
};

struct HttpGetError {
    FetchStep step = FetchStep::Address;
    std::string host; // as the address names it
    unsigned short port = 0;
    unsigned long code = 0; // the system's error code (WinHTTP's), 0 when there is none
    // In Chinese (UTF-8): what failed, "host:port" and why.
    std::string Text() const;
};

struct HttpGetResult {
    unsigned status = 0; // any status: the services explain their refusals in the body
    std::string body;    // the bytes as they came
    std::optional<HttpGetError> error;
};

// One GET over http or https with WinHTTP. The calling thread (a worker's)
// waits, never longer than totalMs and half a second. No redirect is followed:
// a service that moves answers with its 3xx status.
HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options = {});

} // namespace vemora
