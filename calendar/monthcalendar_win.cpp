#include "calendar/monthcalendar_win.h"

#include "base/datetime.h"
#include "base/text_win.h"
#include "calendar/almanac.h"
#include "calendar/countdown.h"

#include <commctrl.h>

#include <array>
#include <cmath>
#include <cstring>

namespace vemora {

namespace {

constexpr UINT kHeaderFlags =
    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXTERNALLEADING | DT_NOPREFIX | DT_END_ELLIPSIS;
constexpr UINT kWeekdayFlags =
    DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_EXTERNALLEADING | DT_NOPREFIX | DT_END_ELLIPSIS;
constexpr UINT kDayFlags = DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

RECT ToRect(const CalRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

// The lunar layout's texts: centred in their boxes.
constexpr UINT kCentredFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
// Days off (numbers, weekend headers, festivals and the 休 mark), solar
// terms, the background of a holiday break and the 班 mark.
constexpr COLORREF kDayOffColour = RGB(204, 0, 0);
constexpr COLORREF kSolarTermColour = RGB(0, 128, 64);
constexpr COLORREF kHolidayTint = RGB(255, 234, 234);
constexpr COLORREF kWorkdayMarkColour = RGB(32, 64, 128);
// The almanac card's text, and the 黑道 spirits' colour (the 黄道 ones are in the colour of days off).
constexpr UINT kCardLeftFlags = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
constexpr UINT kCardRightFlags = DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
constexpr COLORREF kBlackPathColour = RGB(128, 128, 128);
// The card's tooltips, by the rows they stand over.
enum AlmanacTip : UINT_PTR { kPengZuTip = 1, kGoodTip, kBadTip };
// How much of a colour is left in the cells of the months around the displayed one.
constexpr int kOutsideMonthWeight = 110;

std::wstring LocaleText(LCTYPE type) {
    wchar_t buffer[80] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 80);
    return buffer;
}

// The font's description; the system's dialog font's when there is none.
LOGFONTW FontDescription(HFONT font) {
    LOGFONTW lf{};
    if (!font || !GetObjectW(font, sizeof lf, &lf))
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    return lf;
}

MouseButton ButtonOf(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        return MouseButton::Left;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
        return MouseButton::Right;
    default:
        return MouseButton::Middle;
    }
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    UniqueHbrush brush(CreateSolidBrush(colour));
    FillRect(dc, &r, brush.get());
}

void DrawUtf8(HDC dc, const std::string& text, RECT box, UINT flags) {
    const std::wstring wide = Utf8ToWide(text);
    DrawTextW(dc, wide.c_str(), -1, &box, flags);
}

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// A label in its colour, then as many whole items as fit in the row, with
// "…" when some are left for the tooltip.
void DrawItems(HDC dc, RECT row, const wchar_t* label, COLORREF labelColour, const std::vector<std::string>& items) {
    SetTextColor(dc, labelColour);
    DrawTextW(dc, label, -1, &row, kCardLeftFlags);
    row.left += TextWidth(dc, std::wstring(label) + L" ");
    const int room = row.right - row.left;
    std::wstring shown;
    size_t count = 0;
    for (; count < items.size(); ++count) {
        const std::wstring next = shown + (shown.empty() ? L"" : L" ") + Utf8ToWide(items[count]);
        const bool last = count + 1 == items.size();
        if (TextWidth(dc, last ? next : next + L" …") > room)
            break;
        shown = next;
    }
    if (count < items.size())
        shown += shown.empty() ? L"…" : L" …";
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, shown.c_str(), -1, &row, kCardLeftFlags);
}

} // namespace

