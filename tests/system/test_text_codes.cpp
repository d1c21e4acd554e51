// The one set of code-page conversions: whole texts, embedded NULs and all, with the system's
// default handling of what does not convert.
#include <gtest/gtest.h>

#include <string>

#include "system/text_codes.h"

namespace {

using namespace std::string_literals;

TEST(TextCodes, Utf8BothWaysKeepsTheWholeText) {
    struct Case {
        const char* name;
        std::wstring wide;
        std::string utf8;
    } cases[] = {
        {"empty", L"", ""},
        {"plain", L"Zarvex", "Zarvex"},
        {"embedded NUL", L"a\0b"s, "a\0b"s},
        {"two bytes", L"caf\u00e9", "caf\xC3\xA9"},
        {"three bytes", L"\u20ac", "\xE2\x82\xAC"},
        {"a surrogate pair", L"a\U0001F600z", "a\xF0\x9F\x98\x80z"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToUtf8(c.wide), c.utf8) << c.name;
        EXPECT_EQ(FromUtf8(c.utf8), c.wide) << c.name;
    }
}

// No flag refuses a bad byte: it becomes the replacement character instead of emptying the text.
TEST(TextCodes, ABadUtf8ByteIsReplacedNotFatal) {
    EXPECT_EQ(FromUtf8("a\xFF" "b"), L"a\uFFFDb");
}

TEST(TextCodes, AnsiBothWaysKeepsTheWholeText) {
    for (const std::string& text : {""s, "C:\\Program Files\\x.exe"s, "a\0b"s}) {
        EXPECT_EQ(ToAnsi(FromAnsi(text)), text);
        EXPECT_EQ(FromAnsi(text).size(), text.size());
    }
}

}  // namespace
