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

}  // namespace
