#pragma once
#include <string>

// The application title, which is also the caption of the standard error box.
constexpr char kApplicationTitle[] = "Zarvex";

// The text the standard error box shows for a message: a full stop is added when the last
// character's code is above the full stop's (a letter or digit, not a closing parenthesis).
std::string ErrorBoxText(const std::string& message);

// The standard error box: error icon, the application title as caption, OK, ErrorBoxText.
void ShowErrorBox(const std::string& message);
