#include "horoscope/horoscopepanel_win.h"

#include "base/dpi_win.h"
#include "base/errors.h"
#include "base/module_win.h"
#include "base/text_win.h"
#include "horoscope/dailyhoroscope.h"
#include "net/fetch.h"
#include "net/fetch_win.h"
#include "render/fontfamily_win.h"
#include "horoscope/horoscope.h"

#include <shlwapi.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace vemora {

namespace {

void Check(Gdiplus::Status status) {
    if (status != Gdiplus::Ok)
        throw std::runtime_error(GdiplusStatusName(static_cast<int>(status)));
}

struct ComReleaseTraits {
    using pointer = IStream*;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer p) noexcept { p->Release(); }
};

// A sign number from the settings file outside the twelve gives no day, with
// a page host or without: the showing fails with this message.
int CheckedSign(int sign) {
    if (sign < 0 || sign >= static_cast<int>(std::size(ZodiacSigns)))
        throw std::runtime_error(WideToUtf8(L"没有这个星座：") + std::to_string(sign));
    return sign;
}

// Milliseconds from a local time to just after the next midnight: the small
// margin makes sure the clock already reads the new day when the timer fires.
UINT MsToNextDay(const DateTimeParts& now) {
    constexpr int kMsPerDayInt = 86'400'000, kMargin = 200;
    const int sinceMidnight = ((now.hour * 60 + now.minute) * 60 + now.second) * 1000 + now.millisecond;
    return static_cast<UINT>(std::clamp(kMsPerDayInt - sinceMidnight, 0, kMsPerDayInt) + kMargin);
}

} // namespace

std::unique_ptr<Gdiplus::Bitmap> LoadBookPicture(int dpi) {
    const std::span<const std::byte> bytes = ResourceBytes(dpi == kDesignDpi ? L"Book" : L"Book2x", L"PNG");
    if (!bytes.data())
        throw std::runtime_error(WideToUtf8(L"程序里缺少运势面板的记事本图片"));
    UniqueHandle<ComReleaseTraits> stream(
        SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    if (!stream)
        throw std::runtime_error(WideToUtf8(L"内存不足"));
    std::unique_ptr<Gdiplus::Bitmap> picture(Gdiplus::Bitmap::FromStream(stream.get(), FALSE));
    if (!picture)
        throw std::runtime_error(WideToUtf8(L"内存不足"));
    Check(picture->GetLastStatus());
    return picture;
}

// A failure is logged where the sheet arrives, on the clock's thread.
void DownloadHoroscope(std::shared_ptr<Mailbox> mailbox, unsigned generation, std::string url, int sign, int height,
                       std::shared_ptr<EventLog>) {
    StartPageFetch(std::move(url), [mailbox = std::move(mailbox), generation, sign, height](PageText page) {
        auto sheet = std::make_unique<HoroscopeSheet>();
        sheet->generation = generation;
        try {
            if (page.error)
                throw std::runtime_error(page.error->Text());
            sheet->texts = LayoutHoroscope(page.text, sign, height);
        } catch (const std::exception& e) {
            sheet->error = std::make_exception_ptr(std::runtime_error(OnlinePartText(OnlinePart::Horoscope, e.what())));
        }
        mailbox->Post(std::move(sheet));
    });
}

std::unique_ptr<DibImage> DrawHoroscopeImage(Gdiplus::Bitmap& picture, const std::string& page, int sign, int dpi) {
    return DrawHoroscopeImage(picture, LayoutHoroscope(page, sign, kBookSize), dpi);
}

std::unique_ptr<DibImage> DrawHoroscopeImage(Gdiplus::Bitmap& picture, const std::vector<SheetText>& texts, int dpi) {
    using namespace Gdiplus;
    const int size = ScaleForDpi(kBookSize, dpi);
    auto image = std::make_unique<DibImage>(size, size);
    // The picture goes into the image as premultiplied ARGB, its alpha kept.
    Bitmap canvas(size, size, size * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(image->MutablePixels()));
    Check(canvas.GetLastStatus());
    // The font's points become pixels at the panel's resolution.
    Check(canvas.SetResolution(static_cast<REAL>(dpi), static_cast<REAL>(dpi)));
    Graphics graphics(&canvas);
    Check(graphics.GetLastStatus());
    graphics.SetCompositingMode(CompositingModeSourceCopy);
    if (static_cast<int>(picture.GetWidth()) != size) {
        // The larger picture, scaled down: never blown up.
        graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic);
        graphics.SetPixelOffsetMode(PixelOffsetModeHalf);
    }
    Check(graphics.DrawImage(&picture, 0, 0, size, size));
    graphics.SetCompositingMode(CompositingModeSourceOver);

    if (texts.empty())
        return image;
    const std::unique_ptr<FontFamily> family = FontFamilyOrFallback(L"宋体");
    Font font(family.get(), 10, FontStyleBold, UnitPoint);
    Check(font.GetLastStatus());
    SolidBrush black(Color(0xFF000000));
    Check(black.GetLastStatus());
    // A footnote reads as an aside: smaller, regular and grey.
    Font smallFont(family.get(), 8, FontStyleRegular, UnitPoint);
    Check(smallFont.GetLastStatus());
    SolidBrush grey(Color(0xFF808080));
    Check(grey.GetLastStatus());
    graphics.SetTextRenderingHint(TextRenderingHintAntiAliasGridFit);
    for (const SheetText& t : texts) {
        const std::wstring text = GbkToWide(t.text);
        if (!text.empty())
            Check(graphics.DrawString(
                text.c_str(), -1, t.small ? &smallFont : &font,
                PointF(static_cast<REAL>(ScaleForDpi(t.x, dpi)), static_cast<REAL>(ScaleForDpi(t.y, dpi))),
                t.small ? &grey : &black));
    }
    graphics.Flush(FlushIntentionSync);
    return image;
}

