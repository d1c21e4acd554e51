#include "support/rogue_planting.h"

#include <cctype>
#include <stdexcept>

#include "catalogue/rogue_catalogue.h"
#include "catalogue/rogue_routines.h"
#include "system/folders.h"
#include "system/signature.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

const RogueEntry& EntryAtIndex(int checkListIndex) {
    for (const RogueEntry& entry : RogueCatalogue()) {
        if (entry.checkListIndex == checkListIndex) return entry;
    }
    throw std::out_of_range("no catalogue entry at index " + std::to_string(checkListIndex));
}

std::string ProgramFolderOf(const RogueEntry& entry) {
    for (const DetectCheck& check : entry.checks) {
        if (check.kind != CheckKind::FolderCheck) continue;
        std::string folder = RootedPath(check.folder, check.operand.text);
        while (!folder.empty() && folder.back() == '\\') folder.pop_back();
        return folder;
    }
    return {};
}

std::vector<const WaiterProcess*> PlantDetectedTraces(const RogueEntry& entry, Planting& planting) {
    std::string folder = ProgramFolderOf(entry);
    // A product without a folder check still needs its programs somewhere of our own.
    if (folder.empty()) folder = GetTempFolder() + "zarvex-programs";
    planting.Folder(folder);
    std::vector<std::string> names;
    for (const DetectCheck& check : entry.checks) {
        std::string plain = DecodeSignature(check.operand.text);
        if (check.kind == CheckKind::KeyCheck) planting.Key(RegistryRootKey(check.registry), plain);
        if (check.kind != CheckKind::ProcessCheck) continue;
        bool known = false;
        for (const std::string& name : names) known = known || SameName(name, plain);
        if (!known) names.push_back(plain);
    }
    std::vector<const WaiterProcess*> programs;
    for (const std::string& name : names) programs.push_back(&planting.Process(folder, name));
    return programs;
}

std::string RunValueData(const RogueEntry& entry) {
    std::string program = "program.exe";
    for (const DetectCheck& check : entry.checks) {
        if (check.kind != CheckKind::ProcessCheck) continue;
        program = DecodeSignature(check.operand.text);
        break;
    }
    std::string folder = ProgramFolderOf(entry);
    if (folder.empty()) folder = GetTempFolder() + "zarvex-programs";
    return "\"" + folder + "\\" + program + "\" /tray";
}
