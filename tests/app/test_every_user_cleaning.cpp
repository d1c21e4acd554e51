// /allusers: the options that clean a user's own things (cookies, the Internet cache, the Temp
// folder, MUICache) clean them for every user of the scan, each in the folders that user's own
// hive names and judged against that user's own profile; without it, the running user's alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "scan/cleaning_options.h"
#include "support/planting.h"
#include "support/second_user.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "system/cleaning_places.h"
#include "system/text_codes.h"
#include "system/user_hives.h"

namespace {

const std::wstring kSid = FromAnsi(SecondUser::kSid);
const char kMuiCache[] = "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

// A file in a folder made with every folder on its way.
bool PlantFile(const std::string& file) {
    for (std::size_t at = file.find('\\', 3); at != std::string::npos; at = file.find('\\', at + 1))
        CreateDirectoryA(file.substr(0, at).c_str(), nullptr);
    return WriteFileBytes(file, "trace");
}

const ScanUser* SecondOfScope() {
    for (const ScanUser& user : EveryUserScope::Users())
        if (user.sid == kSid) return &user;
    return nullptr;
}

// The paths recorded as the second user's, upper-cased, with what became of each.
std::set<std::string> SecondUsersObjects(const ObjectList& record, Outcome outcome) {
    std::set<std::string> paths;
    for (const ActedObject& object : record.Objects())
        if (object.userSid == kSid && object.outcome == outcome) paths.insert(Upper(ToAnsi(object.path)));
    return paths;
}

}  // namespace

// The user is logged on (his hive under HKEY_USERS\<SID>), so what became of his MUICache shows
// after the scope too: Wine writes a hive that we loaded back to no file.
TEST(EveryUserCleaning, EachUsersCookiesCacheAndMuiCacheGoOnlyWhenAsked) {
    SecondUser user;
    ASSERT_TRUE(user.Value(kMuiCache, "C:\\Program Files\\zarvex\\x.exe", "X"));
    ASSERT_TRUE(user.Value("Software\\zarvex-bystander", "keep"));
    ASSERT_TRUE(user.Save());
    ASSERT_TRUE(user.LogOn());
    const std::string windows = user.Profile() + "\\AppData\\Local\\Microsoft\\Windows";
    const std::string cookie = windows + "\\INetCookies\\zarvex-cookie.txt";
    const std::string cached = windows + "\\INetCache\\zarvex-cached.dat";
    const std::string document = user.Profile() + "\\Documents\\zarvex-keep.txt";
    for (const std::string& file : {cookie, cached, document}) ASSERT_TRUE(PlantFile(file)) << file;
    const std::string muiCache = std::string(SecondUser::kSid) + "\\" + kMuiCache;

    for (bool everyUser : {false, true}) {
        SCOPED_TRACE(everyUser ? "every user" : "the running user");
        EveryUserScope users(true);
        ASSERT_NE(SecondOfScope(), nullptr);
        ObjectList record;
        for (int box : {2, 3, 6}) ApplyCleaningOption(box, {Carry::Remove, &record}, everyUser);
        if (!everyUser) {
            EXPECT_TRUE(SecondUsersObjects(record, Outcome::Done).empty());
            EXPECT_TRUE(FileExists(cookie));
            EXPECT_TRUE(FileExists(cached));
            EXPECT_TRUE(KeyExists(HKEY_USERS, muiCache));
            continue;
        }
        EXPECT_EQ(SecondUsersObjects(record, Outcome::Done),
                  (std::set<std::string>{Upper(cookie), Upper(cached), Upper("HKU\\" + muiCache)}));
        EXPECT_FALSE(FileExists(cookie));
        EXPECT_FALSE(FileExists(cached));
        EXPECT_FALSE(KeyExists(HKEY_USERS, muiCache));
    }
    EXPECT_TRUE(ValueExists(HKEY_USERS, std::string(SecondUser::kSid) + "\\Software\\zarvex-bystander", "keep"));
    EXPECT_TRUE(FileExists(document));
}

// Another user's Temp, as his own hive's Environment names it, is judged against his own profile
// and his own document folders: what the running user's places would allow is refused.
struct OtherTempCase {
    const char* name;
    const char* temp;      // the user's TEMP setting; %RUNNING% is the running user's profile
    const char* personal;  // his Documents setting; null: where Windows puts it
    const char* refusal;   // null: cleaned
};

class OtherUsersTemp : public ::testing::TestWithParam<OtherTempCase> {};

TEST_P(OtherUsersTemp, IsJudgedAgainstHisOwnProfile) {
    const OtherTempCase& row = GetParam();
    const std::string running = ToAnsi(ProfileFolderOf(RunningUserSid()));
    ASSERT_FALSE(running.empty());
    SecondUser user;
    std::string temp = row.temp;
    if (const std::size_t at = temp.find("%RUNNING%"); at != std::string::npos) temp.replace(at, 9, running);
    ASSERT_TRUE(user.Value("Environment", "TEMP", temp));
    if (row.personal) {
        ASSERT_TRUE(user.Value("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Personal",
                               row.personal));
    }
    ASSERT_TRUE(user.Save());
    std::string folder = temp;
    if (const std::size_t at = folder.find("%USERPROFILE%"); at != std::string::npos)
        folder.replace(at, 13, user.Profile());
    const std::string file = folder + "\\zarvex-other-temp.txt";
    ASSERT_TRUE(PlantFile(file));

    {
        EveryUserScope users(true);
        const ScanUser* second = SecondOfScope();
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(Upper(ToAnsi(UserTempFolder(second->hive->Root(), second->profile))), Upper(folder));
        ObjectList record;
        const FolderEmptying emptying = CleanProfileFolder(UserTempFolder(second->hive->Root(), second->profile),
                                                           ProfileFolder::Temp, *second, {Carry::Remove, &record});
        EXPECT_EQ(emptying.refusal, row.refusal ? row.refusal : "");
        EXPECT_EQ(FileExists(file), row.refusal != nullptr);
    }
    DeleteFileA(file.c_str());
    if (folder.rfind(running, 0) == 0) RemoveDirectoryA(folder.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Table, OtherUsersTemp,
    ::testing::Values(
        OtherTempCase{"AtItsPlace", "%USERPROFILE%\\AppData\\Local\\Temp", nullptr, nullptr},
        // A place of the Temp, but in the running user's profile: not his to clean.
        OtherTempCase{"InTheRunningUsersProfile", "%RUNNING%\\AppData\\Local\\Temp\\zarvex-other-user", nullptr,
                      kRefusedOutsideProfile},
        // His own setting puts his Documents where a Temp would be.
        OtherTempCase{"WhereHisDocumentsAre", "%USERPROFILE%\\AppData\\Local\\Temp",
                      "%USERPROFILE%\\AppData\\Local\\Temp", kRefusedDocumentFolder},
        OtherTempCase{"HisProfileItself", "%USERPROFILE%", nullptr, kRefusedProfileItself}),
    [](const ::testing::TestParamInfo<OtherTempCase>& info) { return std::string(info.param.name); });
