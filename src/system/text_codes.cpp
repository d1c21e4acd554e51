#include "system/text_codes.h"

#include <windows.h>

#include <utility>

namespace {

std::string FromWide(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring ToWide(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return {};
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), size);
    return out;
}

template <class Text>
Text Folded(Text text, typename Text::value_type from, typename Text::value_type to) {
    for (auto& c : text) {
        if (c >= from && c <= from + 25) c = static_cast<typename Text::value_type>(c - from + to);
    }
    return text;
}

}  // namespace

std::string ToAnsi(const std::wstring& text) { return FromWide(text, CP_ACP); }
std::wstring FromAnsi(const std::string& text) { return ToWide(text, CP_ACP); }
std::string ToUtf8(const std::wstring& text) { return FromWide(text, CP_UTF8); }
std::wstring FromUtf8(const std::string& text) { return ToWide(text, CP_UTF8); }

std::string LowerAscii(std::string text) { return Folded(std::move(text), 'A', 'a'); }
std::wstring LowerAscii(std::wstring text) { return Folded(std::move(text), L'A', L'a'); }
std::string UpperAscii(std::string text) { return Folded(std::move(text), 'a', 'A'); }
std::wstring UpperAscii(std::wstring text) { return Folded(std::move(text), L'a', L'A'); }
