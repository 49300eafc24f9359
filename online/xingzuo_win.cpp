#include "online/xingzuo_win.h"

#include "settings/settings.h"
#include "base/errors.h"
#include "base/text_win.h"
#include "online/fetch_win.h"
#include "online/horoscope.h"

#include <shlwapi.h>

#include <stdexcept>

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

} // namespace

std::unique_ptr<Gdiplus::Bitmap> LoadBookPicture() {
    HRSRC info = FindResourceW(nullptr, L"Book", L"PNG");
    HGLOBAL data = info ? LoadResource(nullptr, info) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes)
        throw std::runtime_error(WideToUtf8(L"程序里缺少运势面板的记事本图片"));
    UniqueHandle<ComReleaseTraits> stream(
        SHCreateMemStream(static_cast<const BYTE*>(bytes), SizeofResource(nullptr, info)));
    if (!stream)
        throw std::runtime_error(WideToUtf8(L"内存不足"));
    std::unique_ptr<Gdiplus::Bitmap> picture(Gdiplus::Bitmap::FromStream(stream.get(), FALSE));
    if (!picture)
        throw std::runtime_error(WideToUtf8(L"内存不足"));
    Check(picture->GetLastStatus());
    return picture;
}

std::string DownloadHoroscope(int sign) {
    const std::string url = HoroscopeUrl(ClockSettings.XingzuoHost, sign);
    if (url.empty())
        throw std::runtime_error(WideToUtf8(L"没有这个星座：") + std::to_string(sign));
    return FetchPageText(url);
}

std::unique_ptr<DibImage> DrawHoroscopeImage(Gdiplus::Bitmap& picture, const std::string& page, int sign) {
    using namespace Gdiplus;
    const int width = static_cast<int>(picture.GetWidth()), height = static_cast<int>(picture.GetHeight());
    auto image = std::make_unique<DibImage>(width, height);
    // The picture goes into the image as premultiplied ARGB, its alpha kept.
    Bitmap canvas(width, height, width * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(image->MutablePixels()));
    Check(canvas.GetLastStatus());
    Graphics graphics(&canvas);
    Check(graphics.GetLastStatus());
    graphics.SetCompositingMode(CompositingModeSourceCopy);
    Check(graphics.DrawImage(&picture, 0, 0, width, height));
    graphics.SetCompositingMode(CompositingModeSourceOver);

    const std::vector<SheetText> texts = LayoutHoroscope(page, sign, height);
    if (texts.empty())
        return image;
    FontFamily songTi(L"宋体");
    std::unique_ptr<FontFamily> fallback;
    const FontFamily* family = &songTi;
    if (songTi.GetLastStatus() != Ok) {
        fallback.reset(FontFamily::GenericSansSerif()->Clone());
        family = fallback.get();
    }
    Font font(family, 10, FontStyleBold, UnitPoint);
    Check(font.GetLastStatus());
    SolidBrush black(Color(0xFF000000));
    Check(black.GetLastStatus());
    graphics.SetTextRenderingHint(TextRenderingHintAntiAliasGridFit);
    for (const SheetText& t : texts) {
        const std::wstring text = GbkToWide(t.text);
        if (!text.empty())
            Check(graphics.DrawString(text.c_str(), -1, &font,
                                      PointF(static_cast<REAL>(t.x), static_cast<REAL>(t.y)), &black));
    }
    graphics.Flush(FlushIntentionSync);
    return image;
}

Tfrmxingzuo::Tfrmxingzuo(HWND owner, ErrorReporter& reporter) : BaseWindow(reporter) {
    CreateHandle(0, WS_POPUP, RECT{0, 0, 288, 216}, owner, L"frmxingzuo");
    // FormCreate: layered from the start; its whole appearance is the picture.
    SetWindowLongW(hwnd_, GWL_EXSTYLE, GetWindowLongW(hwnd_, GWL_EXSTYLE) | WS_EX_LAYERED);
}

void Tfrmxingzuo::Show() {
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    try {
        FormShow();
    } catch (...) {
        reporter_.Report(hwnd_, std::current_exception());
    }
}

void Tfrmxingzuo::Close() { ShowWindow(hwnd_, SW_HIDE); }

void Tfrmxingzuo::FormShow() { RenderHoroscopePanel(); }

void Tfrmxingzuo::RenderHoroscopePanel() {
    std::unique_ptr<Gdiplus::Bitmap> picture = LoadBookPicture();
    const int width = static_cast<int>(picture->GetWidth()), height = static_cast<int>(picture->GetHeight());
    RECT at{};
    GetWindowRect(hwnd_, &at);
    MoveWindow(hwnd_, at.left, at.top, width, height, FALSE);
    // A failed fetch ends here: the panel keeps what it showed.
    const std::string page = DownloadHoroscope(ClockSettings.Xingzuo);
    std::unique_ptr<DibImage> image = DrawHoroscopeImage(*picture, page, ClockSettings.Xingzuo);
    UpdateLayeredFromImage(hwnd_, image->Dc(), image->Size(), ClockSettings.Transparent & 0xFF);
    ++renderCount_;
}

void Tfrmxingzuo::PlaceUnderClock(HWND clock) {
    RECT c{}, own{};
    GetWindowRect(clock, &c);
    GetWindowRect(hwnd_, &own);
    const int width = own.right - own.left;
    MoveWindow(hwnd_, GetSystemMetrics(SM_CXSCREEN) - width + 60, c.top + (c.bottom - c.top), width,
               own.bottom - own.top, TRUE);
}

} // namespace vemora
