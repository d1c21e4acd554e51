#include "system/user_hives.h"

#include <sddl.h>
#include <shlobj.h>

#include <algorithm>

#include "system/error_text.h"
#include "system/folders.h"
#include "system/protected_folders.h"
#include "system/wide_paths.h"

namespace {

UniqueHandle OwnToken(DWORD access) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), access, &raw)) return {};
    return UniqueHandle(raw);
}

std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token, kind, buffer.data(), size, &size)) return {};
    return buffer;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// What the SID conversions hand back, freed with LocalFree.
struct LocalFreeing {
    void operator()(void* memory) const { LocalFree(memory); }
};
using SidMemory = std::unique_ptr<void, LocalFreeing>;

SidMemory SidOfText(const std::wstring& text) {
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(text.c_str(), &sid)) return nullptr;
    return SidMemory(sid);
}

bool IsSidText(const std::wstring& text) { return SidOfText(text) != nullptr; }

// A string value, REG_SZ or REG_EXPAND_SZ, unexpanded; empty when there is none.
std::wstring RawString(HKEY key, const wchar_t* subkey, const wchar_t* name) {
    DWORD size = 0;
    const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    if (RegGetValueW(key, subkey, name, flags, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(key, subkey, name, flags, nullptr, text.data(), &size) != ERROR_SUCCESS) return {};
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// The text with each %NAME% filled in by value(NAME); empty when a name has no value.
template <class Value>
std::wstring ExpandedBy(const std::wstring& text, Value&& value) {
    std::wstring result;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != L'%') {
            result += text[i++];
            continue;
        }
        const std::size_t end = text.find(L'%', i + 1);
        if (end == std::wstring::npos) return {};
        const std::wstring filled = value(text.substr(i + 1, end - i - 1));
        if (filled.empty()) return {};
        result += filled;
        i = end + 1;
    }
    return result;
}

std::wstring ShellFolder(HKEY hive, const std::wstring& profile, const std::wstring& name, int depth);

// Fills in %USERPROFILE%, %APPDATA%, %LOCALAPPDATA% from the user's own profile and hive, and the
// Windows folder's variables; another variable names nothing. The user's environment is never
// asked: it is the running user's, and the other user sets his own. A folder named through
// another is looked up once deep, so a setting that names itself ends.
std::wstring ExpandedForUser(HKEY hive, const std::wstring& profile, const std::wstring& text, int depth) {
    return ExpandedBy(text, [&](const std::wstring& name) -> std::wstring {
        if (SamePathText(name, L"USERPROFILE")) return profile;
        if (depth == 0 && SamePathText(name, L"APPDATA")) return ShellFolder(hive, profile, L"AppData", depth + 1);
        if (depth == 0 && SamePathText(name, L"LOCALAPPDATA"))
            return ShellFolder(hive, profile, L"Local AppData", depth + 1);
        return ExpandedFromWindowsFolder(L"%" + name + L"%");
    });
}

// Where Windows puts each folder in a profile when the user's settings name none.
struct DefaultFolder {
    const wchar_t* name;
    const wchar_t* where;
};
const DefaultFolder kDefaultShellFolders[] = {
    {L"Desktop", L"%USERPROFILE%\\Desktop"},
    {L"AppData", L"%USERPROFILE%\\AppData\\Roaming"},
    {L"Local AppData", L"%USERPROFILE%\\AppData\\Local"},
    {L"Start Menu", L"%APPDATA%\\Microsoft\\Windows\\Start Menu"},
    {L"Programs", L"%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs"},
    {L"Personal", L"%USERPROFILE%\\Documents"},
    {L"My Pictures", L"%USERPROFILE%\\Pictures"},
    {L"My Music", L"%USERPROFILE%\\Music"},
    {L"My Video", L"%USERPROFILE%\\Videos"},
    {L"Favorites", L"%USERPROFILE%\\Favorites"},
    {L"Cookies", L"%LOCALAPPDATA%\\Microsoft\\Windows\\INetCookies"},
    {L"Cache", L"%LOCALAPPDATA%\\Microsoft\\Windows\\INetCache"},
};

std::wstring DefaultShellFolder(const std::wstring& name) {
    for (const DefaultFolder& folder : kDefaultShellFolders)
        if (name == folder.name) return folder.where;
    return {};
}

