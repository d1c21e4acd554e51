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

// Where a root's checks and steps reach: once, or for every user on the machine (each user's own
// folder or hive, when the scan runs elevated); in the program's one view, or in both views of a
// 64-bit Windows (the 64-bit and the 32-bit registry, both Program Files, both system folders).
struct RootReach {
    bool everyUser;
    bool bothViews;
};

constexpr RootReach ReachOf(FolderRoot root) {
    switch (root) {
        case FolderRoot::ProgramFiles: return {false, true};
        case FolderRoot::CommonAppData: return {false, false};
        case FolderRoot::Programs: return {true, false};
        case FolderRoot::StartMenu: return {true, false};
        case FolderRoot::CommonPrograms: return {false, false};
        case FolderRoot::Desktop: return {true, false};
        case FolderRoot::AppData: return {true, false};
        case FolderRoot::SystemDir: return {false, true};
        case FolderRoot::WindowsDir: return {false, false};
        case FolderRoot::TempDir: return {true, false};
    }
    return {false, false};
}

constexpr RootReach ReachOf(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::CurrentUser: return {true, false};
        case RegistryRoot::LocalMachine: return {false, true};
        case RegistryRoot::ClassesRoot: return {true, true};
    }
    return {false, false};
}

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
