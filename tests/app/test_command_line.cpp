// Zarvex.exe started from a command line, as a technician's script or a fleet tool starts it:
// the exit code, the report's lines, and no window and no box with /quiet.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "catalogue/catalogue_identity.h"
#include "cli/command_line.h"
#include "cli/command_line_run.h"
#include "scan/scan_report.h"
#include "support/failing_write.h"
#include "support/planting.h"
#include "support/rogue_planting.h"
#include "support/test_paths.h"
#include "support/traps.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/text_codes.h"
#include "ui/main_form.h"

namespace {

// HeldTempFile and ReadOnlySweepFileInTemp point TMP at a folder of the test's own whose name
// the code page cannot spell, holding a file that its step cannot delete.
enum class Plant { Nothing, OneProduct, ProductThatStays, SweepFile, HeldTempFile, ReadOnlySweepFileInTemp };

struct CommandLineCase {
    const char* name;
    Plant plant;
    // "REPORT" stands for the report's path, quoted.
    std::wstring arguments;
    DWORD exitCode;
    // The report's lines after "Switches:" and "Catalogue:", without the objects under "Record:"
    // or "Plan:"; empty: no report file. "<TEMP>" stands for the TMP folder of the Plant.
    std::vector<std::string> reportLines;
    // The one window the program must show: none with /quiet, the main window, or a box.
    const char* window;
    // What the box says.
    const char* boxText = "";
};

// Wine gives every program an administrator's full token: the scans here run elevated.
const char kUsersLine[] = "Users: every user profile (elevated)";

// A name the system code page cannot spell, so only a wide path reaches it.
const std::wstring kReportName = L"report-\u00fc\u4e2d.txt";

std::vector<std::string> LinesOf(const std::string& text, bool* onlyCrLf) {
    std::vector<std::string> lines;
    *onlyCrLf = true;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        if (end == start || text[end - 1] != '\r') *onlyCrLf = false;
        lines.push_back(text.substr(start, end > start ? end - start - 1 : 0));
    }
    if (start != text.size()) *onlyCrLf = false;
    return lines;
}

void DeleteFilesIn(const std::wstring& folder) {
    for (const std::wstring& name : FilesIn(folder)) DeleteFileW((folder + L"\\" + name).c_str());
}

// The report's name is beyond the code page, so the scratch folder's own clean-up cannot reach it.
struct WideFilesGone {
    std::wstring folder;
    ~WideFilesGone() { DeleteFilesIn(folder); }
};

struct WindowsSeen {
    std::vector<std::string> classes;  // of every visible top-level window, once each
    std::vector<std::string> boxTexts;
};

BOOL CALLBACK NoteWindow(HWND window, LPARAM parameter) {
    auto* watch = reinterpret_cast<std::pair<DWORD, WindowsSeen*>*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != watch->first || !IsWindowVisible(window)) return TRUE;
    std::string kind = ClassOf(window);
    WindowsSeen& seen = *watch->second;
    if (std::find(seen.classes.begin(), seen.classes.end(), kind) == seen.classes.end()) seen.classes.push_back(kind);
    if (kind == "#32770") {
        // A box: keep its text and answer it, so that a wrong box cannot hang the test.
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (ClassOf(child) == "Static" && !WindowText(child).empty()) seen.boxTexts.push_back(WindowText(child));
        PostMessageA(window, WM_COMMAND, IDOK, 0);
        Sleep(200);
    }
    return TRUE;
}

// The lines without the block of objects, which tests of their own look at.
std::vector<std::string> WithoutObjects(std::vector<std::string> lines) {
    auto start = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line == "Record:" || line == "Plan:";
    });
    if (start == lines.end()) return lines;
    auto end = std::find_if(start + 1, lines.end(), [](const std::string& line) {
        return line[0] != '\t' && line.rfind("Option: ", 0) != 0 && line.rfind("Sweep: ", 0) != 0 &&
               line.rfind("Product: ", 0) != 0;
    });
    lines.erase(start, end);
    return lines;
}

