#pragma once
// The link traps laid in the prefix by tests/traps/make_traps.sh, for the tests that aim at them.
#include <string>

#include "support/test_paths.h"

// C:\zarvex-traps: bystander\kept.txt and kept.exe, bystander-file.txt and .exe,
// bystander-parent\product\kept.txt, and in links\: dir-link -> bystander,
// parent-link -> bystander-parent, empty-link -> bystander-empty (an empty folder), file-link.txt and file-link.exe -> the bystander files;
// windows-link-holder\windows-link -> the Windows folder; sweep-temp\services.exe -> bystander-file.exe.
extern const std::wstring kTraps;
// True when the traps are laid (the folder link shows as a link).
bool TrapsLaid();
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
