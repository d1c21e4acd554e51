#pragma once
// catalogue: the 33 rogue products as data (their checks and removal steps, every text stored
// enciphered), the routines that interpret them, and the traces swept on every scan.
#include <vector>

#include "catalogue/rogue_entry.h"

// The 33 entries in scan order (check-list indexes 1, 0, 3, 2, then 4 to 32); built once, never changed.
const std::vector<RogueEntry>& RogueCatalogue();
