#include "online/https_win.h"

#include "base/handles_win.h"
#include "base/text_win.h"
#include "base/version.h" // made by the build from the project version
#include "online/fetch_win.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace vemora {

std::string HttpGetError::Text() const {
    const FetchFailure failure = step == FetchStep::TooLarge ? FetchFailure::None : FailureOfSystemError(code);
    return FetchErrorText(step, port ? host + ":" + std::to_string(port) : host, failure, code);
}

namespace {

// Where a request goes, read from its address.
struct Target {
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring object; // path and query
    bool secure = false;
};

std::optional<Target> CrackUrl(const std::string& url) {
    const std::wstring wideUrl = Utf8ToWide(url);
    URL_COMPONENTS parts{sizeof parts};
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts) || parts.dwHostNameLength == 0 ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return std::nullopt;
    Target t;
    t.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    t.port = parts.nPort;
    t.object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    t.object.append(parts.lpszExtraInfo ? parts.lpszExtraInfo : L"", parts.lpszExtraInfo ? parts.dwExtraInfoLength : 0);
    if (t.object.empty())
        t.object = L"/";
    t.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return t;
}

// The request from start to end on the calling thread, which alone touches its
// handles; each is closed once, by its owner, on every way out.
HttpGetResult GetBlocking(const Target& target, const HttpGetOptions& options) {
    HttpGetResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.totalMs);
    const auto fail = [&](FetchStep step, DWORD code) {
        result.error = HttpGetError{step, WideToUtf8(target.host), target.port, code};
        return std::move(result);
    };
    const wchar_t* host = target.host.c_str();
    const bool secure = target.secure;

    UniqueHinternet session(WinHttpOpen(L"Vemora/" VEMORA_VERSION_SHORT, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session)
        return fail(FetchStep::Start, GetLastError());
    WinHttpSetTimeouts(session.get(), options.resolveMs, options.connectMs, options.sendMs, options.receiveMs);
    UniqueHinternet connection(WinHttpConnect(session.get(), host, target.port, 0));
    if (!connection)
        return fail(FetchStep::Connect, GetLastError());
    UniqueHinternet request(WinHttpOpenRequest(connection.get(), L"GET", target.object.c_str(), nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               WINHTTP_FLAG_REFRESH | (secure ? WINHTTP_FLAG_SECURE : 0)));
    if (!request)
        return fail(FetchStep::Request, GetLastError());

    // The time-outs again on the request, the wait for the headers included:
    // not every WinHTTP hands the session's on.
    WinHttpSetTimeouts(request.get(), options.resolveMs, options.connectMs, options.sendMs, options.receiveMs);
    DWORD responseTimeout = static_cast<DWORD>(options.receiveMs);
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout);
    // Never followed: a redirect would take the request, and what it was
    // allowed to trust, to another host.
    DWORD redirects = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &redirects, sizeof redirects);
    if (secure && options.trustUnknownCaOnLoopback && std::wstring_view(host) == L"127.0.0.1") {
        DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
        WinHttpSetOption(request.get(), WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
    }
    const auto late = [&] { return std::chrono::steady_clock::now() >= deadline; };

    const wchar_t headers[] = L"Accept: application/json\r\nCache-Control: no-cache\r\n";
    if (!WinHttpSendRequest(request.get(), headers, static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return fail(FetchStep::Send, GetLastError());
    if (late())
        return fail(FetchStep::Answer, ERROR_WINHTTP_TIMEOUT);
    if (!WinHttpReceiveResponse(request.get(), nullptr))
        return fail(FetchStep::Answer, GetLastError());
    DWORD status = 0, size = sizeof status;
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        return fail(FetchStep::Answer, GetLastError());
    result.status = status;

    char buffer[16384];
    for (;;) {
        if (late())
            return fail(FetchStep::Read, ERROR_WINHTTP_TIMEOUT);
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), buffer, sizeof buffer, &read))
            return fail(FetchStep::Read, GetLastError());
        if (read == 0)
            return result;
        if (result.body.size() + read > options.maxBytes)
            return fail(FetchStep::TooLarge, 0);
        result.body.append(buffer, read);
    }
}

struct PendingGet {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    HttpGetResult result;
};

} // namespace

// The calling thread waits, but never longer than the whole request's time:
// a call into WinHTTP cannot always be cut short (Wine goes on reading headers
// that trickle in byte by byte), so the request runs on a helper thread of its
// own, which, when the wait gives up, finishes by itself and drops its result.
HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options) {
    const std::optional<Target> target = CrackUrl(url);
    if (!target) {
        HttpGetResult bad;
        bad.error = HttpGetError{FetchStep::Address, url, 0, 0};
        return bad;
    }
    auto pending = std::make_shared<PendingGet>();
    std::thread([pending, target = *target, options] {
        HttpGetResult result = GetBlocking(target, options);
        std::lock_guard<std::mutex> lock(pending->mutex);
        pending->result = std::move(result);
        pending->finished = true;
        pending->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(pending->mutex);
    if (!pending->done.wait_for(lock, std::chrono::milliseconds(options.totalMs + 500),
                                [&] { return pending->finished; })) {
        HttpGetResult late;
        late.error = HttpGetError{FetchStep::Answer, WideToUtf8(target->host), target->port, ERROR_WINHTTP_TIMEOUT};
        return late;
    }
    return std::move(pending->result);
}

} // namespace vemora
