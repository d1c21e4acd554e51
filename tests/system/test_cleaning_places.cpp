// Where the cleaning options' folders may be: the profile rule for Cookies, the Internet cache and
// the user's Temp, the one place of the Windows Temp, and the protected folders behind both.
// Judged on real paths as the folder held would give them; the traps through the whole scan are in
// tests/app/test_cleaning_traps.cpp.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/test_paths.h"
#include "support/traps.h"
#include "system/cleaning_places.h"
#include "system/exact_deletion.h"
#include "system/folder_lists.h"
#include "system/folders.h"
#include "system/protected_folders.h"

namespace {

const wchar_t kProfileList[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

std::wstring Real(const std::wstring& path) { return RealPath(path); }

CleaningPlaces MachinePlaces() { return CleaningPlaces(std::make_shared<const ProtectedFolders>()); }

TEST(CleaningPlaces, ProfileFoldersOnlyInsideTheUsersOwnProfile) {
    const std::wstring profile = Real(GetSpecialFolderW(CSIDL_PROFILE));
    const std::wstring windows = Real(GetWindowsFolderW());
    ASSERT_FALSE(profile.empty());
    const CleaningPlaces places = MachinePlaces();
    struct Case {
        const char* name;
        std::wstring real;
        const char* refusal;
    } cases[] = {
        {"the user's Temp", Real(GetTempFolderW()), ""},
        {"the cookies", Real(GetSpecialFolderW(CSIDL_COOKIES)), ""},
        {"a folder in the profile", profile + L"\\AppData\\Local", ""},
        {"the profile itself", profile, kRefusedProfileItself},
        {"the profile, other case", L"c" + profile.substr(1), kRefusedProfileItself},
        {"Documents", profile + L"\\Documents", kRefusedDocumentFolder},
        {"Desktop", profile + L"\\Desktop", kRefusedDocumentFolder},
        {"Downloads, however written", profile + L"\\DOWNLOADS\\", kRefusedDocumentFolder},
        {"a folder in Pictures", profile + L"\\Pictures\\Holiday", kRefusedDocumentFolder},
        {"a profile sibling with a longer name", profile + L"-other\\Temp", kRefusedOutsideProfile},
        {"another user's Documents", Real(GetSpecialFolderW(CSIDL_COMMON_DOCUMENTS)), kRefusedOutsideProfile},
        {"a program's folder", Real(GetSpecialFolderW(CSIDL_PROGRAM_FILES)) + L"\\Program",
         kRefusedOutsideProfile},
        {"drivers\\etc", Real(GetSystemFolderW()) + L"\\drivers\\etc", kRefusedOutsideProfile},
        {"the Windows Temp", windows + L"\\Temp", kRefusedOutsideProfile},
        {"the drive root", L"C:\\", kRefusedOutsideProfile},
    };
    for (const Case& c : cases) EXPECT_EQ(places.ProfileRefusal(c.real), c.refusal) << c.name;
}

// Each option's folder only at its own place in the profile, now and in older Windows; the other
// folders of the profile that hold the user's data are refused, whatever TMP or a setting says.
TEST(CleaningPlaces, EachOptionsFolderOnlyAtItsOwnPlace) {
    const std::wstring profile = Real(GetSpecialFolderW(CSIDL_PROFILE));
    ASSERT_FALSE(profile.empty());
    const CleaningPlaces places = MachinePlaces();
    const std::wstring local = profile + L"\\AppData\\Local", roaming = profile + L"\\AppData\\Roaming";
    struct Case {
        const char* name;
        std::wstring real;
        ProfileFolder folder;
        const char* refusal;
    } cases[] = {
        {"the Temp", local + L"\\Temp", ProfileFolder::Temp, ""},
        {"the Temp, other case", local + L"\\TEMP\\", ProfileFolder::Temp, ""},
        {"a session's Temp in it", local + L"\\Temp\\2", ProfileFolder::Temp, ""},
        {"the older Temp", profile + L"\\Local Settings\\Temp", ProfileFolder::Temp, ""},
        {"Wine's Temp", profile + L"\\Temp", ProfileFolder::Temp, ""},
        {"the SSH keys", profile + L"\\.ssh", ProfileFolder::Temp, kRefusedNotProfileTemp},
        {"AppData\\Roaming itself", roaming, ProfileFolder::Temp, kRefusedNotProfileTemp},
        {"AppData\\Local itself", local, ProfileFolder::Temp, kRefusedNotProfileTemp},
        {"a sync folder", profile + L"\\OneDrive - Contoso", ProfileFolder::Temp, kRefusedNotProfileTemp},
        {"a program's settings", roaming + L"\\Mozilla\\Firefox", ProfileFolder::Temp, kRefusedNotProfileTemp},
        {"a Temp elsewhere in the profile", roaming + L"\\Temp", ProfileFolder::Temp, kRefusedNotProfileTemp},
        {"a folder beside the Temp, named like it", local + L"\\Temp2", ProfileFolder::Temp, kRefusedNotProfileTemp},
        {"the cookies", local + L"\\Microsoft\\Windows\\INetCookies", ProfileFolder::Cookies, ""},
        {"the older cookies", roaming + L"\\Microsoft\\Windows\\Cookies", ProfileFolder::Cookies, ""},
        {"the cookies at the Temp", local + L"\\Temp", ProfileFolder::Cookies, kRefusedNotCookies},
        {"a folder in the cookies", roaming + L"\\Microsoft\\Windows\\Cookies\\x", ProfileFolder::Cookies,
         kRefusedNotCookies},
        {"the cache", local + L"\\Microsoft\\Windows\\INetCache", ProfileFolder::Cache, ""},
        {"the older cache", local + L"\\Microsoft\\Windows\\Temporary Internet Files", ProfileFolder::Cache, ""},
        {"the cache at the cookies", local + L"\\Microsoft\\Windows\\INetCookies", ProfileFolder::Cache,
         kRefusedNotCache},
        // The earlier rules still come first.
        {"the profile itself", profile, ProfileFolder::Temp, kRefusedProfileItself},
        {"Documents", profile + L"\\Documents", ProfileFolder::Cache, kRefusedDocumentFolder},
        {"outside the profile", Real(GetWindowsFolderW()) + L"\\Temp", ProfileFolder::Temp, kRefusedOutsideProfile},
    };
    // The places accepted are there, as a folder cleaned is (a folder that is not there counts as
    // protected); the ones made here go again.
    std::vector<std::wstring> made;
    for (const Case& c : cases) {
        if (*c.refusal || WideFolderExists(c.real)) continue;
        std::wstring path;
        for (std::size_t at = profile.size(); at != std::wstring::npos; at = c.real.find(L'\\', at + 1)) {
            path = c.real.substr(0, at);
            if (!WideFolderExists(path) && CreateDirectoryW(path.c_str(), nullptr)) made.push_back(path);
        }
        if (CreateDirectoryW(c.real.c_str(), nullptr)) made.push_back(c.real);
    }
    for (const Case& c : cases) EXPECT_EQ(places.ProfileRefusal(c.real, c.folder), c.refusal) << c.name;
    for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW(it->c_str());
    // The program's own folders, as the system names them here, are each at their place.
    EXPECT_EQ(places.ProfileRefusal(Real(GetTempFolderW()), ProfileFolder::Temp), "");
    EXPECT_EQ(places.ProfileRefusal(Real(GetSpecialFolderW(CSIDL_COOKIES)), ProfileFolder::Cookies), "");
    EXPECT_EQ(places.ProfileRefusal(Real(GetSpecialFolderW(CSIDL_INTERNET_CACHE)), ProfileFolder::Cache), "");
}

// The document folders are where the user's settings put them as well as where they lie by
// default: a folder that holds a relocated Documents is refused too.
TEST(CleaningPlaces, ARelocatedDocumentFolderIsRefusedWithWhatHoldsIt) {
    const std::wstring profile = Real(GetSpecialFolderW(CSIDL_PROFILE));
    const std::wstring local = profile + L"\\AppData\\Local";
    const std::wstring documents = local + L"\\zarvex-documents";
    CreateDirectoryW(documents.c_str(), nullptr);
    EXPECT_EQ(MachinePlaces().ProfileRefusal(local), "");
    {
        ScopedShellFolder personal(L"Personal", documents);
        const CleaningPlaces places = MachinePlaces();
        EXPECT_EQ(places.ProfileRefusal(documents), kRefusedDocumentFolder);
        EXPECT_EQ(places.ProfileRefusal(local), kRefusedDocumentFolder);
        EXPECT_EQ(places.ProfileRefusal(profile + L"\\Documents"), kRefusedDocumentFolder) << "still by default";
    }
    RemoveDirectoryW(documents.c_str());
}

// The protected folders stay a second line: a profile listed for another user inside this one's.
TEST(CleaningPlaces, AProtectedFolderInsideTheProfileIsRefused) {
    const std::wstring profile = Real(GetSpecialFolderW(CSIDL_PROFILE));
    const std::wstring nested = profile + L"\\zarvex-nested-profile";
    CreateDirectoryW(nested.c_str(), nullptr);
    const std::wstring entry = std::wstring(kProfileList) + L"\\S-1-5-21-0-0-0-4243";
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, entry.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(raw, L"ProfileImagePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(nested.c_str()),
                   static_cast<DWORD>((nested.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(raw);
    EXPECT_EQ(MachinePlaces().ProfileRefusal(nested), kRefusedSystemFolder);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, entry.c_str(), KEY_WOW64_64KEY, 0);
    EXPECT_EQ(MachinePlaces().ProfileRefusal(nested), "");
    RemoveDirectoryW(nested.c_str());
}

TEST(CleaningPlaces, TheWindowsTempOnlyDirectlyInTheWindowsFolder) {
    const std::wstring windows = Real(GetWindowsFolderW());
    const CleaningPlaces places = MachinePlaces();
    struct Case {
        const char* name;
        std::wstring real;
        const wchar_t* part;
        const char* refusal;
    } cases[] = {
        {"the Windows Temp", windows + L"\\Temp", L"\\Temp", ""},
        {"other case", windows + L"\\TEMP", L"\\temp\\", ""},
        {"another Windows folder", windows + L"\\Fonts", L"\\Temp", kRefusedNotWindowsTemp},
        {"a folder in the Temp", windows + L"\\Temp\\sub", L"\\Temp", kRefusedNotWindowsTemp},
        {"the Windows folder", windows, L"\\Temp", kRefusedNotWindowsTemp},
        {"a Temp elsewhere", Real(GetTempFolderW()), L"\\Temp", kRefusedNotWindowsTemp},
        {"a part that climbs", windows + L"\\Temp", L"\\..\\Temp", kRefusedNotWindowsTemp},
        {"no part", windows, L"\\", kRefusedNotWindowsTemp},
        {"a part naming the system folder", Real(GetSystemFolderW()), L"\\system32", kRefusedSystemFolder},
    };
    for (const Case& c : cases) EXPECT_EQ(places.WindowsRefusal(c.real, c.part), c.refusal) << c.name;
}

// Within one scope the machine's folders are looked up once; a scope inside it adds nothing, and
// without a scope each check looks them up anew.
TEST(CleaningPlaces, OneListPerScope) {
    EXPECT_NE(SharedProtectedFolders(), SharedProtectedFolders());
    {
        FolderListScope scan;
        const auto protectedFolders = SharedProtectedFolders();
        const auto places = SharedCleaningPlaces();
        FolderListScope inner;
        EXPECT_EQ(SharedProtectedFolders(), protectedFolders);
        EXPECT_EQ(SharedCleaningPlaces(), places);
    }
    EXPECT_NE(SharedCleaningPlaces(), SharedCleaningPlaces());
}

// The scope keys its lists by type alone: a list made while another is being made (the places ask
// for the protected folders) is stored once and handed to both, and the scope is this thread's.
TEST(CleaningPlaces, AListMadeInsideAnothersMakingIsTheScopesOwn) {
    struct Inner {};
    struct Outer {
        std::shared_ptr<const Inner> inner;
    };
    int innerMade = 0;
    auto inner = [&] {
        return FolderListScope::Shared<Inner>([&] {
            ++innerMade;
            return std::make_shared<const Inner>();
        });
    };
    FolderListScope scan;
    const auto outer = FolderListScope::Shared<Outer>([&] { return std::make_shared<const Outer>(Outer{inner()}); });
    EXPECT_EQ(inner(), outer->inner);
    EXPECT_EQ(FolderListScope::Shared<Outer>([] { return std::make_shared<const Outer>(); }), outer);
    EXPECT_EQ(innerMade, 1);
    std::shared_ptr<const Inner> elsewhere;
    std::thread([&] { elsewhere = inner(); }).join();
    EXPECT_NE(elsewhere, outer->inner);
    EXPECT_EQ(innerMade, 2);
}

}  // namespace
