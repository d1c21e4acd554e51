// The one rule for splitting a path into its folder part and its last part.
#include <gtest/gtest.h>

#include <string>

#include "system/wide_paths.h"

namespace {

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(SplittingRule, LastPartAfterTheLastBackslashOrSlash) {
    struct Case {
        const char* name;
        std::wstring path, last, upTo, before;
    } cases[] = {
        {"a file", L"C:\\A\\x.exe", L"x.exe", L"C:\\A\\", L"C:\\A"},
        {"a drive root", L"C:\\", L"", L"C:\\", L"C:"},
        {"in a drive root", L"C:\\x", L"x", L"C:\\", L"C:"},
        {"a trailing separator", L"C:\\A\\", L"", L"C:\\A\\", L"C:\\A"},
        {"two trailing separators", L"C:\\A\\\\", L"", L"C:\\A\\\\", L"C:\\A\\"},
        {"no separator", L"x.exe", L"x.exe", L"", L""},
        {"empty", L"", L"", L"", L""},
        {"forward slashes", L"C:/A/x", L"x", L"C:/A/", L"C:/A"},
        {"both kinds", L"C:\\A/B\\x", L"x", L"C:\\A/B\\", L"C:\\A/B"},
        {"a UNC share", L"\\\\server\\share\\x", L"x", L"\\\\server\\share\\", L"\\\\server\\share"},
        {"a UNC share alone", L"\\\\server\\share", L"share", L"\\\\server\\", L"\\\\server"},
        {"a relative part", L"\\Product\\x", L"x", L"\\Product\\", L"\\Product"},
        {"a colon is no separator", L"C:x.exe", L"C:x.exe", L"", L""},
        {"nor is it in a stream", L"C:\\A\\f.txt:s.exe", L"f.txt:s.exe", L"C:\\A\\", L"C:\\A"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LastPathPart(c.path), c.last) << c.name;
        EXPECT_EQ(PathUpToLastPart(c.path), c.upTo) << c.name;
        EXPECT_EQ(PathBeforeLastPart(c.path), c.before) << c.name;
        EXPECT_EQ(PathUpToLastPart(c.path) + LastPathPart(c.path), c.path) << c.name;
        // The 8-bit forms, for the process list and the program's folder, split alike.
        EXPECT_EQ(LastPathPart(Ascii(c.path)), Ascii(c.last)) << c.name;
        EXPECT_EQ(PathUpToLastPart(Ascii(c.path)), Ascii(c.upTo)) << c.name;
    }
}

}  // namespace
