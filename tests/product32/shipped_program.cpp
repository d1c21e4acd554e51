#include "product32/shipped_program.h"

#include <tlhelp32.h>

#include "app/app_test_support.h"

std::wstring ShippedProgramPath() { return L"C:\\zarvex\\product32\\Zarvex.exe"; }

ShippedRun::ShippedRun(const std::wstring& arguments) {
    std::wstring command = L"\"" + ShippedProgramPath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(ShippedProgramPath().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        L"C:\\zarvex\\product32", &startup, &info)) {
        return;
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
}

ShippedRun::~ShippedRun() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 30000);
    }
}

DWORD ShippedRun::WaitExit(DWORD limitMs) const {
    DWORD code = STILL_ACTIVE;
    if (process_ && WaitForSingleObject(process_.get(), limitMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process_.get(), &code);
    }
    return code;
}

HWND ShippedRun::WaitForWindow(const char* className, const char* caption, DWORD limitMs) const {
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (process_) {
        HWND window = FindProcessWindow(id_, className, true);
        if (window && WindowText(window) == caption) return window;
        if (WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT || GetTickCount64() > end) break;
        Sleep(500);
    }
    return nullptr;
}

bool RunsAndAnswers(const ShippedRun& run, HWND window) {
    DWORD_PTR result = 0;
    return run.WaitExit(0) == STILL_ACTIVE && IsWindow(window) &&
           SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, &result) != 0;
}

bool CrashBoxShown() {
    if (FindWindowW(nullptr, L"Program Error")) return true;
    UniqueHandle snapshot(ValidOrNull(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)));
    if (!snapshot) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, L"winedbg.exe") == 0) return true;
    }
    return false;
}
