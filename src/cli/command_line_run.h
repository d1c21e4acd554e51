#pragma once
// The program as its command line asks: the usage, a refused command line, the quiet scan, and
// the report and exit code of any scan the command line started.
#include <optional>
#include <string>

#include "cli/command_line.h"
#include "cli/exit_code.h"
#include "scan/scan.h"
#include "system/file_replace.h"

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

// The ticks a command-line scan uses: `usual` with the command line's lists put over them.
ScanChoices CommandLineChoices(const CommandLine& line, ScanChoices usual);
// Writes the report of a command-line scan that ended, when one was asked for, and gives the
// program's exit code: the scan's own, or 4 when the report could not be written (said in a box
// unless /quiet). updateCheck is the report's "Update check:" line, if any.
ExitCode ReportScanEnd(const CommandLine& line, const ScanChoices& choices, const ScanOutcome& outcome,
                       const std::string& updateCheck = {});
