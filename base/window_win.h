#pragma once
#include "base/errorreporter_win.h"
#include "base/module_win.h"
#include "base/platform_win.h"

#include <exception>
#include <optional>
#include <stdexcept>

namespace vemora {

// Whether a window moves with the pointer that presses on it.
enum class Dragging { None, ByMouse };

// The window base of every window of the program. T names its window class
// (T::kClassName, which is also the class's name). What a window does
// differently it says by overriding the hooks below, each with `override`: a
// misspelt hook then fails to build ("marked 'override', but does not
// override"), and the build makes `override` compulsory (-Werror=suggest-override),
// so a hook cannot be written without it. HandleMessage answers the messages
// the window handles and gives no value for the rest, which go to
// DefWindowProcW. WM_CLOSE goes to CloseRequested, by default hiding the
// window (ending it when it runs modal); a window made with Dragging::ByMouse
// moves with a pointer moved with the left button down, through
// MouseMovedWithButton(keys), which gets the message's own button flags, and
// DragEnded runs where it was dropped. The base binds the object at
// WM_NCCREATE, unbinds it at WM_NCDESTROY or when the object goes first, and
// is the one place where a handler's exception stops: it goes to
// HandlerFailed, by default the error reporter.
template <typename T> class BaseWindow {
public:
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    bool Showing() const { return hwnd_ && IsWindowVisible(hwnd_); }

protected:
    explicit BaseWindow(ErrorReporter& reporter, Dragging dragging = Dragging::None)
        : reporter_(reporter), dragsByMouse_(dragging == Dragging::ByMouse) {}
    // By now T is gone: the binding goes first, so that the messages that
    // destruction sends never reach a dead object.
    virtual ~BaseWindow() {
        if (hwnd_) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
        }
    }

    void CreateHandle(DWORD exStyle, DWORD style, RECT bounds, HWND owner, const wchar_t* caption = L"",
                      UINT classStyle = 0) {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW existing{sizeof existing};
        if (!GetClassInfoExW(instance, T::kClassName, &existing)) {
            WNDCLASSEXW wc{sizeof wc};
            wc.style = classStyle;
            wc.lpfnWndProc = &BaseWindow::WindowProc;
            wc.hInstance = instance;
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.hIcon = ProgramIcon(false);
            wc.hIconSm = ProgramIcon(true);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            wc.lpszClassName = T::kClassName;
            RegisterClassExW(&wc);
        }
        CreateWindowExW(exStyle, T::kClassName, caption, style, bounds.left, bounds.top, bounds.right - bounds.left,
                        bounds.bottom - bounds.top, owner, nullptr, instance, static_cast<T*>(this));
        if (!hwnd_)
            throw std::runtime_error("Error creating window");
    }

