#pragma once
// A local NTP responder on 127.0.0.1 (or [::1]) for the tests.
#include "base/platform_win.h"
#include "testserver.h"

#include <ws2tcpip.h>

#include <cstring>
#include <string>
#include <thread>

namespace vemora::test {

// A local NTP responder on 127.0.0.1 that answers one request in the way it is
// told to. Its answers carry the request's transmit timestamp back as their
// originate timestamp, as a server does, unless told otherwise.
class NtpResponder {
public:
    enum class Mode {
        Now,     // the machine's own time plus offsetSeconds, each way delayed by delayMs
        Correct, // 2026-01-01 00:00:00.5 UTC
        OtherPort,
        Short,
        Echo,
        KissOfDeath,
        ZeroTimestamp,
        Unsynchronised,
        Silent,
        StrayThenCorrect,
        WrongOrigin,         // another request's answer
        OversizedThenCorrect // a datagram larger than any reply first
    };

    // family AF_INET6 answers on [::1] instead; Bound() says whether it could.
    explicit NtpResponder(Mode mode, double offsetSeconds = 0, int delayMs = 0, int family = AF_INET)
        : mode_(mode), offsetSeconds_(offsetSeconds), delayMs_(delayMs), family_(family) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = socket(family, SOCK_DGRAM, 0);
        if (family == AF_INET6) {
            sockaddr_in6 at{};
            at.sin6_family = AF_INET6;
            at.sin6_addr = in6addr_loopback;
            int length = sizeof at;
            if (socket_ != INVALID_SOCKET && bind(socket_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
                getsockname(socket_, reinterpret_cast<sockaddr*>(&at), &length) == 0)
                port_ = ntohs(at.sin6_port);
        } else {
            port_ = BindLoopback(socket_);
        }
        thread_ = std::thread([this] { Serve(); });
    }
    ~NtpResponder() {
        closesocket(socket_);
        thread_.join();
        WSACleanup();
    }
    std::string Server() const { return (family_ == AF_INET6 ? "[::1]:" : "127.0.0.1:") + std::to_string(port_); }
    bool Bound() const { return port_ != 0; }
    int Requests() const { return requests_; }

private:
    // The machine's time plus the offset, as an NTP timestamp.
    void Stamp(unsigned char* at) const {
        FILETIME ft;
        GetSystemTimePreciseAsFileTime(&ft);
        const unsigned long long t100ns = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        const double seconds = static_cast<double>(t100ns) / 1e7 - 9435484800.0 + offsetSeconds_; // since 1900
        const double whole = static_cast<double>(static_cast<unsigned long long>(seconds));
        const unsigned s32 = static_cast<unsigned>(static_cast<unsigned long long>(seconds) & 0xFFFFFFFFull);
        const unsigned f32 = static_cast<unsigned>((seconds - whole) * 4294967296.0);
        for (int i = 0; i < 4; ++i) {
            at[i] = static_cast<unsigned char>(s32 >> (24 - 8 * i));
            at[4 + i] = static_cast<unsigned char>(f32 >> (24 - 8 * i));
        }
    }

    void Serve() {
        char request[512];
        sockaddr_storage client{};
        int length = sizeof client;
        const int n = recvfrom(socket_, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&client), &length);
        if (n <= 0)
            return;
        ++requests_;
        unsigned char reply[48] = {};
        reply[0] = 0x1C; // version 3, server
        reply[1] = 2;
        if (n >= 48)
            std::memcpy(reply + 24, request + 40, 8);                           // originate := the request's transmit
        const unsigned char fixed[8] = {0xED, 0x00, 0x37, 0x80, 0x80, 0, 0, 0}; // 2026-01-01 00:00:00.5 UTC
        if (mode_ == Mode::Now) {
            Sleep(static_cast<DWORD>(delayMs_)); // the request's way here
            Stamp(reply + 32);
            Stamp(reply + 40);
            Sleep(static_cast<DWORD>(delayMs_)); // the reply's way back
        } else {
            std::memcpy(reply + 32, fixed, 8);
            std::memcpy(reply + 40, fixed, 8);
        }
        int size = 48;
        SOCKET from = socket_;
        SOCKET other = INVALID_SOCKET;
        switch (mode_) {
        case Mode::Silent:
            return;
        case Mode::Short:
            size = 40;
            break;
        case Mode::Echo:
            std::memcpy(reply, request, 48);
            std::memcpy(reply + 40, fixed, 8);
            break;
        case Mode::KissOfDeath:
            reply[1] = 0;
            break;
        case Mode::ZeroTimestamp:
            std::memset(reply + 40, 0, 8);
            break;
        case Mode::Unsynchronised:
            reply[0] = 0xDC;
            break;
        case Mode::WrongOrigin:
            reply[31] ^= 1;
            break;
        case Mode::OversizedThenCorrect: {
            char big[1000];
            std::memcpy(big, reply, 48);
            std::memset(big + 48, 0, sizeof big - 48);
            sendto(socket_, big, sizeof big, 0, reinterpret_cast<sockaddr*>(&client), length);
            break;
        }
        case Mode::OtherPort:
        case Mode::StrayThenCorrect: {
            other = socket(family_, SOCK_DGRAM, 0);
            from = other;
            break;
        }
        default:
            break;
        }
        sendto(from, reinterpret_cast<char*>(reply), size, 0, reinterpret_cast<sockaddr*>(&client), length);
        if (mode_ == Mode::StrayThenCorrect)
            sendto(socket_, reinterpret_cast<char*>(reply), size, 0, reinterpret_cast<sockaddr*>(&client), length);
        if (other != INVALID_SOCKET)
            closesocket(other);
    }

    Mode mode_;
    double offsetSeconds_;
    int delayMs_;
    int family_;
    SOCKET socket_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    int requests_ = 0;
    std::thread thread_;
};

} // namespace vemora::test
