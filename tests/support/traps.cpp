#include "support/traps.h"

#include <windows.h>

#include "system/handles.h"

const std::wstring kTraps = L"C:\\zarvex-traps";

bool TrapsLaid() {
    DWORD attributes = GetFileAttributesW((kTraps + L"\\links\\dir-link").c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void RestoreBystanders() {
    CreateDirectoryW((kTraps + L"\\bystander").c_str(), nullptr);
    CreateDirectoryW((kTraps + L"\\bystander-parent").c_str(), nullptr);
    CreateDirectoryW((kTraps + L"\\bystander-parent\\product").c_str(), nullptr);
    for (const wchar_t* name : {L"\\bystander\\kept.txt", L"\\bystander\\kept.exe", L"\\bystander-file.txt",
                                L"\\bystander-file.exe", L"\\bystander-parent\\product\\kept.txt"}) {
        SetFileAttributesW((kTraps + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!WideFileExists(kTraps + name)) WriteWideFile(kTraps + name, "kept\n");
    }
}

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

ScopedVariable::ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name) {
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    hadValue_ = n > 0 && n < 32768;
    if (hadValue_) previous_.assign(buffer, n);
    SetEnvironmentVariableW(name, value);
}

ScopedVariable::~ScopedVariable() { SetEnvironmentVariableW(name_.c_str(), hadValue_ ? previous_.c_str() : nullptr); }