MonthCalendar::MonthCalendar(HWND parent, RECT bounds, HFONT font, const UxTheme& theme, ErrorReporter& reporter,
                             TodayFn today)
    : BaseWindow(reporter), theme_(theme), font_(font), today_(std::move(today)), model_(std::floor(today_())),
      mouse_(model_, today_) {
    // The locale's day and month names, read once.
    std::vector<std::string> longDays;
    const LCTYPE days[7] = {LOCALE_SDAYNAME7, LOCALE_SDAYNAME1, LOCALE_SDAYNAME2, LOCALE_SDAYNAME3,
                            LOCALE_SDAYNAME4, LOCALE_SDAYNAME5, LOCALE_SDAYNAME6};
    for (LCTYPE d : days)
        longDays.push_back(WideToUtf8(LocaleText(d)));
    for (const std::string& letter : WeekdayLetters(longDays))
        weekdayLetters_.push_back(Utf8ToWide(letter));
    for (int m = 0; m < 12; ++m)
        monthNames_.push_back(LocaleText(LOCALE_SMONTHNAME1 + static_cast<LCTYPE>(m)));

    model_.Geometry = CalendarGeometry{bounds.right - bounds.left, bounds.bottom - bounds.top};
    model_.LocaleFirstDay = WideToUtf8(LocaleText(LOCALE_IFIRSTDAYOFWEEK));
    model_.Invalidate = [this](const CalRect& r) { InvalidateDesigned(ToRect(r)); };
    gregorian_ = model_.Geometry;
    mouse_.Capture = [this](bool take) {
        if (take)
            SetCapture(hwnd_);
        else
            ReleaseCapture();
    };
    // Without capture the release may happen off the control: leaving it
    // brings the button up.
    mouse_.TrackLeave = [this] {
        TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&leave);
    };
    designBounds_ = bounds;
    CreateHandle(0, WS_CHILD | WS_VISIBLE, bounds, parent, L"", CS_DBLCLKS);
    SetShowNoneButton(false); // centres Today for the final width
}

void MonthCalendar::SetShowNoneButton(bool show) {
    mouse_.Place(show);
    if (hwnd_)
        InvalidateRect(hwnd_, nullptr, FALSE);
}

int MonthCalendar::FontHeight() const {
    const LONG height = FontDescription(font_).lfHeight;
    return height < 0 ? static_cast<int>(-height) : height > 0 ? static_cast<int>(height) : 11;
}

void MonthCalendar::SetLunar(bool on) {
    if (on == lunar_.has_value())
        return;
    if (on) {
        lunar_.emplace(FontHeight());
        model_.Geometry = lunar_->Geometry();
        if (!markFont_) {
            LOGFONTW lf = FontDescription(font_);
            lf.lfHeight = -lunar_->MarkFontHeight;
            lf.lfWidth = 0;
            markFont_.reset(CreateFontIndirectW(&lf));
        }
        if (!almanacTip_ && hwnd_) {
            almanacTip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                              WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                              CW_USEDEFAULT, CW_USEDEFAULT, GetParent(hwnd_), nullptr,
                                              GetModuleHandleW(nullptr), nullptr));
            for (UINT_PTR id : {kPengZuTip, kGoodTip, kBadTip}) {
                TTTOOLINFOW tool{sizeof tool, TTF_SUBCLASS, hwnd_, id, {}, nullptr, LPSTR_TEXTCALLBACKW};
                SendMessageW(almanacTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
            }
        }
    } else {
        lunar_.reset();
        model_.Geometry = gregorian_;
    }
    if (almanacTip_)
        SendMessageW(almanacTip_.get(), TTM_ACTIVATE, on, 0);
    mouse_.Place(mouse_.NoneShown());
    designBounds_.right = designBounds_.left + model_.Geometry.W;
    designBounds_.bottom = designBounds_.top + model_.Geometry.H;
    if (hwnd_)
        SetDpi(dpi_);
}

void MonthCalendar::SetHolidayBook(const HolidayBook* book) {
    holidays_ = book ? book : &noHolidays_;
    if (hwnd_ && lunar_)
        InvalidateRect(hwnd_, nullptr, FALSE);
}

LunarCellFace MonthCalendar::FaceAt(int col, int row) const {
    const std::optional<double> date = model_.DateAtCell(col, row);
    if (!date)
        return {};
    const DateParts d = DecodeDate(*date);
    return LunarCellFaceOf(*holidays_, d.year, d.month, d.day);
}

// The lunar line of the selected day, with 休 or 班 and its break's name.
std::wstring MonthCalendar::InfoLineText() const {
    const DateParts d = DecodeDate(std::floor(model_.SelectedDate));
    std::string line = LunarInfoLine(d.year, d.month, d.day);
    const DayStatus status = holidays_->StatusOf(d.year, d.month, d.day);
    if (status.arrangement != DayArrangement::Ordinary && !line.empty())
        line += (status.arrangement == DayArrangement::Holiday ? " 休" : " 班") +
                (status.name.empty() ? std::string() : " " + status.name);
    return Utf8ToWide(line);
}

