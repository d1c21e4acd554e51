// Deletion stays inside its target: link traps beside real files, and names that a code page
// cannot hold. Each bystander must survive; each real file named or listed must still go.
//
// Wine cannot show the other half: it opens a Unix symlink's target even when asked for the link
// itself, so a link is never deleted there (it stays, and the bystander with it). On Windows a
// link opened as itself goes as a link.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/traps.h"
#include "system/exact_deletion.h"
#include "system/wide_paths.h"

namespace {

const std::wstring kLinks = kTraps + L"\\links";

class Traps : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TrapsLaid()) GTEST_SKIP() << "traps not laid: run tests/traps/make_traps.sh for this build";
        RestoreBystanders();
    }
    void TearDown() override {
        // Every bystander as it was laid.
        for (const wchar_t* name : {L"\\bystander\\kept.txt", L"\\bystander\\kept.exe", L"\\bystander-file.txt",
                                    L"\\bystander-file.exe", L"\\bystander-parent\\product\\kept.txt"}) {
            EXPECT_EQ(WideFileText(kTraps + name), "kept\n") << StoredFromWide(name);
        }
        RestoreBystanders();
    }
};

TEST_F(Traps, EmptyingAFolderSparesWhatItsLinksPointAt) {
    ASSERT_TRUE(WriteWideFile(kLinks + L"\\own.txt", "x"));
    ASSERT_TRUE(WriteWideFile(kLinks + L"\\own.exe", "x"));
    DeleteExeFilesInFolder(kLinks);
    EXPECT_FALSE(WideFileExists(kLinks + L"\\own.exe"));
    EXPECT_TRUE(WideFileExists(kLinks + L"\\own.txt"));
    DeleteFilesInFolder(kLinks + L"\\");
    EXPECT_FALSE(WideFileExists(kLinks + L"\\own.txt"));
}

TEST_F(Traps, AFolderThatIsALinkIsNeverListed) {
    struct Case {
        const wchar_t* folder;
    } cases[] = {{L"\\links\\dir-link"}, {L"\\links\\dir-link\\"}, {L"\\links\\dir-link\\\\"}};
    for (const Case& c : cases) {
        DeleteFilesInFolder(kTraps + c.folder);
        DeleteExeFilesInFolder(kTraps + c.folder);
    }
}

