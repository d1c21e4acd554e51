// Run-time DLL loads by name come from the system folder only, not from beside the program.
#include <windows.h>

#include <gtest/gtest.h>

#include "system/dll_search.h"

namespace {

TEST(DllSearch, ADllBesideTheProgramIsNoLongerTaken) {
    // zarvex-planted.dll lies beside this test program, as a planted wininet.dll would.
    HMODULE planted = LoadLibraryA("zarvex-planted.dll");
    ASSERT_NE(planted, nullptr) << "the fixture DLL should be beside the program";
    FreeLibrary(planted);

    EXPECT_TRUE(LoadDllsFromSystemFolderOnly());
    HMODULE again = LoadLibraryA("zarvex-planted.dll");
    EXPECT_EQ(again, nullptr);
    if (again) FreeLibrary(again);
    HMODULE system = LoadLibraryA("psapi.dll");
    EXPECT_NE(system, nullptr) << "system DLLs still load";
    if (system) FreeLibrary(system);

    // The other tests of this program load as usual again.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

}  // namespace
