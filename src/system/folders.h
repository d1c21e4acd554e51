#pragma once
// Folder look-ups. Whatever lists, tests or deletes uses the wide forms (the *W look-ups and
// system/exact_deletion.h); the 8-bit look-ups are for texts shown or read, never for deleting.
#include <windows.h>

#include <string>

// The folder of the running program, ending in a separator.
std::string GetAppFolder();
// The Windows folder, without a trailing separator.
std::string GetWindowsFolder();
// The Windows system folder, without a trailing separator.
std::string GetSystemFolder();
// The user's temporary folder, ending in a separator.
std::string GetTempFolder();
// A shell special folder by CSIDL number, without a trailing separator; empty when it has no path.
std::string GetSpecialFolder(int csidl);
// The same look-ups in UTF-16, as the system gives them.
std::wstring GetWindowsFolderW();
std::wstring GetSystemFolderW();
std::wstring GetTempFolderW();
std::wstring GetSpecialFolderW(int csidl);
// True for a 32-bit program on 64-bit Windows, where the system redirects System32 and the registry.
bool RunsUnderWow64();
// The 32-bit system folder of 64-bit Windows (SysWOW64); empty on 32-bit Windows.
std::wstring GetSysWow64FolderW();
// Empties the Recycle Bins of all drives without asking or showing anything, and says how it went:
// the caller tells the user, since a scan may run off the window's thread or without a window.
// Tests name a library that does not exist.
struct RecycleBinEmptying {
    bool loaded = false;      // the shell library was there
    HRESULT result = E_FAIL;  // S_OK when the bins are empty now; else why not
    bool Emptied() const { return loaded && SUCCEEDED(result); }
    explicit operator bool() const { return Emptied(); }
};
RecycleBinEmptying EmptyRecycleBin(const char* library = "Shell32.dll");
