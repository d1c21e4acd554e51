// The shipped 32-bit Zarvex.exe itself, in a 64-bit prefix with its 32-bit side: its window stays
// up with the update check asking a loopback server; a detect-only run finds a product planted in
// "Program Files (x86)"; the removal takes it away; the reports are written. Every start of it is
// slow where 32-bit programs are emulated, so each case starts it once.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/rogue_entry.h"
#include "product32/shipped_program.h"
#include "support/json_reader.h"
#include "support/loopback_server.h"
#include "support/planting.h"
#include "support/rogue_planting.h"
#include "support/test_paths.h"
#include "system/folders.h"
#include "system/signature.h"
#include "system/text_codes.h"

namespace {

// WinInet's proxy for this user pointed at the loopback server, so that the program's update
// check, whatever address it was built with, asks that server; put back as it was afterwards.
class LoopbackProxy {
public:
    explicit LoopbackProxy(unsigned short port) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                            &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = sizeof(enable_);
        hadEnable_ = RegQueryValueExW(key_, L"ProxyEnable", nullptr, nullptr, reinterpret_cast<BYTE*>(&enable_),
                                      &size) == ERROR_SUCCESS;
        wchar_t server[512] = {};
        size = sizeof(server) - sizeof(wchar_t);
        hadServer_ = RegQueryValueExW(key_, L"ProxyServer", nullptr, nullptr, reinterpret_cast<BYTE*>(server),
                                      &size) == ERROR_SUCCESS;
        server_ = server;
        const DWORD on = 1;
        const std::wstring address = L"127.0.0.1:" + std::to_wstring(port);
        ready_ = RegSetValueExW(key_, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof(on)) ==
                     ERROR_SUCCESS &&
                 RegSetValueExW(key_, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(address.c_str()),
                                static_cast<DWORD>((address.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~LoopbackProxy() {
        if (!key_) return;
        if (hadEnable_) {
            RegSetValueExW(key_, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable_), sizeof(enable_));
        } else {
            RegDeleteValueW(key_, L"ProxyEnable");
        }
        if (hadServer_) {
            RegSetValueExW(key_, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server_.c_str()),
                           static_cast<DWORD>((server_.size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key_, L"ProxyServer");
        }
        RegCloseKey(key_);
    }
    LoopbackProxy(const LoopbackProxy&) = delete;
    LoopbackProxy& operator=(const LoopbackProxy&) = delete;
    bool Ready() const { return ready_; }

private:
    static constexpr const wchar_t* kSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    HKEY key_ = nullptr;
    bool ready_ = false;
    bool hadEnable_ = false;
    bool hadServer_ = false;
    DWORD enable_ = 0;
    std::wstring server_;
};

// Ultra Antivirus 2009 as the 32-bit program sees it: its program folder under
// "Program Files (x86)", its DLL in the 32-bit system folder (SysWOW64) and its key for the user.
struct PlantedProduct {
    std::string folder;
    std::string dll;
    std::wstring key = L"Software\\Ultra Antivirus 2009";
};

PlantedProduct PlantUltra(Planting& planting) {
    PlantedProduct product;
    product.folder = GetSpecialFolder(CSIDL_PROGRAM_FILESX86) + "\\Ultra Antivirus 2009";
    char wow64[MAX_PATH] = {};
    const UINT length = GetSystemWow64DirectoryA(wow64, MAX_PATH);
    // A 32-bit test program on a 32-bit prefix sees the 32-bit system folder as its own.
    product.dll = (length && length < MAX_PATH ? std::string(wow64) : GetSystemFolder()) + "\\ultraav32.dll";
    planting.Folder(product.folder);
    planting.File(product.dll);
    planting.Key(HKEY_CURRENT_USER, ToAnsi(product.key));
    return product;
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A key or value of the 32-bit registry view, planted here and taken away whatever the test came to.
class Wow32Planting {
public:
    ~Wow32Planting() {
        for (const auto& [key, name] : values_) {
            HKEY raw = nullptr;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_32KEY, &raw) != ERROR_SUCCESS)
                continue;
            RegDeleteValueA(raw, name.c_str());
            RegCloseKey(raw);
        }
        for (const std::string& key : keys_) {
            HKEY raw = nullptr;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &raw) == ERROR_SUCCESS) {
                RegDeleteTreeA(raw, nullptr);
                RegCloseKey(raw);
            }
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), KEY_WOW64_32KEY, 0);
        }
    }
    // The key with a subkey of its own, so that deleting it deletes a tree.
    bool Key(const std::string& path) {
        keys_.push_back(path);
        HKEY raw = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (path + "\\Settings").c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &raw, nullptr) != ERROR_SUCCESS)
            return false;
        RegCloseKey(raw);
        return true;
    }
    bool Value(const std::string& key, const std::string& name, const std::string& data) {
        values_.emplace_back(key, name);
        HKEY raw = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr,
                            &raw, nullptr) != ERROR_SUCCESS)
            return false;
        const bool set = RegSetValueExA(raw, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                        static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
        RegCloseKey(raw);
        return set;
    }

