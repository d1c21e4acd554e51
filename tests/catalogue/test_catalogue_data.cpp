// The catalogue's order, names and list layout, its shared texts, and the safety rules its data keeps.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

#include "catalogue/rogue_catalogue.h"
#include "catalogue/rogue_routines.h"
#include "catalogue/sweep.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/process_names.h"
#include "system/signature.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const RogueEntry& EntryNamed(const char* displayName) {
    for (const RogueEntry& entry : RogueCatalogue()) {
        if (std::strcmp(entry.displayName, displayName) == 0) return entry;
    }
    throw std::runtime_error(std::string("no entry ") + displayName);
}

// The stored text behind a reference of an entry, from wherever the entry uses it.
const char* TextOf(const RogueEntry& entry, const char* refName) {
    for (const DetectCheck& check : entry.checks) {
        if (std::strcmp(check.operand.name, refName) == 0) return check.operand.text;
    }
    for (const RemovalStep& step : entry.steps) {
        if (step.operand.name && std::strcmp(step.operand.name, refName) == 0) return step.operand.text;
    }
    return nullptr;
}

const char* SweepTextOf(const char* refName) {
    for (const SweepStep& step : SweepSteps()) {
        for (const SignatureRef& ref : {step.removal.operand, step.first, step.second}) {
            if (ref.name && std::strcmp(ref.name, refName) == 0) return ref.text;
        }
    }
    return nullptr;
}

TEST(CatalogueData, HoldsTheEntriesInScanOrderWithTheirLabels) {
    const auto& catalogue = RogueCatalogue();
    ASSERT_EQ(catalogue.size(), 33u);
    const int firstFour[] = {1, 0, 3, 2};
    for (int position = 0; position < 33; ++position) {
        const RogueEntry& entry = catalogue[position];
        int expected = position < 4 ? firstFour[position] : position;
        EXPECT_EQ(entry.checkListIndex, expected) << entry.displayName;
        if (entry.checkListIndex == 5) {
            EXPECT_STREQ(entry.resultLabel, "Ultra AV 2009");
        } else if (entry.checkListIndex == 6) {
            EXPECT_STREQ(entry.resultLabel, "(MS) ANTIVIRUS");
        } else {
            EXPECT_STREQ(entry.resultLabel, entry.displayName);
        }
    }
    EXPECT_STREQ(catalogue[0].displayName, "Micro Antivirus 2009");
    EXPECT_STREQ(catalogue[10].displayName, "XP SecurityCenter");
    EXPECT_STREQ(catalogue[32].displayName, "Antivirus 360");
}

// Checks: processes, then a current-user key, then one folder under Program Files or the
// all-users data folder. Lists: a kill for each checked process first, then one wait of 1000 ms.
TEST(CatalogueData, EveryEntryFollowsTheCheckAndListLayout) {
    for (const RogueEntry& entry : RogueCatalogue()) {
        SCOPED_TRACE(entry.displayName);
        ASSERT_GE(entry.checks.size(), 2u);
        ASSERT_LE(entry.checks.size(), 4u);
        std::size_t processes = 0;
        while (processes < entry.checks.size() && entry.checks[processes].kind == CheckKind::ProcessCheck) ++processes;
        ASSERT_GE(processes, 1u);
        const DetectCheck& folder = entry.checks.back();
        EXPECT_EQ(folder.kind, CheckKind::FolderCheck);
        EXPECT_TRUE(folder.folder == FolderRoot::ProgramFiles || folder.folder == FolderRoot::CommonAppData);
        for (std::size_t i = processes; i + 1 < entry.checks.size(); ++i) {
            EXPECT_EQ(entry.checks[i].kind, CheckKind::KeyCheck);
            EXPECT_EQ(entry.checks[i].registry, RegistryRoot::CurrentUser);
        }
        for (std::size_t i = 0; i < processes; ++i) {
            EXPECT_EQ(entry.steps[i].kind, StepKind::Terminate);
            EXPECT_EQ(entry.steps[i].operand.text, entry.checks[i].operand.text);
        }
        std::size_t kills = 0;
        while (entry.steps[kills].kind == StepKind::Terminate) ++kills;
        EXPECT_EQ(entry.steps[kills].kind, StepKind::Wait);
        EXPECT_EQ(entry.steps[kills].milliseconds, 1000u);
        int waits = 0;
        for (const RemovalStep& step : entry.steps) waits += step.kind == StepKind::Wait;
        EXPECT_EQ(waits, 1);
    }
}

