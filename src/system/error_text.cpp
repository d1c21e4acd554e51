#include "system/error_text.h"

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

bool IsMissingError(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }
