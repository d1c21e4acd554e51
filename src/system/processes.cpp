#include "system/processes.h"

#include <cstring>

#include "system/handles.h"
#include "system/process_entry_points.h"
#include "system/process_names.h"

namespace {

constexpr DWORD kQueryAndRead = 0x410;         // PROCESS_QUERY_INFORMATION | PROCESS_VM_READ
constexpr DWORD kQueryLimited = 0x1000;        // PROCESS_QUERY_LIMITED_INFORMATION
constexpr DWORD kTerminate = 0x1;              // PROCESS_TERMINATE

// szExeFile up to its NUL, never past its 260 characters.
std::string ExeFileText(const ProcessEntryA& entry) {
    const char* end = static_cast<const char*>(std::memchr(entry.szExeFile, 0, sizeof(entry.szExeFile)));
    return std::string(entry.szExeFile, end ? end : entry.szExeFile + sizeof(entry.szExeFile));
}

// Visits every entry of a new snapshot (no walk stops early); the snapshot is closed on return.
template <class Visit>
void WalkProcesses(DWORD flags, Visit&& visit) {
    UniqueHandle snapshot(TakeProcessSnapshot(flags));
    if (!snapshot) return;
    ProcessEntryA entry{};
    entry.dwSize = sizeof(entry);
    bool more = ReadFirstProcess(snapshot.get(), entry);
    while (more) {
        visit(entry);
        more = ReadNextProcess(snapshot.get(), entry);
    }
}

std::string BufferText(const char* buffer, std::size_t size) {
    const char* end = static_cast<const char*>(std::memchr(buffer, 0, size));
    return std::string(buffer, end ? end : buffer + size);
}

// A 32-bit process cannot read a 64-bit process's modules, so GetModuleFileNameExA yields
// nothing there; the kernel still gives the image path to a limited query.
std::string ImagePathByQuery(DWORD processId) {
    UniqueHandle process(OpenProcess(kQueryLimited, FALSE, processId));
    if (!process) return std::string();
    char buffer[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!ReadFullImageName(process.get(), buffer, size) || size == 0) return std::string();
    return BufferText(buffer, sizeof(buffer));
}

thread_local ProcessListScope* currentScope = nullptr;

// The id lookup's comparison: the whole name, letters folded the way lstrcmpiA folds them.
bool SameExeName(const std::string& name, const std::string& exeFile) {
    return !name.empty() && lstrcmpiA(name.c_str(), exeFile.c_str()) == 0;
}

}  // namespace

ProcessListScope::ProcessListScope() {
    if (currentScope) return;
    currentScope = this;
    owner_ = true;
}

ProcessListScope::~ProcessListScope() {
    if (owner_) currentScope = nullptr;
}

void ProcessListScope::Refresh() {
    if (currentScope) currentScope->fresh_ = false;
}

// Visits (exe file, id) of every process: in a phase from its list, else from a new snapshot.
template <class Visit>
void VisitProcesses(Visit&& visit) {
    ProcessListScope* scope = currentScope;
    if (!scope) {
        WalkProcesses(kSnapProcesses,
                      [&](const ProcessEntryA& entry) { visit(ExeFileText(entry), entry.th32ProcessID); });
        return;
    }
    if (!scope->fresh_) {
        scope->processes_.clear();
        WalkProcesses(kSnapProcesses, [&](const ProcessEntryA& entry) {
            scope->processes_.push_back({ExeFileText(entry), entry.th32ProcessID});
        });
        scope->fresh_ = true;
    }
    for (const ProcessListScope::Listed& process : scope->processes_) visit(process.exeFile, process.id);
}

bool ProcessIsRunning(const std::string& name) {
    bool running = false;
    VisitProcesses([&](const std::string& exeFile, DWORD) {
        if (ExeNameMatches(exeFile, name)) running = true;
    });
    return running;
}

DWORD FindProcessId(const std::string& name) {
    DWORD id = 0;
    if (name.empty()) return id;
    VisitProcesses([&](const std::string& exeFile, DWORD processId) {
        if (SameExeName(name, exeFile)) id = processId;
    });
    return id;
}

std::string GetProcessImagePath(DWORD processId) {
    UniqueHandle process(OpenProcess(kQueryAndRead, FALSE, processId));
    if (!process) return std::string();
    char buffer[MAX_PATH] = {};
    if (ReadMainModuleName(process.get(), buffer, MAX_PATH) > 0) return BufferText(buffer, sizeof(buffer));
    process.reset();
    return ImagePathByQuery(processId);
}

DWORD FindProcessIdByPath(const std::string& name, const std::string& pathText) {
    DWORD id = 0;
    VisitProcesses([&](const std::string& exeFile, DWORD processId) {
        if (!ExeNameMatches(exeFile, name)) return;
        if (!pathText.empty() && GetProcessImagePath(processId).find(pathText) != std::string::npos) id = processId;
    });
    return id;
}

namespace {

// Terminates every process whose name matches; where asked, also notes the last one whose whole
// name equals the name (the id lookup's rule). True when the last attempt succeeded.
bool KillMatching(const std::string& name, DWORD* sameNameId) {
    bool lastKilled = false;
    bool tried = false;
    VisitProcesses([&](const std::string& exeFile, DWORD processId) {
        if (sameNameId && SameExeName(name, exeFile)) *sameNameId = processId;
        if (!ExeNameMatches(exeFile, name)) return;
        tried = true;
        UniqueHandle process(OpenProcess(kTerminate, FALSE, processId));
        lastKilled = process && TerminateProcess(process.get(), 0) != FALSE;
    });
    if (tried) ProcessListScope::Refresh();
    return lastKilled;
}

}  // namespace

bool KillProcessByName(const std::string& name) { return KillMatching(name, nullptr); }

void KillProcessByNameOrId(const std::string& name) {
    DWORD sameNameId = 0;
    if (!KillMatching(name, &sameNameId)) KillProcessById(sameNameId);
}

void KillProcessById(DWORD processId) {
    if (processId == 0) return;
    UniqueHandle process(OpenProcess(kTerminate, FALSE, processId));
    if (process) TerminateProcess(process.get(), 0);
    ProcessListScope::Refresh();
}
