// The main window's side of a scan: starting it, taking its rows and status texts as they
// come, and its end.
#include "ui/main_form.h"

#include <commctrl.h>

#include "scan/scan_job.h"
#include "ui/error_box.h"
#include "ui/main_form_messages.h"
#include "ui/result_rows.h"

void TForm1::Image2Click() {
    // One scan at a time: the picture does nothing while one runs.
    if (!StartScan()) MessageBeep(MB_OK);
}

bool TForm1::StartScan() {
    // Not before the Settings page holds the ticks: a scan of nothing would say the machine is clean.
    if (scan_ || endAfterScan_ || scanningLocked_ || !CheckListBox1) return false;
    SendMessageA(ListView1, LVM_DELETEALLITEMS, 0, 0);
    scan_ = std::make_unique<ScanJob>(Choices(),
                                      [window = Handle()] { PostMessageA(window, kScanEventsMessage, 0, 0); });
    LockSettings(true);
    return true;
}

void TForm1::LockScanning() { scanningLocked_ = true; }

void TForm1::LockSettings(bool locked) {
    // The scan read the ticks as it started: one changed meanwhile would change nothing.
    for (int n = 1; n <= kOptionCount; ++n) EnableWindow(sCheckBox[n], !locked);
    EnableWindow(CheckListBox1, !locked);
}

void TForm1::SetStatusText(const std::string& text) {
    SendMessageA(StatusBar1, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TForm1::TakeScanEvents() {
    if (!scan_) return;
    std::vector<std::string> notices;
    for (ScanEvent& event : scan_->TakeEvents()) {
        switch (event.kind) {
        case ScanEvent::Kind::Status:
            // Once the window is closing, the status bar keeps saying so.
            if (!endAfterScan_) SetStatusText(event.status);
            break;
        case ScanEvent::Kind::Row:
            if (event.row.found) AddFoundRow(event.row.label, event.row.status);
            else if (!event.row.exactLabel.empty()) AddInfoRow(event.row.exactLabel, event.row.status);
            else AddInfoRow(event.row.label, event.row.status);
            break;
        case ScanEvent::Kind::Notice:
            notices.push_back(event.status);
            break;
        case ScanEvent::Kind::Done:
            ShowNotices(notices);
            ScanEnded(event.outcome);
            return;
        }
    }
    ShowNotices(notices);
}

// After the batch: a box runs its own message loop, which takes the next batch meanwhile, so a box
// in the middle of one would put later rows before earlier ones.
void TForm1::ShowNotices(const std::vector<std::string>& notices) {
    if (endAfterScan_) return;
    for (const std::string& text : notices) {
        HWND owner = Handle();
        ShowBoxInTurn([owner, text] { MessageBoxA(owner, text.c_str(), "Error", MB_OK | MB_ICONERROR); });
    }
}

void TForm1::ScanEnded(const ScanOutcome& outcome) {
    scan_.reset();  // the worker has nothing left to do but end
    LockSettings(false);
    SetStatusText(idleStatus_);
    if (endAfterScan_) {
        if (OnScanDone) OnScanDone(outcome);
        // A command-line scan ends the program with the scan's own code once the window goes.
        if (exitAfterScan_ && !OnScanDone && OnExitNow) OnExitNow();
        DestroyWindow(Handle());
        return;
    }
    if (!outcome.error.empty()) {
        std::string error = outcome.error;
        ShowBoxInTurn([error] { ShowErrorBox(error); });
    }
    if (OnScanDone) OnScanDone(outcome);
}
