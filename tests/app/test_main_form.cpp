// The main window as built: controls, geometry, captions, fonts, initial state, page switching.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "scan/settings_items.h"
#include "ui/about_form.h"
#include "ui/check_list.h"
#include "ui/controls.h"
#include "ui/main_form.h"
#include "ui/result_rows.h"

namespace {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitControlsOnce();
        form = std::make_unique<TForm1>();
        ASSERT_TRUE(IsWindow(form->Handle()));
    }
    void TearDown() override { form.reset(); }

    FileBesideProgram noReadMe{"ReadMe.txt"};
    std::unique_ptr<TForm1> form;
};

RECT Table(int left, int top, int width, int height) {
    return RECT{Scaled(left), Scaled(top), Scaled(left + width), Scaled(top + height)};
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

LOGFONTA FontOf(HWND control) {
    LOGFONTA font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (handle) GetObjectA(handle, sizeof(font), &font);
    return font;
}

TEST_F(MainFormTest, WindowIsCentredWithItsCaptionAndClientSize) {
    EXPECT_EQ(WindowText(form->Handle()), "Zarvex");
    EXPECT_EQ(ClassOf(form->Handle()), "TForm1");
    RECT client{};
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, Scaled(505));
    EXPECT_EQ(client.bottom, Scaled(462));
    RECT outer{};
    GetWindowRect(form->Handle(), &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_FALSE(IsWindowVisible(form->Handle())) << "shown only by the program entry, after FormCreate";
}

// Both windows have a sizing frame around their client areas, and keep their size when the
// frame is dragged.
TEST(FormFrame, OuterSizesAtNinetySixDpiAndNoResizing) {
    if (ScreenDpi() != 96) GTEST_SKIP() << "the outer sizes are those of a 96-DPI screen";
    InitControlsOnce();
    FileBesideProgram noReadMe("ReadMe.txt");
    TForm1 form;
    TForm2 about(form.Handle());
    struct Row {
        const char* name;
        HWND window;
        int width, height;
    };
    for (const Row& row : {Row{"TForm1", form.Handle(), 513, 508}, Row{"TForm2", about.Handle(), 457, 356}}) {
        SCOPED_TRACE(row.name);
        RECT outer{};
        GetWindowRect(row.window, &outer);
        EXPECT_EQ(outer.right - outer.left, row.width);
        EXPECT_EQ(outer.bottom - outer.top, row.height);
        MINMAXINFO limits{};
        SendMessageA(row.window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(limits.ptMinTrackSize.x, row.width);
        EXPECT_EQ(limits.ptMinTrackSize.y, row.height);
        EXPECT_EQ(limits.ptMaxTrackSize.x, row.width);
        EXPECT_EQ(limits.ptMaxTrackSize.y, row.height);
    }
}

// The icon drawn at its own size on a white ground, pixel by pixel.
std::vector<DWORD> DrawnIcon(HICON icon, int size) {
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!canvas) return {};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    auto* pixels = static_cast<DWORD*>(bits);
    std::fill(pixels, pixels + size * size, 0x00FFFFFFu);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<DWORD> drawn(pixels, pixels + size * size);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(canvas);
    return drawn;
}

// Both windows' captions show the program icon's own small image: the one the class would have
// made from the icon resource had it been given none.
TEST(FormIcon, CaptionShowsTheIconResourcesSmallImage) {
    InitControlsOnce();
    FileBesideProgram noReadMe("ReadMe.txt");
    TForm1 form;
    TForm2 about(form.Handle());
    const int size = GetSystemMetrics(SM_CXSMICON);
    for (HWND window : {form.Handle(), about.Handle()}) {
        SCOPED_TRACE(ClassOf(window));
        auto small = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM));
        auto large = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON));
        ASSERT_NE(small, nullptr);
        ASSERT_NE(large, nullptr);
        ICONINFO parts{};
        ASSERT_TRUE(GetIconInfo(small, &parts));
        BITMAP mask{};
        GetObjectA(parts.hbmMask, sizeof(mask), &mask);
        if (parts.hbmColor) DeleteObject(parts.hbmColor);
        DeleteObject(parts.hbmMask);
        EXPECT_EQ(mask.bmWidth, size) << "made at the small size, not shrunk when drawn";
        auto made = static_cast<HICON>(CopyImage(large, IMAGE_ICON, size, GetSystemMetrics(SM_CYSMICON), LR_COPYFROMRESOURCE));
        ASSERT_NE(made, nullptr);
        const std::vector<DWORD> expected = DrawnIcon(made, size);
        DestroyIcon(made);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(DrawnIcon(small, size), expected);
        EXPECT_NE(DrawnIcon(small, size), std::vector<DWORD>(expected.size(), 0x00FFFFFFu)) << "it draws something";
    }
}

