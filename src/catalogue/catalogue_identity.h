#pragma once
#include <string>

// The catalogue's identity: SHA-256, in lower-case hex, over the whole catalogue as listed
// (catalogue/catalogue_listing.h), each line followed by a line feed: every entry's checks and
// steps with their kinds, roots, waits, counts and decoded texts, in scan order, then the sweep.
// Two programs with the same identity look for and remove the same things.
std::string CatalogueIdentity();
