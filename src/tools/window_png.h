#pragma once
// What the screen shows of a top-level window, saved as a PNG: for the run command's screenshot
// and the window tests' pictures.
#include <windows.h>

#include <string>

// Saves the window's rectangle on screen (frame included) as an 8-bit RGB PNG; true on success.
bool SaveWindowPng(HWND window, const std::string& path);