std::wstring ShellFolder(HKEY hive, const std::wstring& profile, const std::wstring& name, int depth) {
    const wchar_t kExplorer[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
    std::wstring text = RawString(hive, (std::wstring(kExplorer) + L"User Shell Folders").c_str(), name.c_str());
    if (text.empty()) text = RawString(hive, (std::wstring(kExplorer) + L"Shell Folders").c_str(), name.c_str());
    if (text.empty()) text = DefaultShellFolder(name);
    const std::wstring folder = ExpandedForUser(hive, profile, text, depth);
    return IsAbsoluteFolder(folder) ? WithoutTrailingSeparators(folder) : std::wstring();
}

bool Is64BitWindows() { return sizeof(void*) == 8 || RunsUnderWow64(); }

// The native Program Files as the machine's 64-bit settings name it: a 32-bit program's own
// look-up names "Program Files (x86)".
std::wstring NativeProgramFiles() {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &raw) != ERROR_SUCCESS)
        return {};
    UniqueKey key(raw);
    return ExpandedFromWindowsFolder(RawString(key.get(), nullptr, L"ProgramFilesDir"));
}

}  // namespace

bool RunsElevated() {
    const UniqueHandle token = OwnToken(TOKEN_QUERY);
    if (!token) return false;
    const std::vector<BYTE> info = TokenInformation(token.get(), TokenElevation);
    return info.size() >= sizeof(TOKEN_ELEVATION) && reinterpret_cast<const TOKEN_ELEVATION*>(info.data())->TokenIsElevated;
}

std::wstring RunningUserSid() {
    const UniqueHandle token = OwnToken(TOKEN_QUERY);
    if (!token) return {};
    const std::vector<BYTE> info = TokenInformation(token.get(), TokenUser);
    if (info.empty()) return {};
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(info.data())->User.Sid, &text)) return {};
    const SidMemory owned(text);
    return text;
}

std::wstring AccountName(const std::wstring& sidText) {
    const SidMemory sid = SidOfText(sidText);
    if (!sid) return {};
    wchar_t name[256] = {}, domain[256] = {};
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use{};
    if (!LookupAccountSidW(nullptr, sid.get(), name, &nameSize, domain, &domainSize, &use)) return {};
    return domain[0] ? std::wstring(domain) + L"\\" + name : std::wstring(name);
}

std::wstring ExpandedFromWindowsFolder(const std::wstring& text) {
    const std::wstring windows = WithoutTrailingSeparators(GetWindowsFolderW());
    return ExpandedBy(text, [&](const std::wstring& name) -> std::wstring {
        if (SamePathText(name, L"SystemDrive") && windows.size() >= 2) return windows.substr(0, 2);
        if (SamePathText(name, L"SystemRoot") || SamePathText(name, L"windir")) return windows;
        return {};
    });
}

std::wstring ProfileFolderOf(const std::wstring& sid) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileListKey, 0, KEY_READ | KEY_WOW64_64KEY, &raw) != ERROR_SUCCESS)
        return {};
    UniqueKey list(raw);
    const std::wstring profile = ExpandedFromWindowsFolder(RawString(list.get(), sid.c_str(), L"ProfileImagePath"));
    return IsAbsoluteFolder(profile) ? WithoutTrailingSeparators(profile) : std::wstring();
}

bool NamesPlaceInProfile(const std::wstring& path, const std::wstring& profile) {
    if (path.size() < 3 || path[1] != L':' || (path[2] != L'\\' && path[2] != L'/') || profile.empty()) return false;
    std::wstring plain = path;
    for (wchar_t& c : plain)
        if (c == L'/') c = L'\\';
    // The system drops trailing dots and blanks from a name, so "..." or ". ." climbs out as ".." does.
    for (std::size_t start = 3; start <= plain.size();) {
        const std::size_t end = std::min(plain.find(L'\\', start), plain.size());
        const std::wstring part = plain.substr(start, end - start);
        if (!part.empty() && part.find_first_not_of(L". ") == std::wstring::npos) return false;
        start = end + 1;
    }
    return IsInsideFolder(plain, profile);
}

std::vector<UserProfile> ListUserProfiles() {
    std::vector<UserProfile> users;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileListKey, 0, KEY_READ | KEY_WOW64_64KEY, &raw) != ERROR_SUCCESS)
        return users;
    UniqueKey list(raw);
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = 256;
        if (RegEnumKeyExW(list.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::wstring sid(name, size);
        // Accounts of the machine or a domain, and of Entra ID; never SYSTEM, LOCAL SERVICE,
        // NETWORK SERVICE or a service's own SID.
        if (!StartsWith(sid, L"S-1-5-21-") && !StartsWith(sid, L"S-1-12-1-")) continue;
        // "S-1-5-21-....bak", which a temporary profile's log-on leaves behind, is no account.
        if (!IsSidText(sid)) continue;
        const std::wstring profile = ProfileFolderOf(sid);
        if (!profile.empty()) users.push_back({sid, profile});
    }
    return users;
}

