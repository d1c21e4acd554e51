#pragma once
// The program as its command line asks: the usage, a refused command line, the quiet scan, and
// the scan in the window that ends the program with its exit code and report.
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/scan.h"
#include "system/file_replace.h"

class TForm1;
struct ScanReport;

// Writes the report to the path through a temporary file renamed over it at the end, so that an
// earlier report survives whole and nothing is left beside it when the write fails part-way;
// false, with the reason, then.
bool WriteReportFile(const std::wstring& path, const ScanReport& report, std::wstring* reason,
                     FileWriteStep write = WriteFile);

// Handles what needs no main window: /?, a wrong command line (exit 3) and /scan /quiet, which
// runs the scan on this thread. Returns the exit code when it did; nothing when the window is to
// run.
std::optional<int> RunWithoutWindow(const CommandLine& line);

// /scan in the window: the ticks and /noupdate set once the window has shown and before any
// message is taken, the scan started then, the report and the exit code when it ends.
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
    int exitCode_ = 0;
};
