// Zarvex.exe as a fleet tool runs it: /detect looks and changes nothing, its plan lists every
// object a removal would act on, the removal's record lists the same objects as acted on, and the
// JSON report says what the text report says.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app_test_support.h"
#include "catalogue/catalogue_identity.h"
#include "catalogue/rogue_routines.h"
#include "scan/scan_report.h"
#include "support/json_reader.h"
#include "support/planting.h"
#include "support/rogue_planting.h"
#include "support/second_user.h"
#include "support/scan_window.h"
#include "support/test_paths.h"
#include "support/test_registry.h"
#include "support/traps.h"
#include "system/folders.h"
#include "system/handles.h"
#include "system/registro.h"
#include "system/signature.h"
#include "system/text_codes.h"
#include "system/user_hives.h"
#include "ui/main_form.h"

namespace {

constexpr int kUltra = 5;  // check-list index of Ultra Antivirus 2009

std::unique_ptr<JsonValue> Parsed(const std::string& bytes) {
    std::string error;
    std::unique_ptr<JsonValue> document = ParseJson(bytes, &error);
    EXPECT_TRUE(document) << error << "\n" << bytes.substr(0, 2000);
    return document;
}

// An object as both reports name it: kind, upper-cased path and name, process id.
using ObjectKey = std::tuple<std::wstring, std::wstring, std::wstring, int>;

std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

ObjectKey KeyOf(const JsonValue& object) {
    return {object["kind"].text, Upper(object["path"].text), Upper(object["name"].text),
            static_cast<int>(object["id"].number)};
}

// Every JSON object array of the document: the cleaning options', the sweep's and the products'.
std::vector<const JsonValue*> ObjectArrays(const JsonValue& document) {
    std::vector<const JsonValue*> arrays{&document["sweep"]};
    for (const JsonValue& option : document["cleaning"].items) arrays.push_back(&option["objects"]);
    for (const JsonValue& product : document["productResults"].items) arrays.push_back(&product["objects"]);
    return arrays;
}

// The objects of the whole document with one of the outcomes; programs are left out, since the
// shell decides whether one starts.
std::set<ObjectKey> ObjectsWith(const JsonValue& document, std::initializer_list<const wchar_t*> outcomes) {
    std::set<ObjectKey> keys;
    for (const JsonValue* array : ObjectArrays(document)) {
        for (const JsonValue& object : array->items) {
            if (object["kind"].text == L"program") continue;
            for (const wchar_t* outcome : outcomes)
                if (object["outcome"].text == outcome) keys.insert(KeyOf(object));
        }
    }
    return keys;
}

const JsonValue* ProductResult(const JsonValue& document, const char* name) {
    for (const JsonValue& product : document["productResults"].items)
        if (product["name"].text == FromAnsi(name)) return &product;
    return nullptr;
}

// Plants everything the entry's steps name beside what its detection looks for: files, keys,
// values; its programs run from its folder.
std::vector<const WaiterProcess*> PlantEverything(const RogueEntry& entry, Planting& planting) {
    std::vector<const WaiterProcess*> programs = PlantDetectedTraces(entry, planting);
    for (const RemovalStep& step : entry.steps) {
        const std::string plain = step.operand.text ? DecodeSignature(step.operand.text) : std::string();
        if (step.kind == StepKind::RemoveFile) planting.File(RootedPath(step.folder, step.operand.text));
        if (step.kind == StepKind::RemoveKey) planting.Key(RegistryRootKey(step.registry), plain);
        if (step.kind == StepKind::RemoveValue) planting.Value(RegistryRootKey(step.registry), plain);
        if (step.kind == StepKind::RemoveRunValue) {
            // Two products that share a Run value's name: the value starts both.
            const auto [key, name] = SplitValuePath(plain);
            char existing[2048] = {};
            DWORD size = sizeof(existing);
            std::string data = RunValueData(entry);
            if (RegGetValueA(RegistryRootKey(step.registry), key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                             existing, &size) == ERROR_SUCCESS)
                data = std::string(existing) + " " + data;
            planting.Value(RegistryRootKey(step.registry), plain, data);
        }
    }
    return programs;
}

// What the plan must list for a planted product: its programs with their ids and image paths,
// each planted file and folder, its key and values, all planned.
std::set<ObjectKey> PlantedObjects(const RogueEntry& entry, const std::vector<const WaiterProcess*>& programs) {
    std::set<ObjectKey> keys;
    for (const WaiterProcess* program : programs) {
        const std::wstring path = FromAnsi(program->Path());
        keys.insert({L"process", Upper(path), Upper(path.substr(path.rfind(L'\\') + 1)), static_cast<int>(program->Id())});
        keys.insert({L"file", Upper(path), L"", 0});
    }
    const std::wstring folder = FromAnsi(ProgramFolderOf(entry));
    keys.insert({L"folder", Upper(folder), L"", 0});
    keys.insert({L"file", Upper(folder + L"\\readme.txt"), L"", 0});
    keys.insert({L"file", Upper(folder + L"\\data.bin"), L"", 0});
    for (const RemovalStep& step : entry.steps) {
        const std::wstring plain = step.operand.text ? FromAnsi(DecodeSignature(step.operand.text)) : L"";
        const std::wstring root = RegistryPathText(RegistryRootKey(step.registry), L"");
        if (step.kind == StepKind::RemoveFile)
            keys.insert({L"file", Upper(RootedPathW(step.folder, step.operand.text)), L"", 0});
        if (step.kind == StepKind::RemoveKey) keys.insert({L"key", Upper(root + L"\\" + plain), L"", 0});
        if (step.kind == StepKind::RemoveValue || step.kind == StepKind::RemoveRunValue) {
            const std::size_t cut = plain.rfind(L'\\');
            keys.insert({L"value", Upper(root + L"\\" + plain.substr(0, cut)), Upper(plain.substr(cut + 1)), 0});
        }
    }
    return keys;
}

TEST(Fleet, DetectChangesNothingAndPlansEveryPlantedObjectThatTheRemovalThenDeletes) {
    ScratchFolder scratch("fleet-one");
    Planting planting;
    const RogueEntry& entry = EntryAtIndex(kUltra);
    const std::vector<const WaiterProcess*> programs = PlantEverything(entry, planting);
    ASSERT_FALSE(programs.empty());
    const std::set<ObjectKey> planted = PlantedObjects(entry, programs);
    const std::wstring products = L"/options none /products \"Ultra Antivirus 2009\"";

    const QuietRun detect = RunQuiet(scratch, L"/detect /format json " + products, "plan.json");
    EXPECT_EQ(detect.exitCode, 2u);
    for (const WaiterProcess* program : programs) EXPECT_TRUE(program->Running()) << program->Path();
    EXPECT_TRUE(FolderExists(ProgramFolderOf(entry)));
    std::unique_ptr<JsonValue> plan = Parsed(detect.report);
    ASSERT_TRUE(plan);
    EXPECT_TRUE((*plan)["detectOnly"].boolean);
    const JsonValue* product = ProductResult(*plan, "Ultra Antivirus 2009");
    ASSERT_TRUE(product);
    EXPECT_TRUE((*product)["found"].boolean);
    EXPECT_EQ((*product)["result"].text, L"Found");
    std::set<ObjectKey> planned;
    for (const JsonValue& object : (*product)["objects"].items) {
        if (object["outcome"].text == L"planned") planned.insert(KeyOf(object));
    }
    for (const ObjectKey& key : planted) {
        EXPECT_TRUE(planned.count(key)) << "not planned: " << ToUtf8(std::get<0>(key)) << " "
                                        << ToUtf8(std::get<1>(key)) << " " << ToUtf8(std::get<2>(key));
    }
    EXPECT_EQ(planned, planted) << "planned beyond what was planted";

    const QuietRun removal = RunQuiet(scratch, L"/format json " + products, "record.json");
    EXPECT_EQ(removal.exitCode, 1u);
    for (const WaiterProcess* program : programs) EXPECT_TRUE(program->WaitEnded(5000)) << program->Path();
    EXPECT_FALSE(FolderExists(ProgramFolderOf(entry)));
    std::unique_ptr<JsonValue> record = Parsed(removal.report);
    ASSERT_TRUE(record);
    product = ProductResult(*record, "Ultra Antivirus 2009");
    ASSERT_TRUE(product);
    EXPECT_EQ((*product)["result"].text, L"REMOVED");
    std::set<ObjectKey> done;
    for (const JsonValue& object : (*product)["objects"].items) {
        const std::wstring& outcome = object["outcome"].text;
        if (outcome == L"deleted" || outcome == L"ended") done.insert(KeyOf(object));
    }
    EXPECT_EQ(done, planted);
}

// The text report's object lines, rebuilt from the JSON by the rules the README gives.
std::vector<std::string> ObjectLinesFromJson(const JsonValue& document) {
    std::vector<std::string> lines{document["detectOnly"].boolean ? "Plan:" : "Record:"};
    auto add = [&lines](const std::string& heading, const JsonValue& objects) {
        lines.push_back(heading);
        for (const JsonValue& object : objects.items) {
            const std::wstring& kind = object["kind"].text;
            std::wstring text = object["path"].text;
            if (kind == L"value") text += L"\\" + object["name"].text;
            if (kind == L"process")
                text = object["id"].number == 0 ? object["name"].text
                                                : object["name"].text + L", id " +
                                                      std::to_wstring(static_cast<long>(object["id"].number)) + L", " +
                                                      object["path"].text;
            std::wstring outcome = object["outcome"].text;
            if (!object["reason"].text.empty()) outcome += L": " + object["reason"].text;
            std::wstring place;
            if (object["user"].text != L"machine" && object["user"].text != RunningUserSid())
                place = L"user " + object["userName"].text + L" (" + object["user"].text + L")";
            if (!object["view"].text.empty()) place += (place.empty() ? L"" : L", ") + object["view"].text + L" view";
            lines.push_back("\t" + ToUtf8(kind) + "\t" + ToUtf8(text) + "\t" + ToUtf8(outcome) +
                            (place.empty() ? "" : "\t" + ToUtf8(place)));
        }
    };
    for (const JsonValue& option : document["cleaning"].items) add("Option: " + ToUtf8(option["caption"].text), option["objects"]);
    add("Sweep: Trojan traces", document["sweep"]);
    for (const JsonValue& product : document["productResults"].items)
        if (product["found"].boolean) add("Product: " + ToUtf8(product["name"].text), product["objects"]);
    return lines;
}

// Two detect-only runs of one planted machine, one in each format: nothing changes between them,
// so the two reports must say the same, line for line.
TEST(Fleet, TheJsonReportParsesAndSaysWhatTheTextReportSays) {
    ScratchFolder scratch("fleet-json");
    Planting planting;
    PlantEverything(EntryAtIndex(kUltra), planting);
    ASSERT_TRUE(WriteFileBytes(GetTempFolder() + "zarvex-fleet-json.tmp", "x"));
    const std::wstring switches = L"/detect /options 3,5 /products \"Ultra Antivirus 2009,MS Antivirus\"";
    const QuietRun text = RunQuiet(scratch, switches, "report.txt");
    const QuietRun json = RunQuiet(scratch, switches + L" /format json", "report.json");
    DeleteFileA((GetTempFolder() + "zarvex-fleet-json.tmp").c_str());
    ASSERT_EQ(text.exitCode, 2u);
    ASSERT_EQ(json.exitCode, 2u);
    std::unique_ptr<JsonValue> document = Parsed(json.report);
    ASSERT_TRUE(document);
    const JsonValue& d = *document;
    EXPECT_EQ(json.report.back(), '\n');

    const std::vector<std::string> lines = Lines(text.report);
    ASSERT_GT(lines.size(), 12u);
    EXPECT_EQ(lines[0], "Zarvex " + ToUtf8(d["version"].text) + " report");
    EXPECT_EQ(d["program"].text, L"Zarvex");
    EXPECT_EQ(d["schemaVersion"].number, 1);
    EXPECT_EQ(lines[2], "Computer: " + ToUtf8(d["computer"].text));
    EXPECT_EQ(lines[3], "User: " + ToUtf8(d["user"].text));
    EXPECT_EQ(lines[5], "Catalogue: " + ToUtf8(d["catalogue"].text));
    EXPECT_EQ(ToUtf8(d["catalogue"].text), CatalogueIdentity());
    EXPECT_EQ(lines[6], "Mode: detect only, nothing was changed");
    EXPECT_TRUE(d["detectOnly"].boolean);
    EXPECT_TRUE(d["scanned"].boolean);
    std::string options;
    for (const JsonValue& option : d["options"].items) options += (options.empty() ? "" : ", ") + ToUtf8(option["caption"].text);
    EXPECT_EQ(lines[7], "Options: " + options);
    ASSERT_EQ(d["options"].items.size(), 2u);
    EXPECT_EQ(d["options"].items[0]["number"].number, 3);
    EXPECT_EQ(d["options"].items[1]["number"].number, 5);
    EXPECT_EQ(lines[8], "Products: Ultra Antivirus 2009, MS Antivirus");
    EXPECT_FALSE(d["allProducts"].boolean);
    EXPECT_EQ(lines[9], d["everyUser"].boolean ? "Users: every user profile (elevated)"
                                               : "Users: the running user only (not elevated)");
    ASSERT_EQ(d["products"].items.size(), 2u);

    // The switches one by one, as given: the report's own path among them.
    std::vector<std::wstring> switchesGiven;
    for (const JsonValue& item : d["switches"].items) switchesGiven.push_back(item.text);
    ASSERT_GE(switchesGiven.size(), 2u);
    EXPECT_EQ(switchesGiven.front(), L"/scan");
    EXPECT_EQ(switchesGiven[switchesGiven.size() - 2], L"/report");

    std::size_t at = 10;
    ASSERT_EQ(lines[at++], "Results:");
    for (const JsonValue& row : d["results"].items)
        EXPECT_EQ(lines[at++], ToUtf8(row["label"].text) + "\t" + ToUtf8(row["status"].text));
    EXPECT_EQ(d["results"].items.size(), 1u);
    EXPECT_EQ(d["skipped"].items.size(), 0u);
    const std::vector<std::string> objects = ObjectLinesFromJson(d);
    ASSERT_GE(lines.size(), at + objects.size() + 1);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + at, lines.begin() + at + objects.size()), objects);
    at += objects.size();
    EXPECT_EQ(d["errors"].items.size(), 0u);
    EXPECT_EQ(lines[at], "Exit code: " + std::to_string(static_cast<int>(d["exitCode"].number)));
    EXPECT_EQ(d["exitCode"].number, 2);
    EXPECT_EQ(at + 1, lines.size());

    // Both products were looked for; one was found. The Temp file is in the plan of option 3.
    ASSERT_EQ(d["productResults"].items.size(), 2u);
    EXPECT_EQ(d["productResults"].items[1]["found"].type, JsonValue::Type::Bool);
    EXPECT_FALSE(d["productResults"].items[1]["found"].boolean);
    EXPECT_EQ(d["productResults"].items[1]["result"].text, L"Not found");
    bool tempFilePlanned = false;
    for (const JsonValue& object : d["cleaning"].items[0]["objects"].items)
        tempFilePlanned = tempFilePlanned || (object["path"].text.ends_with(L"\\zarvex-fleet-json.tmp") &&
                                              object["outcome"].text == L"planned");
    EXPECT_TRUE(tempFilePlanned);
    const std::wstring started = d["started"].text, ended = d["ended"].text;
    EXPECT_EQ(started.size(), 24u) << ToUtf8(started);
    EXPECT_EQ(started.back(), L'Z');
    EXPECT_EQ(started[10], L'T');
    EXPECT_LE(started, ended);
}

