#include "net/response_decoding.h"

#include <windows.h>

namespace {
bool Continuation(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

void AppendCodePoint(std::wstring& out, unsigned long cp) {
    if (cp < 0x10000) {
        out += static_cast<wchar_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    }
}

std::string WideToCodePage(const wchar_t* text, size_t length) {
    if (length == 0) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), out.data(), size, nullptr, nullptr);
    return out;
}
}  // namespace

bool DecodeUtf8(const std::string& text, std::wstring& out) {
    out.clear();
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        unsigned char lead = bytes[i];
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        // Lead bytes as they always were read: bit 20 hex clear, two bytes; set, three bytes;
        // F0 to F7 start the four-byte sequences of characters beyond the 16-bit range.
        size_t length = (lead & 0x20) == 0 ? 2 : 3;
        if (lead >= 0xF8) return false;
        if (lead >= 0xF0) length = 4;
        if (i + length > n) return false;
        for (size_t k = 1; k < length; ++k)
            if (!Continuation(bytes[i + k])) return false;
        unsigned long cp;
        if (length == 2) {
            cp = ((lead & 0x1Ful) << 6) | (bytes[i + 1] & 0x3F);
        } else if (length == 3) {
            cp = ((lead & 0x0Ful) << 12) | ((bytes[i + 1] & 0x3Ful) << 6) | (bytes[i + 2] & 0x3F);
        } else {
            cp = ((lead & 0x07ul) << 18) | ((bytes[i + 1] & 0x3Ful) << 12) | ((bytes[i + 2] & 0x3Ful) << 6) |
                 (bytes[i + 3] & 0x3F);
            if (cp < 0x10000 || cp > 0x10FFFF) return false;
        }
        AppendCodePoint(out, cp);
        i += length;
    }
    return true;
}

TStringList ResponseText(const TStringList& headers, const std::string& bodyText) {
    const std::string headerText = JoinLines(headers);
    if (headerText.find("charset=utf-8") != std::string::npos) {
        std::wstring wide;
        if (!DecodeUtf8(bodyText, wide)) return {};
        return SplitLines(WideToCodePage(wide.data(), wide.size()));
    }
    if (headerText.find("charset=utf-16") != std::string::npos) {
        std::wstring wide;
        wide.reserve(bodyText.size() / 2 + 1);
        for (size_t i = 0; i < bodyText.size(); i += 2) {
            unsigned low = static_cast<unsigned char>(bodyText[i]);
            unsigned high = i + 1 < bodyText.size() ? static_cast<unsigned char>(bodyText[i + 1]) : 0;
            wchar_t unit = static_cast<wchar_t>(low | (high << 8));
            if (unit == 0) break;
            wide += unit;
        }
        return SplitLines(WideToCodePage(wide.data(), wide.size()));
    }
    return SplitLines(bodyText);
}