TEST_F(MainFormTest, EveryControlHasItsKindParentAndRectangle) {
    struct Row {
        const char* name;
        HWND control;
        HWND parent;
        const char* kind;
        RECT rect;
    };
    const Row rows[] = {
        {"Image1", form->Image1, form->Handle(), "TImage", Table(0, 0, 505, 105)},
        {"Image3", form->Image3, form->Image1, "TImage", Table(416, 0, 73, 65)},
        {"PageControl1", form->PageControl1, form->Handle(), WC_TABCONTROLA, Table(0, 112, 505, 329)},
        {"StatusBar1", form->StatusBar1, form->Handle(), STATUSCLASSNAMEA, Table(0, 443, 505, 19)},
        {"Bevel2", form->Bevel2, form->TabSheet1, "Static", Table(0, 8, 497, 9)},
        {"ListView1", form->ListView1, form->TabSheet1, WC_LISTVIEWA, Table(0, 32, 497, 209)},
        {"Image2", form->Image2, form->TabSheet1, "TImage", Table(0, 248, 201, 41)},
        {"Bevel1", form->Bevel1, form->TabSheet2, "Static", Table(0, 8, 497, 9)},
        {"CheckListBox1", form->CheckListBox1, form->TabSheet2, WC_LISTVIEWA, Table(264, 64, 201, 225)},
        // Each option box carries its caption, up to the check list, which stands to the right for it.
        {"sCheckBox2", form->sCheckBox[2], form->TabSheet2, "Button", Table(24, 60, 238, 16)},
        {"sCheckBox3", form->sCheckBox[3], form->TabSheet2, "Button", Table(24, 84, 238, 16)},
        {"sCheckBox4", form->sCheckBox[4], form->TabSheet2, "Button", Table(24, 108, 238, 16)},
        {"sCheckBox5", form->sCheckBox[5], form->TabSheet2, "Button", Table(24, 132, 238, 16)},
        {"sCheckBox6", form->sCheckBox[6], form->TabSheet2, "Button", Table(24, 156, 238, 16)},
        {"sCheckBox7", form->sCheckBox[7], form->TabSheet2, "Button", Table(24, 182, 238, 16)},
        {"sCheckBox1", form->sCheckBox[1], form->TabSheet2, "Button", Table(24, 206, 238, 16)},
        {"Bevel3", form->Bevel3, form->TabSheet3, "Static", Table(0, 8, 497, 9)},
        {"Memo1", form->Memo1, form->TabSheet3, "Edit", Table(0, 56, 497, 249)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(IsWindow(row.control));
        EXPECT_EQ(GetParent(row.control), row.parent);
        EXPECT_EQ(lstrcmpiA(ClassOf(row.control).c_str(), row.kind), 0) << ClassOf(row.control);
        EXPECT_EQ(Describe(RectInParent(row.control)), Describe(row.rect));
    }
}

TEST_F(MainFormTest, PagesSitBelowTheTabsAndHoldTheirControls) {
    RECT tabs = RectInParent(form->PageControl1);
    for (HWND page : {form->TabSheet1, form->TabSheet2, form->TabSheet3}) {
        RECT rect = RectInParent(page);
        EXPECT_EQ(rect.left, Scaled(4));
        EXPECT_EQ(rect.right - rect.left, Scaled(497));
        EXPECT_LE(rect.bottom, tabs.bottom);
        for (int tab = 0; tab < 3; ++tab) {
            RECT button{};
            SendMessageA(form->PageControl1, TCM_GETITEMRECT, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&button));
            EXPECT_LE(tabs.top + button.bottom, rect.top) << "tab " << tab << " lies above the pages";
        }
        RECT pageClient{};
        GetClientRect(page, &pageClient);
        for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT childRect = RectInParent(child);
            EXPECT_LE(childRect.bottom, pageClient.bottom) << ClassOf(child) << " " << Describe(childRect);
        }
    }
}

