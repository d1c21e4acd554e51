// Each deleting primitive carried out as a plan and then for real: the plan changes nothing and
// lists exactly what the removal then acts on, and both record what they left and why.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "support/test_paths.h"
#include "support/test_process.h"
#include "support/test_registry.h"
#include "system/acting.h"
#include "system/error_text.h"
#include "system/exact_deletion.h"
#include "system/processes.h"
#include "system/registro.h"
#include "system/text_codes.h"
#include "system/wide_paths.h"

namespace {

struct Seen {
    ObjectKind kind;
    Outcome outcome;
    std::wstring path;
    std::wstring reason;
    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& seen, std::ostream* out) {
    *out << static_cast<int>(seen.kind) << " " << static_cast<int>(seen.outcome) << " " << ToAnsi(seen.path)
         << " " << ToAnsi(seen.reason);
}

std::vector<Seen> SeenIn(const ObjectList& list) {
    std::vector<Seen> seen;
    for (const ActedObject& object : list.Objects()) seen.push_back({object.kind, object.outcome, object.path, object.reason});
    return seen;
}

// The same list with every "planned" read as "done": what the removal must then say.
std::vector<Seen> AsDone(std::vector<Seen> seen) {
    for (Seen& object : seen)
        if (object.outcome == Outcome::Planned) object.outcome = Outcome::Done;
    return seen;
}

// Ordinary files go; a read-only file is refused with its reason; hidden and system files and
// subfolders are not the option's and are not listed at all.
TEST(PlansAndRecords, APlanOfEmptyingAFolderListsEachFileTheRemovalThenDeletes) {
    ScratchFolder scratch("plans-folder");
    const std::wstring folder = FromAnsi(scratch.Path());
    const std::wstring plain = folder + L"\\plain.txt", wide = folder + L"\\\x4E2D\x6587.dat";
    const std::wstring readOnly = folder + L"\\readonly.txt", hidden = folder + L"\\hidden.txt";
    for (const std::wstring& file : {plain, wide, readOnly, hidden}) ASSERT_TRUE(WriteWideFile(file, "x"));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\sub").c_str(), nullptr));

    ObjectList plan;
    const FolderEmptying planned = DeleteFilesInFolder(folder + L"\\", nullptr, {Carry::Plan, &plan});
    EXPECT_EQ(planned.refusal, "");
    EXPECT_EQ(planned.files, 3u);
    for (const std::wstring& file : {plain, wide, readOnly, hidden}) EXPECT_TRUE(WideFileExists(file));
    std::vector<Seen> expected = {{ObjectKind::File, Outcome::Planned, plain},
                                  {ObjectKind::File, Outcome::Planned, wide},
                                  {ObjectKind::File, Outcome::Refused, readOnly, FromAnsi(kRefusedReadOnly)}};
    std::vector<Seen> listed = SeenIn(plan);
    std::sort(listed.begin(), listed.end(), [](const Seen& a, const Seen& b) { return a.path < b.path; });
    std::sort(expected.begin(), expected.end(), [](const Seen& a, const Seen& b) { return a.path < b.path; });
    EXPECT_EQ(listed, expected);

    ObjectList record;
    DeleteFilesInFolder(folder, nullptr, {Carry::Remove, &record});
    std::vector<Seen> done = SeenIn(record);
    std::sort(done.begin(), done.end(), [](const Seen& a, const Seen& b) { return a.path < b.path; });
    EXPECT_EQ(done, AsDone(listed));
    EXPECT_FALSE(WideFileExists(plain));
    EXPECT_FALSE(WideFileExists(wide));
    EXPECT_TRUE(WideFileExists(readOnly));
    EXPECT_TRUE(WideFileExists(hidden));
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// What is not there, what a rule refuses and what the system refuses, each in its own words. A
// plan opens to look, so a file held open now is planned: the removal ends the products'
// programs before it deletes, and only then does the system's answer count.
TEST(PlansAndRecords, NotFoundRefusedAndFailedAreToldApartInBothModes) {
    ScratchFolder scratch("plans-outcomes");
    const std::wstring folder = FromAnsi(scratch.Path());
    const std::wstring held = folder + L"\\held.txt", missing = folder + L"\\missing.txt", sub = folder + L"\\sub";
    const std::wstring file = folder + L"\\file.txt";
    ASSERT_TRUE(WriteWideFile(held, "x"));
    ASSERT_TRUE(WriteWideFile(file, "x"));
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    for (Carry carry : {Carry::Plan, Carry::Remove}) {
        ObjectList list;
        const Acting acting{carry, &list};
        EXPECT_FALSE(DeleteFileExactly(missing, false, acting));
        EXPECT_EQ(DeleteFileExactly(held, false, acting).deleted, carry == Carry::Plan);
        EXPECT_FALSE(DeleteFileExactly(sub, false, acting));
        EXPECT_FALSE(DeleteFileExactly(L"relative.txt", false, acting));
        EXPECT_FALSE(RemoveFolderExactly(file, acting));
        const std::vector<Seen> expected = {
            {ObjectKind::File, Outcome::NotFound, missing},
            carry == Carry::Plan ? Seen{ObjectKind::File, Outcome::Planned, held}
                                 : Seen{ObjectKind::File, Outcome::Failed, held, SystemErrorReason(ERROR_SHARING_VIOLATION)},
            {ObjectKind::File, Outcome::Refused, sub, FromAnsi(kRefusedNotAFile)},
            {ObjectKind::File, Outcome::Refused, L"relative.txt", FromAnsi(kRefusedNotAbsolute)},
            {ObjectKind::Folder, Outcome::Refused, file, FromAnsi(kRefusedNotAFolder)},
        };
        EXPECT_EQ(SeenIn(list), expected);
    }
    CloseHandle(holder);
    EXPECT_TRUE(WideFileExists(held));
    EXPECT_FALSE(SystemErrorReason(ERROR_SHARING_VIOLATION).empty());
}

// A sink that asks to stop once it has seen a number of objects.
class StopAfter : public ObjectList {
public:
    explicit StopAfter(std::size_t count) : count_(count) {}
    bool StopRequested() override { return Objects().size() >= count_; }

private:
    std::size_t count_;
};

TEST(PlansAndRecords, EmptyingAFolderStopsBetweenTwoFilesWhenAsked) {
    ScratchFolder scratch("plans-stop");
    const std::wstring folder = FromAnsi(scratch.Path());
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(WriteWideFile(folder + L"\\f" + std::to_wstring(i) + L".tmp", "x"));
    StopAfter sink(3);
    const FolderEmptying result = DeleteFilesInFolder(folder, nullptr, {Carry::Remove, &sink});
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.files, 3u);
    ASSERT_EQ(sink.Objects().size(), 3u);
    int left = 0;
    for (int i = 0; i < 10; ++i) left += WideFileExists(folder + L"\\f" + std::to_wstring(i) + L".tmp") ? 1 : 0;
    EXPECT_EQ(left, 7);
    for (const ActedObject& object : sink.Objects()) {
        EXPECT_EQ(object.outcome, Outcome::Done);
        EXPECT_FALSE(WideFileExists(object.path)) << ToAnsi(object.path);
    }
}

// A folder step carried out twice, a kill tried again: one entry each, the success kept.
TEST(PlansAndRecords, AnObjectReachedAgainKeepsOnePlaceAndItsFirstSuccess) {
    ObjectList list;
    const ActedObject folder{ObjectKind::Folder, Outcome::Failed, L"C:\\Product", {}, 0, L"The directory is not empty"};
    list.Record(folder);
    ActedObject gone = folder;
    gone.outcome = Outcome::Done;
    gone.reason.clear();
    gone.path = L"c:\\PRODUCT";
    list.Record(gone);
    ActedObject again = folder;
    again.outcome = Outcome::NotFound;
    list.Record(again);
    list.Record({ObjectKind::File, Outcome::Done, L"C:\\Product"});
    ASSERT_EQ(list.Objects().size(), 2u);
    EXPECT_EQ(list.Objects()[0].outcome, Outcome::Done);
    EXPECT_EQ(list.Objects()[0].kind, ObjectKind::Folder);
    EXPECT_EQ(list.Objects()[1].kind, ObjectKind::File);
}

TEST(PlansAndRecords, AKeyAndAValueArePlannedThenDeletedAndThenNotFound) {
    const std::string base = "Software\\ZarvexTests\\Plans";
    DeleteKeyTree(HKEY_CURRENT_USER, base);
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, base + "\\Product\\Settings", "Version", "1"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, base + "\\Run", "product", "x"));
    const std::wstring key = L"HKCU\\" + FromAnsi(base) + L"\\Product";
    const std::wstring run = L"HKCU\\" + FromAnsi(base) + L"\\Run";
    const Outcome outcomes[] = {Outcome::Planned, Outcome::Done, Outcome::NotFound};
    for (Outcome expected : outcomes) {
        ObjectList list;
        const Acting acting{expected == Outcome::Planned ? Carry::Plan : Carry::Remove, &list};
        RemoveKeyTree(HKEY_CURRENT_USER, base + "\\Product", acting);
        RemoveValuePath(HKEY_CURRENT_USER, base + "\\Run\\product", acting);
        ASSERT_EQ(list.Objects().size(), 2u);
        EXPECT_EQ(list.Objects()[0].kind, ObjectKind::Key);
        EXPECT_EQ(list.Objects()[0].path, key);
        EXPECT_EQ(list.Objects()[0].outcome, expected);
        EXPECT_EQ(list.Objects()[1].kind, ObjectKind::Value);
        EXPECT_EQ(list.Objects()[1].path, run);
        EXPECT_EQ(list.Objects()[1].name, L"product");
        EXPECT_EQ(list.Objects()[1].outcome, expected);
        const bool kept = expected == Outcome::Planned;
        EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, base + "\\Product\\Settings"), kept);
        EXPECT_EQ(ValueExists(HKEY_CURRENT_USER, base + "\\Run", "product"), kept);
    }
    // A key straight under a root is refused even in a plan, and stays.
    ObjectList list;
    RemoveKeyTree(HKEY_CURRENT_USER, "Software", {Carry::Plan, &list});
    ASSERT_EQ(list.Objects().size(), 1u);
    EXPECT_EQ(list.Objects()[0].outcome, Outcome::Refused);
    EXPECT_EQ(list.Objects()[0].reason, FromAnsi(kRefusedKeyUnderRoot));
    DeleteKeyTree(HKEY_CURRENT_USER, base);
}