// Waits for the program to end, noting every window it shows meanwhile.
WindowsSeen WatchUntilEnded(const StartedProgram& program) {
    WindowsSeen seen;
    std::pair<DWORD, WindowsSeen*> watch{program.Id(), &seen};
    for (int round = 0; round < 1200; ++round) {  // a generous limit, not a speed check
        EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&watch));
        if (WaitForSingleObject(program.Process(), 50) == WAIT_OBJECT_0) break;
    }
    return seen;
}

// Its files and itself, by their wide names, which the scratch folder's own clean-up cannot reach.
struct WideFolderGone {
    std::wstring folder;
    ~WideFolderGone() {
        for (const std::wstring& name : FilesIn(folder)) SetFileAttributesW((folder + L"\\" + name).c_str(), 0);
        DeleteFilesIn(folder);
        RemoveDirectoryW(folder.c_str());
    }
};

class CommandLineScan : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineScan, GivesItsExitCodeAndReport) {
    const CommandLineCase& row = GetParam();
    ScratchFolder scratch("command-line");
    const std::wstring folder = FromAnsi(scratch.Path());
    DeleteFilesIn(folder);
    WideFilesGone filesGone{folder};
    const std::wstring report = folder + L"\\" + kReportName;
    std::wstring arguments = row.arguments;
    const std::wstring placeholder = L"REPORT";
    if (size_t at = arguments.find(placeholder); at != std::wstring::npos)
        arguments.replace(at, placeholder.size(), L"\"" + report + L"\"");

