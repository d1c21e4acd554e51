#pragma once
// Deleting exactly what was named or listed, never through a link.
//
// Each entry is opened itself (a link as the link, not its target) and its real path is checked
// against the real path of the folder holding it followed by its name; then it is deleted through
// that same handle. Where the platform hands back a link's target instead of the link (Wine shows
// a Unix symlink to a file as a plain file), the real path differs and nothing is deleted.
#include <string>

// The real path of an existing file or folder, links resolved, in "C:\..." or "\\server\..."
// form; empty when it cannot be opened.
std::wstring RealPath(const std::wstring& path);
// True when the folder that holds the last part of relative is reached from root without passing
// a link: its real path is the root's real path followed by the relative folders.
bool ReachedWithoutLinks(const std::wstring& root, const std::wstring& relative);

// Deletes the file itself (a file link as a link); clearReadOnly first writes its attributes back
// without the read-only flag. True when the deletion was accepted.
bool DeleteFileExactly(const std::wstring& path, bool clearReadOnly = false);
// Removes the folder when it is empty; a folder that is a link is removed as a link.
bool RemoveFolderExactly(const std::wstring& path);
// Deletes the ordinary and read-only files lying directly in the folder; never hidden or system
// files, never subfolders. A folder that is a link, or that is not absolute, is not listed.
void DeleteFilesInFolder(const std::wstring& folder);
// The same for "*.exe" only.
void DeleteExeFilesInFolder(const std::wstring& folder);
