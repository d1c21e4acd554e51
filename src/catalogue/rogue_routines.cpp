#include "catalogue/rogue_routines.h"

#include <shellapi.h>
#include <shlobj.h>

#include "system/com_scope.h"
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

bool FolderIsPresent(const DetectCheck& check) {
    return IsExistingFolder(RootedPathW(check.folder, check.operand.text));
}

void Terminate(const RemovalStep& step, const Acting& acting) {
    // The id lookup folds letters the name walk leaves alone; both come from one walk.
    KillProcessByNameOrId(Decoded(step.operand), acting);
}

// A plan cannot ask the shell without starting the program: it says "not found" for a full path
// that is not there, as the shell would; a bare name is the shell's to find.
void ShellOpen(const RemovalStep& step, const Acting& acting) {
    const std::string target = Decoded(step.operand);
    const ActedObject program{ObjectKind::Program, Outcome::Planned, FromAnsi(target)};
    if (acting.Planning()) {
        const bool missing = IsAbsoluteFolder(program.path) && !IsExistingFile(program.path);
        acting.Record(program, missing ? Outcome::NotFound : Outcome::Planned);
        return;
    }
    ComScope::Need();
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_HIDE));
    if (result > 32) acting.Record(program, Outcome::Done);
    else if (result == SE_ERR_FNF || result == SE_ERR_PNF) acting.Record(program, Outcome::NotFound);
    else acting.Record(program, Outcome::Failed, ShellStartReason(result));
}

// Each deletion by path goes by the path fixed at the check; a refusal there or at the deletion is
// handed back. Where there is no such path, the object is recorded by the path as looked up.
template <class Delete>
StepOutcome AtRemovablePath(const RemovalStep& step, ObjectKind kind, const Acting& acting, Delete&& remove) {
    const RemovableTarget target = CheckRemovable(step.folder, step.operand.text);
    if (target.path.empty()) {
        const ActedObject object{kind, Outcome::NotFound, RootedPathW(step.folder, step.operand.text)};
        if (target.refusal.empty()) acting.Record(object, Outcome::NotFound);
        else acting.Record(object, Outcome::Refused, FromAnsi(target.refusal));
        return {target.refusal};
    }
    return {remove(target.path).refusal};
}

StepOutcome EmptyFolder(const RemovalStep& step, const Acting& acting) {
    return AtRemovablePath(step, ObjectKind::Folder, acting,
                           [&](const std::wstring& path) { return DeleteFilesInFolder(path, nullptr, acting); });
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
    const std::wstring rootPath = FolderRootPathW(root);
    const std::wstring relative = WithoutTrailingSeparators(FromAnsi(DecodeSignature(relativeText)));
    if (rootPath.empty() || relative.find_first_not_of(L"\\/") == std::wstring::npos) return {};
    if (JoinPath(rootPath, relative).empty()) return {{}, kRefusedNotAbsolute};
    const std::wstring rootReal = RealPath(rootPath);
    if (rootReal.empty()) return {};
    // Such a root set to a drive root or a system folder names nothing to delete.
    if (SettableRoot(root) && IsProtectedFolder(rootReal)) return {{}, kRefusedSettableRoot};
    if (!ReachedWithoutLinks(rootPath, relative)) {
        // No folder there is nothing to delete; one reached another way has a link on its way.
        const std::wstring holder = JoinPath(rootPath, PathBeforeLastPart(relative));
        return {{}, RealPath(holder).empty() ? std::string() : std::string(kRefusedLinkInPath)};
    }
    // The deletion checks the entry against this real path, fixed here: a link swapped in on the
    // way after this check is refused there.
    return {JoinPath(rootReal, relative), {}};
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

StepOutcome RunStep(const RemovalStep& step, const Acting& acting) {
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
        case StepKind::ShellOpen: ShellOpen(step, acting); return {};
        case StepKind::EmptyFolder: return EmptyFolder(step, acting);
        case StepKind::RemoveFile: return RemoveFile(step, false, acting);
        case StepKind::RemoveReadOnlyFile: return RemoveFile(step, true, acting);
        case StepKind::RemoveFolder: return RemoveFolder(step, acting);
        case StepKind::RemoveKey: return RemoveKey(step, acting);
        case StepKind::RemoveValue: return RemoveValue(step, acting);
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

std::vector<StepRefusal> RemoveRogue(const RogueEntry& entry, const Acting& acting) {
    std::vector<StepRefusal> refusals;
    // Its first kill looks at the processes as they are now, not as the detection saw them.
    if (!acting.Planning()) ProcessListScope::Refresh();
    for (std::size_t index = 0; index < entry.steps.size(); ++index) {
        const RemovalStep& step = entry.steps[index];
        for (int i = 0; i < step.times; ++i) {
            StepOutcome outcome = RunStep(step, acting);
            if (!outcome.refusal.empty()) refusals.push_back({index, std::move(outcome.refusal)});
        }
    }
    return refusals;
}
