#pragma once
// Copying the result list for a forum post or a ticket: Ctrl+C copies the selected rows, or every
// row when none is selected, as "label<TAB>status" lines; Ctrl+A and the context menu's
// "Select all" select every row; the context menu's "Copy" copies as Ctrl+C does.
#include <windows.h>

#include <string>

// Gives the list its keys and context menu.
void AttachResultListCopy(HWND list);
// The rows Ctrl+C would copy, each line ending in CR LF; empty for an empty list.
std::wstring ResultListCopyText(HWND list);
// Puts the rows on the clipboard as Unicode text; false when there was nothing to copy or the
// clipboard could not be had.
bool CopyResultList(HWND list);
void SelectAllResultRows(HWND list);
