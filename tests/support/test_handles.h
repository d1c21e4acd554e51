#pragma once
#include <windows.h>

// A figure that stays the same across code that closes every handle it opens and changes while
// a handle is left open: the process's handle count where the system reports one. Wine reports
// 0, but hands out the lowest free slots, so the values of a few fresh handles move when a leaked
// handle takes one of those slots.
// Take it before and after a loop of calls, after a first call has done any one-time loading.
DWORD HandleMark();
