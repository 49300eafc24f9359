#pragma once
#include "base/dpi.h"
#include "base/uxtheme_win.h"
#include "base/window_win.h"
#include "calendar/lunarlayout.h"
#include "calendar/monthcontrol.h"
#include "calendar/monthmodel.h"

#include <functional>
#include <string>
#include <optional>

namespace vemora {

// The month calendar: a child window that paints everything itself, without
// erasing, from its month model; the Today and None buttons are windowless,
// and the mouse reaches them and the model through MonthCalendarMouse. Its
// layout, its painting and the model's hit tests are in pixels designed at 96
// per inch; at another resolution the window grows and its painting and the
// mouse are scaled to match, so that any layout drawn through Paint is scaled
// alike.
class MonthCalendar : public BaseWindow<MonthCalendar> {
public:
    static constexpr const wchar_t* kClassName = L"TMonthCalendar";
    using TodayFn = std::function<double()>;

    MonthCalendar(HWND parent, RECT bounds, HFONT font, const UxTheme& theme, ErrorReporter& reporter, TodayFn today);

    MonthCalendarModel& Model() { return model_; }
    MiniButton& TodayButton() { return mouse_.TodayButton; }
    MiniButton& NoneButton() { return mouse_.NoneButton; }
    void SetShowNoneButton(bool show);
    void SetTodayCaption(const std::wstring& caption);
    void SetNoneCaption(const std::wstring& caption);
    // With the Chinese calendar under every day (lunar layout) or without it
    // (the Gregorian layout of the size the control was made with). The
    // control takes the layout's size; its owner fits itself around it.
    void SetLunar(bool on);
    bool Lunar() const { return lunar_.has_value(); }
    const std::optional<LunarLayout>& LunarGeometry() const { return lunar_; }
    // The user's holiday arrangements, owned by the caller; none: the built-in ones only.
    void SetHolidayBook(const HolidayBook* book);
    // What the lunar layout shows under the day of a cell, and the line for the selected day.
    LunarCellFace FaceAt(int col, int row) const;
    std::wstring InfoLineText() const;
    // The almanac card's lines for the selected day (calendar/almanac.h);
    // none beyond the Chinese calendar's years.
    std::vector<std::string> AlmanacText() const;
    // What the pop-up says for the selected day, one line each: the day line,
    // then the lines under the grid (CalendarPopupLines), UTF-8.
    std::vector<std::string> ShownLines() const;
    // Draws at the given resolution: the window takes its designed bounds scaled.
    void SetDpi(int dpi);
    int Dpi() const { return dpi_; }
    // The control's mouse notifications: a press on its own surface (not on a
    // mini button), raised before the press selects or steps; a move, raised
    // before its drag-selection.
    std::function<void(WPARAM keys, int x, int y)> OnMouseDown;
    std::function<void(WPARAM keys, int x, int y)> OnMouseMove;
    // Esc pressed while the control has the keyboard; the other keys it
    // answers itself (MonthCalendarModel::KeyPressed).
    std::function<void()> OnEscape;
    // The font a day number is drawn in, which an OnDayFont handler may
    // change: the face stays for the following days, the colour for this one.
    struct DayFont {
        LOGFONTW face;
        COLORREF colour;
    };
    // Runs just before each day number of the month is drawn, with the day.
    std::function<void(int day, DayFont& font)> OnDayFont;
    // The first day of the week: stored, and the whole control painted again.
    void SetStartDay(StartDayOfWeek startDay);
    // An arrow held down steps first after kArrowRepeatDelayMs, then every kArrowRepeatMs.
    static constexpr UINT kArrowRepeatDelayMs = 400, kArrowRepeatMs = 120;

    // Draws the whole client area into a device context, in designed pixels.
    void Paint(HDC dc);
    // Draws the whole client area at the control's resolution.
    void PaintScaled(HDC dc);
    std::wstring DayLetter(int column) const;
    std::wstring MonthName(int month) const;

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void PaintButton(HDC dc, const MiniButton& button, bool themed);
    // Asks OnDayFont for a day's font and selects what it answers; the font
    // made for it lives in dayFont_ until the paint ends.
    void NotifyDayFont(HDC dc, int day);
    void RepeatHeldArrow();
    bool KeyDown(WPARAM key);
    void PaintFrameAndHeader(HDC dc, bool themed);
    void PaintLunar(HDC dc);
    void PaintLunarCell(HDC dc, const CalendarCell& cell, int col, int row, double today, bool themed);
    void PaintAlmanac(HDC dc);
    // The card's tooltips: 彭祖百忌 over its first rows, the whole 宜 and 忌
    // over theirs; placed at the control's resolution.
    void PlaceAlmanacTips();
    std::optional<LRESULT> AnswerAlmanacTip(LPARAM lParam);
    int FontHeight() const;
    bool DrawThemedButton(HDC dc, const RECT& designed, bool pressed);
    void InvalidateButton(const MiniButton& button);
    void InvalidateDesigned(const RECT& designed);

    const UxTheme& theme_;
    HFONT font_;
    TodayFn today_;
    MonthCalendarModel model_;
    MonthCalendarMouse mouse_;
    RECT designBounds_{};
    int dpi_ = kDesignDpi;
    std::vector<std::wstring> weekdayLetters_; // Sunday first
    std::vector<std::wstring> monthNames_;
    CalendarGeometry gregorian_;
    std::optional<LunarLayout> lunar_;
    UniqueHfont markFont_; // the small 休 and 班
    UniqueHfont dayFont_;  // a day number's font as OnDayFont changed it, during a paint
    UniqueHwnd almanacTip_;
    std::wstring almanacTipText_;
    static constexpr UINT_PTR kArrowRepeatTimer = 1;
    HolidayBook noHolidays_;
    const HolidayBook* holidays_ = &noHolidays_;
};

} // namespace vemora
