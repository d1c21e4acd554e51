#include "ui/form.h"

#include <algorithm>
#include <exception>

#include "ui/controls.h"
#include "ui/error_box.h"
#include "ui/gdi_handles.h"
#include "ui/resource_ids.h"

namespace {

// The caption's icon, from the program's icon resource at the small size. Left to the class,
// it would be made by loading the resource again, which costs Wine more than this before the first
// paint. It lives as long as the windows' classes, which is as long as the program.
HICON SmallProgramIcon() {
    static const UniqueIcon icon(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ZARVEX),
                                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                               GetSystemMetrics(SM_CYSMICON), 0)));
    return icon.get();
}

RECT CentredOuterRect(int clientWidth, int clientHeight, DWORD style, bool hasMenu) {
    RECT rect{0, 0, Scaled(clientWidth), Scaled(clientHeight)};
    AdjustWindowRectEx(&rect, style, hasMenu, 0);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return RECT{left, top, left + width, top + height};
}

}  // namespace

TForm::~TForm() { DestroyFormWindow(); }

void TForm::DestroyFormWindow() {
    if (handle_) DestroyWindow(handle_);
    handle_ = nullptr;
}

void TForm::CreateFormWindow(const char* className, const char* caption, DWORD style, int clientWidth,
                             int clientHeight, HMENU menu, HWND owner) {
    RegisterWindowClass(className, WindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                        LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ZARVEX)), SmallProgramIcon());
    RECT outer = CentredOuterRect(clientWidth, clientHeight, style, menu != nullptr);
    HWND window = CreateWindowExA(0, className, caption, style, outer.left, outer.top, outer.right - outer.left,
                                  outer.bottom - outer.top, owner, menu, GetModuleHandleA(nullptr), this);
    if (window) FitClientArea(clientWidth, clientHeight);
}

void TForm::FitClientArea(int clientWidth, int clientHeight) {
    // The frame may differ from what AdjustWindowRectEx predicted (menu bar, themes): correct it.
    RECT client{};
    RECT outer{};
    GetClientRect(handle_, &client);
    GetWindowRect(handle_, &outer);
    int width = (outer.right - outer.left) + Scaled(clientWidth) - client.right;
    int height = (outer.bottom - outer.top) + Scaled(clientHeight) - client.bottom;
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    // Mostly the prediction was right; moving a window to where it is still costs a round of
    // messages before the first paint.
    const bool placed = left == outer.left && top == outer.top && width == outer.right - outer.left &&
                        height == outer.bottom - outer.top;
    if (!placed) SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    fittedSize_ = SIZE{width, height};
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(message, wParam, lParam);
}

LRESULT TForm::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        if (SetCursorFor(reinterpret_cast<HWND>(wParam), lParam)) return TRUE;
        break;
    case WM_DESTROY:
        if (quitOnDestroy_) PostQuitMessage(0);
        break;
    case WM_GETMINMAXINFO:
        // The windows size themselves to fit their controls: dragging the frame leaves them as they are.
        if (fittedSize_.cx > 0) {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = POINT{fittedSize_.cx, fittedSize_.cy};
            limits->ptMaxTrackSize = limits->ptMinTrackSize;
            return 0;
        }
        break;
    }
    return DefWindowProcA(handle_, message, wParam, lParam);
}

bool TForm::SetCursorFor(HWND control, LPARAM lParam) const {
    if (LOWORD(lParam) != HTCLIENT) return false;
    if (std::find(handCursorControls_.begin(), handCursorControls_.end(), control) == handCursorControls_.end())
        return false;
    SetCursor(LoadCursor(nullptr, IDC_HAND));
    return true;
}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        // The form object rides in from CreateWindowEx; from here on every message reaches it.
        auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->handle_ = window;
    }
    TForm* form = reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form) return DefWindowProcA(window, message, wParam, lParam);
    try {
        LRESULT result = form->HandleMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            form->handle_ = nullptr;
        }
        return result;
    } catch (const std::exception& error) {
        ShowErrorBox(error.what());
    } catch (...) {
        ShowErrorBox("Unexpected error");
    }
    return 0;
}
