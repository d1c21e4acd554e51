// The steps that reach beyond a product's own files: its uninstaller, started only from its own
// folder under Program Files; its Run values, deleted only while they start it; its folder of links
// on the desktop, which loses its links only. And the registry rules under them: a link is known by
// what the key is, and a subkey name that holds a NUL is deleted whole.
#include <windows.h>
#include <shlobj.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "catalogue/entry_notation.h"
#include "catalogue/rogue_routines.h"
#include "catalogue/shared_texts.h"
#include "catalogue/sweep.h"
#include "support/planting.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "support/traps.h"
#include "system/acting.h"
#include "system/exact_deletion.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/registro.h"
#include "system/signature.h"
#include "system/text_codes.h"
#include "system/user_hives.h"
#include "system/wide_paths.h"

using namespace entry_notation;

namespace {

const char kProductName[] = "zarvex-uninstall-test";

// A stored text made at run time, as SIG makes one at compile time; kept for the test program's life.
const char* StoredText(const std::string& plain) {
    static std::deque<std::string> kept;
    constexpr auto key = signature_detail::BuildKey();
    std::uint8_t state[256]{};
    rc4::Schedule(state, key.data(), key.size());
    std::vector<std::uint8_t> bytes(plain.begin(), plain.end());
    rc4::Apply(state, bytes.data(), bytes.data(), bytes.size());
    std::string hex;
    for (std::uint8_t byte : bytes) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 0x0F];
    }
    kept.push_back(hex);
    return kept.back().c_str();
}

// A program that leaves "<its path>.started" when started bare (tests/helpers/recorder.cpp).
bool LayUninstaller(const std::wstring& path) {
    const std::wstring recorder = FromAnsi(GetAppFolder()) + L"zarvex-recorder.exe";
    DeleteFileW((path + L".started").c_str());
    return CopyFileW(recorder.c_str(), path.c_str(), FALSE) != FALSE;
}

bool StartedWithin(const std::wstring& path, DWORD limitMs) {
    for (DWORD waited = 0; waited < limitMs; waited += 50) {
        if (WideFileExists(path + L".started")) return true;
        Sleep(50);
    }
    return WideFileExists(path + L".started");
}

const ActedObject* ProgramOf(const ObjectList& list) {
    for (const ActedObject& object : list.Objects())
        if (object.kind == ObjectKind::Program) return &object;
    return nullptr;
}

