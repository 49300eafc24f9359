#pragma once
#include "net/fetch.h"
#include "net/https_win.h"

#include <functional>
#include <optional>
#include <string>

namespace vemora {

// The bounds of a page fetch: the client's own, with a larger page allowed.
HttpGetOptions PageFetchOptions();

// A fetched page: its text in GBK, or why there is none.
struct PageText {
    std::string text;
    std::optional<HttpGetError> error; // also a status other than 2xx (FetchStep::Status)
};

// One HTTP GET of a page with the one client, on a thread of its own; done
// runs once, on that thread (or the client's timer), with the body as GBK
// text: GBK, GB2312 and GB18030 pages byte for byte, other declared character
// sets converted to code page 936.
void StartPageFetch(std::string url, std::function<void(PageText)> done,
                    const HttpGetOptions& options = PageFetchOptions());

// The same, waited for by the calling thread; raises an error naming what
// failed and the host when the request fails, times out, or the status is not 2xx.
std::string FetchPageText(const std::string& url, const HttpGetOptions& options = PageFetchOptions());

} // namespace vemora
