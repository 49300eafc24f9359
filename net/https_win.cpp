#include "net/https_win.h"

#include "base/handles_win.h"
#include "base/text_win.h"
#include "base/version.h" // made by the build from the project version
#include "base/worker_win.h"

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <optional>

namespace vemora {

std::string HttpGetError::Text() const {
    const FetchFailure failure = step == FetchStep::TooLarge ? FetchFailure::None : FailureOfSystemError(code);
    return FetchErrorText(step, port ? host + ":" + std::to_string(port) : host, failure, code);
}

FetchFailure FailureOfSystemError(unsigned long code) {
    switch (code) {
    case 0:
        return FetchFailure::None;
    case ERROR_WINHTTP_TIMEOUT:
    case ERROR_WINHTTP_OPERATION_CANCELLED:
    case WSAETIMEDOUT:
        return FetchFailure::Timeout;
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_CONNECTION_ERROR:
    case WSAECONNREFUSED:
    case WSAECONNRESET:
        return FetchFailure::NoConnection;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return FetchFailure::HostNotFound;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
        return FetchFailure::Insecure;
    default:
        return FetchFailure::Other;
    }
}

namespace {

std::wstring QueryHeader(HINTERNET request, DWORD which) {
    DWORD size = 0;
    WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size, WINHTTP_NO_HEADER_INDEX);
    if (size == 0)
        return {};
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &size,
                             WINHTTP_NO_HEADER_INDEX))
        return {};
    value.resize(size / sizeof(wchar_t));
    return value;
}

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
    DWORD redirects = options.followRedirects ? WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP
                                              : WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &redirects, sizeof redirects);
    if (secure && options.trustUnknownCaOnLoopback && std::wstring_view(host) == L"127.0.0.1") {
        DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
        WinHttpSetOption(request.get(), WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
    }
    const auto late = [&] { return std::chrono::steady_clock::now() >= deadline; };

    const std::wstring headers = L"Accept: " + std::wstring(options.accept) + L"\r\nCache-Control: no-cache\r\n";
    if (!WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
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
    result.contentType = WideToUtf8(QueryHeader(request.get(), WINHTTP_QUERY_CONTENT_TYPE));

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

// The timer that hands a stuck request's time-out over. Closing it cancels it
// and waits for a call of it under way, so that nothing it points to goes first.
struct ThreadpoolTimerTraits {
    using pointer = PTP_TIMER;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer timer) noexcept {
        SetThreadpoolTimer(timer, nullptr, 0, 0);
        WaitForThreadpoolTimerCallbacks(timer, TRUE);
        CloseThreadpoolTimer(timer);
    }
};
using UniqueThreadpoolTimer = UniqueHandle<ThreadpoolTimerTraits>;

// One request's way back: whichever comes first, the answer or the time-out,
// is handed over; the other is dropped.
struct Delivery {
    std::atomic<bool> delivered{false};
    HttpGetDone done;
    HttpGetError timeout;
    void Deliver(HttpGetResult result) {
        if (!delivered.exchange(true))
            done(std::move(result));
    }
};

void CALLBACK TimeIsUp(PTP_CALLBACK_INSTANCE, PVOID context, PTP_TIMER) {
    auto& delivery = *static_cast<Delivery*>(context);
    HttpGetResult late;
    late.error = delivery.timeout;
    delivery.Deliver(std::move(late));
}

} // namespace

void StartHttpGet(std::string url, HttpGetOptions options, HttpGetDone done) {
    const std::optional<Target> target = CrackUrl(url);
    if (!target) {
        HttpGetResult bad;
        bad.error = HttpGetError{FetchStep::Address, url, 0, 0};
        done(std::move(bad));
        return;
    }
    auto delivery = std::make_shared<Delivery>();
    delivery->done = std::move(done);
    delivery->timeout = HttpGetError{FetchStep::Answer, WideToUtf8(target->host), target->port, ERROR_WINHTTP_TIMEOUT};
    StartWorker([delivery, target = *target, options] {
        UniqueThreadpoolTimer timer(CreateThreadpoolTimer(TimeIsUp, delivery.get(), nullptr));
        if (timer) {
            // Relative times are negative, in 100 ns.
            const LONGLONG due = -10000LL * (options.totalMs + 500);
            FILETIME when{static_cast<DWORD>(due & 0xFFFFFFFF), static_cast<DWORD>(due >> 32)};
            SetThreadpoolTimer(timer.get(), &when, 0, 0);
        }
        HttpGetResult result = GetBlocking(target, options);
        timer.reset();
        delivery->Deliver(std::move(result));
    });
}

HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options) {
    auto answer = std::make_shared<std::promise<HttpGetResult>>();
    std::future<HttpGetResult> arrived = answer->get_future();
    StartHttpGet(url, options, [answer](HttpGetResult result) { answer->set_value(std::move(result)); });
    return arrived.get();
}

} // namespace vemora
