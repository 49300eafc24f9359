#pragma once
#include "base/companion_win.h"
#include "base/dpi.h"
#include "base/datetime.h"
#include "base/eventlog.h"
#include "base/worker_win.h"
#include "horoscope/horoscope.h"
#include "net/request.h"
#include "render/glow_win.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vemora {

// The daily horoscope panel: today's horoscope for the chosen sign, written in
// black on the picture of a ruled notepad sheet, at the right edge of the
// screen under the clock. Without a horoscope host the day is composed by the
// program itself, at once and with no network, and changes at local midnight
// while the panel is shown. With a host every showing fetches and draws the
// sign's day page afresh: the panel takes its size at once and is drawn when
// the page has arrived. The panel's window text is what the sheet says (GBK
// turned to UTF-16), the rating line first.
// What the panel shows, as the clock's settings say when it is asked.
struct HoroscopeChoice {
    int sign = 0;     // 0 to 11; any other number fails the showing with a message
    std::string host; // the provider's host; empty: the day is composed locally
    int alpha = 255;  // the panel's transparency
};

class HoroscopePanel : public CompanionWindow<HoroscopePanel> {
public:
    static constexpr const wchar_t* kClassName = L"Tfrmxingzuo";
    static constexpr UINT kPageArrived = WM_APP + 1;
    static constexpr UINT_PTR kNewDayTimer = 1;
    // now: the local time, as the clock reads it. A page that fails to come,
    // and the first that comes after, go to the log.
    HoroscopePanel(HWND owner, ErrorReporter& reporter, std::function<HoroscopeChoice()> choice,
                   std::function<DateTimeParts()> now, std::shared_ptr<EventLog> log);
    ~HoroscopePanel();

    // Shows the panel; its show handler composes the day or starts the
    // download and reports its own failure: the panel counts as shown either way.
    void Show();
    void Close() override;
    void FetchDay();
    // Draws the day composed for the local date and sets the timer for the
    // next one, just after midnight.
    void ComposeToday();
    // The local date of the day shown by ComposeToday, {0, 0, 0} before.
    DateTimeParts ComposedDate() const { return composedDate_; }
    void RenderHoroscopePanel(const std::vector<SheetText>& texts);
    // Draws the texts last drawn again, in the transparency asked for now;
    // nothing before the first page has arrived or while hidden.
    void Redraw();
    int RenderCount() const { return renderCount_; }
    bool Downloading() const { return download_.Running(); }
    // The resolution the panel is drawn at: its monitor's.
    int Dpi() const { return dpi_; }

    // The page's arrival and a change of resolution; closing and dragging go
    // through the window base.
    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Loads the sheet picture and takes its size, where the panel stands.
    void TakeSheetSize();

    std::function<HoroscopeChoice()> choice_;
    std::function<DateTimeParts()> now_;
    std::shared_ptr<EventLog> log_;
    bool pageFailed_ = false; // the last page fetched did not come
    DateTimeParts composedDate_{0, 0, 0};
    std::shared_ptr<Mailbox> mailbox_;
    RequestSlot download_;
    std::unique_ptr<Gdiplus::Bitmap> picture_;
    int renderCount_ = 0;
    int dpi_ = kDesignDpi;
    std::optional<std::vector<SheetText>> lastTexts_; // the texts last drawn, drawn again at a new resolution
};

// The transparent margins of the sheet picture around the sheet and its
// shadow, at 96 pixels per inch (left, top, right, bottom): the panel may
// stand with them off the screen.
inline constexpr PixelRect kSheetMargins{78, 22, 68, 18};

// The sheet picture from the program's resources, alpha kept: the designed
// 512 x 512 one at 96 pixels per inch, a larger one to be scaled down at any
// other resolution.
std::unique_ptr<Gdiplus::Bitmap> LoadBookPicture(int dpi = kDesignDpi);
// What a horoscope download hands back: the texts for the sheet, or why there are none.
struct HoroscopeSheet : WorkerResult {
    std::exception_ptr error;
    std::vector<SheetText> texts;
};
// Fetches a sign's day page on a worker thread and posts what goes on a sheet
// of the given height to the mailbox; returns at once.
void DownloadHoroscope(std::shared_ptr<Mailbox> mailbox, unsigned generation, std::string url, int sign, int height,
                       std::shared_ptr<EventLog> log = nullptr);
// Writes the texts, laid out on the designed sheet, on the picture and returns
// it as a layered window image of the sheet's size at the given resolution.
std::unique_ptr<DibImage> DrawHoroscopeImage(Gdiplus::Bitmap& picture, const std::vector<SheetText>& texts,
                                             int dpi = kDesignDpi);
// The same for a day page.
std::unique_ptr<DibImage> DrawHoroscopeImage(Gdiplus::Bitmap& picture, const std::string& page, int sign,
                                             int dpi = kDesignDpi);

} // namespace vemora