std::vector<std::string> MonthCalendar::ShownLines() const {
    const DateParts selected = DecodeDate(std::floor(model_.SelectedDate));
    const DateParts today = DecodeDate(std::floor(today_()));
    return CalendarPopupLines(
        *holidays_, {selected.year, selected.month, selected.day, today.year, today.month, today.day, model_.Year});
}

std::vector<std::string> MonthCalendar::AlmanacText() const {
    const DateParts d = DecodeDate(std::floor(model_.SelectedDate));
    return AlmanacLines(d.year, d.month, d.day);
}

void MonthCalendar::SetTodayCaption(const std::wstring& caption) {
    mouse_.TodayButton.caption = caption;
    InvalidateButton(mouse_.TodayButton);
}

void MonthCalendar::SetNoneCaption(const std::wstring& caption) {
    mouse_.NoneButton.caption = caption;
    InvalidateButton(mouse_.NoneButton);
}

std::wstring MonthCalendar::DayLetter(int column) const {
    if (std::optional<std::string> own = model_.DayNameLetter(column))
        return GbkToWide(*own);
    // Column to weekday, Sunday first: with a Monday start column 7 is Sunday.
    const int sundayFirst = model_.StartDayNumber() == 1 ? (column == 7 ? 1 : column + 1) : column;
    return weekdayLetters_[static_cast<size_t>(sundayFirst - 1)];
}

std::wstring MonthCalendar::MonthName(int month) const {
    if (model_.MonthNames.size() >= 12 && month >= 1 && month <= 12)
        return GbkToWide(model_.MonthNames[static_cast<size_t>(month - 1)]);
    return month >= 1 && month <= 12 ? monthNames_[static_cast<size_t>(month - 1)] : std::wstring();
}

void MonthCalendar::InvalidateButton(const MiniButton& button) {
    InvalidateDesigned(ToRect(button.bounds));
}

void MonthCalendar::InvalidateDesigned(const RECT& designed) {
    if (!hwnd_)
        return;
    const PixelRect r = CoverRectForDpi({designed.left, designed.top, designed.right, designed.bottom}, dpi_);
    const RECT rect{r.left, r.top, r.right, r.bottom};
    InvalidateRect(hwnd_, &rect, FALSE);
}

void MonthCalendar::SetDpi(int dpi) {
    dpi_ = dpi;
    const PixelRect r =
        ScaleRectForDpi({designBounds_.left, designBounds_.top, designBounds_.right, designBounds_.bottom}, dpi);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, FALSE);
    PlaceAlmanacTips();
}

