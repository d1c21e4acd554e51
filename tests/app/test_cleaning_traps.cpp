// The folder and MUICache options beside traps, through a whole scan: a Temp folder that the
// environment turns into a profile root, the Windows folder, a drive root, a program's folder or
// another user's Documents; Cookies and cache folders that a user's shell folder setting points at
// system folders; a Temp folder that is a link to the user's Documents or holds file links; a link
// under the MUICache key. A folder is cleaned only where such a folder belongs: each refused folder
// loses nothing and shows as a row that says why, and the scan goes on to clean the real folders
// the trap left alone.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/planting.h"
#include "support/scan_window.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "support/traps.h"
#include "system/folders.h"
#include "system/text_codes.h"
#include "system/wide_paths.h"

namespace {

const ScanRows kNothingFound = {{"No malicious software was found.", ""}};
const char kMuiCacheKey[] = "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";

std::string WithoutSeparator(std::string folder) {
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

// The special folder as the program will see it, created in the prefix when it is missing.
std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return GetSpecialFolder(csidl);
}

class CleaningTraps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scan.Created());
        scan.TickAllProducts(false);
        profile = GetSpecialFolder(CSIDL_PROFILE);
        // Bystanders directly in folders that no option may clean.
        const std::string system = GetSystemFolder();
        bystanders = {
            GetWindowsFolder() + "\\zarvex-bystander.txt",
            "C:\\zarvex-bystander.txt",
            profile + "\\zarvex-bystander.txt",
            system + "\\drivers\\etc\\zarvex-hosts",
            system + "\\drivers\\zarvex-driver.sys",
            ProgramFolder() + "\\program.exe",
            ProgramFolder() + "\\settings.ini",
            OtherUsersDocuments() + "\\letter.txt",
            profile + "\\Documents\\zarvex-letter.txt",
        };
        for (const std::string& file : bystanders) planting.File(file);
        // The real folders the options clean, as the scan starts.
        cleaned = {
            {SpecialFolder(CSIDL_COOKIES), Redirect::Cookies},
            {SpecialFolder(CSIDL_INTERNET_CACHE), Redirect::Cache},
            {WithoutSeparator(GetTempFolder()), Redirect::Temp},
            {GetWindowsFolder() + "\\Temp", Redirect::Nothing},
        };
    }

    static std::string ProgramFolder() { return GetSpecialFolder(CSIDL_PROGRAM_FILES) + "\\Zarvex Bystander"; }
    // Beside the user's profile, in the users root.
    static std::string OtherUsersDocuments() {
        const std::string own = WithoutSeparator(GetSpecialFolder(CSIDL_PROFILE));
        return PathUpToLastPart(own) + "zarvex-other\\Documents";
    }

    enum class Redirect { Nothing, Temp, Cookies, Cache };
    struct Cleaned {
        std::string folder;
        Redirect by;
    };

    // Before each scan, so that each case answers for itself.
    void PlantInCleanedFolders() {
        for (const std::string& file : bystanders) {
            if (!FileExists(file)) planting.File(file);
        }
        for (const Cleaned& c : cleaned) planting.File(c.folder + "\\zarvex-clean.txt");
    }
    // Every bystander stays; each real folder that the trap did not take over is still emptied. A
    // refused option shows as one row, its caption and "Skipped: " with why, before the scan's own.
    void ExpectBystandersKeptAndTheRestCleaned(Redirect trapped, bool refused = true) {
        for (const std::string& file : bystanders) EXPECT_TRUE(FileExists(file)) << file;
        for (const Cleaned& c : cleaned) {
            if (c.by != trapped) {
                EXPECT_FALSE(FileExists(c.folder + "\\zarvex-clean.txt")) << c.folder;
            }
        }
        const ScanRows rows = scan.Rows();
        if (trapped == Redirect::Nothing || !refused) {
            EXPECT_EQ(rows, kNothingFound);
            return;
        }
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].first, trapped == Redirect::Temp      ? "Clear Temp Folder"
                                 : trapped == Redirect::Cookies ? "Clear Cookies Folder"
                                                                : "Clear Temporary Internet Files Folder");
        EXPECT_EQ(rows[0].second.rfind("Skipped: ", 0), 0u) << rows[0].second;
        EXPECT_GT(rows[0].second.size(), std::string("Skipped: ").size());
        EXPECT_EQ(rows[1], kNothingFound[0]);
    }

    ScanWindow scan;
    Planting planting;
    std::string profile;
    std::vector<std::string> bystanders;
    std::vector<Cleaned> cleaned;
};

