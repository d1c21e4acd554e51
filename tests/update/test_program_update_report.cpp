// /scan with /report in the window, with the update check on: when no two versions can be
// compared the report says why, and the end waits for a check still asking.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_test_support.h"
#include "support/loopback_server.h"
#include "support/test_paths.h"
#include "system/handles.h"
#include "system/text_codes.h"

namespace {

std::vector<std::string> ReportLines(const std::string& path) {
    const std::string text = WideFileBytes(FromAnsi(path));
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Answers a question box, should the check end before the scan and ask, so it cannot hold the end.
void AnswerBoxesUntilEnded(const StartedProgram& program) {
    for (int round = 0; round < 1200 && WaitForSingleObject(program.Process(), 50) == WAIT_TIMEOUT; ++round)
        if (HWND box = FindProcessWindow(program.Id(), "#32770", true)) PostMessageA(box, WM_COMMAND, IDNO, 0);
}

// Another process's control text: GetWindowText would give only the text the system stores for
// it, so the control is asked.
std::string ControlText(HWND control) {
    char text[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    return std::string(text);
}

struct ReportCase {
    const char* name;
    const char* server;
    const char* local;         // Version.ini; nullptr for none
    const char* updateLine;    // the report's line before "Exit code:"; nullptr: none
    const char* statusLine = "HTTP/1.0 200 OK";
    unsigned delayMs = 0;      // the server answers after the scan has ended
};

class ProgramUpdateReport : public testing::TestWithParam<ReportCase> {};

TEST_P(ProgramUpdateReport, SaysWhyNoVersionsWereCompared) {
    const ReportCase& c = GetParam();
    ScriptedResponse answer{HttpResponse(c.server, {}, c.statusLine)};
    answer.delayMs = c.delayMs;
    LoopbackServer server({answer}, ZARVEX_TEST_UPDATE_PORT);
    ASSERT_TRUE(server.Ready());
    FileBesideProgram local = c.local ? FileBesideProgram("Version.ini", c.local) : FileBesideProgram("Version.ini");
    ScratchFolder scratch("update-report");
    const std::string report = scratch.Path() + "\\report.txt";
    StartedProgram program("zarvex-loopback.exe", L"/scan /options none /products \"Antivirus 2009\" /report \"" +
                                                      std::wstring(report.begin(), report.end()) + L"\"");
    ASSERT_TRUE(program.Started());
    AnswerBoxesUntilEnded(program);
    ASSERT_TRUE(program.WaitEnded());

    EXPECT_EQ(program.ExitCode(), 0u) << "nothing is planted; the update check never changes the code";
    EXPECT_EQ(server.ConnectionCount(), 1u);
    std::vector<std::string> lines = ReportLines(report);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.back(), "Exit code: 0");
    if (c.updateLine) {
        EXPECT_EQ(lines[lines.size() - 2], c.updateLine);
    } else {
        EXPECT_NE(lines[lines.size() - 2].rfind("Update check:", 0), 0u) << lines[lines.size() - 2];
    }
    EXPECT_NE(std::find(lines.begin(), lines.end(), "No malicious software was found.\t"), lines.end());
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ProgramUpdateReport,
    testing::Values(
        ReportCase{"SameVersion", "version=1.0.5\r\n", "version=1.0.5\r\n", nullptr},
        ReportCase{"OlderOnTheServer", "version=1.0.4\r\n", "version=1.0.5\r\n", nullptr},
        ReportCase{"UnreadableOnTheServer", "version=1.0.x\r\n", "version=1.0.5\r\n",
                   "Update check: the update server's file names no version number"},
        ReportCase{"NoVersionIni", "version=1.0.5\r\n", nullptr, "Update check: no Version.ini beside the program"},
        ReportCase{"NotFoundWithAVersion", "version=9.9.9\r\n", "version=1.0.5\r\n",
                   "Update check: the update server answered 404 instead of the version file", "HTTP/1.0 404 Not Found"},
        // The scan of one product missing takes a second or so: the answer comes well after it.
        ReportCase{"AnswerAfterTheScan", "version=1.0.x\r\n", "version=1.0.5\r\n",
                   "Update check: the update server's file names no version number", "HTTP/1.0 200 OK", 6000},
        ReportCase{"NewerAfterTheScan", "version=9.9.9\r\n", "version=1.0.5\r\n",
                   "Update check: a newer version is available", "HTTP/1.0 200 OK", 6000}),
    [](const testing::TestParamInfo<ReportCase>& info) { return std::string(info.param.name); });

// Closing the window while the end waits for a silent server writes the report at once and ends
// with the scan's own code.
TEST(ProgramUpdateReport, ClosingWhileTheEndWaitsForTheCheckWritesTheReport) {
    LoopbackServer server({SilentResponse()}, ZARVEX_TEST_UPDATE_PORT);
    ASSERT_TRUE(server.Ready());
    FileBesideProgram local("Version.ini", "version=1.0.5\r\n");
    ScratchFolder scratch("update-report-close");
    const std::string report = scratch.Path() + "\\report.txt";
    StartedProgram program("zarvex-loopback.exe", L"/scan /options none /products \"Antivirus 2009\" /report \"" +
                                                      std::wstring(report.begin(), report.end()) + L"\"");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("TForm1", "Zarvex");
    ASSERT_NE(main, nullptr);
    // The status bar says the end waits once the scan is done.
    HWND status = FindWindowExA(main, nullptr, "msctls_statusbar32", nullptr);
    ASSERT_NE(status, nullptr);
    for (int round = 0; round < 1200 && ControlText(status).rfind("Waiting for the update check", 0) != 0; ++round)
        Sleep(50);
    ASSERT_EQ(ControlText(status), "Waiting for the update check before ending...");
    EXPECT_EQ(WaitForSingleObject(program.Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitEnded());
    server.ReleaseHeldConnections();
    EXPECT_EQ(program.ExitCode(), 0u);
    std::vector<std::string> lines = ReportLines(report);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Update check: no answer from the update server before the program ended");
    EXPECT_EQ(lines.back(), "Exit code: 0");
}

}  // namespace
