#pragma once
#include <string>
#include <vector>

#include "app/scan_choices.h"

// What an applied option did, as far as the scan shows it: why it was refused, when it was (then
// it deleted nothing).
struct CleaningOutcome {
    int option;           // its box, 1 to 7
    std::string refusal;  // empty when it was applied
};

// "Clear BHO (Browser Helper Objects)": deletes the machine's browser helper objects key with
// all its subkeys when it exists.
CleaningOutcome ClearBrowserHelperObjects();
// The five options after it, each when its box is ticked, in this order: cookies, temporary
// Internet files, the user's Temp folder, the Windows Temp folder, MUICache. One outcome for each
// option applied.
std::vector<CleaningOutcome> CleanDisk(const ScanChoices& choices);
