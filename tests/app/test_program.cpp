// Zarvex.exe itself: the entry sequence up to the shown window, "Exit", and the end without a
// word when a debugger is attached.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app_test_support.h"
#include "support/planting.h"
#include "support/rogue_planting.h"
#include "support/test_paths.h"
#include "ui/main_form.h"

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

BOOL CALLBACK FindById(HWND window, LPARAM parameter) {
    auto* wanted = reinterpret_cast<std::pair<int, HWND>*>(parameter);
    if (GetDlgCtrlID(window) != wanted->first) return TRUE;
    wanted->second = window;
    return FALSE;
}

// The text of another process's control: WM_GETTEXT itself, which the system carries across.
std::string TextOf(HWND control) {
    char text[256] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &length);
    return text;
}

HWND ControlOf(HWND main, int id) {
    std::pair<int, HWND> wanted{id, nullptr};
    EnumChildWindows(main, FindById, reinterpret_cast<LPARAM>(&wanted));
    return wanted.second;
}

// "Exit" during a scan waits for the removal in progress, then ends the program with code 0:
// the product being removed is gone completely, the next one is untouched.
TEST(Program, ExitDuringAScanEndsAfterTheRemovalInProgress) {
    FileBesideProgram noReadMe("ReadMe.txt");
    Planting planting;
    std::vector<const WaiterProcess*> first = PlantDetectedTraces(EntryAtIndex(1), planting);
    std::vector<const WaiterProcess*> second = PlantDetectedTraces(EntryAtIndex(0), planting);
    StartedProgram program("Zarvex.exe");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("TForm1");
    ASSERT_NE(main, nullptr);
    HWND picture = ControlOf(main, kImage2Id);
    HWND status = ControlOf(main, kStatusBar1Id);
    ASSERT_TRUE(picture && status);

    PostMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    PostMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    bool removing = false;
    std::string seen;
    for (int round = 0; round < 600 && !removing; ++round) {  // a generous limit, not a speed check
        seen = TextOf(status);
        removing = seen == "Removing Micro Antivirus 2009";
        if (!removing) Sleep(20);
    }
    ASSERT_TRUE(removing) << seen;
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kExit1Id, 0), 0);
    EXPECT_EQ(WaitForSingleObject(program.Process(), 200), static_cast<DWORD>(WAIT_TIMEOUT))
        << "ended in the middle of the removal";
    ASSERT_TRUE(program.WaitEnded());
    DWORD code = 1;
    GetExitCodeProcess(program.Process(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(FolderExists(ProgramFolderOf(EntryAtIndex(1))));
    for (const WaiterProcess* p : first) EXPECT_TRUE(p->WaitEnded(5000)) << p->Path();
    EXPECT_TRUE(FolderExists(ProgramFolderOf(EntryAtIndex(0))));
    for (const WaiterProcess* p : second) EXPECT_TRUE(p->Running()) << p->Path();
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
