#include "ui/controls.h"

#include <commctrl.h>

#include <cstring>
#include <string>

namespace {

constexpr char kPictureClass[] = "TImage";
constexpr char kSheetClass[] = "TTabSheet";

void PaintPicture(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    auto bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrA(window, GWLP_USERDATA));
    BITMAP info{};
    if (bitmap && GetObjectA(bitmap, sizeof(info), &info)) {
        RECT client{};
        GetClientRect(window, &client);
        UniqueMemoryDc source(CreateCompatibleDC(dc));
        SelectGuard select(source.get(), bitmap);
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, client.right, client.bottom, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    // A picture reached with Tab shows where the keyboard is.
    if (GetFocus() == window) {
        RECT focus{};
        GetClientRect(window, &focus);
        InflateRect(&focus, -2, -2);
        DrawFocusRect(dc, &focus);
    }
    EndPaint(window, &paint);
}

void NotifyClicked(HWND picture) {
    SendMessageA(GetParent(picture), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(picture), STN_CLICKED),
                 reinterpret_cast<LPARAM>(picture));
}

bool IsPressKey(WPARAM key) { return key == VK_RETURN || key == VK_SPACE; }

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the picture covers itself; a click area shows what lies beneath
    case WM_PAINT:
        PaintPicture(window);
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(window);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == window) {
            ReleaseCapture();
            RECT client{};
            GetClientRect(window, &client);
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (PtInRect(&client, at)) NotifyClicked(window);
        }
        return 0;
    case WM_GETDLGCODE: {
        // Enter and Space press the picture, as they press a button; Tab and the arrows stay the
        // window's.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && IsPressKey(key->wParam)) return DLGC_WANTMESSAGE;
        return 0;
    }
    case WM_KEYDOWN:
        if (IsPressKey(wParam) && !(lParam & (1u << 30))) NotifyClicked(window);  // not on auto-repeat
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_COMMAND:
        return SendMessageA(GetParent(window), message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return SendMessageA(GetParent(window), message, wParam, lParam);
    case WM_CLOSE:
        // An edit in a page posts this for Escape; a page goes only with its window.
        return 0;
    case WM_NEXTDLGCTL: {
        // An edit in a page sends this for Tab; the focus moves among the whole window's controls.
        HWND root = GetAncestor(window, GA_ROOT);
        HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(root, GetFocus(), wParam != 0);
        if (next) SetFocus(next);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

constexpr UINT_PTR kLinkSubclassId = 1;
constexpr UINT_PTR kTabThroughSubclassId = 2;

LRESULT CALLBACK KeyboardLinkProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_GETDLGCODE: {
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && IsPressKey(key->wParam)) return DLGC_WANTMESSAGE;
        return DefSubclassProc(label, message, wParam, lParam);
    }
    case WM_KEYDOWN:
        if (IsPressKey(wParam) && !(lParam & (1u << 30))) NotifyClicked(label);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(label, nullptr, TRUE);
        break;
    case WM_PAINT: {
        LRESULT result = DefSubclassProc(label, message, wParam, lParam);
        if (GetFocus() == label) {
            WindowDc dc(label);
            RECT focus{};
            GetClientRect(label, &focus);
            DrawFocusRect(dc.Get(), &focus);
        }
        return result;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(label, KeyboardLinkProc, kLinkSubclassId);
        break;
    }
    return DefSubclassProc(label, message, wParam, lParam);
}

bool IsKeyFor(const MSG* key, WPARAM virtualKey, WPARAM character) {
    if (!key) return false;
    if (key->message == WM_KEYDOWN || key->message == WM_KEYUP) return key->wParam == virtualKey;
    return key->message == WM_CHAR && key->wParam == character;
}

LRESULT CALLBACK TabThroughProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = DefSubclassProc(edit, message, wParam, lParam);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        // Tab and Escape are the dialog manager's: it moves the focus on, and Escape stays harmless.
        if (IsKeyFor(key, VK_TAB, '\t') || IsKeyFor(key, VK_ESCAPE, 0x1B))
            code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
        return code;
    }
    case WM_CHAR:
        // Reached without the dialog manager: neither key types anything.
        if (wParam == '\t' || wParam == 0x1B) return 0;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, TabThroughProc, kTabThroughSubclassId);
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

