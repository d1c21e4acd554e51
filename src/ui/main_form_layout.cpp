// The main window's controls, built from the position tables (96-DPI pixels).
#include <windows.h>
#include <commctrl.h>

#include "scan/settings_items.h"
#include "ui/check_list.h"
#include "ui/controls.h"
#include "ui/links.h"
#include "ui/main_form.h"
#include "ui/resource_ids.h"
#include "ui/result_list_copy.h"
#include "ui/result_rows.h"

namespace {

// The product list's column: far enough right that the longest option caption fits before it at
// every scale.
constexpr int kProductColumnLeft = 264;
// Each option box carries its caption, up to the product column; it is tall enough for the
// caption, with the tick box's middle where the bare box had it.
constexpr int kOptionBoxLeft = 24;
constexpr int kOptionBoxWidth = kProductColumnLeft - 2 - kOptionBoxLeft;
constexpr int kOptionBoxHeight = 16;
constexpr int kOptionBoxAbove = 2;  // above where the bare box would stand

constexpr const char* kTabCaptions[] = {"Scan", "Settings", "About"};
// The names a screen reader gives the lists and the read-me text.
constexpr char kResultListName[] = "Scan results";
constexpr char kProductListName[] = "Software to remove";
constexpr char kReadMeName[] = "Read me";
constexpr char kPageTabsName[] = "Pages";  // the tab strip's, never drawn
constexpr int kTabIcons[] = {IDI_TAB_SCAN, IDI_TAB_SETTINGS, IDI_TAB_ABOUT};


// Where the pages lie, in screen pixels: one row of tab buttons 20 pixels high leaves them the 305
// pixels their controls need, inset 4 pixels at the sides as the 497-pixel rules show.
RECT PageRect() { return RECT{Scaled(4), Scaled(112 + 329 - 305), Scaled(4 + 497), Scaled(112 + 329)}; }

// A page made after the Scan page, placed right after the page before it among the window's
// children, so the tab order is the one of pages made together.
HWND CreateSheetAfter(HWND form, int id, HWND previous) {
    HWND sheet = CreateSheet(form, id, PageRect());
    if (sheet) SetWindowPos(sheet, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return sheet;
}

// A horizontal rule; drawn by the form (an etched line along its top). Its text is never drawn:
// it names the list or text that follows it, as Windows' accessibility names such a control by
// the label before it.
ControlPlace Rule(int id, const char* names) { return ControlPlace{"STATIC", names, id, 0, 8, 497, 9, SS_OWNERDRAW, 0}; }

HWND CreateLabel(HWND parent, int id, const char* caption, int left, int top, HFONT font, DWORD style = 0) {
    HWND label = CreateControl(parent, ControlPlace{"STATIC", caption, id, left, top, 1, 1, SS_LEFT | SS_NOPREFIX | style, 0},
                               font);
    if (label) SizeToText(label);
    return label;
}

void AddColumn(HWND list, int index, const char* caption, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(caption);
    column.cx = Scaled(width);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

}  // namespace

void TForm1::CreateControls() {
    HWND form = Handle();
    Image1 = CreatePicture(form, kImage1Id, 0, 0, 505, 105, banner_.get());
    // Inside the banner, so the banner shows through the click area.
    Image3 = CreatePicture(Image1, kImage3Id, 416, 0, 73, 65, nullptr);
    CreateTabs();
    StatusBar1 = CreateControl(form,
                               ControlPlace{STATUSCLASSNAMEA, "", kStatusBar1Id, 0, 443, 505, 19,
                                           CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 0},
                               defaultFont_.get());
    int parts[] = {-1};
    SendMessageA(StatusBar1, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
    SendMessageA(StatusBar1, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(kNoticeLine));
    CreateScanPage();
    if (createEverything_) {
        CreateSettingsPage();
        CreateAboutPage();
    }
    // The tab strip lies beneath its pages and does not paint over them.
    SetWindowPos(PageControl1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetHandCursor(Image2);
    SetHandCursor(Image3);
    ShowPage(0);
}

void TForm1::CreateTabs() {
    HWND form = Handle();
    PageControl1 = CreateControl(form,
                                 ControlPlace{WC_TABCONTROLA, kPageTabsName, kPageControl1Id, 0, 112, 505, 329,
                                             WS_CLIPSIBLINGS | WS_TABSTOP | TCS_BUTTONS | TCS_FLATBUTTONS | TCS_MULTILINE,
                                             0},
                                 defaultFont_.get());
    const int iconSize = Scaled(16);
    ImageList1_.reset(ImageList_Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, 3, 0));
    for (int id : kTabIcons) AddIconResource(ImageList1_.get(), id, iconSize);
    SendMessageA(PageControl1, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageList1_.get()));
    for (int i = 0; i < 3; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<char*>(kTabCaptions[i]);
        item.iImage = i;
        SendMessageA(PageControl1, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(PageControl1, TCM_SETITEMSIZE, 0, MAKELPARAM(0, Scaled(20)));
    TabSheet1 = CreateSheet(form, kTabSheet1Id, PageRect());
}

void TForm1::CreateScanPage() {
    HFONT font = defaultFont_.get();
    Bevel2 = CreateControl(TabSheet1, Rule(kBevel2Id, kResultListName), font);
    // Its text is the name a screen reader gives it; a list view never draws its text.
    ListView1 = CreateControl(TabSheet1,
                              ControlPlace{WC_LISTVIEWA, kResultListName, kListView1Id, 0, 32, 497, 209,
                                          WS_TABSTOP | LVS_REPORT | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS,
                                          WS_EX_CLIENTEDGE},
                              font);
    SendMessageA(ListView1, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FLATSB,
                 LVS_EX_GRIDLINES | LVS_EX_FLATSB);
    AddColumn(ListView1, 0, "Objects Found", 336);
    AddColumn(ListView1, 1, "Status", 156);
    SetResultList(ListView1);
    AttachResultListCopy(ListView1);
    Image2 = CreatePicture(TabSheet1, kImage2Id, 0, 248, 201, 41, scanButton_.get());
    SetWindowTextA(Image2, ScanPictureName().c_str());
    MakeTabStop(Image2);  // a scan can be started without a mouse
    DetectOnlyLabel = CreateControl(TabSheet1,
                                    ControlPlace{"STATIC", kDetectOnlyNotice, kDetectOnlyLabelId, 212, 250, 285, 39,
                                                SS_LEFT | SS_NOPREFIX, 0},
                                    noticeFont_.get());
    ShowWindow(DetectOnlyLabel, detectOnly_ ? SW_SHOW : SW_HIDE);
}

void TForm1::CreateSettingsPage() {
    TabSheet2 = CreateSheetAfter(Handle(), kTabSheet2Id, TabSheet1);
    headingFont_ = MakeFont("Verdana", 11, true, true);
    HFONT font = defaultFont_.get();
    Bevel1 = CreateControl(TabSheet2, Rule(kBevel1Id, ""), font);
    Label2 = CreateLabel(TabSheet2, kLabel2Id, "Disk cleaning options:", 16, 32, headingFont_.get());
    // The options before the list, top to bottom, so Tab reads the page as the eye does: the left
    // column, then the right.
    for (const OptionItem& option : OptionItems()) {
        sCheckBox[option.n] = CreateControl(TabSheet2,
                                            ControlPlace{"BUTTON", option.caption, kSCheckBoxFirstId + option.n,
                                                        kOptionBoxLeft, option.top - kOptionBoxAbove, kOptionBoxWidth,
                                                        kOptionBoxHeight, WS_TABSTOP | BS_AUTOCHECKBOX, 0},
                                            font);
        SendMessageA(sCheckBox[option.n], BM_SETCHECK, option.ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // Right after its heading, which Windows' accessibility names it by.
    Label1 = CreateLabel(TabSheet2, kLabel1Id, "Software to remove:", kProductColumnLeft, 32, headingFont_.get());
    CheckListBox1 = CreateCheckList(TabSheet2, kCheckListBox1Id, kProductListName, kProductColumnLeft, 64, 201, 225, font);
    for (const char* product : ProductNames()) CheckListAdd(CheckListBox1, product);
}

void TForm1::CreateAboutPage() {
    TabSheet3 = CreateSheetAfter(Handle(), kTabSheet3Id, TabSheet2);
    linkFont_ = MakeFont("Verdana", 13, false, true);
    HFONT font = defaultFont_.get();
    Label3 = CreateLabel(TabSheet3, kLabel3Id, HomePageHost().c_str(), 160, 32, linkFont_.get(), SS_NOTIFY);
    SetHandCursor(Label3);
    MakeKeyboardLink(Label3);
    // Between the link and the text, so the text is named by the rule's words, not the link's.
    Bevel3 = CreateControl(TabSheet3, Rule(kBevel3Id, kReadMeName), font);
    Memo1 = CreateControl(TabSheet3,
                          ControlPlace{"EDIT", "", kMemo1Id, 0, 56, 497, 249,
                                      WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                          ES_AUTOHSCROLL | ES_WANTRETURN,
                                      WS_EX_CLIENTEDGE},
                          font);
    SendMessageA(Memo1, EM_SETLIMITTEXT, 0, 0);  // no limit on what the user may type
    LetTabAndEscapeThrough(Memo1);
}
