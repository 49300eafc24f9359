// Pictures of what the program draws, for people: written only when
// VEMORA_SNAPSHOTS names a folder (scripts/snapshots.sh sets it).
#include "calendar/calendarpopup_win.h"
#include "app/settingsdialog_win.h"
#include "render/glow_win.h"

#include "harness.h"

using namespace vemora;
using namespace vemora::test;

namespace {

struct Snapshots : ClockFixture {
    std::wstring folder = SnapshotFolder();
    void SetUp() override {
        ClockFixture::SetUp();
        if (folder.empty())
            GTEST_SKIP() << "VEMORA_SNAPSHOTS not set";
    }
};

} // namespace

TEST_F(Snapshots, ClockOverMidGrey) {
    GlowImage image;
    DrawGlowText(image, L"21:05:07", kFontSongTi, kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3);
    SavePng(folder + L"\\clock-render.png", image.Pixels(), kGlowWidth, kGlowHeight, 0xFF808080);
}

namespace {

// Draws a premultiplied image onto an opaque canvas at (left, top) with a constant alpha.
void Compose(std::vector<std::uint32_t>& canvas, int width, const DibImage& image, int left, int top, int alpha,
             bool opaqueSource = false) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            std::uint32_t p = image.Pixel(x, y);
            if (opaqueSource)
                p |= 0xFF000000u;
            const unsigned a = (p >> 24) * static_cast<unsigned>(alpha) / 255;
            std::uint32_t& d = canvas[static_cast<size_t>((top + y) * width + left + x)];
            std::uint32_t out = 0xFF000000u;
            for (int shift : {16, 8, 0}) {
                const unsigned s = ((p >> shift) & 0xFF) * static_cast<unsigned>(alpha) / 255;
                const unsigned b = (d >> shift) & 0xFF;
                out |= std::min(255u, s + b * (255 - a) / 255) << shift;
            }
            d = out;
        }
}

} // namespace

TEST_F(Snapshots, ClockWithWeatherAndCalendar) {
    WriteIni("[Option]\r\nLunar=0\r\n"); // the Gregorian pop-up; calendar-lunar.png shows the other
    ClockWindow& clock = Create(false);
    const int width = 300, height = 280;
    std::vector<std::uint32_t> canvas(width * height, 0xFF5A6B7Cu);
    GlowImage time, weather;
    DrawGlowText(time, L"21:05:07", kFontSongTi, kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3);
    DrawGlowText(weather, L"南京 晴 , 25℃ , 东南风2级", kFontSongTi, kWeatherEmSize, 0xFFFFFFFF, 0xFF1E78C3);
    DibImage calendar(153, 169);
    clock.calendarPopup()->Calendar().Paint(calendar.Dc());
    Compose(canvas, width, time, 20, 10, 250);
    Compose(canvas, width, weather, 20, 10 + 55 - 8, 250);
    Compose(canvas, width, calendar, 30, 10 + 55 + 35, 220, true);
    SavePng(folder + L"\\clock-with-calendar.png", canvas.data(), width, height);
}

TEST_F(Snapshots, SettingsDialog) {
    WriteIni("[Option]\r\nCity=NANJING\r\nXingzuo=4\r\nwake=1\r\n");
    ClockWindow& clock = Create(true);
    SettingsDialog& dialog = *clock.settingsDialog();
    SetLayeredWindowAttributes(dialog.Handle(), 0, 255, LWA_ALPHA);
    dialog.ShowCurrentSettings();
    SendMessageW(dialog.startColourBox, CB_SETCURSEL, 15, 0);
    SendMessageW(dialog.endColourBox, CB_SETCURSEL, 17, 0);
    ShowWindow(dialog.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(dialog.Handle());
    Pump(300);
    RECT r{};
    GetWindowRect(dialog.Handle(), &r);
    DibImage image(r.right - r.left, r.bottom - r.top);
    // What the screen shows there: the dialog on the virtual display.
    ScopedWindowDC screen(nullptr);
    BitBlt(image.Dc(), 0, 0, image.Width(), image.Height(), screen.get(), r.left, r.top, SRCCOPY);
    for (int i = 0; i < image.Width() * image.Height(); ++i)
        image.MutablePixels()[i] |= 0xFF000000u;
    SavePng(folder + L"\\settings-dialog.png", image.Pixels(), image.Width(), image.Height());
}

TEST_F(Snapshots, LunarCalendar) {
    ClockWindow& clock = Create(false);
    MonthCalendar& cal = clock.calendarPopup()->Calendar();
    cal.Model().SetDate(EncodeDate(2026, 2, 17)); // 春节, in its holiday break
    const LunarLayout& l = *cal.LunarGeometry();
    DibImage image(l.W, l.H);
    cal.Paint(image.Dc());
    for (int i = 0; i < l.W * l.H; ++i)
        image.MutablePixels()[i] |= 0xFF000000u;
    SavePng(folder + L"\\calendar-lunar.png", image.Pixels(), l.W, l.H);
}
