#include "system/files.h"

#include <windows.h>

#include "system/exception.h"
#include "system/handles.h"
#include "system/text_codes.h"

std::string ReadWholeFile(const std::string& path) {
    UniqueHandle file(ValidOrNull(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) throw Exception("Cannot open file " + path);
    std::string text;
    char buffer[64 * 1024];
    // Read to the end rather than trusting the size: another writer may change it meanwhile.
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) throw Exception("Cannot read file " + path);
        if (read == 0) return text;
        text.append(buffer, read);
    }
}

bool IsExistingFile(const std::string& path) { return IsExistingFile(FromAnsi(path)); }

bool IsExistingFile(const std::wstring& path) {
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(const std::wstring& path) {
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
