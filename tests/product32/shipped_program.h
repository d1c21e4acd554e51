#pragma once
// The shipped 32-bit Zarvex.exe, laid by place_shipped.sh in C:\zarvex\product32 of a 64-bit prefix
// with its 32-bit side, started from a test program of either bitness. Where the kernel runs no
// 32-bit processes, each start is emulated and costs some 50 s: a test starts it as few times as
// it can, and every limit here is generous, not a speed check.
#include <windows.h>

#include <string>

#include "system/handles.h"

// C:\zarvex\product32\Zarvex.exe.
std::wstring ShippedProgramPath();

// One start of the shipped program with these arguments after its quoted path; ended (exit code 1)
// when it still runs as the owner goes.
class ShippedRun {
public:
    explicit ShippedRun(const std::wstring& arguments);
    ~ShippedRun();
    ShippedRun(const ShippedRun&) = delete;
    ShippedRun& operator=(const ShippedRun&) = delete;
    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return id_; }
    // The exit code once it ended within the limit; STILL_ACTIVE when it still runs.
    DWORD WaitExit(DWORD limitMs = 15 * 60 * 1000) const;
    // Its visible top-level window with that class and caption, once there within the limit.
    HWND WaitForWindow(const char* className, const char* caption, DWORD limitMs = 15 * 60 * 1000) const;

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

// Whether the program runs on and its window's thread handles a message sent to it: not ended, not
// frozen in a fault, whatever the fault was.
bool RunsAndAnswers(const ShippedRun& run, HWND window);
// Whether Wine's crash box is up for any program: its debugger runs or its "Program Error" window
// shows. Which fault started it does not matter (under emulation Wine reports every hardware fault
// as an illegal instruction).
bool CrashBoxShown();
