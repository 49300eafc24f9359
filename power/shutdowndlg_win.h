#pragma once
#include "base/controls_win.h"
#include "base/datetime.h"
#include "base/window_win.h"

#include <functional>
#include <optional>

namespace vemora {

// The timed-action dialog: arms one shutdown, alarm sound or restart at a time
// of day or after a number of minutes.
class Tfrmshutdown : public BaseWindow<Tfrmshutdown> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmshutdown";
    // Not IDOK and IDCANCEL: Enter where no button has the focus must not
    // reach the OK button. Esc (IDCANCEL) closes, as 退出 does.
    // clang-format off
    enum Id {
        kButton1 = 10, kButton2, kButton3,    // 确定, 退出, 重设
        kRg1Item0, kRg1Item1,                 // at a time of day, after a number of minutes
        kSphour, kSpmin, kSpdelay,            // the hour, the minute, the minutes
        kRg2Item0, kRg2Item1, kRg2Item2       // shut down, play the sound, restart
    };
    // clang-format on

    // owner: the window that owns the dialog; modalOver: the clock, disabled
    // while the dialog runs; now: the local time; armedChanged: runs after the
    // armed mark changed.
    Tfrmshutdown(HWND owner, HWND modalOver, ErrorReporter& reporter, std::function<DateTimeParts()> now,
                 std::function<void()> armedChanged);

    void ShowModal();
    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();

    SpinEdit sphour, spmin, spdelay;
    HWND Button1 = nullptr, Button2 = nullptr, Button3 = nullptr;
    HWND rg1[2] = {}, rg2[3] = {};
    int Rg1Index() const;
    int Rg2Index() const;
    void SetRg1Index(int index);
    void SetRg2Index(int index);

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The dialog at a resolution: size, controls and font scaled from the design.
    void ApplyDpi(int dpi);
    int Dpi() const { return dpi_; }

private:
    HWND modalOver_;
    std::function<DateTimeParts()> now_;
    std::function<void()> armedChanged_;
    UniqueHfont font_;
    DialogLayout layout_;
    int dpi_ = kDesignDpi;
};

} // namespace vemora
