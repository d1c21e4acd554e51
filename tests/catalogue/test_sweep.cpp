// The always-run sweep, with its rows read back from a real list view.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "catalogue/sweep.h"
#include "support/planting.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "support/traps.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/processes.h"
#include "system/signature.h"
#include "system/wide_paths.h"

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

std::string SystemFile(const char* name) { return GetSystemFolder() + "\\" + name; }
std::string AppDataFolder() { return GetSpecialFolder(CSIDL_APPDATA) + "\\Microsoft\\Windows"; }
std::string TempServices() { return GetTempFolder() + "services.exe"; }
std::string ProgramFilesSetup() { return GetSpecialFolder(CSIDL_PROGRAM_FILES) + "\\XLGSetup.exe"; }

// The sweep's findings as the scan shows them: label and status.
class Sweep : public ::testing::Test {
protected:
    Rows Run() {
        Rows rows;
        for (const SweepFinding& finding : AlwaysRunSweep())
            rows.emplace_back(finding.label, finding.removed ? "REMOVED" : "Error on remove");
        return rows;
    }
};

TEST_F(Sweep, FindsNothingOnACleanPrefix) {
    EXPECT_TRUE(Run().empty());
}

// Every file found is counted and reported in order; the Program Files file goes without a row.
TEST_F(Sweep, RemovesAndReportsEachFile) {
    Planting planting;
    planting.File(SystemFile("ieupdates.exe"));
    planting.File(SystemFile("scui.cpl"));
    planting.File(SystemFile("ieexplorer32.exe"));
    planting.File(SystemFile("srcss.exe"));
    planting.File(ProgramFilesSetup());
    planting.File(AppDataFolder() + "\\winlogon.exe", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    planting.File(TempServices());
    std::vector<std::pair<HKEY, std::string>> values;
    std::vector<const WaiterProcess*> processes;
    ScratchFolder scratch("sweep");
    for (const SweepStep& step : SweepSteps()) {
        if (step.kind != SweepKind::Removal) continue;
        std::string text = step.removal.kind == StepKind::Wait ? "" : DecodeSignature(step.removal.operand.text);
        HKEY root = step.removal.registry == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        if (step.removal.kind == StepKind::RemoveRunValue) {
            // As the trojan sets it: it starts the trace's file.
            planting.Value(root, text, GetSystemFolder() + DecodeSignature(step.first.text));
            planting.Value(root, SplitValuePath(text).first + "\\zarvex-bystander");
            values.emplace_back(root, text);
        }
        if (step.removal.kind == StepKind::Terminate) processes.push_back(&planting.Process(scratch.Path(), text));
    }
    ASSERT_EQ(values.size(), 4u);
    ASSERT_EQ(processes.size(), 3u);

    const Rows rows = Run();

    const Rows expected = {
        {"%systemdir%\\ieupdates.exe", "REMOVED"},
        {"%systemdir%\\scui.cpl", "REMOVED"},
        {"%systemdir%\\ieexplorer32.exe", "REMOVED"},
        {"%systemdir%\\srcss.exe", "REMOVED"},
        {"%appdata%\\Microsoft\\Windows\\winlogon.exe", "REMOVED"},
        {"%tempdir%\\services.exe", "REMOVED"},
    };
    EXPECT_EQ(rows, expected);
    for (const char* name : {"ieupdates.exe", "scui.cpl", "ieexplorer32.exe", "srcss.exe"}) {
        EXPECT_FALSE(FileExists(SystemFile(name))) << name;
    }
    EXPECT_FALSE(FileExists(ProgramFilesSetup()));
    EXPECT_FALSE(FileExists(AppDataFolder() + "\\winlogon.exe"));
    EXPECT_FALSE(FileExists(TempServices()));
    for (const auto& [root, valuePath] : values) {
        auto [key, name] = SplitValuePath(valuePath);
        EXPECT_FALSE(ValueExists(root, key, name)) << valuePath;
        EXPECT_TRUE(ValueExists(root, key, "zarvex-bystander")) << valuePath;
    }
    for (const WaiterProcess* process : processes) EXPECT_TRUE(process->WaitEnded(5000)) << process->Path();
}

TEST_F(Sweep, TheTempFileAloneGivesOneRow) {
    Planting planting;
    planting.File(TempServices());
    EXPECT_EQ(Run(), (Rows{{"%tempdir%\\services.exe", "REMOVED"}}));
}

// A found file that stays must not vanish from the list: the user would see nothing at all.
TEST_F(Sweep, AFoundFileThatStaysIsShownAsAnError) {
    Planting planting;
    planting.File(TempServices());
    planting.File(SystemFile("srcss.exe"));
    UniqueHandle held(ValidOrNull(CreateFileA(TempServices().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr)));
    ASSERT_TRUE(held);
    EXPECT_EQ(Run(), (Rows{{"%systemdir%\\srcss.exe", "REMOVED"}, {"%tempdir%\\services.exe", "Error on remove"}}));
    EXPECT_TRUE(FileExists(TempServices()));
}

// A file where the rules refuse to look is no trace: with TMP at the system folder, Windows' own
// services.exe is shown as refused and counted as nothing, and stays.
TEST_F(Sweep, AFileWhereTheRulesRefuseToLookIsNoFinding) {
    const std::wstring system = GetSystemFolderW();
    ASSERT_TRUE(FileExists(SystemFile("services.exe")));
    for (const std::wstring& temp : {system, system + L"\\"}) {
        ScopedVariable tmp(L"TMP", temp.c_str());
        ScopedVariable temporary(L"TEMP", temp.c_str());
        ObjectList record;
        EXPECT_TRUE(AlwaysRunSweep({Carry::Remove, &record}).empty());
        EXPECT_TRUE(FileExists(SystemFile("services.exe")));
        bool refused = false;
        for (const ActedObject& object : record.Objects()) {
            if (object.kind == ObjectKind::File && LastPathPart(object.path) == L"services.exe")
                refused = object.outcome == Outcome::Refused;
        }
        EXPECT_TRUE(refused);
    }
}

std::vector<DWORD> ProcessIdsNamed(const char* name) {
    std::vector<DWORD> ids;
    UniqueHandle snapshot(ValidOrNull(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot || !Process32First(snapshot.get(), &entry)) return ids;
    do {
        if (lstrcmpiA(LastPathPart(std::string(entry.szExeFile)).c_str(), name) == 0) ids.push_back(entry.th32ProcessID);
    } while (Process32Next(snapshot.get(), &entry));
    return ids;
}

bool StillRunning(DWORD id) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// The fakes in AppData and Temp are stopped (and their files deleted); a program of the same
// name anywhere else, and Wine's own services.exe, keep running.
TEST_F(Sweep, StopsSystemNamedProgramsOnlyInTheirFakeFolders) {
    std::vector<DWORD> wineServices = ProcessIdsNamed("services.exe");
    ASSERT_FALSE(wineServices.empty()) << "Wine's services.exe should run in the prefix";
    ScratchFolder scratch("sweep");
    Planting planting;
    const WaiterProcess& fakeServices = planting.Process(GetTempFolder(), "services.exe");
    const WaiterProcess& fakeWinlogon = planting.Process(AppDataFolder(), "winlogon.exe");
    const WaiterProcess& otherServices = planting.Process(scratch.Path(), "services.exe");
    const WaiterProcess& otherWinlogon = planting.Process(scratch.Path(), "winlogon.exe");
    for (const WaiterProcess* p : {&fakeServices, &fakeWinlogon, &otherServices, &otherWinlogon}) {
        ASSERT_TRUE(p->Started()) << p->Path();
    }

    const Rows rows = Run();

    EXPECT_TRUE(fakeServices.WaitEnded(5000));
    EXPECT_TRUE(fakeWinlogon.WaitEnded(5000));
    EXPECT_TRUE(otherServices.Running());
    EXPECT_TRUE(otherWinlogon.Running());
    for (DWORD id : wineServices) EXPECT_TRUE(StillRunning(id)) << id;
    EXPECT_EQ(rows, (Rows{{"%appdata%\\Microsoft\\Windows\\winlogon.exe", "REMOVED"},
                                    {"%tempdir%\\services.exe", "REMOVED"}}));
}

}  // namespace
