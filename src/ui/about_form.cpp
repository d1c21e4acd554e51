#include "ui/about_form.h"

#include "ui/controls.h"
#include "ui/jpeg_picture.h"
#include "ui/links.h"
#include "ui/resource_ids.h"

TForm2* Form2 = nullptr;

namespace {
// The sizing frame gives the window its outer size; the form keeps that size fixed.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
}

TForm2::TForm2(HWND owner) : background_(LoadJpegResource(IDR_ABOUT_BACKGROUND)) {
    CreateFormWindow("TForm2", "ABOUT", kStyle, 449, 329, nullptr, owner);
}

TForm2::~TForm2() { DestroyFormWindow(); }

void TForm2::ShowAbout() {
    HWND window = Handle();
    if (!window) return;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    ShowWindow(window, SW_SHOW);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    // Its one control has the keyboard, so Enter follows the link at once.
    SetFocus(Image2);
}

void TForm2::Image2Click() { OpenHomePage(); }

LRESULT TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        Image1 = CreatePicture(Handle(), kAboutImage1Id, 0, 0, 449, 329, background_.get());
        // Tab looks for controls inside the artwork.
        SetWindowLongPtrA(Image1, GWL_EXSTYLE, GetWindowLongPtrA(Image1, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
        // Inside the artwork, so the artwork shows through it.
        Image2 = CreatePicture(Image1, kAboutImage2Id, 288, 0, 153, 89, nullptr);
        SetWindowTextA(Image2, (HomePageHost() + " home page").c_str());  // what a screen reader calls it
        SetHandCursor(Image2);
        MakeTabStop(Image2);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kAboutImage2Id && HIWORD(wParam) == STN_CLICKED) {
            Image2Click();
            return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {  // Escape
            ShowWindow(Handle(), SW_HIDE);
            return 0;
        }
        break;
    case WM_CLOSE:
        ShowWindow(Handle(), SW_HIDE);
        return 0;
    }
    return DefaultHandling(message, wParam, lParam);
}
