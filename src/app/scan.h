#pragma once
// The scan itself, free of any window: it reports what it does and finds through ScanProgress.
#include <string>
#include <vector>

#include "app/scan_choices.h"

struct ScanRow {
    std::string label;
    std::string status;
    bool found;  // a red row; the nothing-found row is the one black row
};

// Called on the scan's own thread.
class ScanProgress {
public:
    virtual ~ScanProgress() = default;
    virtual void Status(const std::string& text) = 0;  // e.g. "Checking 12 of 33: Antivirus 2009"
    virtual void Row(const ScanRow& row) = 0;          // each row as soon as it is known
    virtual bool StopRequested() { return false; }     // asked between products, never inside a removal
    virtual void Notice(const std::string& text) {}    // a failure the user is told of; the scan goes on
};

struct ScanOutcome {
    std::vector<ScanRow> rows;
    int found = 0;         // products and sweep files found
    int remaining = 0;     // rows whose status is "Error on remove"
    std::string error;     // non-empty when an error ended the scan (rows so far kept)
    bool stopped = false;  // a stop was asked for and the scan ended early
    std::vector<std::string> notices;  // failures the user was told of while the scan went on
};

extern const char kRemovedStatus[];
extern const char kErrorOnRemoveStatus[];
extern const char kNothingFoundCaption[];

// The whole scan on the calling thread: the BHO and Recycle Bin options, the disk cleaning, the
// sweep, the catalogue walk and the nothing-found row. Never throws: an error ends the scan
// into `error`.
ScanOutcome RunScan(const ScanChoices& choices, ScanProgress& progress);
