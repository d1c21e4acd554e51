// The windows as a screen reader and a keyboard user meet them: a name for every control that
// takes the focus, read through oleacc from another process; Tab order that follows the screen;
// the About text lets Tab and Escape go; and the layout at 100, 150 and 200 %.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "system/files.h"
#include "system/folders.h"
#include "tools/window_png.h"
#include "ui/about_form.h"
#include "ui/check_list.h"
#include "ui/controls.h"
#include "ui/main_form.h"

namespace {

struct Accessible {
    long role = -1;
    long state = 0;
    std::string name;
};

// What zarvex-accessible-names, a process of its own, reads through oleacc for each window. The
// windows' thread keeps answering meanwhile: oleacc asks them with messages.
std::map<HWND, Accessible> ReadAccessible(const std::vector<HWND>& windows) {
    const std::string out = GetTempFolder() + "zarvex-accessible-names.txt";
    DeleteFileA(out.c_str());
    std::wstring arguments = L"\"" + std::wstring(out.begin(), out.end()) + L"\"";
    for (HWND window : windows) {
        wchar_t hex[32];
        swprintf(hex, 32, L" %llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
        arguments += hex;
    }
    StartedProgram reader("zarvex-accessible-names.exe", arguments);
    EXPECT_TRUE(reader.Started());
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(reader.Process(), 0) == WAIT_OBJECT_0; }, 60000));
    EXPECT_EQ(reader.ExitCode(), 0u);
    std::map<HWND, Accessible> read;
    std::istringstream lines(IsExistingFile(out) ? ReadWholeFile(out) : std::string());
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string hex, role, state, name;
        std::getline(fields, hex, '\t');
        std::getline(fields, role, '\t');
        std::getline(fields, state, '\t');
        std::getline(fields, name);
        HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(hex.c_str(), nullptr, 16)));
        read[window] = Accessible{std::atol(role.c_str()), std::atol(state.c_str()), name};
    }
    DeleteFileA(out.c_str());
    return read;
}

// The controls Tab visits in the window, in its order, starting after the given one.
std::vector<HWND> TabCycle(HWND root, HWND start) {
    std::vector<HWND> cycle{start};
    for (HWND next = GetNextDlgTabItem(root, start, FALSE); next && next != start && cycle.size() < 64;
         next = GetNextDlgTabItem(root, next, FALSE))
        cycle.push_back(next);
    return cycle;
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// Reading order: what lies wholly above comes first; side by side, the left one does.
bool ReadsBefore(HWND a, HWND b) {
    const RECT ra = ScreenRect(a), rb = ScreenRect(b);
    if (ra.bottom <= rb.top) return true;
    if (rb.bottom <= ra.top) return false;
    return ra.left < rb.left;
}

std::string Name(HWND window) {
    return ClassOf(window) + " #" + std::to_string(GetDlgCtrlID(window)) + " \"" + WindowText(window).substr(0, 40) + "\"";
}

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitControlsOnce();
        form = std::make_unique<TForm1>();
        about = std::make_unique<TForm2>(form->Handle());
        ShowWindow(form->Handle(), SW_SHOW);
        PumpMessages();
    }
    void TearDown() override {
        about.reset();
        form.reset();
    }

    FileBesideProgram readMe{"ReadMe.txt", "Zarvex\r\nThe read-me.\r\n"};
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> about;
};

