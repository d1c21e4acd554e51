#pragma once
#include <windows.h>

#include <string>

// What puts bytes into the open file: WriteFile, or in a test one that fails part-way, as a full
// disk would.
using FileWriteStep = BOOL(WINAPI*)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);

// Writes the bytes to a new file beside the target, flushes it and renames it over the target,
// so that the target holds either its old content or all of the new, never a part. Returns
// ERROR_SUCCESS or the Win32 error that stopped it; a failed attempt leaves no file behind.
DWORD ReplaceFileContents(const std::wstring& target, const std::string& bytes, FileWriteStep write = WriteFile);
