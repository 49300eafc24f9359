#include "net/https_win.h"

#include "base/handles_win.h"
#include "harness.h"
#include "testserver.h"

#include <cstdlib>

using namespace vemora;
using namespace vemora::test;

namespace {

HttpReply Reply(int status, const std::string& contentType, const std::string& body,
                HttpReply::Behaviour behaviour = HttpReply::Behaviour::Normal) {
    HttpReply r;
    r.status = status;
    r.contentType = contentType;
    r.body = body;
    r.behaviour = behaviour;
    return r;
}

// The port of one of the TLS servers tlsservers.py runs beside the tests, or 0.
unsigned short TlsPort(const char* which) {
    const char* port = std::getenv(which);
    return port ? static_cast<unsigned short>(std::atoi(port)) : 0;
}

} // namespace

TEST(HttpGet, StatusAndBodyComeAsTheyAre) {
    const std::string refusal = R"({"error":true,"reason":"Too many concurrent requests"})";
    const std::string page = "<html>\r\n<head><title>502 Bad Gateway</title></head>\r\n</html>\r\n";
    const std::string binary("\0\xFF\x80{", 4);
    const struct {
        HttpReply reply;
        const char* what;
    } cases[] = {
        {Reply(200, "application/json", R"({"current":{"temperature_2m":18.4}})"), "an answer"},
        {Reply(429, "application/json", refusal), "a refusal with its reason"},
        {Reply(502, "text/html", page), "a proxy's page"},
        {Reply(200, "application/octet-stream", binary), "bytes that are not text"},
        {Reply(204, "text/plain", ""), "nothing"},
    };
    for (const auto& c : cases) {
        LocalHttpServer server(LocalHttpServer::Always(c.reply));
        const HttpGetResult r = HttpGet("http://" + server.Host() + "/v1/forecast?latitude=28.2282&longitude=1.0");
        ASSERT_FALSE(r.error) << c.what << ": " << r.error->Text();
        EXPECT_EQ(r.status, static_cast<unsigned>(c.reply.status)) << c.what;
        EXPECT_EQ(r.body, c.reply.body) << c.what;
        EXPECT_EQ(server.Targets(), std::vector<std::string>{"/v1/forecast?latitude=28.2282&longitude=1.0"});
    }
    EXPECT_EQ(UniqueHinternet::Live(), 0) << "every handle closed";
}

TEST(HttpGet, FailuresNameTheStepHostAndPortWithinTheirTime) {
    using B = HttpReply::Behaviour;
    LocalHttpServer big(LocalHttpServer::Always(Reply(200, "application/json", std::string(5000, ' '))));
    LocalHttpServer hanging(LocalHttpServer::Always(Reply(200, "text/html", "", B::Hang)));
    LocalHttpServer trickling(LocalHttpServer::Always(Reply(200, "application/json", "{}", B::Trickle)));
    const std::string refused = "127.0.0.1:" + std::to_string(RefusingPort());
    HttpGetOptions quick;
    quick.resolveMs = quick.connectMs = quick.sendMs = quick.receiveMs = 1000;
    quick.totalMs = 2000;
    quick.maxBytes = 4096;
    const struct {
        std::string url;
        FetchStep step;
        const char* text; // contained in the message
    } cases[] = {
        {"http://" + refused + "/v1/forecast", FetchStep::Send, "连接失败"},
        {"http://" + big.Host() + "/", FetchStep::TooLarge, "的网页太大"},
        {"http://" + hanging.Host() + "/", FetchStep::Answer, "等待超时"},
        {"http://" + trickling.Host() + "/", FetchStep::Answer, "等待超时"},
        {"ftp://127.0.0.1/x", FetchStep::Address, "网址无效"},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const HttpGetResult r = HttpGet(c.url, quick);
        EXPECT_LT(Seconds(start), 3.5) << c.url; // the whole time and the wait's half second, with some slack
        ASSERT_TRUE(r.error) << c.url;
        EXPECT_EQ(r.error->step, c.step) << c.url;
        const std::string text = r.error->Text();
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
        EXPECT_NE(text.find(c.step == FetchStep::Address ? c.url : HostOfUrl(c.url)), std::string::npos) << text;
    }
}

// Run by tlsservers.py, which makes the test prefix trust one test authority
// and leaves the other a stranger; both servers' certificates are for 127.0.0.1.
TEST(HttpGet, HttpsTrustsWhatThePrefixTrustsAndAStrangerOnlyOnLoopbackWhenTold) {
    const unsigned short trusted = TlsPort("VEMORA_TLS_TRUSTED_PORT");
    const unsigned short stranger = TlsPort("VEMORA_TLS_STRANGER_PORT");
    if (!trusted || !stranger)
        GTEST_SKIP() << "no TLS servers: run through tests/win/tlsservers.py";
    HttpGetOptions strangerOnLoopback;
    strangerOnLoopback.trustUnknownCaOnLoopback = true;
    const auto url = [](const char* host, unsigned short port) {
        return "https://" + std::string(host) + ":" + std::to_string(port) + "/v1/search?name=%E9%95%BF%E6%B2%99";
    };
    const struct {
        std::string url;
        HttpGetOptions options;
        bool answered;
        const char* what;
    } cases[] = {
        {url("127.0.0.1", trusted), {}, true, "the prefix's authority"},
        {url("localhost", trusted), {}, true, "the prefix's authority, by name"},
        {url("127.0.0.1", stranger), {}, false, "a stranger"},
        {url("127.0.0.1", stranger), strangerOnLoopback, true, "a stranger on 127.0.0.1, told to"},
        {url("localhost", stranger), strangerOnLoopback, false, "a stranger anywhere else, told to"},
    };
    for (const auto& c : cases) {
        const HttpGetResult r = HttpGet(c.url, c.options);
        EXPECT_EQ(!r.error, c.answered) << c.what << (r.error ? ": " + r.error->Text() : "");
        if (c.answered) {
            EXPECT_EQ(r.status, 200u) << c.what;
            EXPECT_EQ(r.body, R"({"path": "/v1/search?name=%E9%95%BF%E6%B2%99"})") << c.what;
        } else if (r.error) {
            EXPECT_NE(r.error->Text().find("无法建立安全连接"), std::string::npos) << r.error->Text();
        }
    }
}
