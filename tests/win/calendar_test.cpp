#include "base/datetime.h"
#include "calendar/calendarpopup_win.h"
#include "horoscope/horoscopepanel_win.h"
#include "render/glow_win.h"

#include "harness.h"

using namespace vemora;
using namespace vemora::test;

namespace {

COLORREF Rgb(const DibImage& image, int x, int y) {
    const std::uint32_t p = image.Pixel(x, y);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int CountColour(const DibImage& image, const CalRect& r, COLORREF colour) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += Rgb(image, x, y) == colour;
    return n;
}

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

// The colours of a PNG file, 0x00RRGGBB row by row; empty when it cannot be read.
std::vector<std::uint32_t> ReadPngColours(const std::wstring& path, int& width, int& height) {
    Gdiplus::Bitmap bitmap(path.c_str());
    if (bitmap.GetLastStatus() != Gdiplus::Ok)
        return {};
    width = static_cast<int>(bitmap.GetWidth());
    height = static_cast<int>(bitmap.GetHeight());
    std::vector<std::uint32_t> colours;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Gdiplus::Color c;
            bitmap.GetPixel(x, y, &c);
            colours.push_back(c.GetValue() & 0xFFFFFFu);
        }
    return colours;
}

struct Calendar : ClockFixture {
    // The Gregorian pop-up, opened the way the user does: a double-click on the clock.
    MonthCalendar& OpenClassic() {
        WriteIni("[Option]\r\nLunar=0\r\n");
        Create(true).OpenCalendar();
        return main->calendarPopup()->Calendar();
    }
};

} // namespace

