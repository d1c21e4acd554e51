// An elevated scan reaches every user on the machine: a second user, kept as Windows keeps one
// (profile list entry, profile folder, NTUSER.DAT), has a product's per-user traces; the removal
// takes them from that user's own hive and folders, leaves the rest of them alone and unloads the
// hive it loaded. Both views of a 64-bit Windows: a trace in the 32-bit registry, Program Files
// (x86) and SysWOW64 is found and removed as well.
//
// Wine keeps a hive loaded with RegLoadKey in memory and never writes it back to its file at the
// unload, so what a removal did inside a hive it loaded itself is checked while the hive is
// loaded; a logged-on user's hive (the test loads it under HKEY_USERS\<SID>) is checked after.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "catalogue/rogue_routines.h"
#include "support/planting.h"
#include "support/rogue_planting.h"
#include "support/second_user.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/signature.h"
#include "system/text_codes.h"
#include "system/user_hives.h"

namespace {

constexpr int kMicroAntivirus = 1;  // key HKCU\k1 among its checks; del DT\f3, key HKCU\k1, val HKCU\r1
const std::wstring kSid = FromAnsi(SecondUser::kSid);

std::string Plain(const SignatureRef& ref) { return DecodeSignature(ref.text); }

// The second user's folders: the Desktop moved by the user's own setting, the rest where Windows
// puts them.
std::string FolderOf(const SecondUser& user, FolderRoot root) {
    const std::string roaming = user.Profile() + "\\AppData\\Roaming";
    switch (root) {
        case FolderRoot::Desktop: return user.Profile() + "\\Desktop2";
        case FolderRoot::AppData: return roaming;
        case FolderRoot::StartMenu: return roaming + "\\Microsoft\\Windows\\Start Menu";
        case FolderRoot::Programs: return roaming + "\\Microsoft\\Windows\\Start Menu\\Programs";
        case FolderRoot::TempDir: return user.Profile() + "\\AppData\\Local\\Temp";
        default: return {};
    }
}

struct PlantedForUser {
    std::vector<std::string> keys;    // relative to the hive's root
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<std::string> files;
};

// Every per-user key, value and file the entry's steps name, in the second user's hive and folders,
// with a bystander key, value and file beside them.
PlantedForUser PlantPerUserTraces(const RogueEntry& entry, SecondUser& user) {
    PlantedForUser planted;
    EXPECT_TRUE(user.Value("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Desktop",
                           "%USERPROFILE%\\Desktop2"));
    EXPECT_TRUE(user.Value("Software\\zarvex-bystander", "keep"));
    for (const RemovalStep& step : entry.steps) {
        if (step.kind == StepKind::RemoveKey && step.registry == RegistryRoot::CurrentUser) {
            EXPECT_TRUE(user.Key(Plain(step.operand)));
            planted.keys.push_back(Plain(step.operand));
        }
        if ((step.kind == StepKind::RemoveValue || step.kind == StepKind::RemoveRunValue) &&
            step.registry == RegistryRoot::CurrentUser) {
            const std::string path = Plain(step.operand);
            const std::string key = path.substr(0, path.rfind('\\')), name = path.substr(path.rfind('\\') + 1);
            // A Run value goes only while it starts the product.
            EXPECT_TRUE(user.Value(key, name, ToAnsi(L"C:\\Program Files\\" + ProductNames(entry).front())));
            planted.values.emplace_back(key, name);
        }
        if (step.kind == StepKind::RemoveFile && ReachOf(step.folder).everyUser) {
            const std::string file = FolderOf(user, step.folder) + "\\" + Plain(step.operand);
            std::string folder = file.substr(0, file.rfind('\\'));
            for (std::size_t at = user.Profile().size() + 1; at != std::string::npos; at = folder.find('\\', at + 1))
                CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
            CreateDirectoryA(folder.c_str(), nullptr);
            EXPECT_TRUE(WriteFileBytes(file, "trace"));
            planted.files.push_back(file);
        }
    }
    EXPECT_TRUE(WriteFileBytes(FolderOf(user, FolderRoot::Desktop) + "\\zarvex-bystander.txt", "keep"));
    EXPECT_FALSE(planted.keys.empty());
    EXPECT_FALSE(planted.files.empty());
    EXPECT_TRUE(user.Save());
    return planted;
}

const ScanUser* FindUser(const std::wstring& sid) {
    for (const ScanUser& user : EveryUserScope::Users())
        if (user.sid == sid) return &user;
    return nullptr;
}

// What a removal left in the user's hive (under its HKEY_USERS name) and folders.
void ExpectRemovedWithBystandersKept(const std::string& hive, const PlantedForUser& planted, const SecondUser& user) {
    for (const std::string& key : planted.keys) EXPECT_FALSE(KeyExists(HKEY_USERS, hive + "\\" + key)) << key;
    for (const auto& [key, name] : planted.values) EXPECT_FALSE(ValueExists(HKEY_USERS, hive + "\\" + key, name)) << name;
    for (const std::string& file : planted.files) EXPECT_FALSE(FileExists(file)) << file;
    EXPECT_TRUE(ValueExists(HKEY_USERS, hive + "\\Software\\zarvex-bystander", "keep"));
    EXPECT_TRUE(ValueExists(HKEY_USERS, hive + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                            "Desktop"));
    EXPECT_TRUE(FileExists(FolderOf(user, FolderRoot::Desktop) + "\\zarvex-bystander.txt"));
}

std::vector<ActedObject> ObjectsOf(const ObjectList& list, const std::wstring& sid) {
    std::vector<ActedObject> objects;
    for (const ActedObject& object : list.Objects())
        if (object.userSid == sid) objects.push_back(object);
    return objects;
}

}  // namespace

