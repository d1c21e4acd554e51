#include "ui/main_form.h"

#include <commctrl.h>

#include <utility>

#include "scan/scan_job.h"
#include "system/files.h"
#include "system/folders.h"
#include "ui/check_list.h"
#include "ui/controls.h"
#include "ui/jpeg_picture.h"
#include "ui/main_form_messages.h"
#include "ui/resource_ids.h"
#include "ui/result_rows.h"
#include "update/update_job.h"

TForm1* Form1 = nullptr;

namespace {

// The sizing frame gives the window its outer size; the form keeps that size fixed.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN;

HMENU CreateMainMenu() {
    HMENU bar = CreateMenu();
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kOpenReadMe1Id, "Open ReadMe");
    // What the status bar's link and the banner's click area do, for the keyboard.
    AppendMenuA(menu, MF_STRING, kHomePage1Id, "Zarvex Home Page");
    AppendMenuA(menu, MF_STRING, kAbout1Id, "About Zarvex");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kExit1Id, "Exit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "Menu");
    return bar;
}

void DrawRule(const DRAWITEMSTRUCT& item) {
    RECT rect = item.rcItem;
    FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(item.hDC, &rect, EDGE_ETCHED, BF_TOP);
}

}  // namespace

TForm1::TForm1(Build build)
    : createEverything_(build == Build::Everything),
      defaultFont_(MakeFont("MS Sans Serif", 11, false, false)),
      noticeFont_(MakeFont("MS Sans Serif", 11, true, false)),
      banner_(LoadJpegResource(IDR_BANNER)),
      scanButton_(LoadJpegResource(IDR_SCAN_BUTTON)) {
    if (createEverything_) CreateUpdateComponent();
    MainMenu1 = CreateMainMenu();
    CreateFormWindow("TForm1", "Zarvex", kStyle, 505, 462, MainMenu1, nullptr);
}

void TForm1::CreateUpdateComponent() {
    IEHTTP1 = std::make_unique<TIEHTTP>();
    IEHTTP1->Timeout = 90;
    // Timeout counts from the last progress, so a server that drips a byte now and then would hold
    // the check for ever; the whole check gets the same span from its start.
    IEHTTP1->TotalTimeout = 90;
    IEHTTP1->TimerIntervalSeconds = 0;
    IEHTTP1->BlockingMode = true;
    IEHTTP1->SetRequestMethod(L"GET");
    IEHTTP1->SetMultipartPOST(false);
}

TForm1::~TForm1() {
    // A scan still running ends after the removal in progress; a check still asking is aborted.
    scan_.reset();
    update_.reset();
    if (GetResultList() == ListView1) SetResultList(nullptr);
    DestroyFormWindow();
}

bool TForm1::ProductTicked(int index) const { return CheckListTicked(CheckListBox1, index); }

