#include "catalogue/catalogue_listing.h"

#include "catalogue/rogue_catalogue.h"
#include "catalogue/sweep.h"
#include "system/signature.h"

namespace {

const char* FolderWord(FolderRoot root) {
    switch (root) {
        case FolderRoot::ProgramFiles: return "PF";
        case FolderRoot::CommonAppData: return "CA";
        case FolderRoot::Programs: return "PR";
        case FolderRoot::StartMenu: return "SM";
        case FolderRoot::CommonPrograms: return "CP";
        case FolderRoot::Desktop: return "DT";
        case FolderRoot::AppData: return "AD";
        case FolderRoot::SystemDir: return "SYS";
        case FolderRoot::WindowsDir: return "WIN";
        case FolderRoot::TempDir: return "TMP";
    }
    return "?";
}

const char* RegistryWord(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::CurrentUser: return "HKCU";
        case RegistryRoot::LocalMachine: return "HKLM";
        case RegistryRoot::ClassesRoot: return "HKCR";
    }
    return "?";
}

// A reference with its decoded text: p1 "name.exe".
std::string Ref(const SignatureRef& ref) {
    return std::string(ref.name) + " \"" + DecodeSignature(ref.text) + "\"";
}

std::string CheckLine(const DetectCheck& check) {
    switch (check.kind) {
        case CheckKind::ProcessCheck: return "proc " + Ref(check.operand);
        case CheckKind::KeyCheck: return std::string("key ") + RegistryWord(check.registry) + " " + Ref(check.operand);
        case CheckKind::FolderCheck: return std::string("dir ") + FolderWord(check.folder) + " " + Ref(check.operand);
    }
    return "?";
}

std::string StepLine(const RemovalStep& step) {
    auto rooted = [&](const char* word) { return std::string(word) + " " + FolderWord(step.folder) + " " + Ref(step.operand); };
    auto keyed = [&](const char* word) { return std::string(word) + " " + RegistryWord(step.registry) + " " + Ref(step.operand); };
    std::string line;
    switch (step.kind) {
        case StepKind::Terminate: line = "kill " + Ref(step.operand); break;
        case StepKind::Wait: line = "wait " + std::to_string(step.milliseconds); break;
        case StepKind::StartUninstaller: line = "uninstall " + Ref(step.operand); break;
        case StepKind::EmptyFolder: line = rooted("empty"); break;
        case StepKind::RemoveShortcuts: line = rooted("links"); break;
        case StepKind::RemoveFile: line = rooted("del"); break;
        case StepKind::RemoveReadOnlyFile: line = rooted("rodel"); break;
        case StepKind::RemoveFolder: line = rooted("rmdir"); break;
        case StepKind::RemoveKey: line = keyed("key"); break;
        case StepKind::RemoveValue: line = keyed("val"); break;
        case StepKind::RemoveRunValue: line = keyed("run"); break;
    }
    if (step.times > 1) line += " x" + std::to_string(step.times);
    return line;
}

std::string SweepLine(const SweepStep& step) {
    auto file = [&] { return std::string(FolderWord(step.folder)) + " " + Ref(step.first); };
    switch (step.kind) {
        case SweepKind::Removal:
            return StepLine(step.removal) + (step.first.text ? " naming " + Ref(step.first) : std::string());
        case SweepKind::KillByPath: return "killpath " + Ref(step.first) + " " + Ref(step.second);
        case SweepKind::ReportFile: return "report " + file() + " label \"" + step.label + "\"";
        case SweepKind::ReportReadOnlyFile: return "roreport " + file() + " label \"" + step.label + "\"";
        case SweepKind::OpenAndDelete: return "opendel " + file() + " uninstall " + Ref(step.second);
    }
    return "?";
}

// Whom and which view a root reaches: a root that comes to reach every user changes what is removed.
std::string ReachLine(const char* word, RootReach reach) {
    std::string line = std::string("root ") + word + " ";
    if (!reach.everyUser && !reach.bothViews) return line + "machine";
    if (reach.everyUser) line += "every user";
    if (reach.everyUser && reach.bothViews) line += ", ";
    if (reach.bothViews) line += "both views";
    return line;
}

}  // namespace

std::vector<std::string> CatalogueListing() {
    std::vector<std::string> lines;
    int position = 1;
    for (const RogueEntry& entry : RogueCatalogue()) {
        lines.push_back("entry " + std::to_string(position++) + " index " + std::to_string(entry.checkListIndex) +
                        " \"" + entry.displayName + "\" label \"" + entry.resultLabel + "\"");
        for (const DetectCheck& check : entry.checks) lines.push_back("  check " + CheckLine(check));
        for (const RemovalStep& step : entry.steps) lines.push_back("  step " + StepLine(step));
    }
    lines.push_back("sweep");
    for (const SweepStep& step : SweepSteps()) lines.push_back("  step " + SweepLine(step));
    lines.push_back("roots");
    for (FolderRoot root : {FolderRoot::ProgramFiles, FolderRoot::CommonAppData, FolderRoot::Programs,
                            FolderRoot::StartMenu, FolderRoot::CommonPrograms, FolderRoot::Desktop, FolderRoot::AppData,
                            FolderRoot::SystemDir, FolderRoot::WindowsDir, FolderRoot::TempDir})
        lines.push_back("  " + ReachLine(FolderWord(root), ReachOf(root)));
    for (RegistryRoot root : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine, RegistryRoot::ClassesRoot})
        lines.push_back("  " + ReachLine(RegistryWord(root), ReachOf(root)));
    return lines;
}
