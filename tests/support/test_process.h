#pragma once
#include <windows.h>
#include <string>

// A running copy of zarvex-waiter.exe saved as folder\exeName (folder is created when missing).
// The destructor ends the process if it still runs and deletes the copy.
class WaiterProcess {
public:
    WaiterProcess(const std::string& folder, const std::string& exeName);
    // The same with extra CreateProcess flags (CREATE_SUSPENDED, say) and, when not empty, the
    // process object's security descriptor in SDDL form (to make it refuse others' access).
    WaiterProcess(const std::string& folder, const std::string& exeName, DWORD creationFlags,
                  const std::string& processSddl);
    ~WaiterProcess();
    WaiterProcess(const WaiterProcess&) = delete;
    WaiterProcess& operator=(const WaiterProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return id_; }
    const std::string& Path() const { return path_; }
    // True while the process has not ended.
    bool Running() const;
    // Waits up to timeoutMs for the process to end.
    bool WaitEnded(DWORD timeoutMs) const;

private:
    std::string path_;
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};
