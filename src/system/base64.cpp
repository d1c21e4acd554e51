#include "system/base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Six-bit value of an alphabet character, or -1.
int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string Base64Encode(const std::string& bytes) {
    std::string text;
    text.reserve(4 * ((bytes.size() + 2) / 3));
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
        if (left > 1) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
        text += kAlphabet[(group >> 18) & 0x3F];
        text += kAlphabet[(group >> 12) & 0x3F];
        text += left > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=';
        text += left > 2 ? kAlphabet[group & 0x3F] : '=';
    }
    return text;
}

std::string Base64Decode(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i + 4 <= text.size(); i += 4) {
        const char* c = text.data() + i;
        // A group gives 1 byte when its third character is '=', 2 when only its fourth is, else 3.
        const int count = c[2] == '=' ? 1 : c[3] == '=' ? 2 : 3;
        unsigned group = 0;
        for (int k = 0; k < 4; ++k) {
            int sextet = 0;
            if (k <= count) {
                sextet = SextetOf(c[k]);
                if (sextet < 0) return {};
            }
            group = (group << 6) | static_cast<unsigned>(sextet);
        }
        bytes += static_cast<char>((group >> 16) & 0xFF);
        if (count > 1) bytes += static_cast<char>((group >> 8) & 0xFF);
        if (count > 2) bytes += static_cast<char>(group & 0xFF);
    }
    return bytes;
}
