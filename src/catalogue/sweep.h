#pragma once
// The fixed trojan traces that every scan removes, whatever products are ticked.
#include <string>
#include <vector>

#include "catalogue/rogue_entry.h"
#include "system/acting.h"

enum class SweepKind {
    Removal,             // an ordinary removal step: Run value, process or wait
    KillByPath,          // a process of that name only when its image path holds the fragment
    ReportFile,          // count a found file, delete it, add its row
    ReportReadOnlyFile,  // the same, clearing the read-only flag first
    OpenAndDelete,       // start an uninstaller hidden and delete the file, without count or row
};

struct SweepStep {
    SweepKind kind;
    RemovalStep removal{};   // Removal
    SignatureRef first{};    // KillByPath: executable name; Removal: the file a Run value must start;
                             // the others: file path under the root
    SignatureRef second{};   // KillByPath: path fragment; OpenAndDelete: uninstaller under Program Files
    FolderRoot folder = FolderRoot::SystemDir;
    const char* label = nullptr;  // ReportFile, ReportReadOnlyFile: the row's plain text
};

// The sweep's steps in order.
const std::vector<SweepStep>& SweepSteps();
// A reported file that was found: its row's label, whether its deletion worked, and why it was
// refused when it was (then it was not tried).
struct SweepFinding {
    std::string label;
    bool removed;
    std::string refusal;
};

// Runs them, for real or as a plan (removed then says whether the deletion would be tried); hands
// back each reported file found, in order.
std::vector<SweepFinding> AlwaysRunSweep(const Acting& acting = kRemoveUnrecorded);
