#pragma once
// What the user ticked, taken from the window when a scan starts; the scan reads only this.
#include "scan/choice_counts.h"

struct ScanChoices {
    bool options[kOptionCount + 1] = {};  // [N] is option box N (1 to 7); [0] unused
    bool products[kProductCount] = {};    // by check-list index (0 to 32)
    bool detectOnly = false;              // look and plan, change nothing
    // The options that clean a user's own folders and MUICache clean every user's (where the scan
    // reaches every user: elevated); otherwise the running user's only.
    bool cleanEveryUser = false;
};