TEST(CatalogueData, OneReferenceIsOneStoredText) {
    for (const RogueEntry& entry : RogueCatalogue()) {
        std::map<std::string, const char*> texts;
        auto note = [&](const SignatureRef& ref) {
            if (!ref.name) return;
            auto [at, fresh] = texts.emplace(ref.name, ref.text);
            EXPECT_TRUE(fresh || at->second == ref.text) << entry.displayName << " " << ref.name;
        };
        for (const DetectCheck& check : entry.checks) note(check.operand);
        for (const RemovalStep& step : entry.steps) note(step.operand);
    }
}

TEST(CatalogueData, SharedTextsAreOneStoredText) {
    struct Shared {
        const char* entry;
        const char* ref;
        const char* otherEntry;  // null: the sweep
        const char* otherRef;
    };
    const Shared shared[] = {
        {"Micro Antivirus 2009", "r1", "Ultra Antivirus 2009", "r1"},
        {"Antivirus 2009", "f3", "Pro Antispyware 2009", "f8"},
        {"Pro Antispyware 2009", "p2", "Virus Response Lab 2009", "p3"},
        {"XP Antispyware 2009", "f6", "Antivirus Pro 2009", "f7"},
        {"SpywareSTOP", "k1", "PC Protection Center 2008", "k1"},
        {"Privacy Commander", "r2", "XLG Privacy Control Center", "r2"},
        {"SpyProtector", "p1", nullptr, "p1"},
        {"SpyProtector", "p2", nullptr, "p2"},
        {"SpyProtector", "p3", nullptr, "p3"},
        {"XLG Privacy Control Center", "c2", nullptr, "c1"},
        {"XLG Privacy Control Center", "f5", nullptr, "s5"},
    };
    for (const Shared& pair : shared) {
        const char* text = TextOf(EntryNamed(pair.entry), pair.ref);
        const char* other = pair.otherEntry ? TextOf(EntryNamed(pair.otherEntry), pair.otherRef) : SweepTextOf(pair.otherRef);
        ASSERT_NE(text, nullptr) << pair.entry << " " << pair.ref;
        EXPECT_EQ(text, other) << pair.entry << " " << pair.ref;
    }
}

// Every operand of the catalogue and the sweep, decoded, with where it is used.
struct Operand {
    std::string where;
    std::string text;
};

std::vector<Operand> ProcessNames() {
    std::vector<Operand> names;
    for (const RogueEntry& entry : RogueCatalogue()) {
        for (const DetectCheck& check : entry.checks) {
            if (check.kind == CheckKind::ProcessCheck) names.push_back({entry.displayName, DecodeSignature(check.operand.text)});
        }
        for (const RemovalStep& step : entry.steps) {
            if (step.kind == StepKind::Terminate) names.push_back({entry.displayName, DecodeSignature(step.operand.text)});
        }
    }
    for (const SweepStep& step : SweepSteps()) {
        if (step.kind == SweepKind::Removal && step.removal.kind == StepKind::Terminate) {
            names.push_back({"sweep", DecodeSignature(step.removal.operand.text)});
        }
    }
    return names;
}

