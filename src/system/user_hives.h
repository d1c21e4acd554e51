#pragma once
// Every user of the machine and both views of a 64-bit Windows: the profiles the machine lists,
// each user's registry hive held for a scan and that user's own folders read from it, and the two
// registry views, Program Files and system folders.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "system/handles.h"

// True when the program runs with an administrator's full (elevated) token.
bool RunsElevated();
// The SID of the user who runs the program, "S-1-5-21-..."; empty when it cannot be read.
std::wstring RunningUserSid();
// "DOMAIN\name" for a SID text; empty when the account cannot be looked up.
std::wstring AccountName(const std::wstring& sid);
// %SystemDrive%, %SystemRoot% and %windir% taken from the Windows folder, never from the
// environment, which a user sets for his own programs; any other variable names nothing (empty).
std::wstring ExpandedFromWindowsFolder(const std::wstring& text);

// The profile folder the machine's profile list names for the SID (only administrators write
// there); empty when it names none.
std::wstring ProfileFolderOf(const std::wstring& sid);

struct UserProfile {
    std::wstring sid;
    std::wstring profile;  // the profile folder, as the profile list names it
};
// Whether a folder that a user's own settings name lies in his profile folder, judged on the text
// alone, before anything is opened: a drive path ("C:\\..."), no part of dots only ("..", which
// would climb out), inside the profile folder. A share ("\\\\host\\...") never is.
bool NamesPlaceInProfile(const std::wstring& path, const std::wstring& profile);

// The user profiles in the machine's profile list: accounts of the machine, a domain or Entra ID
// (S-1-5-21-..., S-1-12-1-...). The system's service profiles (SYSTEM, LOCAL SERVICE, NETWORK
// SERVICE) and anything without an absolute profile folder are left out.
std::vector<UserProfile> ListUserProfiles();

// A user's registry hive held for a while: the one already loaded under HKEY_USERS\<SID> (the user
// is logged on), else the profile's NTUSER.DAT loaded under a name of our own and unloaded, every
// key of ours closed first, when this goes. The user's Classes (UsrClass.dat) the same way, at
// their first use. Loading needs the backup and restore privileges (PrivilegesForHives).
class UserHive {
public:
    // Null, with the system's error, when the hive is neither loaded nor loadable.
    static std::unique_ptr<UserHive> Open(const UserProfile& user, LONG& error);
    ~UserHive();
    UserHive(const UserHive&) = delete;
    UserHive& operator=(const UserHive&) = delete;

    HKEY Root() const { return root_.get(); }
    // The user's Classes (UsrClass.dat at its place in the profile), opened or loaded; ERROR_SUCCESS
    // also when the profile has none. Until then, and after a failure, Classes() is null.
    LONG OpenClasses();
    HKEY Classes() const { return classes_.get(); }
    // Whether Root() was loaded by us (false: the user's own, already loaded).
    bool LoadedByUs() const { return !loadedName_.name.empty(); }

private:
    UserHive() = default;
    struct Unloader {
        std::wstring name;
        ~Unloader();
    };
    UserProfile user_;
    // Declared before the keys: the keys close first, then the hives unload.
    Unloader loadedName_;
    Unloader loadedClasses_;
    UniqueKey root_;
    UniqueKey classes_;
};

// Turns on the backup and restore privileges of the process while it lives, as they were after.
class PrivilegesForHives {
public:
    PrivilegesForHives();
    ~PrivilegesForHives();
    PrivilegesForHives(const PrivilegesForHives&) = delete;
    PrivilegesForHives& operator=(const PrivilegesForHives&) = delete;

private:
    std::vector<BYTE> previous_;
};

// A user whose per-user traces a scan reaches.
struct ScanUser {
    std::wstring sid;
    std::wstring name;     // "DOMAIN\name"; the SID where the account cannot be looked up
    std::wstring profile;  // the profile folder; empty for the running user
    UserHive* hive = nullptr;  // null: the running user, reached as HKCU and the system's own look-ups
};

// While one lives on this thread, per-user checks and steps reach the running user and, with
// everyUser, every other user profile of the machine, each through its own hive (loaded here and
// unloaded when the scope goes, on every path). Without one, the running user alone.
class EveryUserScope {
public:
    explicit EveryUserScope(bool everyUser);
    ~EveryUserScope();
    EveryUserScope(const EveryUserScope&) = delete;
    EveryUserScope& operator=(const EveryUserScope&) = delete;

    // The users of the scope on this thread, the running user first.
    static const std::vector<ScanUser>& Users();
    // The profiles whose hive could not be opened: "name (SID): the system's error", or
    // "name (SID), his Classes: ..." where only his Classes could not be.
    const std::vector<std::wstring>& Failures() const { return failures_; }

private:
    void AddUser(const UserProfile& profile);

    std::unique_ptr<PrivilegesForHives> privileges_;  // first: it outlives the hives
    std::vector<std::unique_ptr<UserHive>> hives_;
    std::vector<ScanUser> users_;
    std::vector<std::wstring> failures_;
    EveryUserScope* outer_;
};

// A user's folder as that user's own hive names it (User Shell Folders, else Shell Folders, else
// where Windows puts it in a profile), its variables filled in from that user's profile and the
// Windows folder: "Desktop", "AppData", "Local AppData", "Start Menu", "Programs", the document
// folders "Personal", "My Pictures", "My Music", "My Video", "Favorites", and "Cookies", "Cache".
// Empty when it names anything else.
std::wstring UserShellFolder(HKEY hive, const std::wstring& profile, const std::wstring& name);
// The user's Temp folder, from the hive's Environment, else Local AppData\Temp.
std::wstring UserTempFolder(HKEY hive, const std::wstring& profile);

// The views a machine-wide step acts in: one on 32-bit Windows, the 64-bit and the 32-bit view on
// 64-bit Windows, whichever the program is.
enum class View { Only, Native, Wow32 };
std::vector<View> MachineViews();
// KEY_WOW64_64KEY, KEY_WOW64_32KEY, or 0 where there is one view.
REGSAM ViewFlag(View view);
// "64-bit", "32-bit", or empty where there is one view.
const wchar_t* ViewName(View view);
// Program Files of the view; empty when the machine has none.
std::wstring ProgramFilesFolder(View view);
// The system folder of the view, reached without turning off redirection: a 32-bit program reaches
// the native one as Sysnative.
std::wstring SystemFolderOf(View view);
