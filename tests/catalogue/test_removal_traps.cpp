// A product's removal beside link traps: folders that are links, a link on the way to a product
// folder, file links among its files, registry links under and on the way to its keys, the
// sweep's Temp file as a link, and a Winweb Security folder that any user can make. The product's
// own traces go; every bystander stays; each step that meets a trap hands back why it refused.
//
// Wine opens a Unix symlink's target even when asked for the link itself, so a link is never
// deleted there: a product whose folder is a link ends still detected ("Error on remove"). On
// Windows the link goes as a link and the product ends removed; Wine cannot show that half.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "catalogue/entry_notation.h"
#include "catalogue/rogue_catalogue.h"
#include "catalogue/rogue_routines.h"
#include "catalogue/sweep.h"
#include "support/planting.h"
#include "support/test_registry.h"
#include "support/traps.h"
#include "system/exact_deletion.h"
#include "system/folders.h"
#include "system/registro.h"
#include "system/text_codes.h"

using namespace entry_notation;

namespace {

const std::wstring kLinks = kTraps + L"\\links";

RogueEntry EntryOf(std::vector<DetectCheck> checks, std::vector<RemovalStep> steps) {
    return {99, "test", "test", std::move(checks), std::move(steps)};
}

std::set<std::size_t> RefusedSteps(const std::vector<StepRefusal>& refusals) {
    std::set<std::size_t> steps;
    for (const StepRefusal& refusal : refusals) steps.insert(refusal.step);
    return steps;
}

class RemovalTraps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TrapsLaid()) << kTrapsNotLaid;
        RestoreBystanders();
    }
    void TearDown() override {
        for (const std::wstring& file : BystanderFiles()) {
            EXPECT_EQ(WideFileText(file), "kept\n") << ToAnsi(file);
        }
        EXPECT_TRUE(WideFolderExists(kTraps + L"\\bystander-empty"));
        RestoreBystanders();
    }
};

