#include "support/test_process.h"

#include "system/folders.h"

namespace {

void CreateFolders(const std::string& folder) {
    for (std::size_t i = 3; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '\\') CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
    }
}

}  // namespace

WaiterProcess::WaiterProcess(const std::string& folder, const std::string& exeName) {
    CreateFolders(folder);
    path_ = folder + "\\" + exeName;
    std::string waiter = GetAppFolder() + "zarvex-waiter.exe";
    if (!CopyFileA(waiter.c_str(), path_.c_str(), FALSE)) return;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::string command = "\"" + path_ + "\"";
    if (!CreateProcessA(path_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
        return;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
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
