#include "system/signature.h"

#include <cstdint>

#include "system/cipher.h"
#include "system/exception.h"

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The general text-to-integer conversion of "$" and the pair: two hex digits or the
// conversion error naming the text it was given.
std::uint8_t PairValue(char high, char low) {
    const int h = HexDigitValue(high), l = HexDigitValue(low);
    if (h < 0 || l < 0) {
        const std::string text = std::string("$") + high + low;
        throw Exception("'" + text + "' is not a valid integer value");
    }
    return static_cast<std::uint8_t>(h * 16 + l);
}

}  // namespace

std::string DecodeSignature(const std::string& signatureText) {
    // Built afresh at every decode from the two stored pieces.
    std::string key(reinterpret_cast<const char*>(kSignatureKeyBytes), sizeof kSignatureKeyBytes);
    key += std::to_string(kSignatureKeyNumber);
    return DecryptHexText(signatureText, key);
}

std::string DecryptHexText(const std::string& hexText, const std::string& key) {
    // A cipher of its own for every decode; as a local it is destroyed (and wiped) on every path.
    Thjhjhjh cipher(nullptr);
    cipher.Init(key.data(), static_cast<std::uint32_t>(8 * key.size()), nullptr);
    const std::size_t n = hexText.size() / 2;  // a trailing odd character is ignored
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(PairValue(hexText[2 * i], hexText[2 * i + 1]));
    std::string result(n, '\0');
    cipher.Decrypt(bytes.data(), result.data(), static_cast<std::uint32_t>(n));
    return result;
}
