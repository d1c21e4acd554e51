#include "app/cleaning_options.h"

#include <optional>

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

}  // namespace

void ClearBrowserHelperObjects() { DeleteKeyWhenPresent(HKEY_LOCAL_MACHINE, BhoKeyText()); }

void CleanDisk(const ScanChoices& choices) {
    // A setting or the environment may name any folder here: the Windows folder, a drive root, a
    // profile. Such a folder is refused, judged on the folder held while it is emptied, and the
    // scan goes on. The machine's folders are looked up once, and only when a folder is cleaned.
    std::optional<ProtectedFolders> protectedFolders;
    auto clean = [&](const std::wstring& folder) {
        if (!protectedFolders) protectedFolders.emplace();
        DeleteFilesInFolder(folder, &*protectedFolders);
    };
    if (choices.options[2]) clean(GetSpecialFolderW(CSIDL_COOKIES));
    if (choices.options[3]) clean(GetSpecialFolderW(CSIDL_INTERNET_CACHE));
    if (choices.options[4]) clean(GetTempFolderW());
    if (choices.options[5]) clean(JoinPath(GetWindowsFolderW(), WideFromStored(DecodeSignature(WindowsTempPartText()))));
    if (choices.options[6]) DeleteKeyWhenPresent(HKEY_CURRENT_USER, MuiCacheKeyText());
}
