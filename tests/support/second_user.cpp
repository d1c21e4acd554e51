#include "support/second_user.h"

#include "support/test_paths.h"
#include "support/test_registry.h"
#include "system/handles.h"
#include "system/text_codes.h"
#include "system/user_hives.h"

namespace {

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
// Where the hive is built before RegSaveKey writes it out.
const char kBuild[] = "Software\\zarvex-second-user-hive";

std::string ProfileEntry() { return std::string(kProfileList) + "\\" + SecondUser::kSid; }

}  // namespace

SecondUser::SecondUser() : profile_("C:\\users\\zarvex-second") {
    RemoveTree(profile_);
    CreateDirectoryA(profile_.c_str(), nullptr);
    DeleteKeyTree(HKEY_CURRENT_USER, kBuild);
    CreateKey(HKEY_CURRENT_USER, kBuild);
    HKEY raw = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProfileEntry().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                        nullptr, &raw, nullptr) == ERROR_SUCCESS) {
        UniqueKey key(raw);
        RegSetValueExA(key.get(), "ProfileImagePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(profile_.c_str()),
                       static_cast<DWORD>(profile_.size() + 1));
    }
}

SecondUser::~SecondUser() {
    LogOff();
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, ProfileEntry().c_str(), KEY_WOW64_64KEY, 0);
    DeleteKeyTree(HKEY_CURRENT_USER, kBuild);
    RemoveTree(profile_);
}

bool SecondUser::Key(const std::string& path) { return CreateKey(HKEY_CURRENT_USER, std::string(kBuild) + "\\" + path); }

bool SecondUser::Value(const std::string& keyPath, const std::string& name, const std::string& data) {
    return SetStringValue(HKEY_CURRENT_USER, std::string(kBuild) + "\\" + keyPath, name, data);
}

bool SecondUser::Save() {
    const std::string file = profile_ + "\\NTUSER.DAT";
    DeleteFileA(file.c_str());
    PrivilegesForHives privileges;
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kBuild, 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    UniqueKey key(raw);
    return RegSaveKeyA(key.get(), file.c_str(), nullptr) == ERROR_SUCCESS;
}

bool SecondUser::LogOn() {
    PrivilegesForHives privileges;
    loggedOn_ = RegLoadKeyA(HKEY_USERS, kSid, (profile_ + "\\NTUSER.DAT").c_str()) == ERROR_SUCCESS;
    return loggedOn_;
}

void SecondUser::LogOff() {
    if (!loggedOn_) return;
    PrivilegesForHives privileges;
    RegUnLoadKeyA(HKEY_USERS, kSid);
    loggedOn_ = false;
}

std::wstring LoadedHiveOfOurs(const std::wstring& sid) {
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = 256;
        if (RegEnumKeyExW(HKEY_USERS, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return {};
        const std::wstring loaded(name, size);
        if (loaded.rfind(L"Zarvex-", 0) == 0 && loaded.size() >= sid.size() &&
            loaded.compare(loaded.size() - sid.size(), sid.size(), sid) == 0)
            return loaded;
    }
}
