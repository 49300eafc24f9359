#pragma once
#include "net/fetch.h"

#include <cstddef>
#include <functional>
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
    // What the caller reads: the services answer JSON, the page providers HTML.
    const wchar_t* accept = L"application/json";
    // A redirect takes the request, and what it was allowed to trust, to
    // another host: followed only for a caller that says so.
    bool followRedirects = false;
    // For the tests' own TLS server alone: take a certificate from an authority
    // this computer does not trust, when the host is 127.0.0.1 and never another.
    bool trustUnknownCaOnLoopback = false;
};

struct HttpGetError {
    FetchStep step = FetchStep::Address;
    std::string host; // as the address names it
    unsigned short port = 0;
    unsigned long code = 0; // the system's error code (WinHTTP's), or the status for FetchStep::Status
    // In Chinese (UTF-8): what failed, "host:port" and why.
    std::string Text() const;
};

struct HttpGetResult {
    unsigned status = 0;     // any status: the services explain their refusals in the body
    std::string contentType; // the Content-Type header, as it came
    std::string body;        // the bytes as they came
    std::optional<HttpGetError> error;
};

// Starts one GET over http or https with WinHTTP on a thread of its own and
// returns at once. done runs exactly once: on that thread with what came, or,
// when a call into WinHTTP is still stuck totalMs and half a second after the
// start (Wine goes on reading headers that trickle in byte by byte, and no
// closing of a handle stops it), from the system's timer thread with a
// time-out; the request then finishes by itself and its answer is dropped.
using HttpGetDone = std::function<void(HttpGetResult)>;
void StartHttpGet(std::string url, HttpGetOptions options, HttpGetDone done);

// The same, waited for by the calling thread, never longer than totalMs and
// half a second.
HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options = {});

// How a failure's message names WinHTTP's and Windows Sockets' error codes.
FetchFailure FailureOfSystemError(unsigned long code);

} // namespace vemora
