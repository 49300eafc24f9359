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

private:
    int renderCount_ = 0;
};

// The sheet picture from the program's resources, alpha kept.
std::unique_ptr<Gdiplus::Bitmap> LoadBookPicture();
// The day page of a sign; raises an error when the sign is not one of the
// twelve or the fetch fails.
std::string DownloadHoroscope(int sign);
// Writes the page's horoscope on the picture and returns it as a layered
// window image.
std::unique_ptr<DibImage> DrawHoroscopeImage(Gdiplus::Bitmap& picture, const std::string& page, int sign);

} // namespace vemora
