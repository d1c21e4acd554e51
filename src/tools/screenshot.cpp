// zarvex-screenshot <window title> <out.png> [tab index] [wait seconds]
// Waits for a top-level window with that title, optionally selects a tab of its tab control,
// and saves what the window shows on screen as a PNG.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "tools/window_png.h"

namespace {

void SelectTab(HWND window, int index) {
    HWND tabs = FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr);
    if (!tabs) return;
    // Same path as a click: the window learns of the change through TCN_SELCHANGING/TCN_SELCHANGE.
    NMHDR note{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), TCN_SELCHANGING};
    SendMessageA(window, WM_NOTIFY, note.idFrom, reinterpret_cast<LPARAM>(&note));
    SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    note.code = TCN_SELCHANGE;
    SendMessageA(window, WM_NOTIFY, note.idFrom, reinterpret_cast<LPARAM>(&note));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: zarvex-screenshot <window title> <out.png> [tab index] [wait seconds]\n");
        return 2;
    }
    int tab = argc > 3 ? std::atoi(argv[3]) : -1;
    int waitSeconds = argc > 4 ? std::atoi(argv[4]) : 30;
    HWND window = nullptr;
    for (int i = 0; i < waitSeconds * 10 && !window; ++i) {
        window = FindWindowA(nullptr, argv[1]);
        if (!window || !IsWindowVisible(window)) {
            window = nullptr;
            Sleep(100);
        }
    }
    if (!window) {
        std::fprintf(stderr, "no visible window \"%s\"\n", argv[1]);
        return 1;
    }
    SetForegroundWindow(window);
    if (tab >= 0) SelectTab(window, tab);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Sleep(700);

    if (!SaveWindowPng(window, argv[2])) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    std::printf("%s %dx%d\n", argv[2], width, height);
    return 0;
}
