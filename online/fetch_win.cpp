#include "online/fetch_win.h"

#include "base/handles_win.h"
#include "base/text_win.h"
#include "base/version.h" // made by the build from the project version
#include "online/fetch.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace vemora {

namespace {

class FetchError : public std::runtime_error {
public:
    // code: the system's error code, or the HTTP status for FetchStep::Status.
    FetchError(FetchStep step, const std::string& host, DWORD code = 0)
        : std::runtime_error(FetchErrorText(
              step, host, step == FetchStep::Status ? FetchFailure::None : FailureOfSystemError(code), code)) {}
};

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

} // namespace

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

// The request itself, start to end, with its own time-outs. The calling
// thread alone touches its handles, and each is closed once, by its owner,
// after its last use: nothing closes one from outside while a call may still
// be on its way to it. The whole fetch's time is checked between the calls;
// a call stuck on a server that trickles is left to the caller's bounded wait.
static std::string FetchBlocking(const std::string& url, const FetchLimits& limits) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.totalMs);
    const std::wstring wideUrl = Utf8ToWide(url);
    URL_COMPONENTS parts{sizeof parts};
    wchar_t host[256] = {}, path[2048] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    std::wstring extra;
    if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts))
        throw FetchError(FetchStep::Address, url);
    if (parts.lpszExtraInfo)
        extra.assign(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    const std::string hostName = HostAndPortOfUrl(url);

    UniqueHinternet session(WinHttpOpen(L"Vemora/" VEMORA_VERSION_SHORT, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session)
        throw FetchError(FetchStep::Start, hostName, GetLastError());
    WinHttpSetTimeouts(session.get(), limits.stepMs, limits.stepMs, limits.stepMs, limits.stepMs);
    UniqueHinternet connection(WinHttpConnect(session.get(), host, parts.nPort, 0));
    if (!connection)
        throw FetchError(FetchStep::Connect, hostName, GetLastError());
    const std::wstring object = std::wstring(path) + extra;
    const DWORD flags = WINHTTP_FLAG_REFRESH | (parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    UniqueHinternet request(WinHttpOpenRequest(connection.get(), L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                               WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request)
        throw FetchError(FetchStep::Request, hostName, GetLastError());

    // The time-outs again on the request itself, the wait for the response's
    // headers included: not every WinHTTP hands the session's on to a request.
    WinHttpSetTimeouts(request.get(), limits.stepMs, limits.stepMs, limits.stepMs, limits.stepMs);
    DWORD responseTimeout = static_cast<DWORD>(limits.stepMs);
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout);
    auto fail = [&](FetchStep what) { throw FetchError(what, hostName, GetLastError()); };
    auto checkTime = [&](FetchStep what) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw FetchError(what, hostName, ERROR_WINHTTP_TIMEOUT);
    };

    const wchar_t headers[] = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
    if (!WinHttpSendRequest(request.get(), headers, static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        fail(FetchStep::Send);
    checkTime(FetchStep::Answer);
    if (!WinHttpReceiveResponse(request.get(), nullptr))
        fail(FetchStep::Answer);
    checkTime(FetchStep::Answer);
    DWORD status = 0, size = sizeof status;
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        fail(FetchStep::Answer);
    if (status < 200 || status > 299)
        throw FetchError(FetchStep::Status, hostName, status);
    const std::string contentType = WideToUtf8(QueryHeader(request.get(), WINHTTP_QUERY_CONTENT_TYPE));

    std::string body;
    char buffer[16384];
    for (;;) {
        checkTime(FetchStep::Read);
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), buffer, sizeof buffer, &read))
            fail(FetchStep::Read);
        if (read == 0)
            break;
        body.append(buffer, read);
        if (body.size() > limits.maxBytes)
            throw FetchError(FetchStep::TooLarge, hostName);
    }
    const std::string charset = DeclaredCharset(contentType, body);
    return ToGbk(std::move(body), charset);
}

namespace {

struct PendingFetch {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::string text;
    std::exception_ptr error;
};

} // namespace

// The calling thread waits for the page, but never longer than the whole
// fetch's time-out: a call into WinHTTP cannot always be interrupted (Wine
// goes on reading a response header that trickles in byte by byte, whether or
// not its handle is closed meanwhile), so the request runs on a helper thread
// that owns every handle of it and, when the wait gives up, finishes on its
// own and drops its result.
std::string FetchPageText(const std::string& url, const FetchLimits& limits) {
    auto pending = std::make_shared<PendingFetch>();
    std::thread([pending, url, limits] {
        std::string text;
        std::exception_ptr error;
        try {
            text = FetchBlocking(url, limits);
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(pending->mutex);
        pending->text = std::move(text);
        pending->error = error;
        pending->finished = true;
        pending->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(pending->mutex);
    if (!pending->done.wait_for(lock, std::chrono::milliseconds(limits.totalMs + 500),
                                [&] { return pending->finished; }))
        throw FetchError(FetchStep::Answer, HostAndPortOfUrl(url), ERROR_WINHTTP_TIMEOUT);
    if (pending->error)
        std::rethrow_exception(pending->error);
    return std::move(pending->text);
}

} // namespace vemora
