// The real program built to ask a loopback update server: the main window comes first, whatever
// the server does, and the question follows once the answer is in.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app_test_support.h"
#include "support/loopback_server.h"
#include "ui/main_form.h"

namespace {

void EndByExit(const StartedProgram& program, HWND main) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kExit1Id, 0), 0);
    EXPECT_TRUE(program.WaitEnded()) << "still running after Exit";
}

// The window's thread handles a message sent to it; a generous limit, not a speed check.
bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

TEST(ProgramUpdate, TheMainWindowComesFirstAndTheQuestionFollows) {
    LoopbackServer server({ScriptedResponse{HttpResponse("[Zarvex]\r\nversion=9.9.9\r\n")}},
                          ZARVEX_TEST_UPDATE_PORT);
    ASSERT_TRUE(server.Ready());
    FileBesideProgram local("Version.ini", "[Zarvex]\r\nversion=1.0.5\r\n");
    StartedProgram program("zarvex-loopback.exe");
    ASSERT_TRUE(program.Started());

    HWND main = program.WaitForWindow("TForm1", "Zarvex");
    ASSERT_NE(main, nullptr);
    HWND question = program.WaitForWindow("#32770", "New version available");
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(IsWindowVisible(main)) << "the window stays while the question is asked";

    PostMessageA(question, WM_COMMAND, IDNO, 0);
    for (int round = 0; round < 200 && IsWindow(question); ++round) Sleep(50);
    EXPECT_FALSE(IsWindow(question));
    EXPECT_TRUE(IsWindowVisible(main));
    EndByExit(program, main);
    EXPECT_EQ(server.ConnectionCount(), 1u);
}

struct SlowServer {
    const char* name;
    ScriptedResponse response;
};

class ProgramWithSlowServer : public testing::TestWithParam<SlowServer> {};

// The window is up and answering while the server is still being asked; closing it then ends
// the program without waiting for the server.
TEST_P(ProgramWithSlowServer, WindowIsUpAndAnswersWhileTheServerIsStillAsked) {
    LoopbackServer server({GetParam().response}, ZARVEX_TEST_UPDATE_PORT);
    ASSERT_TRUE(server.Ready());
    FileBesideProgram local("Version.ini", "[Zarvex]\r\nversion=1.0.5\r\n");
    StartedProgram program("zarvex-loopback.exe");
    ASSERT_TRUE(program.Started());

    HWND main = program.WaitForWindow("TForm1", "Zarvex");
    ASSERT_NE(main, nullptr);
    for (int round = 0; round < 600 && server.ConnectionCount() == 0; ++round) Sleep(50);
    ASSERT_EQ(server.ConnectionCount(), 1u) << "the check asks once the window is shown";
    Sleep(1500);  // well into the request
    EXPECT_TRUE(Answers(main));
    EXPECT_EQ(FindProcessWindow(program.Id(), "#32770", true), nullptr) << "no box while the server is asked";

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitEnded()) << "closing waits for the server";
    server.ReleaseHeldConnections();
}

INSTANTIATE_TEST_SUITE_P(Servers, ProgramWithSlowServer,
                         testing::Values(SlowServer{"Silent", SilentResponse()}, SlowServer{"Dripping", DrippingResponse(500)}),
                         [](const testing::TestParamInfo<SlowServer>& info) { return info.param.name; });

TEST(ProgramUpdate, DefaultAddressOpensTheMainWindowWithoutAWord) {
    FileBesideProgram local("Version.ini", "[Zarvex]\r\nversion=1.0.5\r\n");
    StartedProgram program("Zarvex.exe");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("TForm1", "Zarvex");
    ASSERT_NE(main, nullptr);
    Sleep(1000);  // time for the check to fail to resolve
    EXPECT_EQ(FindProcessWindow(program.Id(), "#32770", true), nullptr) << "no box at start";
    EndByExit(program, main);
}

}  // namespace
