#include "support/test_registry.h"

#include "system/handles.h"

bool CreateKey(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool SetStringValue(HKEY root, const std::string& path, const std::string& name, const std::string& data) {
    HKEY raw = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey key(raw);
    return RegSetValueExA(key.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1)) ==
           ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    RegCloseKey(raw);
    return true;
}

bool ValueExists(HKEY root, const std::string& path, const std::string& name) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    UniqueKey key(raw);
    return RegQueryValueExA(key.get(), name.empty() ? nullptr : name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

void DeleteKeyTree(HKEY root, const std::string& path) {
    if (path.find('\\') == std::string::npos) return;
    HKEY raw = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &raw) != ERROR_SUCCESS) return;
    UniqueKey key(raw);
    char name[1024];
    for (;;) {
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(key.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        std::string child = path + "\\" + std::string(name, size);
        DeleteKeyTree(root, child);
        if (KeyExists(root, child)) break;  // a subkey that resists would be listed first forever
    }
    key.reset();
    RegDeleteKeyA(root, path.c_str());
}

bool CreateMachineLinkKey(HKEY root, const std::string& path, const std::string& machinePath) {
    const std::string parent = path.substr(0, path.find_last_of('\\'));
    if (parent != path && !CreateKey(root, parent)) return false;
    HKEY raw = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey key(raw);
    const std::string target = "\\Registry\\Machine\\" + machinePath;
    const std::wstring wide(target.begin(), target.end());
    return RegSetValueExW(key.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(wide.data()),
                          static_cast<DWORD>(wide.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}