TEST_F(Calendar, PopupUnderTheClockWithItsTransparency) {
    WriteIni("[Option]\r\nLunar=0\r\n");
    ClockWindow& clock = Create(true);
    Edit([&](Settings& s) { s.transparency = 180; });
    clock.OpenCalendar();
    HWND popup = clock.calendarPopup()->Handle();
    ASSERT_TRUE(IsWindowVisible(popup));
    const RECT c = WindowRect(clock.Handle());
    RECT p = WindowRect(popup);
    EXPECT_EQ(p.left, c.left + 10);
    EXPECT_EQ(p.top, c.top + 55 + 35);
    EXPECT_EQ(p.right - p.left, 153);
    EXPECT_EQ(p.bottom - p.top, 169);
    BYTE alpha = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(popup, nullptr, &alpha, &flags);
    EXPECT_EQ(alpha, 180);
    EXPECT_FALSE(GetWindowLongW(popup, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetMenuState(clock.ContextMenu(), kMenuCalendar, MF_BYCOMMAND) & MF_CHECKED);

    // Dragged away, then a double-click while shown puts it back; kMenuCalendar stays checked.
    MoveWindow(popup, 40, 500, 153, 169, TRUE);
    clock.OpenCalendar();
    p = WindowRect(popup);
    EXPECT_EQ(p.left, c.left + 10);
    EXPECT_EQ(p.top, c.top + 90);
    EXPECT_TRUE(main->RunState().calendarShown);
    clock.ToggleCalendar();
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_FALSE(GetMenuState(clock.ContextMenu(), kMenuCalendar, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(Calendar, ClassicPaintingIntoABitmap) {
    ClockWindow& clock = Create(false); // today is 2026-12-07, a Monday
    UxTheme classic = UxTheme::Classic();
    MonthCalendar plain(clock.calendarPopup()->Handle(), RECT{0, 0, 153, 169}, nullptr, classic, reporter,
                        [] { return EncodeDate(2026, 12, 7) + 0.5; });
    plain.Model().StartDay = StartDayOfWeek::dwMonday;
    plain.Model().SetSelectedDate(EncodeDate(2026, 12, 16));
    DibImage image(153, 169);
    plain.Paint(image.Dc());
    const CalendarGeometry& g = plain.Model().Geometry;
    // December 2026 starts on a Tuesday: column 1 with Monday first. The 16th
    // is in row 2, column 2; the 7th in row 1, column 0.
    const CalRect selected = g.CellHighlight(2, 2);
    EXPECT_EQ(Rgb(image, selected.right - 1, selected.top + 7), RGB(192, 192, 192)) << "the selected fill";
    EXPECT_GT(CountColour(image, selected, RGB(192, 192, 192)), 17 * 15 / 2) << "filled, but for the number";
    const CalRect today = g.CellHighlight(0, 1);
    EXPECT_EQ(Rgb(image, today.left, today.top), GetSysColor(COLOR_HIGHLIGHT)) << "today framed";
    EXPECT_EQ(Rgb(image, today.right - 1, today.bottom - 1), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_NE(Rgb(image, today.left + 1, today.top + 1), GetSysColor(COLOR_HIGHLIGHT)) << "only a frame";
    EXPECT_EQ(plain.Model().SelectedCellRect, selected);
    // Grey numbers outside the month (30 November in column 0, row 0), black ones inside.
    EXPECT_GT(CountColour(image, g.CellText(0, 0), GetSysColor(COLOR_GRAYTEXT)), 0);
    EXPECT_EQ(CountColour(image, g.CellText(0, 0), GetSysColor(COLOR_WINDOWTEXT)), 0);
    EXPECT_GT(CountColour(image, g.CellText(3, 2), GetSysColor(COLOR_WINDOWTEXT)), 0);
    // Frame and header band.
    EXPECT_EQ(Rgb(image, 0, 0), GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(Rgb(image, 6, 19), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Rgb(image, 2, 100), GetSysColor(COLOR_WINDOW));
    // Weekday letters: whole characters of the Chinese names, Monday first.
    EXPECT_EQ(plain.DayLetter(1), L"一");
    EXPECT_EQ(plain.DayLetter(7), L"日");
    EXPECT_EQ(plain.MonthName(12), L"十二月");
    const std::wstring folder = SnapshotFolder();
    if (!folder.empty()) {
        for (int i = 0; i < 153 * 169; ++i)
            image.MutablePixels()[i] |= 0xFF000000u;
        SavePng(folder + L"\\calendar-classic.png", image.Pixels(), 153, 169);
    }
}

TEST_F(Calendar, MouseMessagesStepSelectAndPressToday) {
    MonthCalendar& cal = OpenClassic();
    HWND control = cal.Handle();
    int changes = 0;
    cal.Model().OnChange = [&] { ++changes; };
    ASSERT_EQ(cal.Model().Month, 12);
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2026, 12, 7)) << "today selected at first, without the time";
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, At(150, 5)); // right arrow
    SendMessageW(control, WM_LBUTTONUP, 0, At(150, 5));
    EXPECT_EQ(cal.Model().Month, 1);
    EXPECT_EQ(cal.Model().Year, 2027);
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, At(14 + 17 * 4 + 8, 38 + 15 * 1 + 7)); // row 1, column 4
    SendMessageW(control, WM_LBUTTONUP, 0, At(14 + 17 * 4 + 8, 38 + 15 * 1 + 7));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(DecodeDate(cal.Model().SelectedDate).month, 1);
    // A move without a button after the release: the selection does not follow.
    const double selected = cal.Model().SelectedDate;
    SendMessageW(control, WM_MOUSEMOVE, 0, At(14 + 17 * 5 + 8, 38 + 15 * 3 + 7));
    EXPECT_EQ(cal.Model().SelectedDate, selected);
    EXPECT_FALSE(cal.Model().Selecting);
    // Today: a left press captures; the release performs it wherever it happens.
    const CalRect today = cal.TodayButton().bounds;
    EXPECT_EQ(today.left, 53);
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, At(today.left + 5, today.top + 5));
    EXPECT_TRUE(cal.TodayButton().Pressed);
    SendMessageW(control, WM_LBUTTONUP, 0, At(2, 2));
    EXPECT_FALSE(cal.TodayButton().Pressed);
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2026, 12, 7));
    EXPECT_EQ(cal.Model().Month, 12);
    EXPECT_EQ(changes, 1) << "Today fires no change";
    // A right-button release over Today performs it too.
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5)); // back to November
    SendMessageW(control, WM_LBUTTONUP, 0, At(5, 5));
    SendMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, At(today.left + 5, today.top + 5));
    SendMessageW(control, WM_RBUTTONUP, 0, At(today.left + 5, today.top + 5));
    EXPECT_EQ(cal.Model().Month, 12);
    // The pop-up keeps month and selection when hidden and shown again.
    cal.Model().SetSelectedDate(EncodeDate(2026, 12, 24));
    main->ToggleCalendar();
    main->ToggleCalendar();
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2026, 12, 24));
}

