#pragma once
// A small HTTP server on 127.0.0.1 for the tests: it answers each request with
// what the handler returns, and can misbehave the ways real providers do.
#include "base/platform_win.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vemora::test {

struct HttpReply {
    enum class Behaviour { Normal, Hang, Trickle, CloseAtOnce };
    int status = 200;
    std::string contentType = "text/html";
    std::string body;
    Behaviour behaviour = Behaviour::Normal;
};

class LocalHttpServer {
public:
    using Handler = std::function<HttpReply(const std::string& target)>;
    // A handler that gives every request the same reply.
    static Handler Always(HttpReply reply) {
        return [reply = std::move(reply)](const std::string&) { return reply; };
    }
    explicit LocalHttpServer(Handler handler);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // "127.0.0.1:port", as clockset.ini names a host.
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> Targets() const;
    void SetHandler(Handler handler);

private:
    void Accept();
    void Serve(SOCKET client);

    Handler handler_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> targets_;
    std::vector<SOCKET> clients_;
    // Each connection's thread, with whether it has finished: finished ones are
    // joined as new connections come, so that the server's own handles stay
    // flat while a test counts the process's.
    std::vector<std::pair<std::thread, std::shared_ptr<std::atomic<bool>>>> workers_;
    std::thread acceptor_;
};

// A port on 127.0.0.1 where nobody listens: connections are refused.
unsigned short RefusingPort();

// Binds a socket to 127.0.0.1 on a port the system picks, and gives the port.
unsigned short BindLoopback(SOCKET s);

} // namespace vemora::test
