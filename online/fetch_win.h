#pragma once
#include "online/fetch.h"

#include <string>

namespace vemora {

// Time-outs of one page fetch: resolve, connect, send and each receive, and
// the whole request however slowly a server trickles.
struct FetchLimits {
    int stepMs = 4000;
    int totalMs = 8000;
    std::size_t maxBytes = 16u << 20;
};

// One HTTP GET; the calling thread, a worker's, waits for it, never longer
// than totalMs and half a second. Returns the body as GBK text:
// GBK, GB2312 and GB18030 pages byte for byte, other declared character sets
// converted to code page 936. Raises an error naming what failed and the host
// when the request fails, times out, or the status is not 2xx.
std::string FetchPageText(const std::string& url, const FetchLimits& limits = {});

// How a fetch's message names WinHTTP's and Windows Sockets' error codes.
FetchFailure FailureOfSystemError(unsigned long code);

} // namespace vemora