    Planting planting;
    UniqueHandle held;
    const std::string sweepFile = GetSystemFolder() + "\\srcss.exe";
    if (row.plant == Plant::OneProduct) PlantDetectedTraces(EntryAtIndex(5), planting);
    if (row.plant == Plant::ProductThatStays) {
        // A file held open by the test outlives the removal.
        PlantDetectedTraces(EntryAtIndex(6), planting);
        const std::string heldFile = ProgramFolderOf(EntryAtIndex(6)) + "\\zarvex-held.dat";
        planting.File(heldFile);
        held.reset(ValidOrNull(
            CreateFileA(heldFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)));
        ASSERT_TRUE(held);
    }
    if (row.plant == Plant::SweepFile) planting.File(sweepFile);
    ScratchFolder tempScratch("command-line-temp");
    const std::wstring temp = FromAnsi(tempScratch.Path()) + L"\\\xFF0E\xFF0E\xFF3C" L"temp";
    WideFolderGone tempGone{temp};
    std::optional<ScopedVariable> tmp;
    UniqueHandle heldTemp;
    if (row.plant == Plant::HeldTempFile || row.plant == Plant::ReadOnlySweepFileInTemp) {
        ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
        tmp.emplace(L"TMP", temp.c_str());
    }
    if (row.plant == Plant::HeldTempFile) {
        ASSERT_TRUE(WriteWideFile(temp + L"\\held.tmp", "x"));
        heldTemp.reset(ValidOrNull(CreateFileW((temp + L"\\held.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, 0, nullptr)));
        ASSERT_TRUE(heldTemp);
    }
    if (row.plant == Plant::ReadOnlySweepFileInTemp) {
        ASSERT_TRUE(WriteWideFile(temp + L"\\services.exe", "x"));
        ASSERT_TRUE(SetFileAttributesW((temp + L"\\services.exe").c_str(), FILE_ATTRIBUTE_READONLY));
    }

    StartedProgram program("Zarvex.exe", arguments);
    ASSERT_TRUE(program.Started());
    WindowsSeen seen = WatchUntilEnded(program);
    ASSERT_TRUE(program.WaitEnded());

    EXPECT_EQ(program.ExitCode(), row.exitCode);
    if (!row.window) {
        EXPECT_TRUE(seen.classes.empty()) << "a window or box showed: " << seen.classes.front();
    } else {
        EXPECT_EQ(seen.classes, std::vector<std::string>{row.window});
        std::string boxText = seen.boxTexts.empty() ? std::string() : seen.boxTexts.front();
        EXPECT_EQ(boxText, row.boxText);
    }
    // A refused command line runs no scan: the sweep's file is still there.
    if (row.plant == Plant::SweepFile) {
        EXPECT_TRUE(FileExists(sweepFile));
    }

    bool present = false;
    bool onlyCrLf = false;
    std::vector<std::string> lines = LinesOf(WideFileBytes(report, &present), &onlyCrLf);
    if (row.reportLines.empty()) {
        EXPECT_FALSE(present);
        EXPECT_TRUE(FilesIn(folder).empty()) << "a temporary file was left";
        return;
    }
    ASSERT_TRUE(present);
    EXPECT_TRUE(onlyCrLf);
    EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{kReportName}) << "a temporary file was left";
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Zarvex " ZARVEX_VERSION_TEXT " report");
    EXPECT_EQ(lines[1].rfind("Date: 20", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("Computer: ", 0), 0u) << lines[2];
    EXPECT_GT(lines[2].size(), 10u);
    EXPECT_EQ(lines[3].rfind("User: ", 0), 0u) << lines[3];
    EXPECT_EQ(lines[4].rfind("Switches: ", 0), 0u) << lines[4];
    // The report's own path, in UTF-8, as it was given.
    EXPECT_NE(lines[4].find("report-\xc3\xbc\xe4\xb8\xad.txt"), std::string::npos) << lines[4];
    EXPECT_EQ(lines[5], "Catalogue: " + CatalogueIdentity());
    std::vector<std::string> expected = row.reportLines;
    const std::string tempHolder = "<TEMP>";
    for (std::string& line : expected)
        if (size_t at = line.find(tempHolder); at != std::string::npos) line.replace(at, tempHolder.size(), ToUtf8(temp));
    EXPECT_EQ(WithoutObjects(std::vector<std::string>(lines.begin() + 6, lines.end())), expected);
}

// Option 5 is "Clear MUICache" and 7 "Clear BHO (Browser Helper Objects)", counted down the
// Settings page, where the tab order puts BHO before the Recycle Bin.
INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineScan,
    ::testing::Values(
        CommandLineCase{"NothingPlanted", Plant::Nothing,
                        L"/scan /quiet /noupdate /options none /products all /report REPORT", 0,
                        {"Mode: removal", "Options: none", "Products: all", kUsersLine, "Results:",
                         "No malicious software was found.\t", "Exit code: 0"},
                        nullptr},
        CommandLineCase{"OneProduct", Plant::OneProduct,
                        L"-SCAN -Quiet /NoUpdate /options 5,7 /products \"ultra antivirus 2009, Antivirus 360\" "
                        L"/report REPORT",
                        1,
                        {"Mode: removal", "Options: Clear MUICache, Clear BHO (Browser Helper Objects)",
                         "Products: Ultra Antivirus 2009, Antivirus 360", kUsersLine, "Results:", "Ultra AV 2009\tREMOVED",
                         "Exit code: 1"},
                        nullptr},
        CommandLineCase{"ProductThatStays", Plant::ProductThatStays,
                        L"/scan /quiet /noupdate /options none /products \"MS Antivirus\" /report REPORT", 2,
                        {"Mode: removal", "Options: none", "Products: MS Antivirus", kUsersLine, "Results:",
                         "(MS) ANTIVIRUS\tError on remove", "Exit code: 2"},
                        nullptr},
        CommandLineCase{"BadSwitch", Plant::SweepFile, L"/scan /quiet /report REPORT /bogus", 3,
                        {"No scan ran.", "Error: Unknown switch \"/bogus\".", "Exit code: 3"}, nullptr},
        CommandLineCase{"BadList", Plant::SweepFile, L"/scan /quiet /noupdate /options 1,8 /report REPORT", 3,
                        {"No scan ran.",
                         "Error: Unknown option \"8\" in /options: give numbers from 1 to 7, separated by commas, "
                         "or none.",
                         "Exit code: 3"},
                        nullptr},
        CommandLineCase{"UnwritableReport", Plant::Nothing,
                        L"/scan /quiet /noupdate /options none /products \"Antivirus 2009\" /report "
                        L"REPORT\\inside-a-file.txt",
                        4, {}, nullptr},
        CommandLineCase{"InTheWindow", Plant::OneProduct,
                        L"/scan /noupdate /options none /products \"Ultra Antivirus 2009\" /report REPORT", 1,
                        {"Mode: removal", "Options: none", "Products: Ultra Antivirus 2009", kUsersLine, "Results:",
                         "Ultra AV 2009\tREMOVED", "Exit code: 1"},
                        "TForm1"},
        CommandLineCase{"DetectOnly", Plant::OneProduct,
                        L"/scan /quiet /detect /noupdate /options none /products \"Ultra Antivirus 2009\" "
                        L"/report REPORT",
                        2,
                        {"Mode: detect only, nothing was changed", "Options: none", "Products: Ultra Antivirus 2009", kUsersLine,
                         "Results:", "Ultra AV 2009\tFound", "Exit code: 2"},
                        nullptr},
        CommandLineCase{"DetectOnlyNothingFound", Plant::Nothing,
                        L"/Detect /scan /quiet /noupdate /options none /products \"Ultra Antivirus 2009\" "
                        L"/report REPORT",
                        0,
                        {"Mode: detect only, nothing was changed", "Options: none", "Products: Ultra Antivirus 2009", kUsersLine,
                         "Results:", "No malicious software was found.\t", "Exit code: 0"},
                        nullptr},
        CommandLineCase{"BadFormat", Plant::SweepFile, L"/scan /quiet /noupdate /report REPORT /format xml", 3,
                        {"No scan ran.", "Error: Unknown format \"xml\" in /format: give text or json.",
                         "Exit code: 3"},
                        nullptr},
        // Elevated (Wine gives every program a full token), /allusers reaches every user's folders.
        CommandLineCase{"AllUsersSaysWhoseFoldersWereCleaned", Plant::Nothing,
                        L"/scan /quiet /noupdate /allusers /options none /products \"Antivirus 360\" /report REPORT", 0,
                        {"Mode: removal", "Options: none", "Products: Antivirus 360", kUsersLine,
                         "Cleaning: every user profile (/allusers)", "Results:", "No malicious software was found.\t",
                         "Exit code: 0"},
                        nullptr},
        CommandLineCase{"FormatWithoutReport", Plant::SweepFile, L"/scan /quiet /noupdate /format json", 3, {},
                        nullptr},
        CommandLineCase{"BadSwitchInABox", Plant::SweepFile, L"/scan /bogus", 3, {}, "#32770",
                        "Unknown switch \"/bogus\".\r\n\r\nZarvex /? lists the switches."},
        // CreateProcess lets an argument hold CR LF: it must not write a line of its own.
        CommandLineCase{"ArgumentWithALineBreak", Plant::SweepFile,
                        L"/scan /quiet /noupdate /report REPORT /options none /products \"Antivirus 2009\r\nExit code: "
                        L"0\r\n\"",
                        3,
                        {"No scan ran.",
                         "Error: Unknown product \"Antivirus 2009  Exit code: 0  \" in /products: give names as the "
                         "Settings page lists them, separated by commas, or all.",
                         "Exit code: 3"},
                        nullptr},
        // With any other switch /? would run nothing the script asked for: a refused command line.
        CommandLineCase{"UsageWithOtherSwitches", Plant::SweepFile, L"/scan /quiet /detect /noupdate /report REPORT /?",
                        3, {"No scan ran.", "Error: /? works only alone.", "Exit code: 3"}, nullptr},
        // A file the cleaning could not delete is a failure: never 0, which reads as clean.
        CommandLineCase{"CleaningThatFails", Plant::HeldTempFile,
                        L"/scan /quiet /noupdate /options 3 /products \"Antivirus 360\" /report REPORT", 4,
                        {"Mode: removal", "Options: Clear Temp Folder", "Products: Antivirus 360",
                         kUsersLine, "Results:",
                         "No malicious software was found.\t", "Exit code: 4"},
                        nullptr},
        // A refused row names the file exactly, not as the code page would spell it ("..\\").
        CommandLineCase{"RefusedRowWithANameBeyondTheCodePage", Plant::ReadOnlySweepFileInTemp,
                        L"/scan /quiet /noupdate /options none /products \"Antivirus 360\" /report REPORT", 2,
                        {"Mode: removal", "Options: none", "Products: Antivirus 360",
                         kUsersLine, "Results:", "%tempdir%\\services.exe\tError on remove", "Refused:",
                         "<TEMP>\\services.exe\tSkipped: read-only", "Exit code: 2"},
                        nullptr}),
    [](const ::testing::TestParamInfo<CommandLineCase>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The arguments as the program's own split gives them back from a command line.
std::vector<std::wstring> SplitAgain(const std::wstring& arguments) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW((L"Zarvex.exe " + arguments).c_str(), &count);
    std::vector<std::wstring> split;
    for (int i = 1; argv && i < count; ++i) split.emplace_back(argv[i]);
    LocalFree(argv);
    return split;
}

// Each argument joined as a command line needs it comes back whole from the program's own split.
TEST(CommandLineText, JoinedArgumentsSplitBackAsGiven) {
    const std::vector<std::wstring> cases[] = {
        {L"/scan", L"/report", L"C:\\Reports\\with blanks\\zarvex.txt"},
        {L"C:\\trailing backslash\\", L"next"},
        {L"C:\\no blanks\\", L"x"},
        {L"say \"hi\"", L"a\\\"b", L"\\\\server\\share", L"\""},
        {L"", L"after an empty one", L"\t"},
        {L"line\r\nbreak", L"form\ffeed", L"\\", L"a\\\\"},
        {L"/products", L"MS Antivirus, Antivirus 2009"},
    };
    for (const std::vector<std::wstring>& arguments : cases) {
        const std::wstring joined = JoinArguments(arguments);
        EXPECT_EQ(SplitAgain(joined), arguments) << ToUtf8(joined);
    }
    EXPECT_EQ(JoinArguments({L"/scan", L"/quiet"}), L"/scan /quiet") << "plain arguments stay as typed";
}

// The "Switches:" line can be typed again: a report path with blanks and a list with blanks come
// back from it as they were given.
TEST(CommandLineScanReport, SwitchesLineCanBeTypedAgain) {
    ScratchFolder scratch("command-line-blanks");
    const std::wstring folder = FromAnsi(scratch.Path()) + L"\\with blanks";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring report = folder + L"\\" + kReportName;
    WideFilesGone filesGone{folder};
    const std::vector<std::wstring> arguments = {L"/scan", L"/quiet", L"/noupdate", L"/options", L"none",
                                                 L"/products", L"MS Antivirus, Antivirus 2009", L"/report", report};
    StartedProgram program("Zarvex.exe", JoinArguments(arguments));
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitEnded());
    EXPECT_EQ(program.ExitCode(), 0u);
    bool present = false, onlyCrLf = false;
    std::vector<std::string> lines = LinesOf(WideFileBytes(report, &present), &onlyCrLf);
    ASSERT_TRUE(present);
    ASSERT_GE(lines.size(), 5u);
    ASSERT_EQ(lines[4].rfind("Switches: ", 0), 0u) << lines[4];
    EXPECT_EQ(SplitAgain(FromUtf8(lines[4].substr(10))), arguments) << lines[4];
}

// A report that cannot be written after a scan in the window: the box says so, the program ends
// with 4, and the report that was there before survives whole, with nothing left beside it.
TEST(CommandLineScanReport, ReportThatCannotBeWrittenAfterTheScanInTheWindowEndsWithFour) {
    ScratchFolder scratch("command-line-unwritable");
    const std::wstring folder = FromAnsi(scratch.Path());
    const std::wstring report = folder + L"\\" + kReportName;
    WideFilesGone filesGone{folder};
    const std::string earlier = "An earlier report, kept whole.\r\n";
    ASSERT_TRUE(WriteWideFile(report, earlier));
    // Held open by a reader that does not let it be deleted, the report cannot be replaced.
    UniqueHandle reader(ValidOrNull(CreateFileW(report.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, 0, nullptr)));
    ASSERT_TRUE(reader);
    StartedProgram program("Zarvex.exe", L"/scan /noupdate /options none /products \"Antivirus 2009\" /report \"" +
                                             report + L"\"");
    ASSERT_TRUE(program.Started());
    WindowsSeen seen = WatchUntilEnded(program);
    ASSERT_TRUE(program.WaitEnded());
    reader.reset();

    EXPECT_EQ(program.ExitCode(), 4u);
    ASSERT_EQ(seen.boxTexts.size(), 1u);
    EXPECT_EQ(seen.boxTexts[0].rfind("The report could not be written to \"", 0), 0u) << seen.boxTexts[0];
    bool present = false;
    EXPECT_EQ(WideFileBytes(report, &present), earlier);
    EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{kReportName}) << "a temporary file was left";
}

// A report write that fails half-way: the earlier report survives whole, none is left where
// there was none, and nothing else is left beside it; the reason names the failure.
TEST(CommandLineScanReport, AReportWriteThatFailsHalfWayLeavesTheEarlierReportWhole) {
    ScratchFolder scratch("command-line-half-way");
    const std::wstring folder = FromAnsi(scratch.Path());
    const std::wstring path = folder + L"\\" + kReportName;
    WideFilesGone filesGone{folder};
    ScanReport report = NewScanReport();
    report.scanned = true;
    for (int i = 0; i < 2000; ++i) report.rows.emplace_back(L"Row " + std::to_wstring(i), L"REMOVED");
    const std::string earlier = "An earlier report, kept whole.\r\n";
    for (bool hadOne : {true, false}) {
        if (hadOne) ASSERT_TRUE(WriteWideFile(path, earlier));
        else ASSERT_TRUE(DeleteFileW(path.c_str()));
        gWriteBudget = ScanReportText(report).size() / 2;
        std::wstring reason;
        EXPECT_FALSE(WriteReportFile(path, report, &reason, WriteThenFail));
        EXPECT_EQ(reason.rfind(L"The report could not be written to \"" + path + L"\": ", 0), 0u) << ToUtf8(reason);
        bool present = false;
        const std::string left = WideFileBytes(path, &present);
        EXPECT_EQ(present, hadOne);
        if (hadOne) {
            EXPECT_EQ(left, earlier);
        }
        EXPECT_EQ(FilesIn(folder), hadOne ? std::vector<std::wstring>{kReportName} : std::vector<std::wstring>{});
    }
    std::wstring reason;
    ASSERT_TRUE(WriteReportFile(path, report, &reason)) << ToUtf8(reason);
    bool present = false;
    EXPECT_EQ(WideFileBytes(path, &present), ScanReportText(report));
}

// A write step that, before it writes, marks the file read-only, as another program might.
BOOL WINAPI MarkReadOnlyThenWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_READONLY;
    SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic));
    return WriteFile(file, data, size, written, overlapped);
}

