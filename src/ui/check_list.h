#pragma once
// The product list: the system's list view with check boxes, one item a product. A click on an
// item's box or Space ticks it, and a screen reader hears each product's name and its tick.
#include <windows.h>

// Creates the list (rectangle in 96-DPI pixels); its text is the name it is announced by.
HWND CreateCheckList(HWND parent, int id, const char* name, int left, int top, int width, int height, HFONT font);
void CheckListAdd(HWND list, const char* text);
int CheckListCount(HWND list);
bool CheckListTicked(HWND list, int index);
void CheckListSetTicked(HWND list, int index, bool ticked);
