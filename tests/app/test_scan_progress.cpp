// A scan off the window's thread, through the main window: the window answers throughout, the
// status bar tells what is done, rows come as each verdict is known, the scan picture is refused
// while a scan runs, and closing waits for the removal in progress. Also the settle wait between
// a removal and the second detection.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app_test_support.h"
#include "support/planting.h"
#include "support/rogue_planting.h"
#include "support/scan_window.h"
#include "support/test_paths.h"
#include "system/folders.h"
#include "system/handles.h"
#include "ui/main_form.h"

namespace {

// Every status text the window sets while the hook lives, with the number of rows at that moment.
struct StatusSeen {
    std::string text;
    int rows;
};

class StatusRecorder {
public:
    explicit StatusRecorder(TForm1& form) : form_(form) {
        current = this;
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, Record, nullptr, GetCurrentThreadId());
    }
    ~StatusRecorder() {
        if (hook_) UnhookWindowsHookEx(hook_);
        current = nullptr;
    }
    StatusRecorder(const StatusRecorder&) = delete;
    StatusRecorder& operator=(const StatusRecorder&) = delete;

    bool Ready() const { return hook_ != nullptr; }
    std::vector<StatusSeen> seen;
    // The first recorded text that starts with the prefix, or null.
    const StatusSeen* Find(const std::string& prefix) const {
        for (const StatusSeen& status : seen)
            if (status.text.compare(0, prefix.size(), prefix) == 0) return &status;
        return nullptr;
    }

private:
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && current && call->hwnd == current->form_.StatusBar1 && call->message == SB_SETTEXTA) {
            int rows = static_cast<int>(SendMessageA(current->form_.ListView1, LVM_GETITEMCOUNT, 0, 0));
            current->seen.push_back({reinterpret_cast<const char*>(call->lParam), rows});
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline StatusRecorder* current = nullptr;
    TForm1& form_;
    HHOOK hook_ = nullptr;
};

// From another thread, asks the window again and again whether it answers, until stopped.
class Prober {
public:
    explicit Prober(HWND window)
        : thread_([this, window] {
              while (!stop_) {
                  DWORD_PTR result = 0;
                  // A generous limit: a window that waits for a removal step takes a second or more.
                  if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) ++unanswered;
                  ++asked;
                  Sleep(20);
              }
          }) {}
    ~Prober() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::atomic<int> asked{0};
    std::atomic<int> unanswered{0};

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string StatusText(TForm1& form) { return WindowText(form.StatusBar1); }

class ScanProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scan.Created());
        scan.TickAllProducts(false);
    }
    ScanWindow scan;
};

TEST_F(ScanProgressTest, WindowAnswersShowsProgressAddsRowsAsTheyComeAndRefusesASecondScan) {
    Planting planting;
    PlantDetectedTraces(EntryAtIndex(5), planting);
    PlantDetectedTraces(EntryAtIndex(6), planting);
    scan.TickProduct(5, true);
    scan.TickProduct(6, true);
    StatusRecorder statuses(scan.Form());
    ASSERT_TRUE(statuses.Ready());
    Prober prober(scan.Form().Handle());

    scan.PressScanPicture();
    ASSERT_TRUE(scan.Form().Scanning()) << "the click returns while the scan runs";
    ASSERT_TRUE(PumpUntil([&] { return statuses.Find("Removing Ultra Antivirus 2009") != nullptr; }));
    scan.PressScanPicture();  // refused: the running scan goes on and keeps its rows
    EXPECT_FALSE(scan.Form().StartScan());
    ASSERT_TRUE(scan.WaitForScanEnd());
    prober.Stop();

    EXPECT_EQ(scan.Rows(), (ScanRows{{"Ultra AV 2009", "REMOVED"}, {"(MS) ANTIVIRUS", "REMOVED"}}));
    EXPECT_EQ(scan.Outcome().found, 2);
    EXPECT_GT(prober.asked.load(), 10);
    EXPECT_EQ(prober.unanswered.load(), 0) << "the window did not answer during the scan";
    // The first product's row is in before the second is looked at.
    const StatusSeen* first = statuses.Find("Checking 1 of 2: Ultra Antivirus 2009");
    const StatusSeen* second = statuses.Find("Checking 2 of 2: MS Antivirus");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->rows, 0);
    EXPECT_EQ(second->rows, 1);
    EXPECT_NE(statuses.Find("Removing MS Antivirus"), nullptr);
    EXPECT_EQ(StatusText(scan.Form()), kNoticeLine) << "the usual text once the scan ends";
}

