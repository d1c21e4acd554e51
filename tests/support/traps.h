#pragma once
// The link traps laid in the prefix by tests/traps/make_traps.sh, for the tests that aim at them.
#include <windows.h>

#include <string>
#include <vector>

#include "support/test_paths.h"
#include "system/handles.h"

// C:\zarvex-traps: bystander\kept.txt and kept.exe, bystander-file.txt and .exe,
// bystander-parent\product\kept.txt, data-elsewhere\Logs\kept.txt, and in links\:
// dir-link -> bystander, parent-link -> bystander-parent, empty-link -> bystander-empty (an empty
// folder), file-link.txt and file-link.exe -> the bystander files; windows-link-holder\windows-link
// -> the Windows folder; sweep-temp\services.exe -> bystander-file.exe; link-loop -> itself;
// swapped\Antispyware PRO XP\Data -> data-elsewhere. In the user's profile, in AppData\Local:
// zarvex-documents-link -> the profile's Documents, and Temp\zarvex-links\file-link.txt and
// file-link.exe -> the bystander files. In Program Files: zarvex-linked-product ->
// uninstaller-elsewhere, and zarvex-file-link-product\uninstall.exe ->
// uninstaller-elsewhere\uninstall.exe.
extern const std::wstring kTraps;
// The user's profile folder's link to its Documents.
std::wstring DocumentsLinkInProfile();
// The folder in the user's Temp that holds file links.
std::wstring FileLinksInProfile();
// True when every trap is laid: each link shows as a link. A trap test asserts it, so that a run
// whose traps were not laid fails instead of passing without its traps.
bool TrapsLaid();
extern const char kTrapsNotLaid[];
// The bystanders' full paths: each holds "kept\n" as laid.
std::vector<std::wstring> BystanderFiles();
// Puts the bystanders back as they were laid, should a failing run have taken one.
void RestoreBystanders();

// Sets an environment variable for the scope of a test (nullptr removes it) and restores it after.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const wchar_t* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::wstring name_;
    std::wstring previous_;
    bool hadValue_ = false;
};

// A user's shell folder setting (User Shell Folders in HKCU, which the user's own programs can
// write), put back as it was.
class ScopedShellFolder {
public:
    ScopedShellFolder(const wchar_t* name, const std::wstring& path);
    ~ScopedShellFolder();
    ScopedShellFolder(const ScopedShellFolder&) = delete;
    ScopedShellFolder& operator=(const ScopedShellFolder&) = delete;

private:
    const wchar_t* name_;
    UniqueKey key_;
    bool had_ = false;
    DWORD type_ = REG_EXPAND_SZ;
    std::wstring previous_;
};
