#include "net/text_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "system/error_text.h"

std::string Trim(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
    return text.substr(first, last - first);
}

std::vector<std::wstring> SplitText(const std::wstring& text, const std::wstring& delimiter) {
    std::vector<std::wstring> pieces;
    if (delimiter.empty()) {
        if (!text.empty()) pieces.push_back(text);
        return pieces;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t at = text.find(delimiter, start);
        if (at == std::wstring::npos) {
            pieces.push_back(text.substr(start));
            break;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + delimiter.size();
    }
    return pieces;
}

namespace {
// Where each line of the text ends (before its break), up to the first zero byte.
template <typename Visit>
void VisitLines(const std::string& text, Visit&& visit) {
    const char* data = text.data();
    size_t end = text.find('\0');
    if (end == std::string::npos) end = text.size();
    size_t start = 0, i = 0;
    while (i < end) {
        char c = data[i];
        if (c == '\r' || c == '\n') {
            visit(start, i - start);
            if (c == '\r' && i + 1 < end && data[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < end) visit(start, end - start);
}

// What a line costs in the list: the string itself, and its own allocation unless it is short
// enough to be held inside the string.
size_t LineCost(size_t length) {
    constexpr size_t kHeldInside = 15, kHeapOverhead = 16;
    return sizeof(std::string) + (length > kHeldInside ? length + 1 + kHeapOverhead : 0);
}
}  // namespace

bool SplitLinesWithin(const std::string& text, size_t budget, TStringList& lines) {
    lines.clear();
    size_t count = 0, cost = 0;
    bool within = true;
    VisitLines(text, [&](size_t, size_t length) {
        if (!within) return;
        ++count;
        cost += LineCost(length);
        if (cost > budget) within = false;
    });
    if (!within) return false;
    // One allocation for the list instead of regrowing it across a large body.
    lines.reserve(count);
    VisitLines(text, [&](size_t start, size_t length) { lines.emplace_back(text, start, length); });
    return true;
}

TStringList SplitLines(const std::string& text) {
    TStringList lines;
    SplitLinesWithin(text, SIZE_MAX, lines);
    return lines;
}

std::string JoinLines(const TStringList& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

int HeaderIndex(const TStringList& headers, const std::string& name) {
    std::string key = Trim(LowerAscii(name));
    if (!key.empty() && key.back() == ':') key.pop_back();
    key += ':';
    for (size_t i = 0; i < headers.size(); ++i) {
        if (headers[i].size() >= key.size() && LowerAscii(headers[i].substr(0, key.size())) == key)
            return static_cast<int>(i);
    }
    return -1;
}

std::string HeaderValue(const TStringList& headers, const std::string& name) {
    int index = HeaderIndex(headers, name);
    if (index < 0) return {};
    const std::string& line = headers[index];
    // The blank after the colon is optional in HTTP; so are several.
    size_t start = line.find(':') + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    return line.substr(start);
}

std::wstring InternetErrorMessage(unsigned long code) {
    // Only when the library is loaded already: a message is no reason to load it.
    return SystemErrorMessage(code, GetModuleHandleW(L"wininet.dll"));
}
