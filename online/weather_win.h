#pragma once
#include "app/window_win.h"

namespace vemora {

class Tfrmmain;

// The weather strip: one glowing line of weather text under the clock.
class Tfrmweather : public BaseWindow<Tfrmweather> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmweather";
    Tfrmweather(Tfrmmain& main, ErrorReporter& reporter);
    void Show();
    void Close();
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    Tfrmmain& main_;
};

} // namespace vemora
