#pragma once
// Small tools the end-to-end tests share: waiting for a condition, real
// pointer input, and timing the clock's answers.
#include <windows.h>

#include <functional>
#include <vector>

namespace vemora::e2e {

// Looks at the condition every pollMs until it holds or timeoutMs has passed;
// whether it held.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000, int pollMs = 50);

// The pointer to p through the system's input queue, with the given button
// flags. Absolute coordinates are 0..65535 over the screen: rounded up, they
// land on p.
void SendPointer(POINT p, DWORD flags);

// How long the window's thread takes to answer a message, in seconds.
double AnswerTime(HWND window, int limitMs);

// The value at fraction p (0..1) of the sorted values; -1 when there are none.
double Percentile(std::vector<double> values, double p);

} // namespace vemora::e2e
