// COM on the scan's own thread: a product's removal goes through no shell (its uninstaller starts
// by its full path), so it sets none up. Each scan runs on a thread of its own, as the window's does.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "scan/scan.h"
#include "support/apartment.h"
#include "support/planting.h"
#include "support/rogue_planting.h"

namespace {

// Notes, at each row, whether the scan's thread had COM.
class ApartmentAtRows : public ScanProgress {
public:
    void Status(const std::string&) override {}
    void Row(const ScanRow& row) override { rows.push_back({row.label + " " + row.status, InSingleThreadedApartment()}); }
    std::vector<std::pair<std::string, bool>> rows;
};

std::vector<std::pair<std::string, bool>> ScanOnItsOwnThread(const ScanChoices& choices) {
    ApartmentAtRows progress;
    std::thread([&] { RunScan(choices, progress); }).join();
    return progress.rows;
}

TEST(ScanCom, ARemovalThatStartsAnUninstallerSetsUpNoCom) {
    constexpr int kSpyProtector = 3;  // its removal starts the product's uninstaller
    ScanChoices choices;
    choices.products[kSpyProtector] = true;
    EXPECT_EQ(ScanOnItsOwnThread(choices),
              (std::vector<std::pair<std::string, bool>>{{"No malicious software was found. ", false}}));

    Planting planting;
    PlantDetectedTraces(EntryAtIndex(kSpyProtector), planting);
    EXPECT_EQ(ScanOnItsOwnThread(choices),
              (std::vector<std::pair<std::string, bool>>{{"SpyProtector REMOVED", false}}));
}

}  // namespace
