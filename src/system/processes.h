#pragma once
#include <windows.h>
#include <string>
#include <vector>

// One process list for a phase of checks. While a scope lives on this thread, ProcessIsRunning
// answers from one list, taken at its first use and taken afresh after Refresh(); without a scope
// every call walks a new snapshot. Whoever acts (kills, waits, opens, removes) refreshes, so a list
// never outlives an action. A scope inside another adds nothing: the outer one is the phase.
class ProcessListScope {
public:
    ProcessListScope();
    ~ProcessListScope();
    ProcessListScope(const ProcessListScope&) = delete;
    ProcessListScope& operator=(const ProcessListScope&) = delete;
    // Makes the current phase take a fresh list at its next check; nothing without a scope.
    static void Refresh();

private:
    bool owner_ = false;
    bool fresh_ = false;
    std::vector<std::string> exeFiles_;
    friend bool ProcessIsRunning(const std::string& name);
};

// Some running process has this executable name (ASCII case folded).
bool ProcessIsRunning(const std::string& name);
// Id of the last process whose whole szExeFile equals the name (lstrcmpiA); 0 when none.
DWORD FindProcessId(const std::string& name);
// Full path of the process's executable; empty when it cannot be read.
std::string GetProcessImagePath(DWORD processId);
// Id of the last process with that name whose image path contains pathText; 0 when none.
DWORD FindProcessIdByPath(const std::string& name, const std::string& pathText);
// Terminates every process of that name; true when the last attempt succeeded.
bool KillProcessByName(const std::string& name);
// KillProcessByName and, when that reports no success, KillProcessById with the id FindProcessId
// gives for the name: both from one walk of one snapshot.
void KillProcessByNameOrId(const std::string& name);
// Terminates the process when it can be opened; id 0 does nothing.
void KillProcessById(DWORD processId);
