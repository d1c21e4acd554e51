// The step and check rules that can break, on small entries of the tests' own.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <thread>

#include "catalogue/entry_notation.h"
#include "catalogue/rogue_routines.h"
#include "support/apartment.h"
#include "support/test_paths.h"
#include "support/test_process.h"
#include "support/test_registry.h"
#include "system/com_scope.h"
#include "system/exception.h"
#include "system/folders.h"
#include "system/processes.h"

using namespace entry_notation;

namespace {

RogueEntry EntryOf(std::vector<DetectCheck> checks, std::vector<RemovalStep> steps) {
    return {99, "test", "test", std::move(checks), std::move(steps)};
}

// Files under the Temp root, which ends in a separator: the doubled one must not matter.
struct FileCase {
    const char* name;
    DWORD attributes;
    bool readOnlyStep;
    bool gone;
};

TEST(RogueRoutines, ReadOnlyFilesGoOnlyWithTheReadOnlyStep) {
    ScratchFolder scratch("routines");
    REF(f1, "\\zarvex-test-routines\\file.dat");
    const FileCase cases[] = {
        {"plain file, plain delete", FILE_ATTRIBUTE_NORMAL, false, true},
        {"read-only file, plain delete", FILE_ATTRIBUTE_READONLY, false, false},
        {"read-only file, read-only delete", FILE_ATTRIBUTE_READONLY, true, true},
        {"read-only hidden file, read-only delete", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, true, true},
        {"plain file, read-only delete", FILE_ATTRIBUTE_NORMAL, true, true},
    };
    std::string path = scratch.Path() + "\\file.dat";
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteFileBytes(path, "x"));
        SetFileAttributesA(path.c_str(), c.attributes);
        RunStep(c.readOnlyStep ? rodel(TMP, f1) : del(TMP, f1));
        EXPECT_EQ(FileExists(path), !c.gone);
    }
}

TEST(RogueRoutines, FoldersGoOnlyWhenEmptyAndEmptyingSparesSubfolders) {
    ScratchFolder scratch("routines");
    REF(f1, "\\zarvex-test-routines\\product");
    std::string product = scratch.Path() + "\\product";
    CreateDirectoryA(product.c_str(), nullptr);
    CreateDirectoryA((product + "\\sub").c_str(), nullptr);
    WriteFileBytes(product + "\\a.txt", "a");
    WriteFileBytes(product + "\\sub\\b.txt", "b");

    RemoveRogue(EntryOf({}, {empty(TMP, f1), rmdir(TMP, f1, x2)}));
    EXPECT_FALSE(FileExists(product + "\\a.txt"));
    EXPECT_TRUE(FileExists(product + "\\sub\\b.txt"));
    EXPECT_TRUE(FolderExists(product));
    EXPECT_TRUE(CheckIsTrue(dir(TMP, f1)));

    RemoveTree(product + "\\sub");
    RunStep(rmdir(TMP, f1));
    EXPECT_FALSE(FolderExists(product));
    EXPECT_FALSE(CheckIsTrue(dir(TMP, f1)));
}

// The name walk folds only ASCII letters; the id lookup compares as the system does, so a name
// that differs in the case of a non-ASCII letter is stopped only through the fallback by id.
TEST(RogueRoutines, TerminateFallsBackToTheProcessId) {
    ScratchFolder scratch("routines");
    WaiterProcess waiter(scratch.Path(), "zarvex-\xE4waiter.exe");
    ASSERT_TRUE(waiter.Started());
    REF(p1, "zarvex-\xC4waiter.exe");
    ASSERT_FALSE(KillProcessByName(DecodeSignature(p1.text)));
    if (FindProcessId(DecodeSignature(p1.text)) != waiter.Id()) {
        GTEST_SKIP() << "this prefix's code page does not fold the letter; no name reaches the fallback alone";
    }
    ASSERT_TRUE(waiter.Running());

    RunStep(kill(p1));
    EXPECT_TRUE(waiter.WaitEnded(5000));
}

TEST(RogueRoutines, TerminateStopsEveryProcessOfTheName) {
    ScratchFolder scratch("routines");
    ScratchFolder other("routines-other");
    WaiterProcess first(scratch.Path(), "zarvex-product.exe");
    WaiterProcess second(other.Path(), "ZARVEX-PRODUCT.EXE");
    WaiterProcess bystander(scratch.Path(), "zarvex-bystander.exe");
    REF(p1, "zarvex-product.exe");
    RunStep(kill(p1));
    EXPECT_TRUE(first.WaitEnded(5000));
    EXPECT_TRUE(second.WaitEnded(5000));
    EXPECT_TRUE(bystander.Running());
    RunStep(kill(p1));  // none left: nothing to stop, nothing goes wrong
}

