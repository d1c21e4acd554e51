#include "app/scan.h"

#include <windows.h>
#include <commctrl.h>

#include "app/cleaning_options.h"
#include "app/main_form.h"
#include "app/scan_rows.h"
#include "catalogue/rogue_catalogue.h"
#include "catalogue/rogue_routines.h"
#include "catalogue/sweep.h"
#include "system/folders.h"

namespace {

// The product's second chance to go: a removal counts only when detection, run again, fails.
constexpr DWORD kSettleMs = 1000;

}  // namespace

void RunScanClick(TForm1& form) {
    SendMessageA(form.ListView1, LVM_DELETEALLITEMS, 0, 0);
    FoundCount = 0;
    if (form.OptionTicked(1)) ClearBrowserHelperObjects();
    if (form.OptionTicked(7)) EmptyRecycleBin();
    RunScan(form);
}

void RunScan(const TForm1& form) {
    CleanDisk(form);
    AlwaysRunSweep();
    for (const RogueEntry& entry : RogueCatalogue()) {
        if (!form.ProductTicked(entry.checkListIndex)) continue;
        if (!DetectRogue(entry)) continue;
        ++FoundCount;
        RemoveRogue(entry);
        Sleep(kSettleMs);
        AddFoundRow(entry.resultLabel, DetectRogue(entry) ? "Error on remove" : "REMOVED");
    }
    if (FoundCount == 0) AddInfoRow("No malicious software was found.", "");
}
