#pragma once
// Controls built in code from position tables given in 96-DPI pixels.
#include <windows.h>

#include "ui/gdi_handles.h"

// The screen's dots per inch (96 when it cannot be read).
int ScreenDpi();
// A length laid out at 96 DPI, on this screen.
int Scaled(int pixels);

// Registers a window class of this program with the arrow cursor; once registered, later calls
// with the same name do nothing. Without a small icon the class makes one from the icon.
void RegisterWindowClass(const char* className, WNDPROC windowProc, HBRUSH background, HICON icon,
                         HICON smallIcon = nullptr);

// One row of a position table.
struct ControlPlace {
    const char* className;
    const char* text;
    int id;
    int left, top, width, height;
    DWORD style;    // added to WS_CHILD | WS_VISIBLE
    DWORD exStyle;
};

// Creates the control with its rectangle scaled; the font is not owned by the control.
HWND CreateControl(HWND parent, const ControlPlace& place, HFONT font);
// A font of the given character height in 96-DPI pixels, scaled.
UniqueFont MakeFont(const char* face, int pixelHeight, bool bold, bool underline);
// Gives a label the size of its caption in its font, keeping its position.
void SizeToText(HWND label);

// A picture that draws its bitmap stretched to its own size, smoothly; with no bitmap it draws
// nothing, so a picture placed inside another serves as a click area over it. A click (button
// down and up inside it) sends WM_COMMAND with STN_CLICKED to its parent; pictures pass on the
// WM_COMMAND of pictures inside them.
HWND CreatePicture(HWND parent, int id, int left, int top, int width, int height, HBITMAP bitmap);
// Adds the icon resource's image of that size to an image list.
void AddIconResource(HIMAGELIST list, int id, int size);
// Tab reaches the control; a picture so reached is pressed with Enter or Space.
void MakeTabStop(HWND control);
// A label that Tab reaches, shows the focus and is followed with Enter or Space: it then sends
// STN_CLICKED to its parent, as a click does.
void MakeKeyboardLink(HWND label);
// A multi-line text that keeps Tab, Shift+Tab and Escape from swallowing: the window's dialog
// keys move the focus on from it, and Escape leaves it as it is.
void LetTabAndEscapeThrough(HWND edit);

// A page of a tab control: a plain window that hands the notifications of its controls to
// its parent, so the form sees every control's messages. Asked to close, it stays; asked to move
// the focus on, it does so among the whole window's controls.
HWND CreateSheet(HWND parent, int id, const RECT& rect);