// Every page: each control Tab reaches has a name and a role as oleacc reads them from another
// process, and Tab goes through them in reading order. The tab strip comes first.
TEST_F(AccessibilityTest, EveryFocusableControlIsNamedAndTabFollowsTheScreen) {
    struct Page {
        int index;
        std::vector<std::pair<HWND, std::string>> named;  // the controls Tab reaches and their names
    };
    const Page pages[] = {
        {0, {{form->ListView1, "Scan results"}, {form->Image2, "Scan"}}},
        {1,
         {{form->sCheckBox[2], "Clear Cookies Folder"},
          {form->sCheckBox[3], "Clear Temporary Internet Files Folder"},
          {form->sCheckBox[4], "Clear Temp Folder"},
          {form->sCheckBox[5], "Clear Windows Temp Folder"},
          {form->sCheckBox[6], "Clear MUICache"},
          {form->sCheckBox[7], "Empty RecycleBin"},
          {form->sCheckBox[1], "Clear BHO (Browser Helper Objects)"},
          {form->CheckListBox1, "Software to remove"}}},
        {2, {{form->Label3, "zarvex-av.example"}, {form->Memo1, "Read me"}}},
    };
    for (const Page& page : pages) {
        SCOPED_TRACE("page " + std::to_string(page.index));
        form->ShowPage(page.index);
        PumpMessages();
        std::vector<HWND> cycle = TabCycle(form->Handle(), form->PageControl1);
        ASSERT_EQ(cycle.size(), page.named.size() + 1);
        std::vector<HWND> reading(cycle.begin() + 1, cycle.end());
        std::stable_sort(reading.begin(), reading.end(), ReadsBefore);
        for (size_t i = 0; i < reading.size(); ++i) {
            EXPECT_EQ(cycle[i + 1], reading[i]) << "Tab stop " << i << " is " << Name(cycle[i + 1]) << ", on screen "
                                                << Name(reading[i]);
            EXPECT_EQ(cycle[i + 1], page.named[i].first) << "Tab stop " << i << " is " << Name(cycle[i + 1]);
        }
        const std::map<HWND, Accessible> read = ReadAccessible(cycle);
        for (HWND control : cycle) {
            SCOPED_TRACE(Name(control));
            ASSERT_EQ(read.count(control), 1u);
            EXPECT_FALSE(read.at(control).name.empty());
            EXPECT_GT(read.at(control).role, 0);
        }
        for (const auto& [control, name] : page.named) EXPECT_EQ(read.at(control).name, name) << Name(control);
        EXPECT_EQ(read.at(form->PageControl1).name, "Pages");
    }
}

// The About window's one control, the home-page area, has its name and takes the focus when the
// window shows, so Enter opens the home page.
TEST_F(AccessibilityTest, AboutWindowsLinkIsNamedAndFocused) {
    Form2 = about.get();
    about->ShowAbout();
    PumpMessages();
    EXPECT_TRUE(GetWindowLongA(about->Image2, GWL_STYLE) & WS_TABSTOP);
    EXPECT_EQ(GetFocus(), about->Image2);
    const std::map<HWND, Accessible> read = ReadAccessible({about->Image2});
    ASSERT_EQ(read.count(about->Image2), 1u);
    EXPECT_EQ(read.at(about->Image2).name, "zarvex-av.example home page");
    Form2 = nullptr;
}

// Under /detect the scan picture's name carries the notice, so it is heard where the scan starts.
TEST_F(AccessibilityTest, DetectOnlyNoticeIsInTheScanPicturesName) {
    form->SetDetectOnly(true);
    std::map<HWND, Accessible> read = ReadAccessible({form->Image2});
    EXPECT_EQ(read[form->Image2].name, std::string("Scan. ") + kDetectOnlyNotice);
    form->SetDetectOnly(false);
    read = ReadAccessible({form->Image2});
    EXPECT_EQ(read[form->Image2].name, "Scan");
}

MSG Key(HWND window, UINT message, WPARAM key) { return MSG{window, message, key, 1}; }

// What the message loop does with a key: the dialog manager first, as the application's loop.
bool ThroughDialogManager(HWND root, MSG message) {
    if (IsDialogMessageA(root, &message)) return true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return false;
}

void PressKey(HWND root, HWND target, WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE saved = keys[VK_SHIFT];
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    ThroughDialogManager(root, Key(target, WM_KEYDOWN, key));
    ThroughDialogManager(root, Key(target, WM_CHAR, key == VK_ESCAPE ? 0x1B : key == VK_TAB ? '\t' : key));
    ThroughDialogManager(root, Key(target, WM_KEYUP, key));
    PumpMessages();
    keys[VK_SHIFT] = saved;
    SetKeyboardState(keys);
}

