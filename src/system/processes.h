#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "system/acting.h"

// One process list for a phase. While a scope lives on this thread, the walking operations below
// (checks, id look-ups and kills by name) answer from one list, taken at its first use and taken
// afresh after Refresh(); without a scope every call walks a new snapshot. Whoever acts (kills,
// waits, opens, removes) refreshes, so a list never outlives an action: a kill that finds a
// process to stop does so itself, one that finds none changed nothing. A scope inside another adds
// nothing: the outer one is the phase.
class ProcessListScope {
public:
    // A process as a list holds it.
    struct Listed {
        std::string exeFile;
        DWORD id;
    };
    ProcessListScope();
    // A phase whose list, until refreshed, is the one given: a list taken earlier, whose ids may
    // since have passed to other processes. Nothing when another scope is the phase.
    explicit ProcessListScope(std::vector<Listed> listed);
    ~ProcessListScope();
    ProcessListScope(const ProcessListScope&) = delete;
    ProcessListScope& operator=(const ProcessListScope&) = delete;
    // Makes the current phase take a fresh list at its next use; nothing without a scope.
    static void Refresh();

private:
    bool owner_ = false;
    bool fresh_ = false;
    std::vector<Listed> processes_;
    template <class Visit>
    friend void VisitProcesses(Visit&& visit);
};

// Some running process has this executable name (ASCII case folded).
bool ProcessIsRunning(const std::string& name);
// Id of the last process whose whole szExeFile equals the name (lstrcmpiA); 0 when none.
DWORD FindProcessId(const std::string& name);
// Full path of the process's executable; empty when it cannot be read.
std::string GetProcessImagePath(DWORD processId);
// Id of the last process with that name whose image path contains pathText; 0 when none.
DWORD FindProcessIdByPath(const std::string& name, const std::string& pathText);
// The kills record each process they reach through acting (system/acting.h), with its id, listed
// name and image path: ended or planned, refused when its id passed to another program, failed
// with the system's error text; a name that matches no process is recorded as not found.

// Terminates every process of that name; true when the last attempt succeeded.
bool KillProcessByName(const std::string& name, const Acting& acting = kRemoveUnrecorded);
// KillProcessByName and, when that reports no success, ends the process FindProcessId gives for
// the name: both from one walk. Every kill checks, through the handle that ends a process, that
// its image still has the listed name, since an id can pass to another process after listing.
void KillProcessByNameOrId(const std::string& name, const Acting& acting = kRemoveUnrecorded);
// Terminates the last process of that name whose image path contains pathText, the path read
// through the handle that ends it; true when it was ended.
bool KillProcessByPath(const std::string& name, const std::string& pathText, const Acting& acting = kRemoveUnrecorded);
// Terminates the process when it can be opened; id 0 does nothing.
void KillProcessById(DWORD processId);

// Starts the program at this full path, hidden, by CreateProcessW with the path as the application
// name: no search path, no shell association, no App Paths. Only when its real path is that path
// (system/exact_deletion.h: no link on the way) and it is a file, held unchanged until it has
// started; it starts in its own folder and nothing waits for it. Recorded as a program: started or
// planned, not found, refused with why, or failed with the system's error. The refusal, if any.
std::string StartProgramExactly(const std::wstring& path, const Acting& acting = kRemoveUnrecorded);