// The Gregorian pop-up keeps the pixels it had before the Chinese calendar
// came: the reference was drawn by that build. A missing reference is written
// from this build and the test fails, so that a new one is always looked at.
TEST_F(Calendar, GregorianPopupKeepsItsPixels) {
    WriteIni("[Option]\r\nLunar=0\r\n");
    ClockWindow& clock = Create(false);
    MonthCalendar& cal = clock.calendarPopup()->Calendar();
    cal.Model().SetSelectedDate(EncodeDate(2026, 12, 16));
    DibImage image(153, 169);
    cal.Paint(image.Dc());
    std::vector<std::uint32_t> drawn;
    for (int i = 0; i < 153 * 169; ++i)
        drawn.push_back(image.Pixels()[i] & 0xFFFFFFu);
    const std::wstring reference = Utf8ToWide(VEMORA_FIXTURES) + L"\\calendar-gregorian.png";
    int width = 0, height = 0;
    const std::vector<std::uint32_t> expected = ReadPngColours(reference, width, height);
    if (expected.empty()) {
        for (int i = 0; i < 153 * 169; ++i)
            image.MutablePixels()[i] |= 0xFF000000u;
        SavePng(reference, image.Pixels(), 153, 169);
        FAIL() << "no reference: written from this build, look at it";
    }
    ASSERT_EQ(width, 153);
    ASSERT_EQ(height, 169);
    int differing = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
        differing += drawn[i] != expected[i];
    EXPECT_EQ(differing, 0) << "pixels that differ from the reference";
}

