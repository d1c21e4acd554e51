// The update check at start, against a loopback server on the port this test program was built
// to ask: the question, its answers, and the failures that say nothing or show the error box.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_test_support.h"
#include "support/loopback_server.h"
#include "support/scan_window.h"
#include "support/test_paths.h"
#include "ui/main_form.h"
#include "update/update_check.h"

namespace {

const char* const kQuestionCaption = "New version available";
const char* const kQuestionText =
    "A new version of Zarvex is available for download. Do you want to go to the home page to download "
    "the new version ?\r\n\r\n";

LoopbackServer ServeVersionFile(const std::string& body, const std::string& statusLine = "HTTP/1.0 200 OK") {
    return LoopbackServer({ScriptedResponse{HttpResponse(body, {}, statusLine)}}, ZARVEX_TEST_UPDATE_PORT);
}

const std::string kNoServerVersion = "Update check: the update server's file names no version number";
const std::string kNoVersionIni = "Update check: no Version.ini beside the program";
const std::string kNoLocalVersion = "Update check: Version.ini names no version number";

struct VersionCase {
    const char* name;
    const char* server;       // body of the version file on the server
    const char* local;        // Version.ini beside the program; nullptr for none
    bool asks;
    // The status bar afterwards: the note on why nothing could be compared, or the usual line.
    std::string status = kNoticeLine;
    const char* statusLine = "HTTP/1.0 200 OK";
};

class UpdateQuestion : public testing::TestWithParam<VersionCase> {};

TEST_P(UpdateQuestion, AskedOnlyWhenTheServersVersionIsNewer) {
    const VersionCase& c = GetParam();
    InitControlsOnce();
    LoopbackServer server = ServeVersionFile(c.server, c.statusLine);
    ASSERT_TRUE(server.Ready());
    FileBesideProgram local = c.local ? FileBesideProgram("Version.ini", c.local) : FileBesideProgram("Version.ini");
    BoxAnswerer question(kQuestionCaption, IDNO);
    BoxAnswerer errors("Zarvex");
    std::string status;
    {
        TForm1 form;
        ASSERT_TRUE(CheckForUpdateAndWait(form));
        status = WindowText(form.StatusBar1);
    }
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_TRUE(errors.Seen().empty());
    EXPECT_EQ(question.Seen().size(), c.asks ? 1u : 0u);
    EXPECT_EQ(status, c.status);
}

const VersionCase kVersionCases[] = {
    {"SameVersion", "[Zarvex]\r\nversion=1.0.5\r\n", "[Zarvex]\r\nversion=1.0.5\r\n", false},
    {"SameVersionAnyLineEnds", "version=1.0.5", "version=1.0.5\n", false},
    {"NewerOnTheServer", "version=1.0.6\r\n", "version=1.0.5\r\n", true},
    // A server rolled back to an older version makes nobody "update" to it.
    {"OlderOnTheServer", "version=1.0.4\r\n", "version=1.0.5\r\n", false},
    // Dotted numbers, not texts: 1.0.10 is newer than 1.0.9, and a missing part is 0.
    {"NewerByNumberNotByText", "version=1.0.10\r\n", "version=1.0.9\r\n", true},
    {"OlderByNumberNotByText", "version=1.0.9\r\n", "version=1.0.10\r\n", false},
    {"LongerVersionSame", "[Zarvex]\r\nversion=1.0.10\r\n", "[Zarvex]\r\nversion=1.0.10\r\n", false},
    {"FewerPartsOnTheServerSame", "version=1.0\r\n", "version=1.0.0\r\n", false},
    {"FewerPartsOnTheServerOlder", "version=1.0\r\n", "version=1.0.5\r\n", false},
    {"MorePartsOnTheServerNewer", "version=1.0.5.1\r\n", "version=1.0.5\r\n", true},
    {"ShortVersionWithLoneLf", "version=1.2\n", "version=1.2\nx", false},
    {"ShortVersionSameBytes", "version=1.2\r\n", "version=1.2\r\nxyz", false},
    // A version either side cannot be read as one: nothing offered, and the status bar says why.
    {"LettersOnTheServer", "version=1.0.A\r\n", "version=1.0.5\r\n", false, kNoServerVersion},
    {"SuffixOnTheServer", "version=2.0.0-beta\r\n", "version=1.0.5\r\n", false, kNoServerVersion},
    {"ReplyWithoutMarker", "<html>Not here</html>", "version=1.0.5\r\n", false, kNoServerVersion},
    {"CaptivePortalPage", "<html><a href=\"/login?version=2\">Sign in</a></html>", "version=1.0.5\r\n", false,
     kNoServerVersion},
    {"EmptyReply", "", "version=1.0.5\r\n", false, kNoServerVersion},
    {"MarkerIsLowerCaseOnly", "Version=9.9.9\r\n", "version=1.0.5\r\n", false, kNoServerVersion},
    {"NoLocalFile", "version=1.0.5\r\n", nullptr, false, kNoVersionIni},
    {"LocalEndsAfterTheMarker", "version=1.0.5\r\n", "version=", false, kNoLocalVersion},
    {"LocalWithoutMarker", "version=1.0.5\r\n", "[Zarvex]\r\n", false, kNoLocalVersion},
    {"LocalNotANumber", "version=9.9.9\r\n", "version=one\r\n", false, kNoLocalVersion},
    // Only a successful answer is the version file, whatever an error page holds.
    {"NotFoundPageWithAVersion", "version=9.9.9\r\n", "version=1.0.5\r\n", false,
     "Update check: the update server answered 404 instead of the version file", "HTTP/1.0 404 Not Found"},
    {"ServerErrorPageWithAVersion", "<p>version=9.9.9</p>\r\nversion=9.9.9\r\n", "version=1.0.5\r\n", false,
     "Update check: the update server answered 500 instead of the version file", "HTTP/1.1 500 Internal Server Error"},
    {"AnyTwoHundredCounts", "version=9.9.9\r\n", "version=1.0.5\r\n", true, kNoticeLine,
     "HTTP/1.0 203 Non-Authoritative Information"},
    // The key only at a line's start: another key that ends in "version=" names no version.
    {"AnotherKeyEndingInTheMarkerOnTheServer", "minversion=2.0\r\nversion=1.0.5\r\n", "version=1.0.5\r\n", false},
    {"AnotherKeyEndingInTheMarkerBesideTheProgram", "version=1.0.6\r\n", "minversion=9.0\r\nversion=1.0.5\r\n",
     true},
    // What an editor saves still counts: a byte order mark before the first line, blanks before the key.
    {"ByteOrderMarkBeforeTheKeyOnTheServer", "\xEF\xBB\xBFversion=1.0.6\r\n", "version=1.0.5\r\n", true},
    {"BlanksBeforeTheKeyBesideTheProgram", "version=1.0.6\r\n", "[Zarvex]\r\n  \tversion=1.0.5\r\n", true},
};

INSTANTIATE_TEST_SUITE_P(Versions, UpdateQuestion, testing::ValuesIn(kVersionCases),
                         [](const testing::TestParamInfo<VersionCase>& info) { return info.param.name; });

TEST(UpdateCheck, VersionsCompareAsDottedNumbers) {
    struct Case { const char* a; const char* b; int order; };  // order: a older (-1), same (0), newer (1)
    const Case cases[] = {
        {"1.0.10", "1.0.9", 1},  {"1.0.9", "1.0.10", -1}, {"1.0.5", "1.0.5", 0},  {"1.0", "1.0.0", 0},
        {"1", "1.0.0.0", 0},     {"2", "1.99.99", 1},     {"1.0.5.1", "1.0.5", 1}, {"01.002", "1.2", 0},
        {"999999999", "1", 1},   {"0.0.0", "0", 0},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> a, b;
        ASSERT_TRUE(ReadVersionNumber(c.a, a)) << c.a;
        ASSERT_TRUE(ReadVersionNumber(c.b, b)) << c.b;
        const int order = CompareVersions(a, b);
        EXPECT_EQ((order > 0) - (order < 0), c.order) << c.a << " against " << c.b;
        EXPECT_EQ(-((CompareVersions(b, a) > 0) - (CompareVersions(b, a) < 0)), c.order) << c.b << " against " << c.a;
    }
    // Anything but decimal numbers between single dots is no version: nothing is guessed.
    const std::string notVersions[] = {"", ".", "1.", ".1", "1..2", "1.0.a", "v1.0", "1.0 ", " 1.0", "+1", "-1",
                                       "1,0", "2.0.0-beta", "1.0.5\r", "1234567890",
                                       "1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1", std::string("1\0", 2)};
    for (const std::string& text : notVersions) {
        std::vector<uint32_t> parts{7};
        EXPECT_FALSE(ReadVersionNumber(text, parts)) << text;
        EXPECT_TRUE(parts.empty()) << text;
    }
    std::vector<uint32_t> parts;
    EXPECT_TRUE(ReadVersionNumber("1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1", parts)) << "sixteen parts";
    EXPECT_EQ(parts.size(), 16u);
}

TEST(UpdateCheck, QuestionHasItsCaptionTextIconAndButtons) {
    InitControlsOnce();
    LoopbackServer server = ServeVersionFile("version=2.0.0\r\n");
    FileBesideProgram local("Version.ini", "version=1.0.5\r\n");
    BoxAnswerer question(kQuestionCaption, IDNO);
    {
        TForm1 form;
        ASSERT_TRUE(CheckForUpdateAndWait(form));
    }
    std::vector<SeenBox> seen = question.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, kQuestionText);
    EXPECT_EQ(seen[0].buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(seen[0].icon, LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION)));
}

