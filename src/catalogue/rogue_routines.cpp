#include "catalogue/rogue_routines.h"

#include <shellapi.h>
#include <shlobj.h>

#include "system/folders.h"
#include "system/processes.h"
#include "system/registro.h"
#include "system/signature.h"

namespace {

std::string Decoded(const SignatureRef& ref) { return DecodeSignature(ref.text); }

bool IsAbsolutePath(const std::string& path) {
    bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    bool share = path.size() >= 3 && path[0] == '\\' && path[1] == '\\';
    return drive || share;
}

std::string PathOf(const DetectCheck& check) { return RootedPath(check.folder, check.operand.text); }
std::string PathOf(const RemovalStep& step) { return RootedPath(step.folder, step.operand.text); }

bool FolderIsPresent(const DetectCheck& check) {
    std::string path = PathOf(check);
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Terminate(const RemovalStep& step) {
    // The snapshot comparisons differ: the id lookup folds letters the name walk leaves alone.
    if (!KillProcessByName(Decoded(step.operand))) KillProcessById(FindProcessId(Decoded(step.operand)));
}

void ShellOpen(const RemovalStep& step) {
    ShellExecuteA(nullptr, "open", Decoded(step.operand).c_str(), nullptr, nullptr, SW_HIDE);
}

void EmptyFolder(const RemovalStep& step) {
    std::string path = PathOf(step);
    if (!path.empty()) DeleteFilesInFolder(path);
}

void DeleteExeFiles(const RemovalStep& step) {
    std::string path = FolderRootPath(step.folder);
    if (IsAbsolutePath(path)) DeleteExeFilesInFolder(path);
}

void RemoveFile(const RemovalStep& step) {
    std::string path = PathOf(step);
    if (!path.empty()) DeleteFileA(path.c_str());
}

void RemoveReadOnlyFile(const RemovalStep& step) {
    std::string path = PathOf(step);
    if (path.empty()) return;
    ClearReadOnlyFlag(path);
    RemoveFile(step);
}

void RemoveFolder(const RemovalStep& step) {
    std::string path = PathOf(step);
    if (!path.empty()) RemoveDirectoryA(path.c_str());
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

std::string FolderRootPath(FolderRoot root) {
    switch (root) {
        case FolderRoot::ProgramFiles: return GetSpecialFolder(CSIDL_PROGRAM_FILES);
        case FolderRoot::CommonAppData: return GetSpecialFolder(CSIDL_COMMON_APPDATA);
        case FolderRoot::Programs: return GetSpecialFolder(CSIDL_PROGRAMS);
        case FolderRoot::StartMenu: return GetSpecialFolder(CSIDL_STARTMENU);
        case FolderRoot::CommonPrograms: return GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
        case FolderRoot::Desktop: return GetSpecialFolder(CSIDL_DESKTOP);
        case FolderRoot::AppData: return GetSpecialFolder(CSIDL_APPDATA);
        case FolderRoot::SystemDir: return GetSystemFolder();
        case FolderRoot::WindowsDir: return GetWindowsFolder();
        case FolderRoot::TempDir: return GetTempFolder();
    }
    return {};
}

std::string JoinRootPath(const std::string& rootPath, const std::string& relative) {
    if (!IsAbsolutePath(rootPath) || relative.empty()) return {};
    return rootPath + relative;
}

std::string RootedPath(FolderRoot root, const char* relativeText) {
    return JoinRootPath(FolderRootPath(root), DecodeSignature(relativeText));
}

void ClearReadOnlyFlag(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
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
    for (const DetectCheck& check : entry.checks) {
        if (CheckIsTrue(check)) return true;
    }
    return false;
}

void RemoveRogue(const RogueEntry& entry) {
    for (const RemovalStep& step : entry.steps) {
        for (int i = 0; i < step.times; ++i) RunStep(step);
    }
}
