#include "catalogue/rogue_routines.h"

#include <shellapi.h>
#include <shlobj.h>

#include "system/com_scope.h"
#include "system/exact_deletion.h"
#include "system/files.h"
#include "system/folders.h"
#include "system/processes.h"
#include "system/protected_folders.h"
#include "system/registro.h"
#include "system/signature.h"
#include "system/wide_paths.h"

namespace {

std::string Decoded(const SignatureRef& ref) { return DecodeSignature(ref.text); }

std::wstring PathOf(const RemovalStep& step) { return RemovablePath(step.folder, step.operand.text); }

bool FolderIsPresent(const DetectCheck& check) {
    return IsExistingFolder(RootedPathW(check.folder, check.operand.text));
}

void Terminate(const RemovalStep& step) {
    // The id lookup folds letters the name walk leaves alone; both come from one walk.
    KillProcessByNameOrId(Decoded(step.operand));
}

void ShellOpen(const RemovalStep& step) {
    ComScope::Need();
    ShellExecuteA(nullptr, "open", Decoded(step.operand).c_str(), nullptr, nullptr, SW_HIDE);
}

void EmptyFolder(const RemovalStep& step) {
    std::wstring path = PathOf(step);
    if (!path.empty()) DeleteFilesInFolder(path);
}

void DeleteExeFiles(const RemovalStep& step) {
    std::wstring path = FolderRootPathW(step.folder);
    if (IsAbsoluteFolder(path)) DeleteExeFilesInFolder(path);
}

void RemoveFile(const RemovalStep& step) {
    std::wstring path = PathOf(step);
    if (!path.empty()) DeleteFileExactly(path);
}

void RemoveReadOnlyFile(const RemovalStep& step) {
    std::wstring path = PathOf(step);
    if (!path.empty()) DeleteFileExactly(path, true);
}

void RemoveFolder(const RemovalStep& step) {
    std::wstring path = PathOf(step);
    if (!path.empty()) RemoveFolderExactly(path);
}

void RemoveKey(const RemovalStep& step) {
    HKEY root = RegistryRootKey(step.registry);
    if (RegKeyExists(root, Decoded(step.operand))) RegDeleteKeyTree(root, Decoded(step.operand), true);
}

void RemoveValue(const RemovalStep& step) {
    HKEY root = RegistryRootKey(step.registry);
    if (RegValueExists(root, Decoded(step.operand))) RegDeleteValuePath(root, Decoded(step.operand));
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
    return StoredFromWide(JoinPath(WideFromStored(rootPath), WideFromStored(relative)));
}

std::wstring RootedPathW(FolderRoot root, const char* relativeText) {
    return JoinPath(FolderRootPathW(root), WideFromStored(DecodeSignature(relativeText)));
}

namespace {
// Roots that the environment or a user's shell-folder setting names, and so may point anywhere.
bool SettableRoot(FolderRoot root) {
    return root == FolderRoot::TempDir || root == FolderRoot::AppData || root == FolderRoot::Desktop ||
           root == FolderRoot::StartMenu || root == FolderRoot::Programs;
}
}  // namespace

std::wstring RemovablePath(FolderRoot root, const char* relativeText) {
    std::wstring rootPath = FolderRootPathW(root);
    std::wstring relative = WideFromStored(DecodeSignature(relativeText));
    if (JoinPath(rootPath, relative).empty() || !ReachedWithoutLinks(rootPath, relative)) return {};
    // Such a root set to a drive root or a system folder names nothing to delete.
    const std::wstring rootReal = RealPath(rootPath);
    if (rootReal.empty() || (SettableRoot(root) && IsProtectedFolder(rootReal))) return {};
    // The deletion checks the entry against this real path, fixed here: a link swapped in on the
    // way after this check is refused there.
    return JoinPath(rootReal, relative);
}

std::string FolderRootPath(FolderRoot root) { return StoredFromWide(FolderRootPathW(root)); }

std::string RootedPath(FolderRoot root, const char* relativeText) {
    return StoredFromWide(RootedPathW(root, relativeText));
}

bool CheckIsTrue(const DetectCheck& check) {
    switch (check.kind) {
        case CheckKind::ProcessCheck: return ProcessIsRunning(Decoded(check.operand));
        case CheckKind::KeyCheck: return RegKeyExists(RegistryRootKey(check.registry), Decoded(check.operand));
        case CheckKind::FolderCheck: return FolderIsPresent(check);
    }
    return false;
}

void RunStep(const RemovalStep& step) {
    // A step that waits, opens or removes leaves the phase's process list old. A kill sees to that
    // itself, and only when it found a process to stop.
    struct RefreshAfter {
        bool kill;
        ~RefreshAfter() {
            if (!kill) ProcessListScope::Refresh();
        }
    } refresh{step.kind == StepKind::Terminate};
    switch (step.kind) {
        case StepKind::Terminate: Terminate(step); break;
        case StepKind::Wait: Sleep(step.milliseconds); break;
        case StepKind::ShellOpen: ShellOpen(step); break;
        case StepKind::EmptyFolder: EmptyFolder(step); break;
        case StepKind::DeleteExeFiles: DeleteExeFiles(step); break;
        case StepKind::RemoveFile: RemoveFile(step); break;
        case StepKind::RemoveReadOnlyFile: RemoveReadOnlyFile(step); break;
        case StepKind::RemoveFolder: RemoveFolder(step); break;
        case StepKind::RemoveKey: RemoveKey(step); break;
        case StepKind::RemoveValue: RemoveValue(step); break;
    }
}

bool DetectRogue(const RogueEntry& entry) {
    // An entry's checks are one phase: its process checks share one list (or the caller's).
    ProcessListScope phase;
    for (const DetectCheck& check : entry.checks) {
        if (CheckIsTrue(check)) return true;
    }
    return false;
}

void RemoveRogue(const RogueEntry& entry) {
    // Its first kill looks at the processes as they are now, not as the detection saw them.
    ProcessListScope::Refresh();
    for (const RemovalStep& step : entry.steps) {
        for (int i = 0; i < step.times; ++i) RunStep(step);
    }
}