// Where an uninstaller of that name may lie, and what the step does with it. The plan says what the
// removal then does, and starts nothing.
TEST(Uninstaller, StartsOnlyFromTheProductsFolderUnderProgramFiles) {
    ASSERT_TRUE(TrapsLaid()) << kTrapsNotLaid;
    const std::wstring programFiles = GetSpecialFolderW(CSIDL_PROGRAM_FILES);
    const std::wstring programFilesX86 = GetSpecialFolderW(CSIDL_PROGRAM_FILESX86);
    ScratchFolder scratch("uninstaller");
    const std::wstring current = FromAnsi(scratch.Path());
    struct Case {
        const char* name;
        std::wstring folder;        // the product's folder as the step names it (under Program Files)
        std::wstring laidAt;        // where the program is laid
        Outcome outcome;            // of the removal's program object
        std::wstring recordedPath;  // empty: laidAt
    };
    const std::wstring own = std::wstring(L"\\") + FromAnsi(kProductName);
    const Case cases[] = {
        {"in its folder in Program Files", own, programFiles + own + L"\\uninstall.exe", Outcome::Done},
        {"in its folder in the 32-bit Program Files", own, programFilesX86 + own + L"\\uninstall.exe",
         Outcome::Done},
        // The shell's search would have found each of these for a bare name.
        {"beside the running program only", own, FromAnsi(GetAppFolder()) + L"uninstall.exe", Outcome::NotFound,
         programFiles + own + L"\\uninstall.exe"},
        {"in the current folder only", own, current + L"\\uninstall.exe", Outcome::NotFound,
         programFiles + own + L"\\uninstall.exe"},
        {"its folder is a link to elsewhere", L"\\zarvex-linked-product",
         kTraps + L"\\uninstaller-elsewhere\\uninstall.exe", Outcome::Refused,
         programFiles + L"\\zarvex-linked-product\\uninstall.exe"},
        {"the uninstaller is a link to elsewhere", L"\\zarvex-file-link-product",
         kTraps + L"\\uninstaller-elsewhere\\uninstall.exe", Outcome::Refused,
         programFiles + L"\\zarvex-file-link-product\\uninstall.exe"},
    };
    // Put back however the cases end: a failed assertion returns from inside the loop.
    struct CurrentFolder {
        wchar_t previous[MAX_PATH] = {};
        explicit CurrentFolder(const std::wstring& folder) {
            GetCurrentDirectoryW(MAX_PATH, previous);
            SetCurrentDirectoryW(folder.c_str());
        }
        ~CurrentFolder() { SetCurrentDirectoryW(previous); }
    } inCurrent(current);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Planting planting;
        const std::wstring laidFolder = WithoutTrailingSeparators(PathUpToLastPart(c.laidAt));
        if (!WideFolderExists(laidFolder)) planting.BareFolder(ToAnsi(laidFolder));
        ASSERT_TRUE(LayUninstaller(c.laidAt));
        const std::string relative = ToAnsi(c.folder) + "\\uninstall.exe";
        const SignatureRef c1{"c1", StoredText(relative)};

        ObjectList plan;
        EXPECT_EQ(RunStep(uninstall(c1), {Carry::Plan, &plan}).refusal.empty(), c.outcome != Outcome::Refused);
        ObjectList record;
        RunStep(uninstall(c1), {Carry::Remove, &record});

        const bool started = StartedWithin(c.laidAt, c.outcome == Outcome::Done ? 10000 : 1000);
        EXPECT_EQ(started, c.outcome == Outcome::Done);
        const ActedObject* planned = ProgramOf(plan);
        const ActedObject* done = ProgramOf(record);
        ASSERT_TRUE(planned && done);
        const std::wstring path = c.recordedPath.empty() ? c.laidAt : c.recordedPath;
        EXPECT_EQ(ToAnsi(done->path), ToAnsi(path));
        EXPECT_EQ(planned->path, done->path);
        EXPECT_EQ(done->outcome, c.outcome) << ToAnsi(done->reason);
        EXPECT_EQ(planned->outcome, c.outcome == Outcome::Done ? Outcome::Planned : c.outcome);
        if (c.outcome == Outcome::Refused) {
            EXPECT_EQ(ToAnsi(done->reason), "a link stands in its path");
        }
        DeleteFileW(c.laidAt.c_str());
        DeleteFileW((c.laidAt + L".started").c_str());
    }
}

// The sweep's setup file starts the uninstaller of its own Program Files folder only: one found in
// one view never starts the other view's, and one found in both starts each once.
TEST(Uninstaller, TheSweepsSetupFileStartsOnlyItsOwnFoldersUninstaller) {
    if (MachineViews().size() < 2) GTEST_SKIP() << "32-bit Windows has one Program Files folder";
    const std::wstring folders[] = {ProgramFilesFolder(View::Native), ProgramFilesFolder(View::Wow32)};
    for (int setupIn = 0; setupIn < 2; ++setupIn) {
        SCOPED_TRACE(setupIn == 0 ? "setup file in the native folder" : "setup file in the 32-bit folder");
        Planting planting;
        std::wstring uninstallers[2];
        for (int i = 0; i < 2; ++i) {
            uninstallers[i] = JoinPath(folders[i], FromAnsi(DecodeSignature(shared_text::XlgUninstaller)));
            planting.BareFolder(ToAnsi(WithoutTrailingSeparators(PathUpToLastPart(uninstallers[i]))));
            ASSERT_TRUE(LayUninstaller(uninstallers[i]));
        }
        const std::wstring setup = JoinPath(folders[setupIn], FromAnsi(DecodeSignature(shared_text::XlgSetupFile)));
        planting.File(ToAnsi(setup));
        AlwaysRunSweep();
        EXPECT_TRUE(StartedWithin(uninstallers[setupIn], 10000)) << ToAnsi(uninstallers[setupIn]);
        EXPECT_FALSE(StartedWithin(uninstallers[1 - setupIn], 1000)) << "the other view's uninstaller started";
        EXPECT_FALSE(WideFileExists(setup));
        for (const std::wstring& uninstaller : uninstallers) {
            DeleteFileW(uninstaller.c_str());
            DeleteFileW((uninstaller + L".started").c_str());
        }
    }
}

