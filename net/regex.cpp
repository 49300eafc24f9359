#include "net/regex.h"

#include "base/gbk.h"

#include <pcre2.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vemora {

TRegexMatcher::TRegexMatcher() : matchData_(pcre2_match_data_create(100, nullptr)) {
    if (!matchData_)
        throw std::bad_alloc();
}

TRegexMatcher::~TRegexMatcher() {
    pcre2_code_free(code_);
    pcre2_match_data_free(matchData_);
}

void TRegexMatcher::SetSubject(std::string subject) {
    subject_ = std::move(subject);
    next_ = 0;
    stop_ = subject_.size();
    result_ = 0;
}

void TRegexMatcher::SetPattern(std::string_view pattern) {
    if (pattern == pattern_ && code_)
        return;
    pattern_ = pattern;
    pcre2_code_free(code_);
    code_ = nullptr;
}

void TRegexMatcher::Compile() {
    if (code_)
        return;
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(context, PCRE2_NEWLINE_ANY);
    int error = 0;
    PCRE2_SIZE offset = 0;
    code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern_.data()), pattern_.size(), 0, &error, &offset, context);
    pcre2_compile_context_free(context);
    if (!code_) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(error, message, sizeof message);
        throw std::runtime_error("Invalid pattern at " + std::to_string(offset) + ": " +
                                 reinterpret_cast<const char*>(message));
    }
}

bool TRegexMatcher::Search(std::size_t from) {
    Compile();
    result_ = 0;
    if (from > stop_)
        return false;
    result_ = pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(subject_.data()), stop_, from, PCRE2_NOTEMPTY, matchData_,
                          nullptr);
    if (result_ <= 0)
        return false; // no match, or a limit reached: either way nothing matched
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData_);
    matchStart_ = ovector[0];
    matchEnd_ = ovector[1];
    next_ = matchEnd_ == matchStart_ ? matchEnd_ + 1 : matchEnd_;
    return true;
}

bool TRegexMatcher::FirstMatch() {
    return Search(0);
}

bool TRegexMatcher::NextMatch() {
    return Search(next_);
}

std::string TRegexMatcher::MatchedText() const {
    if (result_ <= 0)
        return {};
    return subject_.substr(matchStart_, matchEnd_ - matchStart_);
}

std::size_t FindLiteral(std::string_view text, std::string_view literal, std::size_t from) {
    const std::size_t m = literal.size();
    if (from > text.size() || text.size() - from < m)
        return std::string_view::npos;
    if (m <= 1)
        return m == 0 ? from : text.find(literal[0], from);
    // Horspool's rule: a window that does not hold the literal moves on by how
    // far the byte under its last position stands from the literal's end (a
    // byte not in the literal: its whole length). Moves are capped at 255 to
    // keep the table small; a shorter move only costs a look more.
    unsigned char move[256];
    std::memset(move, static_cast<int>(std::min<std::size_t>(m, 255)), sizeof move);
    for (std::size_t i = 0; i + 1 < m; ++i)
        move[static_cast<unsigned char>(literal[i])] =
            static_cast<unsigned char>(std::min<std::size_t>(m - 1 - i, 255));
    const char first = literal.front(), last = literal.back();
    for (std::size_t at = from; at + m <= text.size();) {
        const char end = text[at + m - 1];
        if (end == last && text[at] == first && std::memcmp(text.data() + at, literal.data(), m) == 0)
            return at;
        at += move[static_cast<unsigned char>(end)];
    }
    return std::string_view::npos;
}

std::optional<Span> FindDelimited(std::string_view text, const DelimitedPattern& pattern, std::size_t from) {
    // The matcher tries each opening in turn. An attempt takes the run up to the
    // first stop byte and needs the closing right there. Every later opening
    // that ends at or before that stop byte runs into the same stop and fails
    // alike, so the next one to try ends past it and its run starts past it.
    while (true) {
        const std::size_t start = FindLiteral(text, pattern.opening, from);
        if (start == std::string_view::npos)
            return std::nullopt;
        const std::size_t stop = pattern.stops.size() == 1
                                     ? text.find(pattern.stops[0], start + pattern.opening.size())
                                     : text.find_first_of(pattern.stops, start + pattern.opening.size());
        if (stop == std::string_view::npos)
            return std::nullopt;
        if (text.substr(stop).starts_with(pattern.closing))
            return Span{start, stop + pattern.closing.size()};
        from = stop + 1 - pattern.opening.size();
    }
}

std::string ReplaceText(std::string_view text, std::string_view find, std::string_view with) {
    if (find.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    // An occurrence that opens with a byte that is never a trail byte ('<' or a
    // carriage return, say) cannot start inside a double-byte character: such
    // occurrences are looked up directly. Any other find walks the text
    // character by character.
    const bool walk = IsGbkTrailByte(static_cast<unsigned char>(find[0]));
    std::size_t copied = 0, p = 0;
    while (p < text.size()) {
        if (!walk) {
            p = FindLiteral(text, find, p);
            if (p == std::string_view::npos)
                break;
        } else if (text[p] != find[0] || !text.substr(p).starts_with(find)) {
            p += GbkCharLength(text, p);
            continue;
        }
        out.append(text.substr(copied, p - copied));
        out.append(with);
        p += find.size();
        copied = p;
    }
    out.append(text.substr(copied));
    return out;
}

} // namespace vemora
