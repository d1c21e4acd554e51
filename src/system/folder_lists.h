#pragma once
// The machine's folder lists, looked up once per scan.
#include <memory>

class CleaningPlaces;
class ProtectedFolders;

// While a scope lives on this thread, the folder checks (IsProtectedFolder, the cleaning options'
// places) answer from one set of lists, each made at its first use: building them walks the
// registry and opens some twenty folders. Without a scope each check makes its own. A scope inside
// another adds nothing: the outer one is the scan.
class FolderListScope {
public:
    FolderListScope();
    ~FolderListScope();
    FolderListScope(const FolderListScope&) = delete;
    FolderListScope& operator=(const FolderListScope&) = delete;

    static std::shared_ptr<const ProtectedFolders> Protected();
    static std::shared_ptr<const CleaningPlaces> Places();

private:
    bool owner_ = false;
    std::shared_ptr<const ProtectedFolders> protected_;
    std::shared_ptr<const CleaningPlaces> places_;
};
