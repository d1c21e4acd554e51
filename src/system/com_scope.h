#pragma once
// COM on this thread for the life of a scope, set up only when something first needs it: shell
// calls that may hand work to shell extensions expect it, and a scan that opens nothing through
// the shell need not pay for it. A scope inside another adds nothing; without a scope, Need()
// does nothing.
#include <windows.h>

class ComScope {
public:
    ComScope();
    ~ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    // Sets COM up for the current scope, once; call it before such a shell call.
    static void Need();

private:
    bool owner_ = false;
    bool tried_ = false;
    HRESULT result_ = E_FAIL;
};
