#pragma once
// A local NTP responder on 127.0.0.1 for the tests.
#include "base/platform_win.h"
#include "testserver.h"

#include <cstring>
#include <string>
#include <thread>

namespace vemora::test {

// A local NTP responder on 127.0.0.1 that answers one request in the way it is told to.
class NtpResponder {
public:
    enum class Mode { Now, Correct, OtherPort, Short, Echo, KissOfDeath, ZeroTimestamp, Unsynchronised, Silent, StrayThenCorrect };

    explicit NtpResponder(Mode mode) : mode_(mode) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = socket(AF_INET, SOCK_DGRAM, 0);
        port_ = BindLoopback(socket_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~NtpResponder() {
        closesocket(socket_);
        thread_.join();
        WSACleanup();
    }
    std::string Server() const { return "127.0.0.1:" + std::to_string(port_); }
    int Requests() const { return requests_; }

private:
    void Serve() {
        char request[512];
        sockaddr_in client{};
        int length = sizeof client;
        const int n = recvfrom(socket_, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&client), &length);
        if (n <= 0)
            return;
        ++requests_;
        unsigned char reply[48] = {};
        reply[0] = 0x1C; // version 3, server
        reply[1] = 2;
        unsigned char transmit[8] = {0xED, 0x00, 0x37, 0x80, 0x80, 0, 0, 0}; // 2026-01-01 00:00:00.5 UTC
        if (mode_ == Mode::Now) {
            // The machine's own time, so that a real clock set from it does not move.
            FILETIME ft;
            GetSystemTimeAsFileTime(&ft);
            const unsigned long long t100ns = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
            const unsigned long long seconds = t100ns / 10000000ull - 9435484800ull + 4294967296ull * 2; // since 1900
            const unsigned s32 = static_cast<unsigned>(seconds & 0xFFFFFFFFull);
            for (int i = 0; i < 4; ++i)
                transmit[i] = static_cast<unsigned char>(s32 >> (24 - 8 * i));
        }
        std::memcpy(reply + 40, transmit, 8);
        int size = 48;
        SOCKET from = socket_;
        SOCKET other = INVALID_SOCKET;
        switch (mode_) {
        case Mode::Silent: return;
        case Mode::Short: size = 40; break;
        case Mode::Echo: std::memcpy(reply, request, 48); std::memcpy(reply + 40, transmit, 8); break;
        case Mode::KissOfDeath: reply[1] = 0; break;
        case Mode::ZeroTimestamp: std::memset(reply + 40, 0, 8); break;
        case Mode::Unsynchronised: reply[0] = 0xDC; break;
        case Mode::OtherPort:
        case Mode::StrayThenCorrect: {
            other = socket(AF_INET, SOCK_DGRAM, 0);
            from = other;
            break;
        }
        default: break;
        }
        sendto(from, reinterpret_cast<char*>(reply), size, 0, reinterpret_cast<sockaddr*>(&client), sizeof client);
        if (mode_ == Mode::StrayThenCorrect)
            sendto(socket_, reinterpret_cast<char*>(reply), size, 0, reinterpret_cast<sockaddr*>(&client),
                   sizeof client);
        if (other != INVALID_SOCKET)
            closesocket(other);
    }

    Mode mode_;
    SOCKET socket_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    int requests_ = 0;
    std::thread thread_;
};

} // namespace vemora::test