void MonthCalendar::PlaceAlmanacTips() {
    if (!almanacTip_ || !lunar_)
        return;
    const LunarLayout& l = *lunar_;
    const CalRect top = l.AlmanacRow(0), second = l.AlmanacRow(1);
    const CalRect rows[] = {{top.left, top.top, top.right, second.bottom}, l.AlmanacRow(2), l.AlmanacRow(3)};
    const UINT_PTR ids[] = {kPengZuTip, kGoodTip, kBadTip};
    for (int i = 0; i < 3; ++i) {
        const PixelRect r = CoverRectForDpi({rows[i].left, rows[i].top, rows[i].right, rows[i].bottom}, dpi_);
        TTTOOLINFOW tool{sizeof tool, 0, hwnd_, ids[i], {r.left, r.top, r.right, r.bottom}};
        SendMessageW(almanacTip_.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // Long lists break into lines of the card's width.
    SendMessageW(almanacTip_.get(), TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(l.W, dpi_));
}

// The tip asks for its text as it shows: the selected day's, in full.
std::optional<LRESULT> MonthCalendar::AnswerAlmanacTip(LPARAM lParam) {
    auto& info = *reinterpret_cast<NMTTDISPINFOW*>(lParam);
    if (!almanacTip_ || info.hdr.hwndFrom != almanacTip_.get() || info.hdr.code != TTN_GETDISPINFOW)
        return std::nullopt;
    const std::vector<std::string> lines = AlmanacText();
    const size_t line = info.hdr.idFrom == kPengZuTip ? kPengZuLine
                        : info.hdr.idFrom == kGoodTip ? kGoodLine
                                                      : kBadLine;
    almanacTipText_ = line < lines.size() ? Utf8ToWide(lines[line]) : std::wstring();
    info.lpszText = almanacTipText_.data();
    return 0;
}

// The designed drawing mapped onto the pixels of the resolution: text, lines
// and fills are drawn at the device's size, never stretched from 96 per inch.
void MonthCalendar::PaintScaled(HDC dc) {
    if (dpi_ == kDesignDpi) {
        Paint(dc);
        return;
    }
    const int mode = SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, kDesignDpi, kDesignDpi, nullptr);
    SetViewportExtEx(dc, dpi_, dpi_, nullptr);
    Paint(dc);
    SetMapMode(dc, mode);
}

// The frame, the header band with the month and year, and the arrows: the
// same in both layouts, placed by the client width.
void MonthCalendar::PaintFrameAndHeader(HDC dc, bool themed) {
    const CalendarGeometry& g = model_.Geometry;
    const int W = g.W, H = g.H;
    // Frame.
    {
        UniqueHpen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT)));
        UniqueHbrush brush(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
        ScopedSelectObject p(dc, pen.get()), b(dc, brush.get());
        Rectangle(dc, 0, 0, W, H);
    }
    // Header band, caption and arrows.
    RECT band = ToRect(g.HeaderBand());
    Fill(dc, band,
         themed ? BlendColors(GetSysColor(COLOR_GRADIENTINACTIVECAPTION), GetSysColor(COLOR_WINDOW), 249)
                : GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    // The month as Chinese writes it: 2026年12月.
    std::wstring caption = std::to_wstring(model_.Year) + L"年" + std::to_wstring(model_.Month) + L"月";
    DrawTextW(dc, caption.c_str(), -1, &band, kHeaderFlags);
    {
        UniqueHpen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT)));
        UniqueHbrush brush(CreateSolidBrush(GetSysColor(COLOR_WINDOWTEXT)));
        ScopedSelectObject p(dc, pen.get()), b(dc, brush.get());
        for (const std::array<CalPoint, 3>& arrow : {g.LeftArrow(), g.RightArrow()}) {
            const POINT corners[3] = {{arrow[0].x, arrow[0].y}, {arrow[1].x, arrow[1].y}, {arrow[2].x, arrow[2].y}};
            Polygon(dc, corners, 3);
        }
    }
}

void MonthCalendar::Paint(HDC dc) {
    if (lunar_) {
        PaintLunar(dc);
        return;
    }
    const bool themed = theme_.ThemesActive();
    const CalendarGeometry& g = model_.Geometry;
    HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    PaintFrameAndHeader(dc, themed);
    // Weekday headers.
    for (int j = 1; j <= 7; ++j) {
        RECT box = ToRect(g.WeekdayHeader(j));
        const std::wstring letter = DayLetter(j);
        DrawTextW(dc, letter.c_str(), -1, &box, kWeekdayFlags);
    }
    // Separators.
    {
        UniqueHpen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT)));
        ScopedSelectObject p(dc, pen.get());
        for (const std::array<CalPoint, 2>& line : {g.UpperSeparator(), g.LowerSeparator()}) {
            MoveToEx(dc, line[0].x, line[0].y, nullptr);
            LineTo(dc, line[1].x, line[1].y);
        }
    }
    // Days.
    const double today = std::floor(today_());
    const std::vector<CalendarCell> cells = model_.Cells();
    for (int i = 0; i < 42; ++i) {
        const CalendarCell& cell = cells[static_cast<size_t>(i)];
        const int col = i % 7, row = i / 7;
        RECT highlight = ToRect(g.CellHighlight(col, row));
        SetTextColor(dc, GetSysColor(cell.inMonth ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        if (cell.date && *cell.date == model_.SelectedDate) {
            Fill(dc, highlight, themed ? RGB(251, 230, 148) : RGB(192, 192, 192));
            model_.SelectedCellRect = g.CellHighlight(col, row);
        }
        if (cell.date && *cell.date == today) {
            UniqueHbrush frame(CreateSolidBrush(themed ? RGB(128, 0, 0) : GetSysColor(COLOR_HIGHLIGHT)));
            FrameRect(dc, &highlight, frame.get());
        }
        RECT text = ToRect(g.CellText(col, row));
        const std::wstring number = std::to_wstring(cell.day);
        NotifyDayFont(dc, cell.day);
        DrawTextW(dc, number.c_str(), -1, &text, kDayFlags);
    }
    // The buttons paint themselves last, as children would, in the control's font.
    SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : oldFont);
    dayFont_.reset();
    for (const MiniButton* button : {&mouse_.TodayButton, &mouse_.NoneButton})
        if (button->visible)
            PaintButton(dc, *button, themed);
    SelectObject(dc, oldFont);
}

