#pragma once
// Where each cleaning option's folder may be. A setting or the environment names these folders,
// and the user's own unelevated programs can change both; so a folder is cleaned only where such
// a folder belongs, and everything else is refused. The protected folders stay a second line.
#include <memory>
#include <string>
#include <vector>

#include "system/acting.h"
#include "system/exact_deletion.h"

class ProtectedFolders;
struct ScanUser;

// Why an option's folder was refused, as the scan shows it.
extern const char kRefusedNoProfile[];        // "the user's profile folder is not known"
extern const char kRefusedOutsideProfile[];   // "not inside the user's profile folder"
extern const char kRefusedProfileItself[];    // "the user's profile folder itself"
extern const char kRefusedDocumentFolder[];   // "a document folder, a folder in one or a folder that holds one"
extern const char kRefusedNotWindowsTemp[];   // "not the Temp folder of the Windows folder"
extern const char kRefusedSystemFolder[];     // "a system folder, or a folder that holds one"
extern const char kRefusedNotProfileTemp[];   // "not the Temp folder of the user's profile"
extern const char kRefusedNotCookies[];       // "not a cookies folder of the user's profile"
extern const char kRefusedNotCache[];         // "not an Internet cache folder of the user's profile"

// The profile folders that an option cleans, each allowed only where the system keeps it.
enum class ProfileFolder { Temp, Cookies, Cache };

class CleaningPlaces {
public:
    // The places of the user who runs the program.
    explicit CleaningPlaces(std::shared_ptr<const ProtectedFolders> secondLine);
    // The places of a user of the scan: another user's profile folder as the machine's profile
    // list names it and his document folders as his own hive names them.
    CleaningPlaces(std::shared_ptr<const ProtectedFolders> secondLine, const ScanUser& user);
    // Cookies, the Internet cache and the user's Temp: inside the profile folder of the user
    // (whoever's places these are), never that folder itself, one of the user's document folders (Desktop,
    // Documents, Downloads, Pictures, Music, Videos, Favorites and the like), a folder in one or a
    // folder that holds one. Empty when the folder at this real path may be cleaned; otherwise why
    // not.
    std::string ProfileRefusal(const std::wstring& real) const;
    // The same, and then only the folder's own places in the profile, now and in older Windows:
    // the Temp in AppData\Local or Local Settings, or directly in the profile as Wine has it (or a
    // folder in it, as a session's Temp is); the
    // cookies and the cache at their places under AppData. Whatever a setting or TMP names.
    std::string ProfileRefusal(const std::wstring& real, ProfileFolder folder) const;
    // The Windows Temp: only the folder `name` directly inside the real Windows folder.
    std::string WindowsRefusal(const std::wstring& real, const std::wstring& name) const;

private:
    void SetProfile(const std::wstring& profile, const std::vector<std::wstring>& documentFolders);
    // The profile rule above without the second line.
    std::string ProfileRule(const std::wstring& real) const;
    std::string SecondLine(const std::wstring& real) const;

    std::shared_ptr<const ProtectedFolders> secondLine_;
    std::wstring profile_;                 // real path; empty when not known
    std::vector<std::wstring> documents_;  // real paths, or as named where there is no folder
    std::wstring windows_;                 // real path
};

// The scan's places (system/folder_lists.h), behind the scan's protected folders, made at their
// first use; without a scan, new ones.
std::shared_ptr<const CleaningPlaces> SharedCleaningPlaces();

// Empties a cleaning option's folder (DeleteFilesInFolder) where such a folder belongs. The folder
// is opened itself and its real path fixed there (a folder that is a link is refused); it is then
// judged on the real path read through the handle that holds it while it is emptied. A folder that
// is not there is no refusal: there is nothing to clean. Carried out or planned by acting.
FolderEmptying CleanProfileFolder(const std::wstring& folder, ProfileFolder which,
                                  const Acting& acting = kRemoveUnrecorded);
// The same for a user of the scan, judged by that user's places: another user's folder only in his
// own profile.
FolderEmptying CleanProfileFolder(const std::wstring& folder, ProfileFolder which, const ScanUser& user,
                                  const Acting& acting);
// The same for the Windows Temp: `part` is the folder's name after the Windows folder ("\Temp").
FolderEmptying CleanWindowsFolderPart(const std::wstring& part, const Acting& acting = kRemoveUnrecorded);
