#include "app/command_line_run.h"

#include <windows.h>

#include "app/anti_debug.h"
#include "app/error_box.h"
#include "app/exit_code.h"
#include "app/main_form.h"
#include "app/scan_report.h"
#include "app/settings_items.h"
#include "app/usage.h"
#include "net/text_support.h"
#include "system/file_replace.h"

namespace {

// A quiet scan reports nothing while it runs.
class SilentProgress : public ScanProgress {
public:
    void Status(const std::string&) override {}
    void Row(const ScanRow&) override {}
};

void ShowBox(const std::wstring& text, UINT icon) {
    const std::wstring caption = FromAnsi(kApplicationTitle);
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | icon);
}

ScanReport ReportFor(const CommandLine& line) {
    ScanReport report = NewScanReport();
    report.switches = JoinArguments(line.arguments);
    report.arguments = line.arguments;
    report.json = line.json;
    return report;
}

// The usual ticks with the command line's lists put over them.
ScanChoices ChoicesFor(const CommandLine& line, ScanChoices usual) {
    for (int n = 1; n <= kOptionCount && line.optionsGiven; ++n) usual.options[n] = line.options[static_cast<size_t>(n)];
    for (int i = 0; i < kProductCount && line.productsGiven; ++i) usual.products[i] = line.products[static_cast<size_t>(i)];
    usual.detectOnly = usual.detectOnly || line.detect;
    return usual;
}

ScanChoices UsualChoices() {
    ScanChoices usual;
    for (const OptionItem& option : OptionItems()) usual.options[option.n] = option.ticked;
    for (bool& ticked : usual.products) ticked = true;
    return usual;
}

// Writes the report when one was asked for; false, with the reason, when it could not be.
bool WriteReport(const CommandLine& line, const ScanReport& report, std::wstring* reason) {
    return line.reportPath.empty() || WriteReportFile(line.reportPath, report, reason);
}

int Refuse(const CommandLine& line) {
    ScanReport report = ReportFor(line);
    report.error = line.error;
    report.exitCode = kExitBadCommandLine;
    std::wstring reason;
    WriteReport(line, report, &reason);  // the wrong command line is the news, whatever became of it
    if (!line.quiet) ShowBox(line.error + L"\r\n\r\nZarvex /? lists the switches.", MB_ICONERROR);
    return kExitBadCommandLine;
}

// The exit code of a scan that ended, with its report written; 4 when the report could not be.
int FinishScan(const CommandLine& line, const ScanChoices& choices, const ScanOutcome& outcome,
               const std::string& updateCheck = {}) {
    ScanReport report = ReportFor(line);
    report.updateCheck = FromAnsi(updateCheck);
    report.scanned = true;
    report.detectOnly = outcome.detectOnly;
    report.startedUtc = outcome.startedUtc;
    report.endedUtc = outcome.endedUtc;
    report.sections = outcome.sections;
    for (int number = 1; OptionBoxOfPageNumber(number) != 0; ++number) {
        const int n = OptionBoxOfPageNumber(number);
        if (!choices.options[n]) continue;
        report.optionNumbers.push_back(number);
        report.options.push_back(FromAnsi(OptionCaption(n)));
    }
    report.allProducts = true;
    const auto names = ProductNames();
    for (int i = 0; i < kProductCount; ++i) {
        report.allProducts = report.allProducts && choices.products[i];
        if (choices.products[i]) report.products.push_back(FromAnsi(names[static_cast<size_t>(i)]));
    }
    for (const ScanRow& row : outcome.rows)
        (row.refusal ? report.refusals : report.rows).emplace_back(FromAnsi(row.label), FromAnsi(row.status));
    for (const std::string& notice : outcome.notices) report.notices.push_back(FromAnsi(notice));
    // A scan stopped part-way leaves unknown what it did not reach: never a success.
    report.error = outcome.stopped && outcome.error.empty() ? L"The scan was stopped before its end."
                                                             : FromAnsi(outcome.error);
    report.exitCode = ScanExitCode(outcome.found, outcome.remaining, !report.error.empty());
    std::wstring reason;
    if (WriteReport(line, report, &reason)) return report.exitCode;
    if (!line.quiet) ShowBox(reason, MB_ICONERROR);
    return kExitScanFailed;
}

}  // namespace

bool WriteReportFile(const std::wstring& path, const ScanReport& report, std::wstring* reason, FileWriteStep write) {
    DWORD error = ERROR_OUTOFMEMORY;
    try {
        error = ReplaceFileContents(path, ScanReportBytes(report), write);
    } catch (...) {
        // A report that cannot even be made is one that was not written.
    }
    if (error == ERROR_SUCCESS) return true;
    std::wstring why = SystemErrorMessage(error);
    if (why.empty()) why = L"error " + std::to_wstring(error);
    *reason = L"The report could not be written to \"" + path + L"\": " + why + L".";
    return false;
}

std::optional<int> RunWithoutWindow(const CommandLine& line) {
    if (!line.error.empty()) return Refuse(line);
    if (line.usage) {
        if (!line.quiet) ShowUsageBox();
        return 0;
    }
    if (!line.scan) return std::nullopt;
    // The program ends without a word under a debugger; a script must not read that as clean.
    if (DebuggerAttached()) return kExitScanFailed;
    if (!line.quiet) return std::nullopt;
    // Nothing may wait for a click: no critical-error or crash boxes either.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    const ScanChoices choices = ChoicesFor(line, UsualChoices());
    SilentProgress progress;
    const ScanOutcome outcome = RunScan(choices, progress);
    return FinishScan(line, choices, outcome);
}

WindowScanFromCommandLine::WindowScanFromCommandLine(const CommandLine& line, TForm1& form) : line_(line), form_(form) {
    if (line_.noUpdate) form_.SkipUpdateCheck();
    // Shown on the Scan page before any scan starts, by a click or by /scan.
    if (line_.detect) form_.SetDetectOnly(true);
    if (!line_.scan) return;
    form_.SetChoices(ChoicesFor(line_, form_.Choices()));
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
    if (!started) Finish(ScanOutcome{{}, 0, 0, error, false});
}

void WindowScanFromCommandLine::Finish(const ScanOutcome& outcome) {
    if (ended_) return;
    ended_ = true;
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
        exitCode_ = FinishScan(line_, choices_, outcome_, UpdateCheckLine());
    } catch (const std::exception& failure) {
        ShowErrorBox(failure.what());
    } catch (...) {
        ShowErrorBox("Unexpected error");
    }
    // Closing the window or "Exit" during the scan ends the program as soon as this returns;
    // end it here with the scan's own code instead.
    if (outcome_.stopped) ExitProcess(static_cast<UINT>(exitCode_));
    PostQuitMessage(exitCode_);
}

int WindowScanFromCommandLine::End(int loopCode) {
    // The window was closed while the end waited for the update check: the report goes now.
    if (waitingForUpdate_) Complete();
    return ended_ ? exitCode_ : loopCode;
}
