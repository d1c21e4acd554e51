// The folders a cleaning option must refuse, however they are written or reached, beside the
// folders it must still clean.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "support/traps.h"
#include "system/folders.h"
#include "system/protected_folders.h"
#include "system/text_codes.h"
#include "system/wide_paths.h"

namespace {

std::wstring Parent(const std::wstring& folder) {
    return WithoutTrailingSeparators(PathUpToLastPart(WithoutTrailingSeparators(folder)));
}

TEST(ProtectedFolders, WellKnownFoldersAndWhatHoldsThemAreRefused) {
    const std::wstring windows = GetWindowsFolderW();
    const std::wstring profile = GetSpecialFolderW(CSIDL_PROFILE);
    struct Case {
        const char* name;
        std::wstring folder;
    } cases[] = {
        {"drive root", L"C:\\"},
        {"drive root without separator", L"C:"},
        {"windows", windows},
        {"windows, trailing separators", windows + L"\\\\"},
        {"windows, other case", L"c:\\WINDOWS"},
        {"windows through a dot", windows + L"\\system32\\.."},
        {"system", GetSystemFolderW()},
        {"program files", GetSpecialFolderW(CSIDL_PROGRAM_FILES)},
        {"program data", GetSpecialFolderW(CSIDL_COMMON_APPDATA)},
        {"users root", Parent(profile)},
        {"profile root", profile},
        {"another profile root", Parent(profile) + L"\\Public"},
        {"folder holding program files", Parent(GetSpecialFolderW(CSIDL_PROGRAM_FILES))},
        {"missing folder", windows + L"\\zarvex-no-such-folder"},
        {"relative", L"windows"},
        {"empty", L""},
    };
    for (const Case& c : cases) EXPECT_TRUE(IsProtectedFolder(c.folder)) << c.name << ": " << ToAnsi(c.folder);
    wchar_t syswow64[MAX_PATH] = {};
    if (GetSystemWow64DirectoryW(syswow64, MAX_PATH)) {
        EXPECT_TRUE(IsProtectedFolder(syswow64));
    }
}

TEST(ProtectedFolders, TheFoldersTheOptionsCleanAreNot) {
    for (int csidl : {CSIDL_COOKIES, CSIDL_INTERNET_CACHE}) {
        wchar_t path[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
        EXPECT_FALSE(IsProtectedFolder(GetSpecialFolderW(csidl))) << csidl;
    }
    EXPECT_FALSE(IsProtectedFolder(GetTempFolderW()));
    EXPECT_FALSE(IsProtectedFolder(GetWindowsFolderW() + L"\\Temp"));
}

TEST(ProtectedFolders, ALinkToAWellKnownFolderIsRefused) {
    ASSERT_TRUE(TrapsLaid()) << kTrapsNotLaid;
    EXPECT_TRUE(IsProtectedFolder(kTraps + L"\\windows-link-holder\\windows-link"));
    EXPECT_FALSE(IsProtectedFolder(kTraps + L"\\windows-link-holder"));
}

// A folder is refused for merely holding a well-known folder: here the folder above a profile
// that lies away from the users root, which neither the drive-root nor the users-root rule
// reaches. The profile is a test entry in the machine's profile list, removed after.
TEST(ProtectedFolders, AFolderThatMerelyHoldsAProfileIsRefused) {
    const std::wstring holder = L"C:\\zarvex-profiles";
    const std::wstring profile = holder + L"\\someone";
    const std::wstring sibling = L"C:\\zarvex-profiles-sibling";
    for (const std::wstring& folder : {holder, profile, profile + L"\\Temp", sibling})
        CreateDirectoryW(folder.c_str(), nullptr);
    const wchar_t entry[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-4242";
    EXPECT_FALSE(IsProtectedFolder(holder)) << "before the profile is listed";
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, entry, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(raw, L"ProfileImagePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(profile.c_str()),
                   static_cast<DWORD>((profile.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(raw);

    EXPECT_TRUE(IsProtectedFolder(holder));
    EXPECT_TRUE(IsProtectedFolder(holder + L"\\"));
    EXPECT_TRUE(IsProtectedFolder(profile));
    EXPECT_FALSE(IsProtectedFolder(sibling));
    EXPECT_FALSE(IsProtectedFolder(profile + L"\\Temp"));

    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, entry, KEY_WOW64_64KEY, 0);
    for (const std::wstring& folder : {profile + L"\\Temp", profile, holder, sibling}) RemoveDirectoryW(folder.c_str());
}

}  // namespace
