#pragma once
#include <string>
#include <string_view>

namespace vemora {

// The character set a response declares: the Content-Type header's charset, or
// else a <meta> declaration near the top of the body. Lower case; empty when
// nothing is declared.
std::string DeclaredCharset(std::string_view contentType, std::string_view body);

// The code page a declared character set is read with: 936 for GBK, GB2312,
// GB18030 and anything unknown (their bytes are kept as they are), 65001 for
// UTF-8, and the code pages of Big5, Latin-1 and windows-1252.
unsigned CodePageOfCharset(std::string_view charset);

// The host part of an address, for messages: "a.example:8080" of
// "http://a.example:8080/x?y".
std::string HostOfUrl(std::string_view url);

// The host of an address with its port, for messages: the port written in
// the address, else the scheme's (443 for https, 80 otherwise).
// "a.example:80" of "http://a.example/x", "[::1]:8765" of "http://[::1]:8765/".
std::string HostAndPortOfUrl(std::string_view url);

// The parts of the program that go to the network.
enum class OnlinePart { Weather, Horoscope, NetworkTime };

// A failure's message (UTF-8) with the part it befell in front, so that the
// user knows which one failed: "天气：…", "今日运势：…", "校时：…".
std::string OnlinePartText(OnlinePart part, std::string_view message);

// Why a fetch failed, as far as the message cares.
enum class FetchFailure { None, Timeout, NoConnection, HostNotFound, Other, Insecure };

// Which step of a fetch failed.
enum class FetchStep { Address, Start, Connect, Request, Send, Answer, Status, Read, TooLarge };

// The message of a failed fetch, in Chinese (UTF-8): the step that failed,
// naming the host (for Address, the address), then the reason. code is the
// HTTP status for Status and otherwise the system's error code, which Other
// names.
std::string FetchErrorText(FetchStep step, const std::string& host, FetchFailure failure, unsigned long code = 0);

} // namespace vemora
