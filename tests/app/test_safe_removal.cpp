// Removal that stays inside its targets, through the real Zarvex.exe as a fleet tool or a user runs
// it: a TMP that names a folder of the user's data empties nothing; Windows' own services.exe is
// no trace; an uninstaller of the product's name laid anywhere but in its folder never starts; a
// Run value that starts another program stays, and the product then cannot read "REMOVED".
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "catalogue/rogue_routines.h"
#include "support/planting.h"
#include "support/rogue_planting.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "support/traps.h"
#include "system/folders.h"
#include "system/registro.h"
#include "system/text_codes.h"

namespace {

constexpr int kUltra = 5;             // check-list index of Ultra Antivirus 2009
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

// TMP at a folder of the user's own data: the Temp option refuses it and its file stays.
TEST(SafeRemoval, ATempThatNamesTheUsersDataIsRefused) {
    ScratchFolder scratch("safe-temp");
    const std::string profile = GetSpecialFolder(CSIDL_PROFILE);
    struct Case {
        const char* name;
        std::string folder;
        const char* file;
    };
    const Case cases[] = {
        {"the SSH keys", profile + "\\.ssh", "id_ed25519"},
        {"AppData\\Roaming itself", profile + "\\AppData\\Roaming", "zarvex-settings.ini"},
        {"a sync folder not named OneDrive", profile + "\\OneDrive - Contoso", "report.docx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Planting planting;
        planting.BareFolder(c.folder);
        planting.File(c.folder + "\\" + c.file);
        const std::wstring temp = FromAnsi(c.folder);
        QuietRun run;
        {
            ScopedVariable tmp(L"TMP", temp.c_str());
            ScopedVariable temporary(L"TEMP", temp.c_str());
            run = RunQuiet(scratch, L"/options 3 /products \"Antivirus 360\"", "report.txt");
        }
        EXPECT_EQ(run.exitCode, 0u) << run.report;
        EXPECT_TRUE(FileExists(c.folder + "\\" + c.file));
        const std::vector<std::string> lines = Lines(run.report);
        EXPECT_TRUE(HasLine(lines, "Clear Temp Folder\tSkipped: not the Temp folder of the user's profile")) << run.report;
    }
}

// A Temp folder that cannot be opened (here a link to itself, which the system cannot resolve) is
// a failure in the record, with the system's reason, never "not found".
TEST(SafeRemoval, ATempThatCannotBeOpenedIsAFailure) {
    ASSERT_TRUE(TrapsLaid()) << kTrapsNotLaid;
    ScratchFolder scratch("safe-failure");
    const std::wstring loop = kTraps + L"\\link-loop";
    QuietRun run;
    {
        ScopedVariable tmp(L"TMP", loop.c_str());
        ScopedVariable temporary(L"TEMP", loop.c_str());
        run = RunQuiet(scratch, L"/options 3 /products \"Antivirus 360\"", "report.txt");
    }
    // Something failed: the exit code says so.
    EXPECT_EQ(run.exitCode, 4u) << run.report;
    const std::vector<std::string> lines = Lines(run.report);
    EXPECT_TRUE(HasLineStarting(lines, "\tfolder\t" + ToAnsi(loop) + "\tfailed: ")) << run.report;
    EXPECT_FALSE(HasLine(lines, "\tfolder\t" + ToAnsi(loop) + "\tnot found")) << run.report;
}

// With TMP at the system folder, the sweep's Temp trace would be Windows' own services.exe: refused,
// shown, not found, and the exit code says nothing was found.
TEST(SafeRemoval, TheSystemsOwnServicesIsNoTrace) {
    ScratchFolder scratch("safe-sweep");
    const std::wstring system = GetSystemFolderW();
    QuietRun run;
    {
        ScopedVariable tmp(L"TMP", system.c_str());
        ScopedVariable temporary(L"TEMP", system.c_str());
        run = RunQuiet(scratch, L"/options none /products \"Antivirus 360\"", "report.txt");
    }
    EXPECT_EQ(run.exitCode, 0u) << run.report;
    EXPECT_TRUE(FileExists(GetSystemFolder() + "\\services.exe"));
    const std::vector<std::string> lines = Lines(run.report);
    EXPECT_FALSE(HasLineStarting(lines, "%tempdir%\\services.exe")) << run.report;
    EXPECT_TRUE(HasLine(lines, "No malicious software was found.\t")) << run.report;
    EXPECT_TRUE(HasLine(lines, ToAnsi(system) + "\\services.exe\tSkipped: " + kRefusedSettableRoot)) << run.report;
}

// The product is found by its running program alone; its uninstaller's name laid beside Zarvex.exe
// (a download folder) and in the current folder is never started: the uninstaller starts only
// from the product's folder in Program Files, which is not there. Plan and record say the same.
TEST(SafeRemoval, AnUninstallerLaidOutsideTheProductsFolderNeverStarts) {
    ScratchFolder scratch("safe-uninstaller");
    const std::string recorder = WideFileBytes(FromAnsi(GetAppFolder()) + L"zarvex-recorder.exe");
    ASSERT_FALSE(recorder.empty());
    FileBesideProgram beside("vrl_uninstall.exe", recorder);
    const std::string current = scratch.Path() + "\\vrl_uninstall.exe";
    ASSERT_TRUE(WriteFileBytes(current, recorder));
    Planting planting;
    const WaiterProcess& product = planting.Process(scratch.Path(), "VRLab.exe");
    ASSERT_TRUE(product.Started());
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryA(scratch.Path().c_str());
    const std::wstring switches = L"/options none /products \"Virus Response Lab 2009\"";
    const QuietRun plan = RunQuiet(scratch, L"/detect " + switches, "plan.txt");
    const QuietRun removal = RunQuiet(scratch, switches, "record.txt");
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(plan.exitCode, 2u);
    EXPECT_EQ(removal.exitCode, 1u) << removal.report;
    Sleep(1000);
    EXPECT_FALSE(FileExists(beside.Path() + ".started"));
    EXPECT_FALSE(FileExists(current + ".started"));
    DeleteFileA((beside.Path() + ".started").c_str());
    // Both name the uninstaller by its full path in the product's folder, not there.
    const std::string expected = "\tprogram\t" + GetSpecialFolder(CSIDL_PROGRAM_FILES) +
                                 "\\Virus Response Lab 2009\\vrl_uninstall.exe\tnot found";
    EXPECT_TRUE(HasLine(Lines(plan.report), expected)) << plan.report;
    EXPECT_TRUE(HasLine(Lines(removal.report), expected)) << removal.report;
}

// A Run value of the product's name that starts another program stays and is shown; the product
// then reads "Error on remove". One that starts the product goes.
TEST(SafeRemoval, ARunValueGoesOnlyWhenItStartsTheProduct) {
    ScratchFolder scratch("safe-run");
    const RogueEntry& entry = EntryAtIndex(kUltra);
    struct Case {
        const char* name;
        std::string data;
        bool removed;
    };
    const Case cases[] = {
        {"another program", "\"C:\\Program Files\\Backup\\backup.exe\" /quiet", false},
        {"the product", RunValueData(entry), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Planting planting;
        PlantDetectedTraces(entry, planting);
        planting.Value(HKEY_CURRENT_USER, std::string(kRunKey) + "\\AntivirusSystem", c.data);
        const QuietRun run = RunQuiet(scratch, L"/options none /products \"Ultra Antivirus 2009\"", "report.txt");
        EXPECT_EQ(ValueExists(HKEY_CURRENT_USER, kRunKey, "AntivirusSystem"), !c.removed);
        const std::vector<std::string> lines = Lines(run.report);
        EXPECT_EQ(run.exitCode, c.removed ? 1u : 2u) << run.report;
        EXPECT_TRUE(HasLine(lines, std::string("Ultra AV 2009\t") + (c.removed ? "REMOVED" : "Error on remove")))
            << run.report;
        EXPECT_EQ(HasLine(lines, std::string("Ultra AV 2009: HKCU\\") + kRunKey + "\tSkipped: " + kRefusedOtherProgram),
                  !c.removed)
            << run.report;
    }
}

}  // namespace
