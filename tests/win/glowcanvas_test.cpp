#include "render/glowcanvas_win.h"

#include "app/clockface.h"

#include "harness.h"

#include <cstring>

using namespace vemora;

namespace {

std::wstring TimeText(int second) {
    wchar_t text[16];
    swprintf(text, 16, L"%02d:%02d:%02d", second / 3600 % 24, second / 60 % 60, second % 60);
    return text;
}

// What the literal renderer gives on a fresh image: its pixels or its error.
std::string Literal(GlowImage& image, const std::wstring& text, const char* font, int em, Argb start, Argb end) {
    try {
        DrawGlowText(image, text, font, em, start, end);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

} // namespace

// The kept renderer against the literal one, byte for byte, over runs of
// seconds long enough for the cached column strips to come back, across the
// hour and midnight, with fonts whose mitred corners (the tip of ►) reach
// further than the halo, an alpha-0 colour, constant alphas 0 and 255, every
// resolution the windows use, and the texts in between that no clock shows.
TEST(GlowCanvas, DrawsTheLiteralPixelsByteForByte) {
    HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 100, 100, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
    struct Style {
        const char* font;
        int em;
        Argb start, end;
        int dpi;
        int first, seconds;
    };
    const Style styles[] = {
        {"", kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3, 96, 9 * 3600 + 59 * 60 + 50, 80},
        {"", ScaleForDpi(kClockEmSize, 144), 0xFFFFFFFF, 0xFF1E78C3, 144, 23 * 3600 + 59 * 60 + 30, 75},
        {"", ScaleForDpi(kClockEmSize, 192), 0xFF00FF00, 0x00000000, 192, 12 * 3600 + 55, 70},
        {"DejaVu Serif", 60, 0x00FFFFFF, 0xFFFF0000, 96, 7 * 3600 + 7 * 60 + 7, 70},
        {"DejaVu Sans Mono", kWeatherEmSize, 0x80FF8000, 0xFF1E78C3, 96, 17 * 3600 + 45 * 60 + 58, 65},
        {"Default", kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3, 96, 0, 3}, // names no family
    };
    std::wstring weather;
    while (weather.size() < 400)
        weather += L"南京 晴 , 25℃ , 东南风2级 ";
    GlowCanvas::Counters total;
    for (const Style& s : styles) {
        GlowRenderer renderer;
        int step = 0;
        auto check = [&](const std::wstring& text) {
            const int alpha = ++step % 2 ? 0 : 255;
            std::string fastError;
            try {
                renderer.Render(window, text, s.font, s.em, s.start, s.end, alpha, s.dpi);
            } catch (const std::runtime_error& e) {
                fastError = e.what();
            }
            GlowImage literal(s.dpi);
            ASSERT_EQ(fastError, Literal(literal, text, s.font, s.em, s.start, s.end)) << WideToUtf8(text);
            if (fastError.empty()) {
                ASSERT_EQ(0, std::memcmp(literal.Pixels(), renderer.Image().Pixels(),
                                         sizeof(std::uint32_t) * literal.Width() * literal.Height()))
                    << s.font << " em " << s.em << " dpi " << s.dpi << " " << WideToUtf8(text);
            }
        };
        for (int i = 0; i < s.seconds; ++i) {
            check(TimeText(s.first + i));
            if (i == 20) {
                for (const std::wstring& other :
                     {TimeText(s.first + i), std::wstring(), std::wstring(L"   "), weather,
                      std::wstring(L"88:88:88 88:88:88"), std::wstring(L"上午 9:05:07"), std::wstring(L"9:05 ►"),
                      std::wstring(L"9:05  "), TimeText(s.first + i)})
                    check(other);
            }
        }
        const GlowCanvas::Counters& c = renderer.Canvas().Count();
        total.unchanged += c.unchanged;
        total.whole += c.whole;
        total.stripsReused += c.stripsReused;
        total.stripsDrawn += c.stripsDrawn;
    }
    // Every way of drawing was taken, so each of them was compared above.
    EXPECT_GT(total.unchanged, 0);
    EXPECT_GT(total.whole, 0);
    EXPECT_GT(total.stripsDrawn, 0);
    EXPECT_GT(total.stripsReused, 20);
    DestroyWindow(window);
}

namespace {

// What the screen shows where the window stands.
std::vector<std::uint32_t> OnScreen(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    DibImage shot(r.right - r.left, r.bottom - r.top);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Dc(), 0, 0, shot.Width(), shot.Height(), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return {shot.Pixels(), shot.Pixels() + shot.Width() * shot.Height()};
}

} // namespace

// Ticks in a row hand the window only the changed columns; what the screen
// shows is what the whole image, handed over whole, shows.
TEST(GlowCanvas, TicksUpdateOnlyTheChangedColumnsOfTheWindow) {
    HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP, 620, 480,
                                  kGlowWidth, kGlowHeight, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    GlowRenderer renderer;
    std::vector<std::uint32_t> before;
    for (int i = 0; i < 75; ++i) {
        const std::wstring text = TimeText(10 * 3600 + 59 * 60 + 50 + i);
        renderer.Render(window, text, "", kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3, 250);
        if (i % 25 != 24) {
            if (i % 25 == 23) {
                test::Pump(20);
                before = OnScreen(window);
            }
            continue;
        }
        test::Pump(20);
        const std::vector<std::uint32_t> shown = OnScreen(window);
        ASSERT_NE(before, shown) << "the screen follows the ticks";
        RenderGlowText(window, text, "", kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3, 250);
        test::Pump(20);
        EXPECT_EQ(shown, OnScreen(window)) << WideToUtf8(text);
    }
    EXPECT_GT(renderer.ColumnUpdates(), 60);
    DestroyWindow(window);
}

// A clock with the date line under its time, large and in 12-hour time: each
// tick's image is the time drawn the literal way in its band and the date
// drawn the literal way under it, the date drawn once a day, and the ticks
// still hand the window only their changed columns.
TEST(GlowCanvas, TheDateLineIsASecondBandDrawnOnceADay) {
    const ClockLayout layout = LayoutClock(96, ClockFace{true, true, true, 300});
    HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP, 0, 300,
                                  layout.width, layout.height, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    const Argb start = 0xFFFFFFFF, end = 0xFF1E78C3;
    GlowRenderer renderer;
    const int origin = ScaleForDpi(10, layout.dpi);
    for (int i = 0; i < 75; ++i) {
        const int second = 23 * 3600 + 59 * 60 + 20 + i;
        const std::wstring text = L"下午 " + TimeText(second);
        const std::wstring date = second < 24 * 3600 ? L"12月7日 星期一 十月廿八" : L"12月8日 星期二 十月廿九";
        GlowFrame frame{layout.width, layout.height,     layout.timeHeight,
                        date,         layout.dateEmSize, POINT{layout.dateOriginX, layout.dateOriginY}};
        renderer.Render(window, text, frame, "", layout.timeEmSize, start, end, 250, layout.dpi);

        GlowImage time(layout.dpi, layout.width, layout.timeHeight);
        DrawGlowText(time, text, "", layout.timeEmSize, start, end);
        const int shift = layout.dateOriginY - origin; // the date's own image has the usual origin
        GlowImage line(layout.dpi, layout.width, layout.height - shift);
        DrawGlowText(line, date, "", layout.dateEmSize, start, end);
        const GlowImage& drawn = renderer.Image();
        ASSERT_EQ(drawn.Width(), layout.width);
        ASSERT_EQ(drawn.Height(), layout.height);
        for (int y = 0; y < layout.height; ++y) {
            const std::uint32_t* want =
                y < layout.timeHeight ? time.Pixels() + y * layout.width : line.Pixels() + (y - shift) * layout.width;
            ASSERT_EQ(0, std::memcmp(want, drawn.Pixels() + y * layout.width, sizeof(std::uint32_t) * layout.width))
                << "row " << y << " at " << WideToUtf8(text);
        }
    }
    EXPECT_EQ(renderer.SecondLineDraws(), 2) << "the first day's and the second's";
    EXPECT_GT(renderer.ColumnUpdates(), 60);
    DestroyWindow(window);
}
