#include "net/fetch_win.h"

#include "base/platform_win.h"
#include "base/text_win.h"

#include <future>
#include <memory>
#include <stdexcept>

namespace vemora {

namespace {

std::string ToGbk(std::string body, const std::string& charset) {
    const unsigned codePage = CodePageOfCharset(charset);
    if (codePage == kGbkCodePage)
        return body;
    if (codePage == CP_UTF8 && body.compare(0, 3, "\xEF\xBB\xBF") == 0)
        body.erase(0, 3);
    if (body.empty())
        return body;
    const int n = MultiByteToWideChar(codePage, 0, body.data(), static_cast<int>(body.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, body.data(), static_cast<int>(body.size()), wide.data(), n);
    return WideToGbk(wide);
}

PageText PageOf(HttpGetResult got) {
    PageText page;
    if (got.error) {
        page.error = std::move(got.error);
    } else if (got.status < 200 || got.status > 299) {
        page.error = HttpGetError{FetchStep::Status, {}, 0, got.status};
    } else {
        const std::string charset = DeclaredCharset(got.contentType, got.body);
        page.text = ToGbk(std::move(got.body), charset);
    }
    return page;
}

} // namespace

HttpGetOptions PageFetchOptions() {
    HttpGetOptions options;
    options.resolveMs = options.connectMs = options.sendMs = options.receiveMs = 4000;
    options.totalMs = 8000;
    options.maxBytes = 16u << 20;
    options.accept = L"text/html, */*";
    return options;
}

void StartPageFetch(std::string url, std::function<void(PageText)> done, const HttpGetOptions& options) {
    std::string hostAndPort = HostAndPortOfUrl(url);
    StartHttpGet(std::move(url), options,
                 [done = std::move(done), hostAndPort = std::move(hostAndPort)](HttpGetResult got) {
                     PageText page = PageOf(std::move(got));
                     if (page.error && page.error->step == FetchStep::Status)
                         page.error->host = hostAndPort; // named as the address names it, with its port
                     done(std::move(page));
                 });
}

std::string FetchPageText(const std::string& url, const HttpGetOptions& options) {
    auto answer = std::make_shared<std::promise<PageText>>();
    std::future<PageText> arrived = answer->get_future();
    StartPageFetch(
        url, [answer](PageText page) { answer->set_value(std::move(page)); }, options);
    PageText page = arrived.get();
    if (page.error)
        throw std::runtime_error(page.error->Text());
    return std::move(page.text);
}

} // namespace vemora
