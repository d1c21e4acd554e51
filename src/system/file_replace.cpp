#include "system/file_replace.h"

#include <algorithm>
#include <vector>

#include "system/handles.h"
#include "system/wide_paths.h"

namespace {

// The full path, so that the temporary file lands in the target's own folder.
std::wstring FullPath(const std::wstring& path) {
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return std::wstring();
    std::vector<wchar_t> buffer(size + 1);
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) return std::wstring();
    return std::wstring(buffer.data(), length);
}

// A call that failed without saying why has still failed.
DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

DWORD WriteAll(HANDLE file, const std::string& bytes, FileWriteStep write) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!write(file, bytes.data() + done, piece, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    return FlushFileBuffers(file) ? ERROR_SUCCESS : LastErrorOr(ERROR_WRITE_FAULT);
}

// The long form ("\\?\C:\..." or "\\?\UNC\server\share\..."), so that a target near MAX_PATH can
// still have its temporary name beside it.
std::wstring LongForm(const std::wstring& full) {
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// Deletes the file through the handle it was written through: never another file by its name,
// and not stopped by a read-only flag that came meanwhile.
void DeleteThroughHandle(HANDLE file) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic));
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition));
}

}  // namespace

DWORD ReplaceFileContents(const std::wstring& target, const std::string& bytes, FileWriteStep write) {
    const std::wstring given = FullPath(target);
    if (PathUpToLastPart(given).empty() || LastPathPart(given).empty()) return ERROR_INVALID_NAME;
    const std::wstring full = LongForm(given);
    UniqueHandle file;
    std::wstring temporary;
    // A name of its own for each writer and attempt; CREATE_NEW never opens someone else's file.
    // The file stays open until it is renamed or deleted: others may only rename or delete it.
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        temporary = full + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L".tmp";
        file.reset(ValidOrNull(CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
        if (!file && GetLastError() != ERROR_FILE_EXISTS) return LastErrorOr(ERROR_CANNOT_MAKE);
    }
    if (!file) return ERROR_FILE_EXISTS;
    DWORD error = WriteAll(file.get(), bytes, write);
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(temporary.c_str(), full.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = LastErrorOr(ERROR_WRITE_FAULT);
    if (error != ERROR_SUCCESS) DeleteThroughHandle(file.get());
    return error;
}
