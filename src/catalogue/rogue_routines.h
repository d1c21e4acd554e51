#pragma once
// Carrying an entry out: DetectRogue has no side effects; RemoveRogue reports no failure, only the
// steps it refused. A removal is carried out for real or as a plan (system/acting.h): the same
// steps, the same look-ups and checks, and each object a step reaches recorded with its outcome.
#include <windows.h>

#include <string>
#include <vector>

#include "catalogue/rogue_entry.h"
#include "system/acting.h"
#include "system/user_hives.h"

// What a step did, as far as the scan shows it: why it was refused, when it was (a link on the way,
// a root set to a system folder).
struct StepOutcome {
    std::string refusal;
};
// A refused step of an entry: its place in the entry's steps, and why.
struct StepRefusal {
    std::size_t step;
    std::string reason;
};

// True at the first true check; later checks are not evaluated. A check looks at a folder by the
// rules of its deletion: one there that they refuse (a link on its way, its root set to a system
// folder) is no trace, and is recorded as refused through refusals.
bool DetectRogue(const RogueEntry& entry, const Acting& refusals = kRemoveUnrecorded);
// Every step runs, whatever happened before it; hands back each refusal, in order. A plan waits
// for nothing and starts nothing.
std::vector<StepRefusal> RemoveRogue(const RogueEntry& entry, const Acting& acting = kRemoveUnrecorded);

// A check is true when it is true in any place its root reaches; a step is carried out in each
// place its root reaches (ReachOf), in order: each user, each view.
bool CheckIsTrue(const DetectCheck& check, const Acting& refusals = kRemoveUnrecorded);
// A Run value is deleted only while its data names one of productNames (RemoveRogue hands it the
// entry's ProductNames); without names it is refused.
StepOutcome RunStep(const RemovalStep& step, const Acting& acting = kRemoveUnrecorded,
                    const std::vector<std::wstring>& productNames = {});
// What names the product in a value's data: its programs, its folder (the folder checks' paths) and
// the file names it deletes.
std::vector<std::wstring> ProductNames(const RogueEntry& entry);

// One place a root reaches: a user (null: the machine, or the running user where the root is
// per-user and the scan reaches no one else) and a view; the owner its objects are recorded with.
struct StepPlace {
    const ScanUser* user = nullptr;
    View view = View::Only;
    ObjectOwner owner;
};
// The places of a root, in order: each user of the scan (system/user_hives.h), each view.
std::vector<StepPlace> PlacesOf(RootReach reach);
// An uninstaller step in one Program Files place only: the setup file found there starts the
// uninstaller of its own folder, never the other view's.
StepOutcome StartUninstallerIn(const RemovalStep& step, const StepPlace& place, const Acting& acting);
// A registry root in a place: its key, opened in the place's view, and its name in the record.
// Null where the place has no such hive (a user without Classes).
struct PlacedRegistry {
    HKEY key = nullptr;
    REGSAM view = 0;
    std::wstring name;
};
PlacedRegistry RegistryRootAt(RegistryRoot root, const StepPlace& place);
// The root folder in a place; empty when it has no path there.
std::wstring FolderRootPathW(FolderRoot root, const StepPlace& place);

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
// set to a drive root or a system folder. Every step that deletes goes by this path, fixed here.
// No path and no refusal: nothing is there to delete.
struct RemovableTarget {
    std::wstring path;
    std::string refusal;
    DWORD error = ERROR_FILE_NOT_FOUND;  // no path and no refusal: why (not there, or the system's error)
};
// Whether a refused path may still be looked at, to show the refusal where something is there:
// not when another user's setting put it outside his profile and it is no drive path (a share).
bool MayLookAt(const std::wstring& named, const RemovableTarget& target);
// Records the object of a step that has no such path: not found, refused or failed.
void RecordUnremovable(const RemovableTarget& target, const ActedObject& object, const Acting& acting);
extern const char kRefusedSettableRoot[];  // "its root folder is set to a system folder or a drive root"
// Another user's Temp, AppData, Desktop or Start Menu root that his own settings put outside his
// profile (or name so that it cannot be told, a share say): refused before anything is opened.
extern const char kRefusedOutsideUsersProfile[];
RemovableTarget CheckRemovable(FolderRoot root, const char* relativeText);
RemovableTarget CheckRemovable(FolderRoot root, const char* relativeText, const StepPlace& place);
std::wstring RootedPathW(FolderRoot root, const char* relativeText, const StepPlace& place);
// The same under a root path given; settable: a root that a setting names (refused at a system
// folder or a drive root); with a profile, a root whose real path is not inside it is refused.
RemovableTarget CheckRemovableUnder(const std::wstring& rootPath, bool settable, const std::wstring& relative,
                                    const std::wstring& profile = {});
// Its path alone; empty when refused or when nothing is there.
std::wstring RemovablePath(FolderRoot root, const char* relativeText);
// For planting and messages: the 8-bit forms of the above.
std::string FolderRootPath(FolderRoot root);
std::string RootedPath(FolderRoot root, const char* relativeText);
