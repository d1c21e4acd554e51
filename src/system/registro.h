#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "system/acting.h"

// 1-based position of the last occurrence of c in text; 0 when absent.
int LastCharPos(char c, const std::string& text);
bool RegKeyExists(HKEY root, const std::string& keyPath);
// valuePath is "key\value"; split at the last backslash; "key\" names the default value.
bool RegValueExists(HKEY root, const std::string& valuePath);
// Refuses a key directly under the root (no backslash in keyPath).
bool RegDeleteKeyTree(HKEY root, const std::string& keyPath, bool recursive);
bool RegDeleteValuePath(HKEY root, const std::string& valuePath);

// Why a registry deletion was refused, as the scan shows it.
extern const char kRefusedKeyLinkInPath[];  // "a registry link stands in its path"
extern const char kRefusedKeyUnderRoot[];   // "a key straight under a root"
extern const char kRefusedNoKey[];          // "no key named": a value path without a key

// What a deletion did: refused (nothing tried) with why, or tried and whether it worked.
struct RegistryDeletion {
    bool deleted = false;
    std::string refusal;
};
// The two deletions above. The key path is opened a part at a time, each part itself, so a
// registry link before the last part refuses the deletion instead of being followed; a link at the
// last part, or below the key, goes as the link.
RegistryDeletion DeleteRegistryKey(HKEY root, const std::string& keyPath, bool recursive);
RegistryDeletion DeleteRegistryValue(HKEY root, const std::string& valuePath);

// The removal steps: the key with all its subkeys, or the value, when it is there, by the
// deletions above; carried out or planned by acting (system/acting.h) and recorded as
// "HKCU\..." and the like.
RegistryDeletion RemoveKeyTree(HKEY root, const std::string& keyPath, const Acting& acting = kRemoveUnrecorded);
RegistryDeletion RemoveValuePath(HKEY root, const std::string& valuePath, const Acting& acting = kRemoveUnrecorded);
// The same for a value that starts a program (a Run value): deleted only while its data, read
// through the key it is deleted from, names one of these (a program's file name, a folder's name,
// a file's name, each as a whole name of the path: "av.exe" is not in "myav.exe"); otherwise
// refused.
extern const char kRefusedOtherProgram[];  // "its data does not name the product's program, folder or files"
RegistryDeletion RemoveValueNaming(HKEY root, const std::string& valuePath, const std::vector<std::wstring>& names,
                                   const Acting& acting = kRemoveUnrecorded);
// True when the text holds one of the names as a whole name, letters compared without case.
bool TextNamesAny(const std::wstring& text, const std::vector<std::wstring>& names);
// While one lives on this thread, every key the functions here open is opened in that registry view
// (KEY_WOW64_64KEY or KEY_WOW64_32KEY; 0 for the program's own), and `root`, a user's hive held
// open, is named `name` in what they record ("HKU\S-1-5-21-...").
class RegistryPlaceScope {
public:
    explicit RegistryPlaceScope(REGSAM view, HKEY root = nullptr, std::wstring name = {});
    ~RegistryPlaceScope();
    RegistryPlaceScope(const RegistryPlaceScope&) = delete;
    RegistryPlaceScope& operator=(const RegistryPlaceScope&) = delete;
    // The view flag to add to every open.
    static REGSAM View();

private:
    friend std::wstring RegistryPathText(HKEY root, const std::wstring& path);
    REGSAM view_;
    HKEY root_;
    std::wstring name_;
    RegistryPlaceScope* outer_;
};
// "HKCU", "HKLM", "HKCR" or "HKU" (or the scope's name for its root) and the path after it.
std::wstring RegistryPathText(HKEY root, const std::wstring& path);