// Every product planted: the plan lists exactly the objects the removal then deletes and ends.
TEST(Fleet, APlanOfAllProductsListsExactlyWhatTheRemovalThenDeletes) {
    ScratchFolder scratch("fleet-all");
    Planting planting;
    for (int index = 0; index < kProductCount; ++index) PlantDetectedTraces(EntryAtIndex(index), planting);
    const QuietRun detect = RunQuiet(scratch, L"/detect /format json /options none /products all", "plan.json");
    const QuietRun removal = RunQuiet(scratch, L"/format json /options none /products all", "record.json");
    ASSERT_EQ(detect.exitCode, 2u);
    ASSERT_EQ(removal.exitCode, 1u);
    std::unique_ptr<JsonValue> plan = Parsed(detect.report);
    std::unique_ptr<JsonValue> record = Parsed(removal.report);
    ASSERT_TRUE(plan && record);
    const std::set<ObjectKey> planned = ObjectsWith(*plan, {L"planned"});
    const std::set<ObjectKey> done = ObjectsWith(*record, {L"deleted", L"ended"});
    EXPECT_GT(planned.size(), 3u * kProductCount);
    std::vector<ObjectKey> onlyPlanned, onlyDone;
    std::set_difference(planned.begin(), planned.end(), done.begin(), done.end(), std::back_inserter(onlyPlanned));
    std::set_difference(done.begin(), done.end(), planned.begin(), planned.end(), std::back_inserter(onlyDone));
    for (const ObjectKey& key : onlyPlanned) ADD_FAILURE() << "planned, not done: " << ToUtf8(std::get<1>(key));
    for (const ObjectKey& key : onlyDone) ADD_FAILURE() << "done, not planned: " << ToUtf8(std::get<1>(key));
    EXPECT_EQ(ObjectsWith(*plan, {L"deleted", L"ended", L"failed"}).size(), 0u) << "a plan acted";
}

