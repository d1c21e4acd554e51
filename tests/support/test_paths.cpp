#include "support/test_paths.h"

#include <windows.h>

#include "system/folders.h"
#include "system/handles.h"
#include "system/text_codes.h"

ScratchFolder::ScratchFolder(const std::string& name) {
    path_ = GetTempFolder() + "zarvex-test-" + name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

bool WriteWideFile(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file(
        ValidOrNull(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool WideFileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WideFolderExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WideFileText(const std::wstring& path) {
    UniqueHandle file(ValidOrNull(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr)));
    if (!file) return "<missing>";
    char buffer[256];
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) return "<unreadable>";
    return std::string(buffer, read);
}

std::string WideFileBytes(const std::wstring& path, bool* present) {
    UniqueHandle file(ValidOrNull(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)));
    if (present) *present = file != nullptr;
    std::string text;
    char buffer[65536];
    DWORD read = 0;
    while (file && ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
    return text;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    return WriteWideFile(FromAnsi(path), bytes);
}

bool FileExists(const std::string& path) { return WideFileExists(FromAnsi(path)); }

bool FolderExists(const std::string& path) { return WideFolderExists(FromAnsi(path)); }

void RemoveTree(const std::string& path) {
    // Guard: only absolute paths on C: and deeper than the drive root.
    if (path.size() < 4 || !(path[0] == 'C' || path[0] == 'c') || path[1] != ':' || path[2] != '\\') return;
    WIN32_FIND_DATAA entry{};
    UniqueFind listing(ValidOrNull(FindFirstFileA((path + "\\*").c_str(), &entry)));
    if (listing) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(listing.get(), &entry));
    }
    listing.reset();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    UniqueFind find(ValidOrNull(FindFirstFileW((folder + L"\\*").c_str(), &found)));
    for (bool more = find != nullptr; more; more = FindNextFileW(find.get(), &found)) {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    }
    return names;
}
