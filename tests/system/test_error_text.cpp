// The system's words for an error code, as the removal records and the network's errors give them.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "system/error_text.h"
#include "system/handles.h"
#include "system/text_codes.h"

namespace {

bool EndsCleanly(const std::wstring& text) {
    return !text.empty() && text.back() != L'.' && text.back() > L' ';
}

TEST(ErrorText, TheSystemsMessageWithoutItsLineBreakAndFullStop) {
    for (DWORD code : {DWORD{ERROR_FILE_NOT_FOUND}, DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_SHARING_VIOLATION},
                       DWORD{ERROR_INVALID_NAME}}) {
        const std::wstring message = SystemErrorMessage(code);
        EXPECT_TRUE(EndsCleanly(message)) << code << ": " << ToUtf8(message);
        EXPECT_EQ(SystemErrorReason(code), message) << code;
    }
}

// A record always says why; the network's texts put nothing in its place.
TEST(ErrorText, ACodeWithoutATextIsNamedByItsNumberInARecordOnly) {
    const DWORD code = 0x2000FFFF;  // the customer bit: no table of the system's has it
    EXPECT_EQ(SystemErrorMessage(code), L"");
    EXPECT_EQ(SystemErrorReason(code), L"error 536936447");
}

// WinInet's errors are in its own message table, read after the system's.
TEST(ErrorText, AModulesOwnTableAfterTheSystems) {
    UniqueLibrary wininet(LoadLibraryW(L"wininet.dll"));
    ASSERT_TRUE(wininet);
    EXPECT_EQ(SystemErrorMessage(ERROR_INTERNET_INVALID_URL), L"") << "the system's own table has none of them";
    const std::wstring message = SystemErrorMessage(ERROR_INTERNET_INVALID_URL, wininet.get());
    EXPECT_TRUE(EndsCleanly(message)) << ToUtf8(message);
    EXPECT_EQ(SystemErrorMessage(ERROR_FILE_NOT_FOUND, wininet.get()), SystemErrorMessage(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(SystemErrorMessage(0x2000FFFF, wininet.get()), L"");
}

}  // namespace
