// Registry links beside real keys: a link under a product's key, a product key that is itself a
// link, and subkey names that a code page cannot hold. The link's target must survive, and the
// product's own keys must still go.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/test_registry.h"
#include "system/handles.h"
#include "system/registro.h"
#include "system/text_codes.h"

namespace {

const char kProduct[] = "Software\\ZarvexTest\\Links\\Product";
const char kBystander[] = "Software\\ZarvexTest\\Bystander";
const wchar_t kBystanderTarget[] = L"\\Registry\\Machine\\Software\\ZarvexTest\\Bystander";

// A link key at root\path (path in plain ASCII) pointing at the full registry name target.
bool CreateLinkKey(HKEY root, const std::wstring& path, const std::wstring& target) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey key(raw);
    return RegSetValueExW(key.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.data()),
                          static_cast<DWORD>(target.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

class RegistryLinks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, std::string(kBystander) + "\\Inner"));
        ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kBystander, "value", "kept"));
        ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, std::string(kProduct) + "\\Real\\Deeper"));
        ASSERT_TRUE(CreateLinkKey(HKEY_CURRENT_USER, FromAnsi(kProduct) + L"\\Link", kBystanderTarget));
        ASSERT_TRUE(CreateLinkKey(HKEY_CURRENT_USER, FromAnsi(kProduct) + L"\\Real\\Link", kBystanderTarget));
        // Seen through the link, the bystander is there: the trap is armed.
        ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kProduct) + "\\Link\\Inner"));
    }
    void TearDown() override {
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kBystander) + "\\Inner"));
        EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kBystander, "value"));
        RegDeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest\\Links", true);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\ZarvexTest");
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ZarvexTest");
    }
};

TEST_F(RegistryLinks, AProductKeyGoesWithItsLinksButNotTheirTargets) {
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kProduct));
    EXPECT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, kProduct, true));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kProduct));
}

TEST_F(RegistryLinks, ANamedKeyThatIsALinkGoesAsTheLink) {
    const std::string link = std::string(kProduct) + "\\Link";
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, link));
    EXPECT_FALSE(RegDeleteKeyTree(HKEY_CURRENT_USER, kProduct, false));  // still has subkeys
    EXPECT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, link, true));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, link));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kProduct));
}

// The value checks act on the key named: a link holds no values of its target's.
TEST_F(RegistryLinks, ValuesAreNeverReachedThroughALink) {
    const std::string value = std::string(kProduct) + "\\Link\\value";
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, value));
    EXPECT_FALSE(RegDeleteValuePath(HKEY_CURRENT_USER, value));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, std::string(kProduct) + "\\Link\\Missing"));
}

// A link on the way to a key or a value: opened whole, the path would follow it into the target.
// Each deletion refuses and says why, the target keeps its key and value, and the deletion named
// up to the link itself still takes the link as a link.
TEST_F(RegistryLinks, ALinkOnTheWayRefusesTheDeletion) {
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, std::string(kBystander) + "\\Inner", "inner", "kept"));
    const std::string throughLink = std::string(kProduct) + "\\Link\\Inner";
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, throughLink));
    for (bool recursive : {true, false}) {
        const RegistryDeletion key = DeleteRegistryKey(HKEY_CURRENT_USER, throughLink, recursive);
        EXPECT_FALSE(key.deleted);
        EXPECT_EQ(key.refusal, kRefusedKeyLinkInPath);
    }
    const RegistryDeletion value = DeleteRegistryValue(HKEY_CURRENT_USER, throughLink + "\\inner");
    EXPECT_FALSE(value.deleted);
    EXPECT_EQ(value.refusal, kRefusedKeyLinkInPath);
    EXPECT_FALSE(RegDeleteKeyTree(HKEY_CURRENT_USER, std::string(kProduct) + "\\Real\\Link\\Inner", true));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, std::string(kBystander) + "\\Inner", "inner"));

    const RegistryDeletion real = DeleteRegistryKey(HKEY_CURRENT_USER, std::string(kProduct) + "\\Real\\Deeper", true);
    EXPECT_TRUE(real.deleted);
    EXPECT_EQ(real.refusal, "");
    EXPECT_EQ(DeleteRegistryKey(HKEY_CURRENT_USER, std::string(kProduct) + "\\Missing\\Key", true).refusal, "");
    EXPECT_TRUE(DeleteRegistryKey(HKEY_CURRENT_USER, std::string(kProduct) + "\\Link", true).deleted);
}

// Subkeys whose names the code page cannot hold are enumerated and deleted by their own names.
TEST_F(RegistryLinks, SubkeysWithWideNamesGoToo) {
    for (const wchar_t* name : {L"\x4E2D\x6587", L"\xFF0E\xFF0E\xFF3C" L"Bystander"}) {
        HKEY raw = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (FromAnsi(kProduct) + L"\\Real\\" + name).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &raw, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(raw);
    }
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, "Software\\ZarvexTest\\Links\\Bystander"));
    EXPECT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, kProduct, true));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProduct));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\ZarvexTest\\Links\\Bystander"));
}

}  // namespace