TEST_F(CleaningTraps, ATempFolderTheEnvironmentPointsAnywhereButATempIsRefused) {
    struct Case {
        const char* name;
        std::wstring tmp;
        bool removeProfileVariable = false;
        // A relative TMP names a folder below the current one, which is not there: nothing to
        // clean, so no refusal to show.
        bool refused = true;
    };
    const std::wstring wideProfile = GetSpecialFolderW(CSIDL_PROFILE);
    const Case cases[] = {
        {"no TMP or TEMP: the profile root", L""},
        {"no TMP, TEMP or profile: the Windows folder", L"", true},
        {"a drive root", L"C:\\"},
        {"the drive root, doubled separator", L"C:\\\\"},
        {"a link to the Windows folder", kTraps + L"\\windows-link-holder\\windows-link"},
        {"a program's folder", FromAnsi(ProgramFolder())},
        {"another user's Documents", FromAnsi(OtherUsersDocuments())},
        {"the user's own Documents", wideProfile + L"\\Documents"},
        {"a link in the profile to the user's Documents", DocumentsLinkInProfile()},
        {"a relative folder", L"Documents", false, false},
    };
    ASSERT_TRUE(TrapsLaid()) << kTrapsNotLaid;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlantInCleanedFolders();
        const wchar_t* temp = c.tmp.empty() ? nullptr : c.tmp.c_str();
        ScopedVariable tmp(L"TMP", temp);
        ScopedVariable temporary(L"TEMP", temp);
        ScopedVariable user(L"USERPROFILE", c.removeProfileVariable ? nullptr : wideProfile.c_str());
        scan.ClickScan();
        ExpectBystandersKeptAndTheRestCleaned(Redirect::Temp, c.refused);
    }
}

TEST_F(CleaningTraps, CookiesAndCacheSettingsPointingAtSystemFoldersAreRefused) {
    struct Case {
        const char* name;
        const wchar_t* setting;
        Redirect by;
        std::wstring folder;
    };
    const std::wstring system = GetSystemFolderW();
    const Case cases[] = {
        {"Cookies at the Windows folder", L"Cookies", Redirect::Cookies, GetWindowsFolderW()},
        {"Cookies at drivers\\etc", L"Cookies", Redirect::Cookies, system + L"\\drivers\\etc"},
        {"the cache at drivers", L"Cache", Redirect::Cache, system + L"\\drivers"},
        {"the cache at the profile", L"Cache", Redirect::Cache, GetSpecialFolderW(CSIDL_PROFILE)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlantInCleanedFolders();
        ScopedShellFolder setting(c.setting, c.folder);
        ASSERT_TRUE(SamePathText(GetSpecialFolderW(c.by == Redirect::Cookies ? CSIDL_COOKIES : CSIDL_INTERNET_CACHE),
                                 c.folder));
        scan.ClickScan();
        ExpectBystandersKeptAndTheRestCleaned(c.by);
    }
}

TEST_F(CleaningTraps, ATempFolderWithFileLinksLosesOnlyItsOwnFiles) {
    ASSERT_TRUE(TrapsLaid()) << kTrapsNotLaid;
    RestoreBystanders();
    PlantInCleanedFolders();
    const std::wstring links = FileLinksInProfile();
    ASSERT_TRUE(WriteWideFile(links + L"\\own.tmp", "x"));
    ASSERT_TRUE(WriteWideFile(links + L"\\\xFF0E\xFF0E\xFF3C" L"bystander-file.txt", "x"));
    ScopedVariable tmp(L"TMP", links.c_str());
    scan.ClickScan();
    EXPECT_FALSE(WideFileExists(links + L"\\own.tmp"));
    EXPECT_FALSE(WideFileExists(links + L"\\\xFF0E\xFF0E\xFF3C" L"bystander-file.txt"));
    for (const std::wstring& file : BystanderFiles()) EXPECT_EQ(WideFileText(file), "kept\n") << ToAnsi(file);
    // The folder is the user's own; only the links in it are refused, each in the report alone.
    ExpectBystandersKeptAndTheRestCleaned(Redirect::Temp, false);
}

// A removal step refused because its file is a link shows as a row of its own beside the finding.
TEST_F(CleaningTraps, TheSweepsFileThatIsALinkIsShownAsSkipped) {
    ASSERT_TRUE(TrapsLaid()) << kTrapsNotLaid;
    RestoreBystanders();
    const std::wstring sweepTemp = kTraps + L"\\sweep-temp";
    ScopedVariable tmp(L"TMP", sweepTemp.c_str());
    // Not a Temp folder the option may clean: that refusal would be a row of its own.
    scan.TickOption(4, false);
    scan.ClickScan();
    EXPECT_EQ(scan.Rows(), (ScanRows{{"%tempdir%\\services.exe", "Error on remove"},
                                     {ToAnsi(sweepTemp) + "\\services.exe", "Skipped: a link stands in its path"}}));
    EXPECT_EQ(WideFileText(kTraps + L"\\bystander-file.exe"), "kept\n");
    EXPECT_EQ(scan.Outcome().remaining, 1) << "the refusal is no finding of its own";
}

TEST_F(CleaningTraps, AMuiCacheLinkGoesAsALink) {
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\MuiTarget\\Inner", "value", "kept"));
    planting.Key(HKEY_CURRENT_USER, kMuiCacheKey);
    ASSERT_TRUE(CreateMachineLinkKey(HKEY_CURRENT_USER, std::string(kMuiCacheKey) + "\\Link",
                                     "Software\\ZarvexTest\\MuiTarget"));
    PlantInCleanedFolders();
    scan.ClickScan();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMuiCacheKey));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\MuiTarget\\Inner", "value"));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest");
    ExpectBystandersKeptAndTheRestCleaned(Redirect::Nothing);
}

}  // namespace
