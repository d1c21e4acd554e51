#include "ui/error_box.h"

#include <windows.h>

std::string ErrorBoxText(const std::string& message) {
    // Compared as unsigned: characters above 127 are letters of the code page, not negatives.
    std::string text = message;
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text.push_back('.');
    return text;
}

void ShowErrorBox(const std::string& message) {
    // Owned by the active window, so the window that failed waits for the answer.
    MessageBoxA(GetActiveWindow(), ErrorBoxText(message).c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}
