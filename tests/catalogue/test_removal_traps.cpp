// A product's removal beside link traps: folders that are links, a link on the way to a product
// folder, file links among its files, a registry link under its key, and the sweep's Temp file as
// a link. The product's own traces go; every bystander stays.
//
// Wine opens a Unix symlink's target even when asked for the link itself, so a link is never
// deleted there: a product whose folder is a link ends still detected ("Error on remove"). On
// Windows the link goes as a link and the product ends removed; Wine cannot show that half.
#include <windows.h>

#include <gtest/gtest.h>

#include "catalogue/entry_notation.h"
#include "catalogue/rogue_routines.h"
#include "catalogue/sweep.h"
#include "support/test_registry.h"
#include "support/traps.h"
#include "system/folders.h"
#include "system/wide_paths.h"

using namespace entry_notation;

namespace {

const std::wstring kLinks = kTraps + L"\\links";

RogueEntry EntryOf(std::vector<DetectCheck> checks, std::vector<RemovalStep> steps) {
    return {99, "test", "test", std::move(checks), std::move(steps)};
}

class RemovalTraps : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TrapsLaid()) GTEST_SKIP() << "traps not laid: run tests/traps/make_traps.sh for this build";
        RestoreBystanders();
    }
    void TearDown() override {
        if (!TrapsLaid()) return;
        for (const wchar_t* name : {L"\\bystander\\kept.txt", L"\\bystander\\kept.exe", L"\\bystander-file.txt",
                                    L"\\bystander-file.exe", L"\\bystander-parent\\product\\kept.txt"}) {
            EXPECT_EQ(WideFileText(kTraps + name), "kept\n");
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
    const RogueEntry entry = EntryOf({dir(TMP, f1)}, {
        empty(TMP, f1), empty(TMP, f2), empty(TMP, f3), exe(TMP),
        del(TMP, f4), rodel(TMP, f4), del(TMP, f5), rodel(TMP, f6), rodel(TMP, f7),
        rmdir(TMP, f1), rmdir(TMP, f3), rmdir(TMP, f8), rmdir(TMP, f2),
    });
    ASSERT_TRUE(DetectRogue(entry));
    RemoveRogue(entry);
    EXPECT_FALSE(DetectRogue(entry));
    EXPECT_FALSE(WideFolderExists(own));
    EXPECT_FALSE(WideFileExists(kLinks + L"\\dropper.exe"));
    EXPECT_FALSE(WideFileExists(kLinks + L"\\readonly.dat"));
}

// Detection sees a product folder that is a link; on Wine the link cannot go, so the product
// stays detected rather than reported removed while nothing was removed.
TEST_F(RemovalTraps, AProductFolderThatIsALinkIsRemovedOnlyAsALink) {
    ScopedVariable temp(L"TMP", kLinks.c_str());
    REF(f1, "\\dir-link");
    const RogueEntry entry = EntryOf({dir(TMP, f1)}, {empty(TMP, f1), rmdir(TMP, f1)});
    ASSERT_TRUE(DetectRogue(entry));
    RemoveRogue(entry);
    EXPECT_EQ(DetectRogue(entry), WideFolderExists(kLinks + L"\\dir-link"));
}

TEST_F(RemovalTraps, AKeyGoesWithItsLinkSubkeyAndTheTargetStays) {
    const std::string product = "Software\\ZarvexTest\\Traps\\Product";
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, product + "\\Settings"));
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\TrapTarget\\Inner", "value", "kept"));
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ZarvexTest\\Traps\\Product\\Link", 0, nullptr,
                              REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr,
                              &raw, nullptr),
              ERROR_SUCCESS);
    const std::wstring target = L"\\Registry\\Machine\\Software\\ZarvexTest\\TrapTarget";
    RegSetValueExW(raw, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.data()),
                   static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    RegCloseKey(raw);
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, product + "\\Link\\Inner"));

    REF(k1, "Software\\ZarvexTest\\Traps\\Product");
    REF(r1, "Software\\ZarvexTest\\Traps\\Product\\Link\\value");
    const RogueEntry entry = EntryOf({key(HKCU, k1)}, {val(HKCU, r1), key(HKCU, k1)});
    ASSERT_TRUE(DetectRogue(entry));
    RemoveRogue(entry);
    EXPECT_FALSE(DetectRogue(entry));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\TrapTarget\\Inner", "value"));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest");
}

// The sweep's Temp file is a link to another program: it is found, never deleted through, and
// shown as not removed.
TEST_F(RemovalTraps, TheSweepLeavesALinksTarget) {
    ScopedVariable temp(L"TMP", (kTraps + L"\\sweep-temp").c_str());
    const std::vector<SweepFinding> findings = AlwaysRunSweep();
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].label, std::string("%tempdir%\\services.exe"));
    EXPECT_FALSE(findings[0].removed);
}

}  // namespace

// A Temp or AppData root that the environment sets to the Windows folder or a drive root names
// nothing to delete, however real the file under it is; set back, it names the file again.
TEST(RemovablePaths, ASettableRootSetToASystemFolderOrDriveRootNamesNothing) {
    const std::wstring windows = GetWindowsFolderW();
    for (const wchar_t* temp : {windows.c_str(), L"C:\\"}) {
        ScopedVariable tmp(L"TMP", temp);
        ScopedVariable temporary(L"TEMP", temp);
        EXPECT_EQ(RemovablePath(TMP, SIG("notepad.exe")), L"") << StoredFromWide(temp);
    }
    EXPECT_NE(RemovablePath(TMP, SIG("services.exe")), L"");
    EXPECT_NE(RemovablePath(SYS, SIG("ieupdates.exe")), L"") << "the system folder is a product root by nature";
}
