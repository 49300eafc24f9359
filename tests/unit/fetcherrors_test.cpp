#include "online/fetch.h"

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
