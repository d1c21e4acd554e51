#include "catalogue/rogue_routines.h"

#include <shlobj.h>

#include "system/error_text.h"
#include "system/exact_deletion.h"
#include "system/files.h"
#include "system/folders.h"
#include "system/processes.h"
#include "system/protected_folders.h"
#include "system/registro.h"
#include "system/signature.h"
#include "system/text_codes.h"
#include "system/wide_paths.h"

namespace {

std::string Decoded(const SignatureRef& ref) { return DecodeSignature(ref.text); }

// Looked at by the rules of its deletion: a folder reached through a link on the way, or under a
// root set to a system folder, is not the product's.
// A folder there that the rules refuse is recorded as refused.
bool FolderIsPresent(const DetectCheck& check, const StepPlace& place, const Acting& refusals) {
    const RemovableTarget target = CheckRemovable(check.folder, check.operand.text, place);
    if (!target.refusal.empty()) {
        const std::wstring named = RootedPathW(check.folder, check.operand.text, place);
        if (MayLookAt(named, target) && IsExistingFolder(named))
            refusals.Record({ObjectKind::Folder, Outcome::Refused, WithoutTrailingSeparators(named)}, Outcome::Refused,
                            FromAnsi(target.refusal));
    }
    return !target.path.empty() && IsExistingFolder(target.path);
}

}  // namespace

bool MayLookAt(const std::wstring& named, const RemovableTarget& target) {
    return target.refusal != kRefusedOutsideUsersProfile || (named.size() > 2 && named[1] == L':');
}

