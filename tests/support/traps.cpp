#include "support/traps.h"

#include <shlobj.h>

#include "system/folders.h"

const std::wstring kTraps = L"C:\\zarvex-traps";
const char kTrapsNotLaid[] = "traps not laid: run tests/traps/make_traps.sh for this build";

namespace {

const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Relative to kTraps, each laid as "kept\n".
const wchar_t* const kBystanders[] = {
    L"\\bystander\\kept.txt", L"\\bystander\\kept.exe", L"\\bystander-file.txt", L"\\bystander-file.exe",
    L"\\bystander-parent\\product\\kept.txt", L"\\data-elsewhere\\Logs\\kept.txt",
};

bool IsLink(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::wstring DocumentsLinkInProfile() {
    return GetSpecialFolderW(CSIDL_PROFILE) + L"\\AppData\\Local\\zarvex-documents-link";
}

std::wstring FileLinksInProfile() {
    return GetSpecialFolderW(CSIDL_PROFILE) + L"\\AppData\\Local\\Temp\\zarvex-links";
}

bool TrapsLaid() {
    for (const wchar_t* link : {L"\\links\\dir-link", L"\\links\\parent-link", L"\\links\\empty-link",
                                L"\\windows-link-holder\\windows-link", L"\\swapped\\Antispyware PRO XP\\Data"}) {
        if (!IsLink(kTraps + link)) return false;
    }
    const std::wstring programFiles = GetSpecialFolderW(CSIDL_PROGRAM_FILES);
    return IsLink(DocumentsLinkInProfile()) && WideFolderExists(kTraps + L"\\data-elsewhere\\Logs") &&
           WideFileExists(FileLinksInProfile() + L"\\file-link.txt") &&
           IsLink(programFiles + L"\\zarvex-linked-product") &&
           WideFolderExists(programFiles + L"\\zarvex-file-link-product");
}

std::vector<std::wstring> BystanderFiles() {
    std::vector<std::wstring> files;
    for (const wchar_t* name : kBystanders) files.push_back(kTraps + name);
    return files;
}

void RestoreBystanders() {
    for (const wchar_t* folder : {L"\\bystander", L"\\bystander-parent", L"\\bystander-parent\\product",
                                  L"\\data-elsewhere", L"\\data-elsewhere\\Logs"}) {
        CreateDirectoryW((kTraps + folder).c_str(), nullptr);
    }
    for (const std::wstring& file : BystanderFiles()) {
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!WideFileExists(file)) WriteWideFile(file, "kept\n");
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

ScopedShellFolder::ScopedShellFolder(const wchar_t* name, const std::wstring& path) : name_(name) {
    HKEY raw = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr);
    key_.reset(raw);
    wchar_t buffer[MAX_PATH] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    had_ = RegQueryValueExW(raw, name, nullptr, &type_, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
    previous_ = buffer;
    RegSetValueExW(raw, name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

ScopedShellFolder::~ScopedShellFolder() {
    if (had_) {
        RegSetValueExW(key_.get(), name_, 0, type_, reinterpret_cast<const BYTE*>(previous_.c_str()),
                       static_cast<DWORD>((previous_.size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(key_.get(), name_);
    }
}
