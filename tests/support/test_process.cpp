#include "support/test_process.h"

#include <sddl.h>

#include "system/folders.h"

namespace {

void CreateFolders(const std::string& folder) {
    for (std::size_t i = 3; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '\\') CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
    }
}

}  // namespace

WaiterProcess::WaiterProcess(const std::string& folder, const std::string& exeName)
    : WaiterProcess(folder, exeName, 0, std::string()) {}

WaiterProcess::WaiterProcess(const std::string& folder, const std::string& exeName, DWORD creationFlags,
                             const std::string& processSddl) {
    CreateFolders(folder);
    path_ = folder + "\\" + exeName;
    std::string waiter = GetAppFolder() + "zarvex-waiter.exe";
    if (!CopyFileA(waiter.c_str(), path_.c_str(), FALSE)) return;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::string command = "\"" + path_ + "\"";
    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof(security);
    if (!processSddl.empty() &&
        !ConvertStringSecurityDescriptorToSecurityDescriptorA(processSddl.c_str(), SDDL_REVISION_1,
                                                              &security.lpSecurityDescriptor, nullptr)) {
        return;
    }
    BOOL created = CreateProcessA(path_.c_str(), command.data(), processSddl.empty() ? nullptr : &security, nullptr,
                                  FALSE, creationFlags, nullptr, folder.c_str(), &startup, &info);
    if (security.lpSecurityDescriptor) LocalFree(security.lpSecurityDescriptor);
    if (!created) return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    if (creationFlags & CREATE_SUSPENDED) return;
    // Let the new process appear in snapshots with its image path readable.
    WaitForInputIdle(process_, 2000);
    Sleep(50);
}

WaiterProcess::~WaiterProcess() {
    if (process_) {
        if (Running()) TerminateProcess(process_, 0);
        WaitForSingleObject(process_, 5000);
        CloseHandle(process_);
    }
    if (!path_.empty()) DeleteFileA(path_.c_str());
}

bool WaiterProcess::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool WaiterProcess::WaitEnded(DWORD timeoutMs) const {
    return !process_ || WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}