UserHive::Unloader::~Unloader() {
    if (!name.empty()) RegUnLoadKeyW(HKEY_USERS, name.c_str());
}

namespace {

// The hive already under HKEY_USERS by that name, or the file loaded under a name of our own.
LONG OpenOrLoad(const std::wstring& loadedName, const std::wstring& file, const std::wstring& ownName,
                std::wstring& loadedByUs, UniqueKey& key) {
    HKEY raw = nullptr;
    LONG status = RegOpenKeyExW(HKEY_USERS, loadedName.c_str(), 0, KEY_READ, &raw);
    if (status == ERROR_SUCCESS) {
        key.reset(raw);
        return status;
    }
    if (file.empty()) return ERROR_FILE_NOT_FOUND;
    // Only a file that is not there means no hive; any other error is the user's hive unread.
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return static_cast<LONG>(GetLastError());
    status = RegLoadKeyW(HKEY_USERS, ownName.c_str(), file.c_str());
    if (status != ERROR_SUCCESS) {
        // Wine leaves the key of a file it could not read behind under HKEY_USERS: never leave it.
        RegUnLoadKeyW(HKEY_USERS, ownName.c_str());
        return status;
    }
    loadedByUs = ownName;
    status = RegOpenKeyExW(HKEY_USERS, ownName.c_str(), 0, KEY_READ, &raw);
    if (status == ERROR_SUCCESS) key.reset(raw);
    return status;
}

// Ours by the process id as well: a name another run left loaded is never taken for this one's.
std::wstring OwnHiveName(const std::wstring& sid, const wchar_t* suffix) {
    return L"Zarvex-" + std::to_wstring(GetCurrentProcessId()) + L"-" + sid + suffix;
}

}  // namespace

std::unique_ptr<UserHive> UserHive::Open(const UserProfile& user, LONG& error) {
    std::unique_ptr<UserHive> hive(new UserHive);
    hive->user_ = user;
    error = OpenOrLoad(user.sid, JoinPath(user.profile, L"NTUSER.DAT"), OwnHiveName(user.sid, L""),
                       hive->loadedName_.name, hive->root_);
    if (error != ERROR_SUCCESS) return nullptr;
    return hive;
}

UserHive::~UserHive() = default;

LONG UserHive::OpenClasses() {
    // Where Windows keeps the file in the profile, now and in older Windows; never where the
    // user's own Local AppData setting points, which he may aim at any file.
    std::wstring file = JoinPath(user_.profile, L"AppData\\Local\\Microsoft\\Windows\\UsrClass.dat");
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES && IsMissingError(GetLastError()))
        file = JoinPath(user_.profile, L"Local Settings\\Application Data\\Microsoft\\Windows\\UsrClass.dat");
    const LONG error =
        OpenOrLoad(user_.sid + L"_Classes", file, OwnHiveName(user_.sid, L"_Classes"), loadedClasses_.name, classes_);
    if (error != ERROR_SUCCESS) classes_.reset();
    return IsMissingError(static_cast<DWORD>(error)) ? ERROR_SUCCESS : error;
}

PrivilegesForHives::PrivilegesForHives() {
    const UniqueHandle token = OwnToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY);
    if (!token) return;
    struct {
        DWORD count;
        LUID_AND_ATTRIBUTES privileges[2];
    } wanted{2, {}};
    if (!LookupPrivilegeValue(nullptr, SE_BACKUP_NAME, &wanted.privileges[0].Luid) ||
        !LookupPrivilegeValue(nullptr, SE_RESTORE_NAME, &wanted.privileges[1].Luid))
        return;
    wanted.privileges[0].Attributes = wanted.privileges[1].Attributes = SE_PRIVILEGE_ENABLED;
    previous_.resize(sizeof(TOKEN_PRIVILEGES) + sizeof(LUID_AND_ATTRIBUTES) * 2);
    DWORD size = static_cast<DWORD>(previous_.size());
    if (!AdjustTokenPrivileges(token.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&wanted), size,
                               reinterpret_cast<TOKEN_PRIVILEGES*>(previous_.data()), &size))
        previous_.clear();
}

