#include "system/exact_deletion.h"

#include <windows.h>

#include <vector>

#include "system/handles.h"
#include "system/protected_folders.h"
#include "system/wide_paths.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Opens the entry itself: a reparse point as such, a folder as well as a file.
constexpr DWORD kItself = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;

UniqueHandle Open(const std::wstring& path, DWORD access, DWORD share, DWORD flags) {
    return UniqueHandle(ValidOrNull(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr)));
}

// "\\?\C:\x" -> "C:\x", "\\?\UNC\server\x" -> "\\server\x".
std::wstring WithoutVerbatimPrefix(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + path.substr(7);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

std::wstring RealPathOf(HANDLE handle) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return {};
        if (n < buffer.size()) return WithoutVerbatimPrefix(std::wstring(buffer.data(), n));
        buffer.resize(n + 1);
    }
}

// Splits "folder\name" at its last separator; false when there is none or the name is empty.
bool SplitLast(const std::wstring& path, std::wstring& folder, std::wstring& name) {
    std::wstring trimmed = WithoutTrailingSeparators(path);
    std::size_t cut = trimmed.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut + 1 >= trimmed.size()) return false;
    folder = trimmed.substr(0, cut + 1);
    name = trimmed.substr(cut + 1);
    return true;
}

// The basic information alone: the whole-file query also asks for the volume's serial number,
// which Wine fetches from its mount manager, about a millisecond for every file and folder.
bool Attributes(HANDLE handle, DWORD& attributes) {
    FILE_BASIC_INFO info{};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof(info))) return false;
    attributes = info.FileAttributes;
    return true;
}

// The entry "name" in the folder whose real path is folderReal, opened itself, or nothing when
// the handle turns out to be anything else (a link's target, a swapped folder).
UniqueHandle OpenEntryItself(const std::wstring& folderReal, const std::wstring& name, DWORD access) {
    if (folderReal.empty() || name.empty() || name == L"." || name == L"..") return {};
    const std::wstring expected = JoinPath(folderReal, name);
    UniqueHandle entry = Open(expected, access | FILE_READ_ATTRIBUTES, kShareAll, kItself);
    if (!entry || !SamePathText(RealPathOf(entry.get()), expected)) return {};
    return entry;
}

bool MarkForDeletion(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

bool ClearReadOnly(HANDLE handle) {
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof(basic))) return false;
    if (!(basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) return true;
    basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    // Zero times mean "leave unchanged".
    basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;
    basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
    return SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

// A folder opened itself and held, so that it cannot be renamed or replaced while we work in it.
UniqueHandle OpenFolderToList(const std::wstring& folder, std::wstring& real) {
    std::wstring parent, name;
    if (!IsAbsoluteFolder(folder) || !SplitLast(folder, parent, name)) return {};
    UniqueHandle handle = Open(JoinPath(parent, name), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, kItself);
    DWORD attributes = 0;
    if (!handle || !Attributes(handle.get(), attributes)) return {};
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return {};
    // Where links are followed regardless, the folder's real path gives the link away.
    real = RealPathOf(handle.get());
    if (!SamePathText(real, JoinPath(RealPath(parent), name))) return {};
    return handle;
}

// The 8.3 short names match patterns too ("report.executive" is REPORT~1.EXE): the long name
// must end as the pattern does.
bool LongNameMatches(const std::wstring& name, const wchar_t* pattern) {
    const std::wstring suffix = std::wstring(pattern).substr(1);  // "*.exe" -> ".exe"
    if (suffix == L".*") return true;
    return name.size() >= suffix.size() &&
           CompareStringOrdinal(name.c_str() + name.size() - suffix.size(), static_cast<int>(suffix.size()),
                                suffix.c_str(), static_cast<int>(suffix.size()), TRUE) == CSTR_EQUAL;
}

void DeleteListedFiles(const std::wstring& folder, const wchar_t* pattern, const ProtectedFolders* refused) {
    std::wstring real;
    UniqueHandle held = OpenFolderToList(WithoutTrailingSeparators(folder), real);
    if (!held) return;
    // Decided on the folder held, not on the name looked at before.
    if (refused && refused->Protects(real)) return;
    const DWORD skipped = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    WIN32_FIND_DATAW entry{};
    UniqueFind listing(ValidOrNull(FindFirstFileW(JoinPath(real, pattern).c_str(), &entry)));
    if (!listing) return;
    do {
        if (entry.dwFileAttributes & (skipped | 0x8 /* volume label */)) continue;
        if (!LongNameMatches(entry.cFileName, pattern)) continue;
        UniqueHandle file = OpenEntryItself(real, entry.cFileName, DELETE);
        DWORD attributes = 0;
        // Decide on what was opened, not on what was listed a moment before.
        if (file && Attributes(file.get(), attributes) && !(attributes & skipped)) MarkForDeletion(file.get());
    } while (FindNextFileW(listing.get(), &entry));
}

}  // namespace

std::wstring RealPath(const std::wstring& path) {
    if (path.empty()) return {};
    UniqueHandle handle = Open(path, FILE_READ_ATTRIBUTES, kShareAll, FILE_FLAG_BACKUP_SEMANTICS);
    return handle ? RealPathOf(handle.get()) : std::wstring();
}

bool ReachedWithoutLinks(const std::wstring& root, const std::wstring& relative) {
    std::wstring rel = WithoutTrailingSeparators(relative);
    std::size_t cut = rel.find_last_of(L"\\/");
    std::wstring folders = cut == std::wstring::npos ? std::wstring() : rel.substr(0, cut);
    if (folders.find_first_not_of(L"\\/") == std::wstring::npos) return !RealPath(root).empty();
    std::wstring rootReal = RealPath(root);
    return !rootReal.empty() && SamePathText(RealPath(JoinPath(root, folders)), JoinPath(rootReal, folders));
}

bool DeleteFileExactly(const std::wstring& path, bool clearReadOnly) {
    std::wstring folder, name;
    if (!IsAbsoluteFolder(path) || !SplitLast(path, folder, name)) return false;
    UniqueHandle file = OpenEntryItself(folder, name, DELETE | (clearReadOnly ? FILE_WRITE_ATTRIBUTES : 0));
    DWORD attributes = 0;
    if (!file || !Attributes(file.get(), attributes) || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (clearReadOnly) ClearReadOnly(file.get());
    return MarkForDeletion(file.get());
}

bool RemoveFolderExactly(const std::wstring& path) {
    std::wstring folder, name;
    if (!IsAbsoluteFolder(path) || !SplitLast(path, folder, name)) return false;
    UniqueHandle entry = OpenEntryItself(folder, name, DELETE);
    DWORD attributes = 0;
    if (!entry || !Attributes(entry.get(), attributes) || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    // A plain folder goes only when empty; a link goes as the link.
    return MarkForDeletion(entry.get());
}

void DeleteFilesInFolder(const std::wstring& folder, const ProtectedFolders* refused) {
    DeleteListedFiles(folder, L"*.*", refused);
}

void DeleteExeFilesInFolder(const std::wstring& folder) { DeleteListedFiles(folder, L"*.exe", nullptr); }
