#include "nettime/nettime_win.h"

#include "base/effects_win.h"
#include "base/handles_win.h"
#include "base/datetime.h"

#include <ntsecapi.h>
#include <ws2tcpip.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace vemora {

namespace {

// WSAStartup / WSACleanup, once each.
class WsaSession {
public:
    WsaSession() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WsaSession() {
        if (started_)
            WSACleanup();
    }
    WsaSession(const WsaSession&) = delete;
    WsaSession& operator=(const WsaSession&) = delete;

private:
    bool started_ = false;
};

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// A server's address, IPv4 or IPv6, with its port.
struct ServerAddress {
    sockaddr_storage address{};
    int length = 0;
    int family = AF_UNSPEC;
};

// Name resolution has no time-out of its own: it runs on a helper thread that
// may outlive the wait, and keeps only its own copy of what it needs. The
// first address the system gives counts, of either family; an address
// written as such ("127.0.0.1", "::1") is taken as it is.
std::optional<ServerAddress> Resolve(const std::string& host, unsigned short port, Clock::time_point deadline) {
    auto result = std::make_shared<std::promise<std::optional<ServerAddress>>>();
    std::future<std::optional<ServerAddress>> answer = result->get_future();
    std::thread([host, port, result] {
        WsaSession session;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_DGRAM;
        hints.ai_protocol = IPPROTO_UDP;
        addrinfo* list = nullptr;
        std::optional<ServerAddress> found;
        const std::string service = std::to_string(port);
        if (getaddrinfo(host.c_str(), service.c_str(), &hints, &list) == 0) {
            for (const addrinfo* a = list; a; a = a->ai_next) {
                if ((a->ai_family == AF_INET || a->ai_family == AF_INET6) &&
                    a->ai_addrlen <= sizeof(sockaddr_storage)) {
                    ServerAddress server;
                    std::memcpy(&server.address, a->ai_addr, a->ai_addrlen);
                    server.length = static_cast<int>(a->ai_addrlen);
                    server.family = a->ai_family;
                    found = server;
                    break;
                }
            }
            freeaddrinfo(list);
        }
        result->set_value(found);
    }).detach();
    if (answer.wait_for(std::chrono::milliseconds(MillisecondsLeft(deadline))) != std::future_status::ready)
        return std::nullopt;
    return answer.get();
}

// Whether a datagram came from the server: the same address and port.
bool SameServer(const sockaddr_storage& from, const ServerAddress& server) {
    if (from.ss_family != server.family)
        return false;
    if (server.family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(from);
        const auto& b = reinterpret_cast<const sockaddr_in&>(server.address);
        return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
    }
    const auto& a = reinterpret_cast<const sockaddr_in6&>(from);
    const auto& b = reinterpret_cast<const sockaddr_in6&>(server.address);
    return std::memcmp(&a.sin6_addr, &b.sin6_addr, sizeof a.sin6_addr) == 0 && a.sin6_port == b.sin6_port;
}

// A random request number: the reply must carry it back.
NtpTime Nonce() {
    NtpTime nonce = 0;
    if (!RtlGenRandom(&nonce, sizeof nonce) || nonce == 0)
        nonce =
            NtpFromFileTime(PreciseFileTime()) ^ (static_cast<NtpTime>(GetCurrentThreadId()) << 17) ^ 0x5DEECE66Dull;
    return nonce;
}

} // namespace