void MonthCalendar::NotifyDayFont(HDC dc, int day) {
    if (!OnDayFont)
        return;
    DayFont font{dayFont_ ? FontDescription(dayFont_.get()) : FontDescription(font_), GetTextColor(dc)};
    const LOGFONTW before = font.face;
    OnDayFont(day, font);
    SetTextColor(dc, font.colour);
    if (std::memcmp(&before, &font.face, sizeof before) == 0)
        return;
    UniqueHfont changed(CreateFontIndirectW(&font.face));
    if (!changed)
        return;
    SelectObject(dc, changed.get());
    dayFont_ = std::move(changed); // the one it replaces is no longer selected
}

void MonthCalendar::SetStartDay(StartDayOfWeek startDay) {
    model_.StartDay = startDay;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

// While the left button holds an arrow down, the month steps on with the
// pointer on that arrow; the timer ends with the hold.
void MonthCalendar::RepeatHeldArrow() {
    if (!model_.HeldArrow || !(GetKeyState(VK_LBUTTON) & 0x8000)) {
        KillTimer(hwnd_, kArrowRepeatTimer);
        model_.HeldArrow.reset();
        return;
    }
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(hwnd_, &p);
    model_.RepeatHeldArrow(DesignPixel(p.x, dpi_), DesignPixel(p.y, dpi_));
    SetTimer(hwnd_, kArrowRepeatTimer, kArrowRepeatMs, nullptr);
}

bool MonthCalendar::KeyDown(WPARAM key) {
    static constexpr struct {
        WPARAM vk;
        CalendarKey key;
    } kKeys[] = {{VK_LEFT, CalendarKey::Left}, {VK_RIGHT, CalendarKey::Right},  {VK_UP, CalendarKey::Up},
                 {VK_DOWN, CalendarKey::Down}, {VK_PRIOR, CalendarKey::PageUp}, {VK_NEXT, CalendarKey::PageDown},
                 {VK_HOME, CalendarKey::Home}};
    if (key == VK_ESCAPE) {
        if (OnEscape)
            OnEscape();
        return true;
    }
    for (const auto& k : kKeys)
        if (k.vk == key) {
            model_.KeyPressed(k.key, GetKeyState(VK_CONTROL) & 0x8000, std::floor(today_()));
            return true;
        }
    return false;
}

// The month with the Chinese calendar: two lines a cell, marks for holiday
// breaks and working weekends, and the selected day in full under the grid.
void MonthCalendar::PaintLunar(HDC dc) {
    const bool themed = theme_.ThemesActive();
    const CalendarGeometry& g = model_.Geometry;
    const LunarLayout& l = *lunar_;
    HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    PaintFrameAndHeader(dc, themed);
    // Weekday headers over the middle of their columns, the weekend's in the colour of days off.
    const bool mondayFirst = model_.StartDayNumber() == 1;
    for (int j = 1; j <= 7; ++j) {
        const bool weekend = mondayFirst ? j >= 6 : j == 1 || j == 7;
        SetTextColor(dc, weekend ? kDayOffColour : GetSysColor(COLOR_WINDOWTEXT));
        RECT box = ToRect(g.WeekdayHeader(j));
        const std::wstring letter = DayLetter(j);
        DrawTextW(dc, letter.c_str(), -1, &box, kCentredFlags);
    }
    {
        UniqueHpen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT)));
        ScopedSelectObject p(dc, pen.get());
        for (int y : {g.WeekdayBottom, l.LowerSeparatorY()}) {
            MoveToEx(dc, l.GridLeft, y, nullptr);
            LineTo(dc, g.W - l.GridLeft, y);
        }
    }
    const double today = std::floor(today_());
    const std::vector<CalendarCell> cells = model_.Cells();
    for (int i = 0; i < 42; ++i)
        PaintLunarCell(dc, cells[static_cast<size_t>(i)], i % 7, i / 7, today, themed);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT info = ToRect(l.InfoLine());
    const std::wstring line = InfoLineText();
    DrawTextW(dc, line.c_str(), -1, &info, kCentredFlags | DT_END_ELLIPSIS);
    const std::vector<std::string> shown = ShownLines();
    for (int i = 0; i < LunarLayout::kNoteLines && i + 1 < static_cast<int>(shown.size()); ++i) {
        RECT note = ToRect(l.NoteLine(i));
        const std::wstring text = Utf8ToWide(shown[static_cast<size_t>(i) + 1]);
        DrawTextW(dc, text.c_str(), -1, &note, kCentredFlags | DT_END_ELLIPSIS);
    }
    PaintAlmanac(dc);
    for (const MiniButton* button : {&mouse_.TodayButton, &mouse_.NoneButton})
        if (button->visible)
            PaintButton(dc, *button, themed);
    SelectObject(dc, oldFont);
    dayFont_.reset();
}