// A refused cleaning option deletes nothing, has its own heading, and leaves the exit code alone.
TEST(Fleet, ARefusedOptionIsListedUnderItsOwnHeadingAndKeepsTheExitCode) {
    ScratchFolder scratch("fleet-refused");
    Planting planting;
    const std::string bystander = GetWindowsFolder() + "\\zarvex-bystander.txt";
    planting.File(bystander);
    const std::wstring windows = FromAnsi(GetWindowsFolder());
    QuietRun run;
    {
        // The Temp folder the environment names is the Windows folder; the program inherits it.
        ScopedVariable tmp(L"TMP", windows.c_str());
        ScopedVariable temp(L"TEMP", windows.c_str());
        run = RunQuiet(scratch, L"/options 3 /products \"Antivirus 360\"", "report.txt");
    }
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(FileExists(bystander));
    const std::vector<std::string> lines = Lines(run.report);
    auto at = std::find(lines.begin(), lines.end(), "Refused:");
    ASSERT_NE(at, lines.end()) << run.report;
    ASSERT_NE(at + 1, lines.end());
    EXPECT_EQ(at[1].rfind("Clear Temp Folder\tSkipped: ", 0), 0u) << at[1];
    EXPECT_NE(std::find(lines.begin(), lines.end(), "No malicious software was found.\t"), lines.end());
    EXPECT_EQ(lines.back(), "Exit code: 0");
}

