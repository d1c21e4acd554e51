// The Recycle Bin option. Wine keeps its bin in HOME's trash; the test scripts give Wine a home
// inside the build folder, and this test refuses to run with any other.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "support/test_paths.h"
#include "system/folders.h"

namespace {

// Wine shows the Linux HOME to programs as WINEHOMEDIR.
bool HomeIsTheBuildsOwn() {
    char home[MAX_PATH * 2] = {};
    DWORD n = GetEnvironmentVariableA("WINEHOMEDIR", home, sizeof home);
    return n > 0 && n < sizeof home && std::string(home).ends_with("\\wine-home");
}

// Moves the file to the Recycle Bin, as Explorer's Delete does.
bool DeleteToRecycleBin(const std::string& path) {
    std::string from = path + '\0';  // the list ends in a second NUL
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

long long ItemsInRecycleBin() {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    if (FAILED(SHQueryRecycleBinA(nullptr, &info))) return -1;
    return info.i64NumItems;
}

TEST(RecycleBin, EmptyingRemovesWhatIsInTheBinAndNothingElse) {
    ASSERT_TRUE(HomeIsTheBuildsOwn()) << "HOME must be the build's own wine-home; not emptying any other trash";
    ScratchFolder folder("recycle-bin");
    const std::string binned = folder.Path() + "\\binned.txt";
    const std::string kept = folder.Path() + "\\kept.txt";
    ASSERT_TRUE(WriteFileBytes(binned, "to the bin"));
    ASSERT_TRUE(WriteFileBytes(kept, "stays"));
    ASSERT_TRUE(DeleteToRecycleBin(binned));
    ASSERT_FALSE(FileExists(binned));
    ASSERT_GE(ItemsInRecycleBin(), 1);

    EXPECT_TRUE(EmptyRecycleBin());

    EXPECT_EQ(ItemsInRecycleBin(), 0);
    EXPECT_TRUE(FileExists(kept));
    // An empty bin is no error, and nothing is asked.
    EXPECT_TRUE(EmptyRecycleBin());
    EXPECT_EQ(ItemsInRecycleBin(), 0);
}

// Shell32 is always loaded in a program that imports it, so the failure is shown with a library
// that does not exist: nothing is emptied and no box appears (the scan's caller tells the user).
TEST(RecycleBin, ALibraryThatCannotBeLoadedIsReportedNotShown) {
    ASSERT_TRUE(HomeIsTheBuildsOwn()) << "HOME must be the build's own wine-home; not emptying any other trash";
    ScratchFolder folder("recycle-bin-kept");
    const std::string binned = folder.Path() + "\\binned.txt";
    ASSERT_TRUE(WriteFileBytes(binned, "to the bin"));
    ASSERT_TRUE(DeleteToRecycleBin(binned));
    const long long before = ItemsInRecycleBin();
    ASSERT_GE(before, 1);

    EXPECT_FALSE(EmptyRecycleBin("ZarvexNoSuchShell.dll"));
    EXPECT_EQ(ItemsInRecycleBin(), before);
    EXPECT_TRUE(EmptyRecycleBin());
}

// A shell library without the call empties nothing, and must not say it did. (Wine's shell empties
// every item it holds, so a call that fails with items left is not shown here.)
TEST(RecycleBin, ALibraryWithoutTheCallIsAFailureNotAnEmptiedBin) {
    ASSERT_TRUE(HomeIsTheBuildsOwn()) << "HOME must be the build's own wine-home; not emptying any other trash";
    ScratchFolder folder("recycle-bin-no-call");
    const std::string binned = folder.Path() + "\\binned.txt";
    ASSERT_TRUE(WriteFileBytes(binned, "to the bin"));
    ASSERT_TRUE(DeleteToRecycleBin(binned));
    const long long before = ItemsInRecycleBin();
    ASSERT_GE(before, 1);

    EXPECT_FALSE(EmptyRecycleBin("kernel32.dll"));
    EXPECT_EQ(ItemsInRecycleBin(), before);
    EXPECT_TRUE(EmptyRecycleBin());
}

}  // namespace
