// Zarvex.exe itself: the entry sequence up to the shown window, "Exit", and the end without a
// word when a debugger is attached.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/main_form.h"
#include "app_test_support.h"
#include "system/folders.h"
#include "system/handles.h"

namespace {

struct Started {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD id = 0;
};

Started StartProgram(DWORD flags) {
    std::string command = "\"" + GetAppFolder() + "Zarvex.exe\"";
    STARTUPINFOA startup{sizeof(startup)};
    PROCESS_INFORMATION info{};
    Started started;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &info)) {
        started.process.reset(info.hProcess);
        started.thread.reset(info.hThread);
        started.id = info.dwProcessId;
    }
    return started;
}

// Waits, up to a generous limit, for a visible window of the class in the process.
HWND WaitForWindow(DWORD processId, const char* className) {
    for (int round = 0; round < 600; ++round) {
        if (HWND window = FindProcessWindow(processId, className, true)) return window;
        Sleep(50);
    }
    return nullptr;
}

TEST(Program, ShowsTheMainWindowWithTheAboutWindowHiddenAndExitEndsItWithCodeZero) {
    FileBesideProgram noReadMe("ReadMe.txt");
    Started program = StartProgram(0);
    ASSERT_TRUE(program.process);
    HWND main = WaitForWindow(program.id, "TForm1");
    if (!main) TerminateProcess(program.process.get(), 1);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), "Zarvex");
    HWND about = FindProcessWindow(program.id, "TForm2", false);
    ASSERT_NE(about, nullptr) << "created at start";
    EXPECT_FALSE(IsWindowVisible(about));

    // "Exit" ends the process at once, even with the About window open.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kImage3Id, STN_CLICKED), reinterpret_cast<LPARAM>(main));
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kExit1Id, 0), 0);
    if (WaitForSingleObject(program.process.get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(program.process.get(), 1);
        FAIL() << "still running after Exit";
    }
    DWORD code = 1;
    GetExitCodeProcess(program.process.get(), &code);
    EXPECT_EQ(code, 0u);
}

TEST(Program, ClosingTheMainWindowEndsTheProgram) {
    FileBesideProgram noReadMe("ReadMe.txt");
    Started program = StartProgram(0);
    ASSERT_TRUE(program.process);
    HWND main = WaitForWindow(program.id, "TForm1");
    if (!main) TerminateProcess(program.process.get(), 1);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(program.process.get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(program.process.get(), 1);
        FAIL() << "still running after its window closed";
    }
}

TEST(Program, EndsAtOnceWithoutAWindowUnderADebugger) {
    FileBesideProgram noReadMe("ReadMe.txt");
    Started program = StartProgram(DEBUG_ONLY_THIS_PROCESS);
    ASSERT_TRUE(program.process);
    bool ended = false;
    bool windowSeen = false;
    bool messageSeen = false;
    for (int round = 0; round < 600 && !ended; ++round) {  // a generous limit, not a speed check
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 100)) {
            windowSeen = windowSeen || FindProcessWindow(program.id, "TForm1", true);
            messageSeen = messageSeen || FindProcessWindow(program.id, "#32770", true);
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case EXCEPTION_DEBUG_EVENT:
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            ended = true;
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    if (!ended) {
        TerminateProcess(program.process.get(), 1);
        DebugActiveProcessStop(program.id);
    }
    EXPECT_TRUE(ended) << "still running under a debugger";
    EXPECT_FALSE(windowSeen);
    EXPECT_FALSE(messageSeen);
}

}  // namespace
