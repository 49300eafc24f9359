// Time per RenderGlowText call, per full clock tick and per paint of the
// calendar under Wine, as medians of many runs, each with a baseline measured
// in the same run.
#include "app/clockmain_win.h"
#include "calendar/calpopup_win.h"
#include "render/glow_win.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace vemora;

namespace {

struct QuietEffects : Effects {
    void ShowError(HWND, const std::wstring&, const std::wstring& text) override {
        std::fwprintf(stderr, L"error: %ls\n", text.c_str());
    }
    bool AskYesNo(HWND, const std::wstring&, const std::wstring&) override { return false; }
    BOOL ExitSystem(UINT, DWORD) override { return TRUE; }
    BOOL SetSystemClock(const SYSTEMTIME&) override { return TRUE; }
    void PlaySoundMemory(const void*, UINT) override {}
    void ShowAbout(HWND, const std::wstring&, const std::wstring&) override {}
    void OpenUrl(const std::wstring&) override {}
};

struct Figures {
    double median, p90;
};

Figures Measure(int runs, const std::function<void(int)>& body) {
    LARGE_INTEGER frequency, a, b;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int i = 0; i < 10; ++i)
        body(i); // warm-up
    for (int i = 0; i < runs; ++i) {
        QueryPerformanceCounter(&a);
        body(i);
        QueryPerformanceCounter(&b);
        ms.push_back(1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(frequency.QuadPart));
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10]};
}

void Report(const char* what, Figures f, Figures baseline) {
    std::printf("%-44s median %7.3f ms  p90 %7.3f ms  (%.1fx the baseline)\n", what, f.median, f.p90,
                f.median / baseline.median);
}

} // namespace

int main() {
    ScopedGdiplus gdiplus;
    QuietEffects effects;
    ErrorReporter reporter(effects, L"Vemora");
    const int runs = 300;

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    MainOptions options;
    options.settingsPath = std::wstring(temp) + L"vemora-bench.ini";
    DeleteFileW(options.settingsPath.c_str());
    DateTimeParts now{2026, 12, 7, 10, 15, 0, 0, 1};
    options.clock = [&now] { return now; };
    Tfrmmain clock(effects, reporter, options);
    clock.CreateCompanions();
    clock.Show();
    clock.SetTimerEnabled(false); // ticks below are driven by hand
    HWND window = clock.Handle();

    const Figures floor = Measure(runs, [&](int) {
        GlowImage image;
        UpdateLayeredFromImage(window, image.Dc(), SIZE{kGlowWidth, kGlowHeight}, 250);
    });
    Report("baseline: image and layered update only", floor, floor);
    const Figures render = Measure(runs, [&](int i) {
        wchar_t text[16];
        swprintf(text, 16, L"10:%02d:%02d", i / 60 % 60, i % 60);
        RenderGlowText(window, text, ClockSettings.Font, kClockEmSize, ClockSettings.Startcolor, ClockSettings.Endcolor,
                       ClockSettings.Transparent);
    });
    Report("RenderGlowText, clock text, em 38 (fresh objects)", render, floor);
    GlowRenderer renderer;
    const Figures cached = Measure(runs, [&](int i) {
        wchar_t text[16];
        swprintf(text, 16, L"10:%02d:%02d", i / 60 % 60, i % 60);
        renderer.Render(window, text, ClockSettings.Font, kClockEmSize, ClockSettings.Startcolor,
                        ClockSettings.Endcolor, ClockSettings.Transparent);
    });
    Report("GlowRenderer, clock text, em 38 (kept objects)", cached, floor);
    std::printf("%-44s %.2fx faster than fresh objects\n", "kept objects:", render.median / cached.median);
    const Figures tick = Measure(runs, [&](int i) {
        now.minute = 1 + i / 60 % 58;
        now.second = i % 60;
        clock.Timer1Timer();
    });
    Report("Timer1Timer, full tick (kept objects)", tick, floor);
    // One paint of the calendar into a bitmap: a Gregorian month as the
    // baseline, then the same month with the Chinese calendar.
    Tfrmcal& popup = *clock.frmcal();
    TMonthCalendar& calendar = popup.MonthCalendar1();
    calendar.Model().SetDate(EncodeDate(2026, 2, 17)); // 春节, holiday marks on 10 days
    popup.SetLunar(false);
    DibImage gregorianImage(153, 169);
    const Figures gregorian = Measure(runs, [&](int) { calendar.Paint(gregorianImage.Dc()); });
    Report("calendar paint, Gregorian month, 153 x 169", gregorian, gregorian);
    popup.SetLunar(true);
    const LunarLayout& layout = *calendar.LunarGeometry();
    DibImage lunarImage(layout.W, layout.H);
    const Figures lunar = Measure(runs, [&](int) { calendar.Paint(lunarImage.Dc()); });
    char what[64];
    std::snprintf(what, sizeof what, "calendar paint, lunar month, %d x %d", layout.W, layout.H);
    Report(what, lunar, gregorian);
    std::printf("font: %s\n",
                ClockSettings.Font == kFontSongTi ? "SimSun (replaced by WenQuanYi Micro Hei)" : "as installed");
    DestroyWindow(window);
    DeleteFileW(options.settingsPath.c_str());
    return 0;
}
