// Time per RenderGlowText call and per full clock tick under Wine, as medians
// of many runs, each against a baseline measured in the same loop: every run
// of the candidate follows one run of the baseline, a fresh image of the same
// size put on the same layered window, so that both see the same moment of a
// shared, busy machine (whose Wine and X server also switch between a fast
// and a slow way of updating layered windows from one minute to the next).
// The baseline leaves the window blank where the candidate expects its own
// last image; that changes what the screen shows, not the work measured.
#include "app/clockwindow_win.h"
#include "calendar/calendarpopup_win.h"
#include "render/glowcanvas_win.h"
#include "render/glow_win.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <utility>
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
    void OpenUrl(const std::wstring&) override {}
};

// Ticks before the measured ones: a renderer's first minute draws every
// second's columns once; the minutes after it reuse them.
constexpr int kFirstMinute = 70;

double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Figures {
    double median = 0, p90 = 0;
};

Figures Summary(std::vector<double>& ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10]};
}

class Bench {
public:
    Bench(HWND window, int runs) : window_(window), runs_(runs) {}

    // Runs the body, each run after one run of the baseline at that resolution.
    // size: the baseline's image, when not that of GlowImage(dpi).
    void Compare(const char* what, int dpi, const std::function<void(int)>& body, int warmUp = 10, SIZE size = {}) {
        for (int i = 0; i < warmUp; ++i)
            body(i);
        std::vector<double> baseline, candidate;
        for (int i = warmUp; i < warmUp + runs_; ++i) {
            const double start = NowMs();
            {
                GlowImage image(dpi, size.cx > 0 ? size.cx : ScaleForDpi(kGlowWidth, dpi),
                                size.cx > 0 ? size.cy : ScaleForDpi(kGlowHeight, dpi));
                UpdateLayeredFromImage(window_, image.Dc(), image.Size(), 250);
            }
            const double between = NowMs();
            body(i);
            baseline.push_back(between - start);
            candidate.push_back(NowMs() - between);
        }
        const Figures b = Summary(baseline), c = Summary(candidate);
        std::printf("%-52s median %7.3f ms  p90 %7.3f ms  baseline %6.3f ms  %5.2fx\n", what, c.median, c.p90, b.median,
                    c.median / b.median);
    }

private:
    HWND window_;
    int runs_;
};

void ReportCounts(const GlowCanvas& canvas) {
    const GlowCanvas::Counters& c = canvas.Count();
    std::printf("  its draws: %d unchanged, %d whole, %d strips reused, %d strips drawn\n", c.unchanged, c.whole,
                c.stripsReused, c.stripsDrawn);
}

std::wstring ClockText(int i) {
    wchar_t text[16];
    swprintf(text, 16, L"10:%02d:%02d", i / 60 % 60, i % 60);
    return text;
}

const Settings kDefaults;

// The clock's drawing at one resolution: the literal drawing on a kept image,
// as every tick did before the canvas, the update of that drawn image alone,
// and the kept renderer after and during its first minute.
void CompareAtResolution(Bench& bench, HWND window, int dpi) {
    const int em = ScaleForDpi(kClockEmSize, dpi);
    char label[96];
    GlowImage kept(dpi);
    Gdiplus::FontFamily family(L"宋体");
    std::snprintf(label, sizeof label, "dpi %d literal drawing on a kept image (before)", dpi);
    bench.Compare(label, dpi, [&](int i) {
        std::fill_n(kept.MutablePixels(), kept.Width() * kept.Height(), 0u);
        DrawGlowTextWith(kept, ClockText(i), family, L"宋体", em, kDefaults.startColour, kDefaults.endColour);
        UpdateLayeredFromImage(window, kept.Dc(), kept.Size(), 250);
    });
    std::snprintf(label, sizeof label, "dpi %d layered update of that drawn image only", dpi);
    bench.Compare(label, dpi, [&](int) { UpdateLayeredFromImage(window, kept.Dc(), kept.Size(), 250); });
    GlowRenderer renderer;
    const auto tick = [&](int i) {
        renderer.Render(window, ClockText(i), "", em, kDefaults.startColour, kDefaults.endColour, 250, dpi);
    };
    std::snprintf(label, sizeof label, "dpi %d GlowRenderer after its first minute (after)", dpi);
    bench.Compare(label, dpi, tick, kFirstMinute);
    ReportCounts(renderer.Canvas());
    GlowCanvas canvas(dpi);
    const auto draw = [&](int i) {
        canvas.Draw(ClockText(i), family, L"宋体", em, kDefaults.startColour, kDefaults.endColour);
    };
    std::snprintf(label, sizeof label, "dpi %d  its drawing alone, without the update", dpi);
    bench.Compare(label, dpi, draw, kFirstMinute);
}

} // namespace

