#include "support/scan_window.h"

#include <commctrl.h>

#include "support/list_rows.h"
#include "ui/check_list.h"
#include "ui/main_form.h"

ScanWindow::ScanWindow() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    form_ = std::make_unique<TForm1>();
    form_->OnScanDone = [this](const ScanOutcome& outcome) {
        outcome_ = outcome;
        ended_ = true;
    };
}

ScanWindow::~ScanWindow() = default;

bool ScanWindow::Created() const { return form_ && IsWindow(form_->Handle()) && form_->Image2 && form_->ListView1; }

void ScanWindow::TickProduct(int index, bool ticked) { CheckListSetTicked(form_->CheckListBox1, index, ticked); }

void ScanWindow::TickAllProducts(bool ticked) {
    for (int i = 0; i < kProductCount; ++i) TickProduct(i, ticked);
}

void ScanWindow::TickOption(int n, bool ticked) {
    SendMessageA(form_->sCheckBox[n], BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ScanWindow::PressScanPicture() {
    const LPARAM inside = MAKELPARAM(20, 10);
    SendMessageA(form_->Image2, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageA(form_->Image2, WM_LBUTTONUP, 0, inside);
}

bool ScanWindow::WaitForScanEnd() {
    ended_ = false;
    const ULONGLONG limit = GetTickCount64() + 10 * 60 * 1000;  // generous, not a speed check
    while (form_->Scanning() && GetTickCount64() < limit) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return ended_;
}

void ScanWindow::ClickScan() {
    PressScanPicture();
    WaitForScanEnd();
}

ScanRows ScanWindow::Rows() const { return ReadListRows(form_->ListView1); }

COLORREF ScanWindow::TextColour() const {
    return static_cast<COLORREF>(SendMessageA(form_->ListView1, LVM_GETTEXTCOLOR, 0, 0));
}
