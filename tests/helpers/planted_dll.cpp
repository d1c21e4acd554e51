// A DLL that the tests lay beside a program, where no DLL of the program's should be taken from.
#include <windows.h>

extern "C" __declspec(dllexport) int ZarvexPlanted() { return 42; }
