#include "system/dll_search.h"

#include <windows.h>

bool LoadDllsFromSystemFolderOnly() {
    // Looked up at run time: Windows 7 has it only with KB2533623.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    SetDllDirectoryW(L"");
    return false;
}