TEST(EveryUser, AnElevatedRemovalTakesAnotherUsersTracesFromHisOwnHiveAndUnloadsIt) {
    SecondUser user;
    const RogueEntry& entry = EntryAtIndex(kMicroAntivirus);
    const PlantedForUser planted = PlantPerUserTraces(entry, user);
    ASSERT_FALSE(DetectRogue(entry)) << "the running user holds no trace";
    {
        EveryUserScope users(true);
        EXPECT_TRUE(users.Failures().empty());
        ASSERT_NE(FindUser(kSid), nullptr);
        EXPECT_TRUE(FindUser(kSid)->hive->LoadedByUs());
        const std::string hive = ToAnsi(LoadedHiveOfOurs(kSid));
        ASSERT_FALSE(hive.empty()) << "loaded under a name of our own";
        EXPECT_TRUE(DetectRogue(entry)) << "the product's checks look in every user";

        ObjectList record;
        RemoveRogue(entry, {Carry::Remove, &record});
        EXPECT_FALSE(DetectRogue(entry));
        ExpectRemovedWithBystandersKept(hive, planted, user);

        // Recorded under the user's SID and name, the keys by the user's own HKEY_USERS name.
        const std::vector<ActedObject> objects = ObjectsOf(record, kSid);
        ASSERT_EQ(objects.size(), planted.keys.size() + planted.values.size() + planted.files.size());
        for (const ActedObject& object : objects) {
            EXPECT_EQ(object.outcome, Outcome::Done) << ToAnsi(object.path);
            EXPECT_EQ(object.userName, kSid) << "no such account: the SID names it";
            if (object.kind == ObjectKind::Key || object.kind == ObjectKind::Value) {
                EXPECT_EQ(object.path.rfind(L"HKU\\" + kSid + L"\\", 0), 0u) << ToAnsi(object.path);
            }
        }
    }
    EXPECT_EQ(LoadedHiveOfOurs(kSid), L"") << "the hive stays loaded";
    // Unloaded for real: the file loads again.
    EXPECT_TRUE(user.LogOn());
}

TEST(EveryUser, ALoggedOnUsersHiveIsTakenWhereItIsAndStaysLoaded) {
    SecondUser user;
    const RogueEntry& entry = EntryAtIndex(kMicroAntivirus);
    const PlantedForUser planted = PlantPerUserTraces(entry, user);
    ASSERT_TRUE(user.LogOn());
    {
        EveryUserScope users(true);
        ASSERT_NE(FindUser(kSid), nullptr);
        EXPECT_FALSE(FindUser(kSid)->hive->LoadedByUs());
        EXPECT_EQ(LoadedHiveOfOurs(kSid), L"");
        RemoveRogue(entry);
    }
    ExpectRemovedWithBystandersKept(SecondUser::kSid, planted, user);
    EXPECT_TRUE(KeyExists(HKEY_USERS, std::string(SecondUser::kSid) + "\\Software")) << "the user's hive was unloaded";
}