namespace {

void Terminate(const RemovalStep& step, const Acting& acting) {
    // The id lookup folds letters the name walk leaves alone; both come from one walk.
    KillProcessByNameOrId(Decoded(step.operand), acting);
}

// The uninstaller in whichever Program Files folder holds it (each view's, as for every Program
// Files step), by the same checks as a deletion there (its real path inside that folder, no link on
// the way, the file itself no link), started by its full path (system/processes.h). Nothing there
// is "not found"; one there that a check refuses is refused, in the plan as in the removal.
StepOutcome StartUninstaller(const RemovalStep& step, const std::vector<StepPlace>& places, const Acting& acting) {
    const std::wstring relative = FromAnsi(Decoded(step.operand));
    const auto missing = IsMissingError;
    // What is said when none starts: the first refusal or failure met, else the first place looked at.
    RemovableTarget said;
    std::wstring saidPath;
    for (const StepPlace& place : places) {
        const std::wstring root = FolderRootPathW(FolderRoot::ProgramFiles, place);
        if (root.empty()) continue;
        const RemovableTarget target = CheckRemovableUnder(root, false, relative);
        if (!target.path.empty()) {
            if (GetFileAttributesW(target.path.c_str()) != INVALID_FILE_ATTRIBUTES || !missing(GetLastError()))
                return {StartProgramExactly(target.path, acting)};
        }
        const bool telling = target.path.empty() && (!target.refusal.empty() || !missing(target.error));
        if (saidPath.empty() || (telling && said.refusal.empty() && missing(said.error))) {
            said = telling ? target : RemovableTarget{};
            saidPath = JoinPath(root, relative);
        }
    }
    RecordUnremovable(said, {ObjectKind::Program, Outcome::NotFound, saidPath}, acting);
    return {said.refusal};
}

// Each deletion by path goes by the path fixed at the check; a refusal there or at the deletion is
// handed back. Where there is no such path, the object is recorded by the path as looked up.
template <class Delete>
StepOutcome AtRemovablePath(const RemovalStep& step, const StepPlace& place, ObjectKind kind, const Acting& acting,
                            Delete&& remove) {
    const RemovableTarget target = CheckRemovable(step.folder, step.operand.text, place);
    if (target.path.empty()) {
        RecordUnremovable(target, {kind, Outcome::NotFound, RootedPathW(step.folder, step.operand.text, place)},
                          acting);
        return {target.refusal};
    }
    return {remove(target.path).refusal};
}

const char kRefusedInDocumentFolder[] = "in a document folder only the product's shortcuts and named files go";

StepOutcome EmptyFolder(const RemovalStep& step, const StepPlace& place, const Acting& acting) {
    // The user keeps his own files on the desktop, in folders of any name.
    if (step.folder == FolderRoot::Desktop) {
        acting.Record({ObjectKind::Folder, Outcome::Refused, RootedPathW(step.folder, step.operand.text, place)},
                      Outcome::Refused, FromAnsi(kRefusedInDocumentFolder));
        return {kRefusedInDocumentFolder};
    }
    return AtRemovablePath(step, place, ObjectKind::Folder, acting,
                           [&](const std::wstring& path) { return DeleteFilesInFolder(path, nullptr, acting); });
}

StepOutcome RemoveShortcuts(const RemovalStep& step, const StepPlace& place, const Acting& acting) {
    return AtRemovablePath(step, place, ObjectKind::Folder, acting,
                           [&](const std::wstring& path) { return DeleteShortcutFilesInFolder(path, acting); });
}

StepOutcome RemoveFile(const RemovalStep& step, const StepPlace& place, bool clearReadOnly, const Acting& acting) {
    return AtRemovablePath(step, place, ObjectKind::File, acting, [&](const std::wstring& path) {
        return DeleteFileExactly(path, clearReadOnly, acting);
    });
}

StepOutcome RemoveFolder(const RemovalStep& step, const StepPlace& place, const Acting& acting) {
    return AtRemovablePath(step, place, ObjectKind::Folder, acting,
                           [&](const std::wstring& path) { return RemoveFolderExactly(path, acting); });
}

// The registry functions open every key in the place's view and name its root as the place does.
template <class Use>
auto AtRegistry(RegistryRoot root, const StepPlace& place, Use&& use) -> decltype(use(HKEY{})) {
    const PlacedRegistry base = RegistryRootAt(root, place);
    if (!base.key) return {};
    RegistryPlaceScope scope(base.view, base.key, base.name);
    return use(base.key);
}

StepOutcome RemoveKey(const RemovalStep& step, const StepPlace& place, const Acting& acting) {
    return AtRegistry(step.registry, place, [&](HKEY root) {
        return StepOutcome{RemoveKeyTree(root, Decoded(step.operand), acting).refusal};
    });
}

StepOutcome RemoveValue(const RemovalStep& step, const StepPlace& place, const Acting& acting) {
    return AtRegistry(step.registry, place, [&](HKEY root) {
        return StepOutcome{RemoveValuePath(root, Decoded(step.operand), acting).refusal};
    });
}

// A Run value names the product when its data holds one of the product's programs, its folder or
// one of its files (RemoveRogue gathers them from the entry).
StepOutcome RemoveRunValue(const RemovalStep& step, const StepPlace& place, const std::vector<std::wstring>& names,
                           const Acting& acting) {
    return AtRegistry(step.registry, place, [&](HKEY root) {
        return StepOutcome{RemoveValueNaming(root, Decoded(step.operand), names, acting).refusal};
    });
}

bool IsRegistryStep(StepKind kind) {
    return kind == StepKind::RemoveKey || kind == StepKind::RemoveValue || kind == StepKind::RemoveRunValue;
}

// A step with a root, in one place.
StepOutcome RunStepAt(const RemovalStep& step, const StepPlace& place, const std::vector<std::wstring>& productNames,
                      const Acting& acting) {
    switch (step.kind) {
        case StepKind::EmptyFolder: return EmptyFolder(step, place, acting);
        case StepKind::RemoveShortcuts: return RemoveShortcuts(step, place, acting);
        case StepKind::RemoveRunValue: return RemoveRunValue(step, place, productNames, acting);
        case StepKind::RemoveFile: return RemoveFile(step, place, false, acting);
        case StepKind::RemoveReadOnlyFile: return RemoveFile(step, place, true, acting);
        case StepKind::RemoveFolder: return RemoveFolder(step, place, acting);
        case StepKind::RemoveKey: return RemoveKey(step, place, acting);
        case StepKind::RemoveValue: return RemoveValue(step, place, acting);
        default: return {};
    }
}

bool CheckIsTrueAt(const DetectCheck& check, const StepPlace& place, const Acting& refusals) {
    switch (check.kind) {
        case CheckKind::ProcessCheck: return false;
        case CheckKind::KeyCheck:
            return AtRegistry(check.registry, place, [&](HKEY root) { return RegKeyExists(root, Decoded(check.operand)); });
        case CheckKind::FolderCheck: return FolderIsPresent(check, place, refusals);
    }
    return false;
}

// The running user's and the machine's, in the program's own view: what a root names without a place.
const StepPlace& OwnPlace() {
    static const StepPlace place;
    return place;
}

}  // namespace

