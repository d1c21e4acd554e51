#include "catalogue/sweep.h"

#include <windows.h>

#include "catalogue/entry_notation.h"
#include "catalogue/rogue_routines.h"
#include "catalogue/shared_texts.h"
#include "system/exact_deletion.h"
#include "system/files.h"
#include "system/processes.h"
#include "system/signature.h"
#include "system/text_codes.h"
#include "system/wide_paths.h"

using namespace entry_notation;

namespace {

SweepStep step(const RemovalStep& removal) { return {SweepKind::Removal, removal}; }

// A Run value of a trace: deleted only while it starts the trace's file.
SweepStep step(const RemovalStep& removal, SignatureRef startedFile) {
    return {SweepKind::Removal, removal, startedFile};
}

SweepStep killpath(SignatureRef name, SignatureRef fragment) {
    return {SweepKind::KillByPath, {}, name, fragment};
}

SweepStep report(FolderRoot root, SignatureRef file, const char* label) {
    return {SweepKind::ReportFile, {}, file, {}, root, label};
}

SweepStep roreport(FolderRoot root, SignatureRef file, const char* label) {
    return {SweepKind::ReportReadOnlyFile, {}, file, {}, root, label};
}

SweepStep opendel(FolderRoot root, SignatureRef file, SignatureRef target) {
    return {SweepKind::OpenAndDelete, {}, file, target, root};
}

std::vector<SweepStep> BuildSweep() {
    REF(r1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\ieupdates");
    REF(r2, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\srcss");
    SHARED_REF(p1, shared_text::SpyProtectorProcess);
    SHARED_REF(p2, shared_text::SpyProtectorUpdateProcess);
    SHARED_REF(p3, shared_text::SpyProtectorServiceProcess);
    // Fakes that borrow system process names: only the copies in these folders are stopped, never
    // the genuine processes in the system folder. The fragments hold on XP and Vista layouts alike.
    REF(e1, "winlogon.exe");
    REF(t1, "\\Microsoft\\Windows\\winlogon.exe");
    REF(e2, "services.exe");
    REF(t2, "\\Temp\\services.exe");
    REF(s1, "\\ieupdates.exe");
    REF(s2, "\\scui.cpl");
    REF(s3, "\\ieexplorer32.exe");
    REF(s4, "\\srcss.exe");
    SHARED_REF(s5, shared_text::XlgSetupFile);
    SHARED_REF(c1, shared_text::XlgUninstaller);
    REF(s6, "\\Microsoft\\Windows\\winlogon.exe");
    REF(s7, "\\services.exe");
    return {
        step(run(HKLM, r1), s1), step(run(HKCU, r1), s1), step(run(HKCU, r2), s4), step(run(HKLM, r2), s4),
        step(kill(p1)), step(kill(p2)), step(kill(p3)),
        killpath(e1, t1), killpath(e2, t2),
        step(wait(500)),
        report(SYS, s1, "%systemdir%\\ieupdates.exe"),
        report(SYS, s2, "%systemdir%\\scui.cpl"),
        report(SYS, s3, "%systemdir%\\ieexplorer32.exe"),
        report(SYS, s4, "%systemdir%\\srcss.exe"),
        opendel(PF, s5, c1),
        roreport(AD, s6, "%appdata%\\Microsoft\\Windows\\winlogon.exe"),
        report(TMP, s7, "%tempdir%\\services.exe"),
    };
}

std::wstring FilePath(const SweepStep& step, const StepPlace& place) {
    return RootedPathW(step.folder, step.first.text, place);
}

// The file by the path fixed at its check; recorded by its path as looked up where there is none.
ExactDeletion DeleteFileAt(const RemovableTarget& target, const std::wstring& named, bool clearReadOnly,
                           const Acting& acting) {
    if (target.path.empty()) {
        RecordUnremovable(target, {ObjectKind::File, Outcome::NotFound, named}, acting);
        return {false, target.refusal};
    }
    return DeleteFileExactly(target.path, clearReadOnly, acting);
}

// What a trace's Run value must start: the trace's file name.
std::vector<std::wstring> StartedFileNames(const SweepStep& step) {
    if (!step.first.text) return {};
    const std::wstring file = LastPathPart(FromAnsi(DecodeSignature(step.first.text)));
    return file.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{file};
}

void KillByPath(const SweepStep& step, const Acting& acting) {
    KillProcessByPath(DecodeSignature(step.first.text), DecodeSignature(step.second.text), acting);
}

// A found file that stays is handed back as such rather than counted silently. A file where the
// rules refuse to look (its root set to a system folder, a link on its way) is no trace of the
// product: it is shown as refused where it is there, and not counted.
void ReportAndDelete(const SweepStep& step, const StepPlace& place, std::vector<SweepFinding>& findings,
                     const Acting& acting) {
    const RemovableTarget target = CheckRemovable(step.folder, step.first.text, place);
    const std::wstring named = FilePath(step, place);
    if (!MayLookAt(named, target) || IsExistingFile(named)) {
        if (!target.refusal.empty()) {
            acting.Record({ObjectKind::File, Outcome::NotFound, named}, Outcome::Refused, FromAnsi(target.refusal));
            return;
        }
        ExactDeletion deletion = DeleteFileAt(target, named, step.kind == SweepKind::ReportReadOnlyFile, acting);
        findings.push_back({step.label, deletion.deleted, std::move(deletion.refusal)});
        return;
    }
    acting.Record({ObjectKind::File, Outcome::NotFound, named}, Outcome::NotFound);
}

void OpenAndDelete(const SweepStep& step, const StepPlace& place, const Acting& acting) {
    const RemovableTarget target = CheckRemovable(step.folder, step.first.text, place);
    const std::wstring named = FilePath(step, place);
    if (!IsExistingFile(named)) {
        acting.Record({ObjectKind::File, Outcome::NotFound, named}, Outcome::NotFound);
        return;
    }
    StartUninstallerIn({StepKind::StartUninstaller, step.second, step.folder}, place, acting);
    DeleteFileAt(target, named, false, acting);
}

}  // namespace

const std::vector<SweepStep>& SweepSteps() {
    static const std::vector<SweepStep> steps = BuildSweep();
    return steps;
}

std::vector<SweepFinding> AlwaysRunSweep(const Acting& acting) {
    std::vector<SweepFinding> findings;
    // One phase: its kills share one process list until one of them stops something or a step
    // waits, opens or removes; a plan does neither.
    ProcessListScope phase;
    ProcessListScope::Refresh();
    auto acted = [&acting] {
        if (!acting.Planning()) ProcessListScope::Refresh();
    };
    for (const SweepStep& item : SweepSteps()) {
        switch (item.kind) {
            case SweepKind::Removal: RunStep(item.removal, acting, StartedFileNames(item)); break;
            case SweepKind::KillByPath: KillByPath(item, acting); break;
            case SweepKind::ReportFile:
            case SweepKind::ReportReadOnlyFile:
                for (const StepPlace& place : PlacesOf(ReachOf(item.folder)))
                    ReportAndDelete(item, place, findings, acting.For(place.owner));
                acted();
                break;
            case SweepKind::OpenAndDelete:
                for (const StepPlace& place : PlacesOf(ReachOf(item.folder)))
                    OpenAndDelete(item, place, acting.For(place.owner));
                acted();
                break;
        }
    }
    return findings;
}
