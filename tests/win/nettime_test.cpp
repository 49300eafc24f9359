#include "online/nettime_win.h"

#include "harness.h"

#include <cstring>

#include <chrono>
#include <thread>

using namespace vemora;
using namespace vemora::test;

namespace {

// A local NTP responder on 127.0.0.1 that answers one request in the way it is told to.
class NtpResponder {
public:
    enum class Mode { Correct, OtherPort, Short, Echo, KissOfDeath, ZeroTimestamp, Unsynchronised, Silent, StrayThenCorrect };

    explicit NtpResponder(Mode mode) : mode_(mode) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(socket_, reinterpret_cast<sockaddr*>(&at), sizeof at);
        int length = sizeof at;
        getsockname(socket_, reinterpret_cast<sockaddr*>(&at), &length);
        port_ = ntohs(at.sin_port);
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
        const unsigned char transmit[8] = {0xED, 0x00, 0x37, 0x80, 0x80, 0, 0, 0}; // 2026-01-01 00:00:00.5 UTC
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

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

TEST(NetworkTime, ACorrectAnswerGivesLocalTime) {
    for (auto mode : {NtpResponder::Mode::Correct, NtpResponder::Mode::StrayThenCorrect}) {
        NtpResponder responder(mode);
        const NetworkTime t = QueryNetworkTime(responder.Server());
        EXPECT_NEAR(t.local, 46023.3333391, 1e-7) << "UTC+8, as the tests' time zone";
        EXPECT_NEAR(t.utc, 46023.0000058, 1e-7);
        EXPECT_EQ(responder.Requests(), 1);
    }
}

TEST(NetworkTime, UntrustedAnswersAndSilenceGiveZeroWithinTheBound) {
    using Mode = NtpResponder::Mode;
    for (auto mode : {Mode::OtherPort, Mode::Short, Mode::Echo, Mode::KissOfDeath, Mode::ZeroTimestamp,
                      Mode::Unsynchronised, Mode::Silent}) {
        NtpResponder responder(mode);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(GetNetworkTime(responder.Server()), 0) << static_cast<int>(mode);
        EXPECT_LT(Seconds(start), 3.5) << static_cast<int>(mode);
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(GetNetworkTime("127.0.0.1:1"), 0) << "nobody listening";
    EXPECT_EQ(GetNetworkTime("no-such-host.invalid"), 0);
    EXPECT_EQ(GetNetworkTime(""), 0);
    EXPECT_LT(Seconds(start), 10.0);
}

using NetworkTimeAtStartup = ClockFixture;

TEST_F(NetworkTimeAtStartup, SetsTheSystemClockFromUtcThroughTheEffects) {
    NtpResponder responder(NtpResponder::Mode::Correct);
    WriteIni("[Option]\r\ngetnettime=1\r\nNtpServer=" + responder.Server() + "\r\n");
    Create(true);
    ASSERT_EQ(effects.clockSets.size(), 1u);
    const SYSTEMTIME& utc = effects.clockSets[0];
    EXPECT_EQ(utc.wYear, 2026);
    EXPECT_EQ(utc.wMonth, 1);
    EXPECT_EQ(utc.wDay, 1);
    EXPECT_EQ(utc.wHour, 0);
    EXPECT_EQ(utc.wMinute, 0);
    EXPECT_EQ(utc.wSecond, 0);
    EXPECT_EQ(utc.wMilliseconds, 500);
    EXPECT_EQ(utc.wDayOfWeek, 4) << "a Thursday";
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(NetworkTimeAtStartup, AFailedQueryChangesNothingAndShowsNothing) {
    NtpResponder responder(NtpResponder::Mode::KissOfDeath);
    WriteIni("[Option]\r\ngetnettime=1\r\nNtpServer=" + responder.Server() + "\r\n");
    Create(true);
    EXPECT_TRUE(effects.clockSets.empty());
    EXPECT_TRUE(effects.errors.empty());
    EXPECT_TRUE(main->TimerEnabled());
}
