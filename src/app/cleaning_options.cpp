#include "app/cleaning_options.h"

#include <windows.h>
#include <shlobj.h>

#include "app/cleaning_texts.h"
#include "system/folders.h"
#include "system/protected_folders.h"
#include "system/registro.h"
#include "system/signature.h"
#include "system/wide_paths.h"

namespace {

// Both the test and the deletion decode the stored path afresh. The key is deleted as itself:
// a link under it, or the key itself when it is a link, goes as a link (system/registro.h).
void DeleteKeyWhenPresent(HKEY root, const char* keyText) {
    if (RegKeyExists(root, DecodeSignature(keyText))) RegDeleteKeyTree(root, DecodeSignature(keyText), true);
}

// A setting or the environment may name any folder here: the Windows folder, a drive root, a
// profile. Such a folder is refused and the scan goes on.
void CleanFolder(const ProtectedFolders& protectedFolders, const std::wstring& folder) {
    if (!protectedFolders.Protects(folder)) DeleteFilesInFolder(folder);
}

}  // namespace

void ClearBrowserHelperObjects() { DeleteKeyWhenPresent(HKEY_LOCAL_MACHINE, BhoKeyText()); }

void CleanDisk(const ScanChoices& choices) {
    const ProtectedFolders protectedFolders;  // looked up once, at the time of this scan
    if (choices.options[2]) CleanFolder(protectedFolders, GetSpecialFolderW(CSIDL_COOKIES));
    if (choices.options[3]) CleanFolder(protectedFolders, GetSpecialFolderW(CSIDL_INTERNET_CACHE));
    if (choices.options[4]) CleanFolder(protectedFolders, GetTempFolderW());
    if (choices.options[5])
        CleanFolder(protectedFolders,
                    JoinPath(GetWindowsFolderW(), WideFromStored(DecodeSignature(WindowsTempPartText()))));
    if (choices.options[6]) DeleteKeyWhenPresent(HKEY_CURRENT_USER, MuiCacheKeyText());
}
