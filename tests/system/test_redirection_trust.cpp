// The redirection-trust mitigation at start. Wine has no such policy, and Windows shows its effect
// only on a junction that a non-administrator made, which a test here cannot make; so the request
// is checked against a stand-in for the system call, and the real look-up must change nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/test_paths.h"
#include "system/exact_deletion.h"
#include "system/redirection_trust.h"

namespace {

struct Request {
    int calls = 0;
    int policy = -1;
    DWORD flags = 0;
    SIZE_T size = 0;
} request;

BOOL WINAPI Accept(int policy, PVOID buffer, SIZE_T size) {
    ++request.calls;
    request.policy = policy;
    request.size = size;
    if (size >= sizeof(DWORD)) request.flags = *static_cast<DWORD*>(buffer);
    return TRUE;
}

BOOL WINAPI Refuse(int, PVOID, SIZE_T) { return FALSE; }

TEST(RedirectionTrust, AsksToEnforceItAndTakesAnyAnswer) {
    request = {};
    EXPECT_TRUE(EnforceRedirectionTrust(&Accept));
    EXPECT_EQ(request.calls, 1);
    EXPECT_EQ(request.policy, 16) << "ProcessRedirectionTrustPolicy";
    EXPECT_EQ(request.size, sizeof(DWORD));
    EXPECT_EQ(request.flags, 0x1u) << "EnforceRedirectionTrust only, not the audit mode";
    EXPECT_FALSE(EnforceRedirectionTrust(&Refuse));
    EXPECT_FALSE(EnforceRedirectionTrust(nullptr));
}

TEST(RedirectionTrust, TheRealLookUpChangesNothingElse) {
    EnforceRedirectionTrust();
    ScratchFolder scratch("trust");
    const std::wstring file = std::wstring(scratch.Path().begin(), scratch.Path().end()) + L"\\plain.txt";
    ASSERT_TRUE(WriteWideFile(file, "x"));
    EXPECT_TRUE(DeleteFileExactly(RealPath(file)));
}

}  // namespace
