#include "ui/result_list_copy.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "scan/scan_report.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
enum MenuId : UINT { kCopyId = 1, kSelectAllId };

std::wstring CellText(HWND list, int row, int column) {
    // The list keeps its text in wide characters whatever set it; grow until the text fits.
    for (int size = 256;; size *= 2) {
        std::vector<wchar_t> buffer(static_cast<size_t>(size));
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = size;
        int length = static_cast<int>(
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length < size - 1 || size >= (1 << 16)) return std::wstring(buffer.data(), static_cast<size_t>(length));
    }
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    // Once it is set, the clipboard owns the memory.
    const bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!set) GlobalFree(memory);
    return set;
}

void ShowMenu(HWND list, LPARAM at) {
    POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) {
        // From the keyboard: beside the focused row, or the list's corner.
        RECT place{};
        int focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        place.left = LVIR_BOUNDS;
        if (focused < 0 || !SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&place)))
            place = RECT{0, 0, 0, 0};
        point = POINT{place.left + 8, place.bottom};
        ClientToScreen(list, &point);
    }
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    const bool any = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0;
    AppendMenuW(menu, MF_STRING | (any ? 0 : MF_GRAYED), kCopyId, L"&Copy\tCtrl+C");
    AppendMenuW(menu, MF_STRING | (any ? 0 : MF_GRAYED), kSelectAllId, L"Select &all\tCtrl+A");
    UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, point.x, point.y, 0, list, nullptr));
    DestroyMenu(menu);
    if (chosen == kCopyId) CopyResultList(list);
    else if (chosen == kSelectAllId) SelectAllResultRows(list);
}

LRESULT CALLBACK ResultListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_KEYDOWN:
        if (GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
            if (wParam == 'C' || wParam == VK_INSERT) {
                CopyResultList(list);
                return 0;
            }
            if (wParam == 'A') {
                SelectAllResultRows(list);
                return 0;
            }
        }
        break;
    case WM_CHAR:
        if (wParam == 0x03 || wParam == 0x01) return 0;  // the Ctrl+C and Ctrl+A already handled
        break;
    case WM_CONTEXTMENU:
        ShowMenu(list, lParam);
        return 0;
    case WM_NCDESTROY:
        RemoveWindowSubclass(list, ResultListProc, kSubclassId);
        break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

void AttachResultListCopy(HWND list) { SetWindowSubclass(list, ResultListProc, kSubclassId, 0); }

std::wstring ResultListCopyText(HWND list) {
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const bool selectedOnly = SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
    std::wstring text;
    for (int row = 0; row < count; ++row) {
        if (selectedOnly && !SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED)) continue;
        text += ResultRowLine(CellText(list, row, 0), CellText(list, row, 1)) + L"\r\n";
    }
    return text;
}

bool CopyResultList(HWND list) {
    std::wstring text = ResultListCopyText(list);
    return !text.empty() && PutOnClipboard(list, text);
}

void SelectAllResultRows(HWND list) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}
