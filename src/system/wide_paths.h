#pragma once
// Paths in UTF-16, as the wide file and registry calls take them; the splitting rule in 8 bits as
// well, for the process list's names and the program's own folder.
//
// Splitting rule: '\' and '/' both separate. The last part of a path is what follows its last
// separator, the whole text when it has none; what comes before it is the folder part. Nothing is
// trimmed first: "C:\A\" has the last part "" and the folder part "C:\A\"; a caller that means
// the folder itself drops trailing separators first.
//
// Joining rule: a folder and what follows it are joined by exactly one separator. Trailing
// separators of the folder and leading ones of the rest are dropped, then one is inserted, so
// "C:\Temp\" and "C:\Temp" join "x" alike as "C:\Temp\x".
#include <string>

// Absolute means drive-qualified ("C:\" or "C:/" and more) or a UNC share ("\\server\...").
// Device and verbatim forms ("\\?\", "\\.\") and anything relative are not.
bool IsAbsoluteFolder(const std::wstring& folder);
// The folder without trailing separators; a drive root keeps its one ("C:\").
std::wstring WithoutTrailingSeparators(const std::wstring& folder);
// Folder and rest joined by the rule above; empty (names nothing) when the folder is not absolute
// or the rest is empty.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& rest);
// Case-insensitive comparison the way the file system compares names.
bool SamePathText(const std::wstring& a, const std::wstring& b);
// True when path lies below folder, compared as text (both real paths): "C:\A\B" is inside
// "C:\A" and "C:\", never inside "C:\A\B" itself or "C:\AB".
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder);

// The last part by the rule above: "x" for "C:\A\x", "C:/A/x", "\\server\share\x" and "x".
std::wstring LastPathPart(const std::wstring& path);
std::string LastPathPart(const std::string& path);
// The folder part with its separator ("C:\" for "C:\x"); empty when there is no separator.
std::wstring PathUpToLastPart(const std::wstring& path);
std::string PathUpToLastPart(const std::string& path);
// The folder part without its separator ("A\B" for "A\B\x", "C:" for "C:\x"); empty when there
// is no separator.
std::wstring PathBeforeLastPart(const std::wstring& path);
