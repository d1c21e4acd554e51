#pragma once
// The machine's folder lists, looked up once per scan.
#include <memory>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>
#include <utility>

// While a scope lives on this thread, each kind of list (the protected folders, the cleaning
// options' places) is made once, at its first use, and every check in the scope answers from it:
// building one walks the registry and opens some twenty folders. Without a scope each check makes
// its own. A scope inside another adds nothing: the outer one is the scan. The scope knows no list
// type; each list's own module says how it is made.
class FolderListScope {
public:
    FolderListScope();
    ~FolderListScope();
    FolderListScope(const FolderListScope&) = delete;
    FolderListScope& operator=(const FolderListScope&) = delete;

    // The scope's list of this type, made by `make` (returning std::shared_ptr<const List>) at its
    // first use; without a scope, made anew at each call.
    template <class List, class Make>
    static std::shared_ptr<const List> Shared(Make&& make) {
        FolderListScope* scope = Current();
        if (!scope) return make();
        const std::type_index type(typeid(List));
        if (auto held = scope->lists_.find(type); held != scope->lists_.end())
            return std::static_pointer_cast<const List>(held->second);
        // Made before it is stored: making it may ask the scope for another list.
        std::shared_ptr<const List> list = make();
        scope->lists_.emplace(type, list);
        return list;
    }

private:
    static FolderListScope* Current();

    bool owner_ = false;
    std::unordered_map<std::type_index, std::shared_ptr<const void>> lists_;
};
