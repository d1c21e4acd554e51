#include "system/wide_paths.h"

#include <windows.h>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Where the last part begins: just after the last separator, or 0.
template <class Text>
std::size_t LastPartStart(const Text& path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (path[i - 1] == '\\' || path[i - 1] == '/') return i;
    }
    return 0;
}

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

std::wstring LastPathPart(const std::wstring& path) { return path.substr(LastPartStart(path)); }
std::string LastPathPart(const std::string& path) { return path.substr(LastPartStart(path)); }
std::wstring PathUpToLastPart(const std::wstring& path) { return path.substr(0, LastPartStart(path)); }
std::string PathUpToLastPart(const std::string& path) { return path.substr(0, LastPartStart(path)); }

std::wstring PathBeforeLastPart(const std::wstring& path) {
    const std::size_t start = LastPartStart(path);
    return start == 0 ? std::wstring() : path.substr(0, start - 1);
}