BOOL CALLBACK FindDetectOnlyNotice(HWND child, LPARAM found) {
    if (GetDlgCtrlID(child) != kDetectOnlyLabelId) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// Started with /detect, the window says before any click that a scan only looks.
TEST(Fleet, TheScanPageSaysItWillOnlyLookBeforeTheClick) {
    FileBesideProgram noReadMe("ReadMe.txt");
    for (const bool detect : {true, false}) {
        StartedProgram program("Zarvex.exe", detect ? L"/detect /noupdate" : L"/noupdate");
        ASSERT_TRUE(program.Started());
        HWND main = program.WaitForWindow("TForm1");
        ASSERT_NE(main, nullptr);
        HWND notice = nullptr;
        EnumChildWindows(main, FindDetectOnlyNotice, reinterpret_cast<LPARAM>(&notice));
        ASSERT_NE(notice, nullptr);
        EXPECT_EQ(IsWindowVisible(notice) != FALSE, detect);
        EXPECT_EQ(WindowText(notice), kDetectOnlyNotice);
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program.WaitEnded());
    }
}

// A click in a detect-only window finds the product, says "Found", and leaves it as it was.
TEST(Fleet, ADetectOnlyScanInTheWindowFindsAndLeaves) {
    ScanWindow scan;
    ASSERT_TRUE(scan.Created());
    Planting planting;
    std::vector<const WaiterProcess*> programs = PlantDetectedTraces(EntryAtIndex(kUltra), planting);
    scan.TickAllProducts(false);
    scan.TickProduct(kUltra, true);
    scan.Form().SetDetectOnly(true);
    scan.ClickScan();
    EXPECT_EQ(scan.Rows(), (ScanRows{{"Ultra AV 2009", "Found"}}));
    EXPECT_TRUE(scan.Outcome().detectOnly);
    for (const WaiterProcess* program : programs) EXPECT_TRUE(program->Running());
    EXPECT_TRUE(FolderExists(ProgramFolderOf(EntryAtIndex(kUltra))));
}

