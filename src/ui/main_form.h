#pragma once
// ui: the windows and what they are made of: the main window with its pages, the About window,
// controls, pictures, links, the result list and the error box. Takes the user's clicks and shows
// the scan's and the update check's news; the work itself runs in scan and update.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/iehttp.h"
#include "scan/choice_counts.h"
#include "scan/scan.h"
#include "ui/form.h"
#include "ui/gdi_handles.h"
#include "update/update_check.h"

class ScanJob;
class UpdateJob;

// Control and menu identifiers of the main window.
enum MainFormId : int {
    kImage1Id = 100,
    kImage3Id,
    kPageControl1Id,
    kStatusBar1Id,
    kTabSheet1Id,
    kTabSheet2Id,
    kTabSheet3Id,
    kBevel2Id,
    kListView1Id,
    kImage2Id,
    kBevel1Id,
    kLabel2Id,
    kLabel1Id,
    kCheckListBox1Id,
    kBevel3Id,
    kLabel3Id,
    kMemo1Id,
    kDetectOnlyLabelId,
    kSCheckBoxFirstId = 200,  // sCheckBoxN is kSCheckBoxFirstId + N
    kOpenReadMe1Id = 300,
    kExit1Id,
    kHomePage1Id,  // the status bar's link, from the menu
    kAbout1Id,     // the banner's click area, from the menu
};

// The status bar's usual text, shown whenever no scan runs.
inline constexpr char kNoticeLine[] = "Zarvex " ZARVEX_VERSION_TEXT " - click here to visit the Zarvex home page";
// What the Scan page says under /detect, before any click.
inline constexpr char kDetectOnlyNotice[] =
    "Detect only: a scan looks and lists what removing would touch. It changes nothing.";

// The main window: banner, the "Scan", "Settings" and "About" pages, status bar and menu.
class TForm1 : public TForm {
public:
    // What the window is created with. The program shows the Scan page first and makes the rest
    // once it has painted, so the window appears sooner; until FinishCreation the hidden pages,
    // their controls and IEHTTP1 are null.
    enum class Build { Everything, ScanPageFirst };
    // Creates the window hidden; FormCreate runs inside.
    explicit TForm1(Build build = Build::Everything);
    ~TForm1() override;

    // The controls; page controls are children of their page.
    HWND Image1{}, Image3{}, PageControl1{}, StatusBar1{};
    HWND TabSheet1{}, TabSheet2{}, TabSheet3{};
    HWND Bevel2{}, ListView1{}, Image2{};
    HWND Bevel1{}, Label2{}, Label1{}, CheckListBox1{};
    HWND sCheckBox[kOptionCount + 1]{};  // sCheckBox[N] is sCheckBoxN, with its caption; [0] is unused
    HWND Bevel3{}, Label3{}, Memo1{};
    // On the Scan page beside the scan picture, shown only under /detect.
    HWND DetectOnlyLabel{};
    HMENU MainMenu1{};
    // Used only by the update check, on its own thread: Timeout 90, blocking, GET.
    std::unique_ptr<TIEHTTP> IEHTTP1;

    // The ticks: check-list item index (0 to 32) and option box N (1 to 7).
    bool ProductTicked(int index) const;
    bool OptionTicked(int n) const;
    // All the ticks at once, detect-only and /allusers: what a scan reads when it starts.
    ScanChoices Choices() const;
    void SetChoices(const ScanChoices& choices);
    // Command line /detect: every scan only looks and plans, and the Scan page says so, beside
    // the scan picture and in the picture's name, which a screen reader reads out.
    void SetDetectOnly(bool detectOnly);
    bool DetectOnly() const { return detectOnly_; }
    // Command line /allusers: every scan's options clean every user's folders.
    void SetCleanEveryUser(bool everyUser) { cleanEveryUser_ = everyUser; }

