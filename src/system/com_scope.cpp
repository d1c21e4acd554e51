#include "system/com_scope.h"

#include <objbase.h>

namespace {

thread_local ComScope* currentScope = nullptr;

}  // namespace

ComScope::ComScope() {
    if (currentScope) return;
    currentScope = this;
    owner_ = true;
}

ComScope::~ComScope() {
    if (!owner_) return;
    currentScope = nullptr;
    if (SUCCEEDED(result_)) CoUninitialize();
}

void ComScope::Need() {
    ComScope* scope = currentScope;
    if (!scope || scope->tried_) return;
    scope->tried_ = true;
    scope->result_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}