// A rename over a report that cannot be replaced fails: the temporary file goes all the same,
// read-only or not, and the earlier report stays whole.
TEST(CommandLineScanReport, ARenameThatFailsLeavesNoTemporaryFile) {
    ScratchFolder scratch("command-line-rename-fails");
    const std::wstring folder = FromAnsi(scratch.Path());
    const std::wstring path = folder + L"\\" + kReportName;
    WideFilesGone filesGone{folder};
    const std::string earlier = "An earlier report, kept whole.\r\n";
    ASSERT_TRUE(WriteWideFile(path, earlier));
    ScanReport report = NewScanReport();
    for (auto write : {static_cast<FileWriteStep>(WriteFile), static_cast<FileWriteStep>(MarkReadOnlyThenWrite)}) {
        // Held by a reader that does not let it be deleted, the report cannot be replaced.
        UniqueHandle reader(ValidOrNull(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_EXISTING, 0, nullptr)));
        ASSERT_TRUE(reader);
        std::wstring reason;
        EXPECT_FALSE(WriteReportFile(path, report, &reason, write));
        reader.reset();
        for (const std::wstring& name : FilesIn(folder)) SetFileAttributesW((folder + L"\\" + name).c_str(), 0);
        EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{kReportName}) << "a temporary file was left";
        EXPECT_EQ(WideFileBytes(path), earlier);
    }
}

