// Pictures of the windows as the screen shows them, for a look against the tables:
// %TEMP%\zarvex-screens\scan.png, settings.png, about-page.png, about-window.png.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "app/about_form.h"
#include "app/main_form.h"
#include "app_test_support.h"
#include "png_file.h"
#include "system/folders.h"

namespace {

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
        EXPECT_TRUE(SaveWindowPng(form.Handle(), folder + names[page]));
        std::printf("saved %s%s\n", folder.c_str(), names[page]);
    }
    about.ShowAbout();
    Settle(about.Handle());
    EXPECT_TRUE(SaveWindowPng(about.Handle(), folder + "about-window.png"));
}

}  // namespace
