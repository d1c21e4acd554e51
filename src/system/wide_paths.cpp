#include "system/wide_paths.h"

#include <windows.h>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

bool IsAbsoluteFolder(const std::wstring& folder) {
    if (folder.size() >= 3 && IsDriveLetter(folder[0]) && folder[1] == L':' && IsSeparator(folder[2])) return true;
    return folder.size() >= 3 && folder[0] == L'\\' && folder[1] == L'\\' && !IsSeparator(folder[2]) &&
           folder[2] != L'?' && folder[2] != L'.';
}

std::wstring WithoutTrailingSeparators(const std::wstring& folder) {
    std::size_t end = folder.size();
    while (end > 0 && IsSeparator(folder[end - 1])) --end;
    // "C:" alone would mean the current folder of drive C.
    if (end == 2 && folder.size() > 2 && folder[1] == L':') return folder.substr(0, 3);
    return folder.substr(0, end);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& rest) {
    std::size_t start = 0;
    while (start < rest.size() && IsSeparator(rest[start])) ++start;
    if (!IsAbsoluteFolder(folder) || start == rest.size()) return {};
    std::size_t end = folder.size();
    while (end > 0 && IsSeparator(folder[end - 1])) --end;
    return folder.substr(0, end) + L"\\" + rest.substr(start);
}

bool SamePathText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsInsideFolder(const std::wstring& path, const std::wstring& folder) {
    const std::wstring prefix = WithoutTrailingSeparators(folder);
    if (prefix.empty()) return false;
    const std::wstring within = prefix.back() == L'\\' ? prefix : prefix + L"\\";
    const std::wstring candidate = WithoutTrailingSeparators(path);
    return candidate.size() > within.size() && SamePathText(candidate.substr(0, within.size()), within);
}