// A report path near MAX_PATH: the temporary name beside it is longer still, and must work too.
TEST(CommandLineScanReport, AReportPathNearTheLimitIsWritten) {
    ScratchFolder scratch("command-line-long-path");
    const std::wstring folder = FromAnsi(scratch.Path());
    WideFilesGone filesGone{folder};
    const std::wstring report = folder + L"\\" + std::wstring(MAX_PATH - 6 - folder.size(), L'r') + L".txt";
    ASSERT_LT(report.size(), static_cast<size_t>(MAX_PATH));
    StartedProgram program("Zarvex.exe", L"/scan /quiet /noupdate /options none /products \"Antivirus 2009\" "
                                         L"/report \"" + report + L"\"");
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitEnded());
    EXPECT_EQ(program.ExitCode(), 0u);
    bool present = false, onlyCrLf = false;
    const std::vector<std::string> lines = LinesOf(WideFileBytes(report, &present), &onlyCrLf);
    ASSERT_TRUE(present);
    EXPECT_EQ(lines.back(), "Exit code: 0");
    EXPECT_EQ(FilesIn(folder).size(), 1u) << "a temporary file was left";
}

// Closing the window during /scan lets the removal in progress finish, then ends: the products
// not reached are unknown, so the code is 4, never a success, and the report says why.
TEST(CommandLineScanStopped, ClosingTheWindowMidScanEndsWithCodeFourAndTheRowsSoFar) {
    ScratchFolder scratch("command-line-stopped");
    const std::wstring report = FromAnsi(scratch.Path()) + L"\\report.txt";
    Planting planting;
    std::vector<const WaiterProcess*> ultra = PlantDetectedTraces(EntryAtIndex(5), planting);
    PlantDetectedTraces(EntryAtIndex(6), planting);
    ASSERT_FALSE(ultra.empty());
    StartedProgram program("Zarvex.exe", L"/scan /noupdate /options none /products \"Ultra Antivirus 2009,MS "
                                         L"Antivirus\" /report \"" + report + L"\"");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("TForm1");
    ASSERT_NE(main, nullptr);
    // Its program stopped is the first step of its removal, which then waits a second or two.
    ASSERT_TRUE(ultra.front()->WaitEnded(30000));
    PostMessageA(main, WM_CLOSE, 0, 0);

    ASSERT_TRUE(program.WaitEnded());
    EXPECT_EQ(program.ExitCode(), 4u);
    EXPECT_TRUE(FolderExists(ProgramFolderOf(EntryAtIndex(6)))) << "the product after the close was not reached";
    bool present = false;
    bool onlyCrLf = false;
    std::vector<std::string> lines = LinesOf(WideFileBytes(report, &present), &onlyCrLf);
    ASSERT_TRUE(present);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(WithoutObjects(std::vector<std::string>(lines.begin() + 6, lines.end())),
              (std::vector<std::string>{"Mode: removal", "Options: none",
                                        "Products: Ultra Antivirus 2009, MS Antivirus", kUsersLine, "Results:",
                                        "Ultra AV 2009\tREMOVED", "Error: The scan was stopped before its end.",
                                        "Exit code: 4"}));
}