void MonthCalendar::PaintLunarCell(HDC dc, const CalendarCell& cell, int col, int row, double today, bool themed) {
    const LunarLayout& l = *lunar_;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    RECT box = ToRect(l.Cell(col, row));
    const LunarCellFace face = FaceAt(col, row);
    auto shade = [&](COLORREF colour) {
        return cell.inMonth ? colour : static_cast<COLORREF>(BlendColors(colour, window, kOutsideMonthWeight));
    };
    if (face.arrangement == DayArrangement::Holiday)
        Fill(dc, box, shade(kHolidayTint));
    if (cell.date && *cell.date == model_.SelectedDate) {
        Fill(dc, box, themed ? RGB(251, 230, 148) : RGB(192, 192, 192));
        model_.SelectedCellRect = model_.Geometry.CellHighlight(col, row);
    }
    if (cell.date && *cell.date == today) {
        UniqueHbrush frame(CreateSolidBrush(themed ? RGB(128, 0, 0) : GetSysColor(COLOR_HIGHLIGHT)));
        FrameRect(dc, &box, frame.get());
    }
    SetTextColor(dc, !cell.inMonth  ? GetSysColor(COLOR_GRAYTEXT)
                     : face.restDay ? kDayOffColour
                                    : GetSysColor(COLOR_WINDOWTEXT));
    RECT number = ToRect(l.DayNumber(col, row));
    const std::wstring digits = std::to_wstring(cell.day);
    // The day number in the font a day-font handler made of the last one, as
    // the Gregorian month draws it; the lunar text under it in the control's.
    if (dayFont_)
        SelectObject(dc, dayFont_.get());
    NotifyDayFont(dc, cell.day);
    DrawTextW(dc, digits.c_str(), -1, &number, kCentredFlags);
    if (font_)
        SelectObject(dc, font_);

    COLORREF textColour = BlendColors(GetSysColor(COLOR_WINDOWTEXT), window, 150);
    if (face.kind == LunarTextKind::Festival)
        textColour = kDayOffColour;
    else if (face.kind == LunarTextKind::SolarTerm)
        textColour = kSolarTermColour;
    SetTextColor(dc, shade(textColour));
    RECT lunar = ToRect(l.LunarText(col, row));
    const std::wstring text = Utf8ToWide(face.text);
    DrawTextW(dc, text.c_str(), -1, &lunar, kCentredFlags);

    if (face.arrangement != DayArrangement::Ordinary) {
        const bool holiday = face.arrangement == DayArrangement::Holiday;
        ScopedSelectObject small(dc, markFont_.get());
        SetTextColor(dc, shade(holiday ? kDayOffColour : kWorkdayMarkColour));
        RECT mark = ToRect(l.Mark(col, row));
        DrawTextW(dc, holiday ? L"休" : L"班", 1, &mark, kCentredFlags);
    }
}