TEST(RogueRoutines, AMissingUninstallerDoesNotStopTheList) {
    ScratchFolder scratch("routines");
    REF(c1, "\\zarvex-missing\\no-such-uninstaller.exe");
    REF(p1, "zarvex-not-running.exe");
    REF(f1, "\\zarvex-test-routines\\after.dat");
    WriteFileBytes(scratch.Path() + "\\after.dat", "x");
    RemoveRogue(EntryOf({}, {kill(p1), wait(1000), uninstall(c1), del(TMP, f1)}));
    EXPECT_FALSE(FileExists(scratch.Path() + "\\after.dat"));
}

// A later check's operand that cannot be decoded shows whether the check was evaluated.
TEST(RogueRoutines, TheFirstTrueCheckEndsTheEvaluation) {
    ScratchFolder scratch("routines");
    WaiterProcess waiter(scratch.Path(), "zarvex-product.exe");
    ASSERT_TRUE(waiter.Started());
    REF(p1, "zarvex-product.exe");
    REF(p2, "zarvex-not-running.exe");
    const SignatureRef broken{"k1", "zz"};
    EXPECT_TRUE(DetectRogue(EntryOf({proc(p1), key(HKCU, broken)}, {})));
    EXPECT_THROW(DetectRogue(EntryOf({proc(p2), key(HKCU, broken)}, {})), Exception);
}

TEST(RogueRoutines, KeysGoWithTheirSubkeysAndValuesOnlyByTheirPath) {
    const std::string base = "Software\\ZarvexTest\\Routines";
    REF(k1, "Software\\ZarvexTest\\Routines\\Product");
    REF(r1, "Software\\ZarvexTest\\Routines\\Run\\product");
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, base + "\\Product\\Deep\\Deeper"));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, base + "\\Productive"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, base + "\\Run", "product", "x"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, base + "\\Run", "other", "y"));
    EXPECT_TRUE(CheckIsTrue(key(HKCU, k1)));

    RemoveRogue(EntryOf({}, {key(HKCU, k1), val(HKCU, r1), key(HKCU, k1), val(HKCU, r1)}));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, base + "\\Product"));
    EXPECT_FALSE(CheckIsTrue(key(HKCU, k1)));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, base + "\\Productive"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, base + "\\Run", "product"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, base + "\\Run", "other"));
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest");
}

// A root without a usable path must not leave the relative part to name a place on the current drive.
TEST(RogueRoutines, ARootWithoutAPathNamesNothing) {
    EXPECT_EQ(JoinRootPath("", "\\Product"), "");
    EXPECT_EQ(JoinRootPath("Program Files", "\\Product"), "");
    EXPECT_EQ(JoinRootPath("C:\\Program Files", ""), "");
    EXPECT_EQ(JoinRootPath("C:\\Program Files", "\\Product"), "C:\\Program Files\\Product");
    EXPECT_EQ(JoinRootPath("C:\\Temp\\", "\\x.exe"), "C:\\Temp\\x.exe");
    EXPECT_EQ(JoinRootPath("C:\\", "\\x.exe"), "C:\\x.exe");
    EXPECT_EQ(JoinRootPath("\\\\?\\C:\\Temp", "\\x.exe"), "");

    REF(none, "");
    EXPECT_FALSE(CheckIsTrue(dir(PF, none)));
    EXPECT_TRUE(FolderExists(GetSpecialFolder(CSIDL_PROGRAM_FILES)));
}

}  // namespace

namespace {

// A scan's detections share one process list; the removal's steps make the next detection look
// again, so a product whose process was stopped is not found by an old list.
TEST(RogueRoutines, AStepRefreshesThePhasesProcessList) {
    ScratchFolder scratch("routines");
    WaiterProcess waiter(scratch.Path(), "zarvex-product.exe");
    ASSERT_TRUE(waiter.Started());
    REF(p1, "zarvex-product.exe");
    const RogueEntry entry = EntryOf({proc(p1)}, {kill(p1)});
    ProcessListScope phase;
    ASSERT_TRUE(DetectRogue(entry));
    RemoveRogue(entry);
    ASSERT_TRUE(waiter.WaitEnded(5000));
    EXPECT_FALSE(DetectRogue(entry));
}

// No step goes through the shell: none sets up COM for the scan, the uninstaller's start included.
TEST(RogueRoutines, NoStepSetsUpCom) {
    std::thread([] {
        ComScope scan;
        REF(k1, "Software\\zarvex-test-absent");
        REF(f1, "\\zarvex-test-absent");
        REF(p1, "zarvex-test-absent.exe");
        REF(c1, "\\zarvex-test-absent\\uninstall.exe");
        EXPECT_FALSE(DetectRogue(EntryOf({proc(p1), key(HKCU, k1), dir(TMP, f1)}, {})));
        RemoveRogue(EntryOf({}, {kill(p1), wait(0), empty(TMP, f1), del(TMP, f1), rmdir(TMP, f1), key(HKCU, k1)}));
        RunStep(uninstall(c1));
        EXPECT_FALSE(InSingleThreadedApartment());
    }).join();
}

}  // namespace