// The status bar text of another process's window.
std::string StatusText(HWND status) {
    char text[256] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(status, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &length);
    return text;
}

BOOL CALLBACK FindStatusBar(HWND child, LPARAM found) {
    if (GetDlgCtrlID(child) != kStatusBar1Id) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// Closing the window while a Temp folder of 20,000 files is cleaned ends the cleaning between two
// files: the program ends with code 4 long before the folder is empty, and its record names
// exactly the files that went. The status bar counts the files meanwhile.
TEST(CommandLineScanStopped, ClosingDuringTheCleaningOfALargeFolderStopsBetweenTwoFiles) {
    constexpr int kFiles = 20000;
    ScratchFolder scratch("command-line-large-temp");
    const std::wstring temp = FromAnsi(scratch.Path()) + L"\\Temp";
    ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
    for (int i = 0; i < kFiles; ++i) ASSERT_TRUE(WriteWideFile(temp + L"\\f" + std::to_wstring(i) + L".tmp", "x"));
    const std::wstring report = FromAnsi(scratch.Path()) + L"\\report.txt";
    ScopedVariable tmp(L"TMP", temp.c_str());
    StartedProgram program("Zarvex.exe", L"/scan /noupdate /options 3 /products \"Antivirus 360\" /report \"" +
                                             report + L"\"");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("TForm1");
    ASSERT_NE(main, nullptr);
    HWND status = nullptr;
    EnumChildWindows(main, FindStatusBar, reinterpret_cast<LPARAM>(&status));
    ASSERT_NE(status, nullptr);
    // Closed once some files went: "Cleaning the Temp folder: 0 files" comes before the first.
    const std::string counting = "Cleaning the Temp folder: ";
    auto started = [&counting](const std::string& text) {
        return text.rfind(counting, 0) == 0 && text != counting + "0 files";
    };
    std::string seen;
    for (int round = 0; round < 3000 && !started(seen); ++round) {  // a generous limit
        seen = StatusText(status);
        if (!started(seen)) Sleep(10);
    }
    ASSERT_TRUE(started(seen)) << seen;
    EXPECT_TRUE(seen.ends_with(" file") || seen.ends_with(" files")) << seen;
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitEnded());
    EXPECT_EQ(program.ExitCode(), 4u);

    int left = 0;
    for (int i = 0; i < kFiles; ++i) left += WideFileExists(temp + L"\\f" + std::to_wstring(i) + L".tmp") ? 1 : 0;
    EXPECT_GT(left, 0) << "the whole folder was cleaned before the close was heeded";
    bool present = false;
    bool onlyCrLf = false;
    std::vector<std::string> lines = LinesOf(WideFileBytes(report, &present), &onlyCrLf);
    ASSERT_TRUE(present);
    int deleted = 0;
    auto option = std::find(lines.begin(), lines.end(), "Option: Clear Temp Folder");
    ASSERT_NE(option, lines.end());
    for (auto line = option + 1; line != lines.end() && (*line)[0] == '\t'; ++line) {
        EXPECT_EQ(line->rfind("\tfile\t", 0), 0u) << *line;
        EXPECT_TRUE(line->ends_with("\tdeleted")) << *line;
        const std::string path = line->substr(6, line->rfind('\t') - 6);
        EXPECT_FALSE(WideFileExists(FromAnsi(path))) << path;
        ++deleted;
    }
    EXPECT_GT(deleted, 0);
    EXPECT_EQ(deleted + left, kFiles);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Error: The scan was stopped before its end."), lines.end());
}