private:
    std::vector<std::string> keys_;
    std::vector<std::pair<std::string, std::string>> values_;
};

bool ExistsInView(const std::string& key, const char* valueName, REGSAM view) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | view, &raw) != ERROR_SUCCESS) return false;
    const bool there = !valueName || RegQueryValueExA(raw, valueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(raw);
    return there;
}

std::wstring InScratch(const ScratchFolder& scratch, const char* name) {
    return FromAnsi(scratch.Path() + "\\" + name);
}

TEST(Product32, TheWindowStaysUpAMinuteWhileTheUpdateCheckAsksALoopbackServer) {
    LoopbackServer server({ScriptedResponse{HttpResponse("[Zarvex]\r\nversion=9.9.9\r\n")}});
    ASSERT_TRUE(server.Ready());
    LoopbackProxy proxy(server.Port());
    ASSERT_TRUE(proxy.Ready());
    ASSERT_FALSE(CrashBoxShown()) << "a crash box was up before the program started";

    ShippedRun run(L"");
    ASSERT_TRUE(run.Started());
    HWND main = run.WaitForWindow("TForm1", "Zarvex");
    ASSERT_NE(main, nullptr) << "no main window; exit code " << run.WaitExit(0);
    // The update check loads the Internet library on first use and asks; a newer version is offered.
    HWND question = run.WaitForWindow("#32770", "New version available");
    EXPECT_NE(question, nullptr) << "no update question";
    EXPECT_GE(server.ConnectionCount(), 1u);
    if (server.ConnectionCount() > 0) {
        EXPECT_NE(server.Request(0).find("/Version.ini"), std::string::npos);
    }
    if (question) PostMessageW(question, WM_COMMAND, IDNO, 0);

    Sleep(60 * 1000);
    EXPECT_TRUE(RunsAndAnswers(run, main)) << "the window did not stay; exit code " << run.WaitExit(0);
    EXPECT_FALSE(CrashBoxShown());

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_NE(run.WaitExit(), static_cast<DWORD>(STILL_ACTIVE)) << "still running after its window was closed";
    EXPECT_FALSE(CrashBoxShown());
}

TEST(Product32, ADetectOnlyRunFindsAProductInProgramFilesX86AndChangesNothing) {
    ScratchFolder scratch("zarvex-product32-detect");
    Planting planting;
    const PlantedProduct product = PlantUltra(planting);
    const std::wstring report = InScratch(scratch, "detect.txt");

    ShippedRun run(L"/scan /quiet /detect /noupdate /options none /report \"" + report + L"\"");
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.WaitExit(), 2u);
    EXPECT_FALSE(CrashBoxShown());

    const std::string text = WideFileBytes(report);
    EXPECT_NE(text.find("\r\nUltra AV 2009\tFound\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(product.folder), std::string::npos) << "the plan names the 32-bit program folder\n" << text;
    EXPECT_NE(text.find("Exit code: 2"), std::string::npos) << text;
    EXPECT_TRUE(FolderExists(product.folder));
    EXPECT_TRUE(FileExists(product.dll));
    EXPECT_TRUE(KeyExists(product.key));
}

TEST(Product32, TheRemovalTakesTheProductAwayAndWritesItsJsonReport) {
    ScratchFolder scratch("zarvex-product32-removal");
    Planting planting;
    const PlantedProduct product = PlantUltra(planting);
    const std::wstring report = InScratch(scratch, "removal.json");

    ShippedRun run(L"/scan /quiet /noupdate /options none /products \"Ultra Antivirus 2009\" /format json /report \"" +
                   report + L"\"");
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.WaitExit(), 1u);
    EXPECT_FALSE(CrashBoxShown());

    EXPECT_FALSE(FolderExists(product.folder));
    EXPECT_FALSE(FileExists(product.dll));
    EXPECT_FALSE(KeyExists(product.key));

    const std::string bytes = WideFileBytes(report);
    std::string error;
    std::unique_ptr<JsonValue> document = ParseJson(bytes, &error);
    ASSERT_TRUE(document) << error << "\n" << bytes.substr(0, 2000);
    EXPECT_EQ((*document)["exitCode"].number, 1);
    bool removed = false;
    for (const JsonValue& result : (*document)["productResults"].items)
        removed = removed || (result["name"].text == L"Ultra Antivirus 2009" && result["result"].text == L"REMOVED");
    EXPECT_TRUE(removed) << bytes.substr(0, 2000);
}