// In the read-me text, Tab and Shift+Tab leave for the next and the previous control, and Escape
// leaves the page and the text as they were.
TEST_F(AccessibilityTest, ReadMeTextLetsTabAndEscapeGo) {
    form->ShowPage(2);
    SetForegroundWindow(form->Handle());
    SetFocus(form->Memo1);
    ASSERT_EQ(GetFocus(), form->Memo1);
    const std::string text = WindowText(form->Memo1);

    PressKey(form->Handle(), form->Memo1, VK_TAB);
    EXPECT_EQ(GetFocus(), GetNextDlgTabItem(form->Handle(), form->Memo1, FALSE)) << Name(GetFocus());
    EXPECT_NE(GetFocus(), form->Memo1);

    SetFocus(form->Memo1);
    PressKey(form->Handle(), form->Memo1, VK_TAB, true);
    EXPECT_EQ(GetFocus(), form->Label3) << Name(GetFocus());

    SetFocus(form->Memo1);
    PressKey(form->Handle(), form->Memo1, VK_ESCAPE);
    EXPECT_TRUE(IsWindow(form->TabSheet3));
    EXPECT_TRUE(IsWindow(form->Memo1));
    EXPECT_TRUE(IsWindowVisible(form->TabSheet3));
    EXPECT_EQ(WindowText(form->Memo1), text) << "no tab or escape character typed into it";

    // Whatever asks a page to close, it stays.
    SendMessageA(form->TabSheet3, WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindow(form->TabSheet3));
}

