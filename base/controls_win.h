#pragma once
#include "base/dpi.h"
#include "base/handles_win.h"

#include <string>
#include <vector>

namespace vemora {

// A control of a dialog, created in code at its pixel position.
struct ControlSpec {
    const wchar_t* windowClass;
    const wchar_t* text;
    DWORD style;
    int x, y, width, height;
    int id;
};

HWND CreateControl(HWND parent, const ControlSpec& spec, HFONT font);
// A tooltip for the whole of a window that asks the window for its text
// (TTN_GETDISPINFOW) each time it shows; null when the system gives none. It
// is owned by owner, or by the window when there is none: under Wine a
// topmost window owned by the clock keeps the clock from going back on top.
HWND CreateWindowTip(HWND window, HWND owner);
// The dialogs' font: Tahoma 8 pt (height -11 at 96 pixels per inch).
UniqueHfont CreateDialogFont(int dpi = kDesignDpi);
// Outer window rectangle for a client area of the given size.
RECT DialogBounds(int clientWidth, int clientHeight, DWORD style, DWORD exStyle);
// left = (screen width - width) / 2, top likewise, signed and truncated.
void CentreOnScreen(HWND window);

// A dialog laid out at 96 pixels per inch, at the resolution of its monitor:
// the client area, every control's rectangle (edge by edge) and the dialog
// font scaled from the design, never from the last scaling, so that moving
// between resolutions gathers no rounding.
class DialogLayout {
public:
    // Takes the dialog's controls where they were created, at 96 per inch.
    void Capture(HWND dialog);
    // Sizes the dialog for a designed client area and puts its controls and
    // font at the resolution.
    void Apply(HWND dialog, int clientWidth, int clientHeight, int dpi);

private:
    struct Control {
        HWND window;
        PixelRect bounds; // a drop-down list's with its list
        int droppedWidth; // 0 unless a drop-down's list is set wider than the box
    };
    std::vector<Control> controls_;
    UniqueHfont font_;
};
std::wstring WindowText(HWND window);
// A window's answer to WM_GETTEXT or WM_GETTEXTLENGTH: the text it shows
// rather than its caption.
LRESULT AnswerGetText(const std::wstring& text, UINT msg, WPARAM wParam, LPARAM lParam);
bool IsChecked(HWND button);
void SetChecked(HWND button, bool checked);

// A numeric edit with up and down arrows. It takes digits, the signs and the
// decimal separator and control keys other than Enter; it brings its text into
// the range when it loses the focus, and text that is no whole number reads as
// the minimum.
class SpinEdit {
public:
    void Create(HWND parent, int x, int y, int width, int height, int id, long long minimum, long long maximum,
                long long value, HFONT font);
    HWND Edit() const { return edit_; }
    HWND UpDown() const { return upDown_; }
    long long Value() const;
    void SetValue(long long value);
    void Normalize() { SetValue(Value()); }

private:
    static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HWND edit_ = nullptr;
    HWND upDown_ = nullptr;
    long long minimum_ = 0, maximum_ = 0;
};

} // namespace vemora
