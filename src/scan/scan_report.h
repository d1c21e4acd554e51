#pragma once
// The report a command-line scan leaves where it was asked to: plain text (UTF-8, CR LF) or one
// JSON document (UTF-8, no byte order mark), with the same content.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "scan/scan.h"

struct ScanReport {
    SYSTEMTIME localTime{};
    int utcOffsetMinutes = 0;
    SYSTEMTIME startedUtc{};  // the scan's start and end; both the report's time when none ran
    SYSTEMTIME endedUtc{};
    std::wstring computer;
    std::wstring user;
    std::wstring switches;
    std::vector<std::wstring> arguments;  // the switches one by one, as given
    std::string catalogue;                // CatalogueIdentity()
    bool scanned = false;                 // false: the command line was refused, no scan ran
    bool detectOnly = false;
    bool everyUser = false;               // ScanOutcome::everyUser
    bool cleanEveryUserAsked = false;     // /allusers
    bool cleanedEveryUser = false;        // ScanOutcome::cleanedEveryUser
    std::vector<int> optionNumbers;       // the options chosen, numbered down the Settings page
    std::vector<std::wstring> options;    // captions of the options chosen
    std::vector<std::wstring> products;   // names of the products chosen
    bool allProducts = false;
    std::vector<std::pair<std::wstring, std::wstring>> rows;  // label, status as the list shows them
    std::vector<std::pair<std::wstring, std::wstring>> refusals;  // the "Skipped: " rows
    std::vector<ScanSection> sections;
    std::vector<std::wstring> notices;  // failures the scan went on after
    std::wstring error;
    std::wstring updateCheck;  // its whole line, when the update check has something to say
    int exitCode = 0;
    bool json = false;  // written as JSON (/format json), not as text
};

// A report with the time, the computer and the user names of now.
ScanReport NewScanReport();
// The report's bytes as text, and as JSON; and in the form it asks for.
std::string ScanReportText(const ScanReport& report);
std::string ScanReportJson(const ScanReport& report);
std::string ScanReportBytes(const ScanReport& report);
// A text from outside on one line: breaks and other control characters become blanks, and
// blanks at its end go.
std::wstring OneLine(std::wstring text);
// One result row as the report and the clipboard give it: label, a tab, status.
std::wstring ResultRowLine(const std::wstring& label, const std::wstring& status);

// The words both reports use for an object's kind and outcome ("deleted", "ended", "started"
// for what was done, by kind).
const wchar_t* ObjectKindText(ObjectKind kind);
const wchar_t* OutcomeText(ObjectKind kind, Outcome outcome);
// "Option", "Sweep" or "Product" and the section's name, as the text report heads it.
std::wstring SectionHeading(const ScanSection& section);
// What the text report shows for the object: the path; a value's key and name; a process's
// name, id and image path.
std::wstring ObjectText(const ActedObject& object);
// Whose and which, where the text report says it: "user NAME (SID)" for another user's object, and
// "64-bit view" or "32-bit view"; joined by ", "; empty for the running user's and the machine's
// objects in the one view.
std::wstring ObjectPlaceText(const ActedObject& object, const std::wstring& runningUserSid);