// A Run value goes only while its data starts the product; any other program's stays, shown.
TEST(RunValues, GoOnlyWhileTheirDataNamesTheProduct) {
    const std::string key = "Software\\ZarvexTest\\Safety\\Run";
    const SignatureRef r1{"r1", StoredText(key + "\\product")};
    const std::vector<std::wstring> names = {L"zarvex-product.exe", L"Zarvex Product 2009", L"zpguard.dll"};
    struct Case {
        const char* name;
        DWORD type;
        std::wstring data;
        bool deleted;
    };
    const Case cases[] = {
        {"its program, quoted, with switches", REG_SZ, L"\"C:\\Program Files\\Zarvex Product 2009\\zarvex-product.exe\" /tray", true},
        {"its program, other case", REG_SZ, L"c:\\tools\\ZARVEX-PRODUCT.EXE", true},
        {"its folder", REG_EXPAND_SZ, L"%ProgramFiles%\\Zarvex Product 2009\\start.exe", true},
        {"one of its files, through rundll32", REG_SZ, L"rundll32.exe C:\\Windows\\zpguard.dll,Start", true},
        {"another program", REG_SZ, L"C:\\Program Files\\Backup\\backup.exe", false},
        {"a longer name that holds its program's", REG_SZ, L"C:\\Tools\\my-zarvex-product.exe", false},
        {"a folder whose name starts like its folder", REG_SZ, L"C:\\Zarvex Product 20090\\x.exe", false},
        {"empty data", REG_SZ, L"", false},
        {"a number", REG_DWORD, L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, key));
        HKEY raw = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &raw), ERROR_SUCCESS);
        const UniqueKey opened(raw);
        const DWORD number = 1;
        if (c.type == REG_DWORD)
            RegSetValueExW(raw, L"product", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
        else
            RegSetValueExW(raw, L"product", 0, c.type, reinterpret_cast<const BYTE*>(c.data.c_str()),
                           static_cast<DWORD>((c.data.size() + 1) * sizeof(wchar_t)));
        ObjectList plan, record;
        RunStep(run(HKCU, r1), {Carry::Plan, &plan}, names);
        const StepOutcome outcome = RunStep(run(HKCU, r1), {Carry::Remove, &record}, names);
        EXPECT_EQ(ValueExists(HKEY_CURRENT_USER, key, "product"), !c.deleted);
        EXPECT_EQ(outcome.refusal.empty(), c.deleted);
        ASSERT_EQ(record.Objects().size(), 1u);
        ASSERT_EQ(plan.Objects().size(), 1u);
        EXPECT_EQ(record.Objects()[0].outcome, c.deleted ? Outcome::Done : Outcome::Refused);
        EXPECT_EQ(plan.Objects()[0].outcome, c.deleted ? Outcome::Planned : Outcome::Refused);
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest");
    }
    // Without the product's names nothing names it.
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, key, "product", "C:\\zarvex-product.exe"));
    EXPECT_FALSE(RunStep(run(HKCU, r1)).refusal.empty());
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key, "product"));
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest");
}

