// Reading a whole file: a read that fails part-way is an error, never a shorter text.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/error_message.h"
#include "support/test_paths.h"
#include "system/files.h"
#include "system/handles.h"

namespace {

// Another program holds a lock on a range after the first block: the first read succeeds, a later
// one fails. The text before the lock must not pass for the whole file.
TEST(ReadWholeFile, ALockedRangePartWayIsAnError) {
    ScratchFolder folder("read-locked-range");
    const std::string path = folder.Path() + "\\Version.ini";
    const std::string bytes = std::string(100000, 'x') + "version=1.0.11\r\n";
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    UniqueHandle holder(ValidOrNull(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)));
    ASSERT_TRUE(holder);
    OVERLAPPED at{};
    at.Offset = 80000;
    ASSERT_TRUE(LockFileEx(holder.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1000, 0, &at));
    {
        UniqueHandle reader(ValidOrNull(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_EXISTING, 0, nullptr)));
        char byte = 0;
        DWORD read = 0;
        OVERLAPPED locked{};
        locked.Offset = 80000;
        if (ReadFile(reader.get(), &byte, 1, &read, &locked)) {
            UnlockFileEx(holder.get(), 0, 1000, 0, &at);
            GTEST_SKIP() << "Wine does not hold reads to another handle's byte-range lock; Windows does";
        }
    }
    EXPECT_EQ(MessageOf([&] { ReadWholeFile(path); }), "Cannot read file " + path);
    UnlockFileEx(holder.get(), 0, 1000, 0, &at);
    EXPECT_EQ(ReadWholeFile(path), bytes);
}

TEST(IsExistingFile, FilesOnlyAndWideNames) {
    ScratchFolder folder("existing-file");
    ASSERT_TRUE(WriteFileBytes(folder.Path() + "\\a.txt", "x"));
    EXPECT_TRUE(IsExistingFile(folder.Path() + "\\a.txt"));
    EXPECT_FALSE(IsExistingFile(folder.Path()));
    EXPECT_FALSE(IsExistingFile(folder.Path() + "\\missing.txt"));
    EXPECT_FALSE(IsExistingFile(std::string()));
    const std::wstring wide = std::wstring(folder.Path().begin(), folder.Path().end()) + L"\\\x4E2D.txt";
    UniqueHandle file(ValidOrNull(
        CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(file);
    file.reset();
    EXPECT_TRUE(IsExistingFile(wide));
    DeleteFileW(wide.c_str());
}

}  // namespace
