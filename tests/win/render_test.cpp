#include "settings/settings.h"
#include "render/fontfamily_win.h"
#include "render/glow_win.h"

#include "harness.h"

#include <cstring>
#include <map>

using namespace vemora;

namespace {

#define GDIPLUS_COLOR(name)                                                                                            \
    { "acl" #name, Gdiplus::Color::name }
const std::map<std::string, Argb> kGdiplusColors = {
    GDIPLUS_COLOR(AliceBlue),
    GDIPLUS_COLOR(AntiqueWhite),
    GDIPLUS_COLOR(Aqua),
    GDIPLUS_COLOR(Aquamarine),
    GDIPLUS_COLOR(Azure),
    GDIPLUS_COLOR(Beige),
    GDIPLUS_COLOR(Bisque),
    GDIPLUS_COLOR(Black),
    GDIPLUS_COLOR(BlanchedAlmond),
    GDIPLUS_COLOR(Blue),
    GDIPLUS_COLOR(BlueViolet),
    GDIPLUS_COLOR(Brown),
    GDIPLUS_COLOR(BurlyWood),
    GDIPLUS_COLOR(CadetBlue),
    GDIPLUS_COLOR(Chartreuse),
    GDIPLUS_COLOR(Chocolate),
    GDIPLUS_COLOR(Coral),
    GDIPLUS_COLOR(CornflowerBlue),
    GDIPLUS_COLOR(Cornsilk),
    GDIPLUS_COLOR(Crimson),
    GDIPLUS_COLOR(Cyan),
    GDIPLUS_COLOR(DarkBlue),
    GDIPLUS_COLOR(DarkCyan),
    GDIPLUS_COLOR(DarkGoldenrod),
    GDIPLUS_COLOR(DarkGray),
    GDIPLUS_COLOR(DarkGreen),
    GDIPLUS_COLOR(DarkKhaki),
    GDIPLUS_COLOR(DarkMagenta),
    GDIPLUS_COLOR(DarkOliveGreen),
    GDIPLUS_COLOR(DarkOrange),
    GDIPLUS_COLOR(DarkOrchid),
    GDIPLUS_COLOR(DarkRed),
    GDIPLUS_COLOR(DarkSalmon),
    GDIPLUS_COLOR(DarkSeaGreen),
    GDIPLUS_COLOR(DarkSlateBlue),
    GDIPLUS_COLOR(DarkSlateGray),
    GDIPLUS_COLOR(DarkTurquoise),
    GDIPLUS_COLOR(DarkViolet),
    GDIPLUS_COLOR(DeepPink),
    GDIPLUS_COLOR(DeepSkyBlue),
    GDIPLUS_COLOR(DimGray),
    GDIPLUS_COLOR(DodgerBlue),
    GDIPLUS_COLOR(Firebrick),
    GDIPLUS_COLOR(FloralWhite),
    GDIPLUS_COLOR(ForestGreen),
    GDIPLUS_COLOR(Fuchsia),
    GDIPLUS_COLOR(Gainsboro),
    GDIPLUS_COLOR(GhostWhite),
    GDIPLUS_COLOR(Gold),
    GDIPLUS_COLOR(Goldenrod),
    GDIPLUS_COLOR(Gray),
    GDIPLUS_COLOR(Green),
    GDIPLUS_COLOR(GreenYellow),
    GDIPLUS_COLOR(Honeydew),
    GDIPLUS_COLOR(HotPink),
    GDIPLUS_COLOR(IndianRed),
    GDIPLUS_COLOR(Indigo),
    GDIPLUS_COLOR(Ivory),
    GDIPLUS_COLOR(Khaki),
    GDIPLUS_COLOR(Lavender),
    GDIPLUS_COLOR(LavenderBlush),
    GDIPLUS_COLOR(LawnGreen),
    GDIPLUS_COLOR(LemonChiffon),
    GDIPLUS_COLOR(LightBlue),
    GDIPLUS_COLOR(LightCoral),
    GDIPLUS_COLOR(LightCyan),
    GDIPLUS_COLOR(LightGoldenrodYellow),
    GDIPLUS_COLOR(LightGray),
    GDIPLUS_COLOR(LightGreen),
    GDIPLUS_COLOR(LightPink),
    GDIPLUS_COLOR(LightSalmon),
    GDIPLUS_COLOR(LightSeaGreen),
    GDIPLUS_COLOR(LightSkyBlue),
    GDIPLUS_COLOR(LightSlateGray),
    GDIPLUS_COLOR(LightSteelBlue),
    GDIPLUS_COLOR(LightYellow),
    GDIPLUS_COLOR(Lime),
    GDIPLUS_COLOR(LimeGreen),
    GDIPLUS_COLOR(Linen),
    GDIPLUS_COLOR(Magenta),
    GDIPLUS_COLOR(Maroon),
    GDIPLUS_COLOR(MediumAquamarine),
    GDIPLUS_COLOR(MediumBlue),
    GDIPLUS_COLOR(MediumOrchid),
    GDIPLUS_COLOR(MediumPurple),
    GDIPLUS_COLOR(MediumSeaGreen),
    GDIPLUS_COLOR(MediumSlateBlue),
    GDIPLUS_COLOR(MediumSpringGreen),
    GDIPLUS_COLOR(MediumTurquoise),
    GDIPLUS_COLOR(MediumVioletRed),
    GDIPLUS_COLOR(MidnightBlue),
    GDIPLUS_COLOR(MintCream),
    GDIPLUS_COLOR(MistyRose),
    GDIPLUS_COLOR(Moccasin),
    GDIPLUS_COLOR(NavajoWhite),
    GDIPLUS_COLOR(Navy),
    GDIPLUS_COLOR(OldLace),
    GDIPLUS_COLOR(Olive),
    GDIPLUS_COLOR(OliveDrab),
    GDIPLUS_COLOR(Orange),
    GDIPLUS_COLOR(OrangeRed),
    GDIPLUS_COLOR(Orchid),
    GDIPLUS_COLOR(PaleGoldenrod),
    GDIPLUS_COLOR(PaleGreen),
    GDIPLUS_COLOR(PaleTurquoise),
    GDIPLUS_COLOR(PaleVioletRed),
    GDIPLUS_COLOR(PapayaWhip),
    GDIPLUS_COLOR(PeachPuff),
    GDIPLUS_COLOR(Peru),
    GDIPLUS_COLOR(Pink),
    GDIPLUS_COLOR(Plum),
    GDIPLUS_COLOR(PowderBlue),
    GDIPLUS_COLOR(Purple),
    GDIPLUS_COLOR(Red),
    GDIPLUS_COLOR(RosyBrown),
    GDIPLUS_COLOR(RoyalBlue),
    GDIPLUS_COLOR(SaddleBrown),
    GDIPLUS_COLOR(Salmon),
    GDIPLUS_COLOR(SandyBrown),
    GDIPLUS_COLOR(SeaGreen),
    GDIPLUS_COLOR(SeaShell),
    GDIPLUS_COLOR(Sienna),
    GDIPLUS_COLOR(Silver),
    GDIPLUS_COLOR(SkyBlue),
    GDIPLUS_COLOR(SlateBlue),
    GDIPLUS_COLOR(SlateGray),
    GDIPLUS_COLOR(Snow),
    GDIPLUS_COLOR(SpringGreen),
    GDIPLUS_COLOR(SteelBlue),
    GDIPLUS_COLOR(Tan),
    GDIPLUS_COLOR(Teal),
    GDIPLUS_COLOR(Thistle),
    GDIPLUS_COLOR(Tomato),
    GDIPLUS_COLOR(Transparent),
    GDIPLUS_COLOR(Turquoise),
    GDIPLUS_COLOR(Violet),
    GDIPLUS_COLOR(Wheat),
    GDIPLUS_COLOR(White),
    GDIPLUS_COLOR(WhiteSmoke),
    GDIPLUS_COLOR(Yellow),
    GDIPLUS_COLOR(YellowGreen),
};
#undef GDIPLUS_COLOR

int Channel(std::uint32_t pixel, int shift) {
    return static_cast<int>((pixel >> shift) & 0xFF);
}

double Lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

} // namespace

TEST(NamedColours, EqualGdiplusOwnNamedColours) {
    ASSERT_EQ(kGdiplusColors.size(), 141u);
    for (const NamedColor& c : NamedColors) {
        auto it = kGdiplusColors.find(c.name);
        ASSERT_NE(it, kGdiplusColors.end()) << c.name;
        EXPECT_EQ(c.value, it->second) << c.name;
    }
}

TEST(GlowRender, UntouchedPixelsStayTransparentAndTwoCallsAgree) {
    GlowImage first, second;
    DrawGlowText(first, L"12:34:56", "", kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3);
    DrawGlowText(second, L"12:34:56", "", kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3);
    EXPECT_EQ(0, std::memcmp(first.Pixels(), second.Pixels(), kGlowWidth * kGlowHeight * 4));
    int drawn = 0;
    for (int y = 0; y < kGlowHeight; ++y)
        for (int x = 0; x < kGlowWidth; ++x)
            drawn += first.Pixel(x, y) != 0;
    EXPECT_GT(drawn, 500) << "the digits were drawn";
    for (int x = 0; x < kGlowWidth; ++x)
        EXPECT_EQ(first.Pixel(x, 0), 0u) << "row 0 lies above every glyph and its halo, x " << x;
    for (int y = 0; y < kGlowHeight; ++y)
        EXPECT_EQ(first.Pixel(0, y), 0u) << "column 0 lies left of the text origin and its halo, y " << y;
}

TEST(GlowRender, GlyphInteriorsFollowBothGradientsByRow) {
    const Argb start = 0xFFFFFFFF, end = 0xFF1E78C3;
    GlowImage image;
    DrawGlowText(image, L"■■■■", "", kClockEmSize, start, end);
    // The middle of the first square: every pixel there is inside the path.
    const int middleRow = 30;
    int runStart = -1, x = -1;
    for (int i = 0; i < kGlowWidth && x < 0; ++i) {
        const bool solid = Channel(image.Pixel(i, middleRow), 24) == 255;
        if (solid && runStart < 0)
            runStart = i;
        if (!solid && runStart >= 0) {
            if (i - runStart >= 10)
                x = (runStart + i) / 2;
            runStart = -1;
        }
    }
    ASSERT_GE(x, 0) << "a solid square was drawn";
    int top = middleRow, bottom = middleRow;
    while (top > 0 && Channel(image.Pixel(x, top - 1), 24) == 255)
        --top;
    while (bottom + 1 < kGlowHeight && Channel(image.Pixel(x, bottom + 1), 24) == 255)
        ++bottom;
    ASSERT_LT(top + 8, bottom);
    int checked = 0;
    for (int y = top + 3; y <= bottom - 3; ++y) {
        const double t = (y + 0.5) / 90.0;
        const double h = std::clamp((y + 0.5 - 10) / 50.0, 0.0, 1.0);
        // GDI+ interpolates the gradient's colours premultiplied by their alpha.
        const double highlightAlpha = Lerp(255, 15, h) / 255.0;
        const double highlightPremultiplied = Lerp(255, 1 * 15 / 255.0, h);
        for (int shift : {16, 8, 0}) {
            const double colour = Lerp(Channel(start, shift), Channel(end, shift), t);
            const double expected = highlightPremultiplied + colour * (1 - highlightAlpha);
            for (int dx : {-2, 0, 2}) {
                EXPECT_NEAR(Channel(image.Pixel(x + dx, y), shift), expected, 6) << "x " << x + dx << " y " << y;
                ++checked;
            }
        }
        EXPECT_EQ(Channel(image.Pixel(x, y), 24), 255);
    }
    EXPECT_GT(checked, 30);
}

TEST(GlowRender, FontNames) {
    GlowImage empty, songTi;
    DrawGlowText(empty, L"10:00", "", kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3);
    DrawGlowText(songTi, L"10:00", kFontSongTi, kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3);
    EXPECT_EQ(0, std::memcmp(empty.Pixels(), songTi.Pixels(), kGlowWidth * kGlowHeight * 4))
        << "an empty font name draws with SimSun";
    GlowImage fails;
    try {
        DrawGlowText(fails, L"10:00", "Default", kClockEmSize, 0xFFFFFFFF, 0xFF1E78C3);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(Utf8ToWide(e.what()), L"找不到字体“Default”，请在设置中另选一种字体");
    }
    // Whatever the system lacks (Wine may have no generic sans serif), a
    // family to draw with is found among the installed ones.
    EXPECT_TRUE(CanDrawWith(FallbackFontFamily()));
    EXPECT_EQ(FontFamilyOrFallback(L"Default")->GetLastStatus(), Gdiplus::Ok);
}

TEST(GlowRender, LayeredWindowUpdateAndConstantAlpha) {
    EXPECT_EQ(GlowConstantAlpha(250), 250);
    EXPECT_EQ(GlowConstantAlpha(0), 0);
    for (int a : {251, 255, -1, 1000})
        EXPECT_EQ(GlowConstantAlpha(a), 235) << a;

    HWND layered = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 100, 100, 10, 10,
                                   nullptr, nullptr, nullptr, nullptr);
    HWND plain = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 100, 100, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    const Settings defaults;
    EXPECT_NE(RenderGlowText(layered, L"12:00:00", "", kClockEmSize, defaults.startColour, defaults.endColour, 0), 0)
        << "alpha 0: updated, invisible";
    RECT r{};
    GetWindowRect(layered, &r);
    EXPECT_EQ(r.left, 100) << "the window stays where it is";
    EXPECT_EQ(r.right - r.left, kGlowWidth) << "and takes the image's size";
    EXPECT_EQ(r.bottom - r.top, kGlowHeight);
    EXPECT_EQ(RenderGlowText(plain, L"12:00:00", "", kClockEmSize, defaults.startColour, defaults.endColour, 200), 0)
        << "a window without WS_EX_LAYERED is not updated, and nothing is raised";
    DestroyWindow(layered);
    DestroyWindow(plain);
}

