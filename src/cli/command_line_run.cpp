#include "cli/command_line_run.h"

#include <windows.h>

#include "cli/exit_code.h"
#include "cli/usage.h"
#include "scan/scan_report.h"
#include "scan/settings_items.h"
#include "system/debugger.h"
#include "system/error_text.h"
#include "system/file_replace.h"
#include "system/text_codes.h"
#include "ui/error_box.h"

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

int RefuseCommandLine(const CommandLine& line) {
    ScanReport report = ReportFor(line);
    report.error = line.error;
    report.exitCode = kExitBadCommandLine;
    std::wstring reason;
    WriteReport(line, report, &reason);  // the wrong command line is the news, whatever became of it
    if (!line.quiet) ShowBox(line.error + L"\r\n\r\nZarvex /? lists the switches.", MB_ICONERROR);
    return kExitBadCommandLine;
}

// An error row the scan went on after, or an object that the system would not let go.
bool SomethingFailed(const ScanOutcome& outcome) {
    if (!outcome.notices.empty()) return true;
    for (const ScanSection& section : outcome.sections)
        for (const ActedObject& object : section.objects)
            if (object.outcome == Outcome::Failed) return true;
    return false;
}

}  // namespace

ScanChoices CommandLineChoices(const CommandLine& line, ScanChoices usual) {
    for (int n = 1; n <= kOptionCount && line.optionsGiven; ++n) usual.options[n] = line.options[static_cast<size_t>(n)];
    for (int i = 0; i < kProductCount && line.productsGiven; ++i) usual.products[i] = line.products[static_cast<size_t>(i)];
    usual.detectOnly = usual.detectOnly || line.detect;
    usual.cleanEveryUser = usual.cleanEveryUser || line.allUsers;
    return usual;
}

ExitCode ReportScanEnd(const CommandLine& line, const ScanChoices& choices, const ScanOutcome& outcome,
                       const std::string& updateCheck) {
    ScanReport report = ReportFor(line);
    report.updateCheck = FromAnsi(updateCheck);
    // A scan that could not start ran nothing: the report's own times, the mode asked for.
    report.scanned = outcome.ran;
    report.detectOnly = outcome.ran ? outcome.detectOnly : choices.detectOnly || line.detect;
    report.everyUser = outcome.everyUser;
    report.cleanEveryUserAsked = choices.cleanEveryUser;
    report.cleanedEveryUser = outcome.cleanedEveryUser;
    if (outcome.ran) {
        report.startedUtc = outcome.startedUtc;
        report.endedUtc = outcome.endedUtc;
    }
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
        (row.refusal ? report.refusals : report.rows)
            .emplace_back(row.exactLabel.empty() ? FromAnsi(row.label) : row.exactLabel, FromAnsi(row.status));
    for (const std::string& notice : outcome.notices) report.notices.push_back(FromAnsi(notice));
    // A scan stopped part-way leaves unknown what it did not reach: never a success.
    report.error = outcome.stopped && outcome.error.empty() ? L"The scan was stopped before its end."
                                                             : FromAnsi(outcome.error);
    const ExitCode code =
        ScanExitCode(outcome.found, outcome.remaining, !report.error.empty(), SomethingFailed(outcome));
    report.exitCode = code;
    std::wstring reason;
    if (WriteReport(line, report, &reason)) return code;
    if (!line.quiet) ShowBox(reason, MB_ICONERROR);
    return kExitScanFailed;
}

bool WriteReportFile(const std::wstring& path, const ScanReport& report, std::wstring* reason, FileWriteStep write) {
    DWORD error = ERROR_OUTOFMEMORY;
    try {
        error = ReplaceFileContents(path, ScanReportBytes(report), write);
    } catch (...) {
        // A report that cannot even be made is one that was not written.
    }
    if (error == ERROR_SUCCESS) return true;
    *reason = L"The report could not be written to \"" + path + L"\": " + SystemErrorReason(error) + L".";
    return false;
}

std::optional<int> RunWithoutWindow(const CommandLine& line) {
    if (!line.error.empty()) return RefuseCommandLine(line);
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
    const ScanChoices choices = CommandLineChoices(line, UsualChoices());
    SilentProgress progress;
    const ScanOutcome outcome = RunScan(choices, progress);
    return ReportScanEnd(line, choices, outcome);
}

