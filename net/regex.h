#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;

namespace vemora {

// A thin matcher over PCRE2 (8-bit, no UTF): patterns and subjects are GBK
// bytes, the newline convention is "any", and an empty string never matches.
// The pattern is compiled on first use and kept while it stays the same.
// PCRE2's match and depth limits stay at their defaults; reaching one counts as
// no match. Those limits bound the backtracking of one attempt at one start
// position, not the number of attempts: a pattern whose failed attempts each
// read far ahead (the link and heading patterns of the pages do) costs the
// square of the subject's length whatever the limits, minutes for a megabyte.
// So the page patterns are not run through this matcher: scanners of their own
// (FindLink, FindParagraph, FindDelimited) give the same matches in time linear
// in the page, and the tests hold them against this matcher.
class TRegexMatcher {
public:
    TRegexMatcher();
    ~TRegexMatcher();
    TRegexMatcher(const TRegexMatcher&) = delete;
    TRegexMatcher& operator=(const TRegexMatcher&) = delete;

    void SetSubject(std::string subject);
    void SetPattern(std::string_view pattern);
    bool FirstMatch();
    bool NextMatch();
    // The whole last match; empty unless the last search matched.
    std::string MatchedText() const;
    // Where the last match starts, 0-based, and how long it is.
    std::size_t MatchStart() const { return matchStart_; }
    bool CompiledFormKept() const { return code_ != nullptr; }

private:
    bool Search(std::size_t from);
    void Compile();

    std::string subject_;
    std::string pattern_;
    pcre2_real_code_8* code_ = nullptr;
    pcre2_real_match_data_8* matchData_ = nullptr;
    int result_ = 0;
    std::size_t next_ = 0; // where the next search starts (0-based)
    std::size_t stop_ = 0; // the subject's length
    std::size_t matchStart_ = 0, matchEnd_ = 0;
};

// The bytes at which "." stops under the "any" newline convention: CR, LF, VT, FF and 0x85.
constexpr bool IsLineBreakByte(unsigned char b) {
    return b == '\r' || b == '\n' || b == '\v' || b == '\f' || b == 0x85;
}

// Where literal first occurs in text at or after from; npos when nowhere. It
// skips ahead by the byte under the literal's end, so that a page full of the
// literal's first byte costs no more than any other, and it costs next to
// nothing to start, so that it can be called once for each of many matches.
std::size_t FindLiteral(std::string_view text, std::string_view literal, std::size_t from = 0);

// The pattern opening + "[^stops]*" + closing, opening and closing taken
// literally, where closing starts with one of the stops: the run can only end
// at the first stop byte after the opening, so an attempt has nothing to
// backtrack.
struct DelimitedPattern {
    std::string_view opening, stops, closing;
};

// Where a match lies: [start, end).
struct Span {
    std::size_t start = 0, end = 0;
};

// The first match of pattern that starts at or after from, the one the matcher
// finds there. Matching from 0 and then from each match's end reads every byte
// of the text a bounded number of times.
std::optional<Span> FindDelimited(std::string_view text, const DelimitedPattern& pattern, std::size_t from = 0);

// Replaces every occurrence of find, left to right, without overlap and without
// rescanning what was put in; an occurrence never starts on the second byte of
// a GBK double-byte character.
std::string ReplaceText(std::string_view text, std::string_view find, std::string_view with);
inline std::string RemoveText(std::string_view text, std::string_view find) {
    return ReplaceText(text, find, {});
}

} // namespace vemora
