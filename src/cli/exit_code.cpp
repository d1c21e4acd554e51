#include "cli/exit_code.h"

#include <windows.h>

ExitCode ScanExitCode(int found, int remaining, bool ended, bool somethingFailed) {
    // An error stops the scan part-way: what it did not reach may still be there.
    if (ended) return kExitScanFailed;
    if (remaining > 0) return kExitSomethingRemains;
    // A failure on the way is never read as a clean or cleaned machine.
    if (somethingFailed) return kExitScanFailed;
    return found > 0 ? kExitAllRemoved : kExitNothingFound;
}

void EndProgramNow(ExitCode code) { ExitProcess(static_cast<UINT>(code)); }
