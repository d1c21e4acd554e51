// Deletion stays inside its target: link traps beside real files, and names that a code page
// cannot hold. Each bystander must survive; each real file named or listed must still go.
//
// Wine cannot show the other half: it opens a Unix symlink's target even when asked for the link
// itself, so a link is never deleted there (it stays, and the bystander with it). On Windows a
// link opened as itself goes as a link. Nor has Wine short names: the rule that keeps a "*.exe"
// listing to long names is tested on constructed names.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/traps.h"
#include "system/exact_deletion.h"
#include "system/text_codes.h"
#include "system/wide_paths.h"

namespace {

const std::wstring kLinks = kTraps + L"\\links";

class Traps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TrapsLaid()) << kTrapsNotLaid;
        RestoreBystanders();
    }
    void TearDown() override {
        // Every bystander as it was laid.
        for (const std::wstring& file : BystanderFiles()) {
            EXPECT_EQ(WideFileText(file), "kept\n") << ToAnsi(file);
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

// However it is written, a folder that is a link is refused, and says so; so is one reached
// through a link on the way (a path fixed before a link was swapped in). Its target's files stay.
TEST_F(Traps, AFolderThatIsALinkIsNeverListed) {
    for (const wchar_t* folder : {L"\\links\\dir-link", L"\\links\\dir-link\\", L"\\links\\dir-link\\\\",
                                  L"\\links\\parent-link\\product"}) {
        SCOPED_TRACE(ToAnsi(folder));
        EXPECT_EQ(DeleteFilesInFolder(kTraps + folder).refusal, kRefusedLinkInPath);
        EXPECT_EQ(DeleteExeFilesInFolder(kTraps + folder).refusal, kRefusedLinkInPath);
    }
    EXPECT_EQ(WideFileText(kTraps + L"\\bystander\\kept.exe"), "kept\n");
    EXPECT_EQ(WideFileText(kTraps + L"\\bystander-parent\\product\\kept.txt"), "kept\n");
}

// The folder a setting names is fixed where it lies, once, opened itself: a link there is
// refused rather than followed; nothing there is nothing to do.
TEST_F(Traps, AFolderIsFixedWhereItLiesAndALinkIsRefused) {
    struct Case {
        const char* name;
        std::wstring folder;
        std::wstring real;
        const char* refusal;
    } cases[] = {
        {"a plain folder", kTraps + L"\\BYSTANDER\\", kTraps + L"\\bystander", ""},
        {"through a link on the way", kLinks + L"\\parent-link\\product",
         kTraps + L"\\bystander-parent\\product", ""},
        {"a link", kLinks + L"\\dir-link", L"", kRefusedLinkInPath},
        {"a file", kTraps + L"\\bystander-file.txt", L"", kRefusedNotAFolder},
        {"missing", kTraps + L"\\zarvex-no-such-folder", L"", ""},
        {"relative", L"zarvex-traps", L"", kRefusedNotAbsolute},
        {"empty", L"", L"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FixedFolder fixed = FixFolder(c.folder);
        EXPECT_TRUE(SamePathText(fixed.real, c.real)) << ToAnsi(fixed.real);
        EXPECT_EQ(fixed.refusal, c.refusal);
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

// The plan of emptying a folder that holds file links lists each link as refused, with the reason,
// beside its own files planned; a folder that is itself a link is refused whole. Nothing changes.
TEST_F(Traps, APlanListsEachLinkAsRefusedAndChangesNothing) {
    ASSERT_TRUE(WriteWideFile(kLinks + L"\\own.txt", "x"));
    ObjectList plan;
    const FolderEmptying listed = DeleteFilesInFolder(kLinks, nullptr, {Carry::Plan, &plan});
    EXPECT_EQ(listed.refusal, "");
    const FolderEmptying link = DeleteFilesInFolder(kLinks + L"\\dir-link", nullptr, {Carry::Plan, &plan});
    EXPECT_EQ(link.refusal, kRefusedLinkInPath);
    DeleteFileExactly(kLinks + L"\\file-link.exe", true, {Carry::Plan, &plan});
    std::vector<std::string> lines;
    for (const ActedObject& object : plan.Objects())
        lines.push_back(ToAnsi(object.path.substr(kLinks.size())) + " " +
                        (object.outcome == Outcome::Planned ? "planned" : object.outcome == Outcome::Refused ? "refused" : "?") +
                        (object.reason.empty() ? "" : " " + ToAnsi(object.reason)));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"\\dir-link refused a link stands in its path",
                                               "\\file-link.exe refused a link stands in its path",
                                               "\\file-link.txt refused a link stands in its path",
                                               "\\own.txt planned"}));
    EXPECT_TRUE(WideFileExists(kLinks + L"\\own.txt"));
    DeleteFileExactly(kLinks + L"\\own.txt");
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
    for (const std::wstring& name : listed) EXPECT_FALSE(WideFileExists(inner + L"\\" + name)) << ToAnsi(name);
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

// A read-only file with a second name: its attributes belong to both names, so deleting one name
// never makes the file writable. Where the system deletes a read-only name without touching the
// flag (Windows 10 1809 and later) that name goes; elsewhere (Wine) it stays, refused with its
// reason, so that the scan shows why. A read-only file with one name still goes.
TEST(ExactNames, AReadOnlyFileWithASecondNameIsNeverMadeWritable) {
    const std::wstring folder = kTraps + L"\\hard-links";
    CreateDirectoryW(kTraps.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring first = folder + L"\\first.txt";
    const std::wstring second = folder + L"\\second.txt";
    const std::wstring single = folder + L"\\single.txt";
    ASSERT_TRUE(WriteWideFile(first, "kept"));
    ASSERT_TRUE(SetFileAttributesW(first.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateHardLinkW(second.c_str(), first.c_str(), nullptr));
    ASSERT_TRUE(WriteWideFile(single, "x"));
    ASSERT_TRUE(SetFileAttributesW(single.c_str(), FILE_ATTRIBUTE_READONLY));

    const ExactDeletion deletion = DeleteFileExactly(second, true);
    EXPECT_EQ(deletion.deleted, !WideFileExists(second));
    EXPECT_EQ(deletion.refusal, deletion.deleted ? "" : kRefusedManyNames);
    EXPECT_EQ(GetFileAttributesW(first.c_str()) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(WideFileText(first), "kept");
    EXPECT_TRUE(DeleteFileExactly(single, true));
    EXPECT_FALSE(WideFileExists(single));

    for (const std::wstring& file : {first, second, single}) {
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file.c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

// A "*.exe" listing also hands back names whose 8.3 short form alone matches ("report.executive"
// is REPORT~1.EXE); only a long name that ends as the pattern does counts. Wine has no short
// names, so the decision is tested on names as a listing would hand them over.
TEST(ExactNames, OnlyLongNamesMatchAPattern) {
    struct Case {
        const wchar_t* name;
        const wchar_t* pattern;
        bool matches;
    } cases[] = {
        {L"setup.exe", L"*.exe", true},
        {L"SETUP.EXE", L"*.exe", true},
        {L".exe", L"*.exe", true},
        {L"report.executive", L"*.exe", false},
        {L"archive.exe.bak", L"*.exe", false},
        {L"setup.ex", L"*.exe", false},
        {L"exe", L"*.exe", false},
        {L"\x4E2D\x6587.exe", L"*.exe", true},
        {L"report.executive", L"*.*", true},
        {L"no-dot", L"*.*", true},
    };
    for (const Case& c : cases) EXPECT_EQ(LongNameMatches(c.name, c.pattern), c.matches) << ToAnsi(c.name);
}

}  // namespace
