// The real program built to ask a loopback update server: the question comes before the main
// window, and the window opens after the answer.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app_test_support.h"
#include "app/main_form.h"
#include "support/loopback_server.h"

namespace {

void EndByExit(const StartedProgram& program, HWND main) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kExit1Id, 0), 0);
    EXPECT_TRUE(program.WaitEnded()) << "still running after Exit";
}

TEST(ProgramUpdate, QuestionComesBeforeTheMainWindow) {
    LoopbackServer server({ScriptedResponse{HttpResponse("[Zarvex]\r\nversion=9.9.9\r\n")}},
                          ZARVEX_TEST_UPDATE_PORT);
    ASSERT_TRUE(server.Ready());
    FileBesideProgram local("Version.ini", "[Zarvex]\r\nversion=1.0.5\r\n");
    StartedProgram program("zarvex-loopback.exe");
    ASSERT_TRUE(program.Started());

    HWND question = program.WaitForWindow("#32770", "New version available");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(FindProcessWindow(program.Id(), "TForm1", true), nullptr) << "main window shown before the question";

    PostMessageA(question, WM_COMMAND, IDNO, 0);
    HWND main = program.WaitForWindow("TForm1", "Zarvex");
    ASSERT_NE(main, nullptr);
    EndByExit(program, main);
    EXPECT_EQ(server.ConnectionCount(), 1u);
}

TEST(ProgramUpdate, DefaultAddressOpensTheMainWindowWithoutAWord) {
    FileBesideProgram local("Version.ini", "[Zarvex]\r\nversion=1.0.5\r\n");
    ULONGLONG started = GetTickCount64();
    StartedProgram program("Zarvex.exe");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("TForm1", "Zarvex");
    ASSERT_NE(main, nullptr);
    RecordProperty("milliseconds_to_main_window", static_cast<int>(GetTickCount64() - started));
    EXPECT_EQ(FindProcessWindow(program.Id(), "#32770", true), nullptr) << "no box at start";
    EndByExit(program, main);
}

}  // namespace
