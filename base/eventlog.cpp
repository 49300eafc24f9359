#include "base/eventlog.h"

#include "base/utf8.h"

#include <cstdio>

namespace vemora {

namespace {

// The text as well-formed UTF-8 on one line.
std::string CleanText(std::string_view text, std::size_t maxBytes) {
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8SequenceLength(text, i);
        if (n == 0) {
            AppendUtf8(clean, 0xFFFD);
            ++i;
            continue;
        }
        clean.append(text.substr(i, n));
        i += n;
    }
    return Utf8OneLine(clean, maxBytes);
}

} // namespace

std::string FormatLogLine(const DateTimeParts& t, std::string_view part, std::string_view message) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.millisecond);
    return stamp + CleanText(part, 40) + ": " + CleanText(message, kMaxLogMessageBytes) + "\r\n";
}

bool LogNeedsRollover(std::uint64_t fileBytes, std::size_t lineBytes, std::uint64_t capBytes) {
    return fileBytes > 0 && fileBytes + lineBytes > capBytes;
}

} // namespace vemora
