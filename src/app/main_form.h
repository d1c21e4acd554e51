#pragma once
#include <windows.h>

#include <memory>

#include "app/form.h"
#include "app/gdi_handles.h"
#include "net/iehttp.h"

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
    kSCheckBoxFirstId = 200,  // sCheckBoxN is kSCheckBoxFirstId + N
    kSLabelFirstId = 220,     // sLabelN is kSLabelFirstId + N
    kOpenReadMe1Id = 300,
    kExit1Id,
};

constexpr int kProductCount = 33;
constexpr int kOptionCount = 7;

// The main window: banner, the "Scan", "Settings" and "About" pages, status bar and menu.
class TForm1 : public TForm {
public:
    // Creates the window hidden with every control; FormCreate runs inside.
    TForm1();
    ~TForm1() override;

    // The controls, named as in the design; page controls are children of their page.
    HWND Image1{}, Image3{}, PageControl1{}, StatusBar1{};
    HWND TabSheet1{}, TabSheet2{}, TabSheet3{};
    HWND Bevel2{}, ListView1{}, Image2{};
    HWND Bevel1{}, Label2{}, Label1{}, CheckListBox1{};
    HWND sCheckBox[kOptionCount + 1]{};  // sCheckBox[N] is sCheckBoxN; [0] is unused
    HWND sLabel[kOptionCount + 1]{};
    HWND Bevel3{}, Label3{}, Memo1{};
    HMENU MainMenu1{};
    // Used only by the update check: Timeout 90, blocking, GET.
    std::unique_ptr<TIEHTTP> IEHTTP1;

    // What the scan reads: check-list item index (0 to 32) and option box N (1 to 7).
    bool ProductTicked(int index) const;
    bool OptionTicked(int n) const;
    // Shows one page: 0 "Scan", 1 "Settings", 2 "About".
    void ShowPage(int index);
    int ActivePage() const;

    void TickAllProducts();

    // Handlers.
    void FormCreate();
    void Image2Click();
    void Image3Click();
    void StatusBar1Click();
    void Label3Click();
    void OpenReadMe1Click();
    void Exit1Click();
    // The update check, the last step of FormCreate.
    void CheckForUpdate();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void CreateScanPage();
    void CreateSettingsPage();
    void CreateAboutPage();
    void CreateTabs();
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR& header);

    UniqueFont defaultFont_;
    UniqueFont headingFont_;
    UniqueFont linkFont_;
    UniqueBitmap banner_;
    UniqueBitmap scanButton_;
    UniqueImageList ImageList1_;
};

// The application's main window while the program runs (null before and after).
extern TForm1* Form1;
