#include "net/response_decoding.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

namespace {
bool Continuation(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

// Wide text is turned into code-page text in slices of this many units, so the text rule never
// holds a wide copy of the whole body.
constexpr size_t kWideSlice = 64 * 1024;

class CodePageWriter {
public:
    explicit CodePageWriter(std::string& out) : out_(out) {}
    void Add(wchar_t unit) {
        wide_ += unit;
        // A slice never ends between the two halves of a surrogate pair.
        if (wide_.size() >= kWideSlice && !(unit >= 0xD800 && unit <= 0xDBFF)) Flush();
    }
    // Straight onto the end of the text, with no slice-sized copy in between.
    void Flush() {
        const int length = static_cast<int>(wide_.size());
        const int size = length ? WideCharToMultiByte(CP_ACP, 0, wide_.data(), length, nullptr, 0, nullptr, nullptr) : 0;
        if (size > 0) {
            const size_t old = out_.size();
            out_.resize(old + static_cast<size_t>(size));
            WideCharToMultiByte(CP_ACP, 0, wide_.data(), length, out_.data() + old, size, nullptr, nullptr);
        }
        wide_.clear();
    }

private:
    std::string& out_;
    std::wstring wide_;
};

// Lead bytes as they always were read: bit 20 hex clear, two bytes; set, three bytes; F0 to F7
// start the four-byte sequences of characters beyond the 16-bit range. False on any malformed
// or cut-off sequence.
template <typename Sink>
bool ReadUtf8(const std::string& text, Sink&& add) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        unsigned char lead = bytes[i];
        if (lead < 0x80) {
            add(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
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
        if (cp < 0x10000) {
            add(static_cast<wchar_t>(cp));
        } else {
            cp -= 0x10000;
            add(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            add(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
        }
        i += length;
    }
    return true;
}
}  // namespace

bool ResponseText(const TStringList& headers, const std::string& bodyText, size_t limit, TStringList& lines) {
    lines.clear();
    const std::string headerText = JoinLines(headers);
    const size_t base = std::max(limit, bodyText.size());
    const size_t budget = base > SIZE_MAX / 2 ? SIZE_MAX : 2 * base;
    if (headerText.find("charset=utf-8") != std::string::npos) {
        std::string text;
        text.reserve(bodyText.size());  // never more bytes than the body's
        CodePageWriter writer(text);
        if (!ReadUtf8(bodyText, [&](wchar_t unit) { writer.Add(unit); })) return true;
        writer.Flush();
        return SplitLinesWithin(text, budget, lines);
    }
    if (headerText.find("charset=utf-16") != std::string::npos) {
        std::string text;
        text.reserve(bodyText.size());  // never more bytes than the body's
        CodePageWriter writer(text);
        for (size_t i = 0; i < bodyText.size(); i += 2) {
            unsigned low = static_cast<unsigned char>(bodyText[i]);
            unsigned high = i + 1 < bodyText.size() ? static_cast<unsigned char>(bodyText[i + 1]) : 0;
            wchar_t unit = static_cast<wchar_t>(low | (high << 8));
            if (unit == 0) break;
            writer.Add(unit);
        }
        writer.Flush();
        return SplitLinesWithin(text, budget, lines);
    }
    return SplitLinesWithin(bodyText, budget, lines);
}

TStringList ResponseText(const TStringList& headers, const std::string& bodyText) {
    TStringList lines;
    ResponseText(headers, bodyText, SIZE_MAX / 4, lines);
    return lines;
}
