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
bool FolderIsPresent(const DetectCheck& check) {
    const RemovableTarget target = CheckRemovable(check.folder, check.operand.text);
    return !target.path.empty() && IsExistingFolder(target.path);
}

void Terminate(const RemovalStep& step, const Acting& acting) {
    // The id lookup folds letters the name walk leaves alone; both come from one walk.
    KillProcessByNameOrId(Decoded(step.operand), acting);
}

// The uninstaller in whichever Program Files folder holds it, by the same checks as a deletion
// there (its real path inside that folder, no link on the way, the file itself no link), started by
// its full path (system/processes.h). Nothing there is "not found"; one there that a check refuses
// is refused, in the plan as in the removal.
StepOutcome StartUninstaller(const RemovalStep& step, const Acting& acting) {
    const std::wstring relative = FromAnsi(Decoded(step.operand));
    auto missing = [](DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; };
    // What is said when none starts: the first refusal or failure met, else the first place looked at.
    RemovableTarget said;
    std::wstring saidPath;
    for (const std::wstring& root : ProgramFilesFolders()) {
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

// A Run value names the product when its data holds one of the product's programs, its folder or
// one of its files (RemoveRogue gathers them from the entry).
StepOutcome RemoveRunValue(const RemovalStep& step, const std::vector<std::wstring>& names, const Acting& acting) {
    return {RemoveValueNaming(RegistryRootKey(step.registry), Decoded(step.operand), names, acting).refusal};
}

// Each deletion by path goes by the path fixed at the check; a refusal there or at the deletion is
// handed back. Where there is no such path, the object is recorded by the path as looked up.
template <class Delete>
StepOutcome AtRemovablePath(const RemovalStep& step, ObjectKind kind, const Acting& acting, Delete&& remove) {
    const RemovableTarget target = CheckRemovable(step.folder, step.operand.text);
    if (target.path.empty()) {
        RecordUnremovable(target, {kind, Outcome::NotFound, RootedPathW(step.folder, step.operand.text)}, acting);
        return {target.refusal};
    }
    return {remove(target.path).refusal};
}

const char kRefusedInDocumentFolder[] = "in a document folder only the product's shortcuts and named files go";

StepOutcome EmptyFolder(const RemovalStep& step, const Acting& acting) {
    // The user keeps his own files on the desktop, in folders of any name.
    if (step.folder == FolderRoot::Desktop) {
        acting.Record({ObjectKind::Folder, Outcome::Refused, RootedPathW(step.folder, step.operand.text)},
                      Outcome::Refused, FromAnsi(kRefusedInDocumentFolder));
        return {kRefusedInDocumentFolder};
    }
    return AtRemovablePath(step, ObjectKind::Folder, acting,
                           [&](const std::wstring& path) { return DeleteFilesInFolder(path, nullptr, acting); });
}

StepOutcome RemoveShortcuts(const RemovalStep& step, const Acting& acting) {
    return AtRemovablePath(step, ObjectKind::Folder, acting,
                           [&](const std::wstring& path) { return DeleteShortcutFilesInFolder(path, acting); });
}

StepOutcome RemoveFile(const RemovalStep& step, bool clearReadOnly, const Acting& acting) {
    return AtRemovablePath(step, ObjectKind::File, acting, [&](const std::wstring& path) {
        return DeleteFileExactly(path, clearReadOnly, acting);
    });
}

StepOutcome RemoveFolder(const RemovalStep& step, const Acting& acting) {
    return AtRemovablePath(step, ObjectKind::Folder, acting,
                           [&](const std::wstring& path) { return RemoveFolderExactly(path, acting); });
}

StepOutcome RemoveKey(const RemovalStep& step, const Acting& acting) {
    return {RemoveKeyTree(RegistryRootKey(step.registry), Decoded(step.operand), acting).refusal};
}

StepOutcome RemoveValue(const RemovalStep& step, const Acting& acting) {
    return {RemoveValuePath(RegistryRootKey(step.registry), Decoded(step.operand), acting).refusal};
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
    return JoinPath(FolderRootPathW(root), FromAnsi(DecodeSignature(relativeText)));
}

const char kRefusedSettableRoot[] = "its root folder is set to a system folder or a drive root";

namespace {
// Roots that the environment or a user's shell-folder setting names, and so may point anywhere.
bool SettableRoot(FolderRoot root) {
    return root == FolderRoot::TempDir || root == FolderRoot::AppData || root == FolderRoot::Desktop ||
           root == FolderRoot::StartMenu || root == FolderRoot::Programs;
}
}  // namespace

RemovableTarget CheckRemovable(FolderRoot root, const char* relativeText) {
    return CheckRemovableUnder(FolderRootPathW(root), SettableRoot(root), FromAnsi(DecodeSignature(relativeText)));
}

RemovableTarget CheckRemovableUnder(const std::wstring& rootPath, bool settable, const std::wstring& relativePath) {
    const std::wstring relative = WithoutTrailingSeparators(relativePath);
    if (rootPath.empty() || relative.find_first_not_of(L"\\/") == std::wstring::npos) return {};
    if (JoinPath(rootPath, relative).empty()) return {{}, kRefusedNotAbsolute};
    DWORD error = ERROR_SUCCESS;
    const std::wstring rootReal = RealPath(rootPath, error);
    if (rootReal.empty()) return {{}, {}, error};
    // Such a root set to a drive root or a system folder names nothing to delete.
    if (settable && IsProtectedFolder(rootReal)) return {{}, kRefusedSettableRoot};
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

bool CheckIsTrue(const DetectCheck& check) {
    switch (check.kind) {
        case CheckKind::ProcessCheck: return ProcessIsRunning(Decoded(check.operand));
        case CheckKind::KeyCheck: return RegKeyExists(RegistryRootKey(check.registry), Decoded(check.operand));
        case CheckKind::FolderCheck: return FolderIsPresent(check);
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
        case StepKind::StartUninstaller: return StartUninstaller(step, acting);
        case StepKind::EmptyFolder: return EmptyFolder(step, acting);
        case StepKind::RemoveShortcuts: return RemoveShortcuts(step, acting);
        case StepKind::RemoveFile: return RemoveFile(step, false, acting);
        case StepKind::RemoveReadOnlyFile: return RemoveFile(step, true, acting);
        case StepKind::RemoveFolder: return RemoveFolder(step, acting);
        case StepKind::RemoveKey: return RemoveKey(step, acting);
        case StepKind::RemoveValue: return RemoveValue(step, acting);
        case StepKind::RemoveRunValue: return RemoveRunValue(step, productNames, acting);
    }
    return {};
}

bool DetectRogue(const RogueEntry& entry) {
    // An entry's checks are one phase: its process checks share one list (or the caller's).
    ProcessListScope phase;
    for (const DetectCheck& check : entry.checks) {
        if (CheckIsTrue(check)) return true;
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
