#pragma once
// The process snapshot and process-status functions, looked up at run time rather than linked,
// behind wrappers that report "nothing" when a service is missing.
#include <windows.h>
#include <tlhelp32.h>

#include <cstddef>

// The 8-bit PROCESSENTRY32 record as the 32-bit kernel32 fills it.
struct ProcessEntryA {
    DWORD dwSize;
    DWORD cntUsage;
    DWORD th32ProcessID;
    ULONG_PTR th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    CHAR szExeFile[MAX_PATH];
};
static_assert(sizeof(void*) != 4 || sizeof(ProcessEntryA) == 296, "Process32First checks dwSize against 296");
static_assert(sizeof(void*) != 4 || offsetof(ProcessEntryA, szExeFile) == 36, "layout of PROCESSENTRY32A");

constexpr DWORD kSnapProcesses = TH32CS_SNAPPROCESS;

// A new snapshot, or null when the service is missing or the call fails.
HANDLE TakeProcessSnapshot(DWORD flags);
// False when the service is missing or there is no entry to read.
bool ReadFirstProcess(HANDLE snapshot, ProcessEntryA& entry);
bool ReadNextProcess(HANDLE snapshot, ProcessEntryA& entry);
// GetModuleFileNameExA for the main module; 0 characters when PSAPI is missing.
DWORD ReadMainModuleName(HANDLE process, char* buffer, DWORD size);
// QueryFullProcessImageNameA in Win32 form; false when kernel32 lacks it (before Vista).
bool ReadFullImageName(HANDLE process, char* buffer, DWORD& size);
