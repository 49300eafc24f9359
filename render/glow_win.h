#pragma once
#include "base/handles_win.h"
#include "base/argb.h"
#include "render/glow.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vemora {

// An image for a layered window: a top-down 32-bit DIB of premultiplied ARGB
// pixels selected into its own memory device context. It starts fully
// transparent.
class DibImage {
public:
    DibImage(int width, int height);
    ~DibImage();
    DibImage(const DibImage&) = delete;
    DibImage& operator=(const DibImage&) = delete;

    HDC Dc() const { return dc_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    SIZE Size() const { return SIZE{width_, height_}; }
    const std::uint32_t* Pixels() const { return static_cast<const std::uint32_t*>(bits_); }
    std::uint32_t Pixel(int x, int y) const { return Pixels()[y * width_ + x]; }
    std::uint32_t* MutablePixels() { return static_cast<std::uint32_t*>(bits_); }

private:
    int width_, height_;
    UniqueHdc dc_;
    UniqueHbitmap bitmap_;
    void* bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// The glow renderer's image: 230 x 55 at 96 pixels per inch unless a size is
// given, and as much larger as the resolution it is drawn for.
class GlowImage : public DibImage {
public:
    explicit GlowImage(int dpi = 96)
        : DibImage(ScaleForDpi(kGlowWidth, dpi), ScaleForDpi(kGlowHeight, dpi)), dpi_(dpi) {}
    GlowImage(int dpi, int width, int height) : DibImage(width, height), dpi_(dpi) {}
    int Dpi() const { return dpi_; }

private:
    int dpi_;
};

// Draws the text into the image: outline, eight halo strokes, colour gradient,
// white highlight, with pens, origin and gradients scaled to the image's
// resolution (emSize is the caller's, already scaled). Throws the GDI+ status
// name when GDI+ fails.
void DrawGlowText(GlowImage& image, const std::wstring& text, const std::string& fontName, int emSize, Argb startColor,
                  Argb endColor);

// Draws one line into a layered window, replacing its whole content. Returns
// the layered update's result.
int RenderGlowText(HWND window, const std::wstring& text, const std::string& fontName, int emSize, Argb startColor,
                   Argb endColor, int alpha, int dpi = 96);

class GlowCanvas;

// A window's image in two bands: the first line in the top firstHeight rows,
// as the renderer draws it alone into an image of that height, and a second
// line in the rows under it. The second line is drawn the same way into an
// image of the window's width whose text origin is the renderer's usual one,
// placed so that its text starts at secondOrigin; only its rows under the
// first band are kept.
struct GlowFrame {
    int width = 0, height = 0;
    int firstHeight = 0;
    std::wstring second; // none when empty
    int secondEmSize = 0;
    POINT secondOrigin{};
    // Columns [accentLeft, accentRight) of the first line filled with one
    // colour instead of the gradient (a word that carries its own colour);
    // none when empty.
    int accentLeft = 0, accentRight = 0;
    Argb accentColour = 0;
};
// The frame of one line at a resolution: the image GlowImage(dpi) makes.
GlowFrame SingleLineFrame(int dpi);

// The second band of a frame as the renderer puts it into the window's image,
// drawn the literal way (DrawGlowTextWith) into an image of its own.
void DrawSecondBand(GlowImage& window, const GlowFrame& frame, const Gdiplus::FontFamily& family,
                    const std::wstring& familyName, Argb startColor, Argb endColor);

// RenderGlowText for one window that draws once a second: the same pixels,
// but the image (a GlowCanvas, which redraws only what changed) and the font
// family live from one call to the next instead of being made and freed every
// time. Calls in a row on the same window, such as a clock's ticks, hand the
// window only the columns that changed: the renderer takes the window to show
// what it last put there. After a pause of more than a tick, a change of
// window, size or alpha, a hidden window, or a minute of such updates, the
// whole image goes to the window again.
class GlowRenderer {
public:
    GlowRenderer();
    ~GlowRenderer();

    int Render(HWND window, const std::wstring& text, const std::string& fontName, int emSize, Argb startColor,
               Argb endColor, int alpha, int dpi = 96);
    // The same in a frame of another size, and with a second line: the first
    // line goes through the canvas, the second is drawn only when it, its
    // style or the frame changes (a clock's date: once a day).
    int Render(HWND window, const std::wstring& text, const GlowFrame& frame, const std::string& fontName, int emSize,
               Argb startColor, Argb endColor, int alpha, int dpi);
    // The image the window was last given.
    const GlowImage& Image() const;
    int SecondLineDraws() const { return secondLineDraws_; }
    const GlowCanvas& Canvas() const { return *canvas_; }
    int ColumnUpdates() const { return columnUpdates_; } // updates of some columns only, so far

private:
    std::unique_ptr<GlowCanvas> canvas_;
    HWND window_ = nullptr; // the window of the last update, when it succeeded
    int constantAlpha_ = 0;
    ULONGLONG updatedAt_ = 0;
    int columnUpdatesInRow_ = 0;
    int columnUpdates_ = 0;
    std::string familyName_;  // as given (GBK)
    std::wstring familyWide_; // as GDI+ takes it
    std::unique_ptr<Gdiplus::FontFamily> family_;
    // With a frame that is not the canvas's image: the window's image, and
    // what its second band was drawn from.
    std::unique_ptr<GlowImage> framed_;
    struct SecondBandKey {
        std::wstring text, family;
        int emSize = 0, firstHeight = 0;
        LONG x = 0, y = 0;
        Argb start = 0, end = 0;
        bool operator==(const SecondBandKey&) const = default;
    };
    std::optional<SecondBandKey> secondBand_;
    int secondLineDraws_ = 0;
    struct AccentKey {
        std::wstring text;
        int left = 0, right = 0;
        Argb colour = 0;
        bool operator==(const AccentKey&) const = default;
    };
    std::optional<AccentKey> accent_; // what the first band's accent was drawn from
    void PaintAccent(const std::wstring& text, const GlowFrame& frame, int emSize, int dpi);
};

// Draws into an image with a given font family (DrawGlowText's body).
void DrawGlowTextWith(GlowImage& image, const std::wstring& text, const Gdiplus::FontFamily& family,
                      const std::wstring& familyName, int emSize, Argb startColor, Argb endColor);

// The text's path as the glow draws it: from the text origin, at most the
// characters that can reach an image of that width.
void AddGlowText(Gdiplus::GraphicsPath& path, const std::wstring& text, const Gdiplus::FontFamily& fontFamily,
                 const std::wstring& family, int emSize, int imageWidth, int dpi);
// The glow of a path, drawn into the image within its columns [left, right):
// a light halo, eight widening dark strokes, the colour gradient and the
// highlight over it.
void PaintGlowPath(GlowImage& image, const Gdiplus::GraphicsPath& path, Argb startColor, Argb endColor, int left,
                   int right);

// The width in pixels of a text as the glow lays it out, symbols from a
// symbol font included; without the lead GDI+ puts before a string.
int GlowTextWidth(const std::wstring& text, const std::wstring& family, int emSize);

// How many characters of the text DrawGlowTextWith turns into its path.
size_t VisibleCharacters(const std::wstring& text, const std::wstring& family, int emSize, int room);

// Puts an image on a layered window where the window stands.
int UpdateLayeredFromImage(HWND window, HDC source, SIZE size, int constantAlpha);
// The same for the columns [left, right) of the image only, on a window that
// already has the image's size; the window keeps its place and the rest of
// what it shows.
int UpdateLayeredColumns(HWND window, HDC source, SIZE size, int constantAlpha, int left, int right);

} // namespace vemora
