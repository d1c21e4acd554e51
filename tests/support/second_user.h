#pragma once
// A second user of the machine, kept as Windows keeps one: an entry in the machine's profile list,
// a profile folder under C:\users, and the user's registry hive in the profile's NTUSER.DAT,
// written with RegSaveKey from keys built under HKCU. Everything goes with it; a hive the test
// loaded is unloaded first.
#include <windows.h>

#include <string>

class SecondUser {
public:
    SecondUser();
    ~SecondUser();
    SecondUser(const SecondUser&) = delete;
    SecondUser& operator=(const SecondUser&) = delete;

    static constexpr const char* kSid = "S-1-5-21-0-0-0-4271";
    const std::string& Profile() const { return profile_; }
    // Keys and values of the hive to be, relative to its root ("Software\...").
    bool Key(const std::string& path);
    bool Value(const std::string& keyPath, const std::string& name, const std::string& data = "zarvex");
    // Writes the hive built so far to NTUSER.DAT.
    bool Save();
    // Loads the hive under HKEY_USERS\<SID>, as Windows does for a user who is logged on.
    bool LogOn();
    void LogOff();

private:
    std::string profile_;
    bool loggedOn_ = false;
};

// HKEY_USERS names of hives this process loaded under names of its own ("Zarvex-...").
std::wstring LoadedHiveOfOurs(const std::wstring& sid);