TEST_F(Traps, NamedLinksAreNeverDeletedThrough) {
    SetFileAttributesW((kTraps + L"\\bystander-file.exe").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(DeleteFileExactly(kLinks + L"\\file-link.txt"));
    EXPECT_FALSE(DeleteFileExactly(kLinks + L"\\file-link.exe", true));
    EXPECT_EQ(GetFileAttributesW((kTraps + L"\\bystander-file.exe").c_str()) & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    // A folder link would go as a link on Windows; its target's files stay either way.
    RemoveFolderExactly(kLinks + L"\\dir-link");
    // An empty bystander folder behind a link must not be taken for the link.
    RemoveFolderExactly(kLinks + L"\\empty-link");
    EXPECT_TRUE(WideFolderExists(kTraps + L"\\bystander-empty"));
}

TEST_F(Traps, AFolderReachedThroughALinkIsNotReachedWithoutLinks) {
    EXPECT_FALSE(ReachedWithoutLinks(kLinks, L"\\parent-link\\product\\kept.txt"));
    EXPECT_FALSE(ReachedWithoutLinks(kLinks, L"\\dir-link\\kept.txt"));
    EXPECT_TRUE(ReachedWithoutLinks(kLinks, L"\\dir-link"));  // the last part is the deletion's to check
    EXPECT_TRUE(ReachedWithoutLinks(kTraps, L"\\bystander-parent\\product\\kept.txt"));
    EXPECT_TRUE(ReachedWithoutLinks(kTraps + L"\\", L"\\BYSTANDER-PARENT\\product\\x"));
}

// Names the code page cannot hold: the 8-bit listing turned full-width dots and backslashes into
// "..\", so deleting by the converted name reached the folder above. The listed name is used as
// it is, so the file itself goes and the one above stays.
TEST(ExactNames, ListedNamesAreDeletedAsListed) {
    const std::wstring outer = kTraps + L"\\names";
    const std::wstring inner = outer + L"\\inner";
    CreateDirectoryW(kTraps.c_str(), nullptr);
    CreateDirectoryW(outer.c_str(), nullptr);
    CreateDirectoryW(inner.c_str(), nullptr);
    const std::vector<std::wstring> listed = {
        L"\xFF0E\xFF0E\xFF3C" L"victim.txt",  // "..\victim.txt" in best fit
        L"\x4E2D\x6587.txt",                   // "??.txt" in an 8-bit code page: a pattern
        L"plain.txt",
    };
    ASSERT_TRUE(WriteWideFile(outer + L"\\victim.txt", "bystander"));
    ASSERT_TRUE(WriteWideFile(outer + L"\\other.txt", "bystander"));
    for (const std::wstring& name : listed) ASSERT_TRUE(WriteWideFile(inner + L"\\" + name, "x"));

    DeleteFilesInFolder(inner);
    for (const std::wstring& name : listed) EXPECT_FALSE(WideFileExists(inner + L"\\" + name)) << StoredFromWide(name);
    EXPECT_EQ(WideFileText(outer + L"\\victim.txt"), "bystander");
    EXPECT_EQ(WideFileText(outer + L"\\other.txt"), "bystander");

    // One named file, by its wide name.
    ASSERT_TRUE(WriteWideFile(inner + L"\\" + listed[0], "x"));
    EXPECT_TRUE(DeleteFileExactly(inner + L"\\" + listed[0]));
    EXPECT_EQ(WideFileText(outer + L"\\victim.txt"), "bystander");

    DeleteFileW((outer + L"\\victim.txt").c_str());
    DeleteFileW((outer + L"\\other.txt").c_str());
    RemoveDirectoryW(inner.c_str());
    RemoveDirectoryW(outer.c_str());
}

// What is opened decides: a plain file, a read-only one with and without the flag cleared, a
// folder that is not empty, and a file in use.
TEST(ExactNames, DeletionsReportWhatHappened) {
    const std::wstring folder = kTraps + L"\\exact";
    CreateDirectoryW(kTraps.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(WriteWideFile(folder + L"\\plain.txt", "x"));
    ASSERT_TRUE(WriteWideFile(folder + L"\\readonly.txt", "x"));
    SetFileAttributesW((folder + L"\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryW((folder + L"\\full").c_str(), nullptr);
    ASSERT_TRUE(WriteWideFile(folder + L"\\full\\in.txt", "x"));

    EXPECT_FALSE(DeleteFileExactly(folder + L"\\missing.txt"));
    EXPECT_FALSE(DeleteFileExactly(folder + L"\\full"));  // a folder is no file
    EXPECT_FALSE(DeleteFileExactly(folder + L"\\readonly.txt"));
    EXPECT_TRUE(WideFileExists(folder + L"\\readonly.txt"));
    EXPECT_TRUE(DeleteFileExactly(folder + L"\\readonly.txt", true));
    EXPECT_FALSE(WideFileExists(folder + L"\\readonly.txt"));
    {
        HANDLE held = CreateFileW((folder + L"\\plain.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(DeleteFileExactly(folder + L"\\plain.txt"));
        CloseHandle(held);
    }
    EXPECT_TRUE(DeleteFileExactly(folder + L"\\PLAIN.txt"));
    EXPECT_FALSE(WideFileExists(folder + L"\\plain.txt"));
    EXPECT_FALSE(RemoveFolderExactly(folder + L"\\full"));
    EXPECT_TRUE(WideFileExists(folder + L"\\full\\in.txt"));
    EXPECT_TRUE(DeleteFileExactly(folder + L"\\full\\in.txt"));
    EXPECT_TRUE(RemoveFolderExactly(folder + L"\\full\\"));
    EXPECT_FALSE(WideFolderExists(folder + L"\\full"));
    EXPECT_TRUE(RemoveFolderExactly(folder));
}

}  // namespace
