#include "scan/scan.h"

#include <windows.h>

#include <exception>

#include "catalogue/rogue_catalogue.h"
#include "catalogue/rogue_routines.h"
#include "catalogue/sweep.h"
#include "scan/cleaning_options.h"
#include "scan/settings_items.h"
#include "system/com_scope.h"
#include "system/error_text.h"
#include "system/folder_lists.h"
#include "system/folders.h"
#include "system/processes.h"
#include "system/text_codes.h"
#include "system/user_hives.h"

const char kRemovedStatus[] = "REMOVED";
const char kErrorOnRemoveStatus[] = "Error on remove";
const char kFoundStatus[] = "Found";
const char kNotFoundResult[] = "Not found";
const char kSkippedPrefix[] = "Skipped: ";
const char kNothingFoundCaption[] = "No malicious software was found.";
const char kSweepSectionName[] = "Trojan traces";

namespace {

// The product's second chance to go: a removal counts only when detection, run again, fails.
constexpr DWORD kSettleMs = 1000;
// The status bar follows a folder being cleaned every so many files.
constexpr std::size_t kFilesPerStatus = 100;

// The objects of one section as they are reached. While a folder option cleans, it also counts the
// files on the status bar and lets a stop end the cleaning between two files.
class SectionSink : public ObjectList {
public:
    explicit SectionSink(ScanProgress& progress, std::string counting = {})
        : progress_(progress), counting_(std::move(counting)) {}

