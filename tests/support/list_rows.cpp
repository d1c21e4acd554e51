#include "support/list_rows.h"

#include <commctrl.h>

namespace {

std::string CellText(HWND list, int row, int column) {
    char text[512] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

}  // namespace

ListRows ReadListRows(HWND list) {
    ListRows rows;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) rows.emplace_back(CellText(list, row, 0), CellText(list, row, 1));
    return rows;
}
