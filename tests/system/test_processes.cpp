#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <memory>
#include <string>
#include <vector>

#include "support/test_handles.h"
#include "support/test_paths.h"
#include "support/test_process.h"
#include "system/folders.h"
#include "system/process_names.h"
#include "system/processes.h"
#include "system/text_codes.h"

namespace {

// Everyone may query, read and wait on the process, but nobody outside may terminate it.
const char* const kNoTerminateSddl = "D:(A;;0x101410;;;WD)";

// Ids of the processes with this exact szExeFile, in snapshot order, read with the statically
// linked tool-help functions as an independent view.
std::vector<DWORD> SnapshotIds(const std::string& exeFile) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeFile.c_str()) == 0) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

class ProcessesTest : public ::testing::Test {
protected:
    ScratchFolder scratch_{"processes"};

    std::string Folder(const std::string& sub) const { return scratch_.Path() + "\\" + sub; }
};

}  // namespace

TEST(ProcessNames, NamePartFollowsLastSeparator) {
    struct Case { const char* exeFile; const char* part; };
    const Case cases[] = {
        {"zvx.exe", "zvx.exe"},
        {"C:\\Rogue\\zvx.exe", "zvx.exe"},
        {"C:zvx.exe", "zvx.exe"},
        {"C:\\a:b\\c:zvx.exe", "zvx.exe"},
        {"C:\\Rogue\\", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ExeNamePart(c.exeFile), c.part) << c.exeFile;
}

TEST(ProcessNames, UpperCasingFoldsAsciiLettersOnly) {
    EXPECT_EQ(UpperAscii(std::string("azAZ09`{@[.\xE9\xFF")), "AZAZ09`{@[.\xE9\xFF");
}

// szExeFile holds only the file name on Wine; the full-path rows stand for systems that give the path.
TEST(ProcessNames, MatchesNamePartOrWholeText) {
    struct Case { const char* exeFile; const char* name; bool matches; };
    const Case cases[] = {
        {"zvx.exe", "zvx.exe", true},
        {"zvx.exe", "ZVX.EXE", true},
        {"ZvX.ExE", "zVx.eXe", true},
        {"C:\\Rogue\\zvx.exe", "zvx.exe", true},
        {"C:\\Rogue\\zvx.exe", "c:\\ROGUE\\ZVX.EXE", true},
        {"C:zvx.exe", "zvx.exe", true},
        {"zvx.exe", "C:\\Rogue\\zvx.exe", false},
        {"C:\\Other\\zvx.exe", "C:\\Rogue\\zvx.exe", false},
        {"zvx\xE9.exe", "ZVX\xE9.EXE", true},
        {"zvx\xE9.exe", "ZVX\xC9.EXE", false},
        {"zvx.exe", "zvx", false},
        {"xzvx.exe", "zvx.exe", false},
        {"zvx.exe", "", false},
        {"", "", false},
        {"C:\\Rogue\\", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExeNameMatches(c.exeFile, c.name), c.matches) << c.exeFile << " / " << c.name;
    }
}

TEST_F(ProcessesTest, LooksUpByNameWithEachOperationsFolding) {
    WaiterProcess plain(Folder("a"), "zvxwaiter.exe");
    WaiterProcess accented(Folder("a"), "zvx\xE9waiter.exe");
    ASSERT_TRUE(plain.Started() && accented.Started());

    struct Case { std::string name; bool running; DWORD id; DWORD byPathId; };
    const Case cases[] = {
        {"zvxwaiter.exe", true, plain.Id(), plain.Id()},
        {"ZVXWAITER.EXE", true, plain.Id(), plain.Id()},
        {"ZvxWaiter.Exe", true, plain.Id(), plain.Id()},
        {"zvx\xE9waiter.exe", true, accented.Id(), accented.Id()},
        // Only lstrcmpiA folds letters outside ASCII.
        {"ZVX\xC9WAITER.EXE", false, accented.Id(), 0},
        // szExeFile is the bare name here, so a folder-qualified name matches nothing.
        {plain.Path(), false, 0, 0},
        {"zvxwaiter", false, 0, 0},
        {"waiter.exe", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProcessIsRunning(c.name), c.running);
        EXPECT_EQ(FindProcessId(c.name), c.id);
        EXPECT_EQ(FindProcessIdByPath(c.name, scratch_.Path()), c.byPathId);
    }
}

TEST_F(ProcessesTest, ImagePathIsTheFullWin32Path) {
    WaiterProcess waiter(Folder("a"), "zvxwaiter.exe");
    ASSERT_TRUE(waiter.Started());
    EXPECT_EQ(GetProcessImagePath(waiter.Id()), waiter.Path());
    EXPECT_EQ(GetProcessImagePath(GetCurrentProcessId()), GetAppFolder() + "test_system.exe");
    EXPECT_EQ(GetProcessImagePath(0), "");
}

// A process whose modules cannot be read (here: not started yet; on 64-bit Windows: a 64-bit
// process) still gives its path through the kernel's image name.
TEST_F(ProcessesTest, ImagePathWhenModulesCannotBeRead) {
    WaiterProcess suspended(Folder("s"), "zvxsleeper.exe", CREATE_SUSPENDED, "");
    ASSERT_TRUE(suspended.Started());
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, suspended.Id());
    ASSERT_NE(process, nullptr);
    char buffer[MAX_PATH] = {};
    DWORD read = GetModuleFileNameExA(process, nullptr, buffer, MAX_PATH);
    CloseHandle(process);
    if (read > 0) GTEST_SKIP() << "this system reads the modules of a process that has not started";

    EXPECT_EQ(GetProcessImagePath(suspended.Id()), suspended.Path());
    EXPECT_EQ(FindProcessIdByPath("zvxsleeper.exe", "\\s\\zvxsleeper"), suspended.Id());
}

