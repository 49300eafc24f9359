#include "online/regex.h"

#include <pcre2.h>

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
    code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern_.data()), pattern_.size(), 0, &error, &offset,
                          context);
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
    result_ = pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(subject_.data()), stop_, from, PCRE2_NOTEMPTY,
                          matchData_, nullptr);
    if (result_ <= 0)
        return false; // no match, or a limit reached: either way nothing matched
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData_);
    matchStart_ = ovector[0];
    matchEnd_ = ovector[1];
    next_ = matchEnd_ == matchStart_ ? matchEnd_ + 1 : matchEnd_;
    return true;
}

bool TRegexMatcher::FirstMatch() { return Search(0); }

bool TRegexMatcher::NextMatch() { return Search(next_); }

std::string TRegexMatcher::MatchedText() const {
    if (result_ <= 0)
        return {};
    return subject_.substr(matchStart_, matchEnd_ - matchStart_);
}

namespace {

bool IsGbkTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

} // namespace

std::size_t GbkCharacterLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x81 || lead > 0xFE || at + 1 >= text.size())
        return 1;
    return IsGbkTrailByte(static_cast<unsigned char>(text[at + 1])) ? 2 : 1;
}

std::string ReplaceText(std::string_view text, std::string_view find, std::string_view with) {
    if (find.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t p = 0;
    while (p < text.size()) {
        if (text.compare(p, find.size(), find) == 0) {
            out.append(with);
            p += find.size();
            continue;
        }
        const std::size_t step = GbkCharacterLength(text, p);
        out.append(text.substr(p, step));
        p += step;
    }
    return out;
}

} // namespace vemora
