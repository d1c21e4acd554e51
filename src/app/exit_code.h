#pragma once
// The program's exit codes when it scans from the command line.
enum ExitCode : int {
    kExitNothingFound = 0,
    kExitAllRemoved = 1,
    kExitSomethingRemains = 2,   // "Error on remove"
    kExitBadCommandLine = 3,
    kExitScanFailed = 4,         // an error was raised, or the report could not be written
};

// The code for a scan that ended: found counts what it found, remaining what is still there.
ExitCode ScanExitCode(int found, int remaining, bool failed);
