#pragma once
#include <cstddef>
#include <string>
#include <string_view>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;

namespace vemora {

// A thin matcher over PCRE2 (8-bit, no UTF): patterns and subjects are GBK
// bytes, the newline convention is "any", and an empty string never matches.
// The pattern is compiled on first use and kept while it stays the same.
// PCRE2's match and depth limits stay at their defaults, so that a hostile
// page cannot keep the clock busy.
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
    std::size_t next_ = 0;  // where the next search starts (0-based)
    std::size_t stop_ = 0;  // the subject's length
    std::size_t matchStart_ = 0, matchEnd_ = 0;
};

// The length in bytes of the GBK character at text[at]: 2 for a lead byte
// 0x81..0xFE followed by a trail byte 0x40..0x7E or 0x80..0xFE, otherwise 1. A
// lead byte before any other byte (an ASCII '<', say) stands alone.
std::size_t GbkCharacterLength(std::string_view text, std::size_t at);

// Replaces every occurrence of find, left to right, without overlap and without
// rescanning what was put in; an occurrence never starts on the second byte of
// a GBK double-byte character.
std::string ReplaceText(std::string_view text, std::string_view find, std::string_view with);
inline std::string RemoveText(std::string_view text, std::string_view find) { return ReplaceText(text, find, {}); }

} // namespace vemora
