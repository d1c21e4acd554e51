#include "system/folder_lists.h"

namespace {

thread_local FolderListScope* currentScope = nullptr;

}  // namespace

FolderListScope::FolderListScope() {
    if (currentScope) return;
    currentScope = this;
    owner_ = true;
}

FolderListScope::~FolderListScope() {
    if (owner_) currentScope = nullptr;
}

FolderListScope* FolderListScope::Current() { return currentScope; }
