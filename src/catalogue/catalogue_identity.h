#pragma once
#include <string>

// The catalogue's identity: SHA-256, in lower-case hex, over the stored texts of every entry's
// checks and steps in scan order and then of the sweep's steps, each followed by a line feed.
// Two programs with the same identity look for and remove the same things.
std::string CatalogueIdentity();