// The JSON writer keeps a name exact that UTF-8 cannot hold (a lone surrogate, which a Windows
// file name may have) and escapes what JSON must; the reader gets the same text back.
TEST(Fleet, JsonKeepsEveryNameExact) {
    ScanReport report = NewScanReport();
    report.scanned = true;
    ScanSection section{ScanSection::Kind::Sweep, 0, "Trojan traces"};
    const std::wstring odd = std::wstring(L"C:\\a\"b\\\x0001\tc\r\n\x00e9\x4e2d") + wchar_t(0xD800) + L"x" +
                             wchar_t(0xDC00) + L"\U0001F600";
    section.objects.push_back({ObjectKind::File, Outcome::Refused, odd, L"", 0, L"why \"so\""});
    report.sections.push_back(section);
    std::unique_ptr<JsonValue> document = Parsed(ScanReportJson(report));
    ASSERT_TRUE(document);
    ASSERT_EQ((*document)["sweep"].items.size(), 1u);
    EXPECT_EQ((*document)["sweep"].items[0]["path"].text, odd);
    EXPECT_EQ((*document)["sweep"].items[0]["reason"].text, L"why \"so\"");
    EXPECT_EQ((*document)["sweep"].items[0]["outcome"].text, L"refused");
}

}  // namespace

