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

// The folder that option `box` (2 to 4) empties for a user: the running user's as the system names
// it, another user's as his own hive names it.
std::wstring OptionFolder(int box, const ScanUser& user) {
    if (!user.hive) {
        switch (box) {
            case 2: return GetSpecialFolderW(CSIDL_COOKIES);
            case 3: return GetSpecialFolderW(CSIDL_INTERNET_CACHE);
            case 4: return GetTempFolderW();
        }
        return {};
    }
    const HKEY hive = user.hive->Root();
    switch (box) {
        case 2: return UserShellFolder(hive, user.profile, L"Cookies");
        case 3: return UserShellFolder(hive, user.profile, L"Cache");
        case 4: return UserTempFolder(hive, user.profile);
    }
    return {};
}

ProfileFolder OptionProfileFolder(int box) {
    return box == 2 ? ProfileFolder::Cookies : box == 3 ? ProfileFolder::Cache : ProfileFolder::Temp;
}

// A key of the user's own (MUICache): HKCU for the running user, another user's in his hive.
std::string RemoveUsersKey(const char* keyText, const ScanUser& user, const Acting& acting) {
    if (!user.hive) return RemoveKey(HKEY_CURRENT_USER, keyText, acting);
    RegistryPlaceScope scope(0, user.hive->Root(), L"HKU\\" + user.sid);
    return RemoveKey(user.hive->Root(), keyText, acting);
}

// Options 2, 3, 4 and 6 for each user they reach, each object recorded as that user's. The running
// user's refusal stands for the option; another user's is in his refused object.
void CleanForEachUser(int box, bool everyUser, const Acting& acting, CleaningOutcome& outcome) {
    const std::vector<ScanUser>& users = EveryUserScope::Users();
    for (std::size_t i = 0; i < (everyUser ? users.size() : 1); ++i) {
        const ScanUser& user = users[i];
        const ObjectOwner owner{user.sid, user.name, {}};
        std::string refusal;
        if (box == 6) {
            refusal = RemoveUsersKey(MuiCacheKeyText(), user, acting.For(owner));
        } else {
            const FolderEmptying emptying =
                CleanProfileFolder(OptionFolder(box, user), OptionProfileFolder(box), user, acting.For(owner));
            refusal = emptying.refusal;
            outcome.stopped = emptying.stopped;
        }
        if (i == 0) outcome.refusal = std::move(refusal);
        if (outcome.stopped) return;
    }
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

CleaningOutcome ApplyCleaningOption(int box, const Acting& acting, bool everyUser) {
    // A setting or the environment may name any folder here, and the user's own programs can set
    // both: each folder is cleaned only where such a folder belongs (system/cleaning_places.h),
    // judged on the folder held while it is emptied, and a refusal lets the scan go on.
    CleaningOutcome outcome{box};
    switch (box) {
        case kClearBhoOption: outcome.refusal = RemoveMachineKey(BhoKeyText(), acting); break;
        case kEmptyRecycleBinOption: EmptyTheRecycleBin(acting, outcome); break;
        case 5: {
            const FolderEmptying emptying =
                CleanWindowsFolderPart(FromAnsi(DecodeSignature(WindowsTempPartText())), acting);
            outcome.refusal = emptying.refusal;
            outcome.stopped = emptying.stopped;
            break;
        }
        // The user's own: the user who runs the scan, and every user only when asked.
        case 2:
        case 3:
        case 4:
        case 6: CleanForEachUser(box, everyUser, acting, outcome); break;
    }
    return outcome;
}

CleaningOutcome ClearBrowserHelperObjects() { return ApplyCleaningOption(kClearBhoOption, kRemoveUnrecorded); }

std::vector<CleaningOutcome> CleanDisk(const ScanChoices& choices) {
    std::vector<CleaningOutcome> outcomes;
    for (int box : CleaningOrder()) {
        if (box != kClearBhoOption && box != kEmptyRecycleBinOption && choices.options[box])
            outcomes.push_back(ApplyCleaningOption(box, kRemoveUnrecorded, choices.cleanEveryUser));
    }
    return outcomes;
}
