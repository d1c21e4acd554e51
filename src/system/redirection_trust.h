#pragma once
// Links that the program's file opens may follow.
#include <windows.h>

// The system's SetProcessMitigationPolicy, or a stand-in for it. The policy is a
// PROCESS_MITIGATION_POLICY, passed as the int it is: headers for Windows 7 targets lack the type.
using SetMitigationPolicyFn = BOOL(WINAPI*)(int policy, PVOID buffer, SIZE_T size);

// From here on, the program's file opens no longer follow junctions and links that a
// non-administrator made (the redirection-trust policy, Windows 10 2004 and later). A second line
// only: every deletion checks what it opened itself. False where the system has no such policy
// (older Windows, Wine), which changes nothing else. Tests hand in a stand-in for the look-up.
bool EnforceRedirectionTrust();
bool EnforceRedirectionTrust(SetMitigationPolicyFn setPolicy);