std::set<std::string> RunningProcessNames() {
    std::set<std::string> names;
    UniqueHandle snapshot(ValidOrNull(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot || !Process32First(snapshot.get(), &entry)) return names;
    do {
        names.insert(Lower(ExeNamePart(entry.szExeFile)));
    } while (Process32Next(snapshot.get(), &entry));
    return names;
}

TEST(CatalogueSafety, NoProcessNameIsASystemProcess) {
    const std::set<std::string> system = {
        "services.exe", "explorer.exe", "winedevice.exe", "svchost.exe", "plugplay.exe", "rpcss.exe",
        "wineboot.exe", "conhost.exe", "start.exe", "cmd.exe", "winlogon.exe", "csrss.exe", "smss.exe",
        "lsass.exe", "wininit.exe", "spoolsv.exe", "taskmgr.exe", "msmpeng.exe", "msascui.exe", "wscntfy.exe",
        "rundll32.exe", "regedit.exe", "iexplore.exe", "ctfmon.exe", "userinit.exe", "dwm.exe", "taskhost.exe",
        "alg.exe", "wuauclt.exe", "mshta.exe", "msiexec.exe", "tabtip.exe", "wineconsole.exe"};
    std::set<std::string> running = RunningProcessNames();
    std::string systemDir = GetSystemFolder(), windowsDir = GetWindowsFolder();
    for (const Operand& name : ProcessNames()) {
        std::string lower = Lower(name.text);
        EXPECT_EQ(name.text.find_first_of("\\:/"), std::string::npos) << name.where << ": " << name.text;
        EXPECT_EQ(system.count(lower), 0u) << name.where << ": " << name.text;
        EXPECT_EQ(running.count(lower), 0u) << name.where << ": " << name.text << " runs on a clean prefix";
        EXPECT_FALSE(FileExists(systemDir + "\\" + name.text)) << name.where << ": " << name.text;
        EXPECT_FALSE(FileExists(windowsDir + "\\" + name.text)) << name.where << ": " << name.text;
    }
}

// Files the catalogue deletes in the system and Windows folders: none exists in a fresh prefix
// (the prefix carries a file for each Windows system file), and none names a genuine part.
TEST(CatalogueSafety, NoSystemOrWindowsFileIsAWindowsFile) {
    const std::set<std::string> genuine = {"\\wscui.cpl", "\\wscntfy.exe", "\\explorer.exe", "\\regedit.exe",
                                           "\\spoolsv.exe", "\\drivers\\etc\\hosts", "\\msmpeng.exe"};
    for (const RogueEntry& entry : RogueCatalogue()) {
        for (const RemovalStep& step : entry.steps) {
            if (step.folder != FolderRoot::SystemDir && step.folder != FolderRoot::WindowsDir) continue;
            ASSERT_TRUE(step.kind == StepKind::RemoveFile || step.kind == StepKind::RemoveReadOnlyFile)
                << entry.displayName;
            std::string path = RootedPath(step.folder, step.operand.text);
            EXPECT_FALSE(FileExists(path)) << entry.displayName << ": " << path;
            EXPECT_EQ(genuine.count(Lower(DecodeSignature(step.operand.text))), 0u) << entry.displayName;
        }
    }
    for (const SweepStep& step : SweepSteps()) {
        if (step.kind != SweepKind::ReportFile || step.folder != FolderRoot::SystemDir) continue;
        std::string path = RootedPath(step.folder, step.first.text);
        EXPECT_FALSE(FileExists(path)) << path;
        EXPECT_EQ(genuine.count(Lower(DecodeSignature(step.first.text))), 0u) << path;
    }
}

bool IsGuid(const std::string& text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
    for (std::size_t i = 1; i < 37; ++i) {
        bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

// Key paths have two components at least (a key right under a root is never deleted); the
// classes root keys are the products' own class, type library and interface ids.
TEST(CatalogueSafety, KeyPathsAreDeepAndClassKeysAreTheProductsOwn) {
    for (const RogueEntry& entry : RogueCatalogue()) {
        std::vector<std::pair<RegistryRoot, std::string>> keys;
        for (const DetectCheck& check : entry.checks) {
            if (check.kind == CheckKind::KeyCheck) keys.emplace_back(check.registry, DecodeSignature(check.operand.text));
        }
        for (const RemovalStep& step : entry.steps) {
            const bool value = step.kind == StepKind::RemoveValue || step.kind == StepKind::RemoveRunValue;
            std::string text =
                step.kind == StepKind::RemoveKey || value ? DecodeSignature(step.operand.text) : std::string();
            if (step.kind == StepKind::RemoveKey) keys.emplace_back(step.registry, text);
            if (value) {
                EXPECT_NE(text.find('\\'), std::string::npos) << entry.displayName << ": " << text;
                keys.emplace_back(step.registry, text.substr(0, text.rfind('\\')));
            }
        }
        for (const auto& [root, path] : keys) {
            SCOPED_TRACE(std::string(entry.displayName) + ": " + path);
            EXPECT_NE(path.find('\\'), std::string::npos);
            EXPECT_NE(path.front(), '\\');
            EXPECT_NE(path.back(), '\\');
            if (root != RegistryRoot::ClassesRoot) continue;
            std::string kind = path.substr(0, path.find('\\'));
            EXPECT_TRUE(kind == "CLSID" || kind == "TypeLib" || kind == "Interface");
            EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kind));
            EXPECT_TRUE(IsGuid(path.substr(path.find('\\') + 1)));
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, path)) << "a class the system already has";
        }
    }
}

}  // namespace
