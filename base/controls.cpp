#include "base/controls.h"

#include <string>

namespace vemora {

long long SpinValue(const char* text, long long minimum, long long maximum) {
    std::string s = text ? text : "";
    while (!s.empty() && s.front() == ' ')
        s.erase(s.begin());
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    if (i == s.size())
        return minimum;
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return minimum;
        value = value * 10 + (s[i] - '0');
        if (value > maximum)
            value = maximum + 1; // beyond the range; no overflow on long input
    }
    if (negative)
        value = -value;
    return value < minimum ? minimum : value > maximum ? maximum : value;
}

} // namespace vemora