TEST(EveryUser, NotElevatedOnlyTheRunningUserIsReached) {
    SecondUser user;
    const RogueEntry& entry = EntryAtIndex(kMicroAntivirus);
    const PlantedForUser planted = PlantPerUserTraces(entry, user);
    EveryUserScope users(false);
    EXPECT_EQ(EveryUserScope::Users().size(), 1u);
    EXPECT_EQ(EveryUserScope::Users().front().sid, RunningUserSid());
    EXPECT_FALSE(DetectRogue(entry));
    ObjectList plan;
    RemoveRogue(entry, {Carry::Plan, &plan});
    EXPECT_TRUE(ObjectsOf(plan, kSid).empty());
    EXPECT_EQ(LoadedHiveOfOurs(kSid), L"");
    for (const std::string& file : planted.files) EXPECT_TRUE(FileExists(file)) << file;
}

TEST(EveryUser, ThePlanListsTheObjectsTheRemovalThenRecords) {
    SecondUser user;
    const RogueEntry& entry = EntryAtIndex(kMicroAntivirus);
    PlantPerUserTraces(entry, user);
    EveryUserScope users(true);
    ObjectList plan, record;
    RemoveRogue(entry, {Carry::Plan, &plan});
    RemoveRogue(entry, {Carry::Remove, &record});
    auto identity = [](const ObjectList& list) {
        std::vector<std::tuple<int, std::wstring, std::wstring, std::wstring, std::wstring>> objects;
        for (const ActedObject& object : list.Objects())
            objects.emplace_back(static_cast<int>(object.kind), object.path, object.name, object.userSid, object.view);
        return objects;
    };
    EXPECT_EQ(identity(plan), identity(record));
    EXPECT_FALSE(ObjectsOf(plan, kSid).empty());
    for (const ActedObject& object : ObjectsOf(plan, kSid)) EXPECT_EQ(object.outcome, Outcome::Planned);
}

// A second profile whose hive cannot be read is said, never passed over as clean.
TEST(EveryUser, AHiveThatCannotBeLoadedIsAFailureNamed) {
    SecondUser user;
    ASSERT_TRUE(WriteFileBytes(user.Profile() + "\\NTUSER.DAT", "not a hive"));
    EveryUserScope users(true);
    EXPECT_EQ(FindUser(kSid), nullptr);
    ASSERT_EQ(users.Failures().size(), 1u);
    EXPECT_NE(users.Failures().front().find(kSid), std::wstring::npos);
    EXPECT_EQ(LoadedHiveOfOurs(kSid), L"") << "a hive that failed to load left its name loaded";
}

