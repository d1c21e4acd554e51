#pragma once
// Deleting exactly what was named or listed, never through a link.
//
// Each entry is opened itself (a link as the link, not its target) and its real path is checked
// against the path it must have; then it is deleted through that same handle. That path is fixed
// before the open and never looked up again, so a link swapped in on the way since a check is
// caught by the same comparison. Where the platform hands back a link's target instead of the link
// (Wine shows a Unix symlink to a file as a plain file), the real path differs and nothing is
// deleted.
#include <string>

class ProtectedFolders;

// The real path of an existing file or folder, links resolved, in "C:\..." or "\\server\..."
// form; empty when it cannot be opened.
std::wstring RealPath(const std::wstring& path);
// True when the folder that holds the last part of relative is reached from root without passing
// a link: its real path is the root's real path followed by the relative folders.
bool ReachedWithoutLinks(const std::wstring& root, const std::wstring& relative);

// Deletes the file itself (a file link as a link) when its real path is the path given, which must
// therefore be a real path itself (no link on the way, long names; RealPath of a root followed by
// plain names is one); clearReadOnly first writes its attributes back without the read-only flag.
// True when the deletion was accepted.
bool DeleteFileExactly(const std::wstring& path, bool clearReadOnly = false);
// Removes the folder when it is empty, by the same rule; a folder that is a link goes as a link.
bool RemoveFolderExactly(const std::wstring& path);
// Deletes the ordinary and read-only files lying directly in the folder; never hidden or system
// files, never subfolders. A folder that is a link, or that is not absolute, is not listed; nor is
// one whose real path, read from the handle that holds it while it is emptied, `refused` protects.
void DeleteFilesInFolder(const std::wstring& folder, const ProtectedFolders* refused = nullptr);
// The same for "*.exe" only.
void DeleteExeFilesInFolder(const std::wstring& folder);
