#include "cli/exit_code.h"

#include <windows.h>

ExitCode ScanExitCode(int found, int remaining, bool failed) {
    // An error stops the scan part-way: what it did not reach may still be there.
    if (failed) return kExitScanFailed;
    if (remaining > 0) return kExitSomethingRemains;
    return found > 0 ? kExitAllRemoved : kExitNothingFound;
}

void EndProgramNow(ExitCode code) { ExitProcess(static_cast<UINT>(code)); }
