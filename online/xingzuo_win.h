#pragma once
#include "base/window_win.h"
#include "base/worker_win.h"
#include "online/horoscope.h"
#include "online/request.h"
#include "render/glow_win.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vemora {

// The daily horoscope panel: today's horoscope for the chosen sign, written in
// black on the picture of a ruled notepad sheet, at the right edge of the
// screen under the clock. Every showing fetches and draws it afresh: the
// panel takes its size at once and is drawn when the page has arrived.
class Tfrmxingzuo : public BaseWindow<Tfrmxingzuo> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmxingzuo";
    static constexpr bool kDragsByMouse = true;
    static constexpr UINT kPageArrived = WM_APP + 1;
    Tfrmxingzuo(HWND owner, ErrorReporter& reporter);
    ~Tfrmxingzuo();

    // Shows the panel; its show handler starts the download and reports its
    // own failure: the panel counts as shown either way.
    void Show();
    void Close();
    void FormShow();
    void RenderHoroscopePanel(const std::vector<SheetText>& texts);
    void PlaceUnderClock(HWND clock);
    int RenderCount() const { return renderCount_; }
    bool Downloading() const { return download_.Running(); }

    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    std::shared_ptr<Mailbox> mailbox_;
    RequestSlot download_;
    std::unique_ptr<Gdiplus::Bitmap> picture_;
    int renderCount_ = 0;
};

// The sheet picture from the program's resources, alpha kept.
std::unique_ptr<Gdiplus::Bitmap> LoadBookPicture();
// What a horoscope download hands back: the texts for the sheet, or why there are none.
struct HoroscopeSheet : WorkerResult {
    std::exception_ptr error;
    std::vector<SheetText> texts;
};
// Fetches a sign's day page on a worker thread and posts what goes on a sheet
// of the given height to the mailbox; returns at once.
void DownloadHoroscope(std::shared_ptr<Mailbox> mailbox, unsigned generation, std::string url, int sign, int height);
// Writes the texts on the picture and returns it as a layered window image.
std::unique_ptr<DibImage> DrawHoroscopeImage(Gdiplus::Bitmap& picture, const std::vector<SheetText>& texts);
// The same for a day page.
std::unique_ptr<DibImage> DrawHoroscopeImage(Gdiplus::Bitmap& picture, const std::string& page, int sign);

} // namespace vemora
