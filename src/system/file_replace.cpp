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

}  // namespace

DWORD ReplaceFileContents(const std::wstring& target, const std::string& bytes, FileWriteStep write) {
    const std::wstring full = FullPath(target);
    if (PathUpToLastPart(full).empty() || LastPathPart(full).empty()) return ERROR_INVALID_NAME;
    UniqueHandle file;
    std::wstring temporary;
    // A name of its own for each writer and attempt; CREATE_NEW never opens someone else's file.
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        temporary = full + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L".tmp";
        file.reset(ValidOrNull(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
        if (!file && GetLastError() != ERROR_FILE_EXISTS) return LastErrorOr(ERROR_CANNOT_MAKE);
    }
    if (!file) return ERROR_FILE_EXISTS;
    DWORD error = WriteAll(file.get(), bytes, write);
    file.reset();
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(temporary.c_str(), full.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = LastErrorOr(ERROR_WRITE_FAULT);
    if (error != ERROR_SUCCESS) DeleteFileW(temporary.c_str());
    return error;
}
