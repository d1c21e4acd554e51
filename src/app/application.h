#pragma once
#include <windows.h>

// The program entry: title, main window, hidden About window, message loop.
int RunApplication(HINSTANCE instance);