// The product list is the system's list view with check boxes: each product an item by its name,
// its tick a state that the list view reports, and Space ticks the focused one.
TEST_F(AccessibilityTest, ProductListIsAListViewWithCheckBoxesThatSpaceTicks) {
    EXPECT_EQ(ClassOf(form->CheckListBox1), WC_LISTVIEWA);
    EXPECT_TRUE(SendMessageA(form->CheckListBox1, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);
    form->ShowPage(1);
    SetForegroundWindow(form->Handle());
    SetFocus(form->CheckListBox1);
    LVITEMA focus{};
    focus.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    focus.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(form->CheckListBox1, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&focus));
    ASSERT_TRUE(form->ProductTicked(3));
    PressKey(form->Handle(), form->CheckListBox1, VK_SPACE);
    EXPECT_FALSE(form->ProductTicked(3));
    EXPECT_TRUE(form->ProductTicked(2));
    EXPECT_TRUE(form->ProductTicked(4));
    EXPECT_EQ(SendMessageA(form->CheckListBox1, LVM_GETITEMSTATE, 3, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
    PressKey(form->Handle(), form->CheckListBox1, VK_SPACE);
    EXPECT_TRUE(form->ProductTicked(3));
    EXPECT_EQ(SendMessageA(form->CheckListBox1, LVM_GETITEMSTATE, 3, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    char text[64] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(form->CheckListBox1, LVM_GETITEMTEXTA, 3, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "SpyProtector");
    // Wine's oleacc gives a list view no items; Windows' gives each its name and its checked state.
}

// The About window, the home page and the read-me are all in the menu, for the keyboard.
TEST_F(AccessibilityTest, MenuReachesTheAboutWindowAndTheHomePage) {
    Form2 = about.get();
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(kAbout1Id, 0), 0);
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(about->Handle()));
    Form2 = nullptr;
}

// The link on the About page is reached with Tab and followed with Enter.
TEST_F(AccessibilityTest, HomePageLinkTakesTheFocusAndEnter) {
    ShellOpenRecorder opened;
    ASSERT_TRUE(opened.Ready());
    form->ShowPage(2);
    EXPECT_TRUE(GetWindowLongA(form->Label3, GWL_STYLE) & WS_TABSTOP);
    SetForegroundWindow(form->Handle());
    SetFocus(form->Label3);
    PressKey(form->Handle(), form->Label3, VK_RETURN);
    EXPECT_EQ(opened.WaitForTargets(1), std::vector<std::string>{"http://zarvex-av.example"});
}

// ---- Layout at 100, 150 and 200 %: each scale runs in a process of its own, as Wine reads the
// screen's DPI once per process.

constexpr char kDpiVariable[] = "ZARVEX_TEST_DPI";

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT common{};
    return IntersectRect(&common, &a, &b) != FALSE;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// The text's extent in the control's own font, wrapped to the width when wrap is set.
SIZE TextExtent(HWND control, const std::string& text, int wrapWidth) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT bounds{0, 0, wrapWidth, 0};
    DrawTextA(dc, text.c_str(), -1, &bounds,
              DT_CALCRECT | DT_NOPREFIX | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}

bool IsPage(HWND window) { return ClassOf(window) == "TTabSheet"; }

// Each visible child lies inside its parent; no two visible siblings overlap (a page lies on the
// tab control, inside it); each caption fits its control.
void CheckLayout(HWND parent) {
    RECT client{};
    GetClientRect(parent, &client);
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) children.push_back(child);
    for (size_t i = 0; i < children.size(); ++i) {
        HWND child = children[i];
        const RECT rect = RectInParent(child);
        EXPECT_TRUE(Inside(rect, client)) << Name(child) << " " << Describe(rect) << " outside " << Describe(client);
        for (size_t j = i + 1; j < children.size(); ++j) {
            HWND other = children[j];
            const RECT otherRect = RectInParent(other);
            const bool pageOnTabs = (IsPage(child) && ClassOf(other) == WC_TABCONTROLA) ||
                                    (IsPage(other) && ClassOf(child) == WC_TABCONTROLA);
            if (pageOnTabs) EXPECT_TRUE(Inside(IsPage(child) ? rect : otherRect, IsPage(child) ? otherRect : rect));
            else EXPECT_FALSE(Overlap(rect, otherRect)) << Name(child) << " " << Describe(rect) << " and " << Name(other)
                                                        << " " << Describe(otherRect);
        }
        const std::string kind = ClassOf(child);
        const std::string text = WindowText(child);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(kind.c_str(), "Static") == 0 && !text.empty() && (style & SS_TYPEMASK) != SS_OWNERDRAW) {
            const bool wraps = (style & SS_TYPEMASK) == SS_LEFT && rect.bottom - rect.top > 2 * TextExtent(child, "X", 0).cy;
            const SIZE extent = TextExtent(child, text, wraps ? rect.right - rect.left : 0);
            EXPECT_LE(extent.cx, rect.right - rect.left) << Name(child);
            EXPECT_LE(extent.cy, rect.bottom - rect.top) << Name(child);
        }
        if (lstrcmpiA(kind.c_str(), "Button") == 0) {
            const SIZE extent = TextExtent(child, text, 0);
            // The tick box and its gap before the caption: 13 and 4 pixels at 100 %.
            EXPECT_LE(extent.cx + Scaled(13) + Scaled(4), rect.right - rect.left) << Name(child);
            EXPECT_LE(extent.cy, rect.bottom - rect.top) << Name(child);
        }
        if (!IsPage(child) && kind != "TImage") continue;
        CheckLayout(child);
    }
}

void SavePicture(HWND window, const std::string& folder, const char* name) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 10; ++i) {
        PumpMessages();
        Sleep(50);
    }
    EXPECT_TRUE(SaveWindowPng(window, folder + name)) << folder + name;
}

