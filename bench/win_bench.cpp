// Time per RenderGlowText call and per full clock tick under Wine, as medians
// of many runs (and the processor time per run), each with a baseline
// measured in the same run.
#include "app/clockmain_win.h"
#include "render/glowcanvas_win.h"
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
    BOOL ExitSystem(UINT, DWORD) override { return TRUE; }
    BOOL SetSystemClock(const SYSTEMTIME&) override { return TRUE; }
    void PlaySoundMemory(const void*, UINT) override {}
    void ShowAbout(HWND, const std::wstring&, const std::wstring&) override {}
    void OpenUrl(const std::wstring&) override {}
};

struct Figures {
    double median, p90;
    double cpu; // the process's processor time per run, a mean: the machine's other load hardly changes it
};

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) {
        return static_cast<double>((ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

Figures Measure(int runs, const std::function<void(int)>& body, int warmUp = 10) {
    LARGE_INTEGER frequency, a, b;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int i = 0; i < warmUp; ++i)
        body(i);
    const double cpu = ProcessCpuMs();
    for (int i = warmUp; i < warmUp + runs; ++i) {
        QueryPerformanceCounter(&a);
        body(i);
        QueryPerformanceCounter(&b);
        ms.push_back(1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(frequency.QuadPart));
    }
    const double cpuPerRun = (ProcessCpuMs() - cpu) / runs;
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], cpuPerRun};
}

void Report(const char* what, Figures f, Figures baseline) {
    std::printf("%-56s median %7.3f ms  p90 %7.3f ms  (%5.2fx)  CPU %6.3f ms (%5.2fx)\n", what, f.median, f.p90,
                f.median / baseline.median, f.cpu, f.cpu / baseline.cpu);
}

void ReportCounts(const GlowRenderer& renderer) {
    const GlowCanvas::Counters& c = renderer.Canvas().Count();
    std::printf("%-56s %d unchanged, %d whole, %d strips reused, %d strips drawn\n", "  its draws:", c.unchanged,
                c.whole, c.stripsReused, c.stripsDrawn);
}

std::wstring ClockText(int i) {
    wchar_t text[16];
    swprintf(text, 16, L"10:%02d:%02d", i / 60 % 60, i % 60);
    return text;
}

// The clock's drawing at one resolution: the literal drawing on a kept image,
// as every tick did before the canvas, and the kept renderer, each with the
// layered update, against the bare update of an image of that size.
void CompareAtResolution(HWND window, int dpi, int runs) {
    const int em = ScaleForDpi(kClockEmSize, dpi);
    char label[96];
    const Figures floor = Measure(runs, [&](int) {
        GlowImage image(dpi);
        UpdateLayeredFromImage(window, image.Dc(), image.Size(), 250);
    });
    std::snprintf(label, sizeof label, "dpi %d baseline: image and layered update only", dpi);
    Report(label, floor, floor);
    GlowImage kept(dpi);
    Gdiplus::FontFamily family(L"宋体");
    const Figures literal = Measure(runs, [&](int i) {
        std::fill_n(kept.MutablePixels(), kept.Width() * kept.Height(), 0u);
        DrawGlowTextWith(kept, ClockText(i), family, L"宋体", em, ClockSettings.Startcolor, ClockSettings.Endcolor);
        UpdateLayeredFromImage(window, kept.Dc(), kept.Size(), 250);
    });
    std::snprintf(label, sizeof label, "dpi %d literal drawing on a kept image (before)", dpi);
    Report(label, literal, floor);
    const Figures update = Measure(runs, [&](int) { UpdateLayeredFromImage(window, kept.Dc(), kept.Size(), 250); });
    std::snprintf(label, sizeof label, "dpi %d layered update of that drawn image only", dpi);
    Report(label, update, floor);
    GlowRenderer renderer;
    const Figures fast = Measure(runs, [&](int i) {
        renderer.Render(window, ClockText(i), "", em, ClockSettings.Startcolor, ClockSettings.Endcolor, 250, dpi);
    });
    std::snprintf(label, sizeof label, "dpi %d GlowRenderer (after)", dpi);
    Report(label, fast, floor);
    ReportCounts(renderer);
    GlowCanvas canvas(dpi);
    const Figures drawing = Measure(runs, [&](int i) {
        canvas.Draw(ClockText(i), family, L"宋体", em, ClockSettings.Startcolor, ClockSettings.Endcolor);
    });
    std::snprintf(label, sizeof label, "dpi %d its drawing alone, without the update", dpi);
    Report(label, drawing, floor);
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
        renderer.Render(window, ClockText(i), ClockSettings.Font, kClockEmSize, ClockSettings.Startcolor,
                        ClockSettings.Endcolor, ClockSettings.Transparent);
    });
    Report("GlowRenderer, clock text, em 38 (kept canvas)", cached, floor);
    ReportCounts(renderer);
    // A fresh renderer's first minute: no strip has come back yet, each
    // second's columns are drawn from their figures.
    GlowRenderer cold;
    const auto coldTick = [&](int i) {
        cold.Render(window, ClockText(i), ClockSettings.Font, kClockEmSize, ClockSettings.Startcolor,
                    ClockSettings.Endcolor, ClockSettings.Transparent);
    };
    const Figures first = Measure(58, coldTick, 2);
    Report("GlowRenderer, its first minute (nothing to reuse)", first, floor);
    ReportCounts(cold);
    const Figures same = Measure(runs, [&](int) {
        renderer.Render(window, L"10:15:07", ClockSettings.Font, kClockEmSize, ClockSettings.Startcolor,
                        ClockSettings.Endcolor, ClockSettings.Transparent);
    });
    Report("GlowRenderer, the same text again", same, floor);
    const Figures tick = Measure(runs, [&](int i) {
        now.minute = 1 + i / 60 % 58;
        now.second = i % 60;
        clock.Timer1Timer();
    });
    Report("Timer1Timer, full tick (kept objects)", tick, floor);
    for (int dpi : {96, 144, 192})
        CompareAtResolution(window, dpi, runs);
    std::printf("font: %s\n", ClockSettings.Font == kFontSongTi ? "SimSun (replaced by WenQuanYi Micro Hei)"
                                                                : "as installed");
    DestroyWindow(window);
    DeleteFileW(options.settingsPath.c_str());
    return 0;
}
