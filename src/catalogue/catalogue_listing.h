#pragma once
// The catalogue written out line by line in the notation of the product table: every entry with
// its checks and steps, then the sweep. zarvex-catalogue prints these lines, and the catalogue's
// identity is taken over them, so that a fleet can recompute it from the listing.
#include <string>
#include <vector>

// In scan order:
//   entry <position> index <check-list index> "<name>" label "<result label>"
//     check proc|key <root>|dir <root> <ref> "<plain text>"
//     step kill|wait|open|empty|del|rodel|rmdir|key|val ... [x<times>]
//   sweep
//     step ... (the removal steps above, and killpath, report, roreport, opendel)
std::vector<std::string> CatalogueListing();
