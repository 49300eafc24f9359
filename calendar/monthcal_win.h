#pragma once
#include "base/uxtheme_win.h"
#include "base/window_win.h"
#include "calendar/monthmodel.h"

#include <functional>
#include <string>
#include <optional>

namespace vemora {

// A windowless push button drawn by its parent, the month calendar.
struct TMiniButton {
    RECT bounds{};
    std::wstring caption;
    int tag = 0;
    bool visible = true;
    bool Pressed = false;
    bool Contains(POINT p) const { return visible && PtInRect(&bounds, p); }
};

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
    TMiniButton& TodayButton() { return todayButton_; }
    TMiniButton& NoneButton() { return noneButton_; }
    void SetShowNoneButton(bool show);
    void SetTodayCaption(const std::wstring& caption);
    void SetNoneCaption(const std::wstring& caption);
    // The control's mouse notifications: a press on its own surface (not on a
    // mini button), raised before the press selects or steps; a move, raised
    // before its drag-selection.
    std::function<void(WPARAM keys, int x, int y)> OnMouseDown;
    std::function<void(WPARAM keys, int x, int y)> OnMouseMove;

    // Draws the whole client area into a device context.
    void Paint(HDC dc);
    std::wstring DayLetter(int column) const;
    std::wstring MonthName(int month) const;

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void ButtonMouseDown(TMiniButton& button, bool capture);
    void ButtonMouseUp(TMiniButton& button);
    void ReleaseButtons();
    void PaintButton(HDC dc, const TMiniButton& button, bool themed);
    void InvalidateButton(const TMiniButton& button);

    const UxTheme& theme_;
    HFONT font_;
    TodayFn today_;
    MonthCalendarModel model_;
    TMiniButton todayButton_, noneButton_;
    TMiniButton* captured_ = nullptr;
    bool showNone_ = false;
    std::vector<std::wstring> weekdayLetters_; // Sunday first
    std::vector<std::wstring> monthNames_;
};

} // namespace vemora
