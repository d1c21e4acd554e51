#include "system/processes.h"

#include <cstring>

#include "system/error_text.h"
#include "system/exact_deletion.h"
#include "system/handles.h"
#include "system/process_entry_points.h"
#include "system/process_names.h"
#include "system/text_codes.h"
#include "system/wide_paths.h"

namespace {

constexpr DWORD kQueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

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
std::string ImagePathByQuery(HANDLE process) {
    char buffer[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!ReadFullImageName(process, buffer, size) || size == 0) return std::string();
    return BufferText(buffer, sizeof(buffer));
}

// The image path of an open process: its main module's, else the kernel's; empty when neither
// can be read with the rights the handle has.
std::string ImagePathOf(HANDLE process) {
    char buffer[MAX_PATH] = {};
    if (ReadMainModuleName(process, buffer, MAX_PATH) > 0) return BufferText(buffer, sizeof(buffer));
    return ImagePathByQuery(process);
}

// A listed process opened to be ended, with the image path its handle really has: between the
// list and the open, the id may have passed to another process, so what is ended is checked
// through the handle that ends it. Where the query is refused but termination is not, the path
// stays empty and cannot be checked.
UniqueHandle OpenToEnd(DWORD processId, std::string& imagePath) {
    imagePath.clear();
    for (DWORD query : {kQueryAndRead, DWORD{PROCESS_QUERY_LIMITED_INFORMATION}}) {
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE | query, FALSE, processId));
        if (!process) continue;
        imagePath = ImagePathOf(process.get());
        return process;
    }
    return UniqueHandle(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
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

ProcessListScope::ProcessListScope(std::vector<Listed> listed) : ProcessListScope() {
    if (!owner_) return;
    processes_ = std::move(listed);
    fresh_ = true;
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
    if (!process) process.reset(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    return process ? ImagePathOf(process.get()) : std::string();
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

const wchar_t kOtherProgramReason[] = L"its id now belongs to another program";
const wchar_t kUnreadablePathReason[] = L"its image path cannot be read, so it may be the genuine program";

ActedObject ProcessObject(DWORD processId, const std::string& exeFile, const std::string& imagePath) {
    ActedObject object{ObjectKind::Process, Outcome::Planned, FromAnsi(imagePath), FromAnsi(exeFile)};
    object.processId = processId;
    return object;
}

void RecordNoProcess(const Acting& acting, const std::string& name, std::wstring qualifier = {}) {
    acting.Record(ProcessObject(0, name, {}), Outcome::NotFound, std::move(qualifier));
}

// Ends (or plans to end) an opened process; true when it was ended or planned.
bool EndOpened(const Acting& acting, HANDLE process, const ActedObject& object) {
    return acting.Perform(object, [&] { return TerminateProcess(process, 0) ? DWORD{ERROR_SUCCESS} : GetLastError(); });
}

// The listed process opened to be ended, and ended when its image still has the name (by the
// rule `same`); recorded either way. True when ended or planned.
template <class SameName>
bool EndListed(const Acting& acting, DWORD processId, const std::string& exeFile, SameName same) {
    std::string imagePath;
    UniqueHandle process = OpenToEnd(processId, imagePath);
    const ActedObject object = ProcessObject(processId, exeFile, imagePath);
    if (!process) {
        acting.Record(object, Outcome::Failed, SystemErrorReason(GetLastError()));
        return false;
    }
    // Another program that took the listed id is left alone.
    if (!imagePath.empty() && !same(LastPathPart(imagePath))) {
        acting.Record(object, Outcome::Refused, kOtherProgramReason);
        return false;
    }
    return EndOpened(acting, process.get(), object);
}

// Terminates every process whose name matches; where asked, also notes the last one whose whole
// name equals the name (the id lookup's rule). True when the last attempt succeeded.
bool KillMatching(const std::string& name, DWORD* sameNameId, const Acting& acting) {
    bool lastKilled = false;
    bool tried = false;
    VisitProcesses([&](const std::string& exeFile, DWORD processId) {
        if (sameNameId && SameExeName(name, exeFile)) *sameNameId = processId;
        if (!ExeNameMatches(exeFile, name)) return;
        tried = true;
        lastKilled = EndListed(acting, processId, exeFile,
                               [&](const std::string& imageName) { return ExeNameMatches(imageName, name); });
    });
    if (tried && !acting.Planning()) ProcessListScope::Refresh();
    if (!tried && !sameNameId) RecordNoProcess(acting, name);
    return lastKilled;
}

}  // namespace

bool KillProcessByName(const std::string& name, const Acting& acting) { return KillMatching(name, nullptr, acting); }

void KillProcessByNameOrId(const std::string& name, const Acting& acting) {
    DWORD sameNameId = 0;
    if (KillMatching(name, &sameNameId, acting)) return;
    if (sameNameId == 0) {
        RecordNoProcess(acting, name);
        return;
    }
    EndListed(acting, sameNameId, name, [&](const std::string& imageName) { return SameExeName(name, imageName); });
    if (!acting.Planning()) ProcessListScope::Refresh();
}

bool KillProcessByPath(const std::string& name, const std::string& pathText, const Acting& acting) {
    const std::wstring qualifier = L"none whose image path holds " + FromAnsi(pathText);
    if (pathText.empty()) {
        RecordNoProcess(acting, name, qualifier);
        return false;
    }
    // The last match is the one ended, as FindProcessIdByPath names it, but its path is read
    // through the handle that ends it.
    UniqueHandle last;
    ActedObject lastObject;
    // One of that name whose path cannot be read may be anywhere, the genuine program included: it
    // is never ended, and is said as such rather than "not found".
    ActedObject unreadable;
    // One of that name that cannot be opened at all is not known to be elsewhere: a failure, unless
    // it ended meanwhile.
    ActedObject unopened;
    DWORD unopenedError = ERROR_SUCCESS;
    VisitProcesses([&](const std::string& exeFile, DWORD processId) {
        if (!ExeNameMatches(exeFile, name)) return;
        std::string imagePath;
        UniqueHandle process = OpenToEnd(processId, imagePath);
        if (!process && GetLastError() != ERROR_INVALID_PARAMETER) {
            unopenedError = GetLastError();
            unopened = ProcessObject(processId, exeFile, {});
        }
        if (process && imagePath.empty()) unreadable = ProcessObject(processId, exeFile, {});
        // The name too: the listed id may have passed to another program whose path holds the fragment.
        if (!process || imagePath.find(pathText) == std::string::npos || !ExeNameMatches(LastPathPart(imagePath), name))
            return;
        last = std::move(process);
        lastObject = ProcessObject(processId, exeFile, imagePath);
    });
    if (!last) {
        if (unreadable.processId != 0) acting.Record(unreadable, Outcome::Refused, kUnreadablePathReason);
        else if (unopened.processId != 0) acting.Record(unopened, Outcome::Failed, SystemErrorReason(unopenedError));
        else RecordNoProcess(acting, name, qualifier);
        return false;
    }
    const bool killed = EndOpened(acting, last.get(), lastObject);
    if (!acting.Planning()) ProcessListScope::Refresh();
    return killed;
}

void KillProcessById(DWORD processId) {
    if (processId == 0) return;
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (process) TerminateProcess(process.get(), 0);
    ProcessListScope::Refresh();
}

std::string StartProgramExactly(const std::wstring& path, const Acting& acting) {
    const ActedObject program{ObjectKind::Program, Outcome::Planned, path};
    const HeldFile file = HoldFileExactly(path);
    if (!file.handle) {
        RecordUnopened(acting, program, file.refusal, file.error);
        return file.refusal;
    }
    acting.Perform(program, [&] {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        std::wstring commandLine = L"\"" + path + L"\"";
        const std::wstring folder = PathUpToLastPart(path);
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &startup, &started))
            return GetLastError();
        // Nothing waits for it.
        const UniqueHandle thread(started.hThread), process(started.hProcess);
        return DWORD{ERROR_SUCCESS};
    });
    return {};
}
