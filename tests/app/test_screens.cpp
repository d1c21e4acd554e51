// Pictures of the windows as the screen shows them, to look at by eye:
// %TEMP%\zarvex-screens\scan.png, settings.png, about-page.png, about-window.png.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "app_test_support.h"
#include "system/files.h"
#include "system/folders.h"
#include "tools/window_png.h"
#include "ui/about_form.h"
#include "ui/main_form.h"

namespace {

std::uint32_t BigEndianAt(const std::string& bytes, size_t at) {
    std::uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// Saves the window and checks the file is a PNG of the window's outer size.
void SaveAndCheck(HWND window, const std::string& path) {
    ASSERT_TRUE(SaveWindowPng(window, path)) << path;
    std::printf("saved %s\n", path.c_str());
    const std::string png = ReadWholeFile(path);
    ASSERT_GE(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_EQ(BigEndianAt(png, 16), static_cast<std::uint32_t>(outer.right - outer.left));
    EXPECT_EQ(BigEndianAt(png, 20), static_cast<std::uint32_t>(outer.bottom - outer.top));
}

void Settle(HWND window) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 10; ++i) {  // let the window system finish drawing
        PumpMessages();
        Sleep(50);
    }
}

TEST(Screens, SaveEachPageAndTheAboutWindow) {
    InitControlsOnce();
    FileBesideProgram readMe("ReadMe.txt", "Zarvex\r\n\r\nThe read-me text is shown here.\r\n");
    TForm1 form;
    TForm2 about(form.Handle());
    const std::string folder = GetTempFolder() + "zarvex-screens\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    ShowWindow(form.Handle(), SW_SHOW);
    const char* names[] = {"scan.png", "settings.png", "about-page.png"};
    for (int page = 0; page < 3; ++page) {
        form.ShowPage(page);
        Settle(form.Handle());
        SaveAndCheck(form.Handle(), folder + names[page]);
    }
    about.ShowAbout();
    Settle(about.Handle());
    SaveAndCheck(about.Handle(), folder + "about-window.png");
}

}  // namespace
