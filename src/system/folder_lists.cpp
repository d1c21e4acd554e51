#include "system/folder_lists.h"

#include "system/cleaning_places.h"
#include "system/protected_folders.h"

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

std::shared_ptr<const ProtectedFolders> FolderListScope::Protected() {
    if (!currentScope) return std::make_shared<const ProtectedFolders>();
    if (!currentScope->protected_) currentScope->protected_ = std::make_shared<const ProtectedFolders>();
    return currentScope->protected_;
}

std::shared_ptr<const CleaningPlaces> FolderListScope::Places() {
    if (!currentScope) return std::make_shared<const CleaningPlaces>(Protected());
    if (!currentScope->places_) currentScope->places_ = std::make_shared<const CleaningPlaces>(Protected());
    return currentScope->places_;
}
