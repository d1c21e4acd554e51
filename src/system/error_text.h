#pragma once
// The system's words for an error code.
#include <windows.h>

#include <string>

// The system's message for the code, without the trailing line break and full stop; where the
// system has none, the message table of moreMessages when one is given (WinInet keeps its errors
// in its own). Empty when neither has a text.
std::wstring SystemErrorMessage(DWORD code, HMODULE moreMessages = nullptr);
// The system's message, or "error N" where it has none: a reason that is never empty, as a record
// of a failure needs.
std::wstring SystemErrorReason(DWORD code);
// ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND: the object is not there. Any other error is a
// failure to look, never "not found".
bool IsMissingError(DWORD code);