// The selected day's almanac under the info line: 干支 with the 值神, whose
// 黄道 or 黑道 its colour tells; 建除 with 冲煞; 宜; 忌.
void MonthCalendar::PaintAlmanac(HDC dc) {
    const DateParts d = DecodeDate(std::floor(model_.SelectedDate));
    if (!InLunarRange(d.year, d.month, d.day))
        return;
    const AlmanacDay a = AlmanacOn(d.year, d.month, d.day);
    const LunarLayout& l = *lunar_;
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    SetTextColor(dc, text);
    DrawUtf8(dc, a.yearGanZhi + "年 " + a.monthGanZhi + "月 " + a.dayGanZhi + "日", ToRect(l.AlmanacRow(0)),
             kCardLeftFlags);
    SetTextColor(dc, a.yellowPath ? kDayOffColour : kBlackPathColour);
    DrawUtf8(dc, a.spirit + (a.yellowPath ? "（黄道）" : "（黑道）"), ToRect(l.AlmanacRow(0)), kCardRightFlags);
    SetTextColor(dc, text);
    DrawUtf8(dc, "建除：" + a.officer + "日", ToRect(l.AlmanacRow(1)), kCardLeftFlags);
    DrawUtf8(dc, "冲" + a.clashAnimal + "（" + a.clashGanZhi + "） 煞" + a.shaDirection, ToRect(l.AlmanacRow(1)),
             kCardRightFlags);
    DrawItems(dc, ToRect(l.AlmanacRow(2)), L"宜", kDayOffColour, a.good);
    DrawItems(dc, ToRect(l.AlmanacRow(3)), L"忌", text, a.bad);
}

void MonthCalendar::PaintButton(HDC dc, const MiniButton& button, bool themed) {
    RECT r = ToRect(button.bounds);
    if (!themed || !DrawThemedButton(dc, r, button.Pressed)) {
        Fill(dc, r, GetSysColor(COLOR_BTNFACE));
        DrawEdge(dc, &r, button.Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }
    // The caption in the button font's colour, the window text's.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, button.caption.c_str(), -1, &r, kHeaderFlags);
}

// A themed button drawn at the control's resolution: the theme library draws in
// device pixels whatever the mapping of the context, so it gets the button's
// rectangle in them.
bool MonthCalendar::DrawThemedButton(HDC dc, const RECT& designed, bool pressed) {
    if (dpi_ == kDesignDpi)
        return theme_.DrawPushButton(hwnd_, dc, designed, pressed);
    RECT device = designed;
    LPtoDP(dc, reinterpret_cast<POINT*>(&device), 2);
    const int saved = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    const bool drawn = theme_.DrawPushButton(hwnd_, dc, device, pressed);
    RestoreDC(dc, saved);
    return drawn;
}

std::optional<LRESULT> MonthCalendar::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The pointer in designed pixels.
    const POINT at{DesignPixel(static_cast<short>(LOWORD(lParam)), dpi_),
                   DesignPixel(static_cast<short>(HIWORD(lParam)), dpi_)};
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // Paint covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        // Drawn off screen and copied in one piece: nothing flickers.
        RECT client{};
        GetClientRect(hwnd_, &client);
        UniqueHdc memory(CreateCompatibleDC(dc));
        UniqueHbitmap bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
        {
            ScopedSelectObject select(memory.get(), bitmap.get());
            PaintScaled(memory.get());
            BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
        }
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        // The class asks for double-clicks: the second press of each button
        // arrives as a double-click and is a press like the first.
        // A click gives the control the keyboard (the pop-up is shown without it).
        if (GetFocus() != hwnd_)
            SetFocus(hwnd_);
        mouse_.Press(ButtonOf(msg), at.x, at.y, [&] {
            if (OnMouseDown)
                OnMouseDown(wParam, at.x, at.y);
        });
        if (model_.HeldArrow && msg == WM_LBUTTONDOWN)
            SetTimer(hwnd_, kArrowRepeatTimer, kArrowRepeatDelayMs, nullptr);
        return 0;
    case WM_TIMER:
        if (wParam != kArrowRepeatTimer)
            return std::nullopt;
        RepeatHeldArrow();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_NOTIFY:
        return AnswerAlmanacTip(lParam);
    case WM_KEYDOWN:
        if (KeyDown(wParam))
            return 0;
        return std::nullopt;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        mouse_.Release(ButtonOf(msg), at.x, at.y);
        return 0;
    case WM_MOUSELEAVE:
        mouse_.Leave();
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd_)
            mouse_.CaptureLost();
        return 0;
    case WM_MOUSEMOVE: {
        const bool held = (GetKeyState(VK_LBUTTON) & 0x8000) || (GetKeyState(VK_RBUTTON) & 0x8000) ||
                          (GetKeyState(VK_MBUTTON) & 0x8000);
        mouse_.Move(at.x, at.y, held, [&] {
            if (OnMouseMove)
                OnMouseMove(wParam, at.x, at.y);
        });
        return 0;
    }
    default:
        return std::nullopt;
    }
}

} // namespace vemora