// Run elevated, as a technician or a fleet engine runs it, the program reaches a second user of the
// machine: that user's per-user traces go from his own hive and Desktop, the report names whose
// they were, the hive it loaded is unloaded, and the plan listed the same objects. Wine gives every
// program an administrator's full token; where the test itself is not elevated there is nothing
// to show.
TEST(Fleet, AnElevatedRunRemovesASecondUsersTracesAndSaysWhose) {
    if (!RunsElevated()) GTEST_SKIP() << "not elevated: only the running user is reached";
    constexpr int kMicroAntivirus = 1;
    const RogueEntry& entry = EntryAtIndex(kMicroAntivirus);
    SecondUser user;
    std::string keyCheck, desktopFile;
    for (const DetectCheck& check : entry.checks)
        if (check.kind == CheckKind::KeyCheck) keyCheck = DecodeSignature(check.operand.text);
    for (const RemovalStep& step : entry.steps)
        if (step.kind == StepKind::RemoveFile && step.folder == FolderRoot::Desktop)
            desktopFile = user.Profile() + "\\Desktop\\" + DecodeSignature(step.operand.text).substr(1);
    ASSERT_FALSE(keyCheck.empty());
    ASSERT_FALSE(desktopFile.empty());
    ASSERT_TRUE(user.Key(keyCheck));
    ASSERT_TRUE(user.Value("Software\\zarvex-bystander", "keep"));
    ASSERT_TRUE(user.Save());
    CreateDirectoryA((user.Profile() + "\\Desktop").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(desktopFile, "trace"));

    ScratchFolder scratch("fleet-every-user");
    const std::wstring switches = L"/format json /options none /products \"Micro Antivirus 2009\"";
    const QuietRun detect = RunQuiet(scratch, L"/detect " + switches, "plan.json");
    EXPECT_EQ(detect.exitCode, 2u);
    const QuietRun removal = RunQuiet(scratch, switches, "record.json");
    EXPECT_EQ(removal.exitCode, 1u);
    EXPECT_FALSE(FileExists(desktopFile));
    EXPECT_EQ(LoadedHiveOfOurs(FromAnsi(SecondUser::kSid)), L"") << "the hive it loaded stays loaded";

    std::unique_ptr<JsonValue> plan = Parsed(detect.report), record = Parsed(removal.report);
    ASSERT_TRUE(plan && record);
    EXPECT_TRUE((*record)["everyUser"].boolean);
    const JsonValue* planned = ProductResult(*plan, "Micro Antivirus 2009");
    const JsonValue* done = ProductResult(*record, "Micro Antivirus 2009");
    ASSERT_TRUE(planned && done);
    EXPECT_EQ((*done)["result"].text, L"REMOVED");
    auto identities = [](const JsonValue& product) {
        std::vector<std::wstring> objects;
        for (const JsonValue& object : product["objects"].items)
            objects.push_back(object["kind"].text + L"|" + object["path"].text + L"|" + object["name"].text + L"|" +
                              object["user"].text + L"|" + object["view"].text);
        return objects;
    };
    EXPECT_EQ(identities(*planned), identities(*done));
    const std::wstring sid = FromAnsi(SecondUser::kSid);
    std::set<std::wstring> deletedForUser;
    for (const JsonValue& object : (*done)["objects"].items) {
        if (object["user"].text != sid) continue;
        EXPECT_EQ(object["userName"].text, sid);
        if (object["outcome"].text == L"deleted") deletedForUser.insert(Upper(object["path"].text));
    }
    EXPECT_EQ(deletedForUser, (std::set<std::wstring>{Upper(L"HKU\\" + sid + L"\\" + FromAnsi(keyCheck)),
                                                      Upper(FromAnsi(desktopFile))}));
}