TEST_F(Calendar, EveryShowingPutsThePopupOnTop) {
    WriteIni("[Option]\r\nLunar=0\r\n");
    ClockWindow& clock = Create(true);
    MoveWindow(clock.Handle(), 420, 560, 230, 55, TRUE); // away from the other tests' clocks
    ShowWindow(clock.horoscopePanel()->Handle(), SW_SHOWNOACTIVATE);
    // An active window of another program over the place where the pop-up opens.
    HWND active = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 380, 600, 300, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    SetForegroundWindow(active);
    auto arrowShows = [&] { // the pop-up's left arrow, black, on the display
        Pump(300);
        ScopedWindowDC screen(nullptr);
        const COLORREF c = GetPixel(screen.get(), 430 + 14, 560 + 90 + 13);
        return GetRValue(c) + GetGValue(c) + GetBValue(c) < 100;
    };
    clock.OpenCalendar(); // a first showing
    EXPECT_TRUE(arrowShows());
    // Another process's window (an earlier run's, the desktop) may come to
    // the front meanwhile; none of this test's windows may.
    const HWND foreground = GetForegroundWindow();
    EXPECT_TRUE(foreground == active || GetWindowThreadProcessId(foreground, nullptr) != GetCurrentThreadId())
        << "the active window keeps the focus";
    // Raised over the pop-up on the display, then a double-click re-places it.
    SetWindowPos(active, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(active, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_FALSE(arrowShows()) << "covered";
    clock.OpenCalendar();
    EXPECT_TRUE(arrowShows());
    DestroyWindow(active);
}

TEST_F(Calendar, EveryButtonsDoubleClickPressesAndPressedButtonsComeUp) {
    MonthCalendar& cal = OpenClassic();
    HWND control = cal.Handle();
    auto cell = [](int col, int row) { return At(14 + 17 * col + 8, 38 + 15 * row + 7); };
    // The second press of a right or middle double-click selects like the first.
    SendMessageW(control, WM_RBUTTONDBLCLK, MK_RBUTTON, cell(3, 3));
    EXPECT_EQ(cal.Model().SelectedDate, *cal.Model().DateAtCell(3, 3));
    SendMessageW(control, WM_MBUTTONDBLCLK, MK_MBUTTON, cell(4, 4));
    EXPECT_EQ(cal.Model().SelectedDate, *cal.Model().DateAtCell(4, 4));
    // A right or middle press on Today released off it: no Today, and the button comes up.
    const CalRect today = cal.TodayButton().bounds;
    const LPARAM onToday = At(today.left + 5, today.top + 5);
    for (auto [down, up] : {std::pair{WM_RBUTTONDOWN, WM_RBUTTONUP}, std::pair{WM_MBUTTONDOWN, WM_MBUTTONUP}}) {
        SendMessageW(control, down, 0, onToday);
        EXPECT_TRUE(cal.TodayButton().Pressed);
        SendMessageW(control, up, 0, cell(1, 5));
        EXPECT_FALSE(cal.TodayButton().Pressed) << down;
        SendMessageW(control, down, 0, onToday);
        SendMessageW(control, WM_MOUSEMOVE, 0, cell(1, 5)); // released outside the control
        EXPECT_FALSE(cal.TodayButton().Pressed) << down;
    }
    EXPECT_EQ(cal.Model().SelectedDate, *cal.Model().DateAtCell(4, 4)) << "no release pressed Today";
}

TEST_F(Calendar, ClosedByItselfIsSwitchedOff) {
    OpenClassic();
    HWND popup = main->calendarPopup()->Handle();
    ASSERT_TRUE(IsWindowVisible(popup));
    SendMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_FALSE(main->RunState().calendarShown);
    EXPECT_FALSE(GetMenuState(main->ContextMenu(), kMenuCalendar, MF_BYCOMMAND) & MF_CHECKED);
    main->ToggleCalendar();
    EXPECT_TRUE(IsWindowVisible(popup)) << "the next click shows it again";
}

namespace {

// The thread's key state with these keys down, for the handlers that ask GetKeyState.
struct KeysHeld {
    BYTE saved[256] = {};
    explicit KeysHeld(std::initializer_list<int> keys) {
        GetKeyboardState(saved);
        BYTE held[256];
        std::copy(std::begin(saved), std::end(saved), held);
        for (int k : keys)
            held[k] = 0x80;
        SetKeyboardState(held);
    }
    ~KeysHeld() { SetKeyboardState(saved); }
};

} // namespace

TEST_F(Calendar, KeysMoveTheDayTheMonthAndTheYearAndEscCloses) {
    MonthCalendar& cal = OpenClassic(); // today 2026-12-07
    HWND control = cal.Handle();
    HWND popup = main->calendarPopup()->Handle();
    EXPECT_NE(GetFocus(), control) << "shown without the keyboard";
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, At(14 + 17 * 4 + 8, 38 + 15 * 4 + 7));
    SendMessageW(popup, WM_LBUTTONUP, 0, At(14 + 17 * 4 + 8, 38 + 15 * 4 + 7));
    EXPECT_EQ(GetFocus(), control) << "a click gives it the keyboard";
    cal.Model().SetDate(EncodeDate(2026, 12, 7));
    auto key = [&](WPARAM vk) { SendMessageW(control, WM_KEYDOWN, vk, 0); };
    key(VK_RIGHT);
    key(VK_DOWN);
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2026, 12, 15));
    key(VK_NEXT);
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2027, 1, 15));
    EXPECT_EQ(cal.Model().Month, 1);
    {
        KeysHeld ctrl{VK_CONTROL};
        key(VK_PRIOR);
    }
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2026, 1, 15));
    key(VK_HOME);
    EXPECT_EQ(cal.Model().SelectedDate, EncodeDate(2026, 12, 7));
    key(VK_ESCAPE);
    Pump(100);
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_FALSE(main->RunState().calendarShown) << "switched off as the menu item does";
}

