#include "system/redirection_trust.h"

namespace {

// ProcessRedirectionTrustPolicy and the EnforceRedirectionTrust bit of
// PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY: older SDK headers name neither.
constexpr int kProcessRedirectionTrustPolicy = 16;
constexpr DWORD kEnforceRedirectionTrust = 0x1;

}  // namespace

bool EnforceRedirectionTrust(SetMitigationPolicyFn setPolicy) {
    if (!setPolicy) return false;
    DWORD flags = kEnforceRedirectionTrust;
    return setPolicy(kProcessRedirectionTrustPolicy, &flags, sizeof(flags)) != FALSE;
}

bool EnforceRedirectionTrust() {
    // Looked up at run time: Windows 7 has no such call, and older systems refuse the policy.
    const auto setPolicy = reinterpret_cast<SetMitigationPolicyFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetProcessMitigationPolicy")));
    return EnforceRedirectionTrust(setPolicy);
}