    void Record(const ActedObject& object) override {
        ObjectList::Record(object);
        if (counting_.empty() || object.kind != ObjectKind::File) return;
        if (++files_ % kFilesPerStatus == 1) ShowCount();
    }
    bool StopRequested() override { return !counting_.empty() && progress_.StopRequested(); }
    void ShowCount() {
        if (!counting_.empty()) progress_.Status(counting_ + std::to_string(files_) + (files_ == 1 ? " file" : " files"));
    }

private:
    ScanProgress& progress_;
    std::string counting_;
    std::size_t files_ = 0;
};

// A file or folder that is there, or that cannot be looked at; any other object that failed.
bool StillThere(const ActedObject& object) {
    if (object.kind != ObjectKind::File && object.kind != ObjectKind::Folder) return true;
    if (GetFileAttributesW(object.path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return !IsMissingError(GetLastError());
}

class Walk {
public:
    Walk(const ScanChoices& choices, ScanProgress& progress, ScanOutcome& outcome)
        : choices_(choices), progress_(progress), outcome_(outcome) {}

    void Run() {
        outcome_.detectOnly = choices_.detectOnly;
        // Every user's hive stays loaded from here to the end of the walk, and no longer.
        outcome_.everyUser = RunsElevated();
        outcome_.cleanedEveryUser = outcome_.everyUser && choices_.cleanEveryUser;
        EveryUserScope users(outcome_.everyUser);
        for (const std::wstring& failure : users.Failures())
            Notice("A user's registry could not be opened, and the traces it holds were not looked for: " +
                   ToAnsi(failure));
        progress_.Status(Planning() ? "Looking at the cleaning options" : "Applying the cleaning options");
        ApplyOptions();
        if (Stopped()) return;
        progress_.Status(Planning() ? "Looking for trojan traces" : "Removing trojan traces");
        Sweep();
        WalkCatalogue();
        if (outcome_.found == 0 && !outcome_.stopped) Add({kNothingFoundCaption, "", false});
    }

private:
    bool Planning() const { return choices_.detectOnly; }
    Acting ActingFor(ActionSink& sink) const { return {Planning() ? Carry::Plan : Carry::Remove, &sink}; }

    bool Stopped() {
        if (progress_.StopRequested()) outcome_.stopped = true;
        return outcome_.stopped;
    }

    // A new section of the record, in the order reached; its place in outcome_.sections.
    std::size_t AddSection(ScanSection section) {
        outcome_.sections.push_back(std::move(section));
        return outcome_.sections.size() - 1;
    }

    // Runs one part of the scan into its section. What it reached goes into the record as soon as
    // it returns or raises: a process ended or a file deleted before an error was still acted on.
    template <class Part>
    void Recorded(std::size_t place, ObjectList& sink, Part&& part) {
        try {
            part();
        } catch (...) {
            outcome_.sections[place].objects = sink.Take();
            throw;
        }
        outcome_.sections[place].objects = sink.Take();
    }

    void ApplyOptions() {
        for (int box : CleaningOrder()) {
            if (!choices_.options[box]) continue;
            const char* folder = CleanedFolderName(box);
            std::string counting;
            if (folder) counting = std::string(Planning() ? "Looking at " : "Cleaning ") + folder + ": ";
            SectionSink sink(progress_, counting);
            const std::size_t place = AddSection({ScanSection::Kind::Option, box, OptionCaption(box)});
            CleaningOutcome result{box};
            Recorded(place, sink, [&] {
                sink.ShowCount();
                result = ApplyCleaningOption(box, ActingFor(sink), outcome_.cleanedEveryUser);
                sink.ShowCount();
            });
            if (!result.failure.empty()) Notice(result.failure);
            if (!result.refusal.empty()) {
                ScanSection& section = outcome_.sections[place];
                section.result = kSkippedPrefix + result.refusal;
                Add({section.name, section.result, false, true});
            }
            // Another user's folder the option refused (/allusers) is a row of its own, by its path.
            AddRefusalRows(outcome_.sections[place], outcome_.sections[place].name + ": ", true);
            if (result.stopped) outcome_.stopped = true;
            if (outcome_.stopped) return;
        }
    }

    void Sweep() {
        SectionSink sink(progress_);
        const std::size_t place = AddSection({ScanSection::Kind::Sweep, 0, kSweepSectionName});
        std::vector<SweepFinding> findings;
        Recorded(place, sink, [&] { findings = AlwaysRunSweep(ActingFor(sink)); });
        for (const SweepFinding& finding : findings) {
            ++outcome_.found;
            Add({finding.label, Planning() ? kFoundStatus : finding.removed ? kRemovedStatus : kErrorOnRemoveStatus,
                 true});
        }
        AddRefusalRows(outcome_.sections[place], "");
    }

    void WalkCatalogue() {
        int total = 0;
        for (bool ticked : choices_.products) total += ticked ? 1 : 0;
        int position = 0;
        // The walk is one phase: its checks share one process list until a step or a wait acts.
        ProcessListScope phase;
        for (const RogueEntry& entry : RogueCatalogue()) {
            if (!choices_.products[entry.checkListIndex]) continue;
            if (Stopped()) return;
            ++position;
            progress_.Status("Checking " + std::to_string(position) + " of " + std::to_string(total) + ": " +
                             entry.displayName);
            const std::size_t place = AddSection(
                {ScanSection::Kind::Product, entry.checkListIndex, entry.displayName, entry.resultLabel});
            SectionSink looked(progress_);
            const bool found = DetectRogue(entry, ActingFor(looked));
            outcome_.sections[place].found = found;
            outcome_.sections[place].result = kNotFoundResult;
            if (found) {
                ++outcome_.found;
                const std::string result = CarryOut(entry, place);
                outcome_.sections[place].result = result;
                Add({entry.resultLabel, result, true});
            } else {
                // A folder the rules refuse to look at is shown, and is no finding.
                outcome_.sections[place].objects = looked.Objects();
            }
            AddRefusalRows(outcome_.sections[place], std::string(entry.resultLabel) + ": ");
        }
    }

    // The product's removal, or its plan; the row's status.
    std::string CarryOut(const RogueEntry& entry, std::size_t place) {
        // Until the removal is seen through, what was found is still there.
        outcome_.sections[place].result = Planning() ? kFoundStatus : kErrorOnRemoveStatus;
        SectionSink sink(progress_);
        Recorded(place, sink, [&] {
            progress_.Status(std::string(Planning() ? "Planning the removal of " : "Removing ") + entry.displayName);
            RemoveRogue(entry, ActingFor(sink));
        });
        if (Planning()) return kFoundStatus;
        Sleep(kSettleMs);
        ProcessListScope::Refresh();
        // What a rule refused stayed, and so did what the system failed to delete unless it has gone
        // since (a helper of the product let go of it): the product cannot be gone.
        bool stayed = false;
        for (const ActedObject& object : outcome_.sections[place].objects)
            stayed = stayed || object.outcome == Outcome::Refused || (object.outcome == Outcome::Failed && StillThere(object));
        return stayed || DetectRogue(entry) ? kErrorOnRemoveStatus : kRemovedStatus;
    }

    // Whatever a rule left in place is shown, never silent: one row each.
    // otherUsersOnly: the running user's and the machine's refusals already have their row.
    void AddRefusalRows(const ScanSection& section, const std::string& prefix, bool otherUsersOnly = false) {
        const std::wstring& runningUser = EveryUserScope::Users().front().sid;
        for (const ActedObject& object : section.objects) {
            if (object.outcome != Outcome::Refused) continue;
            if (otherUsersOnly && (object.userSid.empty() || object.userSid == runningUser)) continue;
            Add({prefix + ToAnsi(object.path), kSkippedPrefix + ToAnsi(object.reason), false, true,
                 FromAnsi(prefix) + object.path});
        }
    }

    void Notice(const std::string& text) {
        outcome_.notices.push_back(text);
        progress_.Notice(text);
    }

    void Add(const ScanRow& row) {
        outcome_.rows.push_back(row);
        // What a detect-only scan found remains, as does what a removal left.
        if (row.status == kErrorOnRemoveStatus || row.status == kFoundStatus) ++outcome_.remaining;
        progress_.Row(row);
    }

    const ScanChoices& choices_;
    ScanProgress& progress_;
    ScanOutcome& outcome_;
};

}  // namespace

ScanOutcome RunScan(const ScanChoices& choices, ScanProgress& progress) {
    // Emptying the Recycle Bin goes through the shell, which expects COM on the calling thread: the
    // window's worker and the quiet scan's main thread alike. It is set up at its first use.
    ComScope com;
    // The machine's folders, looked up once for the whole scan at their first use.
    FolderListScope folders;
    ScanOutcome outcome;
    GetSystemTime(&outcome.startedUtc);
    try {
        Walk(choices, progress, outcome).Run();
    } catch (const std::exception& error) {
        outcome.error = error.what();
    } catch (...) {
        outcome.error = "Unexpected error";
    }
    GetSystemTime(&outcome.endedUtc);
    return outcome;
}
