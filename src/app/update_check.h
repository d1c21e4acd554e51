#pragma once
#include <string>

class TIEHTTP;

// What one update check came to; the window acts on it.
struct UpdateOutcome {
    enum class Kind { Nothing, Offer, Error };
    Kind kind = Kind::Nothing;
    std::string error;  // Error: the message for the standard error box
};

// The whole check on the calling thread: asks the update server through `http` and compares
// its version with ReadLocalVersion. Never throws: a failure is an Error outcome. Unresolvable
// hosts, stalled or aborted requests and replies without a version say nothing.
UpdateOutcome RunUpdateCheck(TIEHTTP& http);

// The version named by "Version.ini" beside the program; empty when there is none.
std::string ReadLocalVersion();
// Asks whether to open the home page for the new version, and opens it on Yes.
void OfferNewVersion();
// The text after the first "version=" of a text, up to the end of its line (CR or LF) or of the
// text; false when the text has no "version=".
bool FindVersion(const std::string& text, std::string& version);