TEST_F(Calendar, AnArrowHeldDownRepeats) {
    MonthCalendar& cal = OpenClassic();
    HWND control = cal.Handle();
    POINT arrow{153 - 5, 5};
    ClientToScreen(control, &arrow);
    SetCursorPos(arrow.x, arrow.y);
    Pump(200); // the pointer's move is where the press happens
    KeysHeld button{VK_LBUTTON};
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, At(153 - 5, 5));
    EXPECT_EQ(cal.Model().Month, 1) << "the press steps once";
    Pump(MonthCalendar::kArrowRepeatDelayMs + 3 * MonthCalendar::kArrowRepeatMs + 60);
    const int held = cal.Model().Month;
    EXPECT_GE(held, 3) << "and the hold steps on";
    SendMessageW(main->calendarPopup()->Handle(), WM_LBUTTONUP, 0, At(153 - 5, 5));
    Pump(3 * MonthCalendar::kArrowRepeatMs);
    EXPECT_EQ(cal.Model().Month, held) << "the release ends it";
}

TEST_F(Calendar, DayFontHookStartDayAndButtonCaptionColour) {
    ClockWindow& clock = Create(false); // today is 2026-12-07
    UxTheme classic = UxTheme::Classic();
    MonthCalendar plain(clock.calendarPopup()->Handle(), RECT{0, 0, 153, 169}, nullptr, classic, reporter,
                        [] { return EncodeDate(2026, 12, 7) + 0.5; });
    plain.Model().StartDay = StartDayOfWeek::dwSunday;
    std::vector<int> days;
    plain.OnDayFont = [&](int day, MonthCalendar::DayFont& font) {
        days.push_back(day);
        if (day == 24)
            font.colour = RGB(255, 0, 0);
    };
    // The button caption in the window text's colour, whatever the buttons' text colour is.
    const int element = COLOR_BTNTEXT;
    const COLORREF buttonText = GetSysColor(COLOR_BTNTEXT);
    const COLORREF red = RGB(255, 0, 0);
    SetSysColors(1, &element, &red);
    DibImage image(153, 169);
    plain.Paint(image.Dc());
    SetSysColors(1, &element, &buttonText);
    std::vector<int> expected;
    for (const CalendarCell& c : plain.Model().Cells())
        expected.push_back(c.day);
    EXPECT_EQ(days, expected) << "each day number, in the order drawn";
    const CalendarGeometry& g = plain.Model().Geometry;
    // December 2026 from Sunday: the 24th is in row 3, column 4.
    EXPECT_GT(CountColour(image, g.CellText(4, 3), RGB(255, 0, 0)), 0) << "the handler's colour";
    EXPECT_EQ(CountColour(image, g.CellText(5, 3), RGB(255, 0, 0)), 0) << "for that day only";
    EXPECT_EQ(CountColour(image, plain.TodayButton().bounds, RGB(255, 0, 0)), 0);
    EXPECT_GT(CountColour(image, plain.TodayButton().bounds, GetSysColor(COLOR_WINDOWTEXT)), 0);
    // The Chinese calendar's month asks for each day number too.
    days.clear();
    plain.SetLunar(true);
    DibImage lunar(plain.Model().Geometry.W, plain.Model().Geometry.H);
    plain.Paint(lunar.Dc());
    EXPECT_EQ(days, expected) << "each day number of the lunar month, in the order drawn";
}

TEST_F(Calendar, SetStartDayStoresAndRepaintsTheWholeControl) {
    MonthCalendar& cal = OpenClassic();
    Pump(100);
    ValidateRect(cal.Handle(), nullptr);
    cal.SetStartDay(StartDayOfWeek::dwMonday);
    EXPECT_EQ(cal.Model().StartDay, StartDayOfWeek::dwMonday);
    RECT update{}, client{};
    GetClientRect(cal.Handle(), &client);
    ASSERT_TRUE(GetUpdateRect(cal.Handle(), &update, FALSE));
    EXPECT_TRUE(EqualRect(&update, &client));
}