TEST_F(ProcessesTest, SeveralCopiesOfOneName) {
    std::vector<std::unique_ptr<WaiterProcess>> copies;
    for (const char* sub : {"1", "2", "3"}) {
        copies.push_back(std::make_unique<WaiterProcess>(Folder(sub), "zvxmulti.exe"));
        ASSERT_TRUE(copies.back()->Started());
    }
    std::vector<DWORD> order = SnapshotIds("zvxmulti.exe");
    ASSERT_EQ(order.size(), 3u);
    const DWORD last = order.back();

    EXPECT_TRUE(ProcessIsRunning("zvxmulti.exe"));
    EXPECT_EQ(FindProcessId("ZVXMULTI.EXE"), last);

    std::string upperFolder = scratch_.Path();
    CharUpperBuffA(upperFolder.data(), static_cast<DWORD>(upperFolder.size()));
    ASSERT_NE(upperFolder, scratch_.Path());
    struct Case { std::string pathText; DWORD id; };
    const Case cases[] = {
        {scratch_.Path(), last},
        {"\\2\\zvxmulti.exe", copies[1]->Id()},
        {"\\1\\", copies[0]->Id()},
        {"\\9\\", 0},
        {upperFolder, 0},  // the search is case-sensitive
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(FindProcessIdByPath("zvxmulti.exe", c.pathText), c.id) << c.pathText;

    EXPECT_TRUE(KillProcessByName("ZvxMulti.exe"));
    for (const auto& copy : copies) EXPECT_TRUE(copy->WaitEnded(5000)) << copy->Path();
    EXPECT_FALSE(ProcessIsRunning("zvxmulti.exe"));
    EXPECT_EQ(FindProcessId("zvxmulti.exe"), 0u);
}

TEST_F(ProcessesTest, KillByNameTakesNamesDifferingInAsciiCase) {
    WaiterProcess lower(Folder("a"), "zvxwaiter.exe");
    WaiterProcess mixed(Folder("b"), "ZvxWaiter.EXE");
    WaiterProcess accented(Folder("c"), "zvx\xE9waiter.exe");
    WaiterProcess bystander(Folder("d"), "zvxother.exe");
    ASSERT_TRUE(lower.Started() && mixed.Started() && accented.Started() && bystander.Started());

    EXPECT_FALSE(KillProcessByName("ZVX\xC9WAITER.EXE"));
    EXPECT_FALSE(KillProcessByName(""));
    EXPECT_FALSE(KillProcessByName(lower.Path()));
    EXPECT_TRUE(lower.Running() && mixed.Running() && accented.Running());

    EXPECT_TRUE(KillProcessByName("ZVXWAITER.exe"));
    EXPECT_TRUE(lower.WaitEnded(5000));
    EXPECT_TRUE(mixed.WaitEnded(5000));
    EXPECT_TRUE(accented.Running());
    EXPECT_TRUE(bystander.Running());
    EXPECT_FALSE(KillProcessByName("zvxwaiter.exe"));

    EXPECT_TRUE(KillProcessByName("zvx\xE9WAITER.EXE"));
    EXPECT_TRUE(accented.WaitEnded(5000));
    EXPECT_TRUE(bystander.Running());
}

// The result is the outcome of the last matching process in snapshot order, whatever came before.
TEST_F(ProcessesTest, KillByNameReportsTheLastAttempt) {
    for (bool guardedFirst : {false, true}) {
        SCOPED_TRACE(guardedFirst ? "guarded started first" : "guarded started last");
        std::unique_ptr<WaiterProcess> open, guarded;
        if (guardedFirst) guarded = std::make_unique<WaiterProcess>(Folder("g"), "zvxguard.exe", 0, kNoTerminateSddl);
        open = std::make_unique<WaiterProcess>(Folder("o"), "zvxguard.exe");
        if (!guardedFirst) guarded = std::make_unique<WaiterProcess>(Folder("g"), "zvxguard.exe", 0, kNoTerminateSddl);
        ASSERT_TRUE(open->Started() && guarded->Started());
        HANDLE refused = OpenProcess(PROCESS_TERMINATE, FALSE, guarded->Id());
        if (refused) {
            CloseHandle(refused);
            GTEST_SKIP() << "this system lets the owner terminate a process whose DACL refuses it";
        }
        std::vector<DWORD> order = SnapshotIds("zvxguard.exe");
        ASSERT_EQ(order.size(), 2u);

        EXPECT_EQ(KillProcessByName("zvxguard.exe"), order.back() == open->Id());
        EXPECT_TRUE(open->WaitEnded(5000));
        EXPECT_TRUE(guarded->Running());
        EXPECT_FALSE(KillProcessByName("zvxguard.exe"));

        KillProcessById(guarded->Id());
        EXPECT_TRUE(guarded->Running());
    }
}

TEST_F(ProcessesTest, KillByIdEndsOnlyThatProcess) {
    WaiterProcess first(Folder("1"), "zvxwaiter.exe");
    WaiterProcess second(Folder("2"), "zvxwaiter.exe");
    ASSERT_TRUE(first.Started() && second.Started());

    KillProcessById(0);
    EXPECT_TRUE(first.Running() && second.Running());

    KillProcessById(first.Id());
    EXPECT_TRUE(first.WaitEnded(5000));
    EXPECT_TRUE(second.Running());
    EXPECT_EQ(FindProcessId("zvxwaiter.exe"), second.Id());

    KillProcessById(first.Id());  // already gone: nothing happens
    EXPECT_TRUE(second.Running());
}

TEST(HandleMark, NoticesALeakedHandle) {
    DWORD before = HandleMark();
    HANDLE leaked = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD during = HandleMark();
    CloseHandle(leaked);
    EXPECT_NE(before, during);
    EXPECT_EQ(HandleMark(), before);
}

TEST_F(ProcessesTest, LeavesNoHandleOpen) {
    WaiterProcess waiter(Folder("a"), "zvxwaiter.exe");
    WaiterProcess guarded(Folder("g"), "zvxguard.exe", 0, kNoTerminateSddl);
    WaiterProcess suspended(Folder("s"), "zvxsleeper.exe", CREATE_SUSPENDED, "");
    std::vector<std::unique_ptr<WaiterProcess>> victims;
    for (const char* sub : {"v1", "v2", "v3"}) {
        victims.push_back(std::make_unique<WaiterProcess>(Folder(sub), "zvxvictim.exe"));
    }
    ASSERT_TRUE(waiter.Started() && guarded.Started() && suspended.Started());
    // First use loads PSAPI and fills the entry-point tables, which stay.
    GetProcessImagePath(waiter.Id());
    ProcessIsRunning("zvxwaiter.exe");

    DWORD before = HandleMark();
    for (int i = 0; i < 20; ++i) {
        ProcessIsRunning("zvxwaiter.exe");
        FindProcessId("zvxwaiter.exe");
        GetProcessImagePath(waiter.Id());
        GetProcessImagePath(suspended.Id());
        GetProcessImagePath(0);
        FindProcessIdByPath("zvxwaiter.exe", scratch_.Path());
        FindProcessIdByPath("zvxsleeper.exe", scratch_.Path());
        KillProcessByName("zvxguard.exe");
        KillProcessByName("zvxnobody.exe");
        KillProcessById(guarded.Id());
        KillProcessById(0);
    }
    EXPECT_TRUE(KillProcessByName("zvxvictim.exe"));
    for (const auto& victim : victims) EXPECT_TRUE(victim->WaitEnded(5000));
    EXPECT_EQ(HandleMark(), before);
}

// A phase's list can outlive a process: its id may pass to another program before a kill acts on
// the list. Waiting for the system to hand a freed id on cannot be staged (Wine does not), so the
// list is given: an entry that carries a running bystander's id under another name. Each kill
// checks the name through the handle it ends with, so the bystander is left alone; the same entry
// under the bystander's own name shows that the kill would have ended it.
TEST_F(ProcessesTest, KillsFromAnOldListLeaveAProcessThatTookTheListedId) {
    WaiterProcess bystander(Folder("heir"), "zvxheir.exe");
    ASSERT_TRUE(bystander.Started());
    {
        ProcessListScope phase({{"zvxlisted.exe", bystander.Id()}});
        EXPECT_TRUE(ProcessIsRunning("zvxlisted.exe"));  // the phase answers from the given list
        EXPECT_FALSE(KillProcessByName("zvxlisted.exe"));
        EXPECT_TRUE(bystander.Running());
    }
    {
        ProcessListScope phase({{"zvxlisted.exe", bystander.Id()}});
        KillProcessByNameOrId("zvxlisted.exe");
        EXPECT_TRUE(bystander.Running());
    }
    {
        ProcessListScope phase({{"zvxlisted.exe", bystander.Id()}});
        EXPECT_FALSE(KillProcessByPath("zvxlisted.exe", "\\heir\\"));
        EXPECT_TRUE(bystander.Running());
    }
    {
        ProcessListScope phase({{"ZVXHEIR.EXE", bystander.Id()}});
        EXPECT_TRUE(KillProcessByName("zvxheir.exe"));
        EXPECT_TRUE(bystander.WaitEnded(5000));
    }
}

TEST_F(ProcessesTest, KillByPathEndsOnlyTheCopyWhosePathHoldsTheFragment) {
    WaiterProcess inA(Folder("a"), "zvxbypath.exe");
    WaiterProcess inB(Folder("b"), "zvxbypath.exe");
    ASSERT_TRUE(inA.Started() && inB.Started());
    EXPECT_FALSE(KillProcessByPath("zvxbypath.exe", "\\nowhere\\"));
    EXPECT_FALSE(KillProcessByPath("zvxbypath.exe", ""));
    EXPECT_TRUE(inA.Running() && inB.Running());
    EXPECT_TRUE(KillProcessByPath("zvxbypath.exe", "\\b\\zvxbypath"));
    EXPECT_TRUE(inB.WaitEnded(5000));
    EXPECT_TRUE(inA.Running());
}
