#pragma once
#include "app/window_win.h"

namespace vemora {

class Tfrmmain;

// The daily horoscope panel on its notepad sheet.
class Tfrmxingzuo : public BaseWindow<Tfrmxingzuo> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmxingzuo";
    Tfrmxingzuo(Tfrmmain& main, ErrorReporter& reporter);
    void Show();
    void Close();
    void PlaceUnderClock(HWND clock);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    Tfrmmain& main_;
};

} // namespace vemora
