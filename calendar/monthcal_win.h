#pragma once
#include "base/uxtheme_win.h"
#include "base/window_win.h"
#include "calendar/monthcontrol.h"
#include "calendar/monthmodel.h"

#include <functional>
#include <string>
#include <optional>

namespace vemora {

// The month calendar: a child window that paints everything itself, without
// erasing, from its month model; the Today and None buttons are windowless
// and routed by it.
class TMonthCalendar : public BaseWindow<TMonthCalendar> {
public:
    static constexpr const wchar_t* kClassName = L"TMonthCalendar";
    using TodayFn = std::function<double()>;

    TMonthCalendar(HWND parent, RECT bounds, HFONT font, const UxTheme& theme, ErrorReporter& reporter,
                   TodayFn today);

    MonthCalendarModel& Model() { return model_; }
    TMiniButton& TodayButton() { return mouse_.TodayButton; }
    TMiniButton& NoneButton() { return mouse_.NoneButton; }
    void SetShowNoneButton(bool show);
    void SetTodayCaption(const std::wstring& caption);
    void SetNoneCaption(const std::wstring& caption);
    // The control's mouse-move notification, raised before its drag-selection.
    std::function<void(WPARAM keys, int x, int y)> OnMouseMove;

    // Draws the whole client area into a device context.
    void Paint(HDC dc);
    std::wstring DayLetter(int column) const;
    std::wstring MonthName(int month) const;

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void PaintButton(HDC dc, const TMiniButton& button, bool themed);
    void InvalidateButton(const TMiniButton& button);

    const UxTheme& theme_;
    HFONT font_;
    TodayFn today_;
    MonthCalendarModel model_;
    MonthCalendarMouse mouse_;
    bool showNone_ = false;
    std::vector<std::wstring> weekdayLetters_; // Sunday first
    std::vector<std::wstring> monthNames_;
};

} // namespace vemora