int main() {
    ScopedGdiplus gdiplus;
    QuietEffects effects;
    ErrorReporter reporter(effects, L"Vemora");

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    MainOptions options;
    options.settingsPath = std::wstring(temp) + L"vemora-bench.ini";
    DeleteFileW(options.settingsPath.c_str());
    DateTimeParts now{2026, 12, 7, 10, 15, 0, 0, 1};
    options.clock = [&now] { return now; };
    ClockWindow clock(effects, reporter, options);
    clock.CreateCompanions();
    clock.Show();
    clock.SetTimerEnabled(false); // ticks below are driven by hand
    HWND window = clock.Handle();

    Bench bench(window, 300);
    std::printf("each row against the baseline: a fresh image of its size and the layered update, nothing drawn\n");
    bench.Compare("baseline against itself", 96, [&](int) {
        GlowImage image;
        UpdateLayeredFromImage(window, image.Dc(), image.Size(), 250);
    });
    bench.Compare("RenderGlowText, clock text, em 38 (fresh objects)", 96, [&](int i) {
        RenderGlowText(window, ClockText(i), kDefaults.font, kClockEmSize, kDefaults.startColour, kDefaults.endColour,
                       kDefaults.transparency);
    });
    GlowRenderer renderer;
    const auto steadyTick = [&](int i) {
        renderer.Render(window, ClockText(i), kDefaults.font, kClockEmSize, kDefaults.startColour, kDefaults.endColour,
                        kDefaults.transparency);
    };
    bench.Compare("GlowRenderer, clock text, after its first minute", 96, steadyTick, kFirstMinute);
    ReportCounts(renderer.Canvas());
    // A fresh renderer's first minute: no strip has come back yet, each
    // second's columns are drawn from their figures.
    GlowRenderer cold;
    const auto coldTick = [&](int i) {
        cold.Render(window, ClockText(i), kDefaults.font, kClockEmSize, kDefaults.startColour, kDefaults.endColour,
                    kDefaults.transparency);
    };
    Bench minute(window, 58);
    minute.Compare("GlowRenderer, its first minute (nothing to reuse)", 96, coldTick, 2);
    ReportCounts(cold.Canvas());
    bench.Compare("GlowRenderer, the same text again", 96, [&](int) {
        renderer.Render(window, L"10:15:07", kDefaults.font, kClockEmSize, kDefaults.startColour, kDefaults.endColour,
                        kDefaults.transparency);
    });
    const auto clockTick = [&](int i) {
        now.minute = 1 + i / 60 % 58;
        now.second = i % 60;
        clock.Tick();
    };
    bench.Compare("ClockWindow::Tick, full tick, after its first minute", 96, clockTick, kFirstMinute);
    // The clock with the date line, and at its largest size: each against the
    // layered update of an image of its own size.
    for (const auto& [what, edit] : std::initializer_list<std::pair<const char*, std::function<void(Settings&)>>>{
             {"ClockWindow::Tick, full tick, ShowDate=1, after its first minute",
              [](Settings& s) { s.showDate = true; }},
             {"ClockWindow::Tick, full tick, Scale=300, after its first minute", [](Settings& s) { s.scale = 300; }},
             {"ClockWindow::Tick, full tick, both, after its first minute",
              [](Settings& s) { s.showDate = true, s.scale = 300; }}}) {
        Settings changed = clock.CurrentSettings();
        changed.showDate = false, changed.scale = 100;
        edit(changed);
        clock.ChangeSettings(changed, SettingsChange::Face);
        const ClockLayout layout = clock.Layout();
        bench.Compare(what, layout.dpi, clockTick, kFirstMinute, SIZE{layout.width, layout.height});
        std::printf("  window %d x %d\n", layout.width, layout.height);
    }
    Settings plain = clock.CurrentSettings();
    plain.showDate = false, plain.scale = 100;
    clock.ChangeSettings(plain, SettingsChange::Face);
    for (int dpi : {96, 144, 192})
        CompareAtResolution(bench, window, dpi);
    // One paint of the calendar into a bitmap: a Gregorian month as the
    // baseline, then the same month with the Chinese calendar.
    CalendarPopup& popup = *clock.calendarPopup();
    MonthCalendar& calendar = popup.Calendar();
    calendar.Model().SetDate(EncodeDate(2026, 2, 17)); // 春节, holiday marks on 10 days
    const auto paints = [&](DibImage& image) {
        std::vector<double> ms;
        for (int i = 0; i < 300; ++i) {
            const double start = NowMs();
            calendar.Paint(image.Dc());
            ms.push_back(NowMs() - start);
        }
        return Summary(ms);
    };
    popup.SetLunar(false);
    DibImage gregorianImage(153, 169);
    const Figures gregorian = paints(gregorianImage);
    popup.SetLunar(true);
    const LunarLayout& layout = *calendar.LunarGeometry();
    DibImage lunarImage(layout.W, layout.H);
    const Figures lunar = paints(lunarImage);
    std::printf("calendar paint, Gregorian month, 153 x 169: median %7.3f ms  p90 %7.3f ms\n", gregorian.median,
                gregorian.p90);
    std::printf("calendar paint, lunar month, %d x %d:     median %7.3f ms  p90 %7.3f ms  %5.2fx\n", layout.W, layout.H,
                lunar.median, lunar.p90, lunar.median / gregorian.median);
    std::printf("font: %s\n",
                kDefaults.font == kFontSongTi ? "SimSun (replaced by WenQuanYi Micro Hei)" : "as installed");
    DestroyWindow(window);
    DeleteFileW(options.settingsPath.c_str());
    return 0;
}
