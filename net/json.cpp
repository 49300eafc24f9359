#include "net/json.h"

#include "base/utf8.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vemora {

namespace {

const JsonValue kNoValue;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// How many bytes a sequence with this lead byte claims (1 for a byte that leads none).
std::size_t Utf8LengthOfLead(unsigned char b) {
    return b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
}

} // namespace

std::optional<double> JsonValue::FiniteNumber() const {
    if (kind_ != Kind::Number || !std::isfinite(number_))
        return std::nullopt;
    return number_;
}

std::optional<long long> JsonValue::Integer(long long min, long long max) const {
    const std::optional<double> n = FiniteNumber();
    if (!n || *n != std::floor(*n) || *n < static_cast<double>(min) || *n > static_cast<double>(max))
        return std::nullopt;
    return static_cast<long long>(*n);
}

const JsonValue& JsonValue::operator[](std::string_view key) const {
    if (kind_ == Kind::Object)
        for (const JsonMember& m : members_)
            if (m.name == key)
                return m.value;
    return kNoValue;
}

const JsonValue& JsonValue::operator[](std::size_t index) const {
    return kind_ == Kind::Array && index < items_.size() ? items_[index] : kNoValue;
}

std::size_t JsonValue::Size() const {
    return kind_ == Kind::Array ? items_.size() : kind_ == Kind::Object ? members_.size() : 0;
}

// Reads with an explicit stack of the arrays and objects still open, so that
// the nesting of a body costs heap within the limits, never the call stack.
// Each open container is the last element of the one below it; values are only
// ever added to the innermost, so the pointers to those below stay valid.
class JsonReader {
public:
    JsonReader(std::string_view text, const JsonLimits& limits) : s_(text), limits_(limits) {}

    JsonResult Read() {
        JsonResult result;
        if (s_.size() > limits_.maxBytes)
            return Fail(JsonError::TooLarge);
        if (s_.substr(0, 3) == "\xEF\xBB\xBF")
            p_ = 3;
        enum class Want { Value, ValueOrEnd, Name, NameOrEnd, CommaOrEnd } want = Want::Value;
        std::vector<JsonValue*> open;
        bool haveRoot = false;
        for (;;) {
            SkipSpace();
            if (haveRoot && open.empty()) {
                if (p_ != s_.size())
                    return Fail(JsonError::Syntax);
                return result;
            }
            if (p_ == s_.size())
                return Fail(JsonError::CutShort);
            const char c = s_[p_];
            JsonValue* top = open.empty() ? nullptr : open.back();
            switch (want) {
            case Want::ValueOrEnd:
            case Want::NameOrEnd:
                if (c == (want == Want::ValueOrEnd ? ']' : '}')) {
                    ++p_;
                    open.pop_back();
                    want = Want::CommaOrEnd;
                    continue;
                }
                want = want == Want::ValueOrEnd ? Want::Value : Want::Name;
                continue;
            case Want::Name: {
                if (c != '"')
                    return Fail(JsonError::Syntax);
                JsonMember& member = top->members_.emplace_back();
                if (const JsonError e = ReadString(member.name); e != JsonError::None)
                    return Fail(e);
                SkipSpace();
                if (p_ == s_.size())
                    return Fail(JsonError::CutShort);
                if (s_[p_++] != ':')
                    return Fail(JsonError::Syntax);
                want = Want::Value;
                continue;
            }
            case Want::CommaOrEnd:
                if (c == ',') {
                    ++p_;
                    want = top->kind_ == JsonValue::Kind::Array ? Want::Value : Want::Name;
                } else if (c == (top->kind_ == JsonValue::Kind::Array ? ']' : '}')) {
                    ++p_;
                    open.pop_back();
                } else {
                    return Fail(JsonError::Syntax);
                }
                continue;
            case Want::Value:
                break;
            }

            if (++values_ > limits_.maxValues)
                return Fail(JsonError::TooManyValues);
            JsonValue& v = !top                                   ? result.value
                           : top->kind_ == JsonValue::Kind::Array ? top->items_.emplace_back()
                                                                  : top->members_.back().value;
            haveRoot = true;
            want = Want::CommaOrEnd;
            if (c == '{' || c == '[') {
                if (open.size() >= limits_.maxDepth)
                    return Fail(JsonError::TooDeep);
                ++p_;
                v.kind_ = c == '{' ? JsonValue::Kind::Object : JsonValue::Kind::Array;
                open.push_back(&v);
                want = c == '{' ? Want::NameOrEnd : Want::ValueOrEnd;
            } else if (c == '"') {
                v.kind_ = JsonValue::Kind::String;
                if (const JsonError e = ReadString(v.text_); e != JsonError::None)
                    return Fail(e);
            } else if (const JsonError e = ReadScalar(v); e != JsonError::None) {
                return Fail(e);
            }
        }
    }

private:
    JsonResult Fail(JsonError error) const {
        JsonResult failed;
        failed.error = error;
        failed.offset = p_;
        return failed;
    }

    void SkipSpace() {
        while (p_ < s_.size() && IsSpace(s_[p_]))
            ++p_;
    }

    // Whether the text at p_ starts with word; a word the text ends inside of
    // is a body cut short.
    JsonError Word(std::string_view word) {
        const std::string_view here = s_.substr(p_, word.size());
        if (here != word.substr(0, here.size()))
            return JsonError::Syntax;
        if (here.size() < word.size())
            return JsonError::CutShort;
        p_ += word.size();
        return JsonError::None;
    }

