#pragma once
// The program's main window, created in this process, driven as a user drives a scan: ticks set
// on the Settings page, a mouse click on the scan picture, the result list read back.
#include <windows.h>

#include <memory>

#include "scan/scan.h"
#include "support/list_rows.h"

class TForm1;

using ScanRows = ListRows;

class ScanWindow {
public:
    ScanWindow();
    ~ScanWindow();
    ScanWindow(const ScanWindow&) = delete;
    ScanWindow& operator=(const ScanWindow&) = delete;

    bool Created() const;
    TForm1& Form() { return *form_; }
    // Check-list item index (0 to 32), option box N (1 to 7).
    void TickProduct(int index, bool ticked);
    void TickAllProducts(bool ticked);
    void TickOption(int n, bool ticked);
    // Presses and releases the mouse button over the scan picture; returns at once.
    void PressScanPicture();
    // Handles the window's messages until the running scan has ended (false when none ran or it
    // did not end within a generous limit); its outcome is then Outcome().
    bool WaitForScanEnd();
    // PressScanPicture, then WaitForScanEnd.
    void ClickScan();
    // What the last scan that ended handed back.
    const ScanOutcome& Outcome() const { return outcome_; }
    // Each row's caption and status, in list order.
    ScanRows Rows() const;
    // The list's one text colour.
    COLORREF TextColour() const;

private:
    std::unique_ptr<TForm1> form_;
    ScanOutcome outcome_;
    bool ended_ = false;
};
