#pragma once
#include "base/companion_win.h"
#include "render/glow_win.h"

#include <memory>
#include <string>

namespace vemora {

// The daily horoscope panel: today's horoscope for the chosen sign, written in
// black on the picture of a ruled notepad sheet, at the right edge of the
// screen under the clock. Every showing fetches and draws it afresh.
class Tfrmxingzuo : public CompanionWindow<Tfrmxingzuo> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmxingzuo";
    Tfrmxingzuo(HWND owner, ErrorReporter& reporter);

    // Shows the panel; its show handler fetches and draws, and reports its own
    // failure: the panel counts as shown either way.
    void Show();
    void FormShow();
    void RenderHoroscopePanel();
    int RenderCount() const { return renderCount_; }
    // The resolution the panel is drawn at: its monitor's.
    int Dpi() const { return dpi_; }

    // A change of resolution; closing and dragging go through the window base.
    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void Draw(const std::string& page);

    int renderCount_ = 0;
    int dpi_ = kDesignDpi;
    std::optional<std::string> lastPage_; // the page last drawn, drawn again at a new resolution
};

// The sheet picture from the program's resources, alpha kept: the designed
// 512 x 512 one at 96 pixels per inch, a larger one to be scaled down at any
// other resolution.
std::unique_ptr<Gdiplus::Bitmap> LoadBookPicture(int dpi = kDesignDpi);
// The day page of a sign; raises an error when the sign is not one of the
// twelve or the fetch fails.
std::string DownloadHoroscope(int sign);
// Writes the page's horoscope on the picture and returns it as a layered
// window image of the sheet's size at the given resolution.
std::unique_ptr<DibImage> DrawHoroscopeImage(Gdiplus::Bitmap& picture, const std::string& page, int sign,
                                             int dpi = kDesignDpi);

} // namespace vemora
