#include "app/window_scan.h"

#include <windows.h>

#include <exception>

#include "cli/command_line_run.h"
#include "cli/exit_code.h"
#include "ui/error_box.h"
#include "ui/main_form.h"
#include "update/update_check.h"

WindowScanFromCommandLine::WindowScanFromCommandLine(const CommandLine& line, TForm1& form) : line_(line), form_(form) {
    if (line_.noUpdate) form_.SkipUpdateCheck();
    // Shown on the Scan page before any scan starts, by a click or by /scan.
    if (line_.detect) form_.SetDetectOnly(true);
    if (line_.allUsers) form_.SetCleanEveryUser(true);
    if (!line_.scan) return;
    form_.SetChoices(CommandLineChoices(line_, form_.Choices()));
    form_.OnScanDone = [this](const ScanOutcome& outcome) { Finish(outcome); };
}

WindowScanFromCommandLine::~WindowScanFromCommandLine() {
    if (!line_.scan) return;
    form_.OnScanDone = nullptr;
    form_.OnUpdateDone = nullptr;
}

void WindowScanFromCommandLine::Start() {
    if (!line_.scan) return;
    choices_ = form_.Choices();
    std::string error = "The scan could not start.";
    bool started = false;
    try {
        started = form_.StartScan();
    } catch (const std::exception& failure) {
        // A scan thread that cannot start, say: still a report and code 4, never the runtime's abort.
        error = std::string("The scan could not start: ") + failure.what();
    }
    if (started) return;
    ScanOutcome outcome;
    outcome.error = error;
    outcome.ran = false;
    Finish(outcome);
}

void WindowScanFromCommandLine::Finish(const ScanOutcome& outcome) {
    if (ended_) return;
    ended_ = true;
    // A click while the end waits for the update check must not start a removal no report holds.
    form_.LockScanning();
    // Until the report is written the end is no success: whatever fails from here ends with 4.
    exitCode_ = kExitScanFailed;
    outcome_ = outcome;
    // The report says what the update check came to, so the end waits for it, within the check's
    // own time-out; closing the window meanwhile ends at once (End).
    if (!outcome.stopped && form_.UpdateCheckRunning()) {
        waitingForUpdate_ = true;
        form_.SetStatusText("Waiting for the update check before ending...");
        form_.OnUpdateDone = [this](const UpdateOutcome&) { Complete(); };
        return;
    }
    Complete();
}

std::string WindowScanFromCommandLine::UpdateCheckLine() const {
    if (!form_.UpdateCheckStarted()) return {};
    const UpdateOutcome* result = form_.UpdateResult();
    if (!result) return UpdateNoteLine("no answer from the update server before the program ended");
    if (!result->note.empty()) return UpdateNoteLine(result->note);
    if (result->kind == UpdateOutcome::Kind::Error) return UpdateNoteLine(result->error);
    if (result->kind == UpdateOutcome::Kind::Offer) return UpdateNoteLine("a newer version is available");
    return {};
}

void WindowScanFromCommandLine::Complete() {
    waitingForUpdate_ = false;
    form_.OnUpdateDone = nullptr;
    try {
        exitCode_ = ReportScanEnd(line_, choices_, outcome_, UpdateCheckLine());
    } catch (const std::exception& failure) {
        ShowErrorBox(failure.what());
    } catch (...) {
        ShowErrorBox("Unexpected error");
    }
    // Closing the window or "Exit" during the scan ends the program as soon as this returns;
    // end it here with the scan's own code instead.
    if (outcome_.stopped) EndProgramNow(exitCode_);
    PostQuitMessage(exitCode_);
}

int WindowScanFromCommandLine::End(int loopCode) {
    // The window was closed while the end waited for the update check: the report goes now.
    if (waitingForUpdate_) Complete();
    return ended_ ? exitCode_ : loopCode;
}
