#pragma once
#include "app/window_win.h"

namespace vemora {

class Tfrmmain;

// The calendar pop-up: a translucent month calendar under the clock.
class Tfrmcal : public BaseWindow<Tfrmcal> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmcal";
    Tfrmcal(Tfrmmain& main, ErrorReporter& reporter);
    void Show();
    void Close();
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    Tfrmmain& main_;
};

} // namespace vemora
