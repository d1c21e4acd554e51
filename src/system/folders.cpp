#include "system/folders.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "system/com_scope.h"
#include "system/handles.h"
#include "system/wide_paths.h"

namespace {

std::string UpToNul(const char* buffer) { return std::string(buffer); }

}  // namespace

std::string GetAppFolder() {
    char buffer[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH + 1);
    return PathUpToLastPart(UpToNul(buffer));
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

// Straight from the number to the path, the folder as it is now. The item-list route parses the
// path back through the shell's namespace, which costs a scan that asks at every folder check.
std::string GetSpecialFolder(int csidl) {
    char buffer[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return std::string();
    return UpToNul(buffer);
}

std::wstring GetWindowsFolderW() {
    wchar_t buffer[MAX_PATH + 1] = {};
    GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    return buffer;
}

std::wstring GetSystemFolderW() {
    wchar_t buffer[MAX_PATH] = {};
    GetSystemDirectoryW(buffer, MAX_PATH);
    return buffer;
}

std::wstring GetTempFolderW() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    return n > 0 && n <= MAX_PATH ? std::wstring(buffer) : std::wstring();
}

std::wstring GetSpecialFolderW(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return {};
    return buffer;
}

bool RunsUnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::wstring GetSysWow64FolderW() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT n = GetSystemWow64DirectoryW(buffer, MAX_PATH + 1);
    return n > 0 && n <= MAX_PATH ? std::wstring(buffer) : std::wstring();
}

RecycleBinEmptying EmptyRecycleBin(const char* library) {
    RecycleBinEmptying result;
    UniqueLibrary shell32(LoadLibraryA(library));
    if (!shell32) {
        result.result = HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_MOD_NOT_FOUND);
        return result;
    }
    result.loaded = true;
    using EmptyBinFn = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
    using QueryBinFn = HRESULT(WINAPI*)(LPCSTR, SHQUERYRBINFO*);
    auto empty = reinterpret_cast<EmptyBinFn>(
        reinterpret_cast<void*>(GetProcAddress(shell32.get(), "SHEmptyRecycleBinA")));
    auto query = reinterpret_cast<QueryBinFn>(
        reinterpret_cast<void*>(GetProcAddress(shell32.get(), "SHQueryRecycleBinA")));
    if (!empty) {
        result.result = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
        return result;
    }
    ComScope::Need();
    // No owner: nothing is shown, and the scan's thread has no window.
    result.result = empty(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
    // Windows answers an empty bin with a failure: what counts is that nothing is left in it.
    SHQUERYRBINFO left{sizeof(left)};
    if (FAILED(result.result) && query && SUCCEEDED(query(nullptr, &left)) && left.i64NumItems == 0)
        result.result = S_OK;
    return result;
}
