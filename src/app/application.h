#pragma once
// app: the start-up and the application, the only folder that knows all the others: it reads the
// command line, runs what needs no window, makes the windows, joins a command-line scan to them
// and runs the message loop.
#include <windows.h>

// The program entry: title, main window, hidden About window, message loop.
int RunApplication(HINSTANCE instance);