bool TForm1::OptionTicked(int n) const {
    if (n < 1 || n > kOptionCount) return false;
    return SendMessageA(sCheckBox[n], BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm1::ShowPage(int index) {
    SendMessageA(PageControl1, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    HWND pages[] = {TabSheet1, TabSheet2, TabSheet3};
    for (int i = 0; i < 3; ++i) {
        if (pages[i]) ShowWindow(pages[i], i == index ? SW_SHOW : SW_HIDE);
    }
}

ScanChoices TForm1::Choices() const {
    ScanChoices choices;
    for (int n = 1; n <= kOptionCount; ++n) choices.options[n] = OptionTicked(n);
    for (int i = 0; i < kProductCount; ++i) choices.products[i] = ProductTicked(i);
    choices.detectOnly = detectOnly_;
    choices.cleanEveryUser = cleanEveryUser_;
    return choices;
}

void TForm1::SetDetectOnly(bool detectOnly) {
    detectOnly_ = detectOnly;
    ShowWindow(DetectOnlyLabel, detectOnly ? SW_SHOW : SW_HIDE);
    SetWindowTextA(Image2, ScanPictureName().c_str());
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, Image2, OBJID_CLIENT, CHILDID_SELF);
}

std::string TForm1::ScanPictureName() const {
    return detectOnly_ ? std::string("Scan. ") + kDetectOnlyNotice : std::string("Scan");
}

void TForm1::SetChoices(const ScanChoices& choices) {
    for (int n = 1; n <= kOptionCount; ++n)
        SendMessageA(sCheckBox[n], BM_SETCHECK, choices.options[n] ? BST_CHECKED : BST_UNCHECKED, 0);
    for (int i = 0; i < kProductCount; ++i) CheckListSetTicked(CheckListBox1, i, choices.products[i]);
}

int TForm1::ActivePage() const { return static_cast<int>(SendMessageA(PageControl1, TCM_GETCURSEL, 0, 0)); }

void TForm1::TickAllProducts() {
    int count = CheckListCount(CheckListBox1);
    for (int i = 0; i < count; ++i) CheckListSetTicked(CheckListBox1, i, true);
}

void TForm1::FormCreate() {
    TickAllProducts();
    std::string readMe = GetAppFolder() + "ReadMe.txt";
    if (IsExistingFile(readMe)) readMeText_ = ReadWholeFile(readMe);
    if (Memo1) SetWindowTextA(Memo1, std::exchange(readMeText_, {}).c_str());
    // Last, so an error above skips it; it asks the network only once the window is shown.
    checkWhenShown_ = true;
}

void TForm1::FinishCreation() {
    if (IEHTTP1) return;
    CreateSettingsPage();
    CreateAboutPage();
    // What FormCreate did before these pages were there.
    TickAllProducts();
    SetWindowTextA(Memo1, std::exchange(readMeText_, {}).c_str());
    CreateUpdateComponent();
}

void TForm1::Exit1Click() {
    // At once, without closing windows or any clean-up of ours; but never in the middle of a
    // removal: during a scan the end waits for the removal in progress. A command-line scan ends
    // through the message loop, with its own code and report.
    if (!scan_ && !OnScanDone && OnExitNow) OnExitNow();
    exitAfterScan_ = true;
    OnClose();
}

void TForm1::OnClose() {
    if (!scan_) {
        DestroyWindow(Handle());
        return;
    }
    endAfterScan_ = true;
    scan_->RequestStop();
    SetStatusText("Stopping after the removal in progress...");
}

void TForm1::ShowBoxInTurn(std::function<void()> box) {
    waitingBoxes_.push_back(std::move(box));
    if (boxShowing_) return;
    boxShowing_ = true;
    while (!waitingBoxes_.empty()) {
        std::function<void()> next = std::move(waitingBoxes_.front());
        waitingBoxes_.erase(waitingBoxes_.begin());
        next();
    }
    boxShowing_ = false;
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        FormCreate();
        return 0;
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_SHOWWINDOW:
        // Posted, so the window paints before the check begins.
        if (wParam && checkWhenShown_ && !updateCheckStarted_) PostMessageA(Handle(), kStartUpdateCheckMessage, 0, 0);
        break;
    case kStartUpdateCheckMessage:
        // /noupdate may have come after the window showed.
        if (checkWhenShown_ && !updateCheckStarted_) StartUpdateCheck();
        return 0;
    case kFinishCreationMessage:
        FinishCreation();
        return 0;
    case kUpdateDoneMessage:
        TakeUpdateOutcome();
        return 0;
    case kScanEventsMessage:
        TakeScanEvents();
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_DRAWITEM:
        DrawRule(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == Label3) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 255));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

LRESULT TForm1::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const bool clicked = HIWORD(wParam) == STN_CLICKED;
    if (lParam == 0) {  // menu
        if (id == kOpenReadMe1Id) OpenReadMe1Click();
        else if (id == kExit1Id) Exit1Click();
        else if (id == kHomePage1Id) StatusBar1Click();
        else if (id == kAbout1Id) Image3Click();
        return 0;
    }
    if (clicked && id == kImage2Id) Image2Click();
    else if (clicked && id == kImage3Id) Image3Click();
    else if (clicked && id == kLabel3Id) Label3Click();
    return 0;
}

LRESULT TForm1::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == StatusBar1 && header.code == NM_CLICK) StatusBar1Click();
    else if (header.hwndFrom == PageControl1 && header.code == TCN_SELCHANGE) ShowPage(ActivePage());
    return 0;
}
