// zarvex-screenshot <window title> <out.png> [wait seconds]
// Waits for a visible top-level window with that title and saves what it shows on screen as a PNG.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "tools/window_png.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: zarvex-screenshot <window title> <out.png> [wait seconds]\n");
        return 2;
    }
    int waitSeconds = argc > 3 ? std::atoi(argv[3]) : 30;
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
