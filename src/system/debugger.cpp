#include "system/debugger.h"

#include <windows.h>

bool DebuggerAttached() {
    if (IsDebuggerPresent()) return true;
    BOOL remote = FALSE;
    return CheckRemoteDebuggerPresent(GetCurrentProcess(), &remote) && remote;
}
