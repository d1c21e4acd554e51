// One process list per phase: inside a scope the checks share a list until someone refreshes it;
// outside one, every check walks a new snapshot.
#include <gtest/gtest.h>

#include "support/test_paths.h"
#include "support/test_process.h"
#include "system/processes.h"

namespace {

TEST(ProcessListScope, ChecksShareOneListUntilItIsRefreshed) {
    ScratchFolder scratch("process-list");
    {
        ProcessListScope phase;
        EXPECT_FALSE(ProcessIsRunning("zvxphase.exe"));
        WaiterProcess waiter(scratch.Path(), "zvxphase.exe");
        ASSERT_TRUE(waiter.Started());
        EXPECT_FALSE(ProcessIsRunning("zvxphase.exe"));  // the phase's list is older than the process
        {
            ProcessListScope inner;  // no new phase: still the outer list
            EXPECT_FALSE(ProcessIsRunning("ZVXPHASE.EXE"));
        }
        ProcessListScope::Refresh();
        EXPECT_TRUE(ProcessIsRunning("ZVXPHASE.EXE"));
    }
    EXPECT_FALSE(ProcessIsRunning("zvxphase.exe"));  // no scope: a snapshot of now
    WaiterProcess again(scratch.Path(), "zvxphase.exe");
    ASSERT_TRUE(again.Started());
    EXPECT_TRUE(ProcessIsRunning("zvxphase.exe"));
    ProcessListScope::Refresh();  // nothing to refresh without a scope
}

// The kills answer from the phase's list too. One that finds nothing to stop leaves the list as it
// is; one that stops a process makes the next use look again, so nothing counts a stopped process
// as running.
TEST(ProcessListScope, AKillThatStopsAProcessRefreshesTheList) {
    ScratchFolder scratch("process-list");
    const std::string folder = scratch.Path();
    struct Case {
        const char* name;
        void (*kill)(const std::string& folder);
    } cases[] = {
        {"by name", [](const std::string&) { KillProcessByName("zvxphase.exe"); }},
        {"by name or id", [](const std::string&) { KillProcessByNameOrId("ZVXPHASE.EXE"); }},
        {"by path", [](const std::string& in) { KillProcessById(FindProcessIdByPath("zvxphase.exe", in)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaiterProcess waiter(folder, "zvxphase.exe");
        ASSERT_TRUE(waiter.Started());
        ProcessListScope phase;
        ASSERT_TRUE(ProcessIsRunning("zvxphase.exe"));
        WaiterProcess late(folder, "zvxlate.exe");
        ASSERT_TRUE(late.Started());
        EXPECT_FALSE(KillProcessByName("zvxnobody.exe"));
        KillProcessByNameOrId("zvxnobody.exe");
        KillProcessById(FindProcessIdByPath("zvxnobody.exe", folder));
        EXPECT_FALSE(ProcessIsRunning("zvxlate.exe"));  // nothing stopped: still the phase's list

        c.kill(folder);
        EXPECT_TRUE(waiter.WaitEnded(5000));
        EXPECT_FALSE(ProcessIsRunning("zvxphase.exe"));
        EXPECT_TRUE(ProcessIsRunning("zvxlate.exe"));
    }
}

}  // namespace