// Both views of a 64-bit Windows: a product that a 32-bit installer put in the 32-bit registry,
// Program Files (x86) and SysWOW64 is found and removed there, each object naming its view.
TEST(BothViews, AProductInThe32BitViewIsFoundAndRemovedThere) {
    if (MachineViews().size() < 2) GTEST_SKIP() << "32-bit Windows has one view";
    const RogueEntry& entry = EntryAtIndex(kMicroAntivirus);
    Planting planting;
    std::string programFolder, systemFile, machineValue;
    for (const DetectCheck& check : entry.checks)
        if (check.kind == CheckKind::FolderCheck)
            programFolder = ToAnsi(FolderRootPathW(check.folder, {nullptr, View::Wow32, {}})) + "\\" + Plain(check.operand);
    for (const RemovalStep& step : entry.steps) {
        if (step.kind == StepKind::RemoveFile && step.folder == FolderRoot::SystemDir)
            systemFile = ToAnsi(SystemFolderOf(View::Wow32)) + "\\" + Plain(step.operand);
        if ((step.kind == StepKind::RemoveValue || step.kind == StepKind::RemoveRunValue) &&
            step.registry == RegistryRoot::LocalMachine)
            machineValue = Plain(step.operand);
    }
    ASSERT_FALSE(programFolder.empty());
    ASSERT_FALSE(systemFile.empty());
    ASSERT_FALSE(machineValue.empty());
    planting.Folder(programFolder);
    planting.File(systemFile);
    const std::string key = machineValue.substr(0, machineValue.rfind('\\'));
    const std::string name = machineValue.substr(machineValue.rfind('\\') + 1);
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr,
                              &raw, nullptr),
              ERROR_SUCCESS);
    UniqueKey wow32(raw);
    const std::string data = ToAnsi(L"C:\\Program Files (x86)\\" + ProductNames(entry).front());
    ASSERT_EQ(RegSetValueExA(wow32.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
    auto valueIn = [&](REGSAM view) {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return false;
        UniqueKey held(opened);
        return RegQueryValueExA(held.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    };
    ASSERT_FALSE(valueIn(KEY_WOW64_64KEY)) << "planted in the 32-bit view only";

    EXPECT_TRUE(DetectRogue(entry)) << "its folder in Program Files (x86)";
    ObjectList record;
    RemoveRogue(entry, {Carry::Remove, &record});
    EXPECT_FALSE(valueIn(KEY_WOW64_32KEY));
    EXPECT_FALSE(FileExists(systemFile));
    EXPECT_FALSE(DetectRogue(entry));
    int done32 = 0;
    for (const ActedObject& object : record.Objects()) {
        if (object.outcome == Outcome::Done && object.kind != ObjectKind::Process) {
            EXPECT_EQ(object.view, L"32-bit") << ToAnsi(object.path);
            ++done32;
        }
    }
    EXPECT_GE(done32, 2);
    RegDeleteValueA(wow32.get(), name.c_str());
}

// Another user's folders come from that user's own settings, which that user writes: each is filled
// in from his profile and never from the environment, a variable we do not know names nothing, and
// a folder set through itself ends instead of looking itself up for ever.
TEST(EveryUser, AUsersFoldersComeFromHisOwnSettings) {
    const std::string base = "Software\\zarvex-shell-folders-test";
    const std::string folders = base + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    DeleteKeyTree(HKEY_CURRENT_USER, base);
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, folders, "Desktop", "%USERPROFILE%\\Elsewhere"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, folders, "AppData", "%APPDATA%\\Loop"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, folders, "Start Menu", "%TEMP%\\Menu"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, folders, "Local AppData", "%SystemDrive%\\Local"));
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
    UniqueKey hive(raw);
    const std::wstring profile = L"C:\\users\\someone";
    const std::wstring drive = GetWindowsFolderW().substr(0, 2);
    const struct {
        const wchar_t* name;
        std::wstring folder;
    } cases[] = {
        {L"Desktop", profile + L"\\Elsewhere"},
        {L"AppData", L""},     // names itself
        {L"Start Menu", L""},  // the running user's environment is not his
        {L"Local AppData", drive + L"\\Local"},
        {L"Programs", L""},    // by default under AppData, which names nothing
    };
    for (const auto& c : cases) EXPECT_EQ(UserShellFolder(hive.get(), profile, c.name), c.folder) << ToAnsi(c.name);
    EXPECT_EQ(UserTempFolder(hive.get(), profile), drive + L"\\Local\\Temp");
    hive.reset();
    DeleteKeyTree(HKEY_CURRENT_USER, base);
}

