#pragma once
// A list box whose items carry a tick: owner-drawn, the tick kept in each item's data.
#include <windows.h>

#include "ui/controls.h"

// Creates the list (rectangle and item height in 96-DPI pixels).
HWND CreateCheckList(HWND parent, int id, int left, int top, int width, int height, int itemHeight, HFONT font);
void CheckListAdd(HWND list, const char* text);
bool CheckListTicked(HWND list, int index);
void CheckListSetTicked(HWND list, int index, bool ticked);
// Draws one item; the form calls it for the list's WM_DRAWITEM.
void CheckListDrawItem(const DRAWITEMSTRUCT& item);
