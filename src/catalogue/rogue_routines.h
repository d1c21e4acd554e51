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
std::string FolderRootPath(FolderRoot root);
// Root path followed directly by the relative part; empty (names nothing) when the root is not an
// absolute path or the relative part is empty, so nothing ever lands at the root of the current drive.
std::string JoinRootPath(const std::string& rootPath, const std::string& relative);
// The full path of a stored relative text under a root, decoded and looked up now.
std::string RootedPath(FolderRoot root, const char* relativeText);
// Writes the file's attributes back without the read-only flag, every other flag unchanged.
void ClearReadOnlyFlag(const std::string& path);
