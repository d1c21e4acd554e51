#include "support/failing_write.h"

#include <algorithm>

std::size_t gWriteBudget = 0;

BOOL WINAPI WriteThenFail(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    const DWORD part = static_cast<DWORD>(std::min<std::size_t>(size, gWriteBudget));
    *written = 0;
    if (part > 0 && !WriteFile(file, data, part, written, overlapped)) return FALSE;
    gWriteBudget -= *written;
    if (*written == size) return TRUE;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
