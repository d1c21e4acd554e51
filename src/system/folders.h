#pragma once
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
// Deletes the ordinary and read-only files lying directly in the folder; never hidden or system
// files, never subfolders. An empty or relative folder deletes nothing.
void DeleteFilesInFolder(const std::string& folder);
// The same for "*.exe" only.
void DeleteExeFilesInFolder(const std::string& folder);
// Empties the Recycle Bins of all drives without asking.
void EmptyRecycleBin();
