// The real program built to ask a loopback update server: the question comes before the main
// window, and the window opens after the answer.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app_test_support.h"
#include "app/main_form.h"
#include "support/loopback_server.h"
#include "system/folders.h"
#include "system/handles.h"

namespace {

struct Program {
    UniqueHandle process;
    DWORD id = 0;
};

Program Start(const std::string& exe) {
    std::string command = "\"" + GetAppFolder() + exe + "\"";
    STARTUPINFOA startup{sizeof(startup)};
    PROCESS_INFORMATION info{};
    Program program;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        program.process.reset(info.hProcess);
        program.id = info.dwProcessId;
    }
    return program;
}

// A visible top-level window of the process with that class and caption, waiting up to 30 s.
HWND WaitForWindow(DWORD processId, const char* className, const char* caption) {
    for (int round = 0; round < 600; ++round) {
        HWND window = FindProcessWindow(processId, className, true);
        if (window && (!caption || WindowText(window) == caption)) return window;
        Sleep(50);
    }
    return nullptr;
}

void EndByExit(Program& program, HWND main) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kExit1Id, 0), 0);
    if (WaitForSingleObject(program.process.get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(program.process.get(), 1);
        ADD_FAILURE() << "still running after Exit";
    }
}

TEST(ProgramUpdate, QuestionComesBeforeTheMainWindow) {
    LoopbackServer server({ScriptedResponse{HttpResponse("[Zarvex]\r\nversion=9.9.9\r\n")}},
                          ZARVEX_TEST_UPDATE_PORT);
    ASSERT_TRUE(server.Ready());
    FileBesideProgram local("Version.ini", "[Zarvex]\r\nversion=1.0.5\r\n");
    Program program = Start("zarvex-loopback.exe");
    ASSERT_TRUE(program.process);

    HWND question = WaitForWindow(program.id, "#32770", "New version available");
    if (!question) TerminateProcess(program.process.get(), 1);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(FindProcessWindow(program.id, "TForm1", true), nullptr) << "main window shown before the question";

    PostMessageA(question, WM_COMMAND, IDNO, 0);
    HWND main = WaitForWindow(program.id, "TForm1", "Zarvex");
    if (!main) TerminateProcess(program.process.get(), 1);
    ASSERT_NE(main, nullptr);
    EndByExit(program, main);
    EXPECT_EQ(server.ConnectionCount(), 1u);
}

TEST(ProgramUpdate, DefaultAddressOpensTheMainWindowWithoutAWord) {
    FileBesideProgram local("Version.ini", "[Zarvex]\r\nversion=1.0.5\r\n");
    ULONGLONG started = GetTickCount64();
    Program program = Start("Zarvex.exe");
    ASSERT_TRUE(program.process);
    HWND main = WaitForWindow(program.id, "TForm1", "Zarvex");
    if (!main) TerminateProcess(program.process.get(), 1);
    ASSERT_NE(main, nullptr);
    RecordProperty("milliseconds_to_main_window", static_cast<int>(GetTickCount64() - started));
    EXPECT_EQ(FindProcessWindow(program.id, "#32770", true), nullptr) << "no box at start";
    EndByExit(program, main);
}

}  // namespace
