#include "scan/cleaning_options.h"

#include <windows.h>
#include <shlobj.h>

#include "scan/choice_counts.h"
#include "scan/cleaning_texts.h"
#include "system/cleaning_places.h"
#include "system/folders.h"
#include "system/registro.h"
#include "system/signature.h"
#include "system/text_codes.h"
#include "system/user_hives.h"

const char kShellLibraryFailure[] = "Failed to load Shell32.dll.";
const char kRecycleBinFailure[] = "The Recycle Bin could not be emptied: ";

namespace {

constexpr int kOrder[] = {kClearBhoOption, kEmptyRecycleBinOption, 2, 3, 4, 5, 6};

// The key is deleted as itself when it is there: a link under it, or the key itself when it is a
// link, goes as a link; a link on its way refuses the deletion (system/registro.h).
std::string RemoveKey(HKEY root, const char* keyText, const Acting& acting) {
    return RemoveKeyTree(root, DecodeSignature(keyText), acting).refusal;
}

// The machine's key in each registry view there is (both on 64-bit Windows); the first refusal
// stands for the option, and each is recorded with its object.
std::string RemoveMachineKey(const char* keyText, const Acting& acting) {
    std::string refusal;
    for (View view : MachineViews()) {
        const ObjectOwner owner{{}, {}, ViewName(view)};
        RegistryPlaceScope scope(ViewFlag(view));
        std::string here = RemoveKey(HKEY_LOCAL_MACHINE, keyText, acting.For(owner));
        if (refusal.empty()) refusal = std::move(here);
    }
    return refusal;
}

void EmptyTheRecycleBin(const Acting& acting, CleaningOutcome& outcome) {
    const ActedObject bin{ObjectKind::RecycleBin, Outcome::Planned, L"all drives"};
    if (acting.Planning()) {
        acting.Record(bin, Outcome::Planned);
        return;
    }
    const RecycleBinEmptying emptying = EmptyRecycleBin();
    outcome.shellLibraryFailed = !emptying.loaded;
    if (emptying.Emptied()) {
        acting.Record(bin, Outcome::Done);
        return;
    }
    outcome.failure = outcome.shellLibraryFailed ? kShellLibraryFailure
                                                 : kRecycleBinFailure + ToAnsi(SystemErrorReason(emptying.result)) + ".";
    acting.Record(bin, Outcome::Failed,
                  outcome.shellLibraryFailed ? FromAnsi(kShellLibraryFailure) : SystemErrorReason(emptying.result));
}

}  // namespace

std::span<const int> CleaningOrder() { return kOrder; }

const char* CleanedFolderName(int box) {
    switch (box) {
        case 2: return "the Cookies folder";
        case 3: return "the Temporary Internet Files folder";
        case 4: return "the Temp folder";
        case 5: return "the Windows Temp folder";
    }
    return nullptr;
}

CleaningOutcome ApplyCleaningOption(int box, const Acting& acting) {
    // A setting or the environment may name any folder here, and the user's own programs can set
    // both: each folder is cleaned only where such a folder belongs (system/cleaning_places.h),
    // judged on the folder held while it is emptied, and a refusal lets the scan go on.
    CleaningOutcome outcome{box};
    FolderEmptying emptying;
    // The user's own options stay with the user who runs the scan.
    const ScanUser& runningUser = EveryUserScope::Users().front();
    const ObjectOwner user{runningUser.sid, runningUser.name, {}};
    switch (box) {
        case kClearBhoOption: outcome.refusal = RemoveMachineKey(BhoKeyText(), acting); break;
        case kEmptyRecycleBinOption: EmptyTheRecycleBin(acting, outcome); break;
        case 2:
            emptying = CleanProfileFolder(GetSpecialFolderW(CSIDL_COOKIES), ProfileFolder::Cookies, acting.For(user));
            break;
        case 3:
            emptying = CleanProfileFolder(GetSpecialFolderW(CSIDL_INTERNET_CACHE), ProfileFolder::Cache, acting.For(user));
            break;
        case 4: emptying = CleanProfileFolder(GetTempFolderW(), ProfileFolder::Temp, acting.For(user)); break;
        case 5:
            emptying = CleanWindowsFolderPart(FromAnsi(DecodeSignature(WindowsTempPartText())), acting);
            break;
        case 6: outcome.refusal = RemoveKey(HKEY_CURRENT_USER, MuiCacheKeyText(), acting.For(user)); break;
    }
    if (CleanedFolderName(box)) {
        outcome.refusal = emptying.refusal;
        outcome.stopped = emptying.stopped;
    }
    return outcome;
}

CleaningOutcome ClearBrowserHelperObjects() { return ApplyCleaningOption(kClearBhoOption, kRemoveUnrecorded); }

std::vector<CleaningOutcome> CleanDisk(const ScanChoices& choices) {
    std::vector<CleaningOutcome> outcomes;
    for (int box : CleaningOrder()) {
        if (box != kClearBhoOption && box != kEmptyRecycleBinOption && choices.options[box])
            outcomes.push_back(ApplyCleaningOption(box, kRemoveUnrecorded));
    }
    return outcomes;
}