TEST_F(MainFormTest, LabelsHaveTheirCaptionsPositionsAndFonts) {
    struct Row {
        const char* name;
        HWND label;
        const char* caption;
        int left, top;
        const char* face;
        int height;
        bool bold, underline;
    };
    const Row rows[] = {
        {"Label2", form->Label2, "Disk cleaning options:", 16, 32, "Verdana", 11, true, true},
        {"Label1", form->Label1, "Software to remove:", 264, 32, "Verdana", 11, true, true},
        {"Label3", form->Label3, "zarvex-av.example", 160, 32, "Verdana", 13, false, true},
        {"sCheckBox2", form->sCheckBox[2], "Clear Cookies Folder", 24, 60, "MS Sans Serif", 11, false, false},
        {"sCheckBox3", form->sCheckBox[3], "Clear Temporary Internet Files Folder", 24, 84, "MS Sans Serif", 11, false, false},
        {"sCheckBox4", form->sCheckBox[4], "Clear Temp Folder", 24, 108, "MS Sans Serif", 11, false, false},
        {"sCheckBox5", form->sCheckBox[5], "Clear Windows Temp Folder", 24, 132, "MS Sans Serif", 11, false, false},
        {"sCheckBox6", form->sCheckBox[6], "Clear MUICache", 24, 156, "MS Sans Serif", 11, false, false},
        {"sCheckBox7", form->sCheckBox[7], "Empty RecycleBin", 24, 182, "MS Sans Serif", 11, false, false},
        {"sCheckBox1", form->sCheckBox[1], "Clear BHO (Browser Helper Objects)", 24, 206, "MS Sans Serif", 11, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(WindowText(row.label), row.caption);
        RECT rect = RectInParent(row.label);
        EXPECT_EQ(rect.left, Scaled(row.left));
        EXPECT_EQ(rect.top, Scaled(row.top));
        EXPECT_GT(rect.right - rect.left, 0);
        LOGFONTA font = FontOf(row.label);
        EXPECT_STREQ(font.lfFaceName, row.face);
        EXPECT_EQ(font.lfHeight, -Scaled(row.height));
        EXPECT_EQ(font.lfWeight >= FW_BOLD, row.bold);
        EXPECT_EQ(font.lfUnderline != 0, row.underline);
    }
    for (int n = 1; n <= kOptionCount; ++n)
        EXPECT_LE(RectInParent(form->sCheckBox[n]).right, RectInParent(form->CheckListBox1).left) << "sCheckBox" << n;
}

// The caption is the box's own: a click on it ticks the box, as on any check box.
TEST_F(MainFormTest, AClickOnAnOptionsCaptionTicksIt) {
    form->ShowPage(1);
    RECT box{};
    GetClientRect(form->sCheckBox[7], &box);
    const LPARAM onCaption = MAKELPARAM(box.right / 2, box.bottom / 2);
    ASSERT_FALSE(form->OptionTicked(7));
    SendMessageA(form->sCheckBox[7], WM_LBUTTONDOWN, MK_LBUTTON, onCaption);
    SendMessageA(form->sCheckBox[7], WM_LBUTTONUP, 0, onCaption);
    PumpMessages();
    EXPECT_TRUE(form->OptionTicked(7));
}

TEST_F(MainFormTest, LinkLabelIsBlue) {
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    SendMessageA(form->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                 reinterpret_cast<LPARAM>(form->Label3));
    EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 255));
}

