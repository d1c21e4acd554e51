#include "support/test_handles.h"

DWORD HandleMark() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
    // A leaked handle need not sit in the very lowest free slot (a handle closed after it frees a
    // lower one), so look at the lowest several.
    HANDLE probes[32] = {};
    DWORD sum = 0;
    for (HANDLE& probe : probes) {
        probe = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        sum += static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(probe));
    }
    for (HANDLE probe : probes) CloseHandle(probe);
    return sum;
}
