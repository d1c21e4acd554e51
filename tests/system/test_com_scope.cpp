// COM for a scan's thread: set up at the first call that needs it, taken down with the scan.
// Each test runs on a thread of its own, which starts without COM.
#include <gtest/gtest.h>

#include <thread>

#include "support/apartment.h"
#include "system/com_scope.h"

namespace {

TEST(ComScope, SetsUpAtTheFirstNeedAndEndsWithTheOuterScope) {
    std::thread([] {
        ComScope::Need();  // no scope: nothing to pair it with
        EXPECT_FALSE(InSingleThreadedApartment());
        {
            ComScope scan;
            EXPECT_FALSE(InSingleThreadedApartment());
            {
                ComScope inner;  // no new scope: COM stays for the outer one
                ComScope::Need();
                ComScope::Need();
            }
            EXPECT_TRUE(InSingleThreadedApartment());
        }
        EXPECT_FALSE(InSingleThreadedApartment());
    }).join();
}

}  // namespace