// "Exit" while the last ticked product is being removed: that removal ends and the scan with it,
// so the program ends with the scan's own code, as its report says, never 0.
TEST(CommandLineScanStopped, ExitDuringTheLastRemovalEndsWithTheScansCode) {
    ScratchFolder scratch("command-line-exit");
    const std::wstring report = FromAnsi(scratch.Path()) + L"\\report.txt";
    Planting planting;
    std::vector<const WaiterProcess*> ultra = PlantDetectedTraces(EntryAtIndex(5), planting);
    ASSERT_FALSE(ultra.empty());
    StartedProgram program("Zarvex.exe", L"/scan /noupdate /options none /products \"Ultra Antivirus 2009\" "
                                         L"/report \"" + report + L"\"");
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("TForm1");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(ultra.front()->WaitEnded(30000));
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kExit1Id, 0), 0);

    ASSERT_TRUE(program.WaitEnded());
    EXPECT_EQ(program.ExitCode(), 1u);
    bool present = false;
    bool onlyCrLf = false;
    std::vector<std::string> lines = LinesOf(WideFileBytes(report, &present), &onlyCrLf);
    ASSERT_TRUE(present);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Exit code: 1");
}

// The program ends without a word under a debugger; a script must not read that as "nothing found".
TEST(CommandLineScanStopped, UnderADebuggerEndsWithCodeFour) {
    StartedProgram program("Zarvex.exe", L"/scan /quiet /noupdate /options none", DEBUG_ONLY_THIS_PROCESS);
    ASSERT_TRUE(program.Started());
    DWORD exitCode = STILL_ACTIVE;
    for (int round = 0; round < 600 && exitCode == STILL_ACTIVE; ++round) {  // a generous limit
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 100)) continue;
        DWORD status = DBG_CONTINUE;
        if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
            event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
            status = DBG_EXCEPTION_NOT_HANDLED;
        if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT && event.u.CreateProcessInfo.hFile)
            CloseHandle(event.u.CreateProcessInfo.hFile);
        if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT && event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) exitCode = event.u.ExitProcess.dwExitCode;
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    if (exitCode == STILL_ACTIVE) DebugActiveProcessStop(program.Id());
    EXPECT_EQ(exitCode, 4u);
}

}  // namespace
