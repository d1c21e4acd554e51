#pragma once
// update: whether a newer version exists: the server's address, the check through the HTTP
// component, and its worker thread. It only decides; the window asks the user.
#include <cstdint>
#include <string>
#include <vector>

class TIEHTTP;

// What one update check came to. The check only decides; the window asks the user (an Offer) or
// shows the error, and a command-line scan's report notes it.
struct UpdateOutcome {
    enum class Kind { Nothing, Offer, Error };
    Kind kind = Kind::Nothing;
    std::string error;  // Error: the message for the standard error box
    // Nothing: why no two versions could be compared, for the status bar and the report; empty
    // when both were read (and the server's is not newer).
    std::string note;
};

// The whole check on the calling thread: asks the update server through `http` and offers the
// server's version only when it is newer than ReadLocalVersion, both read as dotted numbers.
// Only a successful answer (2xx) is the version file. Never throws: a failure is an Error
// outcome; no answer, another answer or a version that is no number is a note.
UpdateOutcome RunUpdateCheck(TIEHTTP& http);

// The version named by "Version.ini" beside the program; empty when there is none.
std::string ReadLocalVersion();
// The text after the first "version=" that starts a line, up to the end of its line (CR or LF) or
// of the text; false when no line starts with "version=".
bool FindVersion(const std::string& text, std::string& version);
// A version as dotted decimal numbers, such as 1.0.10: false for anything else (a letter, a
// blank, an empty part), and for more than 16 parts or a part of more than 9 digits.
bool ReadVersionNumber(const std::string& text, std::vector<uint32_t>& parts);
// Below, at or above zero as a is older than, the same as or newer than b; parts that one
// version lacks count as 0, so 1.0 and 1.0.0 are the same.
int CompareVersions(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);
// A note as the status bar and the report show it: "Update check: " and the note.
std::string UpdateNoteLine(const std::string& note);