// The plan names the very process the removal then ends: its id, listed name and image path.
TEST(PlansAndRecords, AKillIsPlannedWithIdNameAndImagePathThenEnded) {
    ScratchFolder scratch("plans-process");
    WaiterProcess waiter(scratch.Path(), "zvxplanned.exe");
    ASSERT_TRUE(waiter.Started());
    ObjectList plan;
    KillProcessByNameOrId("ZVXPLANNED.EXE", {Carry::Plan, &plan});
    ASSERT_EQ(plan.Objects().size(), 1u);
    const ActedObject planned = plan.Objects()[0];
    EXPECT_EQ(planned.kind, ObjectKind::Process);
    EXPECT_EQ(planned.outcome, Outcome::Planned);
    EXPECT_EQ(planned.processId, waiter.Id());
    EXPECT_TRUE(SamePathText(planned.name, L"zvxplanned.exe")) << ToAnsi(planned.name);
    EXPECT_TRUE(SamePathText(planned.path, FromAnsi(waiter.Path()))) << ToAnsi(planned.path);
    EXPECT_TRUE(waiter.Running());

    ObjectList record;
    KillProcessByNameOrId("ZVXPLANNED.EXE", {Carry::Remove, &record});
    ASSERT_EQ(record.Objects().size(), 1u);
    EXPECT_EQ(record.Objects()[0].outcome, Outcome::Done);
    EXPECT_EQ(record.Objects()[0].processId, planned.processId);
    EXPECT_EQ(record.Objects()[0].path, planned.path);
    EXPECT_TRUE(waiter.WaitEnded(5000));

    // Nothing of that name any more, and a by-path kill says which path it looked for.
    ObjectList none;
    KillProcessByNameOrId("zvxplanned.exe", {Carry::Remove, &none});
    KillProcessByPath("zvxplanned.exe", "\\zvx-fragment\\", {Carry::Plan, &none});
    ASSERT_EQ(none.Objects().size(), 1u) << "the same name is one object";
    EXPECT_EQ(none.Objects()[0].outcome, Outcome::NotFound);
    EXPECT_EQ(none.Objects()[0].processId, 0u);
}

