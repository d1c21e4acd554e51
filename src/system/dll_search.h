#pragma once
// Where the program's run-time DLL loads look.

// From here on, DLLs loaded by name (the delay-loaded ones, PSAPI, the shell for the Recycle Bin)
// come from the system folder only, never from beside the program or the current folder: a
// program run from a download folder must not load a wininet.dll that someone put there. False
// where the system cannot do that (Windows 7 without its update); the current folder is then
// dropped at least.
bool LoadDllsFromSystemFolderOnly();
