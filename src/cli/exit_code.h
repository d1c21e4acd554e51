#pragma once
// The program's exit codes when it scans from the command line, and the one way the program ends
// at once.
enum ExitCode : int {
    kExitNothingFound = 0,
    kExitNoScan = 0,             // the window ran without /scan, however it ended
    kExitAllRemoved = 1,
    kExitSomethingRemains = 2,   // "Error on remove"
    kExitBadCommandLine = 3,
    kExitScanFailed = 4,         // an error was raised or something failed, or the report could not be written
};

// The code for a scan that ended: found counts what it found, remaining what is still there;
// ended says an error ended it, somethingFailed that a failure was met on the way (an error row,
// a failed object).
ExitCode ScanExitCode(int found, int remaining, bool ended, bool somethingFailed);

// Ends the process at once with the code, without closing windows or any clean-up of ours: for
// "Exit" chosen in the window, and a command-line scan that the window's closing stopped.
[[noreturn]] void EndProgramNow(ExitCode code);
