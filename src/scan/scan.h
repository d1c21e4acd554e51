#pragma once
// scan: the scan itself, free of any window: the choices it reads, the cleaning options, the
// walk of the catalogue, its worker thread and its report. It tells what it does and finds
// through ScanProgress; a window or a command line listens.
#include <windows.h>

#include <string>
#include <vector>

#include "scan/scan_choices.h"
#include "system/acting.h"

struct ScanRow {
    std::string label;
    std::string status;
    bool found;            // a red row; the nothing-found row and the refusals are black
    bool refusal = false;  // something a rule left in place: "Skipped: " and why
    // The label as the system named the object, where it came as UTF-16 (a refused path): the
    // code page cannot spell every name. Empty: label says it.
    std::wstring exactLabel;
};

// One part of a scan and the objects it reached (system/acting.h), in the order reached: a
// cleaning option, the trojan traces swept on every scan, or a product that was looked for.
struct ScanSection {
    enum class Kind { Option, Sweep, Product };
    Kind kind;
    int number = 0;      // Option: box N. Product: check-list index.
    std::string name;    // option caption, kSweepSectionName, product name
    std::string label;   // Product: its result label
    bool found = false;  // Product: detected
    std::string result;  // Product: its row's status, or kNotFoundResult. Option: "" or its refusal row's.
    std::vector<ActedObject> objects;
};

// Called on the scan's own thread.
class ScanProgress {
public:
    virtual ~ScanProgress() = default;
    virtual void Status(const std::string& text) = 0;  // e.g. "Checking 12 of 33: Antivirus 2009"
    virtual void Row(const ScanRow& row) = 0;          // each row as soon as it is known
    // Asked between products and before each file a cleaning option deletes, never inside a
    // product's removal.
    virtual bool StopRequested() { return false; }
    virtual void Notice(const std::string& text) {}    // a failure the user is told of; the scan goes on
};

struct ScanOutcome {
    std::vector<ScanRow> rows;
    int found = 0;         // products and sweep files found
    int remaining = 0;     // rows whose status is "Error on remove"
    std::string error;     // non-empty when an error ended the scan (rows so far kept)
    bool stopped = false;  // a stop was asked for and the scan ended early
    std::vector<std::string> notices;  // failures the user was told of while the scan went on
    bool detectOnly = false;           // nothing was changed: the objects are a plan
    // Per-user traces were looked for in every user profile (the scan ran elevated), not only in
    // the running user's.
    bool everyUser = false;
    // The options that clean a user's own folders and MUICache cleaned every user's too (/allusers,
    // elevated), not only the running user's.
    bool cleanedEveryUser = false;
    std::vector<ScanSection> sections;
    SYSTEMTIME startedUtc{};
    SYSTEMTIME endedUtc{};
    bool ran = true;  // false: the scan could not even start, and error says why
};

extern const char kRemovedStatus[];
extern const char kErrorOnRemoveStatus[];
extern const char kFoundStatus[];
extern const char kNotFoundResult[];
extern const char kSkippedPrefix[];
extern const char kNothingFoundCaption[];
extern const char kSweepSectionName[];

// The whole scan on the calling thread: the BHO and Recycle Bin options, the disk cleaning, the
// sweep, the catalogue walk and the nothing-found row. Run elevated, the sweep and the products'
// checks and steps reach every user profile (system/user_hives.h); the cleaning options stay with
// the running user unless choices.cleanEveryUser. With choices.detectOnly the same walk
// changes nothing: each product found is "Found" and its removal is worked out as a plan. Never
// throws: an error ends the scan into `error`.
ScanOutcome RunScan(const ScanChoices& choices, ScanProgress& progress);