TEST(GlowRender, AVeryLongLineDrawsWhatFitsAndNoMore) {
    for (const wchar_t* piece : {L"多云转晴 , ", L"iiiil.,:"}) {
        std::wstring line;
        while (line.size() < 200000)
            line += piece;
        for (int em : {kWeatherEmSize, kClockEmSize}) {
            GlowImage shortLine, longLine;
            DrawGlowText(shortLine, line.substr(0, 120), "", em, 0xFFFFFFFF, 0xFF1E78C3);
            const auto start = GetTickCount64();
            DrawGlowText(longLine, line, "", em, 0xFFFFFFFF, 0xFF1E78C3);
            EXPECT_LT(GetTickCount64() - start, 2000u);
            EXPECT_EQ(0, std::memcmp(shortLine.Pixels(), longLine.Pixels(), kGlowWidth * kGlowHeight * 4))
                << "the same pixels: the rest lies beyond the image; em " << em;
        }
    }
}

TEST(GlowRender, TheCachedRendererDrawsTheSamePixels) {
    HWND layered = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 100, 100, 10, 10,
                                   nullptr, nullptr, nullptr, nullptr);
    const Settings defaults;
    GlowRenderer renderer;
    struct Step {
        const wchar_t* text;
        const char* font;
        int em;
        Argb start;
    };
    const Step steps[] = {{L"12:00:00", "", kClockEmSize, 0xFFFFFFFF},
                          {L"12:00:01", "", kClockEmSize, 0xFFFFFFFF},
                          {L"晴 , 25", kFontSongTi, kWeatherEmSize, 0x50FF0000},
                          {L"8:08:08", "Tahoma", kClockEmSize, 0xFF00FF00}};
    for (const Step& s : steps) {
        EXPECT_NE(renderer.Render(layered, s.text, s.font, s.em, s.start, defaults.endColour, 200), 0);
        GlowImage fresh;
        DrawGlowText(fresh, s.text, s.font, s.em, s.start, defaults.endColour);
        EXPECT_EQ(0, std::memcmp(fresh.Pixels(), renderer.Image().Pixels(), kGlowWidth * kGlowHeight * 4))
            << WideToUtf8(s.text);
    }
    EXPECT_THROW(renderer.Render(layered, L"1", "Default", kClockEmSize, defaults.startColour, defaults.endColour, 200),
                 std::runtime_error);
    EXPECT_NE(renderer.Render(layered, L"1", "", kClockEmSize, defaults.startColour, defaults.endColour, 200), 0)
        << "and recovers";
    DestroyWindow(layered);
}
