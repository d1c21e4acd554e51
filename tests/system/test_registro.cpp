#include <gtest/gtest.h>

#include <windows.h>
#include <cstring>
#include <string>

#include "support/test_handles.h"
#include "support/test_registry.h"
#include "system/registro.h"

namespace {

const std::string kBase = "Software\\ZarvexTests\\Registro";
// Of our own, directly under the root, to check the refusal without risking Software itself.
const std::string kTopLevel = "ZarvexTestsTopLevel";
const std::string kRootValue = "ZarvexTestsRootValue";

std::string Under(const std::string& path) { return kBase + "\\" + path; }

// A key that links to a key that does not exist: it is listed among its parent's subkeys, but
// opening it fails. Volatile, so a test that dies leaves nothing after the prefix restarts.
bool CreateDanglingLink(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const wchar_t target[] = L"\\Registry\\Machine\\Software\\ZarvexTestsNoSuchKey";
    LONG status = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target),
                                 sizeof(target) - sizeof(wchar_t));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// Deleting by name would follow the link, so the link itself is opened and deleted.
void DeleteLink(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, DELETE, &key) != ERROR_SUCCESS) return;
    using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
    FARPROC address = GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
    NtDeleteKeyFn deleteKey = nullptr;
    std::memcpy(&deleteKey, &address, sizeof(deleteKey));
    if (deleteKey) deleteKey(key);
    RegCloseKey(key);
}

class RegistroTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteKeyTree(HKEY_CURRENT_USER, kBase);
        ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kBase));
        // Value C of key A\B, beside a key A\B\C that has no default value.
        ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, Under("A\\B"), "C", "value"));
        ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, Under("A\\B\\C")));
        ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, Under("Def"), "", "default"));
        ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, Under("NoDef"), "Named", "x"));
        ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, "", kRootValue, "root"));
    }

    void TearDown() override {
        DeleteLink(HKEY_CURRENT_USER, Under("P\\b\\dangling"));
        DeleteKeyTree(HKEY_CURRENT_USER, kBase);
        RegDeleteKeyA(HKEY_CURRENT_USER, kTopLevel.c_str());
        RegDeleteValueA(HKEY_CURRENT_USER, kRootValue.c_str());
    }
};

}  // namespace

TEST(Registro, LastCharPosIsOneBasedFromTheEnd) {
    struct Case { char c; const char* text; int pos; };
    const Case cases[] = {
        {'\\', "A\\B\\C", 4}, {'\\', "A\\B\\", 4}, {'\\', "\\", 1}, {'\\', "\\A", 1},
        {'\\', "ABC", 0},     {'\\', "", 0},       {'x', "x", 1},   {'\xE9', "a\xE9" "b", 2},
    };
    for (const Case& c : cases) EXPECT_EQ(LastCharPos(c.c, c.text), c.pos) << c.text;
}

TEST_F(RegistroTest, KeyExists) {
    struct Case { std::string path; bool exists; };
    const Case cases[] = {
        {kBase, true},
        {Under("A\\B\\C"), true},
        {Under("a\\b\\c"), true},  // the registry ignores case
        {Under("Missing"), false},
        {Under("A\\Missing\\C"), false},
        {"", true},  // the root itself
    };
    for (const Case& c : cases) EXPECT_EQ(RegKeyExists(HKEY_CURRENT_USER, c.path), c.exists) << c.path;
}

TEST_F(RegistroTest, ValueExists) {
    struct Case { std::string valuePath; bool exists; };
    const Case cases[] = {
        {Under("A\\B\\C"), true},        // value C of key A\B
        {Under("A\\B\\C\\"), false},     // default value of key A\B\C, never set
        {Under("Def\\"), true},
        {Under("NoDef\\"), false},
        {Under("NoDef\\Named"), true},
        {Under("NoDef\\Missing"), false},
        {Under("Missing\\Named"), false},
        {"\\" + kRootValue, true},       // a value of the root key itself
        {"\\ZarvexTestsNoSuchValue", false},
        {kRootValue, false},             // no backslash: not a value path
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(RegValueExists(HKEY_CURRENT_USER, c.valuePath), c.exists) << c.valuePath;
}

TEST_F(RegistroTest, DeleteValuePath) {
    struct Case { std::string valuePath; bool deleted; std::string key; std::string name; };
    const Case cases[] = {
        {Under("A\\B\\C"), true, Under("A\\B"), "C"},
        {Under("Def\\"), true, Under("Def"), ""},
        {"\\" + kRootValue, true, "", kRootValue},
        {Under("NoDef\\"), false, Under("NoDef"), ""},
        {Under("NoDef\\Missing"), false, Under("NoDef"), "Missing"},
        {Under("Missing\\Named"), false, Under("Missing"), "Named"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.valuePath);
        EXPECT_EQ(RegDeleteValuePath(HKEY_CURRENT_USER, c.valuePath), c.deleted);
        EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, c.key, c.name));
    }
    // The no-backslash row must not have touched the root's value of that name.
    SetStringValue(HKEY_CURRENT_USER, "", kRootValue, "root");
    EXPECT_FALSE(RegDeleteValuePath(HKEY_CURRENT_USER, kRootValue));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "", kRootValue));
    // Deleting a value leaves its key and the keys below it.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Under("A\\B\\C")));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, Under("NoDef"), "Named"));
}