TEST_F(RemovalTraps, AProductsOwnTracesGoAndItsLinksTakeNothingWithThem) {
    ScopedVariable temp(L"TMP", kLinks.c_str());
    const std::wstring own = kLinks + L"\\own-product";
    CreateDirectoryW(own.c_str(), nullptr);
    ASSERT_TRUE(WriteWideFile(own + L"\\product.exe", "x"));
    ASSERT_TRUE(WriteWideFile(own + L"\\\x4E2D\x6587.dat", "x"));
    ASSERT_TRUE(WriteWideFile(kLinks + L"\\dropper.exe", "x"));
    ASSERT_TRUE(WriteWideFile(kLinks + L"\\readonly.dat", "x"));
    SetFileAttributesW((kLinks + L"\\readonly.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    REF(f1, "\\own-product");
    REF(f2, "\\dir-link");
    REF(f3, "\\parent-link\\product");
    REF(f4, "\\parent-link\\product\\kept.txt");
    REF(f5, "\\file-link.txt");
    REF(f6, "\\file-link.exe");
    REF(f7, "\\readonly.dat");
    REF(f8, "\\empty-link");
    REF(f9, "\\dropper.exe");
    const RogueEntry entry = EntryOf({dir(TMP, f1)}, {
        empty(TMP, f1), empty(TMP, f2), empty(TMP, f3), del(TMP, f9),
        del(TMP, f4), rodel(TMP, f4), del(TMP, f5), rodel(TMP, f6), rodel(TMP, f7),
        rmdir(TMP, f1), rmdir(TMP, f3), rmdir(TMP, f8), rmdir(TMP, f2),
    });
    ASSERT_TRUE(DetectRogue(entry));
    const std::set<std::size_t> refused = RefusedSteps(RemoveRogue(entry));
    EXPECT_FALSE(DetectRogue(entry));
    EXPECT_FALSE(WideFolderExists(own));
    EXPECT_FALSE(WideFileExists(kLinks + L"\\dropper.exe"));
    EXPECT_FALSE(WideFileExists(kLinks + L"\\readonly.dat"));
    // Emptying a folder link and anything reached through parent-link is refused on any system;
    // the file and folder links themselves go as links where the system opens them so.
    for (std::size_t step : {1u, 2u, 4u, 5u, 10u}) EXPECT_TRUE(refused.count(step)) << "step " << step;
    for (std::size_t step : {0u, 3u, 8u, 9u}) EXPECT_FALSE(refused.count(step)) << "step " << step;
}

// Detection sees a product folder that is a link. Emptying it is refused everywhere; the link
// itself goes as a link where the system opens links so (Windows), and there only is the product
// then not found again. On Wine the removal of the link is refused, so the product must stay
// detected rather than be reported removed while nothing was removed.
TEST_F(RemovalTraps, AProductFolderThatIsALinkIsRemovedOnlyAsALink) {
    ScopedVariable temp(L"TMP", kLinks.c_str());
    REF(f1, "\\dir-link");
    const RogueEntry entry = EntryOf({dir(TMP, f1)}, {empty(TMP, f1), rmdir(TMP, f1)});
    ASSERT_TRUE(DetectRogue(entry));
    const std::vector<StepRefusal> refusals = RemoveRogue(entry);
    ASSERT_FALSE(refusals.empty());
    EXPECT_EQ(refusals[0].step, 0u);
    EXPECT_EQ(refusals[0].reason, kRefusedLinkInPath);
    const bool linkRefused = RefusedSteps(refusals).count(1) > 0;
    EXPECT_EQ(DetectRogue(entry), linkRefused);
    EXPECT_EQ(GetFileAttributesW((kLinks + L"\\dir-link").c_str()) != INVALID_FILE_ATTRIBUTES, linkRefused);
    EXPECT_TRUE(WideFolderExists(kTraps + L"\\bystander"));
}

// A product's subfolder found a real folder at the check and a link when it is emptied (a swap
// caught midway, laid here as a link in the middle of the path fixed before): what is emptied is
// compared with the path fixed at the check, never with a path looked up again through the link.
TEST_F(RemovalTraps, ASubfolderSwappedForALinkAfterItsCheckIsNotEmptied) {
    const std::wstring data = kTraps + L"\\swapped\\Antispyware PRO XP\\Data";
    EXPECT_EQ(DeleteFilesInFolder(data + L"\\Logs").refusal, kRefusedLinkInPath);
    EXPECT_EQ(DeleteFilesInFolder(data).refusal, kRefusedLinkInPath);
    EXPECT_EQ(RemoveFolderExactly(data + L"\\Logs").refusal, kRefusedLinkInPath);
    EXPECT_EQ(DeleteFileExactly(data + L"\\Logs\\kept.txt").refusal, kRefusedLinkInPath);
}

// A plan built over the traps: each link in a product's folders is listed as refused, with the
// reason, and nothing changes; the product's own files are planned.
TEST_F(RemovalTraps, APlanListsEveryLinkInAProductsFoldersAsRefused) {
    ScopedVariable temp(L"TMP", kLinks.c_str());
    const std::wstring own = kLinks + L"\\own-product";
    CreateDirectoryW(own.c_str(), nullptr);
    ASSERT_TRUE(WriteWideFile(own + L"\\product.exe", "x"));
    REF(f1, "\\own-product");
    REF(f2, "\\dir-link");
    REF(f3, "\\parent-link\\product");
    REF(f4, "\\parent-link\\product\\kept.txt");
    REF(f5, "\\file-link.txt");
    const RogueEntry entry = EntryOf({dir(TMP, f1)}, {empty(TMP, f1), empty(TMP, f2), empty(TMP, f3), del(TMP, f4),
                                                      rodel(TMP, f5), rmdir(TMP, f3), rmdir(TMP, f1)});
    ObjectList plan;
    RemoveRogue(entry, {Carry::Plan, &plan});
    std::vector<std::string> lines;
    for (const ActedObject& object : plan.Objects()) {
        lines.push_back(ToAnsi(object.path.substr(kLinks.size())) + " " +
                        (object.outcome == Outcome::Planned ? "planned" : object.outcome == Outcome::Refused ? "refused" : "?") +
                        (object.reason.empty() ? "" : ": " + ToAnsi(object.reason)));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "\\own-product\\product.exe planned",
                         "\\dir-link refused: a link stands in its path",
                         "\\parent-link\\product refused: a link stands in its path",
                         "\\parent-link\\product\\kept.txt refused: a link stands in its path",
                         "\\file-link.txt refused: a link stands in its path",
                         "\\own-product planned",
                     }));
    EXPECT_TRUE(WideFileExists(own + L"\\product.exe"));
    RemoveRogue(entry);
    EXPECT_FALSE(WideFolderExists(own));
}

TEST_F(RemovalTraps, AKeyGoesWithItsLinkSubkeyAndTheTargetStays) {
    const std::string product = "Software\\ZarvexTest\\Traps\\Product";
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, product + "\\Settings"));
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\TrapTarget\\Inner", "value", "kept"));
    ASSERT_TRUE(CreateMachineLinkKey(HKEY_CURRENT_USER, product + "\\Link", "Software\\ZarvexTest\\TrapTarget"));
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, product + "\\Link\\Inner"));

    REF(k1, "Software\\ZarvexTest\\Traps\\Product");
    REF(r1, "Software\\ZarvexTest\\Traps\\Product\\Link\\value");
    const RogueEntry entry = EntryOf({key(HKCU, k1)}, {val(HKCU, r1), key(HKCU, k1)});
    ASSERT_TRUE(DetectRogue(entry));
    EXPECT_TRUE(RemoveRogue(entry).empty());
    EXPECT_FALSE(DetectRogue(entry));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\TrapTarget\\Inner", "value"));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest");
}

