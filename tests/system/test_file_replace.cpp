// A file replaced whole or not at all: the report's way to its target. Wine cannot be made to fail
// a write part-way (a full disk, say), so a write step that fails where the case says stands in.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/failing_write.h"
#include "support/test_paths.h"
#include "system/file_replace.h"
#include "system/handles.h"
#include "system/text_codes.h"

namespace {

std::string Contents(const std::wstring& path) {
    bool present = false;
    std::string text = WideFileBytes(path, &present);
    return present ? text : "<missing>";
}

// Fails without saying why: still a failure.
BOOL WINAPI FailSilently(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
    *written = 0;
    SetLastError(ERROR_SUCCESS);
    return FALSE;
}

}  // namespace

TEST(ReplaceFileContents, AWriteThatFailsPartWayLeavesTheEarlierFileWholeAndNothingBeside) {
    ScratchFolder scratch("file-replace");
    const std::wstring folder = FromAnsi(scratch.Path());
    const std::wstring target = folder + L"\\report.txt";
    std::string fresh;
    while (fresh.size() < 3u * 1024 * 1024) fresh += "a line of the new report, long enough to need several pieces\r\n";
    struct Case { const char* what; size_t budget; };
    const Case cases[] = {
        {"at the first byte", 0},
        {"half-way", fresh.size() / 2},
        {"one byte short", fresh.size() - 1},
    };
    for (bool earlier : {true, false}) {
        for (const Case& c : cases) {
            const std::string old = "the earlier report\r\n";
            if (earlier) ASSERT_TRUE(WriteWideFile(target, old));
            else DeleteFileW(target.c_str());
            gWriteBudget = c.budget;
            EXPECT_EQ(ReplaceFileContents(target, fresh, WriteThenFail), static_cast<DWORD>(ERROR_DISK_FULL)) << c.what;
            EXPECT_EQ(Contents(target), earlier ? old : "<missing>") << c.what;
            EXPECT_EQ(FilesIn(folder), earlier ? std::vector<std::wstring>{L"report.txt"} : std::vector<std::wstring>{})
                << c.what << ": nothing of the new one is left";
        }
    }
    EXPECT_EQ(ReplaceFileContents(target, fresh, FailSilently), static_cast<DWORD>(ERROR_WRITE_FAULT));
    EXPECT_EQ(Contents(target), "<missing>");

    // And with a write that goes through, the target holds all of it.
    ASSERT_TRUE(WriteWideFile(target, "the earlier report\r\n"));
    EXPECT_EQ(ReplaceFileContents(target, fresh), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Contents(target), fresh);
    EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"report.txt"});
}

// Renaming over the target fails for real: a report another program holds open without letting it
// be deleted, a folder of that name. The earlier one stays as it was and the temporary file goes.
TEST(ReplaceFileContents, ATargetThatCannotBeReplacedStaysAsItWas) {
    ScratchFolder scratch("file-replace-refused");
    const std::wstring folder = FromAnsi(scratch.Path());
    const std::wstring held = folder + L"\\held.txt";
    ASSERT_TRUE(WriteWideFile(held, "kept\r\n"));
    UniqueHandle holder(ValidOrNull(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, 0, nullptr)));
    ASSERT_TRUE(holder);
    const std::wstring aFolder = folder + L"\\a-folder";
    ASSERT_TRUE(CreateDirectoryW(aFolder.c_str(), nullptr));

    EXPECT_NE(ReplaceFileContents(held, "new\r\n"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_NE(ReplaceFileContents(aFolder, "new\r\n"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_NE(ReplaceFileContents(folder + L"\\missing folder\\report.txt", "new\r\n"),
              static_cast<DWORD>(ERROR_SUCCESS));
    holder.reset();
    EXPECT_EQ(Contents(held), "kept\r\n");
    EXPECT_TRUE(WideFolderExists(aFolder));
    std::vector<std::wstring> left = FilesIn(folder);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::wstring>{L"a-folder", L"held.txt"}));
}