// The same product put in by a 64-bit installer: its folder in the native Program Files with its
// program running from there, its DLL in the native system folder and its Run value in the 64-bit
// registry (and one in the 32-bit registry, the program's own view); browser helper objects with
// subkeys in both views, cleared by option 7. The 32-bit program reaches the native ones only
// through the machine's 64-bit settings, Sysnative and the 64-bit registry view, and records each
// object with its view. Windows redirects a subkey opened relative to a 64-bit key unless the open
// names the view again; Wine keeps the parent's view, so the BHO subkeys pass here either way.
TEST(Product32, TheRemovalReachesTheNativeViewToo) {
    if (sizeof(void*) != 8) GTEST_SKIP() << "the native view is planted from a 64-bit test program";
    constexpr int kUltraAntivirus = 5;
    const RogueEntry& entry = EntryAtIndex(kUltraAntivirus);
    std::string runValue;
    for (const RemovalStep& step : entry.steps)
        if (step.kind == StepKind::RemoveRunValue && step.registry == RegistryRoot::LocalMachine)
            runValue = DecodeSignature(step.operand.text);
    ASSERT_FALSE(runValue.empty());
    ScratchFolder scratch("zarvex-product32-native");
    Planting planting;
    Wow32Planting wow32;
    const std::string folder = GetSpecialFolder(CSIDL_PROGRAM_FILES) + "\\Ultra Antivirus 2009";
    const std::string dll = GetSystemFolder() + "\\ultraav32.dll";
    const std::string bho = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
    planting.Folder(folder);
    planting.File(dll);
    const WaiterProcess& program = planting.Process(folder, "UltraAV.exe");
    planting.Value(HKEY_LOCAL_MACHINE, runValue, "\"" + folder + "\\UltraAV.exe\" /tray");
    const auto [runKey, runName] = SplitValuePath(runValue);
    ASSERT_TRUE(wow32.Value(runKey, runName, "\"" + GetSpecialFolder(CSIDL_PROGRAM_FILESX86) +
                                                 "\\Ultra Antivirus 2009\\UltraAV.exe\" /tray"));
    planting.Key(HKEY_LOCAL_MACHINE, bho + "\\{zarvex-native}");
    ASSERT_TRUE(wow32.Key(bho + "\\{zarvex-wow32}"));
    ASSERT_FALSE(ExistsInView(bho + "\\{zarvex-wow32}", nullptr, KEY_WOW64_64KEY)) << "the views are one";
    const std::wstring report = InScratch(scratch, "native.json");

    ShippedRun run(L"/scan /quiet /noupdate /options 7 /products \"Ultra Antivirus 2009\" /format json /report \"" +
                   report + L"\"");
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.WaitExit(), 1u);
    EXPECT_FALSE(CrashBoxShown());

    EXPECT_TRUE(program.WaitEnded(5000)) << "the 64-bit program still runs";
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_FALSE(FileExists(dll));
    EXPECT_FALSE(ExistsInView(runKey, runName.c_str(), KEY_WOW64_64KEY)) << "the Run value in the 64-bit registry stays";
    EXPECT_FALSE(ExistsInView(runKey, runName.c_str(), KEY_WOW64_32KEY)) << "the Run value in the 32-bit registry stays";
    EXPECT_FALSE(ExistsInView(bho + "\\{zarvex-native}", nullptr, KEY_WOW64_64KEY));
    EXPECT_FALSE(ExistsInView(bho + "\\{zarvex-wow32}", nullptr, KEY_WOW64_32KEY));

    const std::string bytes = WideFileBytes(report);
    std::string error;
    std::unique_ptr<JsonValue> document = ParseJson(bytes, &error);
    ASSERT_TRUE(document) << error << "\n" << bytes.substr(0, 2000);
    EXPECT_EQ((*document)["exitCode"].number, 1);
    // What each view's object was recorded as: kind|view|outcome, for the objects named here.
    std::set<std::wstring> seen;
    auto note = [&seen](const JsonValue& objects) {
        for (const JsonValue& object : objects.items) {
            const std::wstring& path = object["path"].text;
            const bool ours = path.find(L"ultraav32.dll") != std::wstring::npos ||
                              (object["kind"].text == L"value" && object["outcome"].text == L"deleted") ||
                              (object["kind"].text == L"key" && path.find(L"Browser Helper Objects") != std::wstring::npos);
            if (ours) seen.insert(object["kind"].text + L"|" + object["view"].text + L"|" + object["outcome"].text);
        }
    };
    for (const JsonValue& result : (*document)["productResults"].items) note(result["objects"]);
    for (const JsonValue& option : (*document)["cleaning"].items) note(option["objects"]);
    for (const wchar_t* expected : {L"file|64-bit|deleted", L"value|64-bit|deleted", L"value|32-bit|deleted",
                                    L"key|64-bit|deleted", L"key|32-bit|deleted"})
        EXPECT_EQ(seen.count(expected), 1u) << ToAnsi(expected) << "\n" << bytes.substr(0, 4000);
}

}  // namespace
