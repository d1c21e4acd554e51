#include "ui/check_list.h"

#include <commctrl.h>

#include <string>

namespace {

constexpr UINT_PTR kSubclassId = 1;

// The tick box is a square as tall as the item, at its left end.
int BoxWidth(HWND list) {
    return static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
}

void Toggle(HWND list, int index) {
    if (index < 0 || index >= static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0))) return;
    CheckListSetTicked(list, index, !CheckListTicked(list, index));
}

LRESULT CALLBACK CheckListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_LBUTTONDOWN: {
        LRESULT result = DefSubclassProc(list, message, wParam, lParam);
        int x = static_cast<short>(LOWORD(lParam));
        DWORD hit = static_cast<DWORD>(SendMessageA(list, LB_ITEMFROMPOINT, 0, lParam));
        if (HIWORD(hit) == 0 && x < BoxWidth(list)) Toggle(list, LOWORD(hit));
        return result;
    }
    case WM_CHAR:
        if (wParam == VK_SPACE) {
            Toggle(list, static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)));
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(list, CheckListProc, kSubclassId);
        break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

HWND CreateCheckList(HWND parent, int id, int left, int top, int width, int height, int itemHeight, HFONT font) {
    ControlPlace place{"LISTBOX", "", id, left, top, width, height,
                     WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                     WS_EX_CLIENTEDGE};
    HWND list = CreateControl(parent, place, font);
    if (!list) return nullptr;
    SendMessageA(list, LB_SETITEMHEIGHT, 0, Scaled(itemHeight));
    SetWindowSubclass(list, CheckListProc, kSubclassId, 0);
    return list;
}

void CheckListAdd(HWND list, const char* text) {
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), 0);
}

bool CheckListTicked(HWND list, int index) {
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data != LB_ERR && data != 0;
}

void CheckListSetTicked(HWND list, int index, bool ticked) {
    SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), ticked ? 1 : 0);
    RECT item{};
    if (SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != LB_ERR)
        InvalidateRect(list, &item, TRUE);
}

void CheckListDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    HWND list = item.hwndItem;
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;

    RECT box{rect.left, rect.top, rect.left + (rect.bottom - rect.top), rect.bottom};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    RECT tick = box;
    InflateRect(&tick, -1, -1);
    UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
    if (CheckListTicked(list, static_cast<int>(item.itemID))) state |= DFCS_CHECKED;
    if (disabled) state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &tick, DFC_BUTTON, state);

    RECT textRect{box.right, rect.top, rect.right, rect.bottom};
    FillRect(dc, &textRect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    int length = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, item.itemID, 0));
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    textRect.left += 2;
    DrawTextA(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &textRect);
}
