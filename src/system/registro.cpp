#include "system/registro.h"

#include <vector>

#include "system/handles.h"
#include "system/wide_paths.h"

namespace {

constexpr DWORD kNameBufferChars = 1024;
// Every key is opened as itself: a registry link as the link, never the key it points to.
constexpr DWORD kItself = REG_OPTION_OPEN_LINK;

// An opened key. An empty path may hand back the root itself, which is not ours to close.
struct OpenedKey {
    HKEY handle = nullptr;
    UniqueKey owner;
};

bool OpenKey(HKEY parent, const std::wstring& path, REGSAM access, OpenedKey& key) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), kItself, access, &raw) != ERROR_SUCCESS) return false;
    key.handle = raw;
    if (raw != parent) key.owner.reset(raw);
    return true;
}

// Splits "key\value" at its last backslash; false when there is none.
bool SplitValuePath(const std::string& valuePath, std::wstring& keyPath, std::wstring& valueName) {
    int p = LastCharPos('\\', valuePath);
    if (p == 0) return false;
    keyPath = WideFromStored(valuePath.substr(0, p - 1));
    valueName = WideFromStored(valuePath.substr(p));
    return true;
}

// Deletes the very key the handle was opened on, link or not; the by-name deletions of the
// registry API would open the name again and follow a link.
bool DeleteOpenedKey(HKEY key) {
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    static const auto deleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    return deleteKey && deleteKey(key) >= 0;
}

// The key's subkeys, each opened as itself relative to its parent's handle, deepest first, then
// the key. A link subkey has no subkeys of its own and goes as a link.
bool DeleteTree(HKEY key) {
    // On the heap: a tree of the registry's 512 levels must not take a thread's stack.
    std::vector<wchar_t> name(kNameBufferChars);
    for (;;) {
        DWORD size = kNameBufferChars;
        LONG status = RegEnumKeyExW(key, 0, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return DeleteOpenedKey(key);
        // Index 0 every time: deleting a subkey moves the next one to the front.
        if (status != ERROR_SUCCESS) return false;
        OpenedKey sub;
        if (!OpenKey(key, std::wstring(name.data(), size), KEY_ENUMERATE_SUB_KEYS | DELETE, sub) || sub.handle == key)
            return false;
        if (!DeleteTree(sub.handle)) return false;
    }
}

}  // namespace

int LastCharPos(char c, const std::string& text) {
    for (std::size_t i = text.size(); i > 0; --i) {
        if (text[i - 1] == c) return static_cast<int>(i);
    }
    return 0;
}

bool RegKeyExists(HKEY root, const std::string& keyPath) {
    OpenedKey key;
    return OpenKey(root, WideFromStored(keyPath), KEY_READ, key);
}

bool RegValueExists(HKEY root, const std::string& valuePath) {
    std::wstring keyPath, valueName;
    if (!SplitValuePath(valuePath, keyPath, valueName)) return false;
    OpenedKey key;
    if (!OpenKey(root, keyPath, KEY_READ, key)) return false;
    return RegQueryValueExW(key.handle, valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegDeleteValuePath(HKEY root, const std::string& valuePath) {
    std::wstring keyPath, valueName;
    if (!SplitValuePath(valuePath, keyPath, valueName)) return false;
    OpenedKey key;
    if (!OpenKey(root, keyPath, KEY_WRITE, key)) return false;
    return RegDeleteValueW(key.handle, valueName.c_str()) == ERROR_SUCCESS;
}

bool RegDeleteKeyTree(HKEY root, const std::string& keyPath, bool recursive) {
    // A key straight under a root (Software, say) is never ours to delete.
    if (keyPath.find('\\') == std::string::npos) return false;
    OpenedKey key;
    if (!OpenKey(root, WideFromStored(keyPath), KEY_ENUMERATE_SUB_KEYS | DELETE, key) || key.handle == root)
        return false;
    // The platform refuses to delete a key that still has subkeys.
    return recursive ? DeleteTree(key.handle) : DeleteOpenedKey(key.handle);
}