TEST(UpdateCheck, YesOpensTheHomePageAndNoOpensNothing) {
    InitControlsOnce();
    ShellOpenRecorder recorder;
    ASSERT_TRUE(recorder.Ready());
    LoopbackServer server = ServeVersionFile("version=2.0.0\r\n");
    FileBesideProgram local("Version.ini", "version=1.0.5\r\n");
    {
        BoxAnswerer no(kQuestionCaption, IDNO);
        TForm1 form;
        ASSERT_TRUE(CheckForUpdateAndWait(form));
        ASSERT_EQ(no.Seen().size(), 1u);
    }
    {
        BoxAnswerer yes(kQuestionCaption, IDYES);
        TForm1 form;
        ASSERT_TRUE(CheckForUpdateAndWait(form));
        ASSERT_EQ(yes.Seen().size(), 1u);
    }
    std::vector<std::string> targets = recorder.WaitForTargets(1);
    ASSERT_EQ(targets.size(), 1u) << "only the Yes opened something";
    EXPECT_EQ(targets[0], "http://zarvex-av.example");
}

TEST(UpdateCheck, RefusedConnectionShowsTheErrorBoxAndSkipsTheLocalFile) {
    InitControlsOnce();
    // Nothing listens on the port: the connection is refused.
    FileBesideProgram local("Version.ini", "version=1.0.5\r\n");
    UniqueHandle lock = OpenExclusively(local.Path());
    ASSERT_TRUE(lock);
    BoxAnswerer errors("Zarvex");
    BoxAnswerer question(kQuestionCaption, IDNO);
    {
        TForm1 form;
        ASSERT_TRUE(CheckForUpdateAndWait(form));
    }
    lock.reset();
    std::vector<SeenBox> seen = errors.Seen();
    ASSERT_EQ(seen.size(), 1u) << "the locked Version.ini was not read";
    EXPECT_EQ(seen[0].text,
              "Error:Site is currently offline and cannot check for an update of the software at the moment.");
    EXPECT_TRUE(question.Seen().empty());
}