// The entry's own words name it: its programs, its folders, the files it deletes; not the generic
// names of its uninstallers.
TEST(RunValues, TheProductsNamesComeFromItsEntry) {
    REF(p1, "zarvex-product.exe");
    REF(p2, "zarvex-helper.exe");
    REF(f1, "\\Zarvex Product 2009\\");
    REF(f2, "\\zpguard.dll");
    REF(c1, "\\Zarvex Product 2009\\uninstall.exe");
    REF(k1, "Software\\Zarvex Product");
    const RogueEntry entry{99, "test", "test", {proc(p1), key(HKCU, k1), dir(PF, f1)},
                           {kill(p2), uninstall(c1), del(SYS, f2)}};
    EXPECT_EQ(ProductNames(entry), (std::vector<std::wstring>{L"zarvex-product.exe", L"Zarvex Product 2009",
                                                                L"zarvex-helper.exe", L"zpguard.dll"}));
}

// A step in a document folder takes only the product's shortcuts; the user's files there stay, and
// emptying such a folder is refused.
TEST(DocumentFolders, OnlyTheProductsShortcutsGoFromTheDesktop) {
    const std::string folder = GetSpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\zarvex-links-test";
    const SignatureRef f1{"f1", StoredText("\\zarvex-links-test")};
    Planting planting;
    planting.BareFolder(folder);
    for (const char* name : {"\\Product.lnk", "\\Product Online.url", "\\letter.txt", "\\notes.lnk.txt"})
        planting.File(folder + name);
    ObjectList plan;
    RunStep(links(DT, f1), {Carry::Plan, &plan});
    EXPECT_EQ(plan.Objects().size(), 2u);
    RunStep(links(DT, f1));
    EXPECT_FALSE(FileExists(folder + "\\Product.lnk"));
    EXPECT_FALSE(FileExists(folder + "\\Product Online.url"));
    EXPECT_TRUE(FileExists(folder + "\\letter.txt"));
    EXPECT_TRUE(FileExists(folder + "\\notes.lnk.txt"));
    ObjectList record;
    EXPECT_FALSE(RunStep(empty(DT, f1), {Carry::Remove, &record}).refusal.empty());
    EXPECT_TRUE(FileExists(folder + "\\letter.txt"));
    ASSERT_EQ(record.Objects().size(), 1u);
    EXPECT_EQ(record.Objects()[0].outcome, Outcome::Refused);
}

