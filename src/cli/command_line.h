#pragma once
// cli: the command line: its switches, the usage text, the exit codes, the run without a window
// and the report of a scan it started. Uses the error box of ui and the scan below it.
//
// The program's switches, Windows style: "/" or "-", any case.
//   /scan /detect /allusers /quiet /noupdate /report FILE /format text|json /options LIST /products LIST /?
#include <array>
#include <string>
#include <vector>

#include "scan/choice_counts.h"

struct CommandLine {
    bool scan = false;
    bool quiet = false;
    bool noUpdate = false;
    bool detect = false;           // look, plan and change nothing
    bool allUsers = false;         // the cleaning options clean every user's folders too
    bool usage = false;            // /?
    std::wstring reportPath;       // empty: no report
    bool json = false;             // /format json: the report as one JSON document
    bool optionsGiven = false;     // otherwise the usual ticks
    std::array<bool, kOptionCount + 1> options{};  // [N] is box sCheckBoxN; [0] unused
    bool productsGiven = false;
    std::array<bool, kProductCount> products{};    // by check-list index
    std::vector<std::wstring> arguments;           // as given, for the report
    std::wstring error;            // what is wrong with it; empty when nothing is
};

// The program's arguments, without the program's own name.
std::vector<std::wstring> ProgramArguments();
// Reads the arguments; the first fault found is named in error. The rest is still read, so that
// /quiet and /report apply to a refused command line too.
CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments);
// One argument as a command line needs it, so that the program's own split (CommandLineToArgvW)
// gives it back: quoted when empty or holding blanks, breaks or quotes, with backslashes and
// quotes escaped.
std::wstring CommandLineArgument(const std::wstring& argument);
// The arguments joined as they would be typed.
std::wstring JoinArguments(const std::vector<std::wstring>& arguments);