TEST(UpdateCheck, VersionIniThatCannotBeOpenedShowsCannotOpenFile) {
    InitControlsOnce();
    LoopbackServer server = ServeVersionFile("version=2.0.0\r\n");
    FileBesideProgram local("Version.ini", "version=1.0.5\r\n");
    UniqueHandle lock = OpenExclusively(local.Path());
    ASSERT_TRUE(lock);
    BoxAnswerer errors("Zarvex");
    BoxAnswerer question(kQuestionCaption, IDNO);
    {
        TForm1 form;
        ASSERT_TRUE(CheckForUpdateAndWait(form));
    }
    lock.reset();
    std::vector<SeenBox> seen = errors.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Cannot open file " + local.Path() + ".");
    EXPECT_TRUE(question.Seen().empty()) << "no question follows the error";
}

TEST(UpdateCheck, StalledServerIsAbandonedSilentlyAfterTheTimeout) {
    InitControlsOnce();
    LoopbackServer answering = ServeVersionFile("version=1.0.5\r\n");
    FileBesideProgram local("Version.ini", "version=1.0.5\r\n");
    TForm1 form;
    ASSERT_TRUE(CheckForUpdateAndWait(form));
    answering.Stop();

    LoopbackServer stalled({SilentResponse()}, ZARVEX_TEST_UPDATE_PORT);
    ASSERT_TRUE(stalled.Ready());
    BoxAnswerer errors("Zarvex");
    BoxAnswerer question(kQuestionCaption, IDNO);
    form.IEHTTP1->Timeout = 2;
    form.IEHTTP1->TotalTimeout = 2;
    ASSERT_TRUE(CheckForUpdateAndWait(form));
    stalled.ReleaseHeldConnections();
    EXPECT_EQ(form.IEHTTP1->Status(), TIEHTTP::kStatusTimedOut);
    EXPECT_TRUE(errors.Seen().empty());
    EXPECT_TRUE(question.Seen().empty());
}

