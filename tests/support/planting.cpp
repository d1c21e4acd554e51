#include "support/planting.h"

#include <algorithm>

#include "support/test_paths.h"
#include "support/test_registry.h"

namespace {

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

bool IsOurDrivePath(const std::string& path) {
    return path.size() > 3 && (path[0] == 'C' || path[0] == 'c') && path[1] == ':' && path[2] == '\\';
}

}  // namespace

std::pair<std::string, std::string> SplitValuePath(const std::string& valuePath) {
    std::size_t at = valuePath.rfind('\\');
    if (at == std::string::npos) return {"", valuePath};
    return {valuePath.substr(0, at), valuePath.substr(at + 1)};
}

std::string ParentPath(const std::string& path) {
    std::string trimmed = WithoutTrailingSeparator(path);
    std::size_t at = trimmed.rfind('\\');
    return at == std::string::npos ? std::string() : trimmed.substr(0, at);
}

Planting::~Planting() {
    processes_.clear();
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
        SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(it->c_str());
    }
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveTree(*it);
    for (const auto& [root, valuePath] : values_) {
        auto [key, name] = SplitValuePath(valuePath);
        HKEY raw = nullptr;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &raw) == ERROR_SUCCESS) {
            RegDeleteValueA(raw, name.c_str());
            RegCloseKey(raw);
        }
    }
    for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) DeleteKeyTree(it->first, it->second);
}

void Planting::NoteCreatedFolders(const std::string& path) {
    std::string full = WithoutTrailingSeparator(path);
    if (!IsOurDrivePath(full)) return;
    for (std::size_t i = 3; i <= full.size(); ++i) {
        if (i != full.size() && full[i] != '\\') continue;
        std::string part = full.substr(0, i);
        if (FolderExists(part)) continue;
        if (std::find(folders_.begin(), folders_.end(), part) == folders_.end()) folders_.push_back(part);
        break;
    }
    for (std::size_t i = 3; i <= full.size(); ++i) {
        if (i == full.size() || full[i] == '\\') CreateDirectoryA(full.substr(0, i).c_str(), nullptr);
    }
}

void Planting::NoteCreatedKeys(HKEY root, const std::string& path) {
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i != path.size() && path[i] != '\\') continue;
        std::string part = path.substr(0, i);
        if (KeyExists(root, part)) continue;
        keys_.emplace_back(root, part);
        break;
    }
    CreateKey(root, path);
}

void Planting::Folder(const std::string& path) {
    BareFolder(path);
    std::string full = WithoutTrailingSeparator(path);
    WriteFileBytes(full + "\\readme.txt", "planted");
    WriteFileBytes(full + "\\data.bin", std::string(64, '\x5A'));
}

void Planting::BareFolder(const std::string& path) { NoteCreatedFolders(path); }

void Planting::File(const std::string& path, DWORD attributes) {
    NoteCreatedFolders(ParentPath(path));
    if (!IsOurDrivePath(path)) return;
    files_.push_back(path);
    WriteFileBytes(path, "planted");
    SetFileAttributesA(path.c_str(), attributes);
}

const WaiterProcess& Planting::Process(const std::string& folder, const std::string& exeName) {
    NoteCreatedFolders(folder);
    processes_.push_back(std::make_unique<WaiterProcess>(WithoutTrailingSeparator(folder), exeName));
    return *processes_.back();
}

void Planting::Key(HKEY root, const std::string& path) {
    NoteCreatedKeys(root, path + "\\Settings");
    SetStringValue(root, path, "Version", "1.0");
}

void Planting::Value(HKEY root, const std::string& valuePath, const std::string& data) {
    auto [key, name] = SplitValuePath(valuePath);
    bool keyExisted = KeyExists(root, key);
    NoteCreatedKeys(root, key);
    if (keyExisted) values_.emplace_back(root, valuePath);
    SetStringValue(root, key, name, data);
}
