#pragma once
#include <string>

// What /? shows: the switches, the option numbers and the exit codes.
std::wstring UsageText();
// The usage in a box with the application's title.
void ShowUsageBox();
