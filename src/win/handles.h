// Owned Win32 handles: one owner each, never copied, released by the right
// function. Borrowed handles stay plain HWND/HDC values.
#pragma once

#include <windows.h>

#include <utility>

template <class Handle, auto Free>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, Handle{});
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    Handle Release() { return std::exchange(handle_, Handle{}); }
    explicit operator bool() const { return handle_ != Handle{}; }
    void Reset(Handle handle = Handle{}) {
        if (handle_) Free(handle_);
        handle_ = handle;
    }

private:
    Handle handle_{};
};

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;

// A memory device context (CreateCompatibleDC); one from GetDC is borrowed
// and released, never deleted.
inline void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }
using UniqueMemoryDc = UniqueHandle<HDC, DeleteMemoryDc>;

// A kernel handle; CreateFileA's "none" (INVALID_HANDLE_VALUE) is stored as null.
inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;
inline UniqueKernelHandle FileHandle(HANDLE handle) {
    return UniqueKernelHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

inline void DestroyWindowHandle(HWND window) { DestroyWindow(window); }
using UniqueWindow = UniqueHandle<HWND, DestroyWindowHandle>;

inline void DestroyMenuHandle(HMENU menu) { DestroyMenu(menu); }
using UniqueMenu = UniqueHandle<HMENU, DestroyMenuHandle>;
// Only for icons the program made or loaded unshared: LoadIconA's are shared
// and never destroyed.
inline void DestroyIconHandle(HICON icon) { DestroyIcon(icon); }
using UniqueIcon = UniqueHandle<HICON, DestroyIconHandle>;

// A window's device context borrowed with GetDC (nullptr: the screen's), released on leaving.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint and EndPaint around one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { BeginPaint(window_, &paint_); }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return paint_.hdc; }
    const RECT& Area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// Keeps an object selected into a device context for its lifetime and puts
// the previous one back, so the object can be deleted afterwards.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
