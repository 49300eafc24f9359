#include "helpers.h"

#include "harness.h"

#include <algorithm>
#include <chrono>

namespace vemora::e2e {

bool WaitFor(const std::function<bool()>& condition, int timeoutMs, int pollMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!condition()) {
        if (GetTickCount64() > end)
            return false;
        Sleep(static_cast<DWORD>(pollMs));
    }
    return true;
}

void SendPointer(POINT p, DWORD flags) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{INPUT_MOUSE};
    in.mi.dx = static_cast<LONG>((p.x * 65536LL + w - 1) / w);
    in.mi.dy = static_cast<LONG>((p.y * 65536LL + h - 1) / h);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    SendInput(1, &in, sizeof in);
}

double AnswerTime(HWND window, int limitMs) {
    const auto start = std::chrono::steady_clock::now();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(limitMs), &result);
    return test::Seconds(start);
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

} // namespace vemora::e2e
