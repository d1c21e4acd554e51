#include "app/scan.h"

#include <windows.h>

#include <exception>

#include "app/cleaning_options.h"
#include "catalogue/rogue_catalogue.h"
#include "catalogue/rogue_routines.h"
#include "catalogue/sweep.h"
#include "system/com_scope.h"
#include "system/folder_lists.h"
#include "system/folders.h"
#include "system/processes.h"

const char kRemovedStatus[] = "REMOVED";
const char kErrorOnRemoveStatus[] = "Error on remove";
const char kNothingFoundCaption[] = "No malicious software was found.";

namespace {

// The product's second chance to go: a removal counts only when detection, run again, fails.
constexpr DWORD kSettleMs = 1000;

class Walk {
public:
    Walk(const ScanChoices& choices, ScanProgress& progress, ScanOutcome& outcome)
        : choices_(choices), progress_(progress), outcome_(outcome) {}

    void Run() {
        progress_.Status("Applying the cleaning options");
        if (choices_.options[kClearBhoOption]) ClearBrowserHelperObjects();
        if (choices_.options[kEmptyRecycleBinOption] && !EmptyRecycleBin()) Notice(kShellLibraryFailure);
        CleanDisk(choices_);
        if (Stopped()) return;
        progress_.Status("Removing trojan traces");
        for (const SweepFinding& finding : AlwaysRunSweep()) {
            ++outcome_.found;
            Add({finding.label, finding.removed ? kRemovedStatus : kErrorOnRemoveStatus, true});
        }
        WalkCatalogue();
        if (outcome_.found == 0 && !outcome_.stopped) Add({kNothingFoundCaption, "", false});
    }

private:
    bool Stopped() {
        if (progress_.StopRequested()) outcome_.stopped = true;
        return outcome_.stopped;
    }

    void WalkCatalogue() {
        int total = 0;
        for (bool ticked : choices_.products) total += ticked ? 1 : 0;
        int position = 0;
        // The walk is one phase: its checks share one process list until a step or a wait acts.
        ProcessListScope phase;
        for (const RogueEntry& entry : RogueCatalogue()) {
            if (!choices_.products[entry.checkListIndex]) continue;
            if (Stopped()) return;
            ++position;
            progress_.Status("Checking " + std::to_string(position) + " of " + std::to_string(total) + ": " +
                             entry.displayName);
            if (!DetectRogue(entry)) continue;
            ++outcome_.found;
            progress_.Status(std::string("Removing ") + entry.displayName);
            RemoveRogue(entry);
            Sleep(kSettleMs);
            ProcessListScope::Refresh();
            Add({entry.resultLabel, DetectRogue(entry) ? kErrorOnRemoveStatus : kRemovedStatus, true});
        }
    }

    void Notice(const std::string& text) {
        outcome_.notices.push_back(text);
        progress_.Notice(text);
    }

    void Add(const ScanRow& row) {
        outcome_.rows.push_back(row);
        if (row.status == kErrorOnRemoveStatus) ++outcome_.remaining;
        progress_.Row(row);
    }

    const ScanChoices& choices_;
    ScanProgress& progress_;
    ScanOutcome& outcome_;
};

}  // namespace

ScanOutcome RunScan(const ScanChoices& choices, ScanProgress& progress) {
    // Removal steps open shell targets, which expect COM on the calling thread: the window's
    // worker and the quiet scan's main thread alike. It is set up at the first such step.
    ComScope com;
    // The machine's folders, looked up once for the whole scan at their first use.
    FolderListScope folders;
    ScanOutcome outcome;
    try {
        Walk(choices, progress, outcome).Run();
    } catch (const std::exception& error) {
        outcome.error = error.what();
    } catch (...) {
        outcome.error = "Unexpected error";
    }
    return outcome;
}
