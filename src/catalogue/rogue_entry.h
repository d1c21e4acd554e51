#pragma once
// The shape of a rogue entry: what tells that a product is present and what takes it off.
// Every operand is a stored text (SignatureText), decoded only when a check or step runs.
#include <vector>

// Folders that catalogue paths are relative to; each is looked up anew at every use.
enum class FolderRoot {
    ProgramFiles,    // CSIDL_PROGRAM_FILES
    CommonAppData,   // CSIDL_COMMON_APPDATA
    Programs,        // CSIDL_PROGRAMS
    StartMenu,       // CSIDL_STARTMENU
    CommonPrograms,  // CSIDL_COMMON_PROGRAMS
    Desktop,         // CSIDL_DESKTOP
    AppData,         // CSIDL_APPDATA
    SystemDir,
    WindowsDir,
    TempDir,
};

enum class RegistryRoot { CurrentUser, LocalMachine, ClassesRoot };

// A stored text with the short name it goes by in its entry (p1, k1, f1, r1, c1 ...).
struct SignatureRef {
    const char* name = nullptr;
    const char* text = nullptr;
};

enum class CheckKind { ProcessCheck, KeyCheck, FolderCheck };

struct DetectCheck {
    CheckKind kind;
    SignatureRef operand;
    FolderRoot folder = FolderRoot::ProgramFiles;       // FolderCheck
    RegistryRoot registry = RegistryRoot::CurrentUser;  // KeyCheck
};

enum class StepKind {
    Terminate,
    Wait,
    StartUninstaller,  // the file at this path under a Program Files folder, started by its full path
    EmptyFolder,
    RemoveShortcuts,   // the shortcuts (.lnk, .url) lying in a folder of the product's own
    RemoveFile,
    RemoveReadOnlyFile,
    RemoveFolder,
    RemoveKey,
    RemoveValue,
    RemoveRunValue,    // a value that starts a program: only while its data names the product
};

struct RemovalStep {
    StepKind kind;
    SignatureRef operand;  // none for Wait
    FolderRoot folder = FolderRoot::ProgramFiles;
    RegistryRoot registry = RegistryRoot::CurrentUser;
    unsigned milliseconds = 0;  // Wait
    int times = 1;              // 2 for a step carried out twice in a row
};

struct RogueEntry {
    int checkListIndex;
    const char* displayName;
    const char* resultLabel;
    std::vector<DetectCheck> checks;
    std::vector<RemovalStep> steps;
};
