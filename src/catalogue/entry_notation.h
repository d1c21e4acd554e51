#pragma once
// Short words for writing catalogue entries, so that each entry reads like its line in the
// product table: proc p1, key HKCU k1, dir PF f1 / kill p1, wait 1000, empty PF f2, rmdir PF f2 x2 ...
#include "catalogue/rogue_entry.h"
#include "system/signature.h"

// A named reference of an entry with its own stored text: REF(p1, "name.exe").
#define REF(ref, plain) const SignatureRef ref{#ref, SIG(plain)}
// A named reference to a text that other entries or the sweep use as well.
#define SHARED_REF(ref, storedText) const SignatureRef ref{#ref, storedText}

namespace entry_notation {

inline constexpr FolderRoot PF = FolderRoot::ProgramFiles;
inline constexpr FolderRoot CA = FolderRoot::CommonAppData;
inline constexpr FolderRoot PR = FolderRoot::Programs;
inline constexpr FolderRoot SM = FolderRoot::StartMenu;
inline constexpr FolderRoot CP = FolderRoot::CommonPrograms;
inline constexpr FolderRoot DT = FolderRoot::Desktop;
inline constexpr FolderRoot AD = FolderRoot::AppData;
inline constexpr FolderRoot SYS = FolderRoot::SystemDir;
inline constexpr FolderRoot WIN = FolderRoot::WindowsDir;
inline constexpr FolderRoot TMP = FolderRoot::TempDir;

inline constexpr RegistryRoot HKCU = RegistryRoot::CurrentUser;
inline constexpr RegistryRoot HKLM = RegistryRoot::LocalMachine;
inline constexpr RegistryRoot HKCR = RegistryRoot::ClassesRoot;

// Carried out twice in a row.
inline constexpr int x2 = 2;

inline DetectCheck proc(SignatureRef name) { return {CheckKind::ProcessCheck, name}; }
inline DetectCheck dir(FolderRoot root, SignatureRef path) { return {CheckKind::FolderCheck, path, root}; }

// "key H k" is a check in the check list and a deletion in the removal list.
struct KeyWord {
    RegistryRoot root;
    SignatureRef path;
    operator DetectCheck() const { return {CheckKind::KeyCheck, path, FolderRoot::ProgramFiles, root}; }
    operator RemovalStep() const { return {StepKind::RemoveKey, path, FolderRoot::ProgramFiles, root}; }
};
inline KeyWord key(RegistryRoot root, SignatureRef path) { return {root, path}; }

inline RemovalStep kill(SignatureRef name) { return {StepKind::Terminate, name}; }
inline RemovalStep wait(unsigned milliseconds) { return {StepKind::Wait, {}, FolderRoot::ProgramFiles, HKCU, milliseconds}; }
// The product's uninstaller, by its path under whichever Program Files folder holds the product.
inline RemovalStep uninstall(SignatureRef path) { return {StepKind::StartUninstaller, path, FolderRoot::ProgramFiles}; }
inline RemovalStep empty(FolderRoot root, SignatureRef path, int times = 1) {
    return {StepKind::EmptyFolder, path, root, HKCU, 0, times};
}
inline RemovalStep links(FolderRoot root, SignatureRef path) { return {StepKind::RemoveShortcuts, path, root}; }
inline RemovalStep del(FolderRoot root, SignatureRef path) { return {StepKind::RemoveFile, path, root}; }
inline RemovalStep rodel(FolderRoot root, SignatureRef path) { return {StepKind::RemoveReadOnlyFile, path, root}; }
inline RemovalStep rmdir(FolderRoot root, SignatureRef path, int times = 1) {
    return {StepKind::RemoveFolder, path, root, HKCU, 0, times};
}
inline RemovalStep val(RegistryRoot root, SignatureRef path) {
    return {StepKind::RemoveValue, path, FolderRoot::ProgramFiles, root};
}
// An autostart value (Run and the like): deleted only while its data names the product's program,
// its folder or one of its files.
inline RemovalStep run(RegistryRoot root, SignatureRef path) {
    return {StepKind::RemoveRunValue, path, FolderRoot::ProgramFiles, root};
}

}  // namespace entry_notation
