#include "catalogue/result_list.h"

#include <commctrl.h>

#include "app/scan_rows.h"

namespace {

std::string ItemText(HWND list, int row, int column) {
    char buffer[512] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof(buffer);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

}  // namespace

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

std::vector<std::pair<std::string, std::string>> ResultListWindow::Rows() const {
    std::vector<std::pair<std::string, std::string>> rows;
    int count = static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) rows.emplace_back(ItemText(list_, row, 0), ItemText(list_, row, 1));
    return rows;
}