HKEY RegistryRootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    }
    return nullptr;
}

std::wstring FolderRootPathW(FolderRoot root) {
    switch (root) {
        case FolderRoot::ProgramFiles: return GetSpecialFolderW(CSIDL_PROGRAM_FILES);
        case FolderRoot::CommonAppData: return GetSpecialFolderW(CSIDL_COMMON_APPDATA);
        case FolderRoot::Programs: return GetSpecialFolderW(CSIDL_PROGRAMS);
        case FolderRoot::StartMenu: return GetSpecialFolderW(CSIDL_STARTMENU);
        case FolderRoot::CommonPrograms: return GetSpecialFolderW(CSIDL_COMMON_PROGRAMS);
        case FolderRoot::Desktop: return GetSpecialFolderW(CSIDL_DESKTOP);
        case FolderRoot::AppData: return GetSpecialFolderW(CSIDL_APPDATA);
        case FolderRoot::SystemDir: return GetSystemFolderW();
        case FolderRoot::WindowsDir: return GetWindowsFolderW();
        case FolderRoot::TempDir: return GetTempFolderW();
    }
    return {};
}

std::string JoinRootPath(const std::string& rootPath, const std::string& relative) {
    return ToAnsi(JoinPath(FromAnsi(rootPath), FromAnsi(relative)));
}

std::wstring RootedPathW(FolderRoot root, const char* relativeText) {
    return RootedPathW(root, relativeText, OwnPlace());
}

std::wstring RootedPathW(FolderRoot root, const char* relativeText, const StepPlace& place) {
    return JoinPath(FolderRootPathW(root, place), FromAnsi(DecodeSignature(relativeText)));
}

std::vector<StepPlace> PlacesOf(RootReach reach) {
    const std::vector<View> views = reach.bothViews ? MachineViews() : std::vector<View>{View::Only};
    std::vector<StepPlace> places;
    if (!reach.everyUser) {
        for (View view : views) places.push_back({nullptr, view, {{}, {}, ViewName(view)}});
        return places;
    }
    for (const ScanUser& user : EveryUserScope::Users()) {
        for (View view : views) places.push_back({&user, view, {user.sid, user.name, ViewName(view)}});
    }
    return places;
}

PlacedRegistry RegistryRootAt(RegistryRoot root, const StepPlace& place) {
    const REGSAM view = ViewFlag(place.view);
    UserHive* hive = place.user ? place.user->hive : nullptr;
    if (!hive || !ReachOf(root).everyUser) {
        const HKEY key = RegistryRootKey(root);
        return {key, view, RegistryPathText(key, L"")};
    }
    if (root == RegistryRoot::CurrentUser) return {hive->Root(), view, L"HKU\\" + place.user->sid};
    return {hive->Classes(), view, L"HKU\\" + place.user->sid + L"_Classes"};
}

std::wstring FolderRootPathW(FolderRoot root, const StepPlace& place) {
    if (root == FolderRoot::ProgramFiles) return ProgramFilesFolder(place.view);
    if (root == FolderRoot::SystemDir) return SystemFolderOf(place.view);
    const UserHive* hive = place.user ? place.user->hive : nullptr;
    if (!hive || !ReachOf(root).everyUser) return FolderRootPathW(root);
    const std::wstring& profile = place.user->profile;
    switch (root) {
        case FolderRoot::Programs: return UserShellFolder(hive->Root(), profile, L"Programs");
        case FolderRoot::StartMenu: return UserShellFolder(hive->Root(), profile, L"Start Menu");
        case FolderRoot::Desktop: return UserShellFolder(hive->Root(), profile, L"Desktop");
        case FolderRoot::AppData: return UserShellFolder(hive->Root(), profile, L"AppData");
        case FolderRoot::TempDir: return UserTempFolder(hive->Root(), profile);
        default: return {};
    }
}

