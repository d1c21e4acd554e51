#include "app/cleaning_options.h"

#include <windows.h>
#include <shlobj.h>

#include "app/cleaning_texts.h"
#include "system/cleaning_places.h"
#include "system/folders.h"
#include "system/registro.h"
#include "system/signature.h"
#include "system/wide_paths.h"

namespace {

// Both the test and the deletion decode the stored path afresh. The key is deleted as itself:
// a link under it, or the key itself when it is a link, goes as a link; a link on its way refuses
// the deletion (system/registro.h).
std::string DeleteKeyWhenPresent(HKEY root, const char* keyText) {
    if (!RegKeyExists(root, DecodeSignature(keyText))) return {};
    return DeleteRegistryKey(root, DecodeSignature(keyText), true).refusal;
}

}  // namespace

CleaningOutcome ClearBrowserHelperObjects() {
    return {kClearBhoOption, DeleteKeyWhenPresent(HKEY_LOCAL_MACHINE, BhoKeyText())};
}

std::vector<CleaningOutcome> CleanDisk(const ScanChoices& choices) {
    // A setting or the environment may name any folder here, and the user's own programs can set
    // both: each folder is cleaned only where such a folder belongs (system/cleaning_places.h),
    // judged on the folder held while it is emptied, and a refusal lets the scan go on.
    std::vector<CleaningOutcome> outcomes;
    auto apply = [&](int option, auto&& clean) {
        if (choices.options[option]) outcomes.push_back({option, clean()});
    };
    apply(2, [] { return CleanProfileFolder(GetSpecialFolderW(CSIDL_COOKIES)).refusal; });
    apply(3, [] { return CleanProfileFolder(GetSpecialFolderW(CSIDL_INTERNET_CACHE)).refusal; });
    apply(4, [] { return CleanProfileFolder(GetTempFolderW()).refusal; });
    apply(5, [] { return CleanWindowsFolderPart(WideFromStored(DecodeSignature(WindowsTempPartText()))).refusal; });
    apply(6, [] { return DeleteKeyWhenPresent(HKEY_CURRENT_USER, MuiCacheKeyText()); });
    return outcomes;
}
