#pragma once
// The seven cleaning options as a scan applies them, for real or as a plan (system/acting.h).
#include <span>
#include <string>
#include <vector>

#include "scan/scan_choices.h"
#include "system/acting.h"

// The option boxes in the order a scan applies them: BHO, the Recycle Bin, cookies, temporary
// Internet files, the user's Temp folder, the Windows Temp folder, MUICache.
std::span<const int> CleaningOrder();
// The folder a folder option empties, as the status bar names it ("the Temp folder"); null for
// the others.
const char* CleanedFolderName(int box);

// What the scan says when the Recycle Bin option finds no shell library to empty it with, and
// the start of what it says when the shell could not empty it (the system's reason follows).
extern const char kShellLibraryFailure[];
extern const char kRecycleBinFailure[];

// What an applied option did, as far as the scan shows it: why it was refused, when it was (then
// it deleted nothing).
struct CleaningOutcome {
    int option;           // its box, 1 to 7
    std::string refusal;  // empty when it was applied
    bool stopped = false;             // acting's sink asked to stop part-way
    bool shellLibraryFailed = false;  // the Recycle Bin: kShellLibraryFailure
    std::string failure;              // what the user is told when it failed; empty when nothing did
};

// Applies option box N, each object it reaches recorded through acting. The options that clean a
// user's own folders and MUICache (2, 3, 4, 6) clean the running user's, and with everyUser those
// of every user of the scan's EveryUserScope (system/user_hives.h), each as his own places allow;
// the refusal is the running user's, another user's is in his refused object.
CleaningOutcome ApplyCleaningOption(int box, const Acting& acting, bool everyUser = false);

// "Clear BHO (Browser Helper Objects)": deletes the machine's browser helper objects key with
// all its subkeys when it exists.
CleaningOutcome ClearBrowserHelperObjects();
// The five options after it, each when its box is ticked, in this order: cookies, temporary
// Internet files, the user's Temp folder, the Windows Temp folder, MUICache. One outcome for each
// option applied.
std::vector<CleaningOutcome> CleanDisk(const ScanChoices& choices);