// Runs in the process that the test below starts at each scale. Also saves each page and the
// About window as the screen shows them: %TEMP%\zarvex-screens\<dpi>\.
TEST(LayoutAtThisDpi, NothingOutsideItsParentOrOverlapping) {
    const char* wanted = std::getenv(kDpiVariable);
    if (!wanted) GTEST_SKIP() << "run by LayoutAtThreeScales in a process of its own";
    ASSERT_EQ(ScreenDpi(), std::atoi(wanted)) << "the screen's DPI as the prefix sets it";
    InitControlsOnce();
    FileBesideProgram readMe("ReadMe.txt", "Zarvex\r\n\r\nThe read-me text is shown here.\r\n");
    TForm1 form;
    TForm2 about(form.Handle());
    form.SetDetectOnly(true);
    const std::string folder = GetTempFolder() + "zarvex-screens\\" + wanted + "\\";
    CreateDirectoryA((GetTempFolder() + "zarvex-screens").c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    ShowWindow(form.Handle(), SW_SHOW);
    const char* names[] = {"scan.png", "settings.png", "about-page.png"};
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        form.ShowPage(page);
        PumpMessages();
        CheckLayout(form.Handle());
        for (int tab = 0; tab < 3; ++tab) {
            RECT button{};
            SendMessageA(form.PageControl1, TCM_GETITEMRECT, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&button));
            RECT tabs{};
            GetClientRect(form.PageControl1, &tabs);
            EXPECT_TRUE(Inside(button, tabs)) << "tab " << tab;
        }
        SavePicture(form.Handle(), folder, names[page]);
    }
    char status[256] = {};
    SendMessageA(form.StatusBar1, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(status));
    EXPECT_LE(TextExtent(form.StatusBar1, status, 0).cx, RectInParent(form.StatusBar1).right);
    about.ShowAbout();
    CheckLayout(about.Handle());
    SavePicture(about.Handle(), folder, "about-window.png");
}

// Where Wine keeps the screen's DPI: the user's setting and the current hardware profile's.
struct DpiSetting {
    HKEY root;
    const char* key;
};
const DpiSetting kDpiSettings[] = {
    {HKEY_CURRENT_USER, "Control Panel\\Desktop"},
    {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"},
};

// The DPI settings as they were, put back when the test ends.
class SavedDpiSettings {
public:
    SavedDpiSettings() {
        for (const DpiSetting& setting : kDpiSettings) {
            DWORD value = 0, size = sizeof(value);
            const bool had = RegGetValueA(setting.root, setting.key, "LogPixels", RRF_RT_REG_DWORD, nullptr, &value,
                                          &size) == ERROR_SUCCESS;
            saved_.push_back({had, value});
        }
    }
    ~SavedDpiSettings() {
        for (size_t i = 0; i < saved_.size(); ++i) {
            if (saved_[i].first) Set(i, saved_[i].second);
            else RegDeleteKeyValueA(kDpiSettings[i].root, kDpiSettings[i].key, "LogPixels");
        }
    }
    static bool Set(size_t i, DWORD dpi) {
        return RegSetKeyValueA(kDpiSettings[i].root, kDpiSettings[i].key, "LogPixels", REG_DWORD, &dpi, sizeof(dpi)) ==
               ERROR_SUCCESS;
    }

private:
    std::vector<std::pair<bool, DWORD>> saved_;
};

TEST(LayoutAtThreeScales, NothingOutsideItsParentOrOverlapping) {
    if (std::getenv(kDpiVariable)) GTEST_SKIP() << "the process started at one scale";
    SavedDpiSettings saved;
    for (DWORD dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        for (size_t i = 0; i < std::size(kDpiSettings); ++i) ASSERT_TRUE(SavedDpiSettings::Set(i, dpi));
        SetEnvironmentVariableA(kDpiVariable, std::to_string(dpi).c_str());
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        const std::string exe = self;
        StartedProgram run(exe.substr(exe.find_last_of('\\') + 1), L"--gtest_filter=LayoutAtThisDpi.*");
        SetEnvironmentVariableA(kDpiVariable, nullptr);
        ASSERT_TRUE(run.Started());
        ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(run.Process(), 0) == WAIT_OBJECT_0; }, 180000));
        EXPECT_EQ(run.ExitCode(), 0u) << "the layout at " << dpi << " DPI: see the output above";
    }
}

}  // namespace
