// Zarvex.exe itself: the entry sequence up to the shown window, "Exit", and the end without a
// word when a debugger is attached.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/main_form.h"
#include "app_test_support.h"

namespace {

TEST(Program, ShowsTheMainWindowWithTheAboutWindowHiddenAndExitEndsItWithCodeZero) {
    FileBesideProgram noReadMe("ReadMe.txt");
    StartedProgram program("Zarvex.exe");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("TForm1");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), "Zarvex");
    HWND about = FindProcessWindow(program.Id(), "TForm2", false);
    ASSERT_NE(about, nullptr) << "created at start";
    EXPECT_FALSE(IsWindowVisible(about));

    // "Exit" ends the process at once, even with the About window open.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kImage3Id, STN_CLICKED), reinterpret_cast<LPARAM>(main));
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kExit1Id, 0), 0);
    ASSERT_TRUE(program.WaitEnded()) << "still running after Exit";
    DWORD code = 1;
    GetExitCodeProcess(program.Process(), &code);
    EXPECT_EQ(code, 0u);
}

TEST(Program, ClosingTheMainWindowEndsTheProgram) {
    FileBesideProgram noReadMe("ReadMe.txt");
    StartedProgram program("Zarvex.exe");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("TForm1");
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitEnded()) << "still running after its window closed";
}

TEST(Program, EndsAtOnceWithoutAWindowUnderADebugger) {
    FileBesideProgram noReadMe("ReadMe.txt");
    StartedProgram program("Zarvex.exe", DEBUG_ONLY_THIS_PROCESS);
    ASSERT_TRUE(program.Started());
    bool ended = false;
    bool windowSeen = false;
    bool messageSeen = false;
    for (int round = 0; round < 600 && !ended; ++round) {  // a generous limit, not a speed check
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 100)) {
            windowSeen = windowSeen || FindProcessWindow(program.Id(), "TForm1", true);
            messageSeen = messageSeen || FindProcessWindow(program.Id(), "#32770", true);
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
        TerminateProcess(program.Process(), 1);
        DebugActiveProcessStop(program.Id());
    }
    EXPECT_TRUE(ended) << "still running under a debugger";
    EXPECT_FALSE(windowSeen);
    EXPECT_FALSE(messageSeen);
}

}  // namespace
