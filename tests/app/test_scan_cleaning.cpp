// The cleaning options as a scan applies them: which folders and keys they clear, what they
// spare, and that they never add a finding of their own.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/cleaning_options.h"
#include "support/planting.h"
#include "support/scan_window.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "system/folders.h"
#include "system/handles.h"
#include "ui/main_form.h"

namespace {

const ScanRows kNothingFound = {{"No malicious software was found.", ""}};
const char kBhoKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const char kMuiCacheKey[] = "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
constexpr int kClearBho = 1;
// Never ticked here: Wine's Recycle Bin is the Linux user's trash, outside the test prefix.
constexpr int kEmptyRecycleBin = 7;

// The special folder as the program will see it, created in the prefix when it is missing.
std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return GetSpecialFolder(csidl);
}

struct CleanedFolder {
    std::string path;
    std::vector<std::string> gone;
    std::vector<std::string> kept;
};

// In each folder: two ordinary files that go; a read-only, a hidden, a system file, a file in
// use and a subfolder with a file, which stay.
class ScanCleaning : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scan.Created());
        ASSERT_FALSE(scan.Form().OptionTicked(kEmptyRecycleBin));
        std::string temp = GetTempFolder();
        temp.pop_back();
        for (const std::string& path : {SpecialFolder(CSIDL_COOKIES), SpecialFolder(CSIDL_INTERNET_CACHE), temp,
                                        GetWindowsFolder() + "\\Temp"}) {
            ASSERT_FALSE(path.empty());
            ASSERT_TRUE(FolderExists(path)) << path;
            folders.push_back(Plant(path));
        }
        planting.Key(HKEY_CURRENT_USER, kMuiCacheKey);
        planting.Key(HKEY_LOCAL_MACHINE, std::string(kBhoKey) + "\\{5A7E3C10-0000-4A5B-9C7D-0123456789AB}");
    }

    CleanedFolder Plant(const std::string& path) {
        CleanedFolder folder{path, {path + "\\zarvex-clean-1.txt", path + "\\zarvex-clean-2.dat"}, {}};
        for (const std::string& file : folder.gone) planting.File(file);
        struct Kept {
            const char* name;
            DWORD attributes;
        };
        for (Kept kept : {Kept{"zarvex-readonly.txt", FILE_ATTRIBUTE_READONLY},
                          Kept{"zarvex-hidden.txt", FILE_ATTRIBUTE_HIDDEN},
                          Kept{"zarvex-system.txt", FILE_ATTRIBUTE_SYSTEM}, Kept{"zarvex-in-use.txt", 0}}) {
            planting.File(path + "\\" + kept.name, kept.attributes ? kept.attributes : FILE_ATTRIBUTE_NORMAL);
            folder.kept.push_back(path + "\\" + kept.name);
        }
        held.emplace_back(ValidOrNull(CreateFileA((path + "\\zarvex-in-use.txt").c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)));
        planting.Folder(path + "\\zarvex-clean-sub");
        folder.kept.push_back(path + "\\zarvex-clean-sub\\readme.txt");
        return folder;
    }

    ScanWindow scan;
    Planting planting;
    std::vector<UniqueHandle> held;  // closed before the planting goes
    std::vector<CleanedFolder> folders;
};

TEST_F(ScanCleaning, DefaultTicksClearTheFoldersAndMuiCacheButSpareTheRest) {
    for (const UniqueHandle& handle : held) ASSERT_TRUE(handle);

    scan.ClickScan();

    for (const CleanedFolder& folder : folders) {
        for (const std::string& file : folder.gone) EXPECT_FALSE(FileExists(file)) << file;
        for (const std::string& file : folder.kept) EXPECT_TRUE(FileExists(file)) << file;
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMuiCacheKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kBhoKey));
    // Only cleaning happened: that is no finding.
    EXPECT_EQ(scan.Rows(), kNothingFound);
}

TEST_F(ScanCleaning, UntickedOptionsLeaveTheirPlaceAlone) {
    for (int n = 1; n <= 7; ++n) scan.TickOption(n, false);

    scan.ClickScan();

    for (const CleanedFolder& folder : folders) {
        for (const std::string& file : folder.gone) EXPECT_TRUE(FileExists(file)) << file;
    }
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kMuiCacheKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kBhoKey));
    EXPECT_EQ(scan.Rows(), kNothingFound);
}

TEST_F(ScanCleaning, TheBhoOptionRemovesTheWholeKey) {
    scan.TickOption(kClearBho, true);

    scan.ClickScan();

    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kBhoKey));
    EXPECT_EQ(scan.Rows(), kNothingFound);
}

// The notice when the Recycle Bin option cannot load the shell library; the failure itself is in
// tests/system/test_recycle_bin.cpp, since the program always has Shell32.
TEST(ScanCleaningNotice, TheShellLibraryFailure) {
    EXPECT_STREQ(kShellLibraryFailure, "Failed to load Shell32.dll.");
}

}  // namespace