TEST_F(MainFormTest, OtherControlsUseTheDefaultFont) {
    for (HWND control : {form->ListView1, form->CheckListBox1, form->Memo1, form->StatusBar1, form->PageControl1}) {
        SCOPED_TRACE(ClassOf(control));
        LOGFONTA font = FontOf(control);
        EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
        EXPECT_EQ(font.lfHeight, -Scaled(11));
    }
}

TEST_F(MainFormTest, AllProductsAreTickedInTheirOrder) {
    const char* products[kProductCount] = {
        "System Antivirus 2008", "Micro Antivirus 2009", "Antivirus 2009", "SpyProtector",
        "Pro Antispyware 2009", "Ultra Antivirus 2009", "MS Antivirus", "Antispyware PRO XP",
        "XP Antispyware 2009", "VirusTrigger", "XP SecurityCenter", "Spyware Guard 2008",
        "WinDefender 2009", "AntispyKnight", "Antivirus Pro 2009", "Internet Antivirus Pro",
        "AntiSpyware BOT", "Total Secure 2009", "SpywareSTOP", "PC Protection Center 2008",
        "Winweb Security", "Antispyware Guard", "Rapid Antivirus", "Antispyware 2008",
        "Perfect Defender 2009", "XP Protection Center", "Virus Response Lab 2009", "AntivirusPro",
        "Privacy Commander", "Virus Remover 2008", "Secure Expert Cleaner", "XLG Privacy Control Center",
        "Antivirus 360",
    };
    ASSERT_EQ(CheckListCount(form->CheckListBox1), kProductCount);
    for (int i = 0; i < kProductCount; ++i) {
        char text[64] = {};
        LVITEMA item{};
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(form->CheckListBox1, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, products[i]) << i;
        EXPECT_TRUE(form->ProductTicked(i)) << i;
    }
}

TEST_F(MainFormTest, TickAllProductsTicksAgainWhatTheUserUnticked) {
    form->ShowPage(1);
    // A click on the tick box of item 5 unticks it; a click on its text does not.
    RECT label{};
    label.left = LVIR_LABEL;
    SendMessageA(form->CheckListBox1, LVM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&label));
    const int middle = (label.top + label.bottom) / 2;
    LVHITTESTINFO hit{};
    for (hit.pt = POINT{0, middle}; hit.pt.x < label.left; ++hit.pt.x) {
        SendMessageA(form->CheckListBox1, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.iItem == 5 && (hit.flags & LVHT_ONITEMSTATEICON)) break;
    }
    ASSERT_LT(hit.pt.x, label.left) << "no tick box found";
    for (LPARAM at : {MAKELPARAM(hit.pt.x + 2, middle), MAKELPARAM(label.left + Scaled(20), middle)}) {
        // The button comes up already: the list view waits for it after a press.
        PostMessageA(form->CheckListBox1, WM_LBUTTONUP, 0, at);
        SendMessageA(form->CheckListBox1, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PumpMessages();
    }
    EXPECT_FALSE(form->ProductTicked(5));
    EXPECT_TRUE(form->ProductTicked(4));
    form->TickAllProducts();
    for (int i = 0; i < kProductCount; ++i) EXPECT_TRUE(form->ProductTicked(i)) << i;
}

TEST_F(MainFormTest, FiveDiskOptionsTickedRecycleBinAndBhoNot) {
    const bool expected[kOptionCount + 1] = {false, false, true, true, true, true, true, false};
    for (int n = 1; n <= kOptionCount; ++n) {
        EXPECT_EQ(form->OptionTicked(n), expected[n]) << "sCheckBox" << n;
        EXPECT_EQ(WindowText(form->sCheckBox[n]), OptionCaption(n)) << "its caption is its own";
    }
}

