#pragma once
// Folders that nothing may empty, whatever a setting or the environment names: the second line
// behind the cleaning options' places (system/cleaning_places.h) and the roots a user can set.
#include <memory>
#include <string>
#include <vector>

// The machine's list of profiles under HKEY_LOCAL_MACHINE: one key per SID, each naming its folder.
extern const wchar_t kProfileListKey[];

// True when the folder is a drive root, the Windows, System or SysWOW64 folder, a Program Files
// folder, ProgramData, the Users root, a profile root (any folder directly in the Users root, or a
// profile's folder wherever it lies), or a folder that holds any of these. Compared on real paths,
// so a link, a short name or a doubled separator changes nothing. A folder that cannot be opened
// counts as protected: there is nothing to clean there anyway; so does one that is not absolute.
// The machine's folders are looked up once in a scan (system/folder_lists.h), else at each call.
bool IsProtectedFolder(const std::wstring& folder);

// The same test for several folders, the machine's folders looked up once.
class ProtectedFolders {
public:
    ProtectedFolders();
    bool Protects(const std::wstring& folder) const;

private:
    std::vector<std::wstring> known_;       // real paths
    std::vector<std::wstring> usersRoots_;  // real paths
};

// The scan's list (system/folder_lists.h), made at its first use; without a scan, a new one.
std::shared_ptr<const ProtectedFolders> SharedProtectedFolders();
