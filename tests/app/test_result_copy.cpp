// Copying the result list of Zarvex.exe through the clipboard, with the keyboard only: the list
// reached with Tab, Ctrl+C, and the context menu's "Copy" and "Select all".
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "support/planting.h"
#include "system/folders.h"
#include "ui/main_form.h"

namespace {

// Presses the keys in order and lets them go in reverse, as a hand does.
void Press(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wVk = key;
        inputs.push_back(down);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT up{};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = *--it;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(up);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Sleep(100);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{sizeof(info)};
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

void EmptyTheClipboard() {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

// Waits, up to a generous limit, for Unicode text on the clipboard, and takes it off.
std::wstring TakeClipboardText() {
    for (int round = 0; round < 100; ++round) {
        std::wstring text;
        if (OpenClipboard(nullptr)) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                    text = chars;
                    GlobalUnlock(data);
                }
            }
            if (!text.empty()) EmptyClipboard();
            CloseClipboard();
        }
        if (!text.empty()) return text;
        Sleep(50);
    }
    return std::wstring();
}

TEST(ResultCopy, CopiesTheSelectedRowsOrEveryRowFromTheKeyboardAndTheContextMenu) {
    FileBesideProgram noReadMe("ReadMe.txt");
    Planting planting;
    planting.File(GetSystemFolder() + "\\scui.cpl");
    planting.File(GetSystemFolder() + "\\srcss.exe");
    StartedProgram program("Zarvex.exe", L"/noupdate");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("TForm1");
    ASSERT_NE(main, nullptr);
    HWND scanPage = GetDlgItem(main, kTabSheet1Id);
    HWND list = GetDlgItem(scanPage, kListView1Id);
    HWND scanPicture = GetDlgItem(scanPage, kImage2Id);
    ASSERT_TRUE(list && scanPicture);

    PostMessageA(scanPicture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    PostMessageA(scanPicture, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    for (int round = 0; round < 600 && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) < 2; ++round) Sleep(50);
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);

    // The list is reached with Tab alone.
    SetForegroundWindow(main);
    for (int press = 0; press < 12 && FocusOf(main) != list; ++press) Press({VK_TAB});
    ASSERT_EQ(FocusOf(main), list) << "Tab never reached the result list";
    const std::wstring both = L"%systemdir%\\scui.cpl\tREMOVED\r\n%systemdir%\\srcss.exe\tREMOVED\r\n";

    EmptyTheClipboard();
    Press({VK_CONTROL, 'C'});
    EXPECT_EQ(TakeClipboardText(), both) << "no row selected: every row";

    Press({VK_END});  // selects the last row
    Press({VK_SHIFT, VK_F10});
    Press({'C'});  // the context menu's "Copy"
    EXPECT_EQ(TakeClipboardText(), L"%systemdir%\\srcss.exe\tREMOVED\r\n") << "the selected row only";

    Press({VK_SHIFT, VK_F10});
    Press({'A'});  // the context menu's "Select all"
    Press({VK_CONTROL, 'C'});
    EXPECT_EQ(TakeClipboardText(), both);

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitEnded());
}

}  // namespace
