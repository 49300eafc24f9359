#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vemora {

struct JsonMember;

// One value of a JSON document. Strings are UTF-8: escapes are decoded, and a
// lone surrogate becomes U+FFFD. Numbers are doubles; NaN and the infinities
// (written NaN, Infinity, -Infinity by some writers, or a number too large
// such as 1e999) are kept but never come out of FiniteNumber().
class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Kind kind() const { return kind_; }
    bool IsNull() const { return kind_ == Kind::Null; }
    bool IsTrue() const { return kind_ == Kind::Bool && flag_; }

    // A finite number, or nothing for any other value.
    std::optional<double> FiniteNumber() const;
    // The number when it is a whole number in [min, max], else nothing.
    std::optional<long long> Integer(long long min, long long max) const;
    // The text of a string, nullptr for any other value.
    const std::string* Text() const { return kind_ == Kind::String ? &text_ : nullptr; }

    // An object's member (the first of that name) or an array's element; a
    // null value when there is none, so that lookups chain:
    // root["current"]["temperature_2m"].FiniteNumber().
    const JsonValue& operator[](std::string_view key) const;
    const JsonValue& operator[](std::size_t index) const;
    std::size_t Size() const; // elements of an array, members of an object, else 0
    const std::vector<JsonValue>& Items() const { return items_; }

private:
    friend class JsonReader;
    Kind kind_ = Kind::Null;
    bool flag_ = false;
    double number_ = 0;
    std::string text_;
    std::vector<JsonValue> items_;
    std::vector<JsonMember> members_;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

enum class JsonError {
    None,
    TooLarge,      // longer than JsonLimits::maxBytes
    TooDeep,       // arrays and objects nested deeper than maxDepth
    TooManyValues, // more than maxValues values in all
    CutShort,      // the text ends inside a value
    Syntax,        // not JSON
    BadText,       // a string with a raw control character, a bad escape or bytes that are not UTF-8
};

// Bounds on what a body may cost: a service's answer is a few kilobytes, and a
// broken or hostile one must not take the memory or the stack.
struct JsonLimits {
    std::size_t maxBytes = 1u << 20;
    std::size_t maxDepth = 64;
    std::size_t maxValues = 65536;
};

struct JsonResult {
    JsonValue value;
    JsonError error = JsonError::None;
    std::size_t offset = 0; // where reading stopped, for an error
    explicit operator bool() const { return error == JsonError::None; }
};

// Reads one JSON document (a leading UTF-8 byte-order mark is skipped), in one
// pass without recursion. Anything but white space after the document is a
// syntax error.
JsonResult ParseJson(std::string_view text, const JsonLimits& limits = {});

} // namespace vemora
