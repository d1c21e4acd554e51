#include "app/cleaning_options.h"

#include <windows.h>
#include <shlobj.h>

#include "app/cleaning_texts.h"
#include "system/folders.h"
#include "system/registro.h"
#include "system/signature.h"

namespace {

// Both the test and the deletion decode the stored path afresh.
void DeleteKeyWhenPresent(HKEY root, const char* keyText) {
    if (RegKeyExists(root, DecodeSignature(keyText))) RegDeleteKeyTree(root, DecodeSignature(keyText), true);
}

}  // namespace

void ClearBrowserHelperObjects() { DeleteKeyWhenPresent(HKEY_LOCAL_MACHINE, BhoKeyText()); }

void CleanDisk(const ScanChoices& choices) {
    if (choices.options[2]) DeleteFilesInFolder(GetSpecialFolder(CSIDL_COOKIES) + "\\");
    if (choices.options[3]) DeleteFilesInFolder(GetSpecialFolder(CSIDL_INTERNET_CACHE) + "\\");
    if (choices.options[4]) DeleteFilesInFolder(GetTempFolder() + "\\");
    if (choices.options[5]) DeleteFilesInFolder(GetWindowsFolder() + DecodeSignature(WindowsTempPartText()));
    if (choices.options[6]) DeleteKeyWhenPresent(HKEY_CURRENT_USER, MuiCacheKeyText());
}
