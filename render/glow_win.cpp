#include "render/glow_win.h"

#include "render/glowcanvas_win.h"

#include "base/errors.h"
#include "base/text_win.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <vector>

namespace vemora {

namespace {

// A clock ticks once a second; a longer pause ends a row of column updates.
constexpr ULONGLONG kColumnUpdateGapMs = 1500;
// The whole image goes to the window at least once a minute.
constexpr int kColumnUpdatesInRow = 59;

void Check(Gdiplus::Status status) {
    if (status != Gdiplus::Ok)
        throw std::runtime_error(GdiplusStatusName(static_cast<int>(status)));
}

// A font name that names no installed family is the user's to mend: the
// message names the font.
void CheckFontFamily(const Gdiplus::FontFamily& family, const std::wstring& name) {
    const Gdiplus::Status status = family.GetLastStatus();
    if (status == Gdiplus::FontFamilyNotFound)
        throw std::runtime_error(WideToUtf8(L"找不到字体“" + name + L"”，请在设置中另选一种字体"));
    Check(status);
}

// A symbol the line's font has no glyph for (an umbrella in a Chinese font)
// is drawn from a font that has one: Windows' symbol fonts, or the ones a
// Linux desktop offers to Wine.
constexpr const wchar_t* kSymbolFamilies[] = {L"Segoe UI Symbol", L"Segoe UI Emoji", L"DejaVu Sans",
                                              L"Arial Unicode MS"};

bool MayNeedSymbolFont(wchar_t c) {
    return c >= 0x2190 && c <= 0x2BFF; // arrows, technical and other symbols, dingbats
}

struct GlyphRun {
    size_t start = 0, length = 0;
    std::wstring family; // empty: the line's own
    int width = 0;       // pixels, as GDI lays the run out
};

class GdiFont {
public:
    GdiFont(HDC dc, const std::wstring& family, int emSize)
        : font_(CreateFontW(-std::max(emSize, 1), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, family.c_str())),
          select_(dc, font_.get()), dc_(dc) {}
    bool Has(wchar_t c) const {
        WORD glyph = 0xFFFF;
        return GetGlyphIndicesW(dc_, &c, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 && glyph != 0xFFFF;
    }
    int Width(const wchar_t* text, size_t length) const {
        SIZE extent{};
        return GetTextExtentPoint32W(dc_, text, static_cast<int>(length), &extent) ? extent.cx : 0;
    }

private:
    UniqueHfont font_;
    ScopedSelectObject select_;
    HDC dc_;
};

// The text in runs of one font each: one run, in the line's font, unless it
// holds a symbol that font lacks and another font has.
// measure: the runs' widths are wanted, not only where they are.
std::vector<GlyphRun> GlyphRuns(const std::wstring& text, const std::wstring& family, int emSize, bool measure) {
    ScopedWindowDC screen(nullptr);
    UniqueHdc dc(CreateCompatibleDC(screen.get()));
    if (!dc || (!measure && std::none_of(text.begin(), text.end(), MayNeedSymbolFont)))
        return {GlyphRun{0, text.size()}};
    std::vector<std::wstring> families(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (!MayNeedSymbolFont(text[i]) || GdiFont(dc.get(), family, emSize).Has(text[i]))
            continue;
        for (const wchar_t* symbols : kSymbolFamilies) {
            Gdiplus::FontFamily installed(symbols);
            if (installed.GetLastStatus() == Gdiplus::Ok && GdiFont(dc.get(), symbols, emSize).Has(text[i])) {
                families[i] = symbols;
                break;
            }
        }
    }
    std::vector<GlyphRun> runs;
    for (size_t i = 0; i < text.size(); ++i) {
        if (runs.empty() || runs.back().family != families[i])
            runs.push_back(GlyphRun{i, 0, families[i]});
        ++runs.back().length;
    }
    for (GlyphRun& run : runs)
        run.width = GdiFont(dc.get(), run.family.empty() ? family : run.family, emSize)
                        .Width(text.c_str() + run.start, run.length);
    return runs;
}

} // namespace

DibImage::DibImage(int width, int height) : width_(width), height_(height) {
    ScopedWindowDC screen(nullptr);
    dc_.reset(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_.reset(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!dc_ || !bitmap_ || !bits_)
        throw std::runtime_error(WideToUtf8(L"系统资源不足"));
    previous_ = SelectObject(dc_.get(), bitmap_.get());
}

DibImage::~DibImage() {
    if (previous_)
        SelectObject(dc_.get(), previous_);
}

// How many characters of the text can reach the image from the text origin,
// measured with GDI at the same em size, with a margin for the small
// differences between GDI and GDI+ advances.
size_t VisibleCharacters(const std::wstring& text, const std::wstring& family, int emSize, int room) {
    if (text.size() <= 32)
        return text.size(); // short lines cost nothing to draw whole
    const size_t probe = std::min<size_t>(text.size(), 4096);
    ScopedWindowDC screen(nullptr);
    UniqueHdc dc(CreateCompatibleDC(screen.get()));
    UniqueHfont font(CreateFontW(-std::max(emSize, 1), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH,
                                 family.c_str()));
    if (!dc || !font)
        return text.size();
    ScopedSelectObject select(dc.get(), font.get());
    int fit = 0;
    SIZE extent{};
    if (!GetTextExtentExPointW(dc.get(), text.c_str(), static_cast<int>(probe), room, &fit, nullptr, &extent))
        return text.size();
    return std::min(text.size(), static_cast<size_t>(fit) + kGlowCharacterMargin);
}

void DrawGlowText(GlowImage& image, const std::wstring& text, const std::string& fontName, int emSize, Argb startColor,
                  Argb endColor) {
    const std::wstring family = fontName.empty() ? std::wstring(L"宋体") : GbkToWide(fontName);
    Gdiplus::FontFamily fontFamily(family.c_str());
    CheckFontFamily(fontFamily, family);
    DrawGlowTextWith(image, text, fontFamily, family, emSize, startColor, endColor);
}

namespace {

// PaintGlowPath, with or without the highlight.
void PaintGlow(GlowImage& image, const Gdiplus::GraphicsPath& path, Argb startColor, Argb endColor, int left, int right,
               bool highlight) {
    using namespace Gdiplus;
    // GDI+ draws into the DIB's own memory as premultiplied ARGB, which is what
    // the layered window update with per-pixel alpha expects.
    const int dpi = image.Dpi();
    Bitmap canvas(image.Width(), image.Height(), image.Width() * 4, PixelFormat32bppPARGB,
                  reinterpret_cast<BYTE*>(image.MutablePixels()));
    Check(canvas.GetLastStatus());
    Graphics graphics(&canvas);
    Check(graphics.GetLastStatus());
    Check(graphics.SetSmoothingMode(SmoothingModeAntiAlias));
    Check(graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic));
    Check(graphics.SetPageUnit(UnitPixel));
    if (left > 0 || right < image.Width())
        Check(graphics.SetClip(Rect(left, 0, right - left, image.Height())));
    const REAL scale = static_cast<REAL>(dpi) / 96;
    const int origin = ScaleForDpi(10, dpi);
    Pen pen(Color(0x9BD7D7D7), kGlowOutlineWidth * scale);
    Check(pen.GetLastStatus());
    Check(graphics.DrawPath(&pen, &path));
    for (int width = 1; width <= kGlowWidestHalo; ++width) {
        Check(pen.SetWidth(static_cast<REAL>(width) * scale));
        Check(pen.SetColor(Color(0x3E000202)));
        Check(pen.SetLineJoin(LineJoinRound));
        Check(graphics.DrawPath(&pen, &path));
    }
    LinearGradientBrush colour(Point(0, 0), Point(0, ScaleForDpi(90, dpi)), Color(startColor), Color(endColor));
    Check(colour.GetLastStatus());
    Check(colour.SetWrapMode(WrapModeTile));
    Check(graphics.FillPath(&colour, &path));
    if (highlight) {
        LinearGradientBrush shine(Point(0, origin), Point(0, ScaleForDpi(60, dpi)), Color(0xFFFFFFFF),
                                  Color(0x0F010101));
        Check(shine.GetLastStatus());
        Check(shine.SetWrapMode(WrapModeTile));
        Check(graphics.FillPath(&shine, &path));
    }
    graphics.Flush(FlushIntentionSync);
}

} // namespace

void PaintGlowPath(GlowImage& image, const Gdiplus::GraphicsPath& path, Argb startColor, Argb endColor, int left,
                   int right) {
    PaintGlow(image, path, startColor, endColor, left, right, true);
}

int GlowTextWidth(const std::wstring& text, const std::wstring& family, int emSize) {
    int width = 0;
    for (const GlyphRun& run : GlyphRuns(text, family, emSize, true))
        width += run.width;
    return width;
}

void AddGlowText(Gdiplus::GraphicsPath& path, const std::wstring& text, const Gdiplus::FontFamily& fontFamily,
                 const std::wstring& family, int emSize, int imageWidth, int dpi) {
    using namespace Gdiplus;
    const int origin = ScaleForDpi(10, dpi);
    StringFormat format(0, LANG_NEUTRAL);
    Check(format.GetLastStatus());
    // Only the start of a long line can reach the 230-pixel image; a weather
    // page of many links would otherwise become a path of thousands of glyphs
    // that nobody sees, stroked nine times.
    size_t drawn = VisibleCharacters(text, family, emSize, imageWidth - origin);
    if (drawn < text.size() && drawn > 0 && IS_LOW_SURROGATE(text[drawn]))
        --drawn;
    if (drawn == 0)
        return;
    const std::vector<GlyphRun> runs = GlyphRuns(text.substr(0, drawn), family, emSize, false);
    if (runs.size() <= 1) {
        Check(path.AddString(text.c_str(), static_cast<INT>(drawn), &fontFamily, FontStyleRegular,
                             static_cast<REAL>(emSize), Rect(origin, origin, 0, 0), &format));
        return;
    }
    // Each run laid out as a string of its own where the ones before it end;
    // every string starts with the same lead, so the runs keep their spacing.
    int x = origin;
    for (const GlyphRun& run : runs) {
        std::optional<FontFamily> other;
        if (!run.family.empty())
            other.emplace(run.family.c_str());
        const FontFamily& used = other ? *other : fontFamily;
        Check(used.GetLastStatus());
        Check(path.AddString(text.c_str() + run.start, static_cast<INT>(run.length), &used, FontStyleRegular,
                             static_cast<REAL>(emSize), Rect(x, origin, 0, 0), &format));
        x += run.width;
    }
}

void DrawGlowTextWith(GlowImage& image, const std::wstring& text, const Gdiplus::FontFamily& fontFamily,
                      const std::wstring& family, int emSize, Argb startColor, Argb endColor) {
    using namespace Gdiplus;
    GraphicsPath path(FillModeAlternate);
    Check(path.GetLastStatus());
    AddGlowText(path, text, fontFamily, family, emSize, image.Width(), image.Dpi());

    PaintGlowPath(image, path, startColor, endColor, 0, image.Width());
}

namespace {

// No screen DC: it only chooses the palette, and getting one for the window
// costs the display server a graphics context every second. keepPlace: the
// window already has the image's size and stays where it is, so the update
// names neither.
int UpdateLayered(HWND window, HDC source, SIZE size, int constantAlpha, RECT dirty, bool keepPlace) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(constantAlpha), AC_SRC_ALPHA};
    POINT at{}, origin{};
    if (!keepPlace) {
        RECT rect{};
        GetWindowRect(window, &rect);
        at = {rect.left, rect.top};
    }
    UPDATELAYEREDWINDOWINFO info{
        sizeof info, nullptr, keepPlace ? nullptr : &at, keepPlace ? nullptr : &size, source, &origin, 0, &blend,
        ULW_ALPHA,   &dirty};
    return UpdateLayeredWindowIndirect(window, &info);
}

} // namespace