// Another user writes his own settings, so a folder they name is his only inside his profile: judged
// on the text before anything is opened (a share, a climb out), then on the real path.
TEST(EveryUser, PlacesInHisProfileByTheTextAlone) {
    const std::wstring profile = L"C:\\users\\someone";
    const struct {
        const wchar_t* path;
        bool inside;
    } cases[] = {
        {L"C:\\users\\someone\\AppData\\Roaming", true},
        {L"c:/Users/SOMEONE/Desktop", true},
        {L"C:\\users\\someone", false},  // the profile itself
        {L"C:\\users\\someone\\..\\admin\\AppData", false},
        {L"C:\\users\\someone\\...\\admin", false},
        {L"C:\\users\\someone\\. .\\x", false},
        {L"C:\\users\\someoneelse\\AppData", false},
        {L"D:\\users\\someone\\AppData", false},
        {L"\\\\host\\share\\users\\someone\\AppData", false},
        {L"\\\\?\\C:\\users\\someone\\AppData", false},
        {L"users\\someone\\AppData", false},
        {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(NamesPlaceInProfile(c.path, profile), c.inside) << ToAnsi(c.path);
    EXPECT_FALSE(NamesPlaceInProfile(L"C:\\users\\someone\\AppData", L""));
}

TEST(EveryUser, HisDesktopSetOutsideHisProfileIsRefusedAndLeftAlone) {
    const RogueEntry& entry = EntryAtIndex(kMicroAntivirus);
    std::string desktopFile;
    for (const RemovalStep& step : entry.steps)
        if (step.kind == StepKind::RemoveFile && step.folder == FolderRoot::Desktop) desktopFile = Plain(step.operand);
    ASSERT_FALSE(desktopFile.empty());
    const std::string outside = "C:\\zarvex-outside-desktop";
    const struct {
        const char* setting;
        bool planted;  // the folder is one of ours to look at afterwards
    } cases[] = {
        {"C:\\zarvex-outside-desktop", true},
        {"%USERPROFILE%\\..\\..\\zarvex-outside-desktop", true},
        {"\\\\127.0.0.1\\zarvex-share\\Desktop", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        SecondUser user;
        ASSERT_TRUE(user.Key(Plain(entry.checks[1].operand)));
        ASSERT_TRUE(user.Value("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Desktop",
                               c.setting));
        ASSERT_TRUE(user.Save());
        CreateDirectoryA(outside.c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(outside + desktopFile, "not his"));
        {
            EveryUserScope users(true);
            ASSERT_TRUE(DetectRogue(entry)) << "his key";
            ObjectList record;
            RemoveRogue(entry, {Carry::Remove, &record});
            bool refused = false;
            for (const ActedObject& object : ObjectsOf(record, kSid)) {
                if (object.kind != ObjectKind::File) continue;
                EXPECT_EQ(object.outcome, Outcome::Refused) << ToAnsi(object.path);
                EXPECT_EQ(ToAnsi(object.reason), kRefusedOutsideUsersProfile);
                refused = true;
            }
            EXPECT_TRUE(refused);
        }
        EXPECT_TRUE(FileExists(outside + desktopFile)) << "deleted outside his profile";
        DeleteFileA((outside + desktopFile).c_str());
        RemoveDirectoryA(outside.c_str());
    }
}

// His Classes are read from their place in his profile, never where his own Local AppData setting
// points; Classes that cannot be read are a failure named with him, never taken for none.
TEST(EveryUser, HisClassesThatCannotBeReadAreAFailureNamed) {
    SecondUser user;
    ASSERT_TRUE(user.Value("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                           "Local AppData", "C:\\zarvex-elsewhere-local"));
    ASSERT_TRUE(user.Save());
    const std::string windows = user.Profile() + "\\AppData\\Local\\Microsoft\\Windows";
    for (const char* folder : {"\\AppData", "\\AppData\\Local", "\\AppData\\Local\\Microsoft", "\\AppData\\Local\\Microsoft\\Windows"})
        CreateDirectoryA((user.Profile() + folder).c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(windows + "\\UsrClass.dat", "not a hive"));
    {
        EveryUserScope users(true);
        ASSERT_NE(FindUser(kSid), nullptr) << "his own hive was read";
        EXPECT_EQ(FindUser(kSid)->hive->Classes(), nullptr);
        ASSERT_EQ(users.Failures().size(), 1u);
        EXPECT_NE(users.Failures().front().find(kSid + L"), his Classes: "), std::wstring::npos)
            << ToAnsi(users.Failures().front());
    }
    EXPECT_EQ(LoadedHiveOfOurs(kSid + L"_Classes"), L"");
    EXPECT_EQ(LoadedHiveOfOurs(kSid), L"");
}

// A temporary profile's log-on leaves "<SID>.bak" in the profile list: no account, no user.
TEST(EveryUser, AProfileListEntryThatIsNoSidIsNoUser) {
    SecondUser user;
    const std::string bak = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" +
                            std::string(SecondUser::kSid) + ".bak";
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, bak, "ProfileImagePath", user.Profile()));
    bool listed = false, bakListed = false;
    for (const UserProfile& profile : ListUserProfiles()) {
        listed = listed || profile.sid == kSid;
        bakListed = bakListed || profile.sid.find(L".bak") != std::wstring::npos;
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, bak);
    EXPECT_TRUE(listed);
    EXPECT_FALSE(bakListed);
}
