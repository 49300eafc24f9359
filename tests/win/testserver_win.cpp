#include "testserver.h"

#include <chrono>

namespace vemora::test {

LocalHttpServer::LocalHttpServer(Handler handler) : handler_(std::move(handler)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    port_ = BindLoopback(listener_);
    listen(listener_, 16);
    acceptor_ = std::thread([this] { Accept(); });
}

LocalHttpServer::~LocalHttpServer() {
    stopping_ = true;
    closesocket(listener_);
    acceptor_.join();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (SOCKET c : clients_)
            shutdown(c, SD_BOTH);
    }
    for (auto& w : workers_)
        w.first.join();
    WSACleanup();
}

std::vector<std::string> LocalHttpServer::Targets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_;
}

void LocalHttpServer::SetHandler(Handler handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    handler_ = std::move(handler);
}

void LocalHttpServer::Accept() {
    for (;;) {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        std::lock_guard<std::mutex> lock(mutex_);
        std::erase_if(workers_, [](auto& w) {
            if (!*w.second)
                return false;
            w.first.join();
            return true;
        });
        clients_.push_back(client);
        auto done = std::make_shared<std::atomic<bool>>(false);
        workers_.emplace_back(std::thread([this, client, done] {
                                  Serve(client);
                                  *done = true;
                              }),
                              done);
    }
}

void LocalHttpServer::Serve(SOCKET client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<size_t>(n));
    }
    const size_t first = request.find(' ');
    const size_t second = request.find(' ', first + 1);
    const std::string target =
        first == std::string::npos || second == std::string::npos ? "" : request.substr(first + 1, second - first - 1);
    Handler handler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        targets_.push_back(target);
        handler = handler_;
    }
    const HttpReply reply = handler(target);
    auto sleepUnlessStopping = [this](int ms) {
        for (int waited = 0; waited < ms && !stopping_; waited += 20)
            Sleep(20);
    };
    switch (reply.behaviour) {
    case HttpReply::Behaviour::Hang:
        // Accept and never answer, until the test ends.
        while (!stopping_ && recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        break;
    case HttpReply::Behaviour::CloseAtOnce:
        break;
    default: {
        const std::string response =
            "HTTP/1.1 " + std::to_string(reply.status) + " Status\r\nContent-Type: " + reply.contentType +
            "\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n" + reply.body;
        if (reply.behaviour == HttpReply::Behaviour::Trickle) {
            for (size_t i = 0; i < response.size() && !stopping_; ++i) {
                if (send(client, response.data() + i, 1, 0) <= 0)
                    break;
                sleepUnlessStopping(1000);
            }
        } else {
            size_t sent = 0;
            while (sent < response.size()) {
                const int n = send(client, response.data() + sent, static_cast<int>(response.size() - sent), 0);
                if (n <= 0)
                    break;
                sent += static_cast<size_t>(n);
            }
        }
        shutdown(client, SD_SEND);
        sleepUnlessStopping(50);
        break;
    }
    }
    closesocket(client);
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase(clients_, client);
}

unsigned short BindLoopback(SOCKET s) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
    int length = sizeof at;
    getsockname(s, reinterpret_cast<sockaddr*>(&at), &length);
    return ntohs(at.sin_port);
}

unsigned short RefusingPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const unsigned short port = BindLoopback(s);
    closesocket(s);
    WSACleanup();
    return port;
}

} // namespace vemora::test
