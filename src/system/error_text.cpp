#include "system/error_text.h"

#include <shellapi.h>

std::wstring SystemErrorMessage(DWORD code, HMODULE moreMessages) {
    constexpr DWORD kChars = 1024;
    wchar_t buffer[kChars] = {};
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer, kChars, nullptr);
    if (length == 0 && moreMessages)
        length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, moreMessages, code, 0,
                                buffer, kChars, nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
    return text;
}

std::wstring SystemErrorReason(DWORD code) {
    std::wstring text = SystemErrorMessage(code);
    return text.empty() ? L"error " + std::to_wstring(code) : text;
}

std::wstring ShellStartReason(INT_PTR code) {
    switch (code) {
        case 0: return SystemErrorReason(ERROR_NOT_ENOUGH_MEMORY);
        case ERROR_FILE_NOT_FOUND:  // SE_ERR_FNF
        case ERROR_PATH_NOT_FOUND:  // SE_ERR_PNF
        case ERROR_ACCESS_DENIED:   // SE_ERR_ACCESSDENIED
        case ERROR_NOT_ENOUGH_MEMORY:  // SE_ERR_OOM
        case ERROR_BAD_FORMAT: return SystemErrorReason(static_cast<DWORD>(code));
        case SE_ERR_SHARE: return SystemErrorReason(ERROR_SHARING_VIOLATION);
        case SE_ERR_ASSOCINCOMPLETE:
        case SE_ERR_NOASSOC: return SystemErrorReason(ERROR_NO_ASSOCIATION);
        case SE_ERR_DDETIMEOUT:
        case SE_ERR_DDEFAIL:
        case SE_ERR_DDEBUSY: return SystemErrorReason(ERROR_DDE_FAIL);
        case SE_ERR_DLLNOTFOUND: return SystemErrorReason(ERROR_DLL_NOT_FOUND);
    }
    return L"the shell's error " + std::to_wstring(code);
}
