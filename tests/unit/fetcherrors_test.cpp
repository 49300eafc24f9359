#include "net/fetch.h"

#include <gtest/gtest.h>

using namespace vemora;

TEST(FetchErrors, ChineseAndNamingTheHost) {
    struct Case {
        FetchStep step;
        FetchFailure failure;
        unsigned long code;
        const char* expected;
    } cases[] = {
        {FetchStep::Status, FetchFailure::None, 404, "服务器 w.example:8080 返回 HTTP 状态 404"},
        {FetchStep::Connect, FetchFailure::NoConnection, 12029, "无法连接服务器 w.example:8080：连接失败"},
        {FetchStep::Answer, FetchFailure::Timeout, 12002, "服务器 w.example:8080 没有应答：等待超时"},
        {FetchStep::Read, FetchFailure::Other, 5, "从服务器 w.example:8080 读取网页时中断：错误代码 5"},
        {FetchStep::TooLarge, FetchFailure::None, 0, "服务器 w.example:8080 的网页太大"},
        {FetchStep::Answer, FetchFailure::Insecure, 12175,
         "服务器 w.example:8080 没有应答：无法建立安全连接（错误代码 12175）"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FetchErrorText(c.step, "w.example:8080", c.failure, c.code), c.expected);
}

TEST(FetchErrors, HostWithItsPortAndThePartThatFailed) {
    struct Case {
        const char* url;
        const char* expected;
    } cases[] = {
        {"http://127.0.0.1:8765/weather?city=x", "127.0.0.1:8765"},
        {"http://w.example/x", "w.example:80"},
        {"HTTPS://w.example?x", "w.example:443"},
        {"http://[::1]:8765/", "[::1]:8765"},
        {"http://[::1]/", "[::1]:80"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HostAndPortOfUrl(c.url), c.expected) << c.url;
    EXPECT_EQ(OnlinePartText(OnlinePart::Weather, "x"), "天气：x");
    EXPECT_EQ(OnlinePartText(OnlinePart::Horoscope, "x"), "今日运势：x");
    EXPECT_EQ(OnlinePartText(OnlinePart::NetworkTime, "x"), "校时：x");
}