PrivilegesForHives::~PrivilegesForHives() {
    if (previous_.empty()) return;
    const UniqueHandle token = OwnToken(TOKEN_ADJUST_PRIVILEGES);
    if (token)
        AdjustTokenPrivileges(token.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(previous_.data()), 0, nullptr,
                              nullptr);
}

std::wstring UserShellFolder(HKEY hive, const std::wstring& profile, const std::wstring& name) {
    return ShellFolder(hive, profile, name, 0);
}

std::wstring UserTempFolder(HKEY hive, const std::wstring& profile) {
    std::wstring text = RawString(hive, L"Environment", L"TEMP");
    // Windows' own default; put together so that the sweep's stored "\Temp" never reads in plain here.
    if (text.empty()) text = std::wstring(L"%LOCALAPPDATA%\\") + L"Temp";
    const std::wstring folder = ExpandedForUser(hive, profile, text, 0);
    return IsAbsoluteFolder(folder) ? WithoutTrailingSeparators(folder) : std::wstring();
}

std::vector<View> MachineViews() {
    if (!Is64BitWindows()) return {View::Only};
    return {View::Native, View::Wow32};
}

REGSAM ViewFlag(View view) {
    switch (view) {
        case View::Only: return 0;
        case View::Native: return KEY_WOW64_64KEY;
        case View::Wow32: return KEY_WOW64_32KEY;
    }
    return 0;
}

const wchar_t* ViewName(View view) {
    switch (view) {
        case View::Only: return L"";
        case View::Native: return L"64-bit";
        case View::Wow32: return L"32-bit";
    }
    return L"";
}

std::wstring ProgramFilesFolder(View view) {
    switch (view) {
        case View::Only: return GetSpecialFolderW(CSIDL_PROGRAM_FILES);
        case View::Native: return RunsUnderWow64() ? NativeProgramFiles() : GetSpecialFolderW(CSIDL_PROGRAM_FILES);
        case View::Wow32: return GetSpecialFolderW(CSIDL_PROGRAM_FILESX86);
    }
    return {};
}

std::wstring SystemFolderOf(View view) {
    switch (view) {
        case View::Only: return GetSystemFolderW();
        case View::Native:
            return RunsUnderWow64() ? JoinPath(WithoutTrailingSeparators(GetWindowsFolderW()), L"Sysnative") : GetSystemFolderW();
        case View::Wow32: return GetSysWow64FolderW();
    }
    return {};
}

namespace {

thread_local EveryUserScope* t_users = nullptr;

ScanUser RunningUser() {
    const std::wstring sid = RunningUserSid();
    const std::wstring name = AccountName(sid);
    return {sid, name.empty() ? sid : name, {}, nullptr};
}

}  // namespace

EveryUserScope::EveryUserScope(bool everyUser) : outer_(t_users) {
    users_.push_back(RunningUser());
    if (everyUser) {
        privileges_ = std::make_unique<PrivilegesForHives>();
        for (const UserProfile& profile : ListUserProfiles()) {
            if (profile.sid != users_.front().sid) AddUser(profile);
        }
    }
    // Last: a constructor that raised leaves no scope of its own behind on the thread.
    t_users = this;
}

void EveryUserScope::AddUser(const UserProfile& profile) {
    const std::wstring name = AccountName(profile.sid);
    ScanUser user{profile.sid, name.empty() ? profile.sid : name, profile.profile, nullptr};
    auto failed = [&](const wchar_t* what, LONG error) {
        failures_.push_back(user.name + L" (" + user.sid + L")" + what + L": " +
                            SystemErrorReason(static_cast<DWORD>(error)));
    };
    LONG error = ERROR_SUCCESS;
    std::unique_ptr<UserHive> hive = UserHive::Open(profile, error);
    // A profile without its hive file holds no registry of its own to reach.
    if (!hive && IsMissingError(static_cast<DWORD>(error))) return;
    if (!hive) return failed(L"", error);
    // Loaded now, so that Classes that cannot be read are told with the rest, never taken for none.
    if (const LONG classes = hive->OpenClasses(); classes != ERROR_SUCCESS) failed(L", his Classes", classes);
    user.hive = hive.get();
    hives_.push_back(std::move(hive));
    users_.push_back(std::move(user));
}

EveryUserScope::~EveryUserScope() {
    t_users = outer_;
    users_.clear();
    hives_.clear();
}

const std::vector<ScanUser>& EveryUserScope::Users() {
    if (t_users) return t_users->users_;
    static const std::vector<ScanUser> runningUser{RunningUser()};
    return runningUser;
}
