// The scan as the user runs it: a click on the scan picture of the main window, the rows and the
// list colour read back, the planted products gone (or left, when unticked).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/planting.h"
#include "support/rogue_planting.h"
#include "support/scan_window.h"
#include "support/test_paths.h"
#include "system/folders.h"
#include "system/handles.h"

namespace {

constexpr COLORREF kRed = 255;
constexpr COLORREF kBlack = 0;
const ScanRows kNothingFound = {{"No malicious software was found.", ""}};

class ScanResults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scan.Created()); }
    ScanWindow scan;
};

TEST_F(ScanResults, CleanPrefixGivesTheSingleBlackNothingFoundRow) {
    scan.ClickScan();
    EXPECT_EQ(scan.Rows(), kNothingFound);
    EXPECT_EQ(scan.TextColour(), kBlack);
    EXPECT_EQ(scan.Outcome().found, 0);
}

// An unticked product is not even looked for: it stays, running, and gives no row.
TEST_F(ScanResults, UntickedProductsAreNeitherDetectedNorTouched) {
    Planting planting;
    std::vector<const WaiterProcess*> ultra = PlantDetectedTraces(EntryAtIndex(5), planting);
    std::vector<const WaiterProcess*> ms = PlantDetectedTraces(EntryAtIndex(6), planting);
    scan.TickProduct(6, false);

    scan.ClickScan();

    EXPECT_EQ(scan.Rows(), (ScanRows{{"Ultra AV 2009", "REMOVED"}}));
    for (const WaiterProcess* program : ultra) EXPECT_TRUE(program->WaitEnded(5000)) << program->Path();
    for (const WaiterProcess* program : ms) EXPECT_TRUE(program->Running()) << program->Path();
    EXPECT_TRUE(FolderExists(ProgramFolderOf(EntryAtIndex(6))));

    scan.TickAllProducts(false);
    scan.ClickScan();

    EXPECT_EQ(scan.Rows(), kNothingFound);
    EXPECT_EQ(scan.TextColour(), kBlack);
    for (const WaiterProcess* program : ms) EXPECT_TRUE(program->Running()) << program->Path();
    EXPECT_TRUE(FolderExists(ProgramFolderOf(EntryAtIndex(6))));
}

struct SingleProduct {
    int index;
    const char* label;
};

class ScanOneProduct : public ScanResults, public ::testing::WithParamInterface<SingleProduct> {};

TEST_P(ScanOneProduct, GivesOneRedRemovedRowAndLeavesNothing) {
    const RogueEntry& entry = EntryAtIndex(GetParam().index);
    Planting planting;
    std::vector<const WaiterProcess*> programs = PlantDetectedTraces(entry, planting);
    for (const WaiterProcess* program : programs) ASSERT_TRUE(program->Started()) << program->Path();

    scan.ClickScan();

    EXPECT_EQ(scan.Rows(), (ScanRows{{GetParam().label, "REMOVED"}}));
    EXPECT_EQ(scan.TextColour(), kRed);
    EXPECT_EQ(scan.Outcome().found, 1);
    for (const WaiterProcess* program : programs) EXPECT_TRUE(program->WaitEnded(5000)) << program->Path();
    EXPECT_FALSE(FolderExists(ProgramFolderOf(entry)));
}

// Process, key and folder checks; a common-data folder; the two labels that differ from their
// check-list items; the entry whose removal borrows another entry's steps.
INSTANTIATE_TEST_SUITE_P(Products, ScanOneProduct,
                         ::testing::Values(SingleProduct{1, "Micro Antivirus 2009"}, SingleProduct{3, "SpyProtector"},
                                           SingleProduct{4, "Pro Antispyware 2009"}, SingleProduct{5, "Ultra AV 2009"},
                                           SingleProduct{6, "(MS) ANTIVIRUS"}, SingleProduct{10, "XP SecurityCenter"}),
                         [](const ::testing::TestParamInfo<SingleProduct>& info) {
                             return "Index" + std::to_string(info.param.index);
                         });

enum class Obstacle { FileHeldOpen, Subfolder };

class ScanUnremovable : public ScanResults, public ::testing::WithParamInterface<Obstacle> {};

// A trace that outlives the removal keeps the product detected: the row says so.
TEST_P(ScanUnremovable, ShowsErrorOnRemove) {
    const RogueEntry& entry = EntryAtIndex(6);
    const std::string folder = ProgramFolderOf(entry);
    Planting planting;
    std::vector<const WaiterProcess*> programs = PlantDetectedTraces(entry, planting);
    UniqueHandle held;
    if (GetParam() == Obstacle::FileHeldOpen) {
        planting.File(folder + "\\zarvex-held.dat");
        held.reset(ValidOrNull(CreateFileA((folder + "\\zarvex-held.dat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, 0, nullptr)));
        ASSERT_TRUE(held);
    } else {
        planting.Folder(folder + "\\zarvex-sub");
    }

    scan.ClickScan();

    EXPECT_EQ(scan.Rows(), (ScanRows{{"(MS) ANTIVIRUS", "Error on remove"}}));
    EXPECT_EQ(scan.TextColour(), kRed);
    EXPECT_TRUE(FolderExists(folder));
    for (const WaiterProcess* program : programs) EXPECT_TRUE(program->WaitEnded(5000)) << program->Path();
}

INSTANTIATE_TEST_SUITE_P(Obstacles, ScanUnremovable, ::testing::Values(Obstacle::FileHeldOpen, Obstacle::Subfolder),
                         [](const ::testing::TestParamInfo<Obstacle>& info) {
                             return info.param == Obstacle::FileHeldOpen ? "FileHeldOpen" : "Subfolder";
                         });

// Sweep rows first, then the products in scan order (1 before 0, 3 before 2); the next scan
// starts from an empty list and turns the list black again.
TEST_F(ScanResults, SeveralFindingsFollowTheScanOrderAndTheNextScanStartsAfresh) {
    Planting planting;
    for (int index : {6, 3, 2, 0, 1}) PlantDetectedTraces(EntryAtIndex(index), planting);
    planting.File(GetSystemFolder() + "\\srcss.exe");

    scan.ClickScan();

    const ScanRows expected = {
        {"%systemdir%\\srcss.exe", "REMOVED"},     {"Micro Antivirus 2009", "REMOVED"},
        {"System Antivirus 2008", "REMOVED"},      {"SpyProtector", "REMOVED"},
        {"Antivirus 2009", "REMOVED"},             {"(MS) ANTIVIRUS", "REMOVED"},
    };
    EXPECT_EQ(scan.Rows(), expected);
    EXPECT_EQ(scan.TextColour(), kRed);
    EXPECT_EQ(scan.Outcome().found, 6);

    scan.ClickScan();

    EXPECT_EQ(scan.Rows(), kNothingFound);
    EXPECT_EQ(scan.TextColour(), kBlack);
    EXPECT_EQ(scan.Outcome().found, 0);
}

// Rows of one scan never survive into the next, also when the next finds something.
TEST_F(ScanResults, AFindingAfterANothingFoundScanIsTheOnlyRow) {
    scan.ClickScan();
    ASSERT_EQ(scan.Rows(), kNothingFound);
    Planting planting;
    planting.File(GetSystemFolder() + "\\scui.cpl");

    scan.ClickScan();

    EXPECT_EQ(scan.Rows(), (ScanRows{{"%systemdir%\\scui.cpl", "REMOVED"}}));
    EXPECT_EQ(scan.TextColour(), kRed);
}

}  // namespace
