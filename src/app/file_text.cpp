#include "app/file_text.h"

#include <windows.h>

#include "system/exception.h"
#include "system/handles.h"

std::string ReadWholeFile(const std::string& path) {
    UniqueHandle file(ValidOrNull(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) throw Exception("Cannot open file " + path);
    std::string text;
    char buffer[64 * 1024];
    DWORD read = 0;
    // Read to the end rather than trusting the size: another writer may change it meanwhile.
    while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
    return text;
}

bool IsExistingFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
