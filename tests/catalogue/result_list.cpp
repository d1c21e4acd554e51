#include "catalogue/result_list.h"

#include <commctrl.h>

#include "app/scan_rows.h"

ResultListWindow::ResultListWindow() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    window_ = CreateWindowExA(0, "STATIC", "zarvex-test-results", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window_) return;
    list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 400, 300, window_, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    if (!list_) return;
    const char* titles[] = {"Objects Found", "Status"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 200;
        column.pszText = const_cast<char*>(titles[i]);
        SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    SetResultList(list_);
}

ResultListWindow::~ResultListWindow() {
    if (GetResultList() == list_) SetResultList(nullptr);
    if (window_) DestroyWindow(window_);
}

ListRows ResultListWindow::Rows() const { return ReadListRows(list_); }
