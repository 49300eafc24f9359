#pragma once
#include "base/platform_win.h"

#include <winhttp.h>

#include <atomic>
#include <utility>

namespace vemora {

// One move-only owner for every kind of handle; the traits say how to close it
// and which value means "none". Each kind counts its live handles, which is
// how the tests see leaks where Wine reports no GDI or USER object counts.
template <typename Traits> class UniqueHandle {
public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer h) noexcept : h_(h) {
        if (h_ != Traits::Invalid())
            ++live_;
    }
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    pointer get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::Invalid(); }
    pointer release() noexcept {
        if (h_ != Traits::Invalid())
            --live_;
        return std::exchange(h_, Traits::Invalid());
    }
    void reset(pointer h = Traits::Invalid()) noexcept {
        pointer old = std::exchange(h_, h);
        if (h != Traits::Invalid())
            ++live_;
        if (old != Traits::Invalid()) {
            Traits::Close(old);
            --live_;
        }
    }
    static int Live() noexcept { return live_.load(); }

private:
    pointer h_ = Traits::Invalid();
    static inline std::atomic<int> live_{0};
};

template <typename T, auto CloseFn> struct HandleTraits {
    using pointer = T;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { CloseFn(h); }
};

struct SocketTraits {
    using pointer = SOCKET;
    static pointer Invalid() noexcept { return INVALID_SOCKET; }
    static void Close(pointer s) noexcept { closesocket(s); }
};
struct HandleCloseTraits {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return nullptr; }
    static void Close(pointer h) noexcept { CloseHandle(h); }
};

using UniqueHdc = UniqueHandle<HandleTraits<HDC, DeleteDC>>;
using UniqueHbitmap = UniqueHandle<HandleTraits<HBITMAP, DeleteObject>>;
using UniqueHfont = UniqueHandle<HandleTraits<HFONT, DeleteObject>>;
using UniqueHbrush = UniqueHandle<HandleTraits<HBRUSH, DeleteObject>>;
using UniqueHpen = UniqueHandle<HandleTraits<HPEN, DeleteObject>>;
using UniqueHrgn = UniqueHandle<HandleTraits<HRGN, DeleteObject>>;
using UniqueHmenu = UniqueHandle<HandleTraits<HMENU, DestroyMenu>>;
using UniqueHkey = UniqueHandle<HandleTraits<HKEY, RegCloseKey>>;
using UniqueHmodule = UniqueHandle<HandleTraits<HMODULE, FreeLibrary>>;
using UniqueHinternet = UniqueHandle<HandleTraits<HINTERNET, WinHttpCloseHandle>>;
using UniqueHwnd = UniqueHandle<HandleTraits<HWND, DestroyWindow>>;
using UniqueSocket = UniqueHandle<SocketTraits>;
using UniqueKernelHandle = UniqueHandle<HandleCloseTraits>;

struct HandleCounts {
    int dc = 0, bitmap = 0, gdiOther = 0, kernel = 0;
};
inline HandleCounts LiveHandleCounts() {
    return {UniqueHdc::Live(), UniqueHbitmap::Live(),
            UniqueHfont::Live() + UniqueHbrush::Live() + UniqueHpen::Live() + UniqueHrgn::Live(),
            UniqueKernelHandle::Live() + UniqueHkey::Live() + UniqueHinternet::Live() + UniqueSocket::Live()};
}

// GetDC / ReleaseDC for the lifetime of the object.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedWindowDC() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// SelectObject that puts the previous object back.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// GDI+ started for the lifetime of the object.
class ScopedGdiplus {
public:
    ScopedGdiplus() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    ~ScopedGdiplus() {
        if (token_)
            Gdiplus::GdiplusShutdown(token_);
    }
    ScopedGdiplus(const ScopedGdiplus&) = delete;
    ScopedGdiplus& operator=(const ScopedGdiplus&) = delete;

private:
    ULONG_PTR token_ = 0;
};

} // namespace vemora