// /allusers: the Temp option cleans a second user's Temp, as his own registry names it, only when
// asked; the record names whose files they were, and the JSON says the options reached every user.
// His cookies setting points outside his profile: that folder is a refused row of its own, by its
// path, and the option still counts as applied for the running user.
TEST(Fleet, AllUsersCleansASecondUsersTempOnlyWhenAsked) {
    if (!RunsElevated()) GTEST_SKIP() << "not elevated: only the running user is reached";
    SecondUser user;
    const std::string outside = "C:\\zarvex-outside-cookies";
    ASSERT_TRUE(user.Value("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Cookies",
                           outside));
    ASSERT_TRUE(user.Save());
    CreateDirectoryA(outside.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(outside + "\\zarvex-not-his.txt", "keep"));
    const std::string temp = user.Profile() + "\\AppData\\Local\\Temp";
    CreateDirectoryA((user.Profile() + "\\AppData").c_str(), nullptr);
    CreateDirectoryA((user.Profile() + "\\AppData\\Local").c_str(), nullptr);
    CreateDirectoryA(temp.c_str(), nullptr);
    const std::string file = temp + "\\zarvex-second-user.tmp";
    ASSERT_TRUE(WriteFileBytes(file, "temp"));

    ScratchFolder scratch("fleet-all-users");
    const std::wstring switches = L"/format json /options 1,3 /products \"Antivirus 360\"";
    const QuietRun alone = RunQuiet(scratch, switches, "running-user.json");
    EXPECT_EQ(alone.exitCode, 0u);
    EXPECT_TRUE(FileExists(file)) << "cleaned without /allusers";
    const QuietRun every = RunQuiet(scratch, L"/allusers " + switches, "every-user.json");
    EXPECT_EQ(every.exitCode, 0u);
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(LoadedHiveOfOurs(FromAnsi(SecondUser::kSid)), L"") << "the hive it loaded stays loaded";

    std::unique_ptr<JsonValue> before = Parsed(alone.report), after = Parsed(every.report);
    ASSERT_TRUE(before && after);
    EXPECT_TRUE((*before)["everyUser"].boolean);
    EXPECT_FALSE((*before)["cleanEveryUser"].boolean);
    EXPECT_TRUE((*after)["cleanEveryUser"].boolean);
    const std::wstring sid = FromAnsi(SecondUser::kSid);
    auto secondUsers = [&sid](const JsonValue& document) {
        std::set<std::wstring> paths;
        for (const JsonValue& option : document["cleaning"].items)
            for (const JsonValue& object : option["objects"].items)
                if (object["user"].text == sid) paths.insert(Upper(object["path"].text) + L"|" + object["outcome"].text);
        return paths;
    };
    EXPECT_TRUE(secondUsers(*before).empty());
    EXPECT_EQ(secondUsers(*after), (std::set<std::wstring>{Upper(FromAnsi(file)) + L"|deleted",
                                                           Upper(FromAnsi(outside)) + L"|refused"}));
    EXPECT_TRUE(FileExists(outside + "\\zarvex-not-his.txt"));
    DeleteFileA((outside + "\\zarvex-not-his.txt").c_str());
    RemoveDirectoryA(outside.c_str());
    std::vector<std::wstring> skipped;
    for (const JsonValue& row : (*after)["skipped"].items) skipped.push_back(row["label"].text + L"|" + row["status"].text);
    EXPECT_EQ(skipped, std::vector<std::wstring>{L"Clear Cookies Folder: " + FromAnsi(outside) +
                                                 L"|Skipped: not inside the user's profile folder"});
    ASSERT_FALSE((*after)["cleaning"].items.empty());
    EXPECT_FALSE((*after)["cleaning"].items[0]["skipped"].boolean) << "the running user's cookies were cleaned";
}
