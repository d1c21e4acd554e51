// The fixed trojan traces that every scan removes, seen through the main window.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "support/planting.h"
#include "support/scan_window.h"
#include "support/test_paths.h"
#include "system/folders.h"
#include "system/handles.h"

namespace {

constexpr COLORREF kRed = 255;
const ScanRows kNothingFound = {{"No malicious software was found.", ""}};
constexpr DWORD kReadOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
constexpr int kClearTempFolder = 4;

std::string SystemFile(const char* name) { return GetSystemFolder() + "\\" + name; }
std::string AppDataFolder() { return GetSpecialFolder(CSIDL_APPDATA) + "\\Microsoft\\Windows"; }
std::string AppDataWinlogon() { return AppDataFolder() + "\\winlogon.exe"; }
std::string TempServices() { return GetTempFolder() + "services.exe"; }
std::string ProgramFilesSetup() { return GetSpecialFolder(CSIDL_PROGRAM_FILES) + "\\XLGSetup.exe"; }

class ScanSweep : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scan.Created()); }
    ScanWindow scan;
};

// Every file row in order. The Temp folder option is off, or it would take the Temp file first.
TEST_F(ScanSweep, ReportsEachFileInOrderAndRemovesTheProgramFilesFileSilently) {
    Planting planting;
    for (const char* name : {"ieupdates.exe", "scui.cpl", "ieexplorer32.exe", "srcss.exe"}) {
        planting.File(SystemFile(name));
    }
    planting.File(ProgramFilesSetup());
    planting.File(AppDataWinlogon(), kReadOnlyHidden);
    planting.File(TempServices());
    scan.TickOption(kClearTempFolder, false);

    scan.ClickScan();

    const ScanRows expected = {
        {"%systemdir%\\ieupdates.exe", "REMOVED"},
        {"%systemdir%\\scui.cpl", "REMOVED"},
        {"%systemdir%\\ieexplorer32.exe", "REMOVED"},
        {"%systemdir%\\srcss.exe", "REMOVED"},
        {"%appdata%\\Microsoft\\Windows\\winlogon.exe", "REMOVED"},
        {"%tempdir%\\services.exe", "REMOVED"},
    };
    EXPECT_EQ(scan.Rows(), expected);
    EXPECT_EQ(scan.TextColour(), kRed);
    for (const char* name : {"ieupdates.exe", "scui.cpl", "ieexplorer32.exe", "srcss.exe"}) {
        EXPECT_FALSE(FileExists(SystemFile(name))) << name;
    }
    EXPECT_FALSE(FileExists(ProgramFilesSetup()));
    EXPECT_FALSE(FileExists(AppDataWinlogon()));
    EXPECT_FALSE(FileExists(TempServices()));
}

struct LoneFile {
    const char* name;
    std::string (*path)();
    DWORD attributes;
    bool clearTemp;
    ScanRows rows;
};

class ScanSweepLoneFile : public ScanSweep, public ::testing::WithParamInterface<LoneFile> {};

TEST_P(ScanSweepLoneFile, IsRemovedWithItsRowOrNone) {
    const LoneFile& file = GetParam();
    Planting planting;
    planting.File(file.path(), file.attributes);
    scan.TickOption(kClearTempFolder, file.clearTemp);

    scan.ClickScan();

    EXPECT_EQ(scan.Rows(), file.rows);
    EXPECT_FALSE(FileExists(file.path()));
}

const LoneFile kLoneFiles[] = {
    {"TempFile", TempServices, FILE_ATTRIBUTE_NORMAL, false, {{"%tempdir%\\services.exe", "REMOVED"}}},
    // The cleaning runs before the sweep and takes the Temp file as any other.
    {"TempFileCleanedFirst", TempServices, FILE_ATTRIBUTE_NORMAL, true, kNothingFound},
    {"ReadOnlyAppDataFile", AppDataWinlogon, kReadOnlyHidden, true,
     {{"%appdata%\\Microsoft\\Windows\\winlogon.exe", "REMOVED"}}},
    {"ProgramFilesFileWithoutRow", ProgramFilesSetup, FILE_ATTRIBUTE_NORMAL, true, kNothingFound},
};

INSTANTIATE_TEST_SUITE_P(Files, ScanSweepLoneFile, ::testing::ValuesIn(kLoneFiles),
                         [](const ::testing::TestParamInfo<LoneFile>& info) { return std::string(info.param.name); });

// A trojan file found but kept must show, not leave the user with an empty list.
TEST_F(ScanSweep, AFileThatCannotBeDeletedIsShownAsAnError) {
    Planting planting;
    planting.File(SystemFile("srcss.exe"));
    UniqueHandle held(ValidOrNull(CreateFileA(SystemFile("srcss.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr)));
    ASSERT_TRUE(held);

    scan.ClickScan();

    EXPECT_EQ(scan.Rows(), (ScanRows{{"%systemdir%\\srcss.exe", "Error on remove"}}));
    EXPECT_EQ(scan.TextColour(), kRed);
    EXPECT_TRUE(FileExists(SystemFile("srcss.exe")));
}

// Only the copies in the fakes' own folders are stopped; the same names elsewhere run on.
TEST_F(ScanSweep, StopsSystemNamedProgramsOnlyInTheFakesFolders) {
    ScratchFolder scratch("scan-sweep");
    Planting planting;
    const WaiterProcess& fakeWinlogon = planting.Process(AppDataFolder(), "winlogon.exe");
    const WaiterProcess& fakeServices = planting.Process(GetTempFolder(), "services.exe");
    const WaiterProcess& otherWinlogon = planting.Process(scratch.Path(), "winlogon.exe");
    const WaiterProcess& otherServices = planting.Process(scratch.Path(), "services.exe");
    for (const WaiterProcess* p : {&fakeWinlogon, &fakeServices, &otherWinlogon, &otherServices}) {
        ASSERT_TRUE(p->Started()) << p->Path();
    }
    scan.TickOption(kClearTempFolder, false);

    scan.ClickScan();

    EXPECT_TRUE(fakeWinlogon.WaitEnded(5000));
    EXPECT_TRUE(fakeServices.WaitEnded(5000));
    EXPECT_TRUE(otherWinlogon.Running());
    EXPECT_TRUE(otherServices.Running());
    EXPECT_EQ(scan.Rows(), (ScanRows{{"%appdata%\\Microsoft\\Windows\\winlogon.exe", "REMOVED"},
                                     {"%tempdir%\\services.exe", "REMOVED"}}));
}

}  // namespace