HoroscopePanel::HoroscopePanel(HWND owner, ErrorReporter& reporter, std::function<HoroscopeChoice()> choice,
                               std::function<DateTimeParts()> now, std::shared_ptr<EventLog> log)
    : CompanionWindow(reporter), choice_(std::move(choice)), now_(std::move(now)), log_(std::move(log)) {
    CreateHandle(0, WS_POPUP, RECT{0, 0, 288, 216}, owner, L"frmxingzuo");
    dpi_ = WindowDpi(hwnd_);
    if (dpi_ != kDesignDpi)
        SetWindowPos(hwnd_, nullptr, 0, 0, ScaleForDpi(288, dpi_), ScaleForDpi(216, dpi_),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    mailbox_ = std::make_shared<Mailbox>(hwnd_, kPageArrived);
    // Layered from the start; its whole appearance is the picture.
    SetWindowLongW(hwnd_, GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE) | WS_EX_LAYERED);
}

// A page still on its way finds no window and is dropped.
HoroscopePanel::~HoroscopePanel() {
    mailbox_->Close();
}

void HoroscopePanel::Show() {
    CompanionWindow::Show();
    try {
        if (choice_().host.empty())
            ComposeToday();
        else
            FetchDay();
    } catch (...) {
        reporter_.Report(hwnd_, std::current_exception());
    }
}

// Hidden, the panel wants no page, one on its way is dropped, and it waits
// for no new day.
void HoroscopePanel::Close() {
    download_.Cancel();
    KillTimer(hwnd_, kNewDayTimer);
    ShowWindow(hwnd_, SW_HIDE);
}

void HoroscopePanel::TakeSheetSize() {
    picture_ = LoadBookPicture(dpi_);
    const int size = ScaleForDpi(kBookSize, dpi_);
    RECT at{};
    GetWindowRect(hwnd_, &at);
    MoveWindow(hwnd_, at.left, at.top, size, size, FALSE);
}

void HoroscopePanel::ComposeToday() {
    KillTimer(hwnd_, kNewDayTimer);
    const DateTimeParts now = now_();
    TakeSheetSize();
    const ComposedDay day = ComposeDay(CheckedSign(choice_().sign), now.year, now.month, now.day);
    RenderHoroscopePanel(LayoutComposedDay(day));
    composedDate_ = DateTimeParts{now.year, now.month, now.day};
    SetTimer(hwnd_, kNewDayTimer, MsToNextDay(now), nullptr);
}

// The panel takes the sheet's size at once, so that it can be placed; the
// page is drawn when it arrives. While a download runs, a showing for another
// sign is fetched once it ends.
void HoroscopePanel::FetchDay() {
    TakeSheetSize();
    const HoroscopeChoice choice = choice_();
    const int sign = CheckedSign(choice.sign);
    const std::string url = HoroscopeUrl(choice.host, sign);
    // Laid out on the designed sheet, drawn at the panel's resolution.
    download_.Start(url,
                    [&](unsigned generation) { DownloadHoroscope(mailbox_, generation, url, sign, kBookSize, log_); });
}

void HoroscopePanel::RenderHoroscopePanel(const std::vector<SheetText>& texts) {
    std::unique_ptr<DibImage> image = DrawHoroscopeImage(*picture_, texts, dpi_);
    UpdateLayeredFromImage(hwnd_, image->Dc(), image->Size(), choice_().alpha & 0xFF);
    // What the sheet says is the window's text, for WM_GETTEXT and screen readers.
    SetWindowTextW(hwnd_, GbkToWide(SheetWindowText(texts)).c_str());
    lastTexts_ = texts;
    ++renderCount_;
}

void HoroscopePanel::Redraw() {
    if (lastTexts_ && picture_ && Showing())
        RenderHoroscopePanel(*lastTexts_);
}

std::optional<LRESULT> HoroscopePanel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Esc closes the panel as its close box does, and so switches it off.
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        CloseRequested();
        return 0;
    }
    if (msg == WM_DPICHANGED) {
        // At a new resolution the sheet is drawn afresh from what it shows,
        // without fetching the page again.
        dpi_ = DpiOfDpiChanged(wParam);
        MoveToSuggestedRect(hwnd_, lParam);
        picture_ = LoadBookPicture(dpi_);
        if (lastTexts_)
            RenderHoroscopePanel(*lastTexts_);
        return 0;
    }
    if (msg == WM_TIMER && wParam == kNewDayTimer) {
        // Just after midnight: the next day, unless the panel went hidden or
        // now shows a page host's day.
        KillTimer(hwnd_, kNewDayTimer);
        if (Showing() && choice_().host.empty())
            ComposeToday();
        return 0;
    }
    if (msg != kPageArrived)
        return std::nullopt;
    std::unique_ptr<WorkerResult> result = Mailbox::Take(lParam);
    auto* sheet = dynamic_cast<HoroscopeSheet*>(result.get());
    const RequestSlot::Answer answer = download_.Arrived(sheet ? sheet->generation : 0);
    if (answer.askAgain && Showing())
        FetchDay();
    if (!answer.use || !Showing())
        return 0;
    // A failed fetch ends here: the panel keeps what it showed.
    if (sheet->error) {
        pageFailed_ = true;
        log_->Write("horoscope", WideToUtf8(ErrorReporter::Describe(sheet->error)));
        std::rethrow_exception(sheet->error);
    }
    if (std::exchange(pageFailed_, false))
        log_->Write("horoscope", "the day page came again from " + choice_().host);
    RenderHoroscopePanel(sheet->texts);
    return 0;
}

} // namespace vemora
