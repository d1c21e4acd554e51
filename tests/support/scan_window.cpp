#include "support/scan_window.h"

#include <commctrl.h>

#include "app/check_list.h"
#include "app/main_form.h"
#include "support/list_rows.h"

ScanWindow::ScanWindow() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    form_ = std::make_unique<TForm1>();
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

void ScanWindow::ClickScan() {
    const LPARAM inside = MAKELPARAM(20, 10);
    SendMessageA(form_->Image2, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageA(form_->Image2, WM_LBUTTONUP, 0, inside);
}

ScanRows ScanWindow::Rows() const { return ReadListRows(form_->ListView1); }

COLORREF ScanWindow::TextColour() const {
    return static_cast<COLORREF>(SendMessageA(form_->ListView1, LVM_GETTEXTCOLOR, 0, 0));
}