    // The hooks.
    virtual std::optional<LRESULT> HandleMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }
    virtual void HandlerFailed(UINT, const std::exception_ptr& error) { reporter_.Report(hwnd_, error); }
    // The close box, Alt+F4 and WM_CLOSE: a companion or dialog only hides.
    virtual void CloseRequested() {
        if (modal_)
            EndModal();
        else
            ShowWindow(hwnd_, SW_HIDE);
    }
    virtual void MouseMovedWithButton(WPARAM keys) { DragWithMouse(keys); }
    // A drag moved the window and ended; it stands where it was dropped.
    virtual void DragEnded() {}

    // Dragging by the mouse is the window's own, not the system's move loop:
    // Wine's loop, started by a command that does not name the caption, puts
    // the window back at every pointer move. A left press takes the mouse and
    // notes where the pointer and the window stand (the mouse must stay with
    // the window: a layered window gets the pointer only over its painted
    // pixels); a move with the left button held puts the window at the
    // pointer's offset from the press; the release, or the capture going
    // elsewhere, ends the drag. A move with the button held that followed no
    // press of this window drags from where the pointer is then.
    // Whether the button is held is what the move's own message says (keys,
    // its wParam), never the keyboard state: with the X server's pointer
    // under Wine, GetKeyState can still say "up" for a window not in front
    // while its moves say "down", and the drag would stop after one step.
    void DragPress() {
        drag_ = DragState{true, false, MessagePoint(), WindowOrigin()};
        SetCapture(hwnd_);
    }
    void DragWithMouse(WPARAM keys) {
        // A drag whose capture went elsewhere has ended, whatever the move says.
        if (drag_.held && GetCapture() != hwnd_)
            EndDrag();
        if (!(keys & MK_LBUTTON)) {
            // The button went up before this move was read: the move is still
            // part of the drag, the release comes after it.
            if (drag_.held)
                FollowPointer();
            EndDrag();
            return;
        }
        if (!drag_.held)
            DragPress();
        FollowPointer();
    }
    // The release ends the drag where it happened: the pointer's last step
    // may come only with the release (Wine sends no move for it), so the
    // window goes there before the drag ends.
    void DragReleased() {
        if (drag_.held)
            FollowPointer();
        EndDrag();
    }
    void EndDrag() {
        if (!drag_.held)
            return;
        const bool moved = drag_.moved;
        drag_ = DragState{};
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        if (moved)
            DragEnded();
    }

    // A context menu at the pointer, or at the cursor when the keyboard (or
    // the tray icon) asked. The window is in front while the menu shows, so
    // that a click elsewhere closes it; the chosen command runs once the menu
    // has closed, as a WM_COMMAND like a menu's own.
    void TrackContextMenu(HMENU menu, LPARAM lParam) {
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (at.x == -1 && at.y == -1)
            GetCursorPos(&at);
        BringToFrontForMenu();
        const UINT command =
            static_cast<UINT>(TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, hwnd_, nullptr));
        PostMessageW(hwnd_, WM_NULL, 0, 0); // the documented way to let the next menu close on a click outside
        if (command)
            SendMessageW(hwnd_, WM_COMMAND, command, 0);
    }

    // A menu tracked while the activation of its window is still arriving is
    // cancelled by it, and opens nothing: under Wine the X server confirms the
    // focus a moment after SetForegroundWindow. Those messages are handled
    // here, for at most a twentieth of a second, before the menu starts;
    // nothing posted is taken from the queue.
    void BringToFrontForMenu() {
        if (GetForegroundWindow() == hwnd_)
            return;
        SetForegroundWindow(hwnd_);
        const ULONGLONG end = GetTickCount64() + 50;
        MSG pending;
        do {
            PeekMessageW(&pending, nullptr, 0, 0, PM_NOREMOVE);
            if (GetForegroundWindow() == hwnd_ && GetActiveWindow() == hwnd_ && GetFocus() == hwnd_)
                break;
            Sleep(5);
        } while (GetTickCount64() < end);
    }

    // Runs the window as a modal dialog over its owner until it hides itself.
    void RunModal(HWND owner) {
        if (owner)
            EnableWindow(owner, FALSE);
        modal_ = true;
        ShowWindow(hwnd_, SW_SHOW);
        MSG msg;
        while (modal_ && IsWindowVisible(hwnd_)) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (!IsDialogMessageW(hwnd_, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        modal_ = false;
        if (owner) {
            EnableWindow(owner, TRUE);
            SetActiveWindow(owner);
        }
        ShowWindow(hwnd_, SW_HIDE);
    }
    void EndModal() {
        modal_ = false;
        ShowWindow(hwnd_, SW_HIDE);
        PostMessageW(hwnd_, WM_NULL, 0, 0); // wake the modal loop
    }

    ErrorReporter& reporter_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;

private:
    bool dragsByMouse_ = false;
    struct DragState {
        bool held = false;  // a left press took the mouse
        bool moved = false; // and the window has moved since
        POINT pointer{};    // the pointer at the press, on the screen
        POINT window{};     // the window's top left corner then
    };
    // Where the pointer stood for the message being handled.
    static POINT MessagePoint() {
        const DWORD at = GetMessagePos();
        return POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    }
    // The window at the pointer's offset from the press.
    void FollowPointer() {
        const POINT at = MessagePoint();
        const POINT to{drag_.window.x + at.x - drag_.pointer.x, drag_.window.y + at.y - drag_.pointer.y};
        const POINT now = WindowOrigin();
        if (to.x == now.x && to.y == now.y)
            return;
        SetWindowPos(hwnd_, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        drag_.moved = true;
    }
    POINT WindowOrigin() const {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        return POINT{r.left, r.top};
    }

    DragState drag_;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        // The hooks are called through the base, where they are declared, so
        // that a window may keep its overrides private.
        BaseWindow* self = nullptr;
        if (msg == WM_NCCREATE) {
            self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<T*>(self)));
        } else {
            self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (!self)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
        try {
            if (self->dragsByMouse_) {
                if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)
                    self->DragPress();
                else if (msg == WM_LBUTTONUP)
                    self->DragReleased();
                else if (msg == WM_CAPTURECHANGED && reinterpret_cast<HWND>(lParam) != hwnd)
                    self->EndDrag();
            }
            if (const std::optional<LRESULT> answer = self->HandleMessage(msg, wParam, lParam))
                return *answer;
            if (msg == WM_CLOSE) {
                self->CloseRequested();
                return 0;
            }
            if (self->dragsByMouse_) {
                if (msg == WM_MOUSEMOVE) {
                    self->MouseMovedWithButton(wParam);
                    return 0;
                }
            }
        } catch (...) {
            self->HandlerFailed(msg, std::current_exception());
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
};

} // namespace vemora