TEST_F(RegistroTest, DeleteKeyTreeRefusesKeysUnderTheRoot) {
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, kTopLevel + "\\Child", "v", "x"));
    for (bool recursive : {true, false}) {
        EXPECT_FALSE(RegDeleteKeyTree(HKEY_CURRENT_USER, kTopLevel, recursive));
        // A separator at the end is no key below it.
        EXPECT_FALSE(RegDeleteKeyTree(HKEY_CURRENT_USER, kTopLevel + "\\", recursive));
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTopLevel + "\\Child"));
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, (kTopLevel + "\\Child").c_str());
    EXPECT_FALSE(RegDeleteKeyTree(HKEY_CURRENT_USER, kTopLevel, false));  // even when it is empty
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTopLevel));
}

TEST_F(RegistroTest, DeleteKeyTreeRecursiveRemovesTheWholeTree) {
    const char* const tree[] = {"T\\1\\1a\\1aa", "T\\1\\1b", "T\\2", "T\\3\\3a\\3aa\\3aaa"};
    for (const char* path : tree) ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, Under(path), "v", "x"));
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, Under("T"), "", "x"));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, Under("Tail")));  // a sibling sharing the prefix

    EXPECT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, Under("T"), true));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Under("T")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Under("Tail")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Under("A\\B\\C")));
}

TEST_F(RegistroTest, DeleteKeyTreeCases) {
    struct Case { std::string path; bool recursive; bool deleted; std::string remains; };
    const Case cases[] = {
        {Under("A"), false, false, Under("A\\B\\C")},  // has subkeys: refused without recursion
        {Under("A\\B\\C"), false, true, Under("A\\B")},
        {Under("Missing"), true, false, kBase},
        {Under("Missing"), false, false, kBase},
        {Under("A\\Missing\\X"), true, false, Under("A\\B")},
        {Under("NoDef"), true, true, kBase},  // a key with values and no subkeys
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + (c.recursive ? " recursive" : ""));
        EXPECT_EQ(RegDeleteKeyTree(HKEY_CURRENT_USER, c.path, c.recursive), c.deleted);
        EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, c.path), !c.deleted && c.path.find("Missing") == std::string::npos);
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, c.remains));
    }
}

// A link subkey is opened and deleted as the link, even when it points nowhere; the keys around
// it go as well. (A subkey that cannot be opened at all would stop the delete there; Wine does not
// hold registry keys to their access rules, so that cannot be shown here.)
TEST_F(RegistroTest, DeleteKeyTreeTakesADanglingLinkAsALink) {
    ASSERT_TRUE(SetStringValue(HKEY_CURRENT_USER, Under("P\\a\\deep"), "v", "x"));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, Under("P\\b")));
    ASSERT_TRUE(CreateDanglingLink(HKEY_CURRENT_USER, Under("P\\b\\dangling")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, Under("P\\c")));
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, Under("P\\b\\dangling")));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, Under("P\\b\\dangling")));

    EXPECT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, Under("P"), true));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Under("P\\b\\dangling")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Under("P")));
}

TEST_F(RegistroTest, LeavesNoHandleOpen) {
    ASSERT_TRUE(CreateDanglingLink(HKEY_CURRENT_USER, Under("P\\b\\dangling")));
    RegKeyExists(HKEY_CURRENT_USER, kBase);

    DWORD before = HandleMark();
    for (int i = 0; i < 10; ++i) {
        SetStringValue(HKEY_CURRENT_USER, Under("L\\x\\y"), "v", "x");
        RegKeyExists(HKEY_CURRENT_USER, Under("L\\x"));
        RegKeyExists(HKEY_CURRENT_USER, Under("Missing"));
        RegKeyExists(HKEY_CURRENT_USER, "");
        RegValueExists(HKEY_CURRENT_USER, Under("L\\x\\y\\v"));
        RegValueExists(HKEY_CURRENT_USER, Under("L\\x\\y\\none"));
        RegValueExists(HKEY_CURRENT_USER, "\\" + kRootValue);
        RegDeleteValuePath(HKEY_CURRENT_USER, Under("L\\x\\y\\none"));
        RegDeleteValuePath(HKEY_CURRENT_USER, Under("L\\x\\y\\v"));
        RegDeleteKeyTree(HKEY_CURRENT_USER, Under("P"), true);
        RegDeleteKeyTree(HKEY_CURRENT_USER, Under("Missing"), true);
        RegDeleteKeyTree(HKEY_CURRENT_USER, Under("L"), true);
    }
    EXPECT_EQ(HandleMark(), before);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Under("L")));
}