// A link on the way to a product's key or value: detection sees the target's key through it, and
// both steps refuse instead of deleting the target's.
TEST_F(RemovalTraps, ALinkOnTheWayToAKeyRefusesItsSteps) {
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\TrapTarget\\Product", "value", "kept"));
    ASSERT_TRUE(
        CreateMachineLinkKey(HKEY_CURRENT_USER, "Software\\ZarvexTest\\Traps", "Software\\ZarvexTest\\TrapTarget"));
    REF(k1, "Software\\ZarvexTest\\Traps\\Product");
    REF(r1, "Software\\ZarvexTest\\Traps\\Product\\value");
    const RogueEntry entry = EntryOf({key(HKCU, k1)}, {val(HKCU, r1), key(HKCU, k1)});
    ASSERT_TRUE(DetectRogue(entry));
    const std::vector<StepRefusal> refusals = RemoveRogue(entry);
    ASSERT_EQ(refusals.size(), 2u);
    for (const StepRefusal& refusal : refusals) EXPECT_EQ(refusal.reason, kRefusedKeyLinkInPath);
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\TrapTarget\\Product", "value"));
    RegDeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest\\Traps", true);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest");
}

// The sweep's Temp file is a link to another program: it is found and never deleted through. On
// Wine it is refused and shown as not removed; where the link opens as itself, it goes as a link.
TEST_F(RemovalTraps, TheSweepLeavesALinksTarget) {
    ScopedVariable temp(L"TMP", (kTraps + L"\\sweep-temp").c_str());
    const std::vector<SweepFinding> findings = AlwaysRunSweep();
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].label, std::string("%tempdir%\\services.exe"));
    EXPECT_EQ(findings[0].removed, findings[0].refusal.empty());
    EXPECT_EQ(findings[0].removed, !WideFileExists(kTraps + L"\\sweep-temp\\services.exe"));
}

// Any user can make an empty "Winweb Security" folder in ProgramData, and the product is found by
// it. Its removal takes its own program lying there, never the other programs beside it.
TEST_F(RemovalTraps, AWinwebSecurityFolderAnyoneCanMakeTakesOnlyItsOwnProgram) {
    const RogueEntry* winweb = nullptr;
    for (const RogueEntry& entry : RogueCatalogue()) {
        if (std::string(entry.displayName) == "Winweb Security") winweb = &entry;
    }
    ASSERT_NE(winweb, nullptr);
    const std::string data = FolderRootPath(CA);
    Planting planting;
    planting.BareFolder(data + "\\Winweb Security");
    planting.File(data + "\\WinwebSecurity.exe");
    planting.File(data + "\\zarvex-other-program.exe");
    ASSERT_TRUE(DetectRogue(*winweb));
    EXPECT_TRUE(RemoveRogue(*winweb).empty());
    EXPECT_FALSE(DetectRogue(*winweb));
    EXPECT_FALSE(FileExists(data + "\\WinwebSecurity.exe"));
    EXPECT_TRUE(FileExists(data + "\\zarvex-other-program.exe"));
}

}  // namespace

// A Temp or AppData root that the environment sets to the Windows folder or a drive root names
// nothing to delete, however real the file under it is, and says why; set back, it names the
// file again.
TEST(RemovablePaths, ASettableRootSetToASystemFolderOrDriveRootNamesNothing) {
    const std::wstring windows = GetWindowsFolderW();
    for (const wchar_t* temp : {windows.c_str(), L"C:\\"}) {
        ScopedVariable tmp(L"TMP", temp);
        ScopedVariable temporary(L"TEMP", temp);
        const RemovableTarget target = CheckRemovable(TMP, SIG("notepad.exe"));
        EXPECT_EQ(target.path, L"") << ToAnsi(temp);
        EXPECT_EQ(target.refusal, kRefusedSettableRoot) << ToAnsi(temp);
    }
    EXPECT_NE(RemovablePath(TMP, SIG("services.exe")), L"");
    EXPECT_EQ(CheckRemovable(TMP, SIG("\\zarvex-no-such-folder\\x.exe")).refusal, "") << "missing is no refusal";
    EXPECT_NE(RemovablePath(SYS, SIG("ieupdates.exe")), L"") << "the system folder is a product root by nature";
}
