// Folder look-ups and the deletion of the files lying directly in a folder.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_paths.h"
#include "system/exact_deletion.h"
#include "system/folders.h"
#include "system/text_codes.h"

namespace {

TEST(Folders, TrailingSeparatorsFollowEachLookUp) {
    struct Case {
        const char* name;
        std::string folder;
        bool endsInSeparator;
    } cases[] = {
        {"app", GetAppFolder(), true},
        {"windows", GetWindowsFolder(), false},
        {"system", GetSystemFolder(), false},
        {"temp", GetTempFolder(), true},
        {"program files", GetSpecialFolder(CSIDL_PROGRAM_FILES), false},
        {"appdata", GetSpecialFolder(CSIDL_APPDATA), false},
        {"desktop", GetSpecialFolder(CSIDL_DESKTOP), false},
    };
    for (const Case& c : cases) {
        ASSERT_GE(c.folder.size(), 3u) << c.name;
        EXPECT_EQ(c.folder[1], ':') << c.name << ": " << c.folder;
        EXPECT_EQ(c.folder.back() == '\\', c.endsInSeparator) << c.name << ": " << c.folder;
        EXPECT_TRUE(FolderExists(c.folder)) << c.name << ": " << c.folder;
    }
    EXPECT_EQ(GetAppFolder(), "C:\\zarvex\\bin\\");
}

TEST(Folders, SpecialFolderWithoutAPathIsEmpty) {
    EXPECT_EQ(GetSpecialFolder(CSIDL_DRIVES), "");  // "My Computer" is no folder on disk
    EXPECT_EQ(GetSpecialFolder(0x7F), "");
}

// The shell's other route, from the number to an item list and from that to a path.
std::wstring ThroughItemList(int csidl) {
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return {};
    wchar_t buffer[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDListW(items, buffer);
    CoTaskMemFree(items);
    return ok ? std::wstring(buffer) : std::wstring();
}

TEST(Folders, EachNumberInUseGivesTheItemListsPath) {
    for (int csidl : {CSIDL_DESKTOP, CSIDL_PROGRAMS, CSIDL_STARTMENU, CSIDL_COMMON_PROGRAMS, CSIDL_APPDATA,
                      CSIDL_INTERNET_CACHE, CSIDL_COOKIES, CSIDL_COMMON_APPDATA, CSIDL_PROGRAM_FILES, CSIDL_PROFILE,
                      CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_PROGRAM_FILESX86, CSIDL_DRIVES}) {
        EXPECT_EQ(GetSpecialFolderW(csidl), ThroughItemList(csidl)) << csidl;
    }
}

// A folder holding every kind of entry the deletion must tell apart.
class FolderFixture : public testing::Test {
protected:
    FolderFixture() : scratch_("folders") {
        Put("ordinary.txt");
        Put("program.exe");
        Put("other.exe.bak");
        Put("readonly.txt", FILE_ATTRIBUTE_READONLY);
        Put("hidden.txt", FILE_ATTRIBUTE_HIDDEN);
        Put("system.txt", FILE_ATTRIBUTE_SYSTEM);
        CreateDirectoryA(Path("sub").c_str(), nullptr);
        Put("sub\\inner.txt");
        Put("sub\\inner.exe");
    }
    ~FolderFixture() override {
        for (const char* name : {"readonly.txt", "hidden.txt", "system.txt"})
            SetFileAttributesA(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::string Path(const std::string& name) const { return scratch_.Path() + "\\" + name; }
    void Put(const std::string& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        ASSERT_TRUE(WriteFileBytes(Path(name), "x"));
        SetFileAttributesA(Path(name).c_str(), attributes);
    }
    std::vector<std::string> Remaining() const {
        std::vector<std::string> names;
        for (const char* name : {"ordinary.txt", "program.exe", "other.exe.bak", "readonly.txt", "hidden.txt",
                                 "system.txt", "sub\\inner.txt", "sub\\inner.exe"}) {
            if (FileExists(Path(name))) names.push_back(name);
        }
        return names;
    }
    const std::string& Folder() const { return scratch_.Path(); }

private:
    ScratchFolder scratch_;
};

using Names = std::vector<std::string>;

TEST_F(FolderFixture, DeleteFilesLeavesReadOnlyHiddenSystemFilesAndSubfolders) {
    DeleteFilesInFolder(FromAnsi(Folder()));
    EXPECT_EQ(Remaining(), (Names{"readonly.txt", "hidden.txt", "system.txt", "sub\\inner.txt", "sub\\inner.exe"}));
    EXPECT_TRUE(FolderExists(Folder()));
}

TEST_F(FolderFixture, TrailingSeparatorIsTheSameFolder) {
    DeleteFilesInFolder(FromAnsi(Folder() + "\\"));
    EXPECT_EQ(Remaining(), (Names{"readonly.txt", "hidden.txt", "system.txt", "sub\\inner.txt", "sub\\inner.exe"}));
}

TEST_F(FolderFixture, DeleteExeFilesTakesOnlyProgramFilesDirectlyInTheFolder) {
    DeleteExeFilesInFolder(FromAnsi(Folder()));
    EXPECT_EQ(Remaining(), (Names{"ordinary.txt", "other.exe.bak", "readonly.txt", "hidden.txt", "system.txt",
                                  "sub\\inner.txt", "sub\\inner.exe"}));
}

TEST_F(FolderFixture, FileInUseStaysAndTheRestGoes) {
    HANDLE held = CreateFileA(Path("ordinary.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DeleteFilesInFolder(FromAnsi(Folder()));
    CloseHandle(held);
    EXPECT_EQ(Remaining(), (Names{"ordinary.txt", "readonly.txt", "hidden.txt", "system.txt", "sub\\inner.txt",
                                  "sub\\inner.exe"}));
}

TEST(Folders, MissingFolderChangesNothing) {
    ScratchFolder scratch("missing");
    DeleteFilesInFolder(FromAnsi(scratch.Path() + "\\does-not-exist"));
    DeleteExeFilesInFolder(FromAnsi(scratch.Path() + "\\does-not-exist"));
    EXPECT_TRUE(FolderExists(scratch.Path()));
}

// An empty or relative folder would list the current drive's root or folder: nothing may go.
TEST(Folders, EmptyOrRelativeFolderDeletesNothing) {
    ScratchFolder scratch("relative");
    const std::string victim = scratch.Path() + "\\victim.txt";
    const std::string victimExe = scratch.Path() + "\\victim.exe";
    const std::string rootVictim = "C:\\zarvex-root-victim.exe";  // what an empty folder text would reach
    ASSERT_TRUE(WriteFileBytes(victim, "x"));
    ASSERT_TRUE(WriteFileBytes(rootVictim, "x"));
    ASSERT_TRUE(WriteFileBytes(victimExe, "x"));
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.Path().c_str()));
    for (const char* folder : {"", ".", "\\", "relative", "C:"}) {
        DeleteFilesInFolder(FromAnsi(folder));
        DeleteExeFilesInFolder(FromAnsi(folder));
    }
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(FileExists(victim));
    EXPECT_TRUE(FileExists(victimExe));
    EXPECT_TRUE(FileExists(rootVictim));
    DeleteFileA(rootVictim.c_str());
}

}  // namespace
