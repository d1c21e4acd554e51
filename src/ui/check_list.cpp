#include "ui/check_list.h"

#include <commctrl.h>

#include "ui/controls.h"

namespace {

// The list view's state images with check boxes: 1 unticked, 2 ticked.
constexpr UINT kUnticked = 1;
constexpr UINT kTicked = 2;

}  // namespace

HWND CreateCheckList(HWND parent, int id, const char* name, int left, int top, int width, int height, HFONT font) {
    ControlPlace place{WC_LISTVIEWA, name, id, left, top, width, height,
                       WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                       WS_EX_CLIENTEDGE};
    HWND list = CreateControl(parent, place, font);
    if (!list) return nullptr;
    // Before any item, so that every item gets its box.
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    // One column as wide as the list beside its scroll bar: the names are never cut by a second
    // one, nor scrolled sideways.
    RECT client{};
    GetClientRect(list, &client);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    return list;
}

void CheckListAdd(HWND list, const char* text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = CheckListCount(list);
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int CheckListCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

bool CheckListTicked(HWND list, int index) {
    if (index < 0 || index >= CheckListCount(list)) return false;
    const auto state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(kTicked);
}

void CheckListSetTicked(HWND list, int index, bool ticked) {
    if (index < 0 || index >= CheckListCount(list)) return;
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? kTicked : kUnticked);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}