unsigned long long PreciseFileTime() {
    // Windows 8 and later keep the time to the microsecond; Windows 7 only to its timer tick.
    using PreciseFn = VOID(WINAPI*)(LPFILETIME);
    static const auto precise = reinterpret_cast<PreciseFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME ft{};
    if (precise)
        precise(&ft);
    else
        GetSystemTimeAsFileTime(&ft);
    return static_cast<unsigned long long>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

NetworkTime QueryNetworkTime(const std::string& server, int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string host;
    unsigned short port = 123;
    if (!SplitHostPort(server, host, port, 123))
        return {};
    WsaSession session;
    const std::optional<ServerAddress> to = Resolve(host, port, deadline);
    if (!to)
        return {};
    UniqueSocket socket(::socket(to->family, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket)
        return {};
    const NtpTime nonce = Nonce();
    const NtpPacket request = NtpRequest(nonce);
    const NtpTime sent = NtpFromFileTime(PreciseFileTime());
    if (sendto(socket.get(), reinterpret_cast<const char*>(request.data()), static_cast<int>(request.size()), 0,
               reinterpret_cast<const sockaddr*>(&to->address), to->length) == SOCKET_ERROR)
        return {};
    for (;;) {
        const int left = MillisecondsLeft(deadline);
        if (left <= 0)
            return {};
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket.get(), &readable);
        timeval wait{left / 1000, (left % 1000) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0)
            return {};
        std::uint8_t buffer[512];
        sockaddr_storage from{};
        int fromLength = sizeof from;
        const int n = recvfrom(socket.get(), reinterpret_cast<char*>(buffer), sizeof buffer, 0,
                               reinterpret_cast<sockaddr*>(&from), &fromLength);
        const NtpTime received = NtpFromFileTime(PreciseFileTime());
        if (n == SOCKET_ERROR) {
            // A port-unreachable answer to an earlier datagram, or a datagram
            // larger than any reply, from whoever: not an answer, keep waiting.
            const int error = WSAGetLastError();
            if (error == WSAECONNRESET || error == WSAEMSGSIZE)
                continue;
            return {};
        }
        // A datagram from anybody but the server is not an answer: keep waiting.
        if (!SameServer(from, *to))
            continue;
        NtpReply reply;
        const NtpVerdict verdict = ParseNtpReply(buffer, static_cast<size_t>(n), nonce, reply);
        if (verdict == NtpVerdict::NotOurs)
            continue;
        if (verdict == NtpVerdict::Rejected)
            return {};
        NetworkTime result;
        result.offsetSeconds = NtpOffsetSeconds(sent, reply.receive, reply.transmit, received);
        result.utc = NtpToUtc(Split(NtpAddSeconds(received, result.offsetSeconds)));
        // The bias in force now, daylight saving included.
        TIME_ZONE_INFORMATION zone{};
        const DWORD state = GetTimeZoneInformation(&zone);
        const int bias = BiasInForce(zone.Bias, zone.StandardBias, zone.DaylightBias,
                                     state == TIME_ZONE_ID_DAYLIGHT   ? TimeZoneState::Daylight
                                     : state == TIME_ZONE_ID_STANDARD ? TimeZoneState::Standard
                                                                      : TimeZoneState::Unknown);
        result.local = UtcToLocal(result.utc, bias);
        return result;
    }
}

void AskNetworkTime(std::shared_ptr<Mailbox> mailbox, unsigned generation, std::string server,
                    std::shared_ptr<EventLog> log) {
    StartWorker(
        [mailbox = std::move(mailbox), generation, server = std::move(server)] {
            auto answer = std::make_unique<NetworkTimeAnswer>();
            answer->generation = generation;
            answer->time = QueryNetworkTime(server);
            mailbox->Post(std::move(answer));
        },
        std::move(log));
}

std::string NtpServerName(const std::string& configured) {
    return configured.empty() ? std::string(kDefaultNtpServer) : configured;
}

std::string SetClockFromNetwork(Effects& effects, double offsetSeconds) {
    const long long units = std::llround(offsetSeconds * 1e7);
    const unsigned long long target = PreciseFileTime() + static_cast<unsigned long long>(units);
    FILETIME ft{static_cast<DWORD>(target & 0xFFFFFFFFu), static_cast<DWORD>(target >> 32)};
    SYSTEMTIME utc{};
    if (!FileTimeToSystemTime(&ft, &utc))
        return ClockNotSetText(offsetSeconds, false, GetLastError());
    if (effects.SetSystemClock(utc))
        return {};
    const DWORD code = GetLastError();
    return ClockNotSetText(offsetSeconds, code == ERROR_PRIVILEGE_NOT_HELD, code);
}

} // namespace vemora