int UpdateLayeredFromImage(HWND window, HDC source, SIZE size, int constantAlpha) {
    return UpdateLayered(window, source, size, constantAlpha, RECT{0, 0, size.cx, size.cy}, false);
}

int UpdateLayeredColumns(HWND window, HDC source, SIZE size, int constantAlpha, int left, int right) {
    return UpdateLayered(window, source, size, constantAlpha, RECT{left, 0, right, size.cy}, true);
}

GlowRenderer::GlowRenderer() : canvas_(std::make_unique<GlowCanvas>()) {}
GlowRenderer::~GlowRenderer() = default;

const GlowImage& GlowRenderer::Image() const {
    return framed_ ? *framed_ : canvas_->Image();
}

GlowFrame SingleLineFrame(int dpi) {
    GlowFrame frame;
    frame.width = ScaleForDpi(kGlowWidth, dpi);
    frame.height = frame.firstHeight = ScaleForDpi(kGlowHeight, dpi);
    return frame;
}

void DrawSecondBand(GlowImage& window, const GlowFrame& frame, const Gdiplus::FontFamily& family,
                    const std::wstring& familyName, Argb startColor, Argb endColor) {
    const int width = window.Width(), height = window.Height();
    std::uint32_t* pixels = window.MutablePixels();
    const int top = std::clamp(frame.firstHeight, 0, height);
    std::fill(pixels + static_cast<size_t>(top) * width, pixels + static_cast<size_t>(height) * width, 0u);
    if (frame.second.empty() || top == height)
        return;
    // The line's own image has the usual text origin; it stands shifted in the window.
    const int origin = ScaleForDpi(10, window.Dpi());
    const int dx = frame.secondOrigin.x - origin, dy = frame.secondOrigin.y - origin;
    const int lineHeight = height - dy;
    if (lineHeight <= 0)
        return;
    GlowImage line(window.Dpi(), width, lineHeight);
    DrawGlowTextWith(line, frame.second, family, familyName, frame.secondEmSize, startColor, endColor);
    for (int y = top; y < height; ++y) {
        const int ly = y - dy;
        if (ly < 0 || ly >= lineHeight)
            continue;
        for (int x = std::max(0, dx); x < std::min(width, width + dx); ++x)
            pixels[static_cast<size_t>(y) * width + x] = line.Pixel(x - dx, ly);
    }
}

