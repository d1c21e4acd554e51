#include "support/traps.h"

#include <windows.h>


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

ScopedVariable::ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name) {
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    hadValue_ = n > 0 && n < 32768;
    if (hadValue_) previous_.assign(buffer, n);
    SetEnvironmentVariableW(name, value);
}

ScopedVariable::~ScopedVariable() { SetEnvironmentVariableW(name_.c_str(), hadValue_ ? previous_.c_str() : nullptr); }
