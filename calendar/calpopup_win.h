#pragma once
#include "app/uxtheme_win.h"
#include "app/window_win.h"
#include "calendar/monthcal_win.h"

#include <memory>

namespace vemora {

class Tfrmmain;

// The calendar pop-up: a borderless translucent window under the clock, filled
// by one month calendar. Closing it only hides it; month, selection and place
// survive until the next showing.
class Tfrmcal : public BaseWindow<Tfrmcal> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmcal";
    Tfrmcal(Tfrmmain& main, ErrorReporter& reporter, const UxTheme& theme);
    void Show();
    void Close();
    TMonthCalendar& MonthCalendar1() { return *monthCalendar1_; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void FormMouseMove() { DragWithMouse(); }
    Tfrmmain& main_;
    UniqueHfont font_;
    std::unique_ptr<TMonthCalendar> monthCalendar1_;
};

} // namespace vemora