// The scan reads the ticks as it starts: while it runs the Settings page's boxes take no clicks,
// and once it ends they are as they were and take them again.
TEST_F(ScanProgressTest, SettingsBoxesAreLockedWhileAScanRuns) {
    Planting planting;
    PlantDetectedTraces(EntryAtIndex(5), planting);
    scan.TickProduct(5, true);
    TForm1& form = scan.Form();
    StatusRecorder statuses(form);
    auto boxes = [&form] {
        std::vector<HWND> all{form.CheckListBox1};
        for (int n = 1; n <= kOptionCount; ++n) all.push_back(form.sCheckBox[n]);
        return all;
    };
    for (HWND box : boxes()) ASSERT_TRUE(IsWindowEnabled(box));
    const ScanChoices before = form.Choices();

    scan.PressScanPicture();
    ASSERT_TRUE(PumpUntil([&] { return statuses.Find("Removing Ultra Antivirus 2009") != nullptr; }));
    for (HWND box : boxes()) EXPECT_FALSE(IsWindowEnabled(box)) << GetDlgCtrlID(box);
    ASSERT_TRUE(scan.WaitForScanEnd());

    for (HWND box : boxes()) EXPECT_TRUE(IsWindowEnabled(box)) << GetDlgCtrlID(box);
    const ScanChoices after = form.Choices();
    EXPECT_TRUE(std::equal(std::begin(before.options), std::end(before.options), std::begin(after.options)));
    EXPECT_TRUE(std::equal(std::begin(before.products), std::end(before.products), std::begin(after.products)));
}

// Closing asks the scan to stop: the product being removed is removed completely, the next one
// is not looked at, and then the window goes.
TEST_F(ScanProgressTest, ClosingDuringAScanEndsAfterTheRemovalInProgress) {
    Planting planting;
    std::vector<const WaiterProcess*> first = PlantDetectedTraces(EntryAtIndex(1), planting);
    std::vector<const WaiterProcess*> second = PlantDetectedTraces(EntryAtIndex(0), planting);
    scan.TickProduct(1, true);
    scan.TickProduct(0, true);
    StatusRecorder statuses(scan.Form());

    scan.PressScanPicture();
    ASSERT_TRUE(PumpUntil([&] { return statuses.Find("Removing Micro Antivirus 2009") != nullptr; }));
    SendMessageA(scan.Form().Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(scan.Form().Handle())) << "the window waits for the removal in progress";
    EXPECT_TRUE(scan.Form().Scanning());
    ASSERT_TRUE(PumpUntil([&] { return !scan.Form().Scanning(); }));

    EXPECT_EQ(scan.Form().Handle(), nullptr) << "the window went once the removal was done";
    EXPECT_TRUE(scan.Outcome().stopped);
    ASSERT_EQ(scan.Outcome().rows.size(), 1u);
    EXPECT_EQ(scan.Outcome().rows[0].label, "Micro Antivirus 2009");
    EXPECT_EQ(scan.Outcome().rows[0].status, "REMOVED");
    EXPECT_FALSE(FolderExists(ProgramFolderOf(EntryAtIndex(1))));
    for (const WaiterProcess* program : first) EXPECT_TRUE(program->WaitEnded(5000)) << program->Path();
    EXPECT_TRUE(FolderExists(ProgramFolderOf(EntryAtIndex(0)))) << "the next product was not touched";
    for (const WaiterProcess* program : second) EXPECT_TRUE(program->Running()) << program->Path();
}

bool OnlyEntryIs(const std::string& folder, const std::string& name) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    int others = 0;
    do {
        std::string entry = found.cFileName;
        if (entry != "." && entry != ".." && entry != name) ++others;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return others == 0;
}

// The second detection waits a second after the removal: a trace that a helper of the product
// still holds, and lets go of half a second after the steps end, does not count against it.
TEST_F(ScanProgressTest, ATraceThatGoesHalfASecondAfterTheStepsStillEndsRemoved) {
    const RogueEntry& entry = EntryAtIndex(6);
    const std::string folder = ProgramFolderOf(entry);
    const std::string held = folder + "\\zarvex-helper.dat";
    Planting planting;
    PlantDetectedTraces(entry, planting);
    planting.File(held);
    UniqueHandle handle(ValidOrNull(
        CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)));
    ASSERT_TRUE(handle);
    std::atomic<bool> stop{false};
    std::thread helper([&] {
        // The removal has emptied the folder as far as it could: its steps are at their end.
        while (!stop && !OnlyEntryIs(folder, "zarvex-helper.dat")) Sleep(10);
        if (stop) return;
        Sleep(500);
        handle.reset();
        DeleteFileA(held.c_str());
        RemoveDirectoryA(folder.c_str());
    });
    scan.TickProduct(6, true);

    scan.ClickScan();
    stop = true;
    helper.join();

    EXPECT_EQ(scan.Rows(), (ScanRows{{"(MS) ANTIVIRUS", "REMOVED"}}));
    EXPECT_FALSE(FolderExists(folder));
}

}  // namespace