// A server that sends one byte now and then makes progress at every read, so the Timeout since
// the last progress never passes; the whole check still ends within the Timeout from its start.
TEST(UpdateCheck, DrippingServerIsAbandonedSilentlyWithinTheTimeoutFromTheStart) {
    InitControlsOnce();
    LoopbackServer server({DrippingResponse(300)}, ZARVEX_TEST_UPDATE_PORT);
    ASSERT_TRUE(server.Ready());
    FileBesideProgram local("Version.ini", "version=1.0.5\r\n");
    BoxAnswerer errors("Zarvex");
    BoxAnswerer question(kQuestionCaption, IDNO);
    TForm1 form;
    // As built: the whole check has the same span as the time since the last progress.
    EXPECT_EQ(form.IEHTTP1->Timeout, 90);
    EXPECT_EQ(form.IEHTTP1->TotalTimeout, 90);
    form.IEHTTP1->Timeout = 3;
    form.IEHTTP1->TotalTimeout = 3;
    const ULONGLONG started = GetTickCount64();
    ASSERT_TRUE(CheckForUpdateAndWait(form));
    const ULONGLONG took = GetTickCount64() - started;
    server.Stop();
    // A generous margin: this is about ending at all, not about speed.
    EXPECT_LT(took, 3000u + 5000u);
    EXPECT_GT(form.IEHTTP1->ReadCount(), 1u) << "the server did drip";
    EXPECT_EQ(form.IEHTTP1->Status(), TIEHTTP::kStatusTimedOut);
    EXPECT_TRUE(errors.Seen().empty());
    EXPECT_TRUE(question.Seen().empty());
}

// The check and a scan go side by side: the scan ends with its rows while the server is still
// silent, and the question comes once the server answers.
TEST(UpdateCheck, AScanRunsToItsEndWhileTheCheckWaits) {
    ScriptedResponse late{HttpResponse("version=2.0.0\r\n")};
    late.delayMs = 4000;
    LoopbackServer server({late}, ZARVEX_TEST_UPDATE_PORT);
    ASSERT_TRUE(server.Ready());
    FileBesideProgram local("Version.ini", "version=1.0.5\r\n");
    BoxAnswerer question(kQuestionCaption, IDNO);
    ScanWindow scan;
    ASSERT_TRUE(scan.Created());
    scan.TickAllProducts(false);
    ASSERT_TRUE(scan.Form().StartUpdateCheck());

    scan.ClickScan();
    EXPECT_EQ(scan.Rows(), (ScanRows{{"No malicious software was found.", ""}}));
    EXPECT_TRUE(scan.Form().UpdateCheckRunning()) << "the scan did not wait for the server";
    EXPECT_TRUE(question.Seen().empty());

    ASSERT_TRUE(PumpUntil([&] { return !scan.Form().UpdateCheckRunning(); }));
    EXPECT_EQ(question.Seen().size(), 1u);
}

TEST(UpdateCheck, ReadLocalVersionTakesTheRestOfTheLineAfterTheFirstMarker) {
    struct Case {
        const char* file;
        const char* version;
    } cases[] = {
        {"version=1.0.5\r\n", "1.0.5"},
        {"[Zarvex]\r\nversion=1.0.10\r\nname=x\r\n", "1.0.10"},
        {"version=2.0.0-beta.12\n", "2.0.0-beta.12"},
        {"version=1.0.5\rversion=9", "1.0.5"},
        {"version=12 version=99999", "12 version=99999"},
        {"a version=12", ""},
        {"version=1", "1"},
        {"version=1.0.5 \t\r\n", "1.0.5"},
        {"version=", ""},
        {"version=\r\n1.0.5", ""},
        {"no marker here", ""},
        {"VERSION=1.0.5", ""},
    };
    for (const Case& c : cases) {
        FileBesideProgram local("Version.ini", c.file);
        EXPECT_EQ(ReadLocalVersion(), c.version) << c.file;
    }
    FileBesideProgram none("Version.ini");
    EXPECT_EQ(ReadLocalVersion(), "");
}

}  // namespace
