#include "system/protected_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "system/exact_deletion.h"
#include "system/folder_lists.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/wide_paths.h"

const wchar_t kProfileListKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

namespace {

const wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::wstring Expanded(const std::wstring& text) {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD n = ExpandEnvironmentStringsW(text.c_str(), buffer, MAX_PATH * 2);
    return n > 0 && n <= MAX_PATH * 2 ? std::wstring(buffer) : std::wstring();
}

std::wstring StringValue(HKEY key, const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return {};
    if (type == REG_EXPAND_SZ) return Expanded(buffer);
    return type == REG_SZ ? std::wstring(buffer) : std::wstring();
}

UniqueKey OpenMachineKey(const wchar_t* path) {
    HKEY raw = nullptr;
    // The 64-bit view where there is one: it names the native Program Files.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_64KEY, &raw) != ERROR_SUCCESS) return {};
    return UniqueKey(raw);
}

// "C:\" for "C:\x": the parent of a folder directly in a drive root is the root.
std::wstring ParentOf(const std::wstring& real) {
    return WithoutTrailingSeparators(PathUpToLastPart(WithoutTrailingSeparators(real)));
}

// The profiles' folder and each profile's own folder, as the machine lists them.
void AddProfiles(std::vector<std::wstring>& folders, std::vector<std::wstring>& usersRoots) {
    if (UniqueKey list = OpenMachineKey(kProfileListKey)) {
        usersRoots.push_back(StringValue(list.get(), L"ProfilesDirectory"));
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = 256;
            if (RegEnumKeyExW(list.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            HKEY raw = nullptr;
            if (RegOpenKeyExW(list.get(), name, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) continue;
            UniqueKey profile(raw);
            folders.push_back(StringValue(profile.get(), L"ProfileImagePath"));
        }
    }
    std::wstring own = GetSpecialFolderW(CSIDL_PROFILE);
    folders.push_back(own);
    // "C:\" for a profile directly in a drive root: "C:" alone would name drive C's current folder.
    const std::wstring usersRoot = ParentOf(own);
    if (!usersRoot.empty()) usersRoots.push_back(usersRoot);
}

std::vector<std::wstring> KnownFolders(std::vector<std::wstring>& usersRoots) {
    std::vector<std::wstring> folders = {
        GetWindowsFolderW(),
        GetSystemFolderW(),
        GetSysWow64FolderW(),
        // The native system folder as a 32-bit program reaches it; no folder elsewhere.
        JoinPath(WithoutTrailingSeparators(GetWindowsFolderW()), L"Sysnative"),
        GetSpecialFolderW(CSIDL_WINDOWS),
        GetSpecialFolderW(CSIDL_SYSTEM),
        GetSpecialFolderW(CSIDL_SYSTEMX86),
        GetSpecialFolderW(CSIDL_PROGRAM_FILES),
        GetSpecialFolderW(CSIDL_PROGRAM_FILESX86),
        GetSpecialFolderW(CSIDL_COMMON_APPDATA),
    };
    if (UniqueKey current = OpenMachineKey(kCurrentVersion)) {
        for (const wchar_t* name : {L"ProgramFilesDir", L"ProgramFilesDir (x86)", L"ProgramW6432Dir"})
            folders.push_back(StringValue(current.get(), name));
    }
    AddProfiles(folders, usersRoots);
    folders.insert(folders.end(), usersRoots.begin(), usersRoots.end());
    return folders;
}

bool IsDriveRoot(const std::wstring& real) {
    std::wstring path = WithoutTrailingSeparators(real);
    if (path.size() <= 3 && path.size() >= 2 && path[1] == L':') return true;
    // "\\server\share" and nothing below it.
    if (path.rfind(L"\\\\", 0) != 0) return false;
    std::size_t server = path.find(L'\\', 2);
    return server == std::wstring::npos || path.find(L'\\', server + 1) == std::wstring::npos;
}

bool IsSameOrAbove(const std::wstring& candidate, const std::wstring& known) {
    return SamePathText(candidate, known) || IsInsideFolder(known, candidate);
}

}  // namespace

ProtectedFolders::ProtectedFolders() {
    std::vector<std::wstring> usersRoots;
    auto realPaths = [](const std::vector<std::wstring>& folders, std::vector<std::wstring>& out) {
        for (const std::wstring& folder : folders) {
            std::wstring real = folder.empty() ? std::wstring() : RealPath(folder);
            if (!real.empty()) out.push_back(real);
        }
    };
    realPaths(KnownFolders(usersRoots), known_);
    realPaths(usersRoots, usersRoots_);
}

bool ProtectedFolders::Protects(const std::wstring& folder) const {
    // "C:" alone or a relative text would name the current folder, whatever that is.
    if (!IsAbsoluteFolder(folder)) return true;
    std::wstring candidate = RealPath(WithoutTrailingSeparators(folder));
    if (candidate.empty() || IsDriveRoot(candidate)) return true;
    for (const std::wstring& known : known_) {
        if (IsSameOrAbove(candidate, known)) return true;
    }
    for (const std::wstring& root : usersRoots_) {
        if (SamePathText(ParentOf(candidate), root)) return true;
    }
    return false;
}

std::shared_ptr<const ProtectedFolders> SharedProtectedFolders() {
    return FolderListScope::Shared<ProtectedFolders>([] { return std::make_shared<const ProtectedFolders>(); });
}

bool IsProtectedFolder(const std::wstring& folder) { return SharedProtectedFolders()->Protects(folder); }
