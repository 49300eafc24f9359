#pragma once
#include "app/window_win.h"

namespace vemora {

class Tfrmmain;

// The settings dialog.
class Tfrmset : public BaseWindow<Tfrmset> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmset";
    Tfrmset(Tfrmmain& main, ErrorReporter& reporter);
    void ShowModal();
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    Tfrmmain& main_;
};

} // namespace vemora
