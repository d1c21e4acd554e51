#pragma once
// The catalogue written out line by line in the notation of the product table: every entry with
// its checks and steps, then the sweep. zarvex-catalogue prints these lines, and the catalogue's
// identity is taken over them, so that a fleet can recompute it from the listing.
#include <string>
#include <vector>

// In scan order:
//   entry <position> index <check-list index> "<name>" label "<result label>"
//     check proc|key <root>|dir <root> <ref> "<plain text>"
//     step kill|wait|uninstall|empty|links|del|rodel|rmdir|key|val|run ... [x<times>]
//   sweep
//     step ... (the removal steps above, some "naming" a file; killpath, report, roreport,
//     opendel ... uninstall)
//   roots
//     root <root> machine|every user|both views|every user, both views
std::vector<std::string> CatalogueListing();
