#pragma once
// /scan in the window: the command line sets the window's ticks, starts its scan, and ends the
// program with the scan's report and exit code.
#include <string>

#include "cli/command_line.h"
#include "cli/exit_code.h"
#include "scan/scan.h"

class TForm1;

// The ticks and /noupdate set once the window has shown and before any message is taken, the
// scan started then, the report and the exit code when it ends.
class WindowScanFromCommandLine {
public:
    WindowScanFromCommandLine(const CommandLine& line, TForm1& form);
    ~WindowScanFromCommandLine();
    WindowScanFromCommandLine(const WindowScanFromCommandLine&) = delete;
    WindowScanFromCommandLine& operator=(const WindowScanFromCommandLine&) = delete;
    // Call once the window is shown.
    void Start();
    // Call once the message loop has ended: a report still waiting for the update check is
    // written now. The scan's exit code once it ended; until then the message loop's own.
    int End(int loopCode);

private:
    void Finish(const ScanOutcome& outcome);
    // Writes the report and ends the program with its code.
    void Complete();
    std::string UpdateCheckLine() const;

    const CommandLine& line_;
    TForm1& form_;
    ScanChoices choices_{};
    ScanOutcome outcome_;
    bool ended_ = false;
    bool waitingForUpdate_ = false;
    ExitCode exitCode_ = kExitNothingFound;
};
