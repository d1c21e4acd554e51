#pragma once
// The plain-text report a command-line scan leaves where it was asked to: UTF-8, CR LF.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

struct ScanReport {
    SYSTEMTIME localTime{};
    int utcOffsetMinutes = 0;
    std::wstring computer;
    std::wstring user;
    std::wstring switches;
    bool scanned = false;                 // false: the command line was refused, no scan ran
    std::vector<std::wstring> options;    // captions of the options chosen
    std::vector<std::wstring> products;   // names of the products chosen
    bool allProducts = false;
    std::vector<std::pair<std::wstring, std::wstring>> rows;  // label, status as the list shows them
    std::vector<std::wstring> notices;  // failures the scan went on after
    std::wstring error;
    std::wstring updateCheck;  // its whole line, when the update check has something to say
    int exitCode = 0;
};

// A report with the time, the computer and the user names of now.
ScanReport NewScanReport();
// The report's bytes.
std::string ScanReportText(const ScanReport& report);
// One result row as the report and the clipboard give it: label, a tab, status.
std::wstring ResultRowLine(const std::wstring& label, const std::wstring& status);