    // Empties the result list and starts a scan of Choices() on a worker thread; false, doing
    // nothing, while a scan runs. Rows and the status text arrive as the scan goes.
    bool StartScan();
    bool Scanning() const { return scan_ != nullptr; }
    // From now on StartScan does nothing: the command line's scan has ended, and its report
    // would hold no other.
    void LockScanning();
    // Called on the window's thread when a scan ends, after its rows and any error box.
    std::function<void(const ScanOutcome&)> OnScanDone;
    // "Exit" with no command-line scan: ends the program at once. The application sets it, as it
    // knows how the program ends; without it "Exit" closes the window.
    std::function<void()> OnExitNow;
    // Shows one page: 0 "Scan", 1 "Settings", 2 "About".
    void ShowPage(int index);
    int ActivePage() const;

    void TickAllProducts();
    // Makes what the first sight does not need: the Settings and About pages, ticked and filled
    // as FormCreate left them, and the update check's component. Once.
    void FinishCreation();

    // Handlers.
    void FormCreate();
    void Image2Click();
    void Image3Click();
    void StatusBar1Click();
    void Label3Click();
    void OpenReadMe1Click();
    void Exit1Click();
    // The update check: asks the update server on a thread of its own; the window shows the
    // question or the error box when the answer comes. Started once the window is first shown;
    // false while a check runs.
    bool StartUpdateCheck();
    bool UpdateCheckRunning() const { return update_ != nullptr; }
    // Command line /noupdate: the window shows without asking the update server.
    void SkipUpdateCheck() { checkWhenShown_ = false; }
    bool UpdateCheckStarted() const { return updateCheckStarted_; }
    // What the last update check that ended came to; null while none has.
    const UpdateOutcome* UpdateResult() const { return updateResult_ ? &*updateResult_ : nullptr; }
    // Called once, on the window's thread, when an update check ends, instead of its question or
    // error box: set while a command-line scan that has ended waits for the check.
    std::function<void(const UpdateOutcome&)> OnUpdateDone;
    // The status bar's text until the next status a scan sets.
    void SetStatusText(const std::string& text);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void CreateScanPage();
    void CreateSettingsPage();
    void CreateAboutPage();
    void CreateTabs();
    void CreateUpdateComponent();
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR& header);
    void OnClose();
    void TakeScanEvents();
    void ShowNotices(const std::vector<std::string>& notices);
    // The scan's end as the window takes it: settings unlocked, status restored, the error box,
    // OnScanDone, and the end of the program when it was closed meanwhile.
    void ScanEnded(const ScanOutcome& outcome);
    // The Settings page's boxes take no clicks while a scan runs.
    void LockSettings(bool locked);
    // The scan picture's name: what it does, and under /detect the notice.
    std::string ScanPictureName() const;
    void TakeUpdateOutcome();
    // Boxes of the scan and of the update check come one after the other, never on top of each other.
    void ShowBoxInTurn(std::function<void()> box);

    std::unique_ptr<ScanJob> scan_;
    std::unique_ptr<UpdateJob> update_;
    std::optional<UpdateOutcome> updateResult_;
    // What the status bar says whenever no scan runs: the notice line, or the update check's note.
    std::string idleStatus_ = kNoticeLine;
    bool createEverything_ = true;
    std::string readMeText_;       // for the About page when it is built after FormCreate
    bool checkWhenShown_ = false;  // FormCreate ran to its end
    bool updateCheckStarted_ = false;
    bool endAfterScan_ = false;   // the window was closed during the scan
    bool exitAfterScan_ = false;  // "Exit" was chosen during the scan
    bool boxShowing_ = false;
    bool detectOnly_ = false;
    bool cleanEveryUser_ = false;
    bool scanningLocked_ = false;  // LockScanning
    std::vector<std::function<void()>> waitingBoxes_;

    UniqueFont defaultFont_;
    UniqueFont headingFont_;  // made with the Settings page
    UniqueFont linkFont_;     // made with the About page
    UniqueFont noticeFont_;
    UniqueBitmap banner_;
    UniqueBitmap scanButton_;
    UniqueImageList ImageList1_;
};

// The application's main window while the program runs (null before and after).
extern TForm1* Form1;
