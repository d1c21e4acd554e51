// What the report and the record say holds to what happened: objects acted on before an error,
// a scan that could not start, a process without an image path, the update line, the catalogue's
// identity, and no second scan after the command line's.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/window_scan.h"
#include "app_test_support.h"
#include "catalogue/catalogue_identity.h"
#include "cli/command_line.h"
#include "scan/scan.h"
#include "scan/scan_report.h"
#include "support/json_reader.h"
#include "support/test_paths.h"
#include "support/traps.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/sha256.h"
#include "system/text_codes.h"
#include "ui/main_form.h"

namespace {

constexpr int kTempOption = 4;  // box 4, "Clear Temp Folder"

// Raises at the first file counted: an error in the middle of a cleaning, after a file went.
class FailingProgress : public ScanProgress {
public:
    void Status(const std::string& text) override {
        if (text.ends_with(": 1 file")) throw std::runtime_error("raised after the first file");
    }
    void Row(const ScanRow&) override {}
};

// The WM_QUIT a command-line end posts must not end a later test's message loop.
void DropQuitMessage() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

std::unique_ptr<JsonValue> ReadJsonReport(const std::wstring& path) {
    bool present = false;
    const std::string bytes = WideFileBytes(path, &present);
    std::string error;
    auto document = present ? ParseJson(bytes, &error) : nullptr;
    EXPECT_TRUE(document) << (present ? error : "no report");
    return document;
}

// Runs a console program of the tests' folder and gives back what it printed.
std::string OutputOf(const std::string& exeName) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE reading = nullptr, writing = nullptr;
    if (!CreatePipe(&reading, &writing, &inherit, 0)) return {};
    UniqueHandle readEnd(reading), writeEnd(writing);
    SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{sizeof(startup)};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writing;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring command = L"\"" + FromAnsi(GetAppFolder() + exeName) + L"\"";
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &info))
        return {};
    UniqueHandle process(info.hProcess), thread(info.hThread);
    writeEnd.reset();
    std::string output;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(reading, buffer, sizeof(buffer), &read, nullptr) && read > 0) output.append(buffer, read);
    WaitForSingleObject(info.hProcess, 60 * 1000);
    return output;
}

// An error in the middle of a cleaning: the file deleted before it is in the record.
TEST(HonestRecord, ObjectsActedOnBeforeAnErrorStayInTheRecord) {
    ScratchFolder scratch("honest-record-temp");
    const std::wstring temp = FromAnsi(scratch.Path()) + L"\\Temp";
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    ASSERT_TRUE(WriteWideFile(temp + L"\\first.tmp", "x"));
    ScopedVariable tmp(L"TMP", temp.c_str());
    ScanChoices choices;
    choices.options[kTempOption] = true;
    FailingProgress progress;

    const ScanOutcome outcome = RunScan(choices, progress);

    EXPECT_EQ(outcome.error, "raised after the first file");
    EXPECT_FALSE(WideFileExists(temp + L"\\first.tmp"));
    ASSERT_EQ(outcome.sections.size(), 1u) << "the cleaning's section is lost with the error";
    ASSERT_EQ(outcome.sections[0].objects.size(), 1u);
    const ActedObject& file = outcome.sections[0].objects[0];
    EXPECT_EQ(file.path, temp + L"\\first.tmp");
    EXPECT_EQ(file.outcome, Outcome::Done);
}

// A process whose image path could not be read is its name and id, with nothing trailing.
TEST(HonestRecord, AProcessWithoutAnImagePathEndsAtItsId) {
    ActedObject process{ObjectKind::Process, Outcome::Done, L"", L"UltraAV.exe", 1234};
    EXPECT_EQ(ObjectText(process), L"UltraAV.exe, id 1234");
    process.path = L"C:\\Program Files\\UltraAV\\UltraAV.exe";
    EXPECT_EQ(ObjectText(process), L"UltraAV.exe, id 1234, C:\\Program Files\\UltraAV\\UltraAV.exe");
}

// The JSON's update line is the text report's line: one line, whatever the server's error held.
TEST(HonestRecord, TheJsonUpdateLineKeepsToOneLine) {
    ScanReport report = NewScanReport();
    report.json = true;
    report.updateCheck = L"Update check: bad answer\r\nExit code: 0\r\n";
    std::string error;
    auto document = ParseJson(ScanReportJson(report), &error);
    ASSERT_TRUE(document) << error;
    EXPECT_EQ((*document)["updateCheck"].text, L"Update check: bad answer  Exit code: 0");
}

// A command-line scan in a window whose Settings page is not there yet cannot start: the report
// says no scan ran, in the mode asked for, at the report's own time.
TEST(HonestRecord, AScanThatCannotStartReportsThatNoneRan) {
    InitControlsOnce();
    ScratchFolder scratch("honest-record-no-start");
    const std::wstring report = FromAnsi(scratch.Path()) + L"\\report.json";
    const CommandLine line =
        ParseCommandLine({L"/scan", L"/detect", L"/noupdate", L"/report", report, L"/format", L"json"});
    ASSERT_EQ(line.error, L"");
    TForm1 form(TForm1::Build::ScanPageFirst);
    int code = 0;
    {
        WindowScanFromCommandLine scan(line, form);
        scan.Start();
        code = scan.End(0);
    }
    DropQuitMessage();
    EXPECT_EQ(code, 4);
    auto document = ReadJsonReport(report);
    ASSERT_TRUE(document);
    const JsonValue& json = *document;
    EXPECT_FALSE(json["scanned"].boolean);
    EXPECT_TRUE(json["detectOnly"].boolean);
    EXPECT_EQ(json["started"].text.rfind(L"20", 0), 0u) << ToUtf8(json["started"].text);
    EXPECT_EQ(json["ended"].text.rfind(L"20", 0), 0u) << ToUtf8(json["ended"].text);
    ASSERT_EQ(json["errors"].items.size(), 1u);
    EXPECT_EQ(json["errors"].items[0].text, L"The scan could not start.");
    EXPECT_EQ(json["exitCode"].number, 4);
}

// Once the command line's scan has ended, a click on the scan picture (while the end waits for the
// update check, say) starts no removal that no report would hold.
TEST(HonestRecord, NoScanStartsAfterTheCommandLinesScan) {
    InitControlsOnce();
    FileBesideProgram noReadMe("ReadMe.txt");
    TForm1 form;
    const CommandLine line =
        ParseCommandLine({L"/scan", L"/noupdate", L"/options", L"none", L"/products", L"Antivirus 360"});
    ASSERT_EQ(line.error, L"");
    WindowScanFromCommandLine scan(line, form);
    scan.Start();
    ASSERT_TRUE(PumpUntil([&] { return !form.Scanning(); }));
    EXPECT_EQ(scan.End(0), 0);
    const bool second = form.StartScan();
    if (second) PumpUntil([&] { return !form.Scanning(); });
    DropQuitMessage();
    EXPECT_FALSE(second) << "a second scan started after the command line's";
}

// The identity a fleet recomputes from the catalogue listing (its lines before the options, each
// ended by a line feed) is the one the program reports.
TEST(HonestRecord, TheCatalogueIdentityIsTheListingsHash) {
    const std::string output = OutputOf("zarvex-catalogue.exe");
    std::string listing;
    size_t lines = 0;
    for (size_t start = 0, end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = output.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("option ", 0) == 0) break;
        listing += line + "\n";
        ++lines;
    }
    ASSERT_GT(lines, 100u) << output.substr(0, 200);
    EXPECT_EQ(Sha256Hex(listing), CatalogueIdentity());
}

}  // namespace