int GlowRenderer::Render(HWND window, const std::wstring& text, const std::string& fontName, int emSize,
                         Argb startColor, Argb endColor, int alpha, int dpi) {
    return Render(window, text, SingleLineFrame(dpi), fontName, emSize, startColor, endColor, alpha, dpi);
}

int GlowRenderer::Render(HWND window, const std::wstring& text, const GlowFrame& frame, const std::string& fontName,
                         int emSize, Argb startColor, Argb endColor, int alpha, int dpi) {
    if (!family_ || familyName_ != fontName) {
        family_.reset();
        const std::wstring family = fontName.empty() ? std::wstring(L"宋体") : GbkToWide(fontName);
        auto created = std::make_unique<Gdiplus::FontFamily>(family.c_str());
        CheckFontFamily(*created, family);
        family_ = std::move(created);
        familyName_ = fontName;
        familyWide_ = family;
    }
    {
        const GlowImage& kept = canvas_->Image();
        if (kept.Dpi() != dpi || kept.Width() != frame.width || kept.Height() != frame.firstHeight)
            canvas_ = std::make_unique<GlowCanvas>(dpi, frame.width, frame.firstHeight);
    }
    canvas_->Draw(text, *family_, familyWide_, emSize, startColor, endColor);
    GlowCanvas::ColumnSpan changed = canvas_->Changed();
    const bool accent = frame.accentLeft < frame.accentRight;
    if (frame.height != frame.firstHeight || !frame.second.empty() || accent || accent_) {
        if (!framed_ || framed_->Dpi() != dpi || framed_->Width() != frame.width || framed_->Height() != frame.height) {
            framed_ = std::make_unique<GlowImage>(dpi, frame.width, frame.height);
            secondBand_.reset();
            accent_.reset();
        }
        const SecondBandKey key{frame.second,         familyWide_,          frame.secondEmSize, frame.firstHeight,
                                frame.secondOrigin.x, frame.secondOrigin.y, startColor,         endColor};
        if (secondBand_ != key) {
            secondBand_.reset();
            DrawSecondBand(*framed_, frame, *family_, familyWide_, startColor, endColor);
            secondBand_ = key;
            ++secondLineDraws_;
            changed = {0, frame.width};
        }
        // The first band's changed columns, copied from the canvas.
        const GlowImage& first = canvas_->Image();
        const int rows = std::min(first.Height(), framed_->Height());
        for (int y = 0; y < rows; ++y)
            std::copy(first.Pixels() + static_cast<size_t>(y) * first.Width() + changed.left,
                      first.Pixels() + static_cast<size_t>(y) * first.Width() + changed.right,
                      framed_->MutablePixels() + static_cast<size_t>(y) * framed_->Width() + changed.left);
        const std::optional<AccentKey> accentKey =
            accent ? std::optional<AccentKey>(AccentKey{text, frame.accentLeft, frame.accentRight, frame.accentColour})
                   : std::nullopt;
        if (accentKey != accent_ || (accent && changed.left < changed.right)) {
            // The accent's columns were painted over the gradient's: the whole
            // first band again, then the accent afresh on cleared columns.
            for (int y = 0; y < rows; ++y)
                std::copy(first.Pixels() + static_cast<size_t>(y) * first.Width(),
                          first.Pixels() + static_cast<size_t>(y) * first.Width() +
                              std::min(first.Width(), frame.width),
                          framed_->MutablePixels() + static_cast<size_t>(y) * framed_->Width());
            accent_.reset();
            if (accent)
                PaintAccent(text, frame, emSize, dpi);
            accent_ = accentKey;
            changed = {0, frame.width};
        }
    } else {
        framed_.reset();
        secondBand_.reset();
    }
    const GlowImage& image = Image();
    const int constantAlpha = GlowConstantAlpha(alpha);
    RECT rect{};
    GetWindowRect(window, &rect);
    const ULONGLONG now = GetTickCount64();
    // Ticks in a row on a window that shows this renderer's last image, as it
    // was put there: a hidden window or a long pause may have lost it.
    const bool columnsOnly = window == window_ && constantAlpha == constantAlpha_ &&
                             rect.right - rect.left == image.Width() && rect.bottom - rect.top == image.Height() &&
                             IsWindowVisible(window) && now - updatedAt_ <= kColumnUpdateGapMs &&
                             columnUpdatesInRow_ < kColumnUpdatesInRow && changed.left < changed.right &&
                             changed.right - changed.left < image.Width();
    const int result =
        columnsOnly ? UpdateLayeredColumns(window, image.Dc(), image.Size(), constantAlpha, changed.left, changed.right)
                    : UpdateLayeredFromImage(window, image.Dc(), image.Size(), constantAlpha);
    window_ = result && IsWindowVisible(window) ? window : nullptr;
    constantAlpha_ = constantAlpha;
    updatedAt_ = now;
    columnUpdatesInRow_ = columnsOnly ? columnUpdatesInRow_ + 1 : 0;
    columnUpdates_ += columnsOnly;
    return result;
}

