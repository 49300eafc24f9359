#pragma once

namespace vemora {

// A spin edit's text as a number: digits with an optional sign; anything else
// reads as the minimum; the value is brought into the range.
long long SpinValue(const char* text, long long minimum, long long maximum);

} // namespace vemora
