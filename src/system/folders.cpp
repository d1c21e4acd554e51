#include "system/folders.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "system/handles.h"

namespace {

std::string UpToNul(const char* buffer) { return std::string(buffer); }

// Only a drive-qualified (C:\...) or UNC (\\server\...) folder may be listed for deletion:
// an empty or relative text would resolve against the current drive or folder.
bool IsAbsoluteFolder(const std::string& folder) {
    if (folder.size() >= 3 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/')) {
        char d = folder[0];
        return (d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z');
    }
    return folder.size() >= 3 && folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\\';
}

void DeleteMatchingFiles(const std::string& folder, const char* pattern) {
    if (!IsAbsoluteFolder(folder)) return;
    WIN32_FIND_DATAA entry{};
    UniqueFind listing(ValidOrNull(FindFirstFileA((folder + pattern).c_str(), &entry)));
    if (!listing) return;
    const DWORD skipped = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */ |
                          FILE_ATTRIBUTE_DIRECTORY;
    do {
        if ((entry.dwFileAttributes & skipped) == 0) {
            DeleteFileA((folder + "\\" + entry.cFileName).c_str());
        }
    } while (FindNextFileA(listing.get(), &entry));
}

}  // namespace

std::string GetAppFolder() {
    char buffer[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH + 1);
    std::string path = UpToNul(buffer);
    std::size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string GetWindowsFolder() {
    char buffer[MAX_PATH + 1] = {};
    GetWindowsDirectoryA(buffer, MAX_PATH + 1);
    return UpToNul(buffer);
}

std::string GetSystemFolder() {
    char buffer[MAX_PATH] = {};
    GetSystemDirectoryA(buffer, MAX_PATH);
    return UpToNul(buffer);
}

std::string GetTempFolder() {
    char buffer[MAX_PATH] = {};
    DWORD n = GetTempPathA(MAX_PATH, buffer);
    return n > 0 && n < MAX_PATH ? UpToNul(buffer) : std::string();
}

std::string GetSpecialFolder(int csidl) {
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return std::string();
    char buffer[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDListA(items, buffer);
    CoTaskMemFree(items);
    return ok ? UpToNul(buffer) : std::string();
}

void DeleteFilesInFolder(const std::string& folder) { DeleteMatchingFiles(folder, "\\*.*"); }

void DeleteExeFilesInFolder(const std::string& folder) { DeleteMatchingFiles(folder, "\\*.exe"); }

void EmptyRecycleBin() {
    UniqueLibrary shell32(LoadLibraryA("Shell32.dll"));
    if (!shell32) {
        MessageBoxA(GetActiveWindow(), "Failed to load Shell32.dll.", "Error", MB_OK | MB_ICONERROR);
        return;
    }
    using EmptyBinFn = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
    auto empty = reinterpret_cast<EmptyBinFn>(
        reinterpret_cast<void*>(GetProcAddress(shell32.get(), "SHEmptyRecycleBinA")));
    if (empty) empty(GetActiveWindow(), nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}
