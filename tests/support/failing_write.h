#pragma once
// A write step that fails part-way, as a full disk would: Wine cannot be made to.
#include <windows.h>

#include <cstddef>

// How many bytes WriteThenFail writes, in all, before it fails; set before each use.
extern std::size_t gWriteBudget;

// WriteFile within the budget, then FALSE with ERROR_DISK_FULL.
BOOL WINAPI WriteThenFail(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