const char kRefusedSettableRoot[] = "its root folder is set to a system folder or a drive root";
const char kRefusedOutsideUsersProfile[] = "the user's own setting puts its root folder outside his profile";

namespace {
// Roots that the environment or a user's shell-folder setting names, and so may point anywhere.
bool SettableRoot(FolderRoot root) {
    return root == FolderRoot::TempDir || root == FolderRoot::AppData || root == FolderRoot::Desktop ||
           root == FolderRoot::StartMenu || root == FolderRoot::Programs;
}
}  // namespace

RemovableTarget CheckRemovable(FolderRoot root, const char* relativeText) {
    return CheckRemovable(root, relativeText, OwnPlace());
}

RemovableTarget CheckRemovable(FolderRoot root, const char* relativeText, const StepPlace& place) {
    const std::wstring rootPath = FolderRootPathW(root, place);
    const std::wstring relative = FromAnsi(DecodeSignature(relativeText));
    // Another user's root is what his own settings name, which he may aim anywhere: only inside his
    // profile, judged on the text before anything is opened, then on the real path.
    if (place.user && place.user->hive && SettableRoot(root) && ReachOf(root).everyUser) {
        if (!NamesPlaceInProfile(rootPath, place.user->profile)) return {{}, kRefusedOutsideUsersProfile};
        return CheckRemovableUnder(rootPath, true, relative, place.user->profile);
    }
    return CheckRemovableUnder(rootPath, SettableRoot(root), relative);
}

RemovableTarget CheckRemovableUnder(const std::wstring& rootPath, bool settable, const std::wstring& relativePath,
                                    const std::wstring& profile) {
    const std::wstring relative = WithoutTrailingSeparators(relativePath);
    if (rootPath.empty() || relative.find_first_not_of(L"\\/") == std::wstring::npos) return {};
    if (JoinPath(rootPath, relative).empty()) return {{}, kRefusedNotAbsolute};
    DWORD error = ERROR_SUCCESS;
    const std::wstring rootReal = RealPath(rootPath, error);
    if (rootReal.empty()) return {{}, {}, error};
    // Such a root set to a drive root or a system folder names nothing to delete.
    if (settable && IsProtectedFolder(rootReal)) return {{}, kRefusedSettableRoot};
    if (!profile.empty()) {
        const std::wstring profileReal = RealPath(profile);
        if (profileReal.empty() || !IsInsideFolder(rootReal, profileReal)) return {{}, kRefusedOutsideUsersProfile};
    }
    if (!ReachedWithoutLinks(rootPath, relative)) {
        // No folder there is nothing to delete, one that cannot be opened is a failure; one reached
        // another way has a link on its way.
        const std::wstring holder = JoinPath(rootPath, PathBeforeLastPart(relative));
        if (RealPath(holder, error).empty()) return {{}, {}, error};
        return {{}, kRefusedLinkInPath};
    }
    // The deletion checks the entry against this real path, fixed here: a link swapped in on the
    // way after this check is refused there.
    return {JoinPath(rootReal, relative), {}};
}

void RecordUnremovable(const RemovableTarget& target, const ActedObject& object, const Acting& acting) {
    RecordUnopened(acting, object, target.refusal, target.error);
}

std::wstring RemovablePath(FolderRoot root, const char* relativeText) {
    return CheckRemovable(root, relativeText).path;
}

std::string FolderRootPath(FolderRoot root) { return ToAnsi(FolderRootPathW(root)); }

std::string RootedPath(FolderRoot root, const char* relativeText) {
    return ToAnsi(RootedPathW(root, relativeText));
}

