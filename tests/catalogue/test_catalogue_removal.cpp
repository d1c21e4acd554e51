// The catalogue keeps its promise: for each entry, with everything it names planted, DetectRogue
// is true, its plan changes nothing and lists what RemoveRogue then deletes, RemoveRogue leaves
// every detect check false, and what stands beside the traces survives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "catalogue/rogue_catalogue.h"
#include "catalogue/rogue_routines.h"
#include "support/planting.h"
#include "support/rogue_planting.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "system/processes.h"
#include "system/signature.h"
#include "system/text_codes.h"

namespace {

std::string Plain(const SignatureRef& ref) { return DecodeSignature(ref.text); }

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// What a planted entry must look like after its removal.
struct Expectations {
    std::vector<std::string> goneFiles;
    std::vector<std::string> goneFolders;
    std::vector<std::pair<HKEY, std::string>> goneKeys;
    std::vector<std::pair<HKEY, std::string>> goneValues;
    std::vector<const WaiterProcess*> endedProcesses;
    std::vector<std::string> stoppedNames;
    std::vector<std::string> keptFiles;
    std::vector<std::pair<HKEY, std::string>> keptKeys;
    std::vector<std::pair<HKEY, std::string>> keptValues;
};

std::string WithoutTrailingSeparator(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string ProgramFolder(const RogueEntry& entry) {
    for (const DetectCheck& check : entry.checks) {
        if (check.kind == CheckKind::FolderCheck) return RootedPath(check.folder, check.operand.text);
    }
    return {};
}

void PlantBystandersUnder(FolderRoot root, Planting& planting, Expectations& expect, std::set<FolderRoot>& done) {
    if (!done.insert(root).second) return;
    std::string base = WithoutTrailingSeparator(FolderRootPath(root));
    planting.Folder(base + "\\zarvex-bystander");
    planting.File(base + "\\zarvex-bystander\\keep.exe");
    planting.File(base + "\\zarvex-bystander.txt");
    // Another program lying directly beside the traces: no step lists the root's programs.
    planting.File(base + "\\zarvex-bystander.exe");
    expect.keptFiles.push_back(base + "\\zarvex-bystander\\readme.txt");
    expect.keptFiles.push_back(base + "\\zarvex-bystander\\keep.exe");
    expect.keptFiles.push_back(base + "\\zarvex-bystander.txt");
    expect.keptFiles.push_back(base + "\\zarvex-bystander.exe");
}

void PlantKey(HKEY root, const std::string& path, Planting& planting, Expectations& expect) {
    planting.Key(root, path);
    expect.goneKeys.emplace_back(root, path);
    std::string sibling = ParentPath(path) + "\\zarvex-bystander";
    planting.Key(root, sibling);
    expect.keptKeys.emplace_back(root, sibling);
}

void PlantValue(HKEY root, const std::string& valuePath, Planting& planting, Expectations& expect,
                const std::string& data = "C:\\planted.exe") {
    planting.Value(root, valuePath, data);
    expect.goneValues.emplace_back(root, valuePath);
    std::string sibling = SplitValuePath(valuePath).first + "\\zarvex-bystander";
    planting.Value(root, sibling);
    expect.keptValues.emplace_back(root, sibling);
}

// Plants everything the entry's checks and steps name, its programs running from its folder.
void PlantEntry(const RogueEntry& entry, Planting& planting, Expectations& expect) {
    std::set<FolderRoot> bystanderRoots;
    for (const DetectCheck& check : entry.checks) {
        if (check.kind == CheckKind::FolderCheck) planting.Folder(RootedPath(check.folder, check.operand.text));
        if (check.kind == CheckKind::KeyCheck) {
            PlantKey(RegistryRootKey(check.registry), Plain(check.operand), planting, expect);
        }
    }
    std::vector<std::string> processNames;
    auto noteProcess = [&](const std::string& name) {
        for (const std::string& known : processNames) {
            if (Upper(known) == Upper(name)) return;
        }
        processNames.push_back(name);
    };
    for (const DetectCheck& check : entry.checks) {
        if (check.kind == CheckKind::ProcessCheck) noteProcess(Plain(check.operand));
    }
    std::set<std::string> linkFolders;
    for (const RemovalStep& step : entry.steps) {
        HKEY registry = RegistryRootKey(step.registry);
        switch (step.kind) {
            case StepKind::Terminate: noteProcess(Plain(step.operand)); break;
            case StepKind::EmptyFolder:
            case StepKind::RemoveFolder: {
                std::string folder = WithoutTrailingSeparator(RootedPath(step.folder, step.operand.text));
                // A folder of links holds the links alone, and goes with them.
                if (linkFolders.count(folder)) {
                    expect.goneFolders.push_back(folder);
                    break;
                }
                planting.Folder(folder);
                expect.goneFiles.push_back(folder + "\\readme.txt");
                expect.goneFiles.push_back(folder + "\\data.bin");
                if (step.kind == StepKind::RemoveFolder) expect.goneFolders.push_back(folder);
                PlantBystandersUnder(step.folder, planting, expect, bystanderRoots);
                break;
            }
            case StepKind::RemoveFile:
            case StepKind::RemoveReadOnlyFile: {
                std::string file = RootedPath(step.folder, step.operand.text);
                DWORD attributes = step.kind == StepKind::RemoveReadOnlyFile
                                       ? FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE
                                       : FILE_ATTRIBUTE_NORMAL;
                planting.File(file, attributes);
                expect.goneFiles.push_back(file);
                PlantBystandersUnder(step.folder, planting, expect, bystanderRoots);
                break;
            }
            case StepKind::RemoveKey: PlantKey(registry, Plain(step.operand), planting, expect); break;
            case StepKind::RemoveValue: PlantValue(registry, Plain(step.operand), planting, expect); break;
            // A Run value as the product sets it: it starts the product's program.
            case StepKind::RemoveRunValue:
                PlantValue(registry, Plain(step.operand), planting, expect, RunValueData(entry));
                break;
            // The product's folder of links: only its links, so that it goes with them.
            case StepKind::RemoveShortcuts: {
                std::string folder = WithoutTrailingSeparator(RootedPath(step.folder, step.operand.text));
                planting.BareFolder(folder);
                linkFolders.insert(folder);
                for (const char* link : {"\\Run.lnk", "\\Support.url"}) {
                    planting.File(folder + link);
                    expect.goneFiles.push_back(folder + link);
                }
                PlantBystandersUnder(step.folder, planting, expect, bystanderRoots);
                break;
            }
            case StepKind::Wait:
            case StepKind::StartUninstaller: break;
        }
    }
    std::string programFolder = ProgramFolder(entry);
    for (const std::string& name : processNames) {
        expect.endedProcesses.push_back(&planting.Process(programFolder, name));
        expect.stoppedNames.push_back(name);
    }
}

std::string KeyText(const std::pair<HKEY, std::string>& key) {
    const char* root = key.first == HKEY_CURRENT_USER    ? "HKCU\\"
                       : key.first == HKEY_LOCAL_MACHINE ? "HKLM\\"
                                                         : "HKCR\\";
    return root + key.second;
}

// The objects of a record with that outcome, one line each, sorted; programs are left out, since
// the shell decides whether one starts.
std::vector<std::string> Acted(const ObjectList& list, Outcome outcome) {
    std::vector<std::string> lines;
    for (const ActedObject& object : list.Objects()) {
        if (object.outcome != outcome || object.kind == ObjectKind::Program) continue;
        lines.push_back(std::to_string(static_cast<int>(object.kind)) + " " + std::to_string(object.processId) + " " +
                        Upper(ToAnsi(object.path)) + " " + Upper(ToAnsi(object.name)));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool Listed(const ObjectList& list, const std::string& path) {
    for (const ActedObject& object : list.Objects())
        if (Upper(ToAnsi(object.path)) == Upper(path)) return true;
    return false;
}

class CatalogueRemoval : public ::testing::TestWithParam<int> {};

TEST_P(CatalogueRemoval, RemovesWhatItDetectsAndSparesWhatStandsBeside) {
    const RogueEntry& entry = RogueCatalogue()[GetParam()];
    ScratchFolder scratch("removal");
    Planting planting;
    Expectations expect;
    PlantEntry(entry, planting, expect);
    WaiterProcess unrelated(scratch.Path(), "zarvex-bystander.exe");
    ASSERT_TRUE(unrelated.Started());
    for (const WaiterProcess* process : expect.endedProcesses) ASSERT_TRUE(process->Started()) << process->Path();

    ASSERT_TRUE(DetectRogue(entry));
    for (const DetectCheck& check : entry.checks) {
        EXPECT_TRUE(CheckIsTrue(check)) << "planted trace not seen, or changed by detecting: " << Plain(check.operand);
    }

    // The plan changes nothing and names exactly what the removal then deletes and ends.
    ObjectList plan;
    RemoveRogue(entry, {Carry::Plan, &plan});
    for (const DetectCheck& check : entry.checks) EXPECT_TRUE(CheckIsTrue(check)) << "changed by the plan";
    for (const WaiterProcess* process : expect.endedProcesses) EXPECT_TRUE(process->Running()) << process->Path();
    for (const std::string& file : expect.goneFiles) EXPECT_TRUE(FileExists(file)) << "changed by the plan: " << file;

    // Planted as the product lays them, nothing stands in the way: no step is refused.
    ObjectList record;
    for (const StepRefusal& refusal : RemoveRogue(entry, {Carry::Remove, &record})) {
        ADD_FAILURE() << "step " << refusal.step << " refused: " << refusal.reason;
    }
    EXPECT_EQ(Acted(record, Outcome::Done), Acted(plan, Outcome::Planned));
    for (const std::string& file : expect.goneFiles) EXPECT_TRUE(Listed(plan, file)) << "not in the plan: " << file;

    for (const DetectCheck& check : entry.checks) {
        EXPECT_FALSE(CheckIsTrue(check)) << "still detected: " << Plain(check.operand);
    }
    for (const WaiterProcess* process : expect.endedProcesses) EXPECT_TRUE(process->WaitEnded(5000)) << process->Path();
    for (const std::string& name : expect.stoppedNames) EXPECT_FALSE(ProcessIsRunning(name)) << name;
    for (const std::string& file : expect.goneFiles) EXPECT_FALSE(FileExists(file)) << file;
    for (const std::string& folder : expect.goneFolders) EXPECT_FALSE(FolderExists(folder)) << folder;
    for (const auto& key : expect.goneKeys) EXPECT_FALSE(KeyExists(key.first, key.second)) << KeyText(key);
    for (const auto& value : expect.goneValues) {
        auto [key, name] = SplitValuePath(value.second);
        EXPECT_FALSE(ValueExists(value.first, key, name)) << KeyText(value);
    }

    EXPECT_TRUE(unrelated.Running());
    for (const std::string& file : expect.keptFiles) EXPECT_TRUE(FileExists(file)) << file;
    for (const auto& key : expect.keptKeys) EXPECT_TRUE(KeyExists(key.first, key.second)) << KeyText(key);
    for (const auto& value : expect.keptValues) {
        auto [key, name] = SplitValuePath(value.second);
        EXPECT_TRUE(ValueExists(value.first, key, name)) << KeyText(value);
    }
}

std::string EntryTestName(const ::testing::TestParamInfo<int>& info) {
    std::string name;
    for (const char* c = RogueCatalogue()[info.param].displayName; *c; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryEntry, CatalogueRemoval, ::testing::Range(0, 33), EntryTestName);

TEST(CatalogueDetection, FindsNothingOnACleanPrefix) {
    for (const RogueEntry& entry : RogueCatalogue()) {
        EXPECT_FALSE(DetectRogue(entry)) << entry.displayName;
        for (const DetectCheck& check : entry.checks) {
            EXPECT_FALSE(CheckIsTrue(check)) << entry.displayName << ": " << Plain(check.operand);
        }
    }
}

}  // namespace
