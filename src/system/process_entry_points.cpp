#include "system/process_entry_points.h"

#include <cstring>

namespace {

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, ProcessEntryA*);
using ModuleFileNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using FullImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

template <class Function>
Function LookUp(HMODULE module, const char* name) {
    FARPROC address = GetProcAddress(module, name);
    Function function = nullptr;
    static_assert(sizeof(function) == sizeof(address));
    std::memcpy(&function, &address, sizeof(function));
    return function;
}

// Both tables are filled once and kept for the life of the process; the scan calls these from
// one thread only, so no locking.
struct ToolHelpTable {
    HMODULE kernel = nullptr;
    CreateSnapshotFn createSnapshot = nullptr;
    ProcessWalkFn first = nullptr;
    ProcessWalkFn next = nullptr;
    FullImageNameFn fullImageName = nullptr;
};

struct ProcessStatusTable {
    HMODULE psapi = nullptr;
    ModuleFileNameFn moduleFileName = nullptr;
};

ToolHelpTable& ToolHelp() {
    static ToolHelpTable table;
    return table;
}

ProcessStatusTable& ProcessStatus() {
    static ProcessStatusTable table;
    return table;
}

// True when snapshots can be taken; without a module handle the next call tries again.
bool EnsureToolHelp() {
    ToolHelpTable& table = ToolHelp();
    if (!table.kernel) {
        table.kernel = GetModuleHandleA("kernel32.dll");
        if (table.kernel) {
            table.createSnapshot = LookUp<CreateSnapshotFn>(table.kernel, "CreateToolhelp32Snapshot");
            table.first = LookUp<ProcessWalkFn>(table.kernel, "Process32First");
            table.next = LookUp<ProcessWalkFn>(table.kernel, "Process32Next");
            table.fullImageName = LookUp<FullImageNameFn>(table.kernel, "QueryFullProcessImageNameA");
        }
    }
    return table.kernel && table.createSnapshot;
}

// PSAPI is loaded once and deliberately never freed: its entry points stay in the table for the
// life of the process. A failed load (LoadLibrary's old "below 32" errors included) is retried.
bool EnsureProcessStatus() {
    ProcessStatusTable& table = ProcessStatus();
    if (!table.psapi) {
        HMODULE library = LoadLibraryA("PSAPI.dll");
        if (reinterpret_cast<ULONG_PTR>(library) < 32) return false;
        table.psapi = library;
        table.moduleFileName = LookUp<ModuleFileNameFn>(library, "GetModuleFileNameExA");
    }
    return table.moduleFileName != nullptr;
}

}  // namespace

HANDLE TakeProcessSnapshot(DWORD flags) {
    if (!EnsureToolHelp()) return nullptr;
    HANDLE snapshot = ToolHelp().createSnapshot(flags, 0);
    return snapshot == INVALID_HANDLE_VALUE ? nullptr : snapshot;
}

bool ReadFirstProcess(HANDLE snapshot, ProcessEntryA& entry) {
    if (!EnsureToolHelp() || !ToolHelp().first) return false;
    return ToolHelp().first(snapshot, &entry) != FALSE;
}

bool ReadNextProcess(HANDLE snapshot, ProcessEntryA& entry) {
    if (!EnsureToolHelp() || !ToolHelp().next) return false;
    return ToolHelp().next(snapshot, &entry) != FALSE;
}

DWORD ReadMainModuleName(HANDLE process, char* buffer, DWORD size) {
    if (!EnsureProcessStatus()) return 0;
    return ProcessStatus().moduleFileName(process, nullptr, buffer, size);
}

bool ReadFullImageName(HANDLE process, char* buffer, DWORD& size) {
    if (!EnsureToolHelp() || !ToolHelp().fullImageName) return false;
    return ToolHelp().fullImageName(process, 0, buffer, &size) != FALSE;
}
