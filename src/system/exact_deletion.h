#pragma once
// Deleting exactly what was named or listed, never through a link.
//
// Each entry is opened itself (a link as the link, not its target) and its real path is checked
// against the path it must have; then it is deleted through that same handle. That path is fixed
// before the open and never looked up again, so a link swapped in on the way since a check is
// caught by the same comparison. Where the platform hands back a link's target instead of the link
// (Wine shows a Unix symlink to a file as a plain file), the real path differs and nothing is
// deleted.
//
// Each deletion below records the object it reaches through acting (system/acting.h): deleted or
// planned, not found, refused with the reason, or failed with the system's error text.
#include <cstddef>
#include <string>

#include "system/acting.h"
#include "system/handles.h"

// Why a deletion was refused, as the scan shows it.
extern const char kRefusedLinkInPath[];   // "a link stands in its path"
extern const char kRefusedNotAbsolute[];  // "not an absolute path"
extern const char kRefusedNotAFolder[];   // "not a folder"
extern const char kRefusedDriveRoot[];    // "a drive root"
extern const char kRefusedNotAFile[];     // "a folder, not a file"
extern const char kRefusedReadOnly[];     // "read-only": only a step that clears the flag deletes it
extern const char kRefusedManyNames[];    // "read-only with more than one name"

// The real path of an existing file or folder, links resolved, in "C:\..." or "\\server\..."
// form; empty when it cannot be opened.
std::wstring RealPath(const std::wstring& path);
// The same, with the system's error when it is empty (ERROR_FILE_NOT_FOUND for an empty path).
std::wstring RealPath(const std::wstring& path, DWORD& error);
// What an open that failed says: "a link stands in its path" for a link that the redirection-trust
// policy blocks (ERROR_UNTRUSTED_MOUNT_POINT), else not there, or the system's error.
inline constexpr DWORD kErrorUntrustedMountPoint = 448;
// Records such an object: refused with the refusal when there is one (or a blocked link), not
// found when it is not there, else failed with the system's error text. Never "not found" for a
// folder that is there but could not be opened.
void RecordUnopened(const Acting& acting, const ActedObject& object, const std::string& refusal, DWORD error);
// True when the folder that holds the last part of relative is reached from root without passing
// a link: its real path is the root's real path followed by the relative folders.
bool ReachedWithoutLinks(const std::wstring& root, const std::wstring& relative);

// A file opened itself and held: shared for reading only, so that while it is held nobody can
// change, rename or delete it, nor rename a folder on its way. Only when its real path is the path
// given (no link on the way, the file itself no link) and it is a file; otherwise no handle, and a
// refusal, or the system's error (ERROR_FILE_NOT_FOUND when it is not there).
struct HeldFile {
    UniqueHandle handle;
    std::string refusal;
    DWORD error = ERROR_FILE_NOT_FOUND;
};
HeldFile HoldFileExactly(const std::wstring& path);

// What a deletion by exact name did. A refusal means nothing was tried; without one, deleted says
// whether the system accepted the deletion, or in a plan would be asked to (false as well when
// there was nothing to delete).
struct ExactDeletion {
    bool deleted = false;
    std::string refusal;
    explicit operator bool() const { return deleted; }
};

// Deletes the file itself (a file link as a link) when its real path is the path given, which must
// therefore be a real path itself (no link on the way, long names; RealPath of a root followed by
// plain names is one). A read-only file goes with clearReadOnly only: by the disposition that
// ignores the flag where the system has it, else by clearing the flag first, but never for a file
// with more than one name, whose attributes every name shares.
ExactDeletion DeleteFileExactly(const std::wstring& path, bool clearReadOnly = false,
                                const Acting& acting = kRemoveUnrecorded);
// Removes the folder when it is empty, by the same rule; a folder that is a link goes as a link.
ExactDeletion RemoveFolderExactly(const std::wstring& path, const Acting& acting = kRemoveUnrecorded);

// Says whether a folder may be emptied, judged on its real path as read through the handle that
// holds it while it is emptied.
class FolderRule {
public:
    virtual ~FolderRule() = default;
    // Empty when it may; otherwise why not.
    virtual std::string Refusal(const std::wstring& real) const = 0;
};

// What emptying a folder did. The files are recorded one by one; the folder itself only when it
// was not listed.
struct FolderEmptying {
    // Why nothing was listed; empty when the folder was accepted or is not there at all.
    std::string refusal;
    std::size_t files = 0;  // files reached
    bool stopped = false;   // acting's sink asked to stop before the last file
};

// The real path of a folder opened itself, fixed for the deletions that follow: empty when there
// is nothing there, and then with a refusal when the folder is a link or no folder.
struct FixedFolder {
    std::wstring real;
    std::string refusal;
    DWORD error = ERROR_FILE_NOT_FOUND;  // the system's error when it could not be opened
};
FixedFolder FixFolder(const std::wstring& folder);

// Deletes the ordinary files lying directly in the folder; never hidden or system files, never
// subfolders; a read-only file is refused. The folder must be a fixed real path as above: it is
// opened itself and held, and listed only when the real path read through that handle is the path
// given and `rule`, when there is one, accepts it. Asks acting's sink before each file whether to
// stop.
FolderEmptying DeleteFilesInFolder(const std::wstring& folder, const FolderRule* rule = nullptr,
                                   const Acting& acting = kRemoveUnrecorded);
// The same for "*.exe" only.
FolderEmptying DeleteExeFilesInFolder(const std::wstring& folder, const Acting& acting = kRemoveUnrecorded);
// The same for shortcuts only ("*.lnk" and "*.url").
FolderEmptying DeleteShortcutFilesInFolder(const std::wstring& folder, const Acting& acting = kRemoveUnrecorded);
// A listing by pattern also matches 8.3 short names ("report.executive" is REPORT~1.EXE): a name
// listed counts only when its long name ends as the pattern ("*.exe", "*.*") does.
bool LongNameMatches(const std::wstring& name, const wchar_t* pattern);