void GlowRenderer::PaintAccent(const std::wstring& text, const GlowFrame& frame, int emSize, int dpi) {
    const int left = std::clamp(frame.accentLeft, 0, framed_->Width());
    const int right = std::clamp(frame.accentRight, left, framed_->Width());
    const int rows = std::min(frame.firstHeight, framed_->Height());
    std::uint32_t* pixels = framed_->MutablePixels();
    for (int y = 0; y < rows; ++y)
        std::fill(pixels + static_cast<size_t>(y) * framed_->Width() + left,
                  pixels + static_cast<size_t>(y) * framed_->Width() + right, 0u);
    // The whole line's path, painted only within the accent's columns: the
    // halo of a neighbouring glyph that reaches into them stays as it was.
    GlowImage band(dpi, framed_->Width(), frame.firstHeight);
    Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
    Check(path.GetLastStatus());
    AddGlowText(path, text, *family_, familyWide_, emSize, band.Width(), dpi);
    // Without the white highlight, which would wash a small word's colour out.
    PaintGlow(band, path, frame.accentColour, frame.accentColour, left, right, false);
    for (int y = 0; y < rows; ++y)
        std::copy(band.Pixels() + static_cast<size_t>(y) * band.Width() + left,
                  band.Pixels() + static_cast<size_t>(y) * band.Width() + right,
                  pixels + static_cast<size_t>(y) * framed_->Width() + left);
}

int RenderGlowText(HWND window, const std::wstring& text, const std::string& fontName, int emSize, Argb startColor,
                   Argb endColor, int alpha, int dpi) {
    GlowImage image(dpi);
    DrawGlowText(image, text, fontName, emSize, startColor, endColor);
    return UpdateLayeredFromImage(window, image.Dc(), image.Size(), GlowConstantAlpha(alpha));
}

} // namespace vemora