// Down the options, then the list beside them.
TEST_F(MainFormTest, SettingsTabOrderFollowsThePage) {
    form->ShowPage(1);
    const HWND order[] = {form->sCheckBox[2], form->sCheckBox[3], form->sCheckBox[4], form->sCheckBox[5],
                          form->sCheckBox[6], form->sCheckBox[7], form->sCheckBox[1], form->CheckListBox1,
                          form->sCheckBox[2]};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(GetNextDlgTabItem(form->TabSheet2, order[i], FALSE), order[i + 1]) << "after position " << i;
}

TEST_F(MainFormTest, ResultListIsEmptyWithItsColumnsAndGridLines) {
    EXPECT_EQ(SendMessageA(form->ListView1, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(GetResultList(), form->ListView1);
    const char* captions[] = {"Objects Found", "Status"};
    const int widths[] = {336, 156};
    for (int i = 0; i < 2; ++i) {
        char text[64] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = sizeof(text);
        ASSERT_TRUE(SendMessageA(form->ListView1, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(text, captions[i]);
        EXPECT_EQ(column.cx, Scaled(widths[i]));
    }
    DWORD extended = static_cast<DWORD>(SendMessageA(form->ListView1, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
    DWORD style = static_cast<DWORD>(GetWindowLongA(form->ListView1, GWL_STYLE));
    EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
    EXPECT_TRUE(style & LVS_NOSORTHEADER) << "clicking a heading does nothing";
}

TEST_F(MainFormTest, TabsHaveCaptionsIconsAndScanIsActive) {
    const char* captions[] = {"Scan", "Settings", "About"};
    ASSERT_EQ(SendMessageA(form->PageControl1, TCM_GETITEMCOUNT, 0, 0), 3);
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(form->PageControl1, TCM_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 3);
    // Each icon draws its picture on a white ground and leaves the ground around it.
    for (int i = 0; i < 3; ++i) {
        const int size = Scaled(16);
        BITMAPINFO info{};
        info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
        void* bits = nullptr;
        HBITMAP canvas = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(canvas, nullptr);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, canvas);
        auto* pixels = static_cast<DWORD*>(bits);
        std::fill(pixels, pixels + size * size, 0x00FFFFFFu);
        ImageList_Draw(images, i, dc, 0, 0, ILD_NORMAL);
        GdiFlush();
        const auto drawn = std::count_if(pixels, pixels + size * size, [](DWORD p) { return (p & 0xFFFFFF) != 0xFFFFFF; });
        EXPECT_GT(drawn, size * size / 8) << "icon " << i;
        EXPECT_GT(size * size - drawn, size * size / 8) << "icon " << i << " keeps its transparent ground";
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(canvas);
    }
    for (int i = 0; i < 3; ++i) {
        char text[32] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        ASSERT_TRUE(SendMessageA(form->PageControl1, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)));
        EXPECT_STREQ(text, captions[i]);
        EXPECT_EQ(item.iImage, i);
    }
    DWORD style = static_cast<DWORD>(GetWindowLongA(form->PageControl1, GWL_STYLE));
    EXPECT_TRUE(style & TCS_BUTTONS);
    EXPECT_TRUE(style & TCS_FLATBUTTONS);
    EXPECT_TRUE(style & TCS_MULTILINE);
    EXPECT_EQ(form->ActivePage(), 0);
    EXPECT_TRUE(GetWindowLongA(form->TabSheet1, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongA(form->TabSheet2, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongA(form->TabSheet3, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(MainFormTest, ClickingATabShowsOnlyItsPage) {
    ShowWindow(form->Handle(), SW_SHOW);
    const HWND pages[] = {form->TabSheet1, form->TabSheet2, form->TabSheet3};
    for (int tab : {1, 2, 0}) {
        SCOPED_TRACE(tab);
        RECT item{};
        SendMessageA(form->PageControl1, TCM_GETITEMRECT, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
        LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageA(form->PageControl1, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(form->PageControl1, WM_LBUTTONUP, 0, at);
        PumpMessages();
        EXPECT_EQ(form->ActivePage(), tab);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(IsWindowVisible(pages[i]) != FALSE, i == tab) << "page " << i;
    }
}

TEST_F(MainFormTest, StatusBarHasOnePanelWithANotice) {
    EXPECT_EQ(SendMessageA(form->StatusBar1, SB_GETPARTS, 0, 0), 1);
    char text[256] = {};
    SendMessageA(form->StatusBar1, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_NE(std::string(text).find("Zarvex"), std::string::npos) << text;
}

TEST_F(MainFormTest, MenuHasOpenReadMeHomePageAboutSeparatorAndExit) {
    HMENU bar = GetMenu(form->Handle());
    ASSERT_EQ(bar, form->MainMenu1);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    char text[64] = {};
    GetMenuStringA(bar, 0, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "Menu");
    HMENU menu = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(menu), 5);
    struct Item {
        const char* text;
        int id;
    };
    const Item items[] = {{"Open ReadMe", kOpenReadMe1Id}, {"Zarvex Home Page", kHomePage1Id},
                          {"About Zarvex", kAbout1Id}, {nullptr, 0}, {"Exit", kExit1Id}};
    for (UINT i = 0; i < std::size(items); ++i) {
        SCOPED_TRACE(i);
        if (!items[i].text) {
            EXPECT_TRUE(GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR);
            continue;
        }
        GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
        EXPECT_STREQ(text, items[i].text);
        EXPECT_EQ(GetMenuItemID(menu, static_cast<int>(i)), static_cast<UINT>(items[i].id));
    }
}

TEST_F(MainFormTest, PicturesAreDecodedAtTheirSizes) {
    struct Row {
        HWND picture;
        int width, height;
    };
    for (const Row& row : {Row{form->Image1, 505, 105}, Row{form->Image2, 201, 41}, Row{form->Image3, 0, 0}}) {
        auto bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrA(row.picture, GWLP_USERDATA));
        BITMAP info{};
        if (row.width == 0) {
            EXPECT_EQ(bitmap, nullptr) << "a click area has no picture";
            continue;
        }
        ASSERT_TRUE(bitmap && GetObjectA(bitmap, sizeof(info), &info));
        EXPECT_EQ(info.bmWidth, row.width);
        EXPECT_EQ(info.bmHeight, row.height);
    }
}

TEST_F(MainFormTest, HandCursorOverTheClickableControlsOnly) {
    const HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
    struct Row {
        const char* name;
        HWND control;
        bool hand;
    };
    for (const Row& row : {Row{"Image2", form->Image2, true}, Row{"Image3", form->Image3, true},
                           Row{"Label3", form->Label3, true}, Row{"Image1", form->Image1, false},
                           Row{"Label2", form->Label2, false}}) {
        SCOPED_TRACE(row.name);
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        SendMessageA(row.control, WM_SETCURSOR, reinterpret_cast<WPARAM>(row.control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor() == hand, row.hand);
    }
}

TEST_F(MainFormTest, TabReachesTheScanPictureAfterTheResultList) {
    EXPECT_TRUE(GetWindowLongA(form->Image2, GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(GetNextDlgTabItem(form->TabSheet1, form->ListView1, FALSE), form->Image2);
    EXPECT_EQ(GetNextDlgTabItem(form->TabSheet1, form->Image2, FALSE), form->ListView1);
}

int gPictureClicks = 0;

// A lambda has no stdcall form, which a 32-bit window procedure needs.
LRESULT CALLBACK CountPictureClicks(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED && LOWORD(wParam) == 77) ++gPictureClicks;
    return DefWindowProcA(window, message, wParam, lParam);
}

// Enter and Space press a picture reached with Tab, once per press; other keys do not.
TEST(PictureKeys, EnterAndSpacePressAPictureOncePerPress) {
    int& clicks = gPictureClicks;
    WNDCLASSA parentClass{};
    parentClass.lpfnWndProc = CountPictureClicks;
    parentClass.hInstance = GetModuleHandleA(nullptr);
    parentClass.lpszClassName = "ZarvexPictureKeysParent";
    RegisterClassA(&parentClass);
    HWND parent = CreateWindowExA(0, parentClass.lpszClassName, "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  parentClass.hInstance, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND picture = CreatePicture(parent, 77, 0, 0, 50, 20, nullptr);
    MakeTabStop(picture);

    struct Case { WPARAM key; LPARAM flags; bool wanted; int clicks; };
    const LPARAM repeat = 1 << 30;
    for (const Case& c : {Case{VK_RETURN, 0, true, 1}, Case{VK_SPACE, 0, true, 1}, Case{VK_SPACE, repeat, true, 0},
                          Case{VK_TAB, 0, false, 0}, Case{VK_DOWN, 0, false, 0}, Case{'A', 0, false, 0}}) {
        MSG key{picture, WM_KEYDOWN, c.key, c.flags};
        const LRESULT code = SendMessageA(picture, WM_GETDLGCODE, c.key, reinterpret_cast<LPARAM>(&key));
        EXPECT_EQ((code & DLGC_WANTMESSAGE) != 0, c.wanted) << "key " << c.key;
        clicks = 0;
        SendMessageA(picture, WM_KEYDOWN, c.key, c.flags);
        EXPECT_EQ(clicks, c.clicks) << "key " << c.key;
    }
    DestroyWindow(parent);
}

BOOL CALLBACK DescribeControl(HWND control, LPARAM parameter) {
    auto& out = *reinterpret_cast<std::string*>(parameter);
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetAncestor(control, GA_ROOT), reinterpret_cast<POINT*>(&rect), 2);
    out += ClassOf(control) + " #" + std::to_string(GetDlgCtrlID(control)) + " " + Describe(rect) + " \"" +
           WindowText(control) + "\" style " + std::to_string(GetWindowLongA(control, GWL_STYLE)) + " check " +
           std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0));
    if (GetDlgCtrlID(control) == kCheckListBox1Id) {
        for (int i = 0; i < CheckListCount(control); ++i) out += CheckListTicked(control, i) ? " 1" : " 0";
    }
    out += "\n";
    return TRUE;
}

// Every control of a window, in creation (tab) order, as the user and the scan see it.
std::string DescribeControls(HWND form) {
    std::string text;
    EnumChildWindows(form, DescribeControl, reinterpret_cast<LPARAM>(&text));
    return text;
}

// The program shows the Scan page first and makes the rest once the window has painted; the
// finished window must be the one created whole, ticked and filled by FormCreate.
TEST(MainFormCreation, ScanPageFirstThenFinishedIsTheWindowCreatedWhole) {
    InitControlsOnce();
    FileBesideProgram readMe("ReadMe.txt", "Read me first\r\nsecond line");
    std::string whole;
    {
        TForm1 form;
        whole = DescribeControls(form.Handle());
    }
    TForm1 form(TForm1::Build::ScanPageFirst);
    EXPECT_NE(form.ListView1, nullptr);
    EXPECT_NE(form.Image2, nullptr);
    EXPECT_EQ(form.CheckListBox1, nullptr);
    EXPECT_EQ(form.Memo1, nullptr);
    EXPECT_EQ(form.IEHTTP1, nullptr);
    EXPECT_FALSE(form.StartUpdateCheck()) << "no component to ask with yet";

    form.FinishCreation();
    EXPECT_EQ(DescribeControls(form.Handle()), whole);
    EXPECT_EQ(WindowText(form.Memo1), "Read me first\r\nsecond line");
    for (int i = 0; i < kProductCount; ++i) EXPECT_TRUE(form.ProductTicked(i)) << i;
    ASSERT_NE(form.IEHTTP1, nullptr);
    EXPECT_EQ(form.IEHTTP1->Timeout, 90);
    EXPECT_EQ(form.IEHTTP1->TotalTimeout, 90);
    EXPECT_TRUE(form.IEHTTP1->BlockingMode);
}

}  // namespace