// A product check looks at its folder by the rules of its deletion: a folder reached through a
// link on the way is no trace of the product, and shows as refused; the same folder reached
// without one is found.
TEST(ProductChecks, AFolderTheRulesRefuseIsNoTrace) {
    ASSERT_TRUE(TrapsLaid()) << kTrapsNotLaid;
    ScopedVariable tmp(L"TMP", kTraps.c_str());
    struct Case {
        const char* name;
        const char* folder;
        bool found;
    } cases[] = {
        {"through a link on the way", "\\links\\parent-link\\product\\", false},
        {"the same folder without one", "\\bystander-parent\\product\\", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SignatureRef f1{"f1", StoredText(c.folder)};
        const RogueEntry entry{99, "test", "test", {dir(TMP, f1)}, {}};
        ObjectList refusals;
        EXPECT_EQ(DetectRogue(entry, {Carry::Plan, &refusals}), c.found);
        ASSERT_EQ(refusals.Objects().size(), c.found ? 0u : 1u);
        if (!c.found) {
            EXPECT_EQ(refusals.Objects()[0].outcome, Outcome::Refused);
            EXPECT_EQ(ToAnsi(refusals.Objects()[0].reason), kRefusedLinkInPath);
        }
    }
}

// A folder on the way that cannot be opened (a link to itself, which the system cannot resolve) is
// a failure with the system's reason, never "not found": plan and removal alike.
TEST(Failures, AFolderThatCannotBeOpenedIsAFailureNotNotFound) {
    ASSERT_TRUE(TrapsLaid()) << kTrapsNotLaid;
    const std::wstring loop = kTraps + L"\\link-loop";
    {
        UniqueHandle opened(ValidOrNull(CreateFileW(loop.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
        ASSERT_FALSE(opened);
        ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << "the loop is not laid";
    }
    ScopedVariable tmp(L"TMP", kTraps.c_str());
    const SignatureRef f1{"f1", StoredText("\\link-loop\\product.dat")};
    for (const Carry carry : {Carry::Plan, Carry::Remove}) {
        ObjectList record;
        RunStep(del(TMP, f1), {carry, &record});
        ASSERT_EQ(record.Objects().size(), 1u);
        EXPECT_EQ(record.Objects()[0].outcome, Outcome::Failed);
        EXPECT_FALSE(record.Objects()[0].reason.empty());
    }
}

// A key is a registry link by what it is: an ordinary key that holds a value named like a link's
// (any user can set one on his own keys) blocks nothing; a real link on the way still refuses.
TEST(RegistryLinkRule, AValueThatOnlyLooksLikeALinkBlocksNothing) {
    const std::string above = "Software\\ZarvexTest\\Safety";
    const std::string run = above + "\\Run";
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, run));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, run, "product", "x"));
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, above.c_str(), 0, KEY_SET_VALUE, &raw), ERROR_SUCCESS);
    const UniqueKey key(raw);
    const std::wstring target = L"\\Registry\\Machine\\Software\\ZarvexTest\\Elsewhere";
    ASSERT_EQ(RegSetValueExW(raw, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.c_str()),
                             static_cast<DWORD>(target.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    const RegistryDeletion deletion = RemoveValuePath(HKEY_CURRENT_USER, run + "\\product");
    EXPECT_TRUE(deletion.refusal.empty()) << deletion.refusal;
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, run, "product"));

    // A real link in the same place is refused.
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\Elsewhere\\Run", "product", "kept"));
    ASSERT_TRUE(CreateMachineLinkKey(HKEY_CURRENT_USER, "Software\\ZarvexTest\\Linked", "Software\\ZarvexTest\\Elsewhere"));
    EXPECT_EQ(RemoveValuePath(HKEY_CURRENT_USER, "Software\\ZarvexTest\\Linked\\Run\\product").refusal,
              kRefusedKeyLinkInPath);
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest\\Elsewhere\\Run", "product"));
    RegDeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest\\Linked", false);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest");
}

// A subkey named with a NUL inside ("a\0b") is opened and deleted by its whole name: never cut to
// its sibling "a", never tried again and again.
TEST(RegistryNames, ASubkeyNameWithANulIsDeletedWhole) {
    using NtCreateKeyFn = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, OBJECT_ATTRIBUTES*, ULONG, UNICODE_STRING*, ULONG, PULONG);
    const auto createKey = reinterpret_cast<NtCreateKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtCreateKey")));
    ASSERT_TRUE(createKey);
    const std::string product = "Software\\ZarvexTest\\Nul\\Product";
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, product + "\\a"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, "Software\\ZarvexTest\\Nul", "kept", "x"));
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, product.c_str(), 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
    const UniqueKey parent(raw);
    std::wstring name(L"a\0b", 3);
    UNICODE_STRING counted{6, 6, name.data()};
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof(attributes);
    attributes.RootDirectory = raw;
    attributes.ObjectName = &counted;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    HANDLE created = nullptr;
    ASSERT_GE(createKey(&created, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0, nullptr), 0);
    const UniqueKey nul(static_cast<HKEY>(created));
    DWORD subkeys = 0;
    RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    ASSERT_EQ(subkeys, 2u) << "the platform keeps a NUL in a key name";

    ObjectList record;
    const RegistryDeletion deletion = RemoveKeyTree(HKEY_CURRENT_USER, product, {Carry::Remove, &record});
    EXPECT_TRUE(deletion.deleted);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, product));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "Software\\ZarvexTest\\Nul", "kept"));
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest");
}

}  // namespace