// An open that failed is told by the system's error: not there is "not found", a link that the
// redirection-trust policy blocks (Windows 10 2004 and later; Wine has no such policy, so only the
// mapping is shown here) is refused as a link, anything else is a failure with the system's text.
TEST(PlansAndRecords, AnOpenThatFailedIsNotFoundOnlyWhenNothingIsThere) {
    struct Case {
        DWORD error;
        const char* refusal;
        Outcome outcome;
    };
    const Case cases[] = {
        {ERROR_FILE_NOT_FOUND, "", Outcome::NotFound},
        {ERROR_PATH_NOT_FOUND, "", Outcome::NotFound},
        {ERROR_ACCESS_DENIED, "", Outcome::Failed},
        {ERROR_SHARING_VIOLATION, "", Outcome::Failed},
        {kErrorUntrustedMountPoint, "", Outcome::Refused},
        {ERROR_FILE_NOT_FOUND, kRefusedLinkInPath, Outcome::Refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        ObjectList list;
        RecordUnopened({Carry::Remove, &list}, {ObjectKind::Folder, Outcome::Planned, L"C:\\x"}, c.refusal, c.error);
        ASSERT_EQ(list.Objects().size(), 1u);
        EXPECT_EQ(list.Objects()[0].outcome, c.outcome);
        EXPECT_EQ(list.Objects()[0].reason.empty(), c.outcome == Outcome::NotFound);
        if (c.outcome == Outcome::Refused) {
            EXPECT_EQ(ToAnsi(list.Objects()[0].reason), kRefusedLinkInPath);
        }
    }
}

}  // namespace