int ScreenDpi() {
    static const int dpi = [] {
        WindowDc screen(nullptr);
        int value = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int Scaled(int pixels) { return MulDiv(pixels, ScreenDpi(), 96); }

void RegisterWindowClass(const char* className, WNDPROC windowProc, HBRUSH background, HICON icon, HICON smallIcon) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{sizeof(existing)};
    if (GetClassInfoExA(instance, className, &existing)) return;
    WNDCLASSEXA wc{sizeof(wc)};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    RegisterClassExA(&wc);
}

HWND CreateControl(HWND parent, const ControlPlace& place, HFONT font) {
    // Edges scaled, not sizes: controls that meet at 96 DPI meet on the screen, and none ends a
    // rounding past its parent.
    const int left = Scaled(place.left), top = Scaled(place.top);
    const int width = Scaled(place.left + place.width) - left, height = Scaled(place.top + place.height) - top;
    HWND control = CreateWindowExA(place.exStyle, place.className, place.text, WS_CHILD | WS_VISIBLE | place.style,
                                   left, top, width, height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (control && font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

UniqueFont MakeFont(const char* face, int pixelHeight, bool bold, bool underline) {
    LOGFONTA font{};
    font.lfHeight = -Scaled(pixelHeight);  // negative: a character height, not a cell height
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return UniqueFont(CreateFontIndirectA(&font));
}

void SizeToText(HWND label) {
    int length = GetWindowTextLengthA(label);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(label, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    WindowDc dc(label);
    SelectGuard select(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT bounds{0, 0, 0, 0};
    DrawTextA(dc.Get(), text.c_str(), length, &bounds, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SetWindowPos(label, nullptr, 0, 0, bounds.right, bounds.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreatePicture(HWND parent, int id, int left, int top, int width, int height, HBITMAP bitmap) {
    RegisterWindowClass(kPictureClass, PictureProc, nullptr, nullptr);
    ControlPlace place{kPictureClass, "", id, left, top, width, height, 0, 0};
    HWND picture = CreateControl(parent, place, nullptr);
    if (picture) SetWindowLongPtrA(picture, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
    return picture;
}

namespace {

// The colour image of a 32-bit icon resource of that size as a bitmap, alpha included; null when
// the resource holds another kind of image.
UniqueBitmap IconImageBitmap(int id, int size) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
    HGLOBAL groupData = group ? LoadResource(module, group) : nullptr;
    auto* directory = groupData ? static_cast<PBYTE>(LockResource(groupData)) : nullptr;
    if (!directory) return nullptr;
    int imageId = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = imageId ? FindResourceA(module, MAKEINTRESOURCEA(imageId), RT_ICON) : nullptr;
    HGLOBAL imageData = image ? LoadResource(module, image) : nullptr;
    auto* header = imageData ? static_cast<const BITMAPINFOHEADER*>(LockResource(imageData)) : nullptr;
    // An icon image is a DIB of twice its height: the colours, then the 1-bit mask.
    if (!header || SizeofResource(module, image) < sizeof(BITMAPINFOHEADER) || header->biSize < sizeof(BITMAPINFOHEADER) ||
        header->biBitCount != 32 || header->biCompression != BI_RGB || header->biWidth != size ||
        header->biHeight != 2 * size)
        return nullptr;
    const DWORD colourBytes = static_cast<DWORD>(size) * static_cast<DWORD>(size) * 4;
    if (SizeofResource(module, image) < header->biSize + colourBytes) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader = *header;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biHeight = size;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return nullptr;
    std::memcpy(bits, reinterpret_cast<const BYTE*>(header) + header->biSize, colourBytes);
    return bitmap;
}

}  // namespace

void AddIconResource(HIMAGELIST list, int id, int size) {
    // Straight from the resource's image: making an icon first costs Wine a few milliseconds
    // each, at start-up.
    if (UniqueBitmap image = IconImageBitmap(id, size)) {
        if (ImageList_Add(list, image.get(), nullptr) >= 0) return;
    }
    UniqueIcon icon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
    if (icon) ImageList_AddIcon(list, icon.get());
}

void MakeTabStop(HWND control) {
    SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | WS_TABSTOP);
}

void MakeKeyboardLink(HWND label) {
    MakeTabStop(label);
    SetWindowSubclass(label, KeyboardLinkProc, kLinkSubclassId, 0);
}

void LetTabAndEscapeThrough(HWND edit) { SetWindowSubclass(edit, TabThroughProc, kTabThroughSubclassId, 0); }

HWND CreateSheet(HWND parent, int id, const RECT& rect) {
    RegisterWindowClass(kSheetClass, SheetProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    // Already in screen pixels: the tab control measured it.
    return CreateWindowExA(WS_EX_CONTROLPARENT, kSheetClass, "", WS_CHILD | WS_CLIPSIBLINGS, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}
