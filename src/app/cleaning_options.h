#pragma once

#include "app/scan_choices.h"

// "Clear BHO (Browser Helper Objects)": deletes the machine's browser helper objects key with
// all its subkeys when it exists.
void ClearBrowserHelperObjects();
// The five options after it, each when its box is ticked, in this order: cookies, temporary
// Internet files, the user's Temp folder, the Windows Temp folder, MUICache.
void CleanDisk(const ScanChoices& choices);
