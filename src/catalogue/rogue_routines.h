#pragma once
// Carrying an entry out: DetectRogue has no side effects, RemoveRogue never reports failure.
#include <windows.h>

#include <string>

#include "catalogue/rogue_entry.h"

// True at the first true check; later checks are not evaluated.
bool DetectRogue(const RogueEntry& entry);
// Every step runs, whatever happened before it.
void RemoveRogue(const RogueEntry& entry);

bool CheckIsTrue(const DetectCheck& check);
void RunStep(const RemovalStep& step);

HKEY RegistryRootKey(RegistryRoot root);
// The root folder as the system gives it now; empty when it has no path.
std::wstring FolderRootPathW(FolderRoot root);
// Root path and relative part joined by one separator (system/wide_paths.h); empty (names
// nothing) when the root is not an absolute path or the relative part is empty, so nothing ever
// lands at the root of the current drive.
std::string JoinRootPath(const std::string& rootPath, const std::string& relative);
// The full path of a stored relative text under a root, decoded and looked up now. The decoded
// text becomes wide in the code page of the 8-bit calls.
std::wstring RootedPathW(FolderRoot root, const char* relativeText);
// The same from the root's real path, only when the folders between the root and the last part
// are reached without a link, and never under a Temp, AppData, Desktop or Start Menu root that is
// set to a drive root or a system folder; empty otherwise. Every step that deletes goes by this
// path.
std::wstring RemovablePath(FolderRoot root, const char* relativeText);
// For planting and messages: the 8-bit forms of the above.
std::string FolderRootPath(FolderRoot root);
std::string RootedPath(FolderRoot root, const char* relativeText);
