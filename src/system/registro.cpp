#include "system/registro.h"

#include "system/handles.h"

namespace {

constexpr REGSAM kRead = 0x20019;          // KEY_READ
constexpr REGSAM kWrite = 0x20006;         // KEY_WRITE
constexpr REGSAM kWriteAndList = 0x2000E;  // KEY_WRITE | KEY_ENUMERATE_SUB_KEYS
constexpr DWORD kNameBufferChars = 1024;

// An opened key. An empty path may hand back the root itself, which is not ours to close.
struct OpenedKey {
    HKEY handle = nullptr;
    UniqueKey owner;
};

bool OpenKey(HKEY root, const std::string& path, REGSAM access, OpenedKey& key) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, access, &raw) != ERROR_SUCCESS) return false;
    key.handle = raw;
    if (raw != root) key.owner.reset(raw);
    return true;
}

// Splits "key\value" at its last backslash; false when there is none.
bool SplitValuePath(const std::string& valuePath, std::string& keyPath, std::string& valueName) {
    int p = LastCharPos('\\', valuePath);
    if (p == 0) return false;
    keyPath = valuePath.substr(0, p - 1);
    valueName = valuePath.substr(p);
    return true;
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
    return OpenKey(root, keyPath, kRead, key);
}

bool RegValueExists(HKEY root, const std::string& valuePath) {
    std::string keyPath, valueName;
    if (!SplitValuePath(valuePath, keyPath, valueName)) return false;
    OpenedKey key;
    if (!OpenKey(root, keyPath, kRead, key)) return false;
    return RegQueryValueExA(key.handle, valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegDeleteValuePath(HKEY root, const std::string& valuePath) {
    std::string keyPath, valueName;
    if (!SplitValuePath(valuePath, keyPath, valueName)) return false;
    OpenedKey key;
    if (!OpenKey(root, keyPath, kWrite, key)) return false;
    return RegDeleteValueA(key.handle, valueName.c_str()) == ERROR_SUCCESS;
}

bool RegDeleteKeyTree(HKEY root, const std::string& keyPath, bool recursive) {
    // A key straight under a root (Software, say) is never ours to delete.
    if (keyPath.find('\\') == std::string::npos) return false;
    if (!recursive) return RegDeleteKeyA(root, keyPath.c_str()) == ERROR_SUCCESS;

    OpenedKey key;
    if (!OpenKey(root, keyPath, kWriteAndList, key)) return false;
    char name[kNameBufferChars];
    for (;;) {
        DWORD size = kNameBufferChars;
        LONG status = RegEnumKeyExA(key.handle, 0, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            key.owner.reset();
            return RegDeleteKeyA(root, keyPath.c_str()) == ERROR_SUCCESS;
        }
        // Index 0 every time: deleting a subkey moves the next one to the front.
        if (status != ERROR_SUCCESS) return false;
        if (!RegDeleteKeyTree(root, keyPath + "\\" + std::string(name, size), true)) return false;
    }
}
