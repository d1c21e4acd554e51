#include "ui/result_rows.h"

#include <commctrl.h>

#include "system/text_codes.h"

namespace {

HWND resultList = nullptr;

void AppendRow(const std::wstring& caption, const std::string& status) {
    if (!resultList) return;
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(resultList, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    int row = static_cast<int>(SendMessageW(resultList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    LVITEMA sub{};
    sub.iSubItem = 1;
    sub.pszText = const_cast<char*>(status.c_str());
    SendMessageA(resultList, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
}

void AppendRow(const std::string& caption, const std::string& status) { AppendRow(FromAnsi(caption), status); }

void SetTextColour(COLORREF colour) {
    if (resultList) SendMessageA(resultList, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colour));
}

}  // namespace

void SetResultList(HWND listView) { resultList = listView; }

HWND GetResultList() { return resultList; }

void AddFoundRow(const std::string& caption, const std::string& status) {
    SetTextColour(RGB(255, 0, 0));
    AppendRow(caption, status);
}

void AddInfoRow(const std::string& caption, const std::string& status) {
    SetTextColour(RGB(0, 0, 0));
    AppendRow(caption, status);
}

void AddInfoRow(const std::wstring& caption, const std::string& status) {
    SetTextColour(RGB(0, 0, 0));
    AppendRow(caption, status);
}
