#pragma once
// Owners for the drawing objects of the two windows, so each is released on every path.
#include <windows.h>
#include <commctrl.h>
#include <memory>
#include <type_traits>

namespace detail {
struct GdiObjectDeleter { void operator()(HGDIOBJ h) const { if (h) DeleteObject(h); } };
struct IconDestroyer { void operator()(HICON h) const { if (h) DestroyIcon(h); } };
struct ImageListDestroyer { void operator()(HIMAGELIST h) const { if (h) ImageList_Destroy(h); } };
struct MemoryDcDeleter { void operator()(HDC h) const { if (h) DeleteDC(h); } };
}  // namespace detail

using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, detail::GdiObjectDeleter>;
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, detail::GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, detail::GdiObjectDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, detail::IconDestroyer>;
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, detail::ImageListDestroyer>;
// A DC made with CreateCompatibleDC.
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, detail::MemoryDcDeleter>;

// A DC from GetDC, released with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { if (dc_) ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC for the lifetime of the guard and puts the old one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() { if (old_) SelectObject(dc_, old_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};