bool CheckIsTrue(const DetectCheck& check, const Acting& refusals) {
    if (check.kind == CheckKind::ProcessCheck) return ProcessIsRunning(Decoded(check.operand));
    const RootReach reach = check.kind == CheckKind::KeyCheck ? ReachOf(check.registry) : ReachOf(check.folder);
    for (const StepPlace& place : PlacesOf(reach)) {
        if (CheckIsTrueAt(check, place, refusals.For(place.owner))) return true;
    }
    return false;
}

StepOutcome RunStep(const RemovalStep& step, const Acting& acting, const std::vector<std::wstring>& productNames) {
    // A step that waits, opens or removes leaves the phase's process list old. A kill sees to that
    // itself, and only when it found a process to stop; a plan changes nothing, so one list serves.
    struct RefreshAfter {
        bool skip;
        ~RefreshAfter() {
            if (!skip) ProcessListScope::Refresh();
        }
    } refresh{step.kind == StepKind::Terminate || acting.Planning()};
    switch (step.kind) {
        case StepKind::Terminate: Terminate(step, acting); return {};
        case StepKind::Wait:
            if (!acting.Planning()) Sleep(step.milliseconds);
            return {};
        case StepKind::StartUninstaller: return StartUninstaller(step, PlacesOf(ReachOf(step.folder)), acting);
        default: break;
    }
    // One step, each place its root reaches; the first refusal stands for the step (each is
    // recorded with its object).
    StepOutcome outcome;
    const RootReach reach = IsRegistryStep(step.kind) ? ReachOf(step.registry) : ReachOf(step.folder);
    for (const StepPlace& place : PlacesOf(reach)) {
        StepOutcome here = RunStepAt(step, place, productNames, acting.For(place.owner));
        if (outcome.refusal.empty()) outcome.refusal = std::move(here.refusal);
    }
    return outcome;
}

StepOutcome StartUninstallerIn(const RemovalStep& step, const StepPlace& place, const Acting& acting) {
    return StartUninstaller(step, {place}, acting);
}

bool DetectRogue(const RogueEntry& entry, const Acting& refusals) {
    // An entry's checks are one phase: its process checks share one list (or the caller's).
    ProcessListScope phase;
    for (const DetectCheck& check : entry.checks) {
        if (CheckIsTrue(check, refusals)) return true;
    }
    return false;
}

std::vector<std::wstring> ProductNames(const RogueEntry& entry) {
    std::vector<std::wstring> names;
    auto add = [&names](const SignatureRef& ref) {
        std::wstring name = WithoutTrailingSeparators(FromAnsi(Decoded(ref)));
        name = name.substr(name.find_first_not_of(L"\\/") == std::wstring::npos ? name.size()
                                                                                 : name.find_first_not_of(L"\\/"));
        if (!name.empty()) names.push_back(name);
    };
    for (const DetectCheck& check : entry.checks) {
        if (check.kind != CheckKind::KeyCheck) add(check.operand);
    }
    for (const RemovalStep& step : entry.steps) {
        if (step.kind == StepKind::Terminate) add(step.operand);
        if (step.kind == StepKind::RemoveFile || step.kind == StepKind::RemoveReadOnlyFile) {
            const std::wstring file = LastPathPart(WithoutTrailingSeparators(FromAnsi(Decoded(step.operand))));
            if (!file.empty()) names.push_back(file);
        }
    }
    return names;
}

std::vector<StepRefusal> RemoveRogue(const RogueEntry& entry, const Acting& acting) {
    std::vector<StepRefusal> refusals;
    const std::vector<std::wstring> names = ProductNames(entry);
    // Its first kill looks at the processes as they are now, not as the detection saw them.
    if (!acting.Planning()) ProcessListScope::Refresh();
    for (std::size_t index = 0; index < entry.steps.size(); ++index) {
        const RemovalStep& step = entry.steps[index];
        for (int i = 0; i < step.times; ++i) {
            StepOutcome outcome = RunStep(step, acting, names);
            if (!outcome.refusal.empty()) refusals.push_back({index, std::move(outcome.refusal)});
        }
    }
    return refusals;
}
