#pragma once
#include <windows.h>

#include <string>

// Saves what the screen shows of the window (frame included) as a PNG; true on success.
bool SaveWindowPng(HWND window, const std::string& path);
