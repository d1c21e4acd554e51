// /noupdate, and /scan /quiet, never ask the update server: the program built to ask a loopback
// server scans and ends without a single connection to it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app_test_support.h"
#include "support/loopback_server.h"

namespace {

class ProgramWithoutUpdateCheck : public testing::TestWithParam<const wchar_t*> {};

// The scan runs after the window shows, when the check would begin, so a check that was not
// left out would have connected long before the program ends.
TEST_P(ProgramWithoutUpdateCheck, NeverConnectsToTheUpdateServer) {
    LoopbackServer server({ScriptedResponse{HttpResponse("[Zarvex]\r\nversion=9.9.9\r\n")}},
                          ZARVEX_TEST_UPDATE_PORT);
    ASSERT_TRUE(server.Ready());
    FileBesideProgram local("Version.ini", "[Zarvex]\r\nversion=1.0.5\r\n");
    StartedProgram program("zarvex-loopback.exe", GetParam());
    ASSERT_TRUE(program.Started());

    ASSERT_TRUE(program.WaitEnded());
    EXPECT_EQ(program.ExitCode(), 0u) << "nothing is planted";
    EXPECT_EQ(server.ConnectionCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Switches, ProgramWithoutUpdateCheck,
                         testing::Values(L"/scan /noupdate /options none /products \"Antivirus 2009\"",
                                         L"/scan /quiet /options none /products \"Antivirus 2009\""));

}  // namespace
