// The folder and MUICache options beside traps: a Temp folder that the environment turns into a
// profile root, the Windows folder or a drive root, a Cookies folder that a user's shell folder
// setting points at the Windows folder, a Temp folder holding file links, and a link under the
// MUICache key. Each refused folder loses nothing, and the scan goes on to clean the rest.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "support/planting.h"
#include "support/scan_window.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "support/traps.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/wide_paths.h"

namespace {

const ScanRows kNothingFound = {{"No malicious software was found.", ""}};
const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char kMuiCacheKey[] = "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";

// A user's shell folder setting, put back as it was.
class ScopedShellFolder {
public:
    ScopedShellFolder(const wchar_t* name, const std::wstring& path) : name_(name) {
        HKEY raw = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr);
        key_.reset(raw);
        wchar_t buffer[MAX_PATH] = {};
        DWORD size = sizeof(buffer) - sizeof(wchar_t);
        had_ = RegQueryValueExW(raw, name, nullptr, &type_, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
        previous_ = buffer;
        RegSetValueExW(raw, name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    }
    ~ScopedShellFolder() {
        if (had_) {
            RegSetValueExW(key_.get(), name_, 0, type_, reinterpret_cast<const BYTE*>(previous_.c_str()),
                           static_cast<DWORD>((previous_.size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key_.get(), name_);
        }
    }

private:
    const wchar_t* name_;
    UniqueKey key_;
    bool had_ = false;
    DWORD type_ = REG_EXPAND_SZ;
    std::wstring previous_;
};

class CleaningTraps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scan.Created());
        scan.TickAllProducts(false);
        // Bystanders directly in folders that no option may clean.
        windowsFile = GetWindowsFolder() + "\\zarvex-bystander.txt";
        rootFile = "C:\\zarvex-bystander.txt";
        profileFile = StoredFromWide(GetSpecialFolderW(CSIDL_PROFILE)) + "\\zarvex-bystander.txt";
        for (const std::string& file : {windowsFile, rootFile, profileFile}) planting.File(file);
        // The Windows Temp folder is still cleaned: a refusal does not end the scan.
        windowsTempFile = GetWindowsFolder() + "\\Temp\\zarvex-clean.txt";
        planting.File(windowsTempFile);
    }
    void ExpectBystandersKept() {
        for (const std::string& file : {windowsFile, rootFile, profileFile}) EXPECT_TRUE(FileExists(file)) << file;
        EXPECT_FALSE(FileExists(windowsTempFile));
        EXPECT_EQ(scan.Rows(), kNothingFound);
    }

    ScanWindow scan;
    Planting planting;
    std::string windowsFile, rootFile, profileFile, windowsTempFile;
};

TEST_F(CleaningTraps, ATempFolderTheEnvironmentTurnsIntoAWellKnownFolderIsRefused) {
    struct Case {
        const char* name;
        const wchar_t* tmp;
        const wchar_t* temp;
        const wchar_t* profile;
    };
    const std::wstring profile = GetSpecialFolderW(CSIDL_PROFILE);
    const std::wstring windowsLink = kTraps + L"\\windows-link-holder\\windows-link";
    const Case cases[] = {
        {"no TMP or TEMP: the profile root", nullptr, nullptr, profile.c_str()},
        {"no TMP, TEMP or profile: the Windows folder", nullptr, nullptr, nullptr},
        {"TMP at a drive root", L"C:\\", nullptr, profile.c_str()},
        {"TMP at the drive root, doubled separator", L"C:\\\\", nullptr, profile.c_str()},
        {"TMP through a link to the Windows folder", windowsLink.c_str(), nullptr, profile.c_str()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        planting.File(windowsTempFile);
        ScopedVariable tmp(L"TMP", c.tmp);
        ScopedVariable temp(L"TEMP", c.temp);
        ScopedVariable user(L"USERPROFILE", c.profile);
        scan.ClickScan();
        ExpectBystandersKept();
    }
}

TEST_F(CleaningTraps, ACookiesFolderSetToTheWindowsFolderIsRefused) {
    ScopedShellFolder cookies(L"Cookies", WideFromStored(GetWindowsFolder()));
    ASSERT_EQ(GetSpecialFolder(CSIDL_COOKIES), GetWindowsFolder());
    scan.ClickScan();
    ExpectBystandersKept();
}

TEST_F(CleaningTraps, ATempFolderWithFileLinksLosesOnlyItsOwnFiles) {
    if (!TrapsLaid()) GTEST_SKIP() << "traps not laid: run tests/traps/make_traps.sh for this build";
    RestoreBystanders();
    const std::wstring links = kTraps + L"\\links";
    ASSERT_TRUE(WriteWideFile(links + L"\\own.tmp", "x"));
    ASSERT_TRUE(WriteWideFile(links + L"\\\xFF0E\xFF0E\xFF3C" L"bystander-file.txt", "x"));
    ScopedVariable tmp(L"TMP", links.c_str());
    scan.ClickScan();
    EXPECT_FALSE(WideFileExists(links + L"\\own.tmp"));
    EXPECT_FALSE(WideFileExists(links + L"\\\xFF0E\xFF0E\xFF3C" L"bystander-file.txt"));
    EXPECT_EQ(WideFileText(kTraps + L"\\bystander-file.txt"), "kept\n");
    EXPECT_EQ(WideFileText(kTraps + L"\\bystander-file.exe"), "kept\n");
    EXPECT_EQ(WideFileText(kTraps + L"\\bystander\\kept.txt"), "kept\n");
    ExpectBystandersKept();
}

TEST_F(CleaningTraps, AMuiCacheLinkGoesAsALink) {
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\MuiTarget\\Inner", "value", "kept"));
    planting.Key(HKEY_CURRENT_USER, kMuiCacheKey);
    HKEY raw = nullptr;
    const std::wstring link = WideFromStored(kMuiCacheKey) + L"\\Link";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, link.c_str(), 0, nullptr, REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    const std::wstring target = L"\\Registry\\Machine\\Software\\ZarvexTest\\MuiTarget";
    RegSetValueExW(raw, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.data()),
                   static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    RegCloseKey(raw);
    scan.ClickScan();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMuiCacheKey));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\MuiTarget\\Inner", "value"));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest");
    ExpectBystandersKept();
}

}  // namespace
