#include "system/registro.h"

#include <vector>

#include "system/handles.h"
#include "system/wide_paths.h"

const char kRefusedKeyLinkInPath[] = "a registry link stands in its path";

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

// A key opened itself is a link when it holds its target as a REG_LINK value.
bool IsLinkKey(HKEY key) {
    DWORD type = REG_NONE;
    return RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
           type == REG_LINK;
}

// Opening a whole path as itself opens only its last part as itself: the system follows a link
// before it. So the path is opened a part at a time, each relative to the one before (WOW64
// redirects such an open as it does the whole path), and a part before the last that is a link
// refuses the open. An empty path is the root itself.
bool OpenKeyByParts(HKEY root, const std::wstring& path, REGSAM access, OpenedKey& key, std::string& refusal) {
    if (path.empty()) return OpenKey(root, path, access, key);
    OpenedKey current;
    HKEY parent = root;
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find(L'\\', start);
        const std::wstring part = path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        const bool last = end == std::wstring::npos;
        OpenedKey next;
        if (part.empty() || !OpenKey(parent, part, last ? access : KEY_READ, next) || next.handle == parent)
            return false;
        if (!last && IsLinkKey(next.handle)) {
            refusal = kRefusedKeyLinkInPath;
            return false;
        }
        current = std::move(next);
        parent = current.handle;
        if (last) break;
        start = end + 1;
    }
    key = std::move(current);
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

RegistryDeletion DeleteRegistryValue(HKEY root, const std::string& valuePath) {
    std::wstring keyPath, valueName;
    if (!SplitValuePath(valuePath, keyPath, valueName)) return {};
    OpenedKey key;
    std::string refusal;
    if (!OpenKeyByParts(root, keyPath, KEY_SET_VALUE, key, refusal)) return {false, refusal};
    return {RegDeleteValueW(key.handle, valueName.c_str()) == ERROR_SUCCESS, {}};
}

RegistryDeletion DeleteRegistryKey(HKEY root, const std::string& keyPath, bool recursive) {
    // A key straight under a root (Software, say) is never ours to delete.
    if (keyPath.find('\\') == std::string::npos) return {};
    OpenedKey key;
    std::string refusal;
    if (!OpenKeyByParts(root, WideFromStored(keyPath), KEY_ENUMERATE_SUB_KEYS | DELETE, key, refusal))
        return {false, refusal};
    // The platform refuses to delete a key that still has subkeys.
    return {recursive ? DeleteTree(key.handle) : DeleteOpenedKey(key.handle), {}};
}

bool RegDeleteValuePath(HKEY root, const std::string& valuePath) {
    return DeleteRegistryValue(root, valuePath).deleted;
}

bool RegDeleteKeyTree(HKEY root, const std::string& keyPath, bool recursive) {
    return DeleteRegistryKey(root, keyPath, recursive).deleted;
}