    JsonError ReadScalar(JsonValue& v) {
        struct Literal {
            std::string_view word;
            JsonValue::Kind kind;
            bool flag;
            double number;
        };
        constexpr double kInf = std::numeric_limits<double>::infinity();
        static const Literal kLiterals[] = {
            {"null", JsonValue::Kind::Null, false, 0},
            {"true", JsonValue::Kind::Bool, true, 0},
            {"false", JsonValue::Kind::Bool, false, 0},
            {"NaN", JsonValue::Kind::Number, false, std::numeric_limits<double>::quiet_NaN()},
            {"Infinity", JsonValue::Kind::Number, false, kInf},
            {"-Infinity", JsonValue::Kind::Number, false, -kInf},
        };
        const char c = s_[p_];
        if (IsDigit(c) || (c == '-' && s_.substr(p_, 2) != "-I"))
            return ReadNumber(v);
        for (const Literal& l : kLiterals) {
            if (c != l.word[0]) // the words differ in their first letters
                continue;
            if (const JsonError e = Word(l.word); e != JsonError::None)
                return e;
            v.kind_ = l.kind;
            v.flag_ = l.flag;
            v.number_ = l.number;
            return JsonError::None;
        }
        return JsonError::Syntax;
    }

    // JSON's number grammar, then the standard conversion, which reads the
    // same in every locale.
    JsonError ReadNumber(JsonValue& v) {
        const std::size_t start = p_;
        const auto digits = [&] {
            const std::size_t from = p_;
            while (p_ < s_.size() && IsDigit(s_[p_]))
                ++p_;
            return p_ - from;
        };
        const auto atEnd = [&] { return p_ == s_.size(); };
        if (s_[p_] == '-')
            ++p_;
        if (atEnd())
            return JsonError::CutShort;
        if (s_[p_] == '0')
            ++p_;
        else if (digits() == 0)
            return JsonError::Syntax;
        bool negativeExponent = false;
        if (!atEnd() && s_[p_] == '.') {
            ++p_;
            if (digits() == 0)
                return atEnd() ? JsonError::CutShort : JsonError::Syntax;
        }
        if (!atEnd() && (s_[p_] == 'e' || s_[p_] == 'E')) {
            ++p_;
            if (!atEnd() && (s_[p_] == '+' || s_[p_] == '-'))
                negativeExponent = s_[p_++] == '-';
            if (digits() == 0)
                return atEnd() ? JsonError::CutShort : JsonError::Syntax;
        }
        v.kind_ = JsonValue::Kind::Number;
        const auto [end, ec] = std::from_chars(s_.data() + start, s_.data() + p_, v.number_);
        if (ec == std::errc::result_out_of_range) {
            // Too large is an infinity, too small zero, as a double would have it.
            const bool negative = s_[start] == '-';
            v.number_ = negativeExponent ? 0.0
                        : negative       ? -std::numeric_limits<double>::infinity()
                                         : std::numeric_limits<double>::infinity();
        } else if (ec != std::errc() || end != s_.data() + p_) {
            return JsonError::Syntax;
        }
        return JsonError::None;
    }

    JsonError ReadHex4(char32_t& unit) {
        if (p_ + 4 > s_.size())
            return JsonError::CutShort;
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = s_[p_++];
            unit <<= 4;
            if (IsDigit(c))
                unit |= static_cast<char32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                unit |= static_cast<char32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                unit |= static_cast<char32_t>(c - 'A' + 10);
            else
                return JsonError::BadText;
        }
        return JsonError::None;
    }

    // From the opening quote at p_ to just after the closing one.
    JsonError ReadString(std::string& out) {
        ++p_;
        for (;;) {
            if (p_ >= s_.size())
                return JsonError::CutShort;
            const unsigned char c = static_cast<unsigned char>(s_[p_]);
            if (c == '"') {
                ++p_;
                return JsonError::None;
            }
            if (c < 0x20)
                return JsonError::BadText;
            if (c >= 0x80) {
                const std::size_t n = Utf8SequenceLength(s_, p_);
                if (n == 0)
                    return p_ + Utf8LengthOfLead(c) > s_.size() ? JsonError::CutShort : JsonError::BadText;
                out.append(s_.substr(p_, n));
                p_ += n;
                continue;
            }
            ++p_;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (p_ >= s_.size())
                return JsonError::CutShort;
            const char e = s_[p_++];
            static constexpr std::string_view kEscaped = "\"\\/bfnrt", kMeant = "\"\\/\b\f\n\r\t";
            if (const std::size_t at = kEscaped.find(e); at != std::string_view::npos) {
                out += kMeant[at];
                continue;
            }
            if (e != 'u')
                return JsonError::BadText;
            char32_t unit = 0;
            if (const JsonError err = ReadHex4(unit); err != JsonError::None)
                return err;
            if (unit >= 0xD800 && unit <= 0xDBFF && s_.substr(p_, 2) == "\\u") {
                const std::size_t mark = p_;
                p_ += 2;
                char32_t low = 0;
                if (const JsonError err = ReadHex4(low); err != JsonError::None)
                    return err;
                if (low >= 0xDC00 && low <= 0xDFFF)
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                else
                    p_ = mark; // the next escape stands on its own
            }
            AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? U'\uFFFD' : unit);
        }
    }

    std::string_view s_;
    JsonLimits limits_;
    std::size_t p_ = 0;
    std::size_t values_ = 0;
};

JsonResult ParseJson(std::string_view text, const JsonLimits& limits) {
    return JsonReader(text, limits).Read();
}

} // namespace vemora
