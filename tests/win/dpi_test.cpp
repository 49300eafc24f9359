// The windows at the screen's resolution. The same tests run in prefixes of
// 96, 144 and 192 pixels per inch; VEMORA_EXPECT_DPI names the one a run must
// find, so that a prefix that lost its setting cannot pass at 96.
#include "app/settingsdialog_win.h"
#include "base/dpi_win.h"
#include "base/inputbox_win.h"
#include "calendar/calendarpopup_win.h"
#include "weather/weatherstrip_win.h"
#include "horoscope/horoscopepanel_win.h"
#include "power/timedactiondialog_win.h"

#include "harness.h"
#include "testserver.h"

using namespace vemora;
using namespace vemora::test;

namespace {

// The box of a layered image's visible pixels.
RECT Ink(const DibImage& image) {
    RECT box{image.Width(), image.Height(), -1, -1};
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (image.Pixel(x, y) >> 24) {
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                       std::max<LONG>(box.bottom, y + 1)};
            }
    return box;
}

bool Dark(std::uint32_t pixel) {
    return ((pixel >> 16) & 0xFF) < 80 && ((pixel >> 8) & 0xFF) < 80 && (pixel & 0xFF) < 80;
}

RECT ClientRectIn(HWND control, HWND parent) {
    RECT r = WindowRect(control);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Show(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

struct DpiScaling : ClockFixture {
    LocalHttpServer server{[](const std::string& target) {
        if (target.find("/skin/") == 0)
            return HttpReply{200, "text/html; charset=gb2312", WideToGbk(L"<a href=\"/n\">南京 晴</a>")};
        return HttpReply{200, "text/html; charset=gb2312",
                         ReadFileBytes(Utf8ToWide(VEMORA_FIXTURES "\\xingzuo_aries_day.html"))};
    }};
    int dpi = kDesignDpi;
    int S(int designed) const { return ScaleForDpi(designed, dpi); }

    ClockWindow& Open(const std::string& ini = "") {
        WriteIni("[Option]\r\nWeatherHost=" + server.Host() + "\r\nXingzuoHost=" + server.Host() + "\r\n" + ini);
        ClockWindow& clock = Create(true);
        dpi = clock.Dpi();
        wchar_t expected[8] = {};
        if (GetEnvironmentVariableW(L"VEMORA_EXPECT_DPI", expected, 8))
            EXPECT_EQ(dpi, _wtoi(expected)) << "the prefix's LogPixels";
        EXPECT_EQ(dpi, WindowDpi(clock.Handle()));
        return clock;
    }
    // The glow's ink at 96 pixels per inch, drawn as the renderer draws it.
    static RECT InkAt96(const std::wstring& text, int emSize) {
        GlowImage image(kDesignDpi);
        const Settings defaults;
        DrawGlowText(image, text, defaults.font, emSize, defaults.startColour, defaults.endColour);
        return Ink(image);
    }
    // Scaled ink: glyphs, pens and origin all grew by dpi / 96, within a pixel
    // or two of hinting.
    void ExpectScaledInk(const DibImage& image, const RECT& at96, const char* what) {
        const RECT ink = Ink(image);
        EXPECT_NEAR(ink.left, S(at96.left), 2) << what;
        EXPECT_NEAR(ink.top, S(at96.top), 2) << what;
        EXPECT_NEAR(ink.bottom - ink.top, S(at96.bottom - at96.top), 3) << what;
    }
};

} // namespace

TEST(DpiAwareness, DeclaredPerMonitorInTheManifest) {
    // The test program carries the program's manifest; the loader reads it.
    wchar_t value[64] = {};
    SIZE_T size = 0;
    ASSERT_TRUE(QueryActCtxSettingsW(0, nullptr, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                     L"dpiAwareness", value, 64, &size));
    EXPECT_EQ(std::wstring(value), L"PerMonitorV2, PerMonitor");
}

TEST_F(DpiScaling, ClockAndWeatherStripDrawnAtTheWindowsRealSize) {
    ClockWindow& clock = Open("weather=1\r\n");
    clock.Tick();
    const RECT c = WindowRect(clock.Handle());
    EXPECT_EQ(Show(c), Show(RECT{GetSystemMetrics(SM_CXSCREEN) - S(230), 0, GetSystemMetrics(SM_CXSCREEN), S(55)}));
    EXPECT_EQ(clock.ClockImage().Width(), c.right - c.left) << "made at the window's size, not stretched";
    EXPECT_EQ(clock.ClockImage().Height(), c.bottom - c.top);
    ExpectScaledInk(clock.ClockImage(), InkAt96(GbkToWide(clock.LastTimeText()), kClockEmSize), "clock, em 38");

    HWND strip = clock.weatherStrip()->Handle();
    // The line arrives from its worker and is drawn then.
    EXPECT_TRUE(PumpUntil([&] { return WindowRect(strip).right - WindowRect(strip).left == S(230); }));
    const RECT s = WindowRect(strip);
    EXPECT_EQ(Show(s), Show(RECT{c.left, c.bottom - S(8), c.left + S(230), c.bottom - S(8) + S(55)}));
    EXPECT_EQ(clock.WeatherImage().Width(), S(230));
    ExpectScaledInk(clock.WeatherImage(), InkAt96(L"南京 晴", kWeatherEmSize), "weather strip, em 16");
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(DpiScaling, HoroscopePanelAndCalendarPopup) {
    ClockWindow& clock = Open("showxz=1\r\nXingzuo=0\r\nLunar=0\r\n");
    const RECT c = WindowRect(clock.Handle());
    const RECT p = WindowRect(clock.horoscopePanel()->Handle());
    // Under the clock at the right edge, moved up as far as it must to keep
    // the sheet (not its transparent margins) on the work area.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const PixelRect margins = ScaleRectForDpi(kSheetMargins, dpi);
    const int panelTop =
        std::max<int>(work.top - margins.top, std::min<int>(c.bottom, work.bottom + margins.bottom - S(512)));
    const int panelLeft = work.right - S(512) + S(kPanelOverhang);
    EXPECT_EQ(Show(p), Show(RECT{panelLeft, panelTop, panelLeft + S(512), panelTop + S(512)}));
    // The rating line where the designed sheet has it, in the sheet's text size.
    std::unique_ptr<Gdiplus::Bitmap> picture = LoadBookPicture(dpi);
    const std::string page = ReadFileBytes(Utf8ToWide(VEMORA_FIXTURES "\\xingzuo_aries_day.html"));
    std::unique_ptr<DibImage> sheet = DrawHoroscopeImage(*picture, page, 0, dpi);
    ASSERT_EQ(sheet->Width(), S(512));
    int top = sheet->Height(), bottom = 0;
    for (int y = S(72); y < S(104); ++y)
        for (int x = S(110); x < S(330); ++x)
            if (sheet->Pixel(x, y) >> 24 == 255 && Dark(sheet->Pixel(x, y))) {
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
    EXPECT_NEAR(top, S(80), S(4));
    EXPECT_NEAR(bottom - top, S(13), S(3)) << "10 points at the panel's resolution";
    for (auto [x, y] : {std::pair{10, 10}, {500, 500}, {112, 42}})
        EXPECT_EQ(sheet->Pixel(S(x), S(y)) >> 24, 0u) << "margin and binder hole stay transparent";

    // Alone under the clock, as the panel would push it aside.
    clock.ToggleHoroscope();
    clock.OpenCalendar();
    CalendarPopup& popup = *clock.calendarPopup();
    const RECT cal = WindowRect(popup.Handle());
    EXPECT_EQ(Show(cal),
              Show(RECT{c.left + S(10), c.bottom + S(35), c.left + S(10) + S(153), c.bottom + S(35) + S(169)}));
    EXPECT_EQ(Show(WindowRect(popup.Calendar().Handle())), Show(cal)) << "the calendar fills it";
    // A press in the middle of row 2, column 3 at this scale selects that day.
    MonthCalendar& month = popup.Calendar();
    const CalRect cell = month.Model().Geometry.CellText(3, 2);
    const LPARAM at = MAKELPARAM(S((cell.left + cell.right) / 2), S((cell.top + cell.bottom) / 2));
    SendMessageW(month.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(month.Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(month.Model().SelectedDate, *month.Model().DateAtCell(3, 2));
    // Painted at this scale, the Today button (themed where Wine has a theme)
    // stands where the scaled design puts it: where its designed numbers
    // would put it unscaled, day numbers show (at 96, its own caption).
    DibImage painted(S(153), S(169));
    month.PaintScaled(painted.Dc());
    const CalRect unscaled = month.TodayButton().bounds;
    int ink = 0;
    for (int y = unscaled.top + 3; y < unscaled.bottom - 3; ++y)
        for (int x = unscaled.left + 3; x < unscaled.right - 3; ++x)
            ink += Dark(painted.Pixel(x, y));
    EXPECT_GT(ink, 0) << "text, not a button face drawn at unscaled pixels";

    // Both at another resolution, at the suggested rectangles: the sheet is
    // drawn again from the page it has, not fetched again.
    const int other = dpi == 192 ? 96 : 192;
    for (HWND w : {clock.horoscopePanel()->Handle(), popup.Handle()}) {
        const int size = w == popup.Handle() ? 153 : 512;
        RECT suggested{50, 60, 50 + ScaleForDpi(size, other), 60 + ScaleForDpi(size, other)};
        SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(WindowRect(w).right, suggested.right);
    }
    EXPECT_EQ(clock.horoscopePanel()->Dpi(), other);
    EXPECT_EQ(server.Targets().size(), 1u);
    EXPECT_EQ(WindowRect(month.Handle()).right - WindowRect(month.Handle()).left, ScaleForDpi(153, other));
    EXPECT_TRUE(effects.errors.empty());
}

TEST_F(DpiScaling, DialogControlsAndFontsScaled) {
    ClockWindow& clock = Open();
    struct Control {
        HWND window;
        RECT designed;
    };
    SettingsDialog& set = *clock.settingsDialog();
    TimedActionDialog& timed = *clock.timedActionDialog();
    const struct {
        HWND dialog;
        SIZE client;
        std::vector<Control> controls;
    } dialogs[] = {
        {set.Handle(),
         {326, 338},
         {{set.okButton, {80, 291, 155, 316}},
          {set.cityEdit, {80, 143, 160, 164}},
          {set.transparencySlider, {80, 16, 270, 49}}}},
        {timed.Handle(),
         {341, 289},
         {{timed.resetButton, {126, 256, 201, 281}}, {timed.actionChoices[2], {172, 162, 292, 182}}}},
    };
    for (const auto& d : dialogs) {
        RECT client{};
        GetClientRect(d.dialog, &client);
        EXPECT_EQ(client.right, S(d.client.cx));
        EXPECT_EQ(client.bottom, S(d.client.cy));
        for (const Control& c : d.controls) {
            const PixelRect r =
                ScaleRectForDpi({c.designed.left, c.designed.top, c.designed.right, c.designed.bottom}, dpi);
            EXPECT_EQ(Show(ClientRectIn(c.window, d.dialog)), Show(RECT{r.left, r.top, r.right, r.bottom}));
            if (c.window == set.transparencySlider)
                continue; // a slider keeps no font
            LOGFONTW font{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c.window, WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_EQ(font.lfHeight, -MulDiv(8, dpi, 72)) << "Tahoma 8 pt";
        }
    }
    InputBox box(reporter, clock.Handle(), L"更改城市", L"请输入你所在城市");
    RECT boxClient{};
    GetClientRect(box.Handle(), &boxClient);
    EXPECT_EQ(boxClient.right, S(260)) << "the input box too";
    EXPECT_EQ(boxClient.bottom, S(104));
    // The open lists still show as many names and colours.
    for (HWND box : {set.fontBox, set.startColourBox}) {
        RECT dropped{};
        SendMessageW(box, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        EXPECT_GE((dropped.bottom - dropped.top) / SendMessageW(box, CB_GETITEMHEIGHT, 0, 0), 10);
    }
}

TEST_F(DpiScaling, AnotherResolutionRedrawsAtTheSuggestedRectangle) {
    ClockWindow& clock = Open();
    clock.Tick();
    const int other = dpi == 192 ? 96 : 192;
    RECT suggested{100, 200, 100 + ScaleForDpi(230, other), 200 + ScaleForDpi(55, other)};
    const int drawn = clock.DrawCount();
    SendMessageW(clock.Handle(), WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
    const RECT c = WindowRect(clock.Handle());
    EXPECT_EQ(Show(c), Show(suggested));
    EXPECT_EQ(clock.Dpi(), other);
    EXPECT_EQ(clock.ClockImage().Width(), ScaleForDpi(230, other)) << "drawn again at once";
    EXPECT_EQ(clock.DrawCount(), drawn + 1) << "without a tick";

    // A dialog there and back again ends where it started: scaled from the design each time.
    TimedActionDialog& timed = *clock.timedActionDialog();
    const RECT before = ClientRectIn(timed.resetButton, timed.Handle());
    for (int to : {other, dpi}) {
        RECT r = WindowBoundsForDpi(ScaleForDpi(341, to), ScaleForDpi(267, to),
                                    static_cast<DWORD>(GetWindowLongW(timed.Handle(), GWL_STYLE)),
                                    static_cast<DWORD>(GetWindowLongW(timed.Handle(), GWL_EXSTYLE)), to);
        SendMessageW(timed.Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&r));
        RECT client{};
        GetClientRect(timed.Handle(), &client);
        EXPECT_EQ(client.right, ScaleForDpi(341, to));
    }
    EXPECT_EQ(Show(ClientRectIn(timed.resetButton, timed.Handle())), Show(before));
}
