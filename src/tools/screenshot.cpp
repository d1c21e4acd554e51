// zarvex-screenshot <window title> <out.png> [tab index] [wait seconds]
// Waits for a top-level window with that title, optionally selects a tab of its tab control,
// and saves what the window shows on screen as a PNG.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

#include "system/handles.h"

namespace {

void PutBigEndian(std::string& out, unsigned long value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, static_cast<unsigned long>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBigEndian(out, crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
}

bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& bgra) {
    std::string raw;
    raw.reserve(static_cast<std::size_t>(height) * (width * 3 + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back('\0');  // no filter
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &bgra[(static_cast<std::size_t>(y) * width + x) * 4];
            raw.push_back(static_cast<char>(p[2]));
            raw.push_back(static_cast<char>(p[1]));
            raw.push_back(static_cast<char>(p[0]));
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), 9) != Z_OK)
        return false;
    packed.resize(size);
    std::string header;
    PutBigEndian(header, static_cast<unsigned long>(width));
    PutBigEndian(header, static_cast<unsigned long>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", std::string());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && ok;
}

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

    RECT rect{};
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    std::vector<unsigned char> pixels(static_cast<unsigned char*>(bits),
                                      static_cast<unsigned char*>(bits) + static_cast<std::size_t>(width) * height * 4);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!WritePng(argv[2], width, height, pixels)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s %dx%d\n", argv[2], width, height);
    return 0;
}
